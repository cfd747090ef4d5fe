#include "ADOConnection.h"

#include "ADOQuery.h"
#include "DriverError.h"
#include "OdbcCalls.h"
#include "SqliteFunctions.h"
#include "Exceptions.h"
#include "FailureLog.h"
#include "OdbcString.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

QAtomicInt g_connectionSerial;

constexpr int kDefaultStatementTimeoutMs = 30000;

// The engine's own handle behind a Qt connection. Drivers name the type
// differently ("sqlite3*", "pg_conn*", "SQLHANDLE"); the caller knows the
// driver, so any pointer-typed handle is taken.
template <typename T>
T handleOf(const QSqlDatabase &db, const char *)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || !(v.metaType().flags() & QMetaType::IsPointer) || v.metaType().sizeOf() != sizeof(void *))
        return nullptr;
    return *static_cast<const T *>(v.constData());
}

}  // namespace

// ---------------------------------------------------------------- TADOConnection

TADOConnection::TADOConnection(QObject *owner)
    : QObject(owner), m_name(QStringLiteral("qul_adc_%1").arg(g_connectionSerial.fetchAndAddRelaxed(1)))
{
}

TADOConnection::~TADOConnection()
{
    try {
        Close();
    } catch (...) {
    }
}

QSqlDatabase TADOConnection::Database() const
{
    return QSqlDatabase::database(m_name, false);
}

void TADOConnection::raise(const QString &what, const QSqlError &err) const
{
    // The driver's own text, unchanged: no message is built from the
    // connection string, so there is no password in it to take out.
    const QString &drv = m_driver;
    bool bad = false;
    if (m_pg) {
        bad = PQstatus(m_pg) != CONNECTION_OK;
    } else if (drv == QLatin1String("QODBC")) {
        bad = odbcConnectionDead(handleOf<void *>(Database(), "SQLHANDLE"));
    }
    TDriverFault fault = classifyDriverError(drv, err, bad);
    if (fault == TDriverFault::ConnectionLost && m_open)
        m_lost = true;
    else if (m_lost)
        fault = TDriverFault::ConnectionLost;
    QString t = driverErrorText(err);
    const QString sentence = driverFaultSentence(fault, drv);
    if (!sentence.isEmpty())
        t = t.isEmpty() ? sentence : sentence + QLatin1Char(' ') + t;
    const bool transient = fault == TDriverFault::ConnectionLost || fault == TDriverFault::Busy
                           || fault == TDriverFault::TimedOut;
    throw EADOError(what.isEmpty() ? t : (t.isEmpty() ? what : what + QStringLiteral(": ") + t), transient);
}

void TADOConnection::raise(const QSqlError &err, const QSqlQuery &failed) const
{
    if (m_driver != QLatin1String("QODBC") || !failed.result())
        raise(QString(), err);
    // Qt's ODBC driver gives the driver's own error number; the SQLSTATE
    // left on the statement says what happened.
    const QVariant h = failed.result()->handle();
    char state[6] = {0};
    if (h.isValid() && (h.metaType().flags() & QMetaType::IsPointer))
        odbcStatementState(*static_cast<void *const *>(h.constData()), state);
    if (qstrncmp(state, "08", 2) == 0) {
        m_lost = true;
    } else if (!m_lost && !m_inTrans && qstrcmp(state, "57014") != 0 && qstrncmp(state, "HYT", 3) != 0) {
        // Drivers do not always say a connection was lost (the PostgreSQL
        // one reports a general error when it finds out while preparing):
        // outside a transaction, a statement that cannot reach the server
        // tells.
        QSqlQuery ping(Database());
        m_lost = !ping.exec(QLatin1String(m_dialect == TDialect::Oracle ? "SELECT 1 FROM DUAL" : "SELECT 1"));
    }
    raise(QString(), QSqlError(err.driverText(), err.databaseText(), err.type(), QString::fromLatin1(state)));
}

bool TADOConnection::ConnectionLost() const
{
    if (!m_open)
        return m_reopen;
    return m_lost || (m_pg && PQstatus(m_pg) != CONNECTION_OK);
}

