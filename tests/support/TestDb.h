#pragma once
// Test databases: every service test runs once per engine from the same
// code. SQLite gets a fresh file per test; PostgreSQL a database of its own
// per test program on the throwaway server named by QUL_PG_TEST; ODBC is
// that same database reached through QODBC and the PostgreSQL ODBC driver,
// from a DSN in an odbc.ini of the program's own (ODBCINI, ODBCSYSINI).

#include "StoreDb.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace TestDb {

enum class Engine { SQLite, PostgreSQL, ODBC };

// Adds the rows "sqlite", "postgresql" and "odbc" to the global test data
// (call from initTestCase_data()).
void addEngines();
Engine currentEngine();  // from the current global data row
// Whether the store database of the engine is a PostgreSQL one (directly or
// through ODBC): its SQL is PostgreSQL's.
bool onPostgreSQL(Engine engine);

// Connection string of the PostgreSQL test server (QUL_PG_TEST), or empty.
QString pgServer();
// Whether the PostgreSQL cases must run (the README's test command sets
// QUL_REQUIRE_PG=1, so a missing server fails instead of skipping).
bool pgRequired();
// Whether the ODBC cases must run (QUL_REQUIRE_ODBC=1, set by the README's
// test command like QUL_REQUIRE_PG).
bool odbcRequired();
// Whether a missing engine fails the test instead of skipping it.
bool required(Engine engine);

// The ODBC set-up of this program, made once: a DSN for its PostgreSQL test
// database in an odbc.ini of a temporary folder, with an odbcinst.ini that
// names the PostgreSQL ODBC driver "PostgreSQL Unicode". Empty DSN and an
// error when the server, Qt's ODBC driver or the ODBC driver is missing.
struct OdbcSetup {
    QString dsn, folder, host, database, user, password, error;
    int port = 0;
};
const OdbcSetup &odbcSetup();

// A fresh, empty store database (schema only, or with the demo store) for
// the current engine; returns its ADO connection string. Skips or fails the
// test when the engine is not reachable.
class Fresh {
public:
    explicit Fresh(Engine engine, bool demo = false);
    ~Fresh();
    const QString &connectionString() const { return m_cs; }
    // A plain Qt connection for arranging and checking rows.
    QSqlDatabase db() const;
    Engine engine() const { return m_engine; }
    bool onPostgreSQL() const { return TestDb::onPostgreSQL(m_engine); }
    bool ok() const { return m_ok; }
    const QString &error() const { return m_error; }
    // Runs a statement, failing loudly when it does not run.
    void exec(const QString &sql) const;
    // First column of the first row (invalid when no row).
    QVariant scalar(const QString &sql) const;
    int count(const QString &table, const QString &where = QString()) const;

private:
    Engine m_engine;
    QString m_cs, m_conn, m_error;
    bool m_ok = false;
    std::unique_ptr<QTemporaryDir> m_dir;
};

}  // namespace TestDb

// Opens a fresh database for the current engine or ends the test.
#define QUL_FRESH_DB(var, demo)                                                     \
    TestDb::Fresh var(TestDb::currentEngine(), demo);                               \
    do {                                                                            \
        if (!var.ok()) {                                                            \
            if (!TestDb::required(TestDb::currentEngine()))                         \
                QSKIP(qPrintable(var.error()));                                     \
            QFAIL(qPrintable(var.error()));                                         \
        }                                                                           \
    } while (0)
