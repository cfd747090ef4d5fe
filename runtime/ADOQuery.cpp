#include "ADOQuery.h"

#include "DriverError.h"
#include "NamedParameters.h"
#include "OdbcCalls.h"

#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>

namespace {

// ODBC's own time limit of a prepared statement, set on its handle: Qt
// has no setting for it.
void setOdbcQueryTimeout(const QSqlQuery &q, int seconds)
{
    const QVariant h = q.result() ? q.result()->handle() : QVariant();
    if (h.isValid() && (h.metaType().flags() & QMetaType::IsPointer))
        odbcSetQueryTimeout(*static_cast<void *const *>(h.constData()), seconds);
}

}  // namespace

// ---------------------------------------------------------------- parameters

TParameter &TParameters::Add(const QString &name, TFieldType type, int size)
{
    if (TParameter *p = FindParam(name))
        return *p;
    m_index.insert(name.toUpper(), int(m_items.size()));
    m_items.append(TParameter{name, type, size, QVariant()});
    return m_items.last();
}

TParameter *TParameters::FindParam(const QString &name)
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &m_items[i];
}

int TParameters::IndexOf(const QString &name) const
{
    return m_index.value(name.toUpper(), -1);
}

TParameter &TParameters::ParamByName(const QString &name)
{
    if (TParameter *p = FindParam(name))
        return *p;
    throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name));
}

// ---------------------------------------------------------------- statements

TADOStatement::~TADOStatement()
{
    if (m_attached)
        m_attached->detach(this);
}

const QStringList &TADOStatement::effectiveLines() const
{
    if (Connection) {
        const auto it = DialectSQL.constFind(Connection->Dialect());
        if (it != DialectSQL.constEnd() && !it->isEmpty())
            return *it;
    }
    return m_sql;
}

void TADOStatement::reset()
{
    m_prepared.reset();
    m_native.reset();
    m_preparedLines.clear();
    m_parsedText.clear();
}

void TADOStatement::connectionClosed()
{
    m_prepared.reset();
    m_native.reset();
    m_attached = nullptr;
}

QString TADOStatement::parsedText(const QString &owner)
{
    if (!Connection || !Connection->Connected()) {
        // Said as the operator may read it: no component's name.
        if (Connection && Connection->ConnectionLost())
            throw EADOError(driverFaultSentence(TDriverFault::ConnectionLost, QString()), true);
        throw EADOError(QStringLiteral("Conexão com o banco de dados fechada."));
    }
    const QStringList &lines = effectiveLines();
    // Same lines as prepared: usually the very same shared list.
    const bool sameText = !m_parsedText.isNull()
                          && (lines.constData() == m_preparedLines.constData() || lines == m_preparedLines);
    if (sameText && m_attached == Connection)
        return m_parsedText;
    if (m_attached && m_attached != Connection)
        m_attached->detach(this);
    m_prepared.reset();
    m_native.reset();
    m_parsedText.clear();
    const TParsedSql parsed = parseNamedParameters(lines.join(QLatin1Char('\n')));
    QVector<int> occurrences;
    occurrences.reserve(parsed.occurrences.size());
    for (const QString &name : parsed.occurrences) {
        occurrences.append(Parameters.IndexOf(name));
        if (occurrences.last() < 0)
            throw EDatabaseError(QStringLiteral("%1: parâmetro '%2' não declarado.").arg(owner, name));
    }
    m_preparedLines = lines;
    m_occurrences = occurrences;
    m_parsedText = parsed.text;
    ++m_generation;
    if (m_attached != Connection) {
        m_attached = Connection;
        Connection->attach(this);
    }
    return m_parsedText;
}

QVariantList TADOStatement::boundValues(const QString &owner) const
{
    const TDialect dialect = Connection->Dialect();
    const bool textDates = dialect == TDialect::SQLite || dialect == TDialect::PostgreSQL;
    QVariantList values;
    values.reserve(m_occurrences.size());
    for (const int i : m_occurrences) {
        const TParameter &p = Parameters.items()[i];
        QVariant v;
        try {
            v = TDataPacket::coerce(p.Value, p.DataType);
        } catch (const EPacketError &e) {
            throw EConvertError(QStringLiteral("%1: parâmetro %2: %3").arg(owner, p.Name, e.Message()));
        }
        if (!v.isValid()) {
            switch (p.DataType) {
            case TFieldType::ftFloat: v = QVariant(QMetaType::fromType<double>()); break;
            case TFieldType::ftInteger: v = QVariant(QMetaType::fromType<qlonglong>()); break;
            case TFieldType::ftDateTime:
                v = textDates ? QVariant(QMetaType::fromType<QString>()) : QVariant(QMetaType::fromType<QDateTime>());
                break;
            case TFieldType::ftBoolean: v = QVariant(QMetaType::fromType<bool>()); break;
            default: v = QVariant(QMetaType::fromType<QString>()); break;
            }
        } else if (p.DataType == TFieldType::ftDateTime && textDates) {
            v = dateTimeToText(v.toDateTime());
        }
        values.append(v);
    }
    return values;
}

