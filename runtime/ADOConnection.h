#pragma once
// A database connection named by an ADO-style connection string, with the
// engine's own view of its transaction.

#include "ConnectionTarget.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <functional>

class TADOStatement;
struct sqlite3;

class TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject *owner = nullptr);
    ~TADOConnection() override;

    QString ConnectionString;
    bool LoginPrompt = false;
    std::function<void(TADOConnection *)> BeforeConnect;
    std::function<void(TADOConnection *)> AfterConnect;

    void Open();  // runs BeforeConnect, opens, runs AfterConnect
    void Close();
    bool Connected() const { return m_open; }
    void SetConnected(bool on) { on ? Open() : Close(); }

    TDialect Dialect() const { return m_dialect; }
    QSqlDatabase Database() const;
    // The engine's own handle of an open SQLite connection, else nullptr.
    sqlite3 *sqliteHandle() const { return m_sqlite; }
    const QString &connectionName() const { return m_name; }

    // Transactions, as the engine itself sees them.
    bool InTransaction() const;
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // Statements executed on this connection, for benchmarks.
    quint64 StatementCount = 0;

    // Raises EADOError with the driver's text of a failed operation.
    [[noreturn]] void raise(const QString &what, const QSqlError &err) const;

private:
    friend class TADOStatement;
    void attach(TADOStatement *s);
    void detach(TADOStatement *s);
    void execControl(const char *sql);
    QList<TADOStatement *> m_users;  // statements prepared on this connection
    QString m_name;
    bool m_open = false;
    TDialect m_dialect = TDialect::Unknown;
    sqlite3 *m_sqlite = nullptr;
    bool m_odbcInTrans = false;
};
