#pragma once
// Statements on a connection: named parameters, queries that read their
// whole result into memory, commands, and the per-dialect text store.

#include "ADOConnection.h"
#include "DataSet.h"
#include "SqliteStatement.h"

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
    int IndexOf(const QString &name) const;  // -1 when not declared
    const QList<TParameter> &items() const { return m_items; }
    TParameter &at(qsizetype i) { return m_items[i]; }

private:
    QList<TParameter> m_items;  // first declaration of a name decides its type
    QHash<QString, int> m_index;  // upper-case name: its item
};

// Statement shared by queries and commands: text per dialect, declared
// parameters, prepared once per text and connection.
class TADOStatement {
public:
    virtual ~TADOStatement();
    TADOConnection *Connection = nullptr;
    TParameters Parameters;
    QHash<TDialect, QStringList> DialectSQL;  // overrides of the stored text
    // Seconds the statement may run, 0 for no limit (ADO's default of 30;
    // the catalogue's commands say 0).
    int CommandTimeout = 30;

    QStringList &sqlLines() { return m_sql; }
    // The text that runs on the connection's dialect.
    QString effectiveText() const { return effectiveLines().join(QLatin1Char('\n')); }
    const QStringList &effectiveLines() const;
    QSqlQuery &run(const QString &owner, bool forwardOnly);  // prepares, binds, executes
    // The same on SQLite's own interface (the connection must be SQLite):
    // prepared and bound, ready for its first step.
    TSqliteStatement &runNative(const QString &owner);
    void reset();
    // The connection closed: the prepared statement is gone with it.
    void connectionClosed();

protected:
    QStringList m_sql;
    std::unique_ptr<QSqlQuery> m_prepared;
    std::unique_ptr<TSqliteStatement> m_native;
    QStringList m_preparedLines;  // text both prepared forms are of
    quint64 m_generation = 0;     // bumped whenever that text changes
    QString m_preparedConn;
    QVector<int> m_occurrences;  // the parameter of each marker, in text order
    TADOConnection *m_attached = nullptr;  // connection the statement is prepared on
    int m_odbcTimeout = -1;                // time limit set on the ODBC statement

private:
    // Parses the text of the connection's dialect when it is not the one
    // prepared (dropping both prepared forms) and checks its parameters.
    QString parsedText(const QString &owner);
    QString m_parsedText;
    // Parameter values in the order of their markers, as they are bound.
    QVariantList boundValues(const QString &owner) const;
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
    // The same into `store` (whose columns are the declared fields'), each
    // row appended whole and then shown to `rowDone`, which may change or
    // drop it. SQLite's texts go into the store without a QString between.
    void StreamInto(TColumnStore &store, const std::function<void(TColumnStore &store)> &rowDone);
    void Close() override;
    int ExecSQL();

private:
    using RowSink = std::function<void(QVector<QVariant> &&)>;
    // Runs the statement and reads its rows into `sink`: on SQLite's own
    // interface when the fields are declared, else through the Qt driver.
    void readRows(const RowSink &sink);
    // Result column of each field (declaring the fields from the result
    // when none are declared).
    QVector<int> resultColumns(QSqlQuery &q);
    QVector<int> resultColumns(const TSqliteStatement &st);
    void readRows(QSqlQuery &q, const RowSink &sink);
    void readRows(TSqliteStatement &st, const RowSink &sink);
    // The message of a value that did not convert, naming its row.
    QString rowContext(const EConvertError &e, const QVariant &key) const;
};

class TADOCommand : public QObject, public TADOStatement {
    Q_OBJECT
public:
    explicit TADOCommand(QObject *owner = nullptr) : QObject(owner) {}
    QString CommandText() const { return m_sql.join(QLatin1Char('\n')); }
    void SetCommandText(const QStringList &lines) { m_sql = lines; reset(); }
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
    void setTextFor(TDialect d, const QStringList &lines);  // Unknown is no dialect: ignored

private:
    TADOQuery *m_query = nullptr;
};
