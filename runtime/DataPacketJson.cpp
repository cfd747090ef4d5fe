// The JSON form of the data packet: {"fields": [{"name", "size", "type"}],
// "rows": [[...]]}, for tools and tests. toJsonText() writes the compact
// text straight from the rows, as QJsonDocument would write toJson(), for
// packets of any size (writeJsonText hands it over in pieces).
#include "DataPacket.h"

#include <QJsonArray>
#include <charconv>
#include <cmath>

namespace {

bool exactInJson(double d)
{
    return std::fabs(d) <= double(TDataPacket::MaxExactInteger);
}

bool inDateRange(const QDateTime &dt)
{
    return dt.isValid() && dt.date().year() >= 1 && dt.date().year() <= 9999;
}

// A text of the JSON form, refused when no database could store it as sent.
QString jsonText(const QJsonValue &v, const QString &field)
{
    const QString s = v.toString();
    if (!isStorableText(s))
        throw EPacketError(
            QStringLiteral("Pacote JSON com texto inválido no campo %1 (caractere nulo ou substituto isolado).").arg(field));
    return s;
}

}  // namespace

QJsonObject TDataPacket::toJson() const
{
    if (columns)
        return withRows().toJson();
    QJsonArray jf;
    for (const TFieldDef &f : fields) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), f.name);
        o.insert(QStringLiteral("type"), fieldTypeName(f.type));
        if (f.type == TFieldType::ftString)
            o.insert(QStringLiteral("size"), f.size);
        jf.append(o);
    }
    QJsonArray jr;
    for (const QVariantList &row : rows) {
        QJsonArray a;
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant v = i < row.size() ? coerce(row[i], fields[i].type) : QVariant();
            if (!v.isValid()) {
                a.append(QJsonValue::Null);
                continue;
            }
            switch (fields[i].type) {
            case TFieldType::ftString: a.append(v.toString()); break;
            case TFieldType::ftFloat: a.append(v.toDouble()); break;
            case TFieldType::ftInteger: a.append(double(v.toLongLong())); break;
            case TFieldType::ftDateTime:
                a.append(v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
                break;
            case TFieldType::ftBoolean: a.append(v.toBool()); break;
            }
        }
        jr.append(a);
    }
    QJsonObject o;
    o.insert(QStringLiteral("fields"), jf);
    o.insert(QStringLiteral("rows"), jr);
    return o;
}

