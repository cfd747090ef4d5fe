// The product rules without the screen: each check's catalogue key has its
// text in the library's own message catalogue, read with no widget library
// and none of the screen's resources linked in.

#include "ProductChecks.h"
#include "ProductMessages.h"

#include <QTest>

class TstProductRules : public QObject {
    Q_OBJECT
private slots:
    void chaveTemTexto_data();
    void chaveTemTexto();
};

void TstProductRules::chaveTemTexto_data()
{
    QTest::addColumn<QString>("codRed");
    QTest::addColumn<QString>("preco");
    QTest::addColumn<QString>("tara");
    QTest::addColumn<int>("campo");
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("texto");  // the start of the catalogue's text
    QTest::newRow("sem código reduzido") << "" << "1,00" << "0" << 2 << "CODRED_NAO" << "Código";
    QTest::newRow("sem preço") << "7" << "" << "0" << 5 << "PRECOUNI_NAO" << "Preço";
    QTest::newRow("preço inválido") << "7" << "1,2,3" << "0" << 5 << "VALOR_INV" << "Valor";
    QTest::newRow("sem tara") << "7" << "1,00" << "" << 10 << "TARA_NAO" << "Tara";
}

void TstProductRules::chaveTemTexto()
{
    QFETCH(QString, codRed);
    QFETCH(QString, preco);
    QFETCH(QString, tara);
    TTextosProduto t;
    t.codRed = codRed;
    t.nome = QStringLiteral("Produto");
    t.unidade = QStringLiteral("UN");
    t.preco = preco;
    t.imposto = QStringLiteral("Tributado");
    t.cdImposto = QStringLiteral("03");
    t.tara = tara;
    t.pesado = true;
    const TVerificacaoProduto v = verificaProduto(t, QLocale(QLocale::Portuguese, QLocale::Brazil));
    QTEST(v.campo, "campo");
    QTEST(QString::fromLatin1(v.chave), "chave");
    QFETCH(QString, texto);
    const QString lido = textoCatalogo(v.chave);
    QVERIFY2(lido.startsWith(texto), qPrintable(lido));
    QVERIFY(!linhasMensagensPadrao().isEmpty());
}

QTEST_GUILESS_MAIN(TstProductRules)
#include "tst_productrules.moc"
