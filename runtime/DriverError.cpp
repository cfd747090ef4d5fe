#include "DriverError.h"

#include <QStringList>

namespace {

// SQLSTATE codes of PostgreSQL, and ODBC's own.
bool isSqlState(const QString &codes, const char *prefix)
{
    // Qt's ODBC driver joins the states of every diagnostic record with ';'.
    for (const QString &c : codes.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (c.trimmed().startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

}  // namespace

TDriverFault classifyDriverError(const QString &driver, const QSqlError &err, bool connectionBad)
{
    if (connectionBad)
        return TDriverFault::ConnectionLost;
    const QString code = err.nativeErrorCode();
    if (driver == QLatin1String("QSQLITE")) {
        bool ok = false;
        const int primary = code.toInt(&ok) & 0xff;  // extended codes keep the primary one in the low byte
        if (!ok)
            return TDriverFault::Other;
        switch (primary) {
        case 5:  // SQLITE_BUSY
        case 6:  // SQLITE_LOCKED
            return TDriverFault::Busy;
        case 10:  // SQLITE_IOERR: the share holding the file went away
        case 14:  // SQLITE_CANTOPEN
            return TDriverFault::ConnectionLost;
        case 13: return TDriverFault::DiskFull;  // SQLITE_FULL
        case 8: return TDriverFault::ReadOnly;   // SQLITE_READONLY
        default: return TDriverFault::Other;
        }
    }
    // PostgreSQL's states, natively or through ODBC.
    if (isSqlState(code, "08") || isSqlState(code, "57P01") || isSqlState(code, "57P02") || isSqlState(code, "57P03"))
        return TDriverFault::ConnectionLost;
    if (isSqlState(code, "55P03") || isSqlState(code, "40P01") || isSqlState(code, "40001"))
        return TDriverFault::Busy;
    if (isSqlState(code, "53100"))
        return TDriverFault::DiskFull;
    if (isSqlState(code, "25006"))
        return TDriverFault::ReadOnly;
    if (isSqlState(code, "HYT00") || isSqlState(code, "HYT01")
        || (isSqlState(code, "57014") && driverErrorText(err).contains(QLatin1String("timeout"))))
        return TDriverFault::TimedOut;
    return TDriverFault::Other;
}

QString driverErrorText(const QSqlError &err)
{
    QString t = err.databaseText().trimmed();
    if (t.isEmpty())
        t = err.text().trimmed();
    if (t.isEmpty())
        t = err.driverText().trimmed();
    // Qt's PostgreSQL driver ends some texts with the state in parentheses,
    // empty when the connection is gone.
    while (t.endsWith(QLatin1String("()")))
        t.chop(2);
    return t.trimmed();
}

QString driverFaultSentence(TDriverFault fault, const QString &driver)
{
    const bool sqlite = driver == QLatin1String("QSQLITE");
    switch (fault) {
    case TDriverFault::Other: break;
    case TDriverFault::ConnectionLost:
        return QStringLiteral("A conexão com o banco de dados foi perdida; nada foi gravado. Tente de novo: a "
                              "próxima operação conecta outra vez.");
    case TDriverFault::Busy:
        return QStringLiteral("Outro terminal está gravando no banco de dados; tente de novo em alguns instantes.");
    case TDriverFault::DiskFull:
        return QStringLiteral("O disco do banco de dados está cheio; libere espaço e tente de novo.");
    case TDriverFault::ReadOnly:
        return sqlite ? QStringLiteral("O arquivo do banco de dados está somente para leitura; "
                                       "peça a quem administra o sistema que libere a gravação.")
                      : QStringLiteral("O banco de dados aceita somente leitura; "
                                       "peça a quem administra o sistema que libere a gravação.");
    case TDriverFault::TimedOut:
        return QStringLiteral("O banco de dados não respondeu a tempo (outro terminal pode estar com os produtos "
                              "bloqueados); tente de novo em alguns instantes.");
    }
    return QString();
}
