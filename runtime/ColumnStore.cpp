#include "ColumnStore.h"

#include <QDateTime>
#include <algorithm>

namespace {

template <typename T>
int order(const T &x, const T &y)
{
    return x < y ? -1 : (y < x ? 1 : 0);
}

// TDataPacket::isCoerced, with one look at the variant's type: it runs
// for every value that goes in.
bool canonicalFor(const QVariant &v, TFieldType type)
{
    const int id = v.metaType().id();
    if (id == 0)
        return true;
    switch (type) {
    case TFieldType::ftString:
        if (id != QMetaType::QString)
            return false;
        break;
    case TFieldType::ftFloat:
        if (id != QMetaType::Double)
            return false;
        break;
    case TFieldType::ftInteger:
        if (id != QMetaType::LongLong)
            return false;
        break;
    case TFieldType::ftDateTime:
        if (id != QMetaType::QDateTime || static_cast<const QDateTime *>(v.constData())->timeSpec() != Qt::LocalTime)
            return false;
        break;
    case TFieldType::ftBoolean:
        if (id != QMetaType::Bool)
            return false;
        break;
    }
    return !v.isNull();  // a typed null is made a plain null first
}

}  // namespace

void TColumnStore::reset(const QList<TFieldDef> &defs)
{
    m_cols.clear();
    m_cols.resize(size_t(defs.size()));
    for (qsizetype i = 0; i < defs.size(); ++i)
        m_cols[size_t(i)].type = defs[i].type;
    m_rows = 0;
}

void TColumnStore::clear()
{
    for (Column &c : m_cols) {
        const TFieldType t = c.type;
        c = Column();
        c.type = t;
    }
    m_rows = 0;
}

void TColumnStore::reserve(qsizetype rows)
{
    for (Column &c : m_cols) {
        c.state.reserve(size_t(rows));
        switch (c.type) {
        case TFieldType::ftString: c.end.reserve(size_t(rows)); break;
        case TFieldType::ftFloat: c.f.reserve(size_t(rows)); break;
        case TFieldType::ftInteger: c.n.reserve(size_t(rows)); break;
        case TFieldType::ftDateTime:
            c.n.reserve(size_t(rows));
            c.ms.reserve(size_t(rows));
            break;
        case TFieldType::ftBoolean: c.b.reserve(size_t(rows)); break;
        }
    }
}

void TColumnStore::squeeze()
{
    for (Column &c : m_cols) {
        c.state.shrink_to_fit();
        c.f.shrink_to_fit();
        c.n.shrink_to_fit();
        c.ms.shrink_to_fit();
        c.b.shrink_to_fit();
        c.end.shrink_to_fit();
        c.chars.squeeze();
    }
}

void TColumnStore::put(Column &c, size_t at, const QVariant &value, bool insert)
{
    // `value` is canonical for the column (see canonical()).
    const QVariant *v = &value;
    quint8 st = Value;
    if (!v->isValid())
        st = Null;
    const auto slot = [&](auto &vec, auto x) {
        if (insert)
            vec.insert(vec.begin() + qsizetype(at), x);
        else
            vec[at] = x;
    };
    switch (c.type) {
    case TFieldType::ftString: {
        const QString *s = st == Null ? nullptr : static_cast<const QString *>(v->constData());
        if (s && s->isNull())
            st = Empty;
        const quint32 start = begin(c, at);
        const quint32 len = s ? quint32(s->size()) : 0;
        const quint32 old = insert ? 0 : c.end[at] - start;
        if (at == c.end.size() && insert) {
            if (s)
                c.chars.append(*s);
            c.end.push_back(start + len);
            break;
        }
        if (s)
            c.chars.replace(qsizetype(start), qsizetype(old), *s);
        else
            c.chars.remove(qsizetype(start), qsizetype(old));
        const qint64 delta = qint64(len) - qint64(old);
        if (insert)
            c.end.insert(c.end.begin() + qsizetype(at), start);
        for (size_t k = at; k < c.end.size(); ++k)
            c.end[k] = quint32(qint64(c.end[k]) + delta);
        if (insert)
            c.end[at] = start + len;
        break;
    }
    case TFieldType::ftFloat: slot(c.f, st == Null ? 0.0 : v->toDouble()); break;
    case TFieldType::ftInteger: slot(c.n, st == Null ? qint64(0) : v->toLongLong()); break;
    case TFieldType::ftDateTime: {
        qint64 jd = 0;
        qint32 ms = 0;
        if (st != Null) {
            const QDateTime *dt = static_cast<const QDateTime *>(v->constData());
            if (!dt->isValid()) {
                st = Empty;
            } else {
                jd = dt->date().toJulianDay();
                ms = dt->time().msecsSinceStartOfDay();
            }
        }
        slot(c.n, jd);
        slot(c.ms, ms);
        break;
    }
    case TFieldType::ftBoolean: slot(c.b, quint8(st != Null && v->toBool())); break;
    }
    slot(c.state, st);
}