TDataPacket TDataPacket::fromJson(const QJsonObject &obj)
{
    if (!obj.value(QStringLiteral("fields")).isArray())
        throw EPacketError(QStringLiteral("Pacote JSON sem a lista \"fields\"."));
    TDataPacket p;
    for (const QJsonValue &fv : obj.value(QStringLiteral("fields")).toArray()) {
        if (!fv.isObject())
            throw EPacketError(QStringLiteral("Pacote JSON com definição de campo inválida."));
        const QJsonObject fo = fv.toObject();
        TFieldDef f;
        f.name = jsonText(fo.value(QStringLiteral("name")), QStringLiteral("sem nome"));
        if (f.name.isEmpty())
            throw EPacketError(QStringLiteral("Pacote JSON com campo sem nome."));
        if (p.fieldIndex(f.name) >= 0)
            throw EPacketError(QStringLiteral("Pacote JSON com o campo %1 repetido.").arg(f.name));
        if (!fieldTypeFromName(fo.value(QStringLiteral("type")).toString(), &f.type))
            throw EPacketError(QStringLiteral("Pacote JSON com tipo de campo desconhecido em %1.").arg(f.name));
        if (f.type == TFieldType::ftString) {
            const QJsonValue sv = fo.value(QStringLiteral("size"));
            const double size = sv.toDouble(-1);
            if (!sv.isDouble() || size < 0 || size > TDataPacket::MaxFieldSize || size != std::floor(size))
                throw EPacketError(QStringLiteral("Pacote JSON com tamanho inválido no campo %1.").arg(f.name));
            f.size = int(size);
        }
        p.fields.append(f);
    }
    const QJsonValue rv = obj.value(QStringLiteral("rows"));
    if (!rv.isUndefined() && !rv.isArray())
        throw EPacketError(QStringLiteral("Pacote JSON com \"rows\" inválido."));
    // As in the binary form: a row needs at least one field.
    if (p.fields.isEmpty() && !rv.toArray().isEmpty())
        throw EPacketError(QStringLiteral("Pacote JSON com linhas sem campos."));
    for (const QJsonValue &row : rv.toArray()) {
        if (!row.isArray() || row.toArray().size() != p.fields.size())
            throw EPacketError(QStringLiteral("Pacote JSON com linha de tamanho diferente dos campos."));
        const QJsonArray a = row.toArray();
        QVariantList vals;
        vals.reserve(a.size());
        for (int i = 0; i < a.size(); ++i) {
            const QJsonValue v = a[i];
            if (v.isNull()) {
                vals.append(QVariant());
                continue;
            }
            const TFieldDef &f = p.fields[i];
            bool typeOk = false;
            switch (f.type) {
            case TFieldType::ftString: typeOk = v.isString(); break;
            case TFieldType::ftFloat:
            case TFieldType::ftInteger: typeOk = v.isDouble(); break;
            case TFieldType::ftDateTime: typeOk = v.isString(); break;
            case TFieldType::ftBoolean: typeOk = v.isBool(); break;
            }
            if (!typeOk)
                throw EPacketError(QStringLiteral("Pacote JSON com valor de tipo errado no campo %1.").arg(f.name));
            if (f.type == TFieldType::ftString) {
                vals.append(jsonText(v, f.name));
                continue;
            }
            if (f.type == TFieldType::ftInteger && !exactInJson(v.toDouble()))
                throw EPacketError(QStringLiteral("Pacote JSON com inteiro fora do intervalo no campo %1.").arg(f.name));
            const QVariant c = coerce(v.toVariant(), f.type);
            if (f.type == TFieldType::ftDateTime && !inDateRange(c.toDateTime()))
                throw EPacketError(QStringLiteral("Pacote JSON com data inválida no campo %1.").arg(f.name));
            vals.append(c);
        }
        p.rows.append(vals);
    }
    return p;
}

namespace {

char hexDigit(unsigned v)
{
    return char(v < 10 ? '0' + v : 'a' + v - 10);
}

char *escapeUnit(char *w, char16_t u)
{
    *w++ = '\\';
    *w++ = 'u';
    *w++ = hexDigit((u >> 12) & 0xf);
    *w++ = hexDigit((u >> 8) & 0xf);
    *w++ = hexDigit((u >> 4) & 0xf);
    *w++ = hexDigit(u & 0xf);
    return w;
}

// A JSON string: quotes, backslashes and control characters escaped, the
// rest in UTF-8; a surrogate without its pair as an escape. Written into
// room made at the end of `out` (at most 6 bytes per unit), then trimmed.
void appendString(QByteArray &out, QStringView s)
{
    const qsizetype start = out.size();
    out.resize(start + 6 * s.size() + 2);
    char *w = out.data() + start;
    *w++ = '"';
    const char16_t *p = s.utf16(), *const end = p + s.size();
    while (p < end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            if (u >= 0x20 && u != '"' && u != '\\') {
                *w++ = char(u);
                continue;
            }
            *w++ = '\\';
            switch (u) {
            case '"': *w++ = '"'; break;
            case '\\': *w++ = '\\'; break;
            case 0x8: *w++ = 'b'; break;
            case 0xc: *w++ = 'f'; break;
            case 0xa: *w++ = 'n'; break;
            case 0xd: *w++ = 'r'; break;
            case 0x9: *w++ = 't'; break;
            default:
                *w++ = 'u';
                *w++ = '0';
                *w++ = '0';
                *w++ = hexDigit(u >> 4);
                *w++ = hexDigit(u & 0xf);
            }
        } else if (u < 0x800) {
            *w++ = char(0xc0 | (u >> 6));
            *w++ = char(0x80 | (u & 0x3f));
        } else if (u >= 0xd800 && u <= 0xdfff) {
            if (u <= 0xdbff && p < end && *p >= 0xdc00 && *p <= 0xdfff) {
                const char32_t c = 0x10000 + ((char32_t(u) - 0xd800) << 10) + (char32_t(*p++) - 0xdc00);
                *w++ = char(0xf0 | (c >> 18));
                *w++ = char(0x80 | ((c >> 12) & 0x3f));
                *w++ = char(0x80 | ((c >> 6) & 0x3f));
                *w++ = char(0x80 | (c & 0x3f));
            } else {
                w = escapeUnit(w, u);
            }
        } else {
            *w++ = char(0xe0 | (u >> 12));
            *w++ = char(0x80 | ((u >> 6) & 0x3f));
            *w++ = char(0x80 | (u & 0x3f));
        }
    }
    *w++ = '"';
    out.truncate(w - out.constData());
}

