// Connection strings as stores' ADO tools write them: where each leads
// (driver, dialect, what Qt's driver is handed), the clear refusals, and a
// live connection through every ODBC form that reaches the test server.

#include "ADO.h"
#include "ConnectionString.h"
#include "TestDb.h"

#include <QSqlQuery>
#include <QStringEncoder>
#include <QtTest>

namespace {

const QString Secret = QStringLiteral("s3gr3d0");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// SQLite's ODBC driver, to reach a database whose SQL this system does not
// know (Debian: under the multiarch folder).
QString sqliteOdbcDriver()
{
    for (const QString &arch : QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("*-linux-*")}, QDir::Dirs)) {
        const QString path = QStringLiteral("/usr/lib/%1/odbc/libsqlite3odbc.so").arg(arch);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QStringLiteral("/usr/lib/odbc/libsqlite3odbc.so");
}

// A data link file as Windows writes it: UTF-16 LE with a byte order mark.
QByteArray dataLink(const QString &connectionString)
{
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return utf16(QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n") + connectionString
                 + QStringLiteral("\r\n"));
}

}  // namespace

class TstConnectionStrings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void whereStoreStringsLead_data();
    void whereStoreStringsLead();
    void badStringsAreRefusedClearly_data();
    void badStringsAreRefusedClearly();
    void connectsThroughEveryForm_data();
    void connectsThroughEveryForm();

private:
    QString place(QString text) const;
    QTemporaryDir m_dir;
};

void TstConnectionStrings::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString inner = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;User ID=u;Password=Pw9;Data Source=lojapg");
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("loja.udl")), dataLink(inner)));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("utf8.udl")), "[oledb]\n; comment\n" + inner.toUtf8() + "\n"));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("texto.udl")), "Provider=SQLite;Data Source=/x.db\n"));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("binario.udl")), QByteArray("\x00\x01\x02\xff\xfe", 5)));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("vazio.udl")), dataLink(QString())));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("outro.udl")), dataLink(QStringLiteral("File Name=loja.udl"))));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("quebrado.udl")),
                      dataLink(QStringLiteral("Provider=MSDASQL.1;Password=\"%1;Data Source=x").arg(Secret))));
}

// Fills in the test's folder and the ODBC set-up of this program.
QString TstConnectionStrings::place(QString text) const
{
    text.replace(QLatin1String("%DIR%"), m_dir.path());
    text.replace(QLatin1String("%SQLITEODBC%"), sqliteOdbcDriver());
    static const QRegularExpression odbcPart(QStringLiteral("%(DSN|HOST|PORT|DB|USER)%"));
    if (text.contains(odbcPart)) {
        const TestDb::OdbcSetup &o = TestDb::odbcSetup();
        text.replace(QLatin1String("%DSN%"), o.dsn);
        text.replace(QLatin1String("%HOST%"), o.host);
        text.replace(QLatin1String("%PORT%"), QString::number(o.port));
        text.replace(QLatin1String("%DB%"), o.database);
        text.replace(QLatin1String("%USER%"), o.user);
    }
    return text;
}