QSqlQuery &TADOStatement::run(const QString &owner, bool forwardOnly)
{
    const QString text = parsedText(owner);
    // Before the prepare too: PostgreSQL prepares with the tables' locks.
    Connection->UseStatementTimeout(CommandTimeout);
    if (!m_prepared) {
        auto q = std::make_unique<QSqlQuery>(Connection->Database());
        q->setForwardOnly(forwardOnly);
        ++Connection->StatementCount;
        if (!q->prepare(text))
            Connection->raise(q->lastError(), *q);
        m_prepared = std::move(q);
        m_odbcTimeout = -1;
    }
    QSqlQuery &q = *m_prepared;
    if (m_odbcTimeout != CommandTimeout && Connection->Dialect() != TDialect::PostgreSQL
        && Connection->DriverName() == QLatin1String("QODBC")) {
        setOdbcQueryTimeout(q, CommandTimeout);
        m_odbcTimeout = CommandTimeout;
    }
    const QVariantList values = boundValues(owner);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    ++Connection->StatementCount;
    if (!q.exec())
        Connection->raise(q.lastError(), q);
    return q;
}

TSqliteStatement &TADOStatement::runNative(const QString &owner)
{
    const QString text = parsedText(owner);
    if (!m_native) {
        ++Connection->StatementCount;
        m_native = std::make_unique<TSqliteStatement>(Connection->sqliteHandle(), text);
    }
    TSqliteStatement &st = *m_native;
    st.reset();
    const QVariantList values = boundValues(owner);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i, values[i]);
    ++Connection->StatementCount;
    return st;
}

// ---------------------------------------------------------------- TADOQuery

QVector<int> TADOQuery::resultColumns(QSqlQuery &q)
{
    if (m_fields.empty()) {
        // No declared fields: the result's own columns become the fields.
        const QSqlRecord rec = q.record();
        QList<TFieldDef> defs;
        QVector<int> cols;
        for (int c = 0; c < rec.count(); ++c) {
            const QSqlField f = rec.field(c);
            TFieldDef d;
            d.name = f.name().toUpper();
            switch (f.metaType().id()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong: d.type = TFieldType::ftInteger; break;
            case QMetaType::Double:
            case QMetaType::Float: d.type = TFieldType::ftFloat; break;
            case QMetaType::QDateTime:
            case QMetaType::QDate: d.type = TFieldType::ftDateTime; break;
            case QMetaType::Bool: d.type = TFieldType::ftBoolean; break;
            default: d.type = TFieldType::ftString; d.size = f.length() > 0 ? f.length() : 0; break;
            }
            bool dup = false;
            for (const TFieldDef &e : defs)
                dup = dup || e.name == d.name;
            if (dup)
                continue;
            defs.append(d);
            cols.append(c);
        }
        m_fields.clear();
        for (const TFieldDef &d : defs)
            m_fields.push_back(std::make_unique<TField>(this, int(m_fields.size()), d));
        return cols;
    }
    if (m_colsFor == m_generation && m_cols.size() == qsizetype(m_fields.size()))
        return m_cols;  // same prepared statement, same result columns
    const QSqlRecord rec = q.record();
    QVector<int> cols;
    for (const auto &f : m_fields) {
        int col = -1;
        for (int c = 0; c < rec.count() && col < 0; ++c)
            if (rec.fieldName(c).compare(f->FieldName(), Qt::CaseInsensitive) == 0)
                col = c;
        if (col < 0) {
            q.finish();
            throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(objectName(), f->FieldName()));
        }
        cols.append(col);
    }
    m_cols = cols;
    m_colsFor = m_generation;
    return cols;
}

QVector<int> TADOQuery::resultColumns(const TSqliteStatement &st)
{
    if (m_colsFor == m_generation && m_cols.size() == qsizetype(m_fields.size()))
        return m_cols;
    QVector<int> cols;
    const int n = st.columnCount();
    for (const auto &f : m_fields) {
        int col = -1;
        for (int c = 0; c < n && col < 0; ++c)
            if (st.columnName(c).compare(f->FieldName(), Qt::CaseInsensitive) == 0)
                col = c;
        if (col < 0)
            throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(objectName(), f->FieldName()));
        cols.append(col);
    }
    m_cols = cols;
    m_colsFor = m_generation;
    return cols;
}

QString TADOQuery::rowContext(const EConvertError &e, const QVariant &key) const
{
    // The row named by its first field, the key of every catalogue query.
    return QStringLiteral("%1: %2, na linha de %3 = '%4'")
        .arg(objectName(), e.Message(), m_fields.front()->FieldName(), key.toString().left(40));
}

void TADOQuery::readRows(const RowSink &sink)
{
    if (Connection && Connection->sqliteHandle() && !m_fields.empty())
        readRows(runNative(objectName()), sink);
    else
        readRows(run(objectName(), true), sink);
}

