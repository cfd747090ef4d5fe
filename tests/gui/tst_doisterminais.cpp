// Two terminals on one store, on every engine: the screen, and qulsvc in
// another process writing through the services. The screen's list shows
// the other's adds, edits and deletes when the operator comes back to it;
// an edit onto a product the other changed or deleted meanwhile is refused
// with nothing written.

#include "GuiFixture.h"

#include <QJsonDocument>
#include <QProcess>

namespace {

// The other terminal: one qulsvc call on the same store.
void outroTerminal(const TestDb::Fresh &db, const QStringList &args, const TDataPacket &pacote = TDataPacket())
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qulsvc"),
            QStringList{QStringLiteral("--connection"), db.connectionString()} + args);
    QVERIFY(p.waitForStarted());
    if (!pacote.fields.isEmpty())
        p.write(QJsonDocument(pacote.toJson()).toJson(QJsonDocument::Compact));
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardOutput().constData());
    // The notification reaches the screen's connection a moment after the
    // commit, as it would before an operator's next touch.
    if (db.onPostgreSQL())
        QTest::qWait(100);
}

// Product 2 as the list reads it, with `campos` changed.
TDataPacket produto2(const QVariantMap &campos)
{
    QVariant out;
    getProduto(u"2", &out);
    TDataPacket p = toDataPacket(out);
    for (auto it = campos.begin(); it != campos.end(); ++it)
        p.rows[0][p.fieldIndex(it.key())] = it.value();
    return p;
}

QString codigoAtual(TfrmCadProd *f)
{
    return f->cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
}

}  // namespace

class TstDoisTerminais : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        registerDataPacketType();
    }
    void init() { instalaGanchosQueFalham(); }
    void cleanup() { instalaGanchosQueFalham(); }

    void listaVeOOutroTerminal_data()
    {
        QTest::addColumn<QString>("acao");
        QTest::addColumn<int>("produtos");
        QTest::newRow("inclusão") << "I" << 4;
        QTest::newRow("alteração") << "E" << 3;
        QTest::newRow("exclusão") << "X" << 2;
    }

    void listaVeOOutroTerminal()
    {
        QFETCH(QString, acao);
        QFETCH(int, produtos);
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        for (const char *c : {"1", "2", "3"})
            insereProduto(amb.db, produto(QLatin1String(c), QLatin1String(c)));
        Mensagens msgs;
        msgs.resposta = true;  // leaving the entry page
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("3")));
            f->sbtIncluirClick(nullptr);
            if (acao == QLatin1String("X"))
                outroTerminal(amb.db, {QStringLiteral("setDelProduto"), QStringLiteral("2")});
            else
                outroTerminal(amb.db, {QStringLiteral("setProduto"), acao, QStringLiteral("-")},
                              produto2({{"VRPRECITEM", 11.11}, {"CDPRODINTE", acao == QLatin1String("I") ? "77" : "2"},
                                        {"CDBARPRODUTO", acao == QLatin1String("I") ? "77" : "7890000000002"}}));
            f->sbtSair2Click(nullptr);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QCOMPARE(codigoAtual(f), QStringLiteral("3"));
            QCOMPARE(f->cdsProduto->RecordCount(), produtos);
            QCOMPARE(f->cdsProduto->Locate(QStringLiteral("CDPRODINTE"), QStringLiteral("77")), acao == QLatin1String("I"));
            if (acao == QLatin1String("E")) {
                QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")));
                QCOMPARE(f->cdsProduto->FieldByName(QStringLiteral("VRPRECITEM"))->AsFloat(), 11.11);
            }
        }));
    }

    // The lost update: the other terminal stores a price and a name while
    // this one edits the name of the product it opened earlier.
    void edicaoSobreAlteracaoDoOutro()
    {
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        for (const char *c : {"1", "2", "3"})
            insereProduto(amb.db, produto(QLatin1String(c), QLatin1String(c)));
        Mensagens msgs;
        const auto gravado = [&](const char *sql) { return amb.db.scalar(QLatin1String(sql)).toString(); };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")));
            f->sbtEditarClick(nullptr);
            f->edtNomeProd->setCaption(QStringLiteral("Meu nome"));
            outroTerminal(amb.db, {QStringLiteral("setProduto"), QStringLiteral("E"), QStringLiteral("-")},
                          produto2({{"VRPRECITEM", 11.11}, {"NMPRODUTO", "Nome do outro"}}));
            f->sbtConfirmarClick(nullptr);
            QCOMPARE(msgs.ultima(), f->msgPadrao->Msg(QStringLiteral("PROD_ALTERADO"))
                                        + QStringLiteral(" Alterado também no outro terminal, mantido o que foi digitado: Nome.|2|N|002"));
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->edtPrecoUnit->caption(), QStringLiteral("11,11"));
            QCOMPARE(f->edtNomeProd->caption(), QStringLiteral("Meu nome"));
            QCOMPARE(gravado("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'"), QStringLiteral("Nome do outro"));
            f->sbtConfirmarClick(nullptr);
            QCOMPARE(msgs.ultima(), QStringLiteral("Operação realizada com sucesso.|0|N|002"));
        }));
        QCOMPARE(gravado("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'"), QStringLiteral("Meu nome"));
        QCOMPARE(gravado("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '2'").toDouble(), 11.11);
    }

    void produtoExcluidoPeloOutro_data()
    {
        QTest::addColumn<QString>("quando");
        QTest::addColumn<QString>("aviso");
        QTest::newRow("com a edição aberta") << "confirmar" << "PROD_EXCLUIDO_EDICAO";
        QTest::newRow("antes de Editar") << "editar" << "PROD_EXCLUIDO";
        QTest::newRow("antes de Excluir") << "excluir" << "PROD_EXCLUIDO";
    }

    void produtoExcluidoPeloOutro()
    {
        QFETCH(QString, quando);
        QFETCH(QString, aviso);
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        for (const char *c : {"1", "2", "3"})
            insereProduto(amb.db, produto(QLatin1String(c), QLatin1String(c)));
        Mensagens msgs;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")));
            if (quando == QLatin1String("confirmar")) {
                f->sbtEditarClick(nullptr);
                f->edtNomeProd->setCaption(QStringLiteral("Meu nome"));
            }
            outroTerminal(amb.db, {QStringLiteral("setDelProduto"), QStringLiteral("2")});
            if (quando == QLatin1String("confirmar"))
                f->sbtConfirmarClick(nullptr);
            else if (quando == QLatin1String("editar"))
                f->sbtEditarClick(nullptr);
            else
                f->sbtExcluirClick(nullptr);  // no question is asked
            QCOMPARE(msgs.vistas, QStringList{f->msgPadrao->Msg(aviso) + QStringLiteral("|2|N|002")});
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QCOMPARE(f->cdsProduto->RecordCount(), 2);
            QVERIFY(!f->cdsProduto->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")));
        }));
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), 2);
        QCOMPARE(amb.db.count(QStringLiteral("ITEMPRECO"), QStringLiteral("CDPRODUTO = '2'")), 0);
    }
};

QTEST_MAIN(TstDoisTerminais)
#include "tst_doisterminais.moc"