void TstConnectionStrings::whereStoreStringsLead_data()
{
    QTest::addColumn<QString>("cs");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("database");  // as Qt's driver is handed it
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");

    const int odbc = int(TDialect::Unknown);  // asked from the server after connecting
    QTest::newRow("bare DSN") << "DSN=lojapg;UID=u;PWD=Pw9" << "QODBC" << odbc << "lojapg" << "u" << "Pw9";
    QTest::newRow("MSDASQL Data Source is the DSN")
        << "Provider=MSDASQL;Data Source=lojapg;User ID=u;Password=Pw9" << "QODBC" << odbc << "lojapg" << "u" << "Pw9";
    QTest::newRow("MSDASQL.1 as ADO writes it")
        << "Provider=MSDASQL.1;Persist Security Info=False;Data Source=lojapg" << "QODBC" << odbc << "lojapg" << "" << "";
    QTest::newRow("Extended Properties")
        << "Provider=MSDASQL.1;Extended Properties=\"DSN=lojapg;UID=u;PWD=Pw9\"" << "QODBC" << odbc << "lojapg" << "u" << "Pw9";
    QTest::newRow("Extended Properties with a driver and a braced password")
        << "Provider=msdasql.2;Extended Properties=\"Driver={PostgreSQL Unicode};Server=h;Port=5433;Database=loja;UID=u;PWD={a;b}}c}\""
        << "QODBC" << odbc << "Driver={PostgreSQL Unicode};Server=h;Port=5433;Database=loja" << "u" << "a;b}c";
    QTest::newRow("outer keys over Extended Properties")
        << "Provider=MSDASQL;Extended Properties=\"DSN=a;UID=x;Database=d\";Data Source=b;User ID=y;Initial Catalog=e"
        << "QODBC" << odbc << "b;Database=e" << "y" << "";
    QTest::newRow("driver already in braces")
        << "Driver={PostgreSQL Unicode};Server=h;Database=loja" << "QODBC" << odbc << "Driver={PostgreSQL Unicode};Server=h;Database=loja"
        << "" << "";
    QTest::newRow("driver without braces") << "Driver=PostgreSQL Unicode;Server=h" << "QODBC" << odbc
                                           << "Driver=PostgreSQL Unicode;Server=h" << "" << "";
    QTest::newRow("values that need braces get them once")
        << "DSN=loja;Database=\"a;b\";UID=\"u;v\";PWD=\" p}\"" << "QODBC" << odbc << "loja;Database={a;b}" << "u;v" << " p}";
    QTest::newRow("ADO keys understood or left out")
        << "Provider=MSDASQL.1;Persist Security Info=True;Connect Timeout=5;Application Name=Caixa 1;Mode=Read;"
           "Locale Identifier=1046;Integrated Security=False;Data Source=loja;Port=5433"
        << "QODBC" << odbc << "loja;Port=5433" << "" << "";
    QTest::newRow("file DSN") << "FILEDSN=/etc/odbc/loja.dsn;UID=u" << "QODBC" << odbc << "/etc/odbc/loja.dsn" << "u" << "";
    QTest::newRow("data link file (UTF-16)")
        << "File Name=%DIR%/loja.udl" << "QODBC" << odbc << "lojapg" << "u" << "Pw9";
    QTest::newRow("data link file (UTF-8), keys on top of it")
        << "File Name=\"%DIR%/utf8.udl\";User ID=outro" << "QODBC" << odbc << "lojapg" << "outro" << "Pw9";

    const int mssql = int(TDialect::SQLServer);
    QTest::newRow("SQLOLEDB.1 as ADO writes it")
        << "Provider=SQLOLEDB.1;Password=Pw9;Persist Security Info=True;User ID=sa;Initial Catalog=loja;Data Source=srv"
        << "QODBC" << mssql << "Driver={FreeTDS};Server=srv;Database=loja" << "sa" << "Pw9";
    QTest::newRow("SQLNCLI11.1") << "Provider=SQLNCLI11.1;Data Source=srv;Port=1433;Application Name=Caixa" << "QODBC" << mssql
                                 << "Driver={FreeTDS};Server=srv;Port=1433;APP=Caixa" << "" << "";
    QTest::newRow("MSOLEDBSQL.1, driver in braces")
        << "Provider=MSOLEDBSQL.1;Data Source=srv;Driver={ODBC Driver 18 for SQL Server}" << "QODBC" << mssql
        << "Driver={ODBC Driver 18 for SQL Server};Server=srv" << "" << "";

    const bool oci = QSqlDatabase::isDriverAvailable(QStringLiteral("QOCI"));
    const int oracle = int(TDialect::Oracle);
    QTest::newRow("OraOLEDB.Oracle.1") << "Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User ID=u;Password=Pw9"
                                       << (oci ? "QOCI" : "QODBC") << oracle
                                       << (oci ? "ORCL" : "Driver={Oracle};DBQ=ORCL") << "u" << "Pw9";
    QTest::newRow("msdaora.1, any case") << "provider=msdaora.1;data source=ORCL" << (oci ? "QOCI" : "QODBC") << oracle
                                         << (oci ? "ORCL" : "Driver={Oracle};DBQ=ORCL") << "" << "";
    QTest::newRow("PostgreSQL.1") << "Provider=PostgreSQL.1;Data Source=h;Initial Catalog=loja;Connect Timeout=0" << "QPSQL"
                                  << int(TDialect::PostgreSQL) << "loja" << "" << "";
    QTest::newRow("PostgreSQL, ODBC's UID and PWD") << "Provider=PostgreSQL;Data Source=h;Initial Catalog=loja;UID=u;PWD=Pw9" << "QPSQL"
                                                << int(TDialect::PostgreSQL) << "loja" << "u" << "Pw9";
    QTest::newRow("SQLite") << "Provider=SQLite;Data Source=/var/lib/loja.db;Persist Security Info=False" << "QSQLITE"
                            << int(TDialect::SQLite) << "/var/lib/loja.db" << "" << "";
}

