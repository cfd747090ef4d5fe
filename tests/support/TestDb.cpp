#include "TestDb.h"

#include "ConnectionString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace TestDb {

namespace {

int g_serial = 0;
QString g_pgDatabase;  // this program's database on the test server
bool g_pgReady = false;
QString g_pgError;

StoreDb::Engine storeEngine(Engine e)
{
    return e == Engine::SQLite ? StoreDb::Engine::SQLite : StoreDb::Engine::PostgreSQL;
}

// Where the PostgreSQL ODBC driver lives (Debian: under the multiarch
// folder), or empty.
QString psqlOdbcDriver()
{
    QStringList candidates;
    for (const QString &arch : QDir(QStringLiteral("/usr/lib")).entryList({QStringLiteral("*-linux-*")}, QDir::Dirs))
        candidates << QStringLiteral("/usr/lib/%1/odbc/psqlodbcw.so").arg(arch);
    candidates << QStringLiteral("/usr/lib/odbc/psqlodbcw.so") << QStringLiteral("/usr/lib64/psqlodbcw.so");
    for (const QString &c : std::as_const(candidates))
        if (QFileInfo(c).isFile())
            return c;
    return QString();
}

bool writeText(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

bool openPg(const QString &name, const QString &database, QString *error)
{
    const TConnectionString cs = TConnectionString::parse(pgServer());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(cs.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")));
    db.setPort(cs.value(QStringLiteral("Port"), QStringLiteral("5432")).toInt());
    db.setUserName(cs.value(QStringLiteral("User ID"), QStringLiteral("postgres")));
    db.setPassword(cs.value(QStringLiteral("Password")));
    db.setDatabaseName(database);
    db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery(db).exec(QStringLiteral("SET client_min_messages = warning"));
    return true;
}

// Creates this program's own database on the server once.
bool ensurePgDatabase(QString *error)
{
    if (g_pgReady)
        return true;
    if (!g_pgError.isEmpty()) {
        *error = g_pgError;
        return false;
    }
    if (pgServer().isEmpty()) {
        g_pgError = QStringLiteral("PostgreSQL não configurado (QUL_PG_TEST vazio): casos PostgreSQL ignorados");
        *error = g_pgError;
        return false;
    }
    const TConnectionString cs = TConnectionString::parse(pgServer());
    {
        QString err;
        if (!openPg(QStringLiteral("qul_test_admin"), cs.value(QStringLiteral("Initial Catalog"), QStringLiteral("postgres")), &err)) {
            QSqlDatabase::removeDatabase(QStringLiteral("qul_test_admin"));
            g_pgError = QStringLiteral("PostgreSQL inalcançável: %1").arg(err);
            *error = g_pgError;
            return false;
        }
        QSqlDatabase admin = QSqlDatabase::database(QStringLiteral("qul_test_admin"));
        g_pgDatabase = QStringLiteral("qul_t_%1_%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
        QSqlQuery q(admin);
        if (!q.exec(QStringLiteral("CREATE DATABASE %1").arg(g_pgDatabase))) {
            g_pgError = QStringLiteral("Não foi possível criar o banco de testes: %1").arg(q.lastError().text());
            *error = g_pgError;
            admin.close();
            return false;
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("qul_test_admin"));
    g_pgReady = true;
    return true;
}

}  // namespace

QString pgServer()
{
    return qEnvironmentVariable("QUL_PG_TEST");
}

bool pgRequired()
{
    return qEnvironmentVariable("QUL_REQUIRE_PG") == QLatin1String("1");
}

bool odbcRequired()
{
    return qEnvironmentVariable("QUL_REQUIRE_ODBC") == QLatin1String("1");
}

bool required(Engine engine)
{
    switch (engine) {
    case Engine::SQLite: return true;
    case Engine::PostgreSQL: return pgRequired();
    case Engine::ODBC: return odbcRequired();
    }
    return true;
}

bool onPostgreSQL(Engine engine)
{
    return engine == Engine::PostgreSQL || engine == Engine::ODBC;
}

const OdbcSetup &odbcSetup()
{
    static OdbcSetup setup;
    static bool done = false;
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qulodbc-XXXXXX"));
    if (done)
        return setup;
    done = true;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
        setup.error = QStringLiteral("driver QODBC do Qt ausente (pacote libqt6sql6-odbc): casos ODBC ignorados");
        return setup;
    }
    const QString driver = psqlOdbcDriver();
    if (driver.isEmpty()) {
        setup.error = QStringLiteral("driver ODBC do PostgreSQL ausente (pacote odbc-postgresql): casos ODBC ignorados");
        return setup;
    }
    if (!ensurePgDatabase(&setup.error))
        return setup;
    if (!folder.isValid()) {
        setup.error = QStringLiteral("pasta temporária para o odbc.ini: %1").arg(folder.errorString());
        return setup;
    }
    const TConnectionString cs = TConnectionString::parse(pgServer());
    setup.folder = folder.path();
    setup.host = cs.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1"));
    setup.port = cs.value(QStringLiteral("Port"), QStringLiteral("5432")).toInt();
    setup.database = g_pgDatabase;
    setup.user = cs.value(QStringLiteral("User ID"), QStringLiteral("postgres"));
    setup.password = cs.value(QStringLiteral("Password"));
    const QString dsn = QStringLiteral("qul_teste");
    const bool written =
        writeText(folder.filePath(QStringLiteral("odbcinst.ini")),
                  QStringLiteral("[PostgreSQL Unicode]\nDescription=PostgreSQL ODBC driver (Unicode)\nDriver=%1\n").arg(driver))
        && writeText(folder.filePath(QStringLiteral("odbc.ini")),
                     QStringLiteral("[%1]\nDriver=PostgreSQL Unicode\nServername=%2\nPort=%3\nDatabase=%4\nUsername=%5\n")
                         .arg(dsn, setup.host)
                         .arg(setup.port)
                         .arg(setup.database, setup.user));
    if (!written) {
        setup.error = QStringLiteral("não foi possível escrever o odbc.ini em %1").arg(folder.path());
        return setup;
    }
    // Read by the driver manager at every connect, in this program and in
    // the programs it starts.
    qputenv("ODBCSYSINI", QFile::encodeName(folder.path()));
    qputenv("ODBCINI", QFile::encodeName(folder.filePath(QStringLiteral("odbc.ini"))));
    setup.dsn = dsn;
    return setup;
}

void addEngines()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("sqlite") << int(Engine::SQLite);
    QTest::newRow("postgresql") << int(Engine::PostgreSQL);
    QTest::newRow("odbc") << int(Engine::ODBC);
}

Engine currentEngine()
{
    QFETCH_GLOBAL(int, engine);
    return Engine(engine);
}

Fresh::Fresh(Engine engine, bool demo) : m_engine(engine)
{
    m_conn = QStringLiteral("qul_fixture_%1").arg(++g_serial);
    if (engine == Engine::SQLite) {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString path = m_dir->filePath(QStringLiteral("loja.db"));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_conn);
        db.setDatabaseName(path);
        if (!db.open()) {
            m_error = db.lastError().text();
            return;
        }
        m_cs = QStringLiteral("Provider=SQLite;Data Source=%1").arg(path);
    } else {
        if (engine == Engine::ODBC) {
            const OdbcSetup &odbc = odbcSetup();
            if (odbc.dsn.isEmpty()) {
                m_error = odbc.error;
                return;
            }
            // As a store's ADO tools write it: the DSN as "Data Source".
            m_cs = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;User ID=%1;Password=\"%2\";Data Source=%3")
                       .arg(odbc.user, odbc.password, odbc.dsn);
        }
        if (!ensurePgDatabase(&m_error))
            return;
        if (!openPg(m_conn, g_pgDatabase, &m_error))
            return;
        if (engine == Engine::PostgreSQL) {
            TConnectionString cs = TConnectionString::parse(pgServer());
            m_cs = QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=\"%5\"")
                       .arg(cs.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")),
                            cs.value(QStringLiteral("Port"), QStringLiteral("5432")), g_pgDatabase,
                            cs.value(QStringLiteral("User ID"), QStringLiteral("postgres")), cs.value(QStringLiteral("Password")));
        }
    }
    try {
        QSqlDatabase d = db();
        StoreDb::dropSchema(d, storeEngine(engine));
        StoreDb::createSchema(d, storeEngine(engine));
        if (demo)
            StoreDb::loadDemoData(d, storeEngine(engine));
    } catch (const std::exception &e) {
        m_error = QString::fromUtf8(e.what());
        return;
    }
    m_ok = true;
}

Fresh::~Fresh()
{
    {
        QSqlDatabase d = QSqlDatabase::database(m_conn, false);
        if (d.isOpen() && TestDb::onPostgreSQL(m_engine)) {
            // Triggers and functions a test added go with the schema.
            QSqlQuery(d).exec(QStringLiteral("DROP FUNCTION IF EXISTS qul_test_falha() CASCADE"));
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(m_conn);
}

QSqlDatabase Fresh::db() const
{
    return QSqlDatabase::database(m_conn);
}

void Fresh::exec(const QString &sql) const
{
    QSqlQuery q(db());
    if (!q.exec(sql))
        QTest::qFail(qPrintable(QStringLiteral("%1: %2").arg(sql, q.lastError().text())), __FILE__, __LINE__);
}

QVariant Fresh::scalar(const QString &sql) const
{
    QSqlQuery q(db());
    if (!q.exec(sql)) {
        QTest::qFail(qPrintable(QStringLiteral("%1: %2").arg(sql, q.lastError().text())), __FILE__, __LINE__);
        return QVariant();
    }
    return q.next() ? q.value(0) : QVariant();
}

int Fresh::count(const QString &table, const QString &where) const
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where)).toInt();
}

}  // namespace TestDb
