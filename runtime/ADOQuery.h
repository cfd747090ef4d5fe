#pragma once
// Statements on a connection: named parameters, queries that read their
// whole result into memory, commands, and the per-dialect text store.

#include "ADOConnection.h"
#include "DataSet.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <functional>
#include <memory>

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
    // Runs the statement and hands every result row, in the declared
    // fields' order, types and widths, to `sink` instead of keeping it:
    // for a result that goes straight into a packet. The query stays closed.
    void Stream(const std::function<void(QVector<QVariant> &&row)> &sink);
    void Close() override;
    int ExecSQL();

private:
    // Result column of each field (declaring the fields from the result
    // when none are declared).
    QVector<int> resultColumns(QSqlQuery &q);
    void readRows(QSqlQuery &q, const std::function<void(QVector<QVariant> &&)> &sink);
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
