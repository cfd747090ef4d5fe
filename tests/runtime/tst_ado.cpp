// Connection strings, the dialect and driver they lead to, and the
// translation of named parameters.

#include "ADO.h"
#include "ConnectionString.h"
#include "NamedParameters.h"

#include <QtTest>

class TstAdo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsesQuotedValues();
    void refusesMalformedStrings_data();
    void refusesMalformedStrings();
    void passwordNeverShown();
    void providerChoosesDriverAndDialect_data();
    void providerChoosesDriverAndDialect();
    void namedParameters();
    void namedParametersOnlyInPlainText_data();
    void namedParametersOnlyInPlainText();
    void sqliteConnectionFailuresAreClear();
};

void TstAdo::parsesQuotedValues()
{
    const TConnectionString cs = TConnectionString::parse(
        QStringLiteral(" Provider = PostgreSQL ; Data Source=db.loja;Password=\"a;b=c\"\"d\";User ID='o''neil'; ;Port=5433;"));
    QCOMPARE(cs.value(QStringLiteral("provider")), QStringLiteral("PostgreSQL"));
    QCOMPARE(cs.value(QStringLiteral("DATA SOURCE")), QStringLiteral("db.loja"));
    QCOMPARE(cs.value(QStringLiteral("Password")), QStringLiteral("a;b=c\"d"));
    QCOMPARE(cs.value(QStringLiteral("User ID")), QStringLiteral("o'neil"));
    QCOMPARE(cs.value(QStringLiteral("Port")), QStringLiteral("5433"));
    QCOMPARE(cs.value(QStringLiteral("Nada"), QStringLiteral("x")), QStringLiteral("x"));
    // Written back, it parses to the same values.
    QCOMPARE(TConnectionString::parse(cs.toString()).value(QStringLiteral("Password")), QStringLiteral("a;b=c\"d"));
}

void TstAdo::refusesMalformedStrings_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("no equals") << "Provider=SQLite;Data Source";
    QTest::newRow("open quote") << "Provider=SQLite;Password=\"abc";
    QTest::newRow("empty key") << "=x";
    QTest::newRow("text after quote") << "Password=\"a\"b";
}

void TstAdo::refusesMalformedStrings()
{
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(EADOError, TConnectionString::parse(text));
}

void TstAdo::passwordNeverShown()
{
    const QString secret = QStringLiteral("s3gr3d0;x");
    const QString s = QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=1;Initial Catalog=x;User ID=u;Password=\"%1\"").arg(secret);
    QVERIFY(!TConnectionString::parse(s).redacted().contains(secret));
    try {
        TConnectionString::parse(QStringLiteral("Password=\"%1").arg(secret));
        QFAIL("accepted an open quote");
    } catch (const EADOError &e) {
        QVERIFY(!e.Message().contains(secret));
    }
    // A connection that cannot open reports without the password.
    TADOConnection con;
    con.ConnectionString = s;
    try {
        con.Open();
        QFAIL("connected to a closed port");
    } catch (const EADOError &e) {
        QVERIFY2(!e.Message().contains(QLatin1String("s3gr3d0")), qPrintable(e.Message()));
        QVERIFY(!e.Message().isEmpty());
    }
    QVERIFY(!con.Connected());
}

void TstAdo::providerChoosesDriverAndDialect_data()
{
    QTest::addColumn<QString>("cs");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("dialect");
    QTest::newRow("sqlite") << "Provider=SQLite;Data Source=/tmp/x.db" << "QSQLITE" << int(TDialect::SQLite);
    QTest::newRow("postgresql") << "Provider=PostgreSQL;Data Source=h;Initial Catalog=d" << "QPSQL" << int(TDialect::PostgreSQL);
    QTest::newRow("sqloledb") << "Provider=SQLOLEDB;Data Source=srv;Initial Catalog=loja" << "QODBC" << int(TDialect::SQLServer);
    QTest::newRow("sqlncli11") << "Provider=SQLNCLI11;Data Source=srv" << "QODBC" << int(TDialect::SQLServer);
    QTest::newRow("msoledbsql") << "Provider=MSOLEDBSQL;Data Source=srv" << "QODBC" << int(TDialect::SQLServer);
    QTest::newRow("oracle") << "Provider=MSDAORA.1;Data Source=ORCL" << (QSqlDatabase::isDriverAvailable("QOCI") ? "QOCI" : "QODBC") << int(TDialect::Oracle);
    QTest::newRow("oraoledb") << "Provider=OraOLEDB.Oracle;Data Source=ORCL" << (QSqlDatabase::isDriverAvailable("QOCI") ? "QOCI" : "QODBC") << int(TDialect::Oracle);
    QTest::newRow("odbc dsn") << "DSN=loja;UID=u;PWD=p" << "QODBC" << int(TDialect::Unknown);
    QTest::newRow("msdasql") << "Provider=MSDASQL;Driver={SQLite3};Database=/tmp/x.db" << "QODBC" << int(TDialect::Unknown);
}