void TstConnectionStrings::whereStoreStringsLead()
{
    QFETCH(QString, cs);
    QFETCH(QString, driver);
    QFETCH(int, dialect);
    QFETCH(QString, database);
    QFETCH(QString, user);
    QFETCH(QString, password);
    const TConnectionTarget t = resolveConnectionString(place(cs));
    QCOMPARE(t.driver, driver);
    QCOMPARE(int(t.dialect), dialect);
    QCOMPARE(t.dialectFromServer, dialect == int(TDialect::Unknown));
    QCOMPARE(t.databaseName, database);
    QCOMPARE(t.userName, user);
    QCOMPARE(t.password, password);
    QVERIFY(!t.place.isEmpty());
    if (!password.isEmpty())
        QVERIFY2(!t.place.contains(password), qPrintable(t.place));
    if (cs.contains(QLatin1String("Connect Timeout=")))
        QCOMPARE(t.connectTimeout, cs.contains(QLatin1String("Timeout=0")) ? 0 : 5);
}

void TstConnectionStrings::badStringsAreRefusedClearly_data()
{
    QTest::addColumn<QString>("cs");
    QTest::addColumn<QString>("named");  // the parts at fault, named in the message ('|' between them)

    QTest::newRow("unknown provider") << "Provider=Jet.OLEDB.4.0;Data Source=x.mdb;Password=%S%" << "Jet.OLEDB.4.0";
    QTest::newRow("provider that is not a name") << "Provider=\"MSDASQL;Password=%S%\";Data Source=x" << "Provedor indicado";
    QTest::newRow("Windows login") << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=srv;Password=%S%"
                                   << "Integrated Security";
    QTest::newRow("Extended Properties: open quote") << "Provider=MSDASQL.1;Extended Properties=\"DSN=loja;PWD=%S%"
                                                     << "Extended Properties";
    QTest::newRow("Extended Properties: open brace") << "Provider=MSDASQL.1;Extended Properties=\"DSN=loja;PWD={%S%\""
                                                     << "Extended Properties|(PWD)";
    QTest::newRow("Extended Properties: item without '='") << "Provider=MSDASQL.1;Extended Properties=\"DSN=loja;%S%\""
                                                           << "Extended Properties";
    QTest::newRow("open brace") << "Driver={PostgreSQL Unicode;PWD=%S%" << "(Driver)";
    QTest::newRow("text after braces") << "DSN=loja;PWD={%S%}x" << "(PWD)";
    QTest::newRow("MSDASQL without a data source") << "Provider=MSDASQL;User ID=u;Password=%S%" << "'DSN'";
    QTest::newRow("'.dsn' outside FileDSN") << "DSN=loja.dsn;PWD=%S%" << "'FileDSN'";
    QTest::newRow("missing data link") << "File Name=/nao/existe/loja.udl;Password=%S%" << "/nao/existe/loja.udl";
    QTest::newRow("data link without [oledb]") << "File Name=%DIR%/texto.udl" << "texto.udl";
    QTest::newRow("binary data link") << "File Name=%DIR%/binario.udl" << "binario.udl";
    QTest::newRow("empty data link") << "File Name=%DIR%/vazio.udl" << "vazio.udl";
    QTest::newRow("data link naming another") << "File Name=%DIR%/outro.udl" << "outro.udl";
    QTest::newRow("data link with an open quote") << "File Name=%DIR%/quebrado.udl" << "quebrado.udl";
    QTest::newRow("data link is a folder") << "File Name=%DIR%" << "não é um arquivo comum";
    QTest::newRow("bad Connect Timeout") << "Provider=SQLite;Data Source=/x.db;Connect Timeout=dez;Password=%S%"
                                         << "'Connect Timeout'";
    QTest::newRow("ports not one per server") << "Provider=PostgreSQL;Data Source=a,b,c;Port=1,2;Initial Catalog=l;Password=%S%"
                                              << "'Port' tem 2 portas para 3 servidores";
    QTest::newRow("port list with a bad port") << "Provider=PostgreSQL;Data Source=a,b;Port=5432,x;Initial Catalog=l" << "'x'";
    QTest::newRow("unknown session kind") << "Provider=PostgreSQL;Data Source=a;Target Session Attrs=rw;Initial Catalog=l"
                                          << "'Target Session Attrs' aceita any, read-write";
    QTest::newRow("SQL Server without server") << "Provider=SQLOLEDB.1;Initial Catalog=loja;Password=%S%" << "'Data Source'";
}

