#include "DataPacket.h"

#include "ColumnStore.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {

const char kMagic[4] = {'Q', 'U', 'L', 'P'};
const quint8 kVersion = 1;
const int kMaxFields = 4096;
const int kMaxNameBytes = 1024;

class Writer {
public:
    QByteArray out;
    void u8(quint8 v) { out.append(char(v)); }
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }
    void i64(qint64 v)
    {
        char b[8];
        qToLittleEndian(v, b);
        out.append(b, 8);
    }
    void f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        i64(qint64(bits));
    }
    void bytes(const QByteArray &b) { out.append(b); }
};

class Reader {
public:
    explicit Reader(const QByteArray &b) : data(b) {}
    const QByteArray &data;
    qsizetype pos = 0;

    qsizetype remaining() const { return data.size() - pos; }
    void need(qsizetype n, const char *what)
    {
        if (n < 0 || remaining() < n)
            throw EPacketError(QStringLiteral("Pacote de dados truncado (%1).").arg(QString::fromUtf8(what)));
    }
    quint8 u8(const char *what)
    {
        need(1, what);
        return quint8(data[pos++]);
    }
    quint16 u16(const char *what)
    {
        need(2, what);
        quint16 v = qFromLittleEndian<quint16>(data.constData() + pos);
        pos += 2;
        return v;
    }
    quint32 u32(const char *what)
    {
        need(4, what);
        quint32 v = qFromLittleEndian<quint32>(data.constData() + pos);
        pos += 4;
        return v;
    }
    qint64 i64(const char *what)
    {
        need(8, what);
        qint64 v = qFromLittleEndian<qint64>(data.constData() + pos);
        pos += 8;
        return v;
    }
    double f64(const char *what)
    {
        quint64 bits = quint64(i64(what));
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    QString utf8(qsizetype n, const char *what)
    {
        need(n, what);
        QByteArray raw = data.mid(pos, n);
        pos += n;
        QString s = QString::fromUtf8(raw);
        if (s.toUtf8() != raw || !isStorableText(s))
            throw EPacketError(QStringLiteral("Pacote de dados com texto inválido (%1).").arg(QString::fromUtf8(what)));
        return s;
    }
};

bool validType(quint8 t) { return t >= 1 && t <= 5; }

// A date-time of the binary form: a day (Julian day number) and the
// milliseconds since its midnight. Only days of years 1 to 9999, which the
// text form "YYYY-MM-DD HH:MM:SS" can write, and times before 24:00 are
// date-times; anything else gives an invalid value.
QDateTime dateTimeFromParts(qint64 julianDay, quint32 ms)
{
    static const qint64 first = QDate(1, 1, 1).toJulianDay(), last = QDate(9999, 12, 31).toJulianDay();
    if (julianDay < first || julianDay > last || ms >= 86400000u)
        return QDateTime();
    return QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

}  // namespace

QString fieldTypeName(TFieldType t)
{
    switch (t) {
    case TFieldType::ftString: return QStringLiteral("string");
    case TFieldType::ftFloat: return QStringLiteral("float");
    case TFieldType::ftInteger: return QStringLiteral("integer");
    case TFieldType::ftDateTime: return QStringLiteral("datetime");
    case TFieldType::ftBoolean: return QStringLiteral("boolean");
    }
    return QStringLiteral("?");
}

bool fieldTypeFromName(const QString &name, TFieldType *out)
{
    static const struct { const char *n; TFieldType t; } map[] = {
        {"string", TFieldType::ftString},     {"float", TFieldType::ftFloat},
        {"integer", TFieldType::ftInteger},   {"datetime", TFieldType::ftDateTime},
        {"boolean", TFieldType::ftBoolean},
    };
    for (const auto &m : map) {
        if (name == QLatin1String(m.n)) {
            *out = m.t;
            return true;
        }
    }
    return false;
}

QString dateTimeToText(const QDateTime &dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

// Digits at t[pos, pos+n) as a number, or -1.
int digitsAt(QStringView t, qsizetype pos, int n)
{
    if (pos + n > t.size())
        return -1;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = t[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

}  // namespace

QDateTime dateTimeFromText(const QString &s)
{
    const QString t = s.trimmed();
    // The runtime's own form first, by hand: it is read for every date of
    // every row an SQLite query returns.
    const QStringView v(t);
    if ((v.size() == 19 || v.size() == 10) && v[4] == u'-' && v[7] == u'-') {
        const int y = digitsAt(v, 0, 4), mo = digitsAt(v, 5, 2), d = digitsAt(v, 8, 2);
        const QDate date(y, mo, d);
        if (y >= 0 && mo >= 0 && d >= 0 && date.isValid()) {
            if (v.size() == 10)
                return QDateTime(date, QTime(0, 0));
            if ((v[10] == u' ' || v[10] == u'T') && v[13] == u':' && v[16] == u':') {
                const QTime time(digitsAt(v, 11, 2), digitsAt(v, 14, 2), digitsAt(v, 17, 2));
                if (time.isValid())
                    return QDateTime(date, time);
            }
        }
    }
    for (const char *fmt : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz",
                            "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-dd"}) {
        QDateTime dt = QDateTime::fromString(t, QLatin1String(fmt));
        if (dt.isValid())
            return dt;
    }
    return QDateTime();
}

bool isStorableText(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() == 0)
            return false;
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return false;
    }
    return true;
}

