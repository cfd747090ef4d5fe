// The list after this terminal's own saves and deletes, on every engine:
// random stores (reduced codes that tie and are written oddly) and random
// sequences of the screen's inserts, edits of the sort key and deletes,
// mixed with other connections' changes. After each of the screen's steps
// its list is, row for row and column for column, a full reading.

#include "GuiFixture.h"

#include <QRandomGenerator>

namespace {

QString reduzidoEstranho(QRandomGenerator &g)
{
    const QString n = QString::number(g.bounded(1, 40));
    const QString formas[] = {n, "00" + n, " " + n, n + ".0", "+" + n, "-" + n, n + "  "};
    return formas[g.bounded(7)];
}

ProdutoTeste produtoAleatorio(QRandomGenerator &g, const QString &codigo)
{
    ProdutoTeste p = produto(codigo, reduzidoEstranho(g));
    p.barras = QStringLiteral("78") + codigo;
    p.preco = g.bounded(1, 1000) / 100.0;
    p.comPreco = g.bounded(5) != 0, p.comAliquota = g.bounded(5) != 0, p.comLoja = g.bounded(5) != 0;
    return p;
}

// Another connection adds a product, changes the sort key of `alvo` or deletes it.
void outraConexao(const TestDb::Fresh &db, QRandomGenerator &g, int passo, const QString &alvo)
{
    const int acao = g.bounded(3);
    if (acao == 0)
        insereProduto(db, produtoAleatorio(g, QStringLiteral("9000%1").arg(passo)));
    else if (acao == 1)
        db.exec(QStringLiteral("UPDATE PRODUTO SET CDPRODINTE = %1 WHERE CDPRODUTO = %2").arg(sqlText(reduzidoEstranho(g)), sqlText(alvo)));
    else
        for (const char *t : kTabelas)
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDPRODUTO = %2").arg(QLatin1String(t), sqlText(alvo)));
    if (db.onPostgreSQL()) {  // as the services' writers do
        db.exec(QStringLiteral("SELECT pg_notify('qul_produto', '')"));
        QTest::qWait(100);
    }
}

}  // namespace

class TstListaAposGravar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)), registerDataPacketType(); }
    void init() { instalaGanchosQueFalham(); }

    void listaIgualALeituraCompleta_data()
    {
        QTest::addColumn<int>("semente");
        QTest::addColumn<bool>("nulo");  // a product without reduced code: the whole list every time
        for (int s : {1, 2, 3})
            QTest::addRow("semente %d", s) << s << false;
        QTest::newRow("reduzido nulo") << 4 << true;
    }
    void listaIgualALeituraCompleta()
    {
        QFETCH(int, semente);
        QFETCH(bool, nulo);
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        QRandomGenerator g{quint32(semente)};
        for (int k = 1; k <= 300; ++k)
            insereProduto(amb.db, produtoAleatorio(g, QString::number(k)));
        if (nulo)
            amb.db.exec(QStringLiteral("UPDATE PRODUTO SET CDPRODINTE = NULL WHERE CDPRODUTO = '7'"));
        Mensagens msgs;
        msgs.resposta = true;
        const QString ok = QStringLiteral("Operação realizada com sucesso.|0|N|002");
        int feitos = 0;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            TClientDataSet *cds = f->cdsProduto;
            int recargas = 0;
            QObject::connect(cds, &TDataSet::rowsReset, [&] { ++recargas; });
            bool outro = false;
            for (int passo = 0; passo < 40; ++passo) {
                cds->SetRecNo(g.bounded(1, cds->RecordCount() + 1));
                const QString atual = cds->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
                const int acao = g.bounded(4);
                if (acao == 3) {
                    outraConexao(amb.db, g, passo, atual);
                    outro = true;
                    continue;
                }
                QString red;  // a reduced code of its own that ties with others
                do
                    red = QString(g.bounded(4), QLatin1Char('0')) + QString::number(g.bounded(1, 45));
                while (amb.db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODINTE = '%1'").arg(red)) > 0);
                recargas = 0;
                msgs.vistas.clear();
                if (acao == 2) {
                    f->sbtExcluirClick(nullptr);
                } else {
                    acao == 0 ? f->sbtIncluirClick(nullptr) : f->sbtEditarClick(nullptr);
                    if (acao == 0) {
                        f->FSgUnidade = QStringLiteral("UN"), f->FCdImposto = QStringLiteral("03"), f->FIdTpImposFis = QStringLiteral("T");
                        for (auto [campo, valor] : {std::pair{"edtNomeProd", "Novo"}, {"edtUnidade", "Unidade"}, {"edtPrecoUnit", "2,5"},
                                                    {"edtImposto", "T18"}, {"edtAliq", "18"}, {"edtPortaImp", "Nenhuma"}})
                            f->componente<TBlendedButton>(QLatin1String(campo))->setCaption(QLatin1String(valor));
                        f->edtCodBarra->setCaption(QStringLiteral("7777%1").arg(passo));
                    }
                    f->edtCodRed->setCaption(red);
                    if (f->PaginaAtiva() == QLatin1String("Pagina2"))
                        f->sbtConfirmarClick(nullptr);
                }
                const bool feito = msgs.ultima() == ok;
                feitos += feito;
                QVariant cheio;
                QCOMPARE(getProduto(u"T", &cheio), 0);
                const TDataPacket lista = cds->Data(), leitura = toDataPacket(cheio);
                QCOMPARE(lista.fields, leitura.fields);
                QCOMPARE(lista.rows.size(), leitura.rows.size());
                for (qsizetype r = 0; r < lista.rows.size(); ++r)
                    QVERIFY2(lista.rows[r] == leitura.rows[r], qPrintable(QStringLiteral("passo %1, linha %2").arg(passo).arg(r)));
                if (feito)  // the edited product current, else the first
                    QCOMPARE(acao == 1 ? cds->FieldByName(QStringLiteral("CDPRODUTO"))->AsString() : QString::number(cds->RecNo()),
                             acao == 1 ? atual : QStringLiteral("1"));
                if (feito && !outro && !nulo && TestDb::currentEngine() != TestDb::Engine::ODBC)
                    QCOMPARE(recargas, 0);  // one product read, not the whole list
                outro = false;
            }
        }));
        QVERIFY(feitos >= 15);
    }
};

QTEST_MAIN(TstListaAposGravar)
#include "tst_listaaposgravar.moc"