void TstConnectionStrings::badStringsAreRefusedClearly()
{
    QFETCH(QString, cs);
    QFETCH(QString, named);
    try {
        resolveConnectionString(place(QString(cs).replace(QLatin1String("%S%"), Secret)));
        QFAIL("accepted");
    } catch (const EADOError &e) {
        for (const QString &part : named.split(QLatin1Char('|')))
            QVERIFY2(e.Message().contains(part), qPrintable(e.Message()));
        QVERIFY2(!e.Message().contains(Secret), qPrintable(e.Message()));
    }
}

void TstConnectionStrings::connectsThroughEveryForm_data()
{
    QTest::addColumn<QString>("cs");
    QTest::addColumn<QString>("refusal");  // named in the message when it cannot connect

    // qul_senha is the one user of the test server that needs a password:
    // "a;b}c", which needs braces in an ODBC string.
    QTest::newRow("bare DSN") << "DSN=%DSN%;UID=%USER%;PWD=p" << "";
    QTest::newRow("MSDASQL Data Source, password needing braces")
        << "Provider=MSDASQL;Data Source=%DSN%;User ID=qul_senha;Password=\"a;b}c\"" << "";
    QTest::newRow("MSDASQL.1, user from the DSN") << "Provider=MSDASQL.1;Persist Security Info=False;Data Source=%DSN%" << "";
    QTest::newRow("Extended Properties, password in braces")
        << "Provider=MSDASQL.1;Extended Properties=\"DSN=%DSN%;UID=qul_senha;PWD={a;b}}c}\"" << "";
    QTest::newRow("driver in braces") << "Driver={PostgreSQL Unicode};Server=%HOST%;Port=%PORT%;Database=%DB%;UID=%USER%" << "";
    QTest::newRow("driver without braces") << "Driver=PostgreSQL Unicode;Server=%HOST%;Port=%PORT%;Database=%DB%;UID=%USER%"
                                           << "";
    QTest::newRow("data link file") << "File Name=%DIR%/odbc.udl" << "";
    QTest::newRow("ADO keys") << "Provider=MSDASQL.1;Connect Timeout=5;Application Name=Caixa 1;Data Source=%DSN%" << "";
    QTest::newRow("DSN that does not exist") << "Provider=MSDASQL.1;Data Source=nao_existe;User ID=u;Password=%S%"
                                             << "'nao_existe'";
    QTest::newRow("server of an SQL this system does not know")
        << "Driver=%SQLITEODBC%;Database=%DIR%/loja.sqlite" << "não é Oracle, SQL Server nem PostgreSQL";
    QTest::newRow("wrong password") << "Provider=MSDASQL.1;Data Source=%DSN%;User ID=qul_senha;Password=%S%" << "'%DSN%'";
    // A replicated store: a list of servers of which only a writable one is
    // taken, natively and through psqlODBC's pqopt.
    const QString pg = QStringLiteral("Provider=PostgreSQL;Initial Catalog=%DB%;User ID=%USER%;");
    QTest::newRow("two servers, the first one away, a port each")
        << pg + "Data Source=127.0.0.1,%HOST%;Port=1,%PORT%;Target Session Attrs=read-write" << "";
    QTest::newRow("a standby asked for, none there")
        << pg + "Data Source=%HOST%,%HOST%;Port=%PORT%;Target Session Attrs=standby" << "hot standby";
    QTest::newRow("pqopt: two servers, a writable one")
        << "Driver={PostgreSQL Unicode};Database=%DB%;UID=%USER%;"
           "pqopt={host=127.0.0.1,%HOST% port=1,%PORT% target_session_attrs=read-write}" << "";
}

