#include "ConnectionString.h"

#include "Exceptions.h"

bool isPasswordKey(const QString &key)
{
    const QString k = key.trimmed().toLower();
    return k == QLatin1String("password") || k == QLatin1String("pwd");
}

namespace {

[[noreturn]] void malformed(const QString &where, const QString &what)
{
    if (where.isEmpty())
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: %1.").arg(what));
    throw EADOError(QStringLiteral("Cadeia de conexão inválida em '%1': %2.").arg(where, what));
}

}  // namespace

TConnectionString TConnectionString::parse(const QString &text, Syntax syntax, const QString &where)
{
    TConnectionString cs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int pairNo = 0;
    while (i < n) {
        // Key, up to '='.
        while (i < n && (text[i].isSpace() || text[i] == QLatin1Char(';')))
            ++i;
        if (i >= n)
            break;
        ++pairNo;
        const qsizetype keyStart = i;
        while (i < n && text[i] != QLatin1Char('=') && text[i] != QLatin1Char(';'))
            ++i;
        if (i >= n || text[i] != QLatin1Char('='))
            malformed(where, QStringLiteral("o item %1 não tem '='").arg(pairNo));
        const QString key = text.mid(keyStart, i - keyStart).trimmed();
        if (key.isEmpty())
            malformed(where, QStringLiteral("o item %1 não tem nome").arg(pairNo));
        ++i;  // '='
        while (i < n && text[i].isSpace() && text[i] != QLatin1Char(';'))
            ++i;
        QString value;
        const QChar first = i < n ? text[i] : QChar();
        if (syntax == Syntax::ADO && (first == QLatin1Char('"') || first == QLatin1Char('\''))) {
            const QChar q = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == q) {
                    if (i + 1 < n && text[i + 1] == q) {
                        value.append(q);
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value.append(text[i++]);
            }
            if (!closed)
                malformed(where, QStringLiteral("aspas sem fechamento no item %1 (%2)").arg(pairNo).arg(key));
        } else if (first == QLatin1Char('{')) {
            const qsizetype vs = i++;
            bool closed = false;
            while (i < n) {
                if (text[i] == QLatin1Char('}')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('}')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed)
                malformed(where, QStringLiteral("chaves sem fechamento no item %1 (%2)").arg(pairNo).arg(key));
            value = text.mid(vs, i - vs);
        } else {
            const qsizetype vs = i;
            while (i < n && text[i] != QLatin1Char(';'))
                ++i;
            value = text.mid(vs, i - vs).trimmed();
        }
        if (first == QLatin1Char('{') || (syntax == Syntax::ADO && (first == QLatin1Char('"') || first == QLatin1Char('\'')))) {
            while (i < n && text[i].isSpace())
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                malformed(where, QStringLiteral("texto após %1 no item %2 (%3)")
                                     .arg(first == QLatin1Char('{') ? QStringLiteral("as chaves") : QStringLiteral("as aspas"))
                                     .arg(pairNo)
                                     .arg(key));
        }
        cs.m_pairs.append({key, value});
    }
    return cs;
}

void TConnectionString::set(const QString &key, const QString &value)
{
    qsizetype at = -1;
    for (qsizetype i = 0; i < m_pairs.size();) {
        if (m_pairs[i].first.compare(key, Qt::CaseInsensitive) == 0) {
            if (at < 0) {
                at = i;
                m_pairs[i].second = value;
                ++i;
            } else {
                m_pairs.removeAt(i);
            }
        } else {
            ++i;
        }
    }
    if (at < 0)
        m_pairs.append({key, value});
}

void TConnectionString::remove(const QString &key)
{
    m_pairs.removeIf([&](const QPair<QString, QString> &p) { return p.first.compare(key, Qt::CaseInsensitive) == 0; });
}

QString TConnectionString::unbraced(const QString &value)
{
    if (value.size() < 2 || !value.startsWith(QLatin1Char('{')) || !value.endsWith(QLatin1Char('}')))
        return value;
    QString v = value.mid(1, value.size() - 2);
    v.replace(QStringLiteral("}}"), QStringLiteral("}"));
    return v;
}

QString TConnectionString::value(const QString &key, const QString &fallback) const
{
    for (qsizetype i = m_pairs.size() - 1; i >= 0; --i)
        if (m_pairs[i].first.compare(key, Qt::CaseInsensitive) == 0)
            return m_pairs[i].second;
    return fallback;
}

bool TConnectionString::contains(const QString &key) const
{
    for (const auto &p : m_pairs)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A value as it must be written to read back the same: quoted when it holds
// a separator or a quote, has blanks at either end, or starts with a brace
// (which would otherwise open an ODBC-style braced value).
static QString quoted(const QString &v)
{
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('"')) && !v.contains(QLatin1Char('\''))
        && v.trimmed() == v && !v.startsWith(QLatin1Char('{')))
        return v;
    QString q = v;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString TConnectionString::toString() const
{
    QStringList parts;
    for (const auto &p : m_pairs)
        parts.append(p.first + QLatin1Char('=') + quoted(p.second));
    return parts.join(QLatin1Char(';'));
}

QString TConnectionString::redacted() const
{
    QStringList parts;
    for (const auto &p : m_pairs)
        parts.append(p.first + QLatin1Char('=') + (isPasswordKey(p.first) ? QStringLiteral("***") : quoted(p.second)));
    return parts.join(QLatin1Char(';'));
}