TDataPacket TDataPacket::withRows() const
{
    if (!columns)
        return *this;
    TDataPacket p;
    p.fields = fields;
    const int n = columns->rowCount();
    p.rows.reserve(n);
    for (int i = 0; i < n; ++i)
        p.rows.append(columns->row(i));
    return p;
}

bool TDataPacket::operator==(const TDataPacket &o) const
{
    if (columns || o.columns)
        return withRows() == o.withRows();
    return fields == o.fields && rows == o.rows;
}

int TDataPacket::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant TDataPacket::coerce(const QVariant &v, TFieldType type)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    const int id = v.metaType().id();
    switch (type) {
    case TFieldType::ftString:
        if (id == QMetaType::QDateTime)
            return dateTimeToText(v.toDateTime());
        if (id == QMetaType::Double || id == QMetaType::Float)
            return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    case TFieldType::ftFloat: {
        if (id == QMetaType::QString || id == QMetaType::QByteArray) {
            bool ok = false;
            const QString s = v.toString().trimmed();
            double d = s.toDouble(&ok);
            if (!ok)
                throw EPacketError(QStringLiteral("'%1' não é um valor numérico válido.").arg(s));
            return d;
        }
        bool ok = false;
        double d = v.toDouble(&ok);
        if (!ok)
            throw EPacketError(QStringLiteral("Valor não numérico em campo numérico."));
        return d;
    }
    case TFieldType::ftInteger: {
        bool ok = false;
        qint64 n;
        if (id == QMetaType::Double || id == QMetaType::Float) {
            double d = v.toDouble();
            if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e18)
                throw EPacketError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(d));
            return qint64(d);
        }
        n = v.toString().trimmed().toLongLong(&ok);
        if (!ok && id != QMetaType::QString)
            n = v.toLongLong(&ok);
        if (!ok)
            throw EPacketError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(v.toString()));
        return n;
    }
    case TFieldType::ftDateTime: {
        if (id == QMetaType::QDateTime) {
            QDateTime dt = v.toDateTime();
            // Date-times are local wall-clock values without an offset.
            return QDateTime(dt.date(), dt.time());
        }
        if (id == QMetaType::QDate)
            return QDateTime(v.toDate(), QTime(0, 0));
        QDateTime dt = dateTimeFromText(v.toString());
        if (!dt.isValid())
            throw EPacketError(QStringLiteral("'%1' não é uma data válida.").arg(v.toString()));
        return dt;
    }
    case TFieldType::ftBoolean:
        if (id == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("t"))
                return true;
            if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("f"))
                return false;
            throw EPacketError(QStringLiteral("'%1' não é um valor lógico válido.").arg(s));
        }
        return v.toBool();
    }
    return QVariant();
}

