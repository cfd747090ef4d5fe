#include "SqliteStatement.h"

#include "Exceptions.h"

#include <QAnyStringView>
#include <algorithm>
#include <sqlite3.h>

TSqliteStatement::TSqliteStatement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &m_stmt,
                                      nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        fail(rc);
    }
}

TSqliteStatement::~TSqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void TSqliteStatement::fail(int rc) const
{
    const char *msg = sqlite3_errmsg(m_db);
    throw EADOError(msg && *msg ? QString::fromUtf8(msg) : QString::fromUtf8(sqlite3_errstr(rc)));
}

void TSqliteStatement::bind(int index, const QVariant &v)
{
    const int i = index + 1;
    int rc;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(m_stmt, i);
    } else {
        switch (v.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float: rc = sqlite3_bind_double(m_stmt, i, v.toDouble()); break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool: rc = sqlite3_bind_int64(m_stmt, i, v.toLongLong()); break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(m_stmt, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString s = v.toString();
            rc = sqlite3_bind_text16(m_stmt, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        fail(rc);
}

bool TSqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(rc);
}

void TSqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
}

int TSqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString TSqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QByteArrayView TSqliteStatement::text(int column) const
{
    if (sqlite3_column_type(m_stmt, column) != SQLITE_TEXT)
        return QByteArrayView();
    const char *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(text ? text : "", sqlite3_column_bytes(m_stmt, column));
}

QVariant TSqliteStatement::value(int column, TextCache *cache) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    default: break;
    }
    const char *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    const int bytes = sqlite3_column_bytes(m_stmt, column);
    if (!cache || bytes > 24 || (cache->looked >= 256 && cache->found * 8 < cache->looked))
        return QString::fromUtf8(text, bytes);
    ++cache->looked;
    const QUtf8StringView view(text, bytes);
    for (int i = 0; i < cache->used; ++i) {
        if (QAnyStringView::equal(view, cache->recent[size_t(i)])) {
            ++cache->found;
            return cache->recent[size_t(i)];
        }
    }
    const int n = int(cache->recent.size());
    QString &slot = cache->recent[size_t(cache->next)];
    cache->next = (cache->next + 1) % n;
    cache->used = std::min(cache->used + 1, n);
    slot = QString::fromUtf8(text, bytes);
    return slot;
}