void TstAdo::providerChoosesDriverAndDialect()
{
    QFETCH(QString, cs);
    QFETCH(QString, driver);
    QFETCH(int, dialect);
    const TConnectionTarget t = resolveConnectionString(cs);
    QCOMPARE(t.driver, driver);
    QCOMPARE(int(t.dialect), dialect);
    QVERIFY(!t.databaseName.contains(QLatin1String("PWD=p")));
    QVERIFY_THROWS_EXCEPTION(EADOError, resolveConnectionString(QStringLiteral("Provider=Jet.OLEDB.4.0;Data Source=x.mdb")));
    QVERIFY_THROWS_EXCEPTION(EADOError, resolveConnectionString(QStringLiteral("Data Source=x")));
    QVERIFY_THROWS_EXCEPTION(EADOError, resolveConnectionString(QStringLiteral("Provider=PostgreSQL;Initial Catalog=d;Port=abc")));
}

void TstAdo::namedParameters()
{
    const TParsedSql p = parseNamedParameters(QStringLiteral(
        "SELECT ':P_NAO', \"A:B\", x::text -- :P_COMENTARIO\nFROM T WHERE (C = :P_CDPRODUTO or :P_CDPRODUTO = 'T') AND D = :p_outro"));
    QCOMPARE(p.occurrences, (QStringList{"P_CDPRODUTO", "P_CDPRODUTO", "p_outro"}));
    QVERIFY(p.text.contains(QLatin1String("':P_NAO'")));
    QVERIFY(p.text.contains(QLatin1String("x::text")));
    QVERIFY(p.text.contains(QLatin1String("(C = ? or ? = 'T') AND D = ?")));
    QCOMPARE(parseNamedParameters(QStringLiteral("SELECT 'it''s :X'")).occurrences.size(), 0);
}

void TstAdo::namedParametersOnlyInPlainText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("block comment") << "SELECT /* :P_X\n :P_Y */ :P_Z" << "SELECT /* :P_X\n :P_Y */ ?" << QStringList{"P_Z"};
    QTest::newRow("open block comment") << "SELECT :A /* :B" << "SELECT ? /* :B" << QStringList{"A"};
    QTest::newRow("dollar quote") << "DO $$ BEGIN x := :P_X; END $$; SELECT :P_Y" << "DO $$ BEGIN x := :P_X; END $$; SELECT ?" << QStringList{"P_Y"};
    QTest::newRow("tagged dollar quote") << "SELECT $f$ :A $$ :B $f$, :C" << "SELECT $f$ :A $$ :B $f$, ?" << QStringList{"C"};
    QTest::newRow("positional $1 is no quote") << "SELECT $1, :A, $2" << "SELECT $1, ?, $2" << QStringList{"A"};
    QTest::newRow("escape string") << "SELECT E'it\\'s :X', :Y" << "SELECT E'it\\'s :X', ?" << QStringList{"Y"};
    QTest::newRow("E ending a name") << "SELECT NOME':X'" << "SELECT NOME':X'" << QStringList{};
    QTest::newRow("array slice") << "SELECT a[1:n], a[lo:hi] FROM t WHERE b = :B" << "SELECT a[1:n], a[lo:hi] FROM t WHERE b = ?" << QStringList{"B"};
    QTest::newRow("bracket name") << "SELECT [A:B] FROM t WHERE c = :C" << "SELECT [A:B] FROM t WHERE c = ?" << QStringList{"C"};
}

void TstAdo::namedParametersOnlyInPlainText()
{
    QFETCH(QString, sql);
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    const TParsedSql p = parseNamedParameters(sql);
    QCOMPARE(p.text, text);
    QCOMPARE(p.occurrences, names);
}

void TstAdo::sqliteConnectionFailuresAreClear()
{
    TADOConnection con;
    int before = 0, after = 0;
    con.BeforeConnect = [&](TADOConnection *c) {
        ++before;
        c->ConnectionString = QStringLiteral("Provider=SQLite;Data Source=/nao/existe/loja.db");
    };
    con.AfterConnect = [&](TADOConnection *) { ++after; };
    QVERIFY_THROWS_EXCEPTION(EADOError, con.Open());
    QCOMPARE(before, 1);
    QCOMPARE(after, 0);
    QVERIFY(!con.Connected());
    QVERIFY(!con.InTransaction());
    TADOQuery q;
    q.Connection = &con;
    q.SQL() = QStringList{QStringLiteral("SELECT 1")};
    QVERIFY_THROWS_EXCEPTION(EADOError, q.Open());
}

QTEST_GUILESS_MAIN(TstAdo)
#include "tst_ado.moc"
