// The product code generator on every engine: the code after the greatest
// all-digit code, inside the caller's transaction, under the terminals' lock.

#include "WriteFixture.h"
#include "TdtmQulProxCodigo.h"

#include <QRegularExpression>
#include <QSqlQuery>

class TstCodeGenerator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void codeGenerator();
    void codeGeneratorMatchesEveryCodeRead_data();
    void codeGeneratorMatchesEveryCodeRead();
};

void TstCodeGenerator::codeGenerator()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    Modulo m(db.connectionString());
    TdtmQulProxCodigo gerador;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, gerador.PrxProduto());  // only inside a transaction
    rdmCadProd->StartTrans();
    QCOMPARE(gerador.PrxProduto(), QStringLiteral("1"));  // empty table
    rdmCadProd->RollbackTrans();

    for (const char *c : {"A1", "00012", "9X", "12 ", "7"})
        insereProduto(db, produto(QLatin1String(c), QStringLiteral("1")));
    rdmCadProd->StartTrans();
    QCOMPARE(gerador.PrxProduto(), QStringLiteral("13"));
    for (const char *c : {"0099", "100", "98"})  // the greatest code reserved, by value, comes before the next
        gerador.Reserva(QLatin1String(c));
    QCOMPARE(gerador.PrxProduto(), QStringLiteral("101"));
    rdmCadProd->RollbackTrans();

    insereProduto(db, produto(QStringLiteral("999999999"), QStringLiteral("2")));
    rdmCadProd->StartTrans();
    QCOMPARE(gerador.PrxProduto(), QStringLiteral("1000000000"));  // ten digits still fit
    QCOMPARE(gerador.PrxProdutos(3), (QStringList{"1000000000", "1000000001", "1000000002"}));
    rdmCadProd->RollbackTrans();

    insereProduto(db, produto(QStringLiteral("9999999999"), QStringLiteral("2")));
    QVariant out;
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY(isFailureText(out));
    QVERIFY2(out.toString().contains(QLatin1String("10")), qPrintable(out.toString()));
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 7);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
}

void TstCodeGenerator::codeGeneratorMatchesEveryCodeRead_data()
{
    QTest::addColumn<QStringList>("codigos");
    QTest::newRow("vazia") << QStringList{};
    QTest::newRow("nenhum só de algarismos") << QStringList{"A1", "9X", "12 ", " 7", "-5", "1.5", "1e3", ""};
    QTest::newRow("0042 e 41") << QStringList{"0042", "41"};
    QTest::newRow("9 e 10") << QStringList{"9", "10"};
    QTest::newRow("0000000099 e 98") << QStringList{"0000000099", "98"};
    QTest::newRow("dez algarismos") << QStringList{"999999999", "9999999998", "5", "9999999997"};
    QTest::newRow("tamanhos misturados") << QStringList{"7", "65", "0123", "999", "A9999", "1000", "00000", "0", "09999", "1001X"};
}

// The generator against every code read back and compared by value here.
void TstCodeGenerator::codeGeneratorMatchesEveryCodeRead()
{
    QFETCH(QStringList, codigos);
    QUL_FRESH_DB(db, false);
    for (const QString &c : codigos)
        db.exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO) VALUES (%1)").arg(sqlText(c)));
    qulonglong maior = 0;
    QSqlQuery q(db.db());
    QVERIFY(q.exec(QStringLiteral("SELECT CDPRODUTO FROM PRODUTO")));
    while (q.next())
        if (const QString c = q.value(0).toString(); QRegularExpression(QStringLiteral("\\A[0-9]+\\z")).match(c).hasMatch())
            maior = std::max(maior, c.toULongLong());
    Modulo m(db.connectionString());
    TdtmQulProxCodigo gerador;
    rdmCadProd->StartTrans();
    QCOMPARE(gerador.PrxProduto(), QString::number(maior + 1));
    rdmCadProd->RollbackTrans();
}

QTEST_GUILESS_MAIN(TstCodeGenerator)
#include "tst_codegenerator.moc"