// Numbers as QJsonDocument writes them: whole numbers that a double holds
// exactly as integers, others in the shortest form that reads back the
// same. Below 1e15 the standard library's shortest form is that text and
// much cheaper; larger fractions go through Qt's own.
void appendNumber(QByteArray &out, double d)
{
    char buf[32];
    if (!std::isfinite(d)) {
        out.append("null", 4);
    } else if (d == std::trunc(d) && std::fabs(d) <= 9007199254740992.0) {
        const auto r = std::to_chars(buf, buf + sizeof buf, qint64(d));
        out.append(buf, r.ptr - buf);
    } else if (std::fabs(d) < 1e15) {
        const auto r = std::to_chars(buf, buf + sizeof buf, d);
        out.append(buf, r.ptr - buf);
    } else {
        out.append(QByteArray::number(d, 'g', QLocale::FloatingPointShortest));
    }
}

}  // namespace

QByteArray TDataPacket::toJsonText() const
{
    QByteArray all;
    writeJsonText([&all](const char *bytes, qsizetype size) { all.append(bytes, size); });
    return all;
}

void TDataPacket::writeJsonText(const std::function<void(const char *, qsizetype)> &write) const
{
    if (columns) {
        withRows().writeJsonText(write);
        return;
    }
    TPacketJsonWriter writer(fields, write);
    for (const QVariantList &row : rows)
        writer.row(row);
    writer.finish();
}

namespace {
// Written in pieces of about this size, so that a large packet never
// becomes one large text in memory.
constexpr qsizetype kPiece = 64 * 1024;
}  // namespace

TPacketJsonWriter::TPacketJsonWriter(const QList<TFieldDef> &fields, Write write)
    : m_fields(fields), m_write(std::move(write))
{
    m_out.reserve(kPiece + 4096);
    m_out.append("{\"fields\":[", 11);
    for (int i = 0; i < m_fields.size(); ++i) {
        const TFieldDef &f = m_fields[i];
        m_out.append(i ? ",{\"name\":" : "{\"name\":");
        appendString(m_out, f.name);
        if (f.type == TFieldType::ftString) {
            m_out.append(",\"size\":", 8);
            m_out.append(QByteArray::number(f.size));
        }
        m_out.append(",\"type\":", 8);
        appendString(m_out, fieldTypeName(f.type));
        m_out.append('}');
    }
    m_out.append("],\"rows\":[", 10);
}

void TPacketJsonWriter::row(const QVariantList &row)
{
    if (m_out.size() >= kPiece)
        flush();
    m_out.append(m_rows++ ? ",[" : "[");
    for (int i = 0; i < m_fields.size(); ++i) {
        if (i)
            m_out.append(',');
        const QVariant &raw = i < row.size() ? row[i] : QVariant();
        const QVariant v = TDataPacket::isCoerced(raw, m_fields[i].type) ? raw : TDataPacket::coerce(raw, m_fields[i].type);
        if (!v.isValid()) {
            m_out.append("null", 4);
            continue;
        }
        switch (m_fields[i].type) {
        case TFieldType::ftString: appendString(m_out, *static_cast<const QString *>(v.constData())); break;
        case TFieldType::ftFloat: appendNumber(m_out, v.toDouble()); break;
        case TFieldType::ftInteger: appendNumber(m_out, double(v.toLongLong())); break;
        case TFieldType::ftDateTime:
            appendString(m_out, v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
            break;
        case TFieldType::ftBoolean: m_out.append(v.toBool() ? "true" : "false"); break;
        }
    }
    m_out.append(']');
}

void TPacketJsonWriter::finish()
{
    m_out.append("]}", 2);
    flush();
}

void TPacketJsonWriter::flush()
{
    m_write(m_out.constData(), m_out.size());
    m_out.truncate(0);
}