bool TDataPacket::isCoerced(const QVariant &v, TFieldType type)
{
    if (!v.isValid())
        return true;
    if (v.isNull())
        return false;  // a typed null: coerce makes it a plain null
    switch (type) {
    case TFieldType::ftString: return v.metaType().id() == QMetaType::QString;
    case TFieldType::ftFloat: return v.metaType().id() == QMetaType::Double;
    case TFieldType::ftInteger: return v.metaType().id() == QMetaType::LongLong;
    case TFieldType::ftDateTime:
        return v.metaType().id() == QMetaType::QDateTime
               && static_cast<const QDateTime *>(v.constData())->timeSpec() == Qt::LocalTime;
    case TFieldType::ftBoolean: return v.metaType().id() == QMetaType::Bool;
    }
    return false;
}

QByteArray TDataPacket::encode() const
{
    if (columns)
        return withRows().encode();
    Writer w;
    w.out.reserve(64 + rows.size() * fields.size() * 12);
    w.bytes(QByteArray(kMagic, 4));
    w.u8(kVersion);
    w.u16(quint16(fields.size()));
    for (const TFieldDef &f : fields) {
        const QByteArray n = f.name.toUtf8();
        w.u16(quint16(n.size()));
        w.bytes(n);
        w.u8(quint8(f.type));
        w.u32(quint32(f.size));
    }
    w.u32(quint32(rows.size()));
    for (const QVariantList &row : rows) {
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant v = i < row.size() ? coerce(row[i], fields[i].type) : QVariant();
            if (!v.isValid()) {
                w.u8(0);
                continue;
            }
            w.u8(1);
            switch (fields[i].type) {
            case TFieldType::ftString: {
                const QByteArray b = v.toString().toUtf8();
                w.u32(quint32(b.size()));
                w.bytes(b);
                break;
            }
            case TFieldType::ftFloat: w.f64(v.toDouble()); break;
            case TFieldType::ftInteger: w.i64(v.toLongLong()); break;
            case TFieldType::ftDateTime: {
                const QDateTime dt = v.toDateTime();
                w.i64(dt.date().toJulianDay());
                w.u32(quint32(dt.time().msecsSinceStartOfDay()));
                break;
            }
            case TFieldType::ftBoolean: w.u8(v.toBool() ? 1 : 0); break;
            }
        }
    }
    return w.out;
}

