#include "OdbcString.h"

#include "Exceptions.h"

namespace {

// Whether `v` is one value in braces: '{', then text in which every '}' is
// doubled, then '}'.
bool isBraced(const QString &v)
{
    if (v.size() < 2 || !v.startsWith(QLatin1Char('{')) || !v.endsWith(QLatin1Char('}')))
        return false;
    for (qsizetype i = 1; i < v.size() - 1; ++i) {
        if (v[i] != QLatin1Char('}'))
            continue;
        if (i + 1 >= v.size() - 1 || v[i + 1] != QLatin1Char('}'))
            return false;
        ++i;
    }
    return true;
}

qsizetype indexOfKey(const QList<QPair<QString, QString>> &pairs, const char *key)
{
    for (qsizetype i = 0; i < pairs.size(); ++i)
        if (pairs[i].first.trimmed().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString joined(const QList<QPair<QString, QString>> &pairs)
{
    QStringList parts;
    for (const auto &p : pairs)
        parts.append(p.first.trimmed() + QLatin1Char('=') + odbcValue(p.second));
    return parts.join(QLatin1Char(';'));
}

}  // namespace

QString odbcValue(const QString &value)
{
    if (isBraced(value))
        return value;
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) && !value.contains(QLatin1Char('}'))
        && value.trimmed() == value)
        return value;
    QString v = value;
    v.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

// Qt's ODBC driver does not pass the database name through as it is: a name
// holding ".dsn" gets "FILEDSN=" in front, one holding neither "DRIVER=" nor
// "SERVER=" gets "DSN=" in front, anything else goes as it is. So a string
// that would get a prefix is handed over with that key first and its own
// "KEY=" taken off, and the driver puts it back.
QString qtOdbcDatabaseName(const QList<QPair<QString, QString>> &pairs)
{
    QList<QPair<QString, QString>> ordered = pairs;
    const auto first = [&](const char *key) {
        const qsizetype i = indexOfKey(ordered, key);
        if (i < 0)
            return false;
        if (ordered[i].second.trimmed().isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão ODBC inválida: '%1' vazio.").arg(ordered[i].first.trimmed()));
        ordered.move(i, 0);
        return true;
    };
    const bool hasDsn = indexOfKey(ordered, "DSN") >= 0;
    const bool hasDriver = indexOfKey(ordered, "DRIVER") >= 0;
    const bool hasFileDsn = indexOfKey(ordered, "FILEDSN") >= 0;
    if (!hasDsn && !hasDriver && !hasFileDsn)
        throw EADOError(QStringLiteral("Cadeia de conexão ODBC sem fonte de dados: informe 'DSN' (ou 'Data Source'), 'Driver' ou 'FileDSN'."));

    const QString text = joined(ordered);
    if (text.contains(QLatin1String(".dsn"), Qt::CaseInsensitive)) {
        if (!first("FILEDSN"))
            throw EADOError(QStringLiteral("Cadeia de conexão ODBC não suportada: o texto '.dsn' só pode aparecer no valor de 'FileDSN'."));
        return joined(ordered).mid(int(qstrlen("FILEDSN=")));
    }
    if (text.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) || text.contains(QLatin1String("SERVER="), Qt::CaseInsensitive))
        return text;
    if (!first("DSN"))
        throw EADOError(QStringLiteral("Cadeia de conexão ODBC inválida: o arquivo de 'FileDSN' deve terminar em '.dsn'."));
    return joined(ordered).mid(int(qstrlen("DSN=")));
}
