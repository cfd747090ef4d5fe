#pragma once
// The database access layer: a connection named by an ADO-style connection
// string, queries and commands with named parameters, the per-dialect text
// store and the provider that turns an open query into a data packet.

#include "ConnectionString.h"
#include "DataSet.h"

#include <QHash>
#include <QObject>
#include <QSqlError>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <functional>
#include <memory>

enum class TDialect { Unknown, Oracle, SQLServer, SQLite, PostgreSQL };
QString dialectName(TDialect d);

// Which Qt driver and dialect a connection string leads to, and the options
// handed to the driver (never shown: they may hold the password).
struct TConnectionTarget {
    QString driver;  // QSQLITE, QPSQL, QODBC, QOCI
    TDialect dialect = TDialect::Unknown;
    bool dialectFromServer = false;  // ODBC as given: asked after connecting
    QString databaseName, hostName, userName, password, options;
    int port = -1;
};
// Raises EADOError for an unknown provider or missing keys.
TConnectionTarget resolveConnectionString(const QString &connectionString);

class TADOStatement;

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
    const QString &connectionName() const { return m_name; }

    // Transactions, as the engine itself sees them.
    bool InTransaction() const;
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // Statements executed on this connection, for benchmarks.
    quint64 StatementCount = 0;

    // The password of the current string, so messages can leave it out.
    QString redact(const QString &message) const;

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
    QString m_password;
    bool m_odbcInTrans = false;
};

struct TParameter {
    QString Name;
    TFieldType DataType = TFieldType::ftString;
    int Size = 0;
    QVariant Value;
};

class TParameters {
public:
    TParameter &Add(const QString &name, TFieldType type, int size = 0);
    TParameter &ParamByName(const QString &name);  // raises when not declared
    TParameter *FindParam(const QString &name);
    const QList<TParameter> &items() const { return m_items; }

private:
    QList<TParameter> m_items;  // first declaration of a name decides its type
};

// A statement text with its named parameters turned into positional ones.
struct TParsedSql {
    QString text;            // with '?' in place of every :NAME
    QStringList occurrences; // names in order of occurrence
};
TParsedSql parseNamedParameters(const QString &sql);

// Statement shared by queries and commands: text per dialect, declared
// parameters, prepared once per text and connection.
class TADOStatement {
public:
    virtual ~TADOStatement();
    TADOConnection *Connection = nullptr;
    TParameters Parameters;
    QHash<TDialect, QStringList> DialectSQL;  // overrides of the stored text

    QStringList &sqlLines() { return m_sql; }
    // The text that runs on the connection's dialect.
    QString effectiveText() const { return effectiveLines().join(QLatin1Char('\n')); }
    const QStringList &effectiveLines() const;
    QSqlQuery &run(const QString &owner, bool forwardOnly);  // prepares, binds, executes
    void reset() { m_prepared.reset(); }
    // The connection closed: the prepared statement is gone with it.
    void connectionClosed()
    {
        m_prepared.reset();
        m_attached = nullptr;
    }

protected:
    QStringList m_sql;
    std::unique_ptr<QSqlQuery> m_prepared;
    QStringList m_preparedLines;
    quint64 m_generation = 0;  // bumped at every prepare
    QString m_preparedConn;
    QStringList m_occurrences;
    TADOConnection *m_attached = nullptr;  // connection the statement is prepared on
};

class TADOQuery : public TDataSet, public TADOStatement {
    Q_OBJECT
    quint64 m_colsFor = 0;   // statement generation the column map was made for
    QVector<int> m_cols;     // result column of each declared field
public:
    explicit TADOQuery(QObject *owner = nullptr) : TDataSet(owner) {}
    QStringList &SQL() { return m_sql; }
    // Runs the statement and reads the whole result into memory.
    void Open();
    void Close() override;
    int ExecSQL();
};

class TADOCommand : public QObject, public TADOStatement {
    Q_OBJECT
public:
    explicit TADOCommand(QObject *owner = nullptr) : QObject(owner) {}
    QString CommandText() const { return m_sql.join(QLatin1Char('\n')); }
    void SetCommandText(const QStringList &lines) { m_sql = lines; reset(); }
    int CommandTimeout = 30;
    // Executes the command; returns the rows it touched.
    int Execute();
};

// Holds a query's statement in several dialects and gives the query the
// text of the connected database's dialect before it runs.
class TADOSqlStorage : public QObject {
    Q_OBJECT
public:
    explicit TADOSqlStorage(QObject *owner = nullptr) : QObject(owner) {}
    QStringList SQLORACLE;
    QStringList SQLMSSQL;
    QStringList SQLSQLITE;
    QStringList SQLPOSTGRESQL;
    void SetADOQuery(TADOQuery *q);
    TADOQuery *ADOQuery() const { return m_query; }
    QStringList textFor(TDialect d) const;

private:
    TADOQuery *m_query = nullptr;
};

class TDataSetProvider : public QObject {
    Q_OBJECT
public:
    explicit TDataSetProvider(QObject *owner = nullptr) : QObject(owner) {}
    TDataSet *DataSet = nullptr;
    // Packet of all rows of the open dataset.
    TDataPacket GetData() const;
};
