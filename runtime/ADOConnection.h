#pragma once
// A database connection named by an ADO-style connection string, with the
// engine's own view of its transaction.

#include "ConnectionTarget.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <functional>

class QSqlQuery;
class TADOStatement;
struct sqlite3;
struct pg_conn;

class TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject *owner = nullptr);
    ~TADOConnection() override;

    QString ConnectionString;
    bool LoginPrompt = false;
    std::function<void(TADOConnection *)> BeforeConnect;
    std::function<void(TADOConnection *)> AfterConnect;

    // Runs BeforeConnect, opens, runs AfterConnect. When it fails the
    // connection stays closed; one that was open before is opened again by
    // the next ReconnectIfLost.
    void Open();
    // Closed by its owner: nothing opens it again by itself.
    void Close();
    bool Connected() const { return m_open; }
    void SetConnected(bool on) { on ? Open() : Close(); }

    TDialect Dialect() const { return m_dialect; }
    // Qt's driver of the open connection ("QSQLITE", "QPSQL", "QODBC", ...).
    const QString &DriverName() const { return m_driver; }
    QSqlDatabase Database() const;
    // The engine's own handle of an open SQLite connection, else nullptr.
    sqlite3 *sqliteHandle() const { return m_sqlite; }
    // libpq's handle of an open PostgreSQL connection (QPSQL), else nullptr.
    pg_conn *pgHandle() const { return m_pg; }
    const QString &connectionName() const { return m_name; }

    // Transactions. The connection knows it is inside one because it began
    // it itself; the engine is asked only whether it has since ended it
    // (a lost connection, SQLite's rollback after a full disk).
    bool InTransaction() const;
    // Began by this connection and since ended by the engine: what a
    // commit must report as a failure.
    bool TransactionEnded() const;
    void BeginTrans();
    // Raises when nothing was kept: the engine ended the transaction, an
    // earlier statement left it aborted, or the server rolled it back.
    void CommitTrans();
    void RollbackTrans();

    // Statements executed on this connection, for benchmarks.
    quint64 StatementCount = 0;

    // Raises EADOError with the driver's text of a failed operation, after
    // a sentence saying what happened when the engine's code tells (a lost
    // connection, a busy store, a full disk, a read-only store, a time-out).
    [[noreturn]] void raise(const QString &what, const QSqlError &err) const;
    // The same for a statement's failure; through ODBC its handle's
    // SQLSTATE tells a lost connection.
    [[noreturn]] void raise(const QSqlError &err, const QSqlQuery &failed) const;

    // True once an operation failed because the server or the network went
    // away (the connection is open on this side only), and while a
    // connection closed by such a failure, or by a failed reconnect, waits
    // to be opened again.
    bool ConnectionLost() const;
    // Before a call: a lost connection is closed and opened again, and one
    // that a failed reconnect left closed is opened again, with the
    // connection string fetched afresh; once per call, a failure raises the
    // lost connection's sentence. An SQLite store file that was moved,
    // removed or replaced since it was opened counts as lost. Never while a
    // transaction this connection began is open: nothing is re-run.
    void ReconnectIfLost();
    // Successful opens so far: a change tells that the session is a new one.
    quint64 Openings() const { return m_openings; }

    // The next statement runs with a limit of `seconds` (0: none). On
    // PostgreSQL the server's statement_timeout is set when it differs
    // (inside a transaction for that transaction only); through ODBC to
    // other servers the statement's own query time-out is set by the
    // caller.
    void UseStatementTimeout(int seconds);

private:
    friend class TADOStatement;
    void openNow();  // Open, whose failures it logs
    // ConnectionLost, or an SQLite store file no longer the one opened.
    bool lostWhileIdle();
    void attach(TADOStatement *s);
    void detach(TADOStatement *s);
    void execControl(const char *sql);
    // Sends COMMIT or ROLLBACK (through ODBC, Qt's commit or rollback).
    void endTrans(bool commit);
    // Raises that the engine kept nothing of the transaction, after
    // rolling back what is left of it when `rollBack`.
    [[noreturn]] void transactionLost(bool rollBack);
    qint64 transactionId();  // PostgreSQL's id of the open transaction
    // PostgreSQL (CommitOutcome.cpp): the transaction's id (-1 when it
    // wrote nothing); COMMIT, cancelled after `limiteMs`, true when it was
    // kept (false: the server answered it with ROLLBACK), raising when it
    // failed or its outcome cannot be known; whether the transaction `xid`
    // is committed on the server a new connection reaches.
    qint64 prepareCommit();
    bool commitPostgres(qint64 xid, int limiteMs);
    bool committedElsewhere(qint64 xid);
    QList<TADOStatement *> m_users;  // statements prepared on this connection
    QString m_name;
    bool m_open = false;
    TDialect m_dialect = TDialect::Unknown;
    QString m_driver;
    sqlite3 *m_sqlite = nullptr;
    pg_conn *m_pg = nullptr;  // libpq's handle of an open PostgreSQL connection
    bool m_inTrans = false;  // between this connection's BeginTrans and its end
    qint64 m_odbcXid = -1;   // through ODBC to PostgreSQL: the id of the transaction begun
    qint64 m_commitXid = -1;  // PostgreSQL: the id of the transaction being committed
    mutable bool m_lost = false;
    bool m_reopen = false;  // closed by a failure: the next ReconnectIfLost opens it
    quint64 m_openings = 0;
    int m_timeoutSession = -1;  // PostgreSQL statement_timeout in ms; -1 unknown
    int m_timeoutLocal = -1;    // the same set for the open transaction only
};