namespace {

// The magic and the version; the reader is left after them.
void readHeader(Reader &r)
{
    r.need(4, "cabeçalho");
    if (std::memcmp(r.data.constData(), kMagic, 4) != 0)
        throw EPacketError(QStringLiteral("Os dados não são um pacote de dados."));
    r.pos = 4;
    const quint8 version = r.u8("versão");
    if (version != kVersion)
        throw EPacketError(QStringLiteral("Versão %1 de pacote de dados não suportada.").arg(version));
}

TFieldDef readField(Reader &r)
{
    TFieldDef f;
    const quint16 nlen = r.u16("nome do campo");
    if (nlen == 0 || nlen > kMaxNameBytes)
        throw EPacketError(QStringLiteral("Pacote de dados com nome de campo inválido."));
    f.name = r.utf8(nlen, "nome do campo");
    const quint8 t = r.u8("tipo do campo");
    if (!validType(t))
        throw EPacketError(QStringLiteral("Pacote de dados com tipo de campo %1 desconhecido.").arg(t));
    f.type = TFieldType(t);
    const quint32 size = r.u32("tamanho do campo");
    if (size > TDataPacket::MaxFieldSize)
        throw EPacketError(QStringLiteral("Pacote de dados com tamanho de campo inválido."));
    f.size = int(size);
    return f;
}

void readFields(Reader &r, TDataPacket &p)
{
    const quint16 nfields = r.u16("campos");
    if (nfields > kMaxFields)
        throw EPacketError(QStringLiteral("Pacote de dados com campos demais."));
    for (int i = 0; i < nfields; ++i) {
        const TFieldDef f = readField(r);
        if (p.fieldIndex(f.name) >= 0)
            throw EPacketError(QStringLiteral("Pacote de dados com o campo %1 repetido.").arg(f.name));
        p.fields.append(f);
    }
}

// A value present (its tag already read) of a field of `type`.
QVariant readValue(Reader &r, TFieldType type)
{
    switch (type) {
    case TFieldType::ftString: {
        const quint32 len = r.u32("texto");
        if (qint64(len) > r.remaining())
            throw EPacketError(QStringLiteral("Pacote de dados truncado (texto)."));
        return r.utf8(qsizetype(len), "texto");
    }
    case TFieldType::ftFloat: return r.f64("número");
    case TFieldType::ftInteger: {
        const qint64 n = r.i64("inteiro");
        if (n < -TDataPacket::MaxExactInteger || n > TDataPacket::MaxExactInteger)
            throw EPacketError(QStringLiteral("Pacote de dados com inteiro fora do intervalo."));
        return n;
    }
    case TFieldType::ftDateTime: {
        const qint64 jd = r.i64("data");
        const quint32 ms = r.u32("hora");
        const QDateTime dt = dateTimeFromParts(jd, ms);
        if (!dt.isValid())
            throw EPacketError(QStringLiteral("Pacote de dados com data inválida."));
        return dt;
    }
    case TFieldType::ftBoolean: {
        const quint8 b = r.u8("lógico");
        if (b > 1)
            throw EPacketError(QStringLiteral("Pacote de dados com valor lógico inválido."));
        return b == 1;
    }
    }
    return QVariant();
}

void readRows(Reader &r, TDataPacket &p)
{
    const qsizetype nfields = p.fields.size();
    const quint32 nrows = r.u32("linhas");
    // Every value takes at least its one-byte tag: a row count that the
    // remaining bytes cannot hold is a lie, refused before any allocation.
    if (nfields > 0 && quint64(nrows) * quint64(nfields) > quint64(r.remaining()))
        throw EPacketError(QStringLiteral("Pacote de dados truncado (linhas)."));
    if (nfields == 0 && nrows != 0)
        throw EPacketError(QStringLiteral("Pacote de dados com linhas sem campos."));
    p.rows.reserve(nrows);
    for (quint32 ri = 0; ri < nrows; ++ri) {
        QVariantList row;
        row.reserve(nfields);
        for (qsizetype i = 0; i < nfields; ++i) {
            const quint8 tag = r.u8("valor");
            if (tag == 0)
                row.append(QVariant());
            else if (tag == 1)
                row.append(readValue(r, p.fields[i].type));
            else
                throw EPacketError(QStringLiteral("Pacote de dados com marca de valor inválida."));
        }
        p.rows.append(std::move(row));
    }
}

}  // namespace

TDataPacket TDataPacket::decode(const QByteArray &bytes)
{
    Reader r(bytes);
    readHeader(r);
    TDataPacket p;
    readFields(r, p);
    readRows(r, p);
    if (r.remaining() != 0)
        throw EPacketError(QStringLiteral("Pacote de dados com bytes sobrando no fim."));
    return p;
}

void registerDataPacketType()
{
    static const int id = qRegisterMetaType<TDataPacket>("TDataPacket");
    Q_UNUSED(id);
}

bool isDataPacket(const QVariant &v)
{
    return v.isValid() && v.metaType().name() && qstrcmp(v.metaType().name(), "TDataPacket") == 0;
}

TDataPacket toDataPacket(const QVariant &v)
{
    if (!isDataPacket(v))
        throw EPacketError(QStringLiteral("O valor não é um pacote de dados."));
    return static_cast<const TDataPacket *>(v.constData())->withRows();
}

TDataPacket takeDataPacket(QVariant &v)
{
    if (!isDataPacket(v))
        throw EPacketError(QStringLiteral("O valor não é um pacote de dados."));
    TDataPacket p = std::move(*static_cast<TDataPacket *>(v.data()));
    v = QVariant();
    return p;
}

QVariant fromDataPacket(const TDataPacket &p)
{
    registerDataPacketType();
    return QVariant::fromValue(p);
}