void TColumnStore::erase(Column &c, size_t at)
{
    const auto drop = [at](auto &vec) { vec.erase(vec.begin() + qsizetype(at)); };
    switch (c.type) {
    case TFieldType::ftString: {
        const quint32 start = begin(c, at), len = c.end[at] - start;
        c.chars.remove(qsizetype(start), qsizetype(len));
        drop(c.end);
        for (size_t k = at; k < c.end.size(); ++k)
            c.end[k] -= len;
        break;
    }
    case TFieldType::ftFloat: drop(c.f); break;
    case TFieldType::ftInteger: drop(c.n); break;
    case TFieldType::ftDateTime:
        drop(c.n);
        drop(c.ms);
        break;
    case TFieldType::ftBoolean: drop(c.b); break;
    }
    drop(c.state);
}

void TColumnStore::appendRow(const QVector<QVariant> &row)
{
    if (!isCanonical(row)) {
        appendRow(canonical(row));
        return;
    }
    for (size_t i = 0; i < m_cols.size(); ++i) {
        Column &c = m_cols[i];
        const QVariant &v = row[qsizetype(i)];
        if (!v.isValid()) {
            put(c, size_t(m_rows), v, true);
            continue;
        }
        // The common case, by hand: a value at the end.
        switch (c.type) {
        case TFieldType::ftString: {
            const QString &s = *static_cast<const QString *>(v.constData());
            c.chars.append(s);
            c.end.push_back(quint32(c.chars.size()));
            c.state.push_back(s.isNull() ? Empty : Value);
            break;
        }
        case TFieldType::ftFloat:
            c.f.push_back(*static_cast<const double *>(v.constData()));
            c.state.push_back(Value);
            break;
        case TFieldType::ftInteger:
            c.n.push_back(*static_cast<const qint64 *>(v.constData()));
            c.state.push_back(Value);
            break;
        default: put(c, size_t(m_rows), v, true); break;
        }
    }
    ++m_rows;
}

QVector<QVariant> TColumnStore::canonical(const QVector<QVariant> &row) const
{
    // Converted whole before the columns change: a value that cannot be
    // converted leaves the store as it was.
    QVector<QVariant> out = row;
    out.resize(qsizetype(m_cols.size()));
    for (size_t i = 0; i < m_cols.size(); ++i)
        if (!canonicalFor(out[qsizetype(i)], m_cols[i].type))
            out[qsizetype(i)] = TDataPacket::coerce(out[qsizetype(i)], m_cols[i].type);
    return out;
}

bool TColumnStore::isCanonical(const QVector<QVariant> &row) const
{
    if (row.size() < qsizetype(m_cols.size()))
        return false;
    for (size_t i = 0; i < m_cols.size(); ++i)
        if (!canonicalFor(row[qsizetype(i)], m_cols[i].type))
            return false;
    return true;
}

void TColumnStore::insertRow(int at, const QVector<QVariant> &row)
{
    if (!isCanonical(row)) {
        insertRow(at, canonical(row));
        return;
    }
    for (size_t i = 0; i < m_cols.size(); ++i)
        put(m_cols[i], size_t(at), row[qsizetype(i)], true);
    ++m_rows;
}

void TColumnStore::setRow(int at, const QVector<QVariant> &row)
{
    if (!isCanonical(row)) {
        setRow(at, canonical(row));
        return;
    }
    for (size_t i = 0; i < m_cols.size(); ++i)
        put(m_cols[i], size_t(at), row[qsizetype(i)], false);
}

void TColumnStore::removeRow(int at)
{
    for (Column &c : m_cols)
        erase(c, size_t(at));
    --m_rows;
}

void TColumnStore::appendValue(int col, const QVariant &v)
{
    Column &c = m_cols[size_t(col)];
    if (canonicalFor(v, c.type))
        put(c, size_t(m_rows), v, true);
    else
        put(c, size_t(m_rows), TDataPacket::coerce(v, c.type), true);
}