bool TADOConnection::lostWhileIdle()
{
    if (m_sqlite && !ConnectionLost()) {
        // A store file on a share that went away and came back, or one
        // removed or replaced, is no longer the file this connection has
        // open.
        int moved = 0;
        m_lost = sqlite3_file_control(m_sqlite, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
    }
    return ConnectionLost();
}

void TADOConnection::ReconnectIfLost()
{
    if (m_inTrans)
        return;
    if (m_open) {
        if (!lostWhileIdle())
            return;
        Close();
        m_reopen = true;
    } else if (!m_reopen) {
        return;
    }
    try {
        Open();
    } catch (const std::exception &e) {
        // The server, or the store file, is still away: said as a lost
        // connection, with what the connect found after it.
        const QString how = exceptionMessage(e);
        throw EADOError(driverFaultSentence(TDriverFault::ConnectionLost, QString()) + QLatin1Char(' ') + how, true);
    }
}

void TADOConnection::UseStatementTimeout(int seconds)
{
    // PostgreSQL's own limit, natively and through ODBC (its ODBC driver
    // ignores ODBC's query time-out).
    if (!m_open || m_dialect != TDialect::PostgreSQL)
        return;
    const int ms = seconds > 0 ? seconds * 1000 : 0;
    // SET takes no parameters; the value is a number this code made.
    const auto set = [this](const char *scope, int value) {
        execControl(QStringLiteral("SET %1statement_timeout = %2").arg(QLatin1String(scope)).arg(value).toLatin1().constData());
    };
    if (!InTransaction()) {
        if (m_timeoutSession != ms) {
            set("", ms);
            m_timeoutSession = ms;
        }
        return;
    }
    // Inside a transaction, reads before its first write keep their limit;
    // from the first command on, its statements run without one (the
    // write is under way and holds the terminals' lock), so a save sets
    // the limit at most once.
    if (m_timeoutLocal == 0)
        return;
    const int current = m_timeoutLocal >= 0 ? m_timeoutLocal : m_timeoutSession;
    if (current != ms) {
        set("LOCAL ", ms);
        m_timeoutLocal = ms;
    }
}

namespace {

// The dialect of the server a connection reached, as Qt's driver names it;
// Unknown when the driver cannot tell.
TDialect dialectOfServer(const QSqlDatabase &db)
{
    switch (db.driver() ? db.driver()->dbmsType() : QSqlDriver::UnknownDbms) {
    case QSqlDriver::MSSqlServer: return TDialect::SQLServer;
    case QSqlDriver::Oracle: return TDialect::Oracle;
    case QSqlDriver::PostgreSQL: return TDialect::PostgreSQL;
    case QSqlDriver::SQLite: return TDialect::SQLite;
    default: return TDialect::Unknown;
    }
}

QString connectOptions(const TConnectionTarget &t)
{
    QStringList o;
    if (t.driver == QLatin1String("QSQLITE")) {
        o.append(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else if (t.driver == QLatin1String("QPSQL")) {
        o.append(QStringLiteral("connect_timeout=%1").arg(t.connectTimeout >= 0 ? t.connectTimeout : 10));
        // Queries wait at most ADO's default of 30 seconds (statements with
        // another limit set their own).
        o.append(QStringLiteral("options='-c statement_timeout=%1'").arg(kDefaultStatementTimeoutMs));
        // Qt's driver takes one port: a list goes to libpq, whose later
        // keyword wins over the driver's own.
        if (!t.ports.isEmpty())
            o.append(QStringLiteral("port=") + t.ports);
        if (!t.targetSessionAttrs.isEmpty())
            o.append(QStringLiteral("target_session_attrs=") + t.targetSessionAttrs);
        if (!t.applicationName.isEmpty()) {
            // Qt's driver turns ';' into spaces; the value goes in quotes.
            QString name = t.applicationName;
            name.replace(QLatin1Char(';'), QLatin1Char(','));
            name.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            name.replace(QLatin1Char('\''), QStringLiteral("\\'"));
            o.append(QStringLiteral("application_name='%1'").arg(name));
        }
    } else if (t.driver == QLatin1String("QODBC")) {
        // ADO waits 15 seconds for a connection unless told otherwise.
        o.append(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(t.connectTimeout >= 0 ? t.connectTimeout : 15));
    }
    return o.join(QLatin1Char(';'));
}

}  // namespace

void TADOConnection::Open()
{
    if (m_open)
        return;
    try {
        openNow();
    } catch (const std::exception &e) {
        m_reopen = m_openings > 0;  // a connection that never opened is its owner's to retry
        registraFalha(QStringLiteral("conexão com o banco de dados"), exceptionMessage(e));
        throw;
    }
    m_reopen = false;
}

void TADOConnection::openNow()
{
    if (m_open)
        return;
    if (BeforeConnect)
        BeforeConnect(this);
    const TConnectionTarget t = resolveConnectionString(ConnectionString);
    if (!QSqlDatabase::isDriverAvailable(t.driver))
        throw EADOError(QStringLiteral("O driver de banco de dados %1 não está instalado.").arg(t.driver));
    if (t.driver == QLatin1String("QSQLITE") && t.databaseName != QLatin1String(":memory:")
        && !QFileInfo(t.databaseName).isFile())
        throw EADOError(QStringLiteral("Banco de dados não encontrado: %1").arg(t.databaseName));
    const bool odbc = t.driver == QLatin1String("QODBC");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(t.driver, m_name);
        const auto drop = [&] {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
        };
        db.setDatabaseName(t.databaseName);
        if (!t.hostName.isEmpty())
            db.setHostName(t.hostName);
        if (t.port > 0)
            db.setPort(t.port);
        // Qt's ODBC driver appends ";UID=...;PWD=..." as given: values that
        // need braces get them here.
        if (!t.userName.isEmpty())
            db.setUserName(odbc ? odbcValue(t.userName) : t.userName);
        if (!t.password.isEmpty())
            db.setPassword(odbc ? odbcValue(t.password) : t.password);
        db.setConnectOptions(connectOptions(t));
        if (!db.open()) {
            const QSqlError err = db.lastError();
            drop();
            raise(QStringLiteral("Não foi possível conectar ao banco de dados (%1)").arg(t.place), err);
        }
        m_dialect = t.dialect;
        if (const TDialect server = dialectOfServer(db); server != TDialect::Unknown)
            m_dialect = server;
        if (m_dialect == TDialect::Unknown) {
            drop();
            throw EADOError(QStringLiteral("O banco de dados alcançado por %1 não é Oracle, SQL Server nem PostgreSQL: "
                                           "este sistema não conhece o seu SQL.")
                                .arg(t.place));
        }
        if (t.driver == QLatin1String("QSQLITE")) {
            // Qt has no way to add an SQL function to a connection: the
            // SQLite handle does it.
            sqlite3 *h = handleOf<sqlite3 *>(db, "sqlite3*");
            if (!h || sqlite3_create_function(h, "TO_NUMBER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                              sqliteToNumber, nullptr, nullptr) != SQLITE_OK) {
                drop();
                throw EADOError(QStringLiteral("Não foi possível preparar a conexão SQLite."));
            }
            m_sqlite = h;
        } else if (t.driver == QLatin1String("QPSQL")) {
            m_pg = handleOf<PGconn *>(db, "PGconn*");
        }
    }
    m_open = true;
    ++m_openings;
    m_driver = t.driver;
    m_inTrans = false;
    m_lost = false;
    m_timeoutSession = t.driver == QLatin1String("QPSQL") ? kDefaultStatementTimeoutMs : -1;
    m_timeoutLocal = -1;
    if (AfterConnect) {
        try {
            AfterConnect(this);
        } catch (...) {
            Close();
            throw;
        }
    }
}

void TADOConnection::Close()
{
    m_reopen = false;
    if (!m_open)
        return;
    for (TADOStatement *s : std::as_const(m_users))
        s->connectionClosed();
    m_users.clear();
    {
        QSqlDatabase db = Database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_open = false;
    m_driver.clear();
    m_inTrans = false;
    m_lost = false;
    m_dialect = TDialect::Unknown;
    m_sqlite = nullptr;
    m_pg = nullptr;
}

void TADOConnection::attach(TADOStatement *s)
{
    if (!m_users.contains(s))
        m_users.append(s);
}

void TADOConnection::detach(TADOStatement *s)
{
    m_users.removeAll(s);
}

bool TADOConnection::InTransaction() const
{
    if (!m_open || !m_inTrans)
        return false;
    // A read whose results libpq is still handing out reports
    // PQTRANS_ACTIVE: that is no transaction, so the native status never
    // decides that one is open, only that the server has ended ours (a lost
    // connection has none left there). Through ODBC there is no such
    // question to ask.
    if (m_sqlite)
        return sqlite3_get_autocommit(m_sqlite) == 0;
    if (m_pg)
        return PQstatus(m_pg) == CONNECTION_OK && PQtransactionStatus(m_pg) != PQTRANS_IDLE;
    return true;
}

void TADOConnection::execControl(const char *sql)
{
    QSqlQuery q(Database());
    ++StatementCount;
    if (!q.exec(QString::fromLatin1(sql)))
        raise(QString(), q.lastError());
}

void TADOConnection::BeginTrans()
{
    if (!m_open)
        throw EADOError(QStringLiteral("Conexão com o banco de dados fechada."));
    const QString &drv = m_driver;
    if (drv == QLatin1String("QSQLITE")) {
        execControl("BEGIN IMMEDIATE");  // the write lock is taken now, not at the first write
    } else if (drv == QLatin1String("QPSQL")) {
        execControl("BEGIN");
    } else {
        QSqlDatabase db = Database();
        ++StatementCount;
        if (!db.transaction())
            raise(QString(), db.lastError());
    }
    m_inTrans = true;
    m_timeoutLocal = -1;
    m_odbcXid = m_driver == QLatin1String("QODBC") && m_dialect == TDialect::PostgreSQL ? transactionId() : -1;
}

qint64 TADOConnection::transactionId()
{
    QSqlQuery q(Database());
    ++StatementCount;
    if (!q.exec(QStringLiteral("SELECT txid_current()")))
        raise(q.lastError(), q);
    return q.next() ? q.value(0).toLongLong() : -1;
}

void TADOConnection::transactionLost(bool rollBack)
{
    if (rollBack) {
        try {
            endTrans(false);
        } catch (const std::exception &) {
        }
    }
    m_inTrans = false;
    m_timeoutLocal = -1;
    QString t = QStringLiteral("A gravação não foi concluída: o banco de dados desfez a transação.");
    if (ConnectionLost())
        t += QLatin1Char(' ') + driverFaultSentence(TDriverFault::ConnectionLost, m_driver);
    throw EADOError(t, ConnectionLost());
}

void TADOConnection::endTrans(bool commit)
{
    const QString &drv = m_driver;
    // PostgreSQL: the transaction whose commit may be in doubt.
    const qint64 xid = commit && m_dialect == TDialect::PostgreSQL ? m_commitXid : -1;
    m_commitXid = -1;
    if (commit && m_pg) {
        // The commit waits as long as a statement may (a standby away).
        if (!commitPostgres(xid, m_timeoutSession > 0 ? m_timeoutSession : kDefaultStatementTimeoutMs))
            transactionLost(false);
        m_inTrans = false;
        m_timeoutLocal = -1;
        return;
    }
    if (drv == QLatin1String("QSQLITE") || drv == QLatin1String("QPSQL")) {
        // A COMMIT that fails may leave the transaction open (SQLite, busy)
        // or ended (PostgreSQL): InTransaction asks the engine which.
        QSqlQuery q(Database());
        ++StatementCount;
        if (!q.exec(QLatin1String(commit ? "COMMIT" : "ROLLBACK"))) {
            try {
                raise(QString(), q.lastError());
            } catch (const EADOError &) {
                if (ConnectionLost())  // the session is gone, and its transaction with it
                    m_inTrans = false;
                throw;
            }
        }
    } else {
        // Through Qt's driver the transaction is over whatever the answer.
        QSqlDatabase db = Database();
        ++StatementCount;
        m_inTrans = false;
        if (!(commit ? db.commit() : db.rollback())) {
            try {
                raise(QString(), db.lastError());
            } catch (const EADOError &) {
                if (xid < 0 || !ConnectionLost() || !committedElsewhere(xid))
                    throw;
            }
        }
    }
    m_inTrans = false;
    m_timeoutLocal = -1;
}

void TADOConnection::CommitTrans()
{
    if (m_open && m_inTrans && !InTransaction())
        transactionLost(false);  // the engine ended it already: nothing of it was kept
    if (m_pg && PQtransactionStatus(m_pg) == PQTRANS_INERROR)
        transactionLost(true);  // an earlier statement failed: COMMIT would only roll back
    m_commitXid = -1;
    if (m_open && m_dialect == TDialect::PostgreSQL) {
        // PostgreSQL's ODBC driver rolls a transaction back by itself after
        // some failures and then commits an empty one: the transaction must
        // still be the one begun.
        qint64 agora = -1;
        try {
            agora = prepareCommit();
        } catch (const std::exception &) {
            if (m_odbcXid < 0)
                throw;
        }
        if (m_odbcXid >= 0 && agora != m_odbcXid)
            transactionLost(true);
        m_commitXid = agora;
    }
    endTrans(true);
}

bool TADOConnection::TransactionEnded() const
{
    return m_open && m_inTrans && !InTransaction();
}

void TADOConnection::RollbackTrans()
{
    if (TransactionEnded()) {
        // The engine ended it (a lost session has none left): there is
        // nothing to send, and the connection is outside a transaction.
        m_inTrans = false;
        m_timeoutLocal = -1;
        return;
    }
    endTrans(false);
}
