#include "ConnectionString.h"

#include "Exceptions.h"

bool isPasswordKey(const QString &key)
{
    const QString k = key.trimmed().toLower();
    return k == QLatin1String("password") || k == QLatin1String("pwd");
}

TConnectionString TConnectionString::parse(const QString &text)
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
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: o item %1 não tem '='.").arg(pairNo));
        const QString key = text.mid(keyStart, i - keyStart).trimmed();
        if (key.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: o item %1 não tem nome.").arg(pairNo));
        ++i;  // '='
        while (i < n && text[i].isSpace() && text[i] != QLatin1Char(';'))
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
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
                throw EADOError(QStringLiteral("Cadeia de conexão inválida: aspas sem fechamento no item %1 (%2).")
                                    .arg(pairNo).arg(key));
            while (i < n && text[i].isSpace())
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                throw EADOError(QStringLiteral("Cadeia de conexão inválida: texto após as aspas no item %1 (%2).")
                                    .arg(pairNo).arg(key));
        } else {
            const qsizetype vs = i;
            while (i < n && text[i] != QLatin1Char(';'))
                ++i;
            value = text.mid(vs, i - vs).trimmed();
        }
        cs.m_pairs.append({key, value});
    }
    return cs;
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

static QString quoted(const QString &v)
{
    if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('"')) && !v.contains(QLatin1Char('\''))
        && v.trimmed() == v)
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
