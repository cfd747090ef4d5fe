// Two terminals on one store, on every engine: the screen, and qulsvc in
// another process writing through the services. The list shows the other's
// adds, edits and deletes once the operator is back on it; an edit onto a
// product the other changed or deleted meanwhile writes nothing.

#include "GuiFixture.h"

#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>
#include <thread>

namespace {

// The other terminal: one qulsvc call (`acao` "I", "E": product 2 as now,
// with `campos` changed; "X": product 2 deleted).
void outroTerminal(const TestDb::Fresh &db, const QString &acao, const QVariantMap &campos = {})
{
    QVariant out;
    getProduto(u"2", &out);
    TDataPacket p = toDataPacket(out);
    for (auto it = campos.begin(); it != campos.end(); ++it)
        p.rows[0][p.fieldIndex(it.key())] = it.value();
    QProcess q;
    q.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qulsvc"),
            QStringList{"--connection", db.connectionString()} + (acao == QLatin1String("X") ? QStringList{"setDelProduto", "2"} : QStringList{"setProduto", acao, "-"}));
    q.write(acao == QLatin1String("X") ? QByteArray() : QJsonDocument(p.toJson()).toJson());
    q.closeWriteChannel();
    QVERIFY(q.waitForFinished(60000) && q.exitCode() == 0);
    if (db.onPostgreSQL())
        QTest::qWait(100);  // the notification reaches the screen a moment after the commit
}

void tresProdutos(const TestDb::Fresh &db)
{
    insereImpostos(db);
    for (const char *c : {"1", "2", "3"})
        insereProduto(db, produto(QLatin1String(c), QLatin1String(c)));
}

}  // namespace