void TADOQuery::readRows(QSqlQuery &q, const RowSink &sink)
{
    const QVector<int> cols = resultColumns(q);
    const qsizetype nf = qsizetype(m_fields.size());
    std::vector<const TField *> fields;
    for (const auto &f : m_fields)
        fields.push_back(f.get());
    try {
        while (q.next()) {
            QVector<QVariant> row(nf);
            try {
                for (qsizetype k = 0; k < nf; ++k)
                    row[k] = fields[size_t(k)]->convert(q.value(cols[k]));
            } catch (const EConvertError &e) {
                throw EConvertError(rowContext(e, q.value(cols[0])));
            }
            sink(std::move(row));
        }
    } catch (...) {
        q.finish();
        throw;
    }
    if (q.lastError().isValid()) {
        const QSqlError err = q.lastError();
        q.finish();
        Connection->raise(err, q);
    }
    q.finish();
}

void TADOQuery::readRows(TSqliteStatement &st, const RowSink &sink)
{
    const qsizetype nf = qsizetype(m_fields.size());
    std::vector<const TField *> fields;
    for (const auto &f : m_fields)
        fields.push_back(f.get());
    std::vector<TSqliteStatement::TextCache> caches(static_cast<size_t>(nf));
    try {
        // The first step runs the statement: the result's columns are
        // known from then on.
        bool row = st.step();
        const QVector<int> cols = resultColumns(st);
        for (; row; row = st.step()) {
            QVector<QVariant> values(nf);
            try {
                for (qsizetype k = 0; k < nf; ++k)
                    values[k] = fields[size_t(k)]->convert(st.value(cols[k], &caches[size_t(k)]));
            } catch (const EConvertError &e) {
                throw EConvertError(rowContext(e, st.value(cols[0], nullptr)));
            }
            sink(std::move(values));
        }
    } catch (...) {
        st.reset();
        throw;
    }
    st.reset();
}

void TADOQuery::StreamInto(TColumnStore &store, const std::function<void(TColumnStore &)> &rowDone)
{
    Close();
    if (!(Connection && Connection->sqliteHandle() && !m_fields.empty())) {
        readRows([&](QVector<QVariant> &&row) {
            store.appendRow(row);
            rowDone(store);
        });
        return;
    }
    TSqliteStatement &st = runNative(objectName());
    const qsizetype nf = qsizetype(m_fields.size());
    std::vector<TSqliteStatement::TextCache> caches(static_cast<size_t>(nf));
    try {
        bool row = st.step();
        const QVector<int> cols = resultColumns(st);
        for (; row; row = st.step()) {
            try {
                for (qsizetype k = 0; k < nf; ++k) {
                    const TField &f = *m_fields[size_t(k)];
                    const QByteArrayView text =
                        f.DataType() == TFieldType::ftString ? st.text(cols[k]) : QByteArrayView();
                    if (!text.isNull())
                        store.appendUtf8(int(k), text, f.Size());
                    else
                        store.appendValue(int(k), f.convert(st.value(cols[k], &caches[size_t(k)])));
                }
            } catch (const EConvertError &e) {
                throw EConvertError(rowContext(e, st.value(cols[0], nullptr)));
            }
            store.endRow();
            rowDone(store);
        }
    } catch (...) {
        st.reset();
        throw;
    }
    st.reset();
}

void TADOQuery::Open()
{
    if (Active())
        return;
    std::vector<QVector<QVariant>> rows;
    readRows([&rows](QVector<QVariant> &&row) { rows.push_back(std::move(row)); });
    loadRows({}, std::move(rows), false);
}

void TADOQuery::Stream(const RowSink &sink)
{
    Close();
    readRows(sink);
}

void TADOQuery::Close()
{
    TDataSet::Close();
}

int TADOQuery::ExecSQL()
{
    QSqlQuery &q = run(objectName(), true);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

int TADOCommand::Execute()
{
    QSqlQuery &q = run(objectName(), true);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

// ---------------------------------------------------------------- storage, provider

void TADOSqlStorage::SetADOQuery(TADOQuery *q)
{
    m_query = q;
    if (!q)
        return;
    for (const TDialectKey &d : kDialects)
        q->DialectSQL.insert(d.dialect, textFor(d.dialect));
    q->reset();
}

QStringList TADOSqlStorage::textFor(TDialect d) const
{
    switch (d) {
    case TDialect::Oracle: return SQLORACLE;
    case TDialect::SQLServer: return SQLMSSQL;
    case TDialect::SQLite: return SQLSQLITE;
    case TDialect::PostgreSQL: return SQLPOSTGRESQL;
    case TDialect::Unknown: break;
    }
    return {};
}

void TADOSqlStorage::setTextFor(TDialect d, const QStringList &lines)
{
    switch (d) {
    case TDialect::Oracle: SQLORACLE = lines; break;
    case TDialect::SQLServer: SQLMSSQL = lines; break;
    case TDialect::SQLite: SQLSQLITE = lines; break;
    case TDialect::PostgreSQL: SQLPOSTGRESQL = lines; break;
    case TDialect::Unknown: break;
    }
}