void TstConnectionStrings::connectsThroughEveryForm()
{
    QFETCH(QString, cs);
    QFETCH(QString, refusal);
    TestDb::Fresh db(TestDb::Engine::ODBC, true);  // the store, and this program's DSN
    if (!db.ok()) {
        if (!TestDb::odbcRequired())
            QSKIP(qPrintable(db.error()));
        QFAIL(qPrintable(db.error()));
    }
    db.exec(QStringLiteral("DO $$ BEGIN CREATE ROLE qul_senha LOGIN SUPERUSER; EXCEPTION WHEN duplicate_object THEN NULL; END $$"));
    db.exec(QStringLiteral("ALTER ROLE qul_senha PASSWORD 'a;b}c'"));
    const QString udl = m_dir.filePath(QStringLiteral("odbc.udl"));
    QVERIFY(writeFile(udl, dataLink(place(QStringLiteral("Provider=MSDASQL.1;Extended Properties=\"DSN=%DSN%;UID=%USER%\"")))));

    TADOConnection con;
    con.ConnectionString = place(QString(cs).replace(QLatin1String("%S%"), Secret));
    if (!refusal.isEmpty()) {
        try {
            con.Open();
            QFAIL("connected");
        } catch (const EADOError &e) {
            QVERIFY2(e.Message().contains(place(refusal)), qPrintable(e.Message()));
            QVERIFY2(!e.Message().contains(Secret), qPrintable(e.Message()));
        }
        QVERIFY(!con.Connected());
        return;
    }
    con.Open();
    QCOMPARE(con.Dialect(), TDialect::PostgreSQL);
    QCOMPARE(con.Database().driverName(), cs.startsWith(QLatin1String("Provider=PostgreSQL")) ? "QPSQL" : "QODBC");
    TADOQuery q;
    q.Connection = &con;
    q.SQL() = QStringList{QStringLiteral("SELECT COUNT(*) AS N FROM PRODUTO")};
    q.Open();
    QCOMPARE(int(q.FieldByName(QStringLiteral("N"))->AsInteger()), db.count(QStringLiteral("PRODUTO")));
    con.BeginTrans();
    QVERIFY(con.InTransaction());
    con.RollbackTrans();
    QVERIFY(!con.InTransaction());
}

QTEST_GUILESS_MAIN(TstConnectionStrings)
#include "tst_connectionstrings.moc"