class TstDoisTerminais : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { registerDataPacketType(); }
    void init() { instalaGanchosQueFalham(); }

    // The other writes while the operator stands on the entry page of a new
    // product ("sair": then leaves it), on the list (then Editar or Excluir
    // of product 2) or on the edit of product 2 (then Confirm).
    void outroTerminalEscreve_data()
    {
        QTest::addColumn<QString>("outro");
        QTest::addColumn<QString>("operador");
        QTest::addColumn<QString>("aviso");
        QTest::addColumn<int>("produtos");
        QTest::newRow("inclusão vista na lista") << "I" << "sair" << "" << 4;
        QTest::newRow("alteração vista na lista") << "E" << "sair" << "" << 3;
        QTest::newRow("exclusão vista na lista") << "X" << "sair" << "" << 2;
        QTest::newRow("Editar do excluído") << "X" << "editar" << "PROD_EXCLUIDO" << 2;
        QTest::newRow("Excluir do excluído") << "X" << "excluir" << "PROD_EXCLUIDO" << 2;
        QTest::newRow("confirmar o excluído") << "X" << "confirmar" << "PROD_EXCLUIDO_EDICAO" << 2;
    }
    void outroTerminalEscreve()
    {
        QFETCH(QString, outro);
        QFETCH(QString, operador);
        QFETCH(QString, aviso);
        QFETCH(int, produtos);
        QUL_AMBIENTE(amb, false);
        tresProdutos(amb.db);
        Mensagens msgs;
        msgs.resposta = true;  // leaving the entry page
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            const bool sair = operador == QLatin1String("sair"), nova = outro == QLatin1String("I");
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), sair ? "3" : "2"));
            if (sair || operador == QLatin1String("confirmar"))
                sair ? f->sbtIncluirClick(nullptr) : f->sbtEditarClick(nullptr);
            outroTerminal(amb.db, outro,
                          {{"VRPRECITEM", 11.11}, {"CDPRODINTE", nova ? "77" : "2"}, {"CDBARPRODUTO", nova ? "77" : "7890000000002"}});
            if (sair) {
                f->sbtSair2Click(nullptr);
                QCOMPARE(f->cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString(), QStringLiteral("3"));  // the current product kept
            } else {
                msgs.vistas.clear();
                operador == QLatin1String("editar") ? f->sbtEditarClick(nullptr)
                    : operador == QLatin1String("excluir") ? f->sbtExcluirClick(nullptr) : f->sbtConfirmarClick(nullptr);
                QCOMPARE(msgs.vistas, QStringList{f->msgPadrao->Msg(aviso) + QStringLiteral("|2|N|002")});  // no question
            }
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QCOMPARE(f->cdsProduto->RecordCount(), produtos);
            QCOMPARE(f->cdsProduto->Locate(QStringLiteral("CDPRODINTE"), QStringLiteral("77")), nova);
            QCOMPARE(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")), outro != QLatin1String("X"));
            if (outro == QLatin1String("E"))
                QCOMPARE(f->cdsProduto->FieldByName(QStringLiteral("VRPRECITEM"))->AsFloat(), 11.11);
        }));
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), produtos);
        QCOMPARE(amb.db.count(QStringLiteral("ITEMPRECO"), QStringLiteral("CDPRODUTO = '2'")), outro == QLatin1String("X") ? 0 : 1);
    }

    // The lost update: while this terminal edits the name and the unit of
    // product 2, another stores a price and a name through qulsvc, or a
    // tool changes the tax, the print port or the name (to the same one);
    // "durante": the tool's change is still uncommitted when the operator
    // confirms, and commits once the save waits for it.
    void edicaoSobreAlteracaoDoOutro_data()
    {
        QTest::addColumn<QString>("sql");  // the tool's statement; empty: qulsvc
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("valor");  // as the entry page shows it, and as stored
        QTest::addColumn<QString>("aviso");
        QTest::addColumn<bool>("durante");
        QTest::newRow("preço e nome") << "" << "edtPrecoUnit" << "11,11"
                                      << " Alterado também no outro terminal, mantido o que foi digitado: Nome." << false;
        QTest::newRow("imposto") << "UPDATE ALIQIMPFIS SET CDIMPOSTO = '01'" << "edtImposto" << "T07" << "" << false;
        QTest::newRow("porta") << "UPDATE PRODLOJA SET CDPORIMPPROD = 'LPT1'" << "edtPortaImp" << "LPT1" << "" << false;
        QTest::newRow("o mesmo nome") << "UPDATE PRODUTO SET NMPRODUTO = 'Meu nome'" << "edtNomeProd" << "Meu nome" << "" << false;
        QTest::newRow("preço durante a gravação") << "UPDATE ITEMPRECO SET VRPRECITEM = 22.22" << "edtPrecoUnit" << "22,22" << "" << true;
        QTest::newRow("nome durante a gravação") << "UPDATE PRODUTO SET NMPRODUTO = 'Meu nome'" << "edtNomeProd" << "Meu nome" << "" << true;
    }
    void edicaoSobreAlteracaoDoOutro()
    {
        QFETCH(QString, sql);
        QFETCH(QString, campo);
        QFETCH(QString, valor);
        QFETCH(QString, aviso);
        QFETCH(bool, durante);
        QUL_AMBIENTE(amb, false);
        tresProdutos(amb.db);
        Mensagens msgs;
        std::atomic<bool> ferramenta{false};  // its change made, not committed
        std::jthread outra;
        const auto nome = [&] { return amb.db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'").toString(); };
        const auto unidade = [&] { return amb.db.scalar("SELECT SGUNIDADE FROM PRODUTO WHERE CDPRODUTO = '2'").toString(); };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")));
            f->sbtEditarClick(nullptr);
            f->edtNomeProd->setCaption(QStringLiteral("Meu nome"));
            f->edtUnidade->setCaption(QStringLiteral("Quilo"));  // a unit picked: its name and its code
            f->FSgUnidade = QStringLiteral("KG");
            if (sql.isEmpty()) {
                outroTerminal(amb.db, QStringLiteral("E"), {{"VRPRECITEM", 11.11}, {"NMPRODUTO", "Nome do outro"}});
            } else if (durante) {  // the tool commits once the save waits for it
                outra = std::jthread([&, origem = amb.db.db().connectionName()] {
                    {
                        QSqlDatabase c = QSqlDatabase::cloneDatabase(origem, "ferramenta");
                        if (c.open() && c.transaction())
                            QSqlQuery(c).exec(sql + QStringLiteral(" WHERE CDPRODUTO = '2'"));
                        ferramenta = true;
                        QThread::msleep(400);
                        c.commit();
                    }
                    QSqlDatabase::removeDatabase("ferramenta");
                });
                while (!ferramenta)
                    QThread::msleep(5);
            } else
                amb.db.exec(sql + QStringLiteral(" WHERE CDPRODUTO = '2'"));
            f->sbtConfirmarClick(nullptr);
            QCOMPARE(msgs.ultima(), f->msgPadrao->Msg(QStringLiteral("PROD_ALTERADO")) + aviso + QStringLiteral("|2|N|002"));
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->componente<TBlendedButton>(campo)->caption(), valor);
            QCOMPARE(f->edtNomeProd->caption(), QStringLiteral("Meu nome"));
            QCOMPARE(unidade(), QStringLiteral("UN"));  // nothing of this edit was written
            f->sbtConfirmarClick(nullptr);
            QCOMPARE(msgs.ultima(), QStringLiteral("Operação realizada com sucesso.|0|N|002"));
            f->sbtEditarClick(nullptr);  // both terminals' values, as the list reads them again
            QCOMPARE(f->componente<TBlendedButton>(campo)->caption(), valor);
        }));
        QCOMPARE(nome(), QStringLiteral("Meu nome"));
        QCOMPARE(unidade(), QStringLiteral("KG"));
    }
};

QTEST_MAIN(TstDoisTerminais)
#include "tst_doisterminais.moc"