void TColumnStore::appendUtf8(int col, QByteArrayView utf8, int maxChars)
{
    Column &c = m_cols[size_t(col)];
    const qsizetype start = c.chars.size();
    // As QString::fromUtf8 reads it; plain ASCII (nearly every text)
    // straight into the column's buffer.
    bool ascii = true;
    for (const char ch : utf8)
        ascii = ascii && uchar(ch) < 0x80;
    if (ascii)
        c.chars.append(QLatin1StringView(utf8.data(), utf8.size()));
    else
        c.chars.append(QString::fromUtf8(utf8));
    if (maxChars > 0 && c.chars.size() - start > maxChars)
        c.chars.truncate(start + maxChars);
    c.end.push_back(quint32(c.chars.size()));
    c.state.push_back(Value);
}

void TColumnStore::setValue(int row, int col, const QVariant &v)
{
    Column &c = m_cols[size_t(col)];
    put(c, size_t(row), canonicalFor(v, c.type) ? v : TDataPacket::coerce(v, c.type), false);
}

QStringView TColumnStore::text(int row, int col) const
{
    const Column &c = m_cols[size_t(col)];
    const quint32 start = begin(c, size_t(row));
    return QStringView(c.chars).mid(start, c.end[size_t(row)] - start);
}

qsizetype TColumnStore::longestText(int col) const
{
    const Column &c = m_cols[size_t(col)];
    quint32 longest = 0, start = 0;
    for (const quint32 e : c.end) {
        longest = std::max(longest, e - start);
        start = e;
    }
    return qsizetype(longest);
}

QVariant TColumnStore::value(int row, int col) const
{
    const Column &c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    const quint8 st = c.state[r];
    if (st == Null)
        return QVariant();
    switch (c.type) {
    case TFieldType::ftString: {
        if (st == Empty)
            return QString();
        const QStringView t = text(row, col);
        return t.isEmpty() ? QStringLiteral("") : t.toString();  // empty, not null
    }
    case TFieldType::ftFloat: return c.f[r];
    case TFieldType::ftInteger: return c.n[r];
    case TFieldType::ftDateTime:
        if (st == Empty)
            return QDateTime();
        return QDateTime(QDate::fromJulianDay(c.n[r]), QTime::fromMSecsSinceStartOfDay(c.ms[r]));
    case TFieldType::ftBoolean: return c.b[r] != 0;
    }
    return QVariant();
}

QVector<QVariant> TColumnStore::row(int row) const
{
    QVector<QVariant> out(qsizetype(m_cols.size()));
    for (size_t i = 0; i < m_cols.size(); ++i)
        out[qsizetype(i)] = value(row, int(i));
    return out;
}

int TColumnStore::compare(int a, int b, int col) const
{
    const Column &c = m_cols[size_t(col)];
    const size_t x = size_t(a), y = size_t(b);
    const bool an = c.state[x] == Null, bn = c.state[y] == Null;
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (c.type) {
    case TFieldType::ftString: return text(a, col).compare(text(b, col), Qt::CaseSensitive);
    case TFieldType::ftFloat: return order(c.f[x], c.f[y]);
    case TFieldType::ftInteger: return order(c.n[x], c.n[y]);
    case TFieldType::ftDateTime: {
        // Invalid date-times order before every valid one, as QDateTime does.
        const bool ai = c.state[x] == Empty, bi = c.state[y] == Empty;
        if (ai || bi)
            return ai == bi ? 0 : (ai ? -1 : 1);
        const int d = order(c.n[x], c.n[y]);
        return d != 0 ? d : order(c.ms[x], c.ms[y]);
    }
    case TFieldType::ftBoolean: return int(c.b[x]) - int(c.b[y]);
    }
    return 0;
}

int TColumnStore::compareTo(int row, int col, const QVariant &v) const
{
    const Column &c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    const bool an = c.state[r] == Null, bn = !v.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (c.type) {
    case TFieldType::ftString: return text(row, col).compare(v.toString(), Qt::CaseSensitive);
    case TFieldType::ftFloat: return order(c.f[r], v.toDouble());
    case TFieldType::ftInteger: return order(c.n[r], v.toLongLong());
    case TFieldType::ftDateTime: return order(value(row, col).toDateTime(), v.toDateTime());
    case TFieldType::ftBoolean: return int(c.b[r] != 0) - int(v.toBool());
    }
    return 0;
}
