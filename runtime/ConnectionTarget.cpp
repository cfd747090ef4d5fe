#include "ConnectionTarget.h"

#include "ConnectionString.h"
#include "Exceptions.h"

#include <QSqlDatabase>

QString dialectName(TDialect d)
{
    switch (d) {
    case TDialect::Oracle: return QStringLiteral("Oracle");
    case TDialect::SQLServer: return QStringLiteral("SQL Server");
    case TDialect::SQLite: return QStringLiteral("SQLite");
    case TDialect::PostgreSQL: return QStringLiteral("PostgreSQL");
    case TDialect::Unknown: break;
    }
    return QStringLiteral("desconhecido");
}

TConnectionTarget resolveConnectionString(const QString &connectionString)
{
    const TConnectionString cs = TConnectionString::parse(connectionString);
    TConnectionTarget t;
    const QString provider = cs.value(QStringLiteral("Provider")).trimmed();
    const QString p = provider.toLower();
    const QString source = cs.value(QStringLiteral("Data Source"));
    t.userName = cs.value(QStringLiteral("User ID"), cs.value(QStringLiteral("UID")));
    t.password = cs.value(QStringLiteral("Password"), cs.value(QStringLiteral("PWD")));
    const QString catalog = cs.value(QStringLiteral("Initial Catalog"), cs.value(QStringLiteral("Database")));
    const auto portOf = [&](int fallback) {
        const QString ps = cs.value(QStringLiteral("Port")).trimmed();
        if (ps.isEmpty())
            return fallback;
        bool ok = false;
        const int port = ps.toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: porta '%1'.").arg(ps));
        return port;
    };
    const auto odbcPairs = [&](const QStringList &skip) {
        QStringList parts;
        for (const auto &pr : cs.pairs()) {
            if (skip.contains(pr.first.trimmed(), Qt::CaseInsensitive))
                continue;
            QString v = pr.second;
            if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('}')) || v.contains(QLatin1Char('{')))
                v = QLatin1Char('{') + v.replace(QLatin1Char('}'), QStringLiteral("}}")) + QLatin1Char('}');
            parts.append(pr.first.trimmed() + QLatin1Char('=') + v);
        }
        return parts.join(QLatin1Char(';'));
    };

    if (p == QLatin1String("sqlite")) {
        if (source.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão SQLite sem 'Data Source'."));
        t.driver = QStringLiteral("QSQLITE");
        t.dialect = TDialect::SQLite;
        t.databaseName = source;
    } else if (p == QLatin1String("postgresql") || p == QLatin1String("postgres")) {
        t.driver = QStringLiteral("QPSQL");
        t.dialect = TDialect::PostgreSQL;
        t.hostName = source.isEmpty() ? QStringLiteral("127.0.0.1") : source;
        t.port = portOf(5432);
        t.databaseName = catalog;
        if (t.databaseName.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão PostgreSQL sem 'Initial Catalog'."));
    } else if (p == QLatin1String("sqloledb") || p == QLatin1String("msoledbsql") || p.startsWith(QLatin1String("sqlncli"))) {
        t.driver = QStringLiteral("QODBC");
        t.dialect = TDialect::SQLServer;
        const QString driver = cs.value(QStringLiteral("Driver"), QStringLiteral("FreeTDS"));
        QString server = source;
        const int port = portOf(-1);
        QStringList parts{QStringLiteral("Driver={%1}").arg(driver), QStringLiteral("Server=%1").arg(server)};
        if (port > 0)
            parts.append(QStringLiteral("Port=%1").arg(port));
        if (!catalog.isEmpty())
            parts.append(QStringLiteral("Database=%1").arg(catalog));
        t.databaseName = parts.join(QLatin1Char(';'));
    } else if (p == QLatin1String("msdaora.1") || p == QLatin1String("msdaora") || p == QLatin1String("oraoledb.oracle")) {
        t.dialect = TDialect::Oracle;
        if (QSqlDatabase::isDriverAvailable(QStringLiteral("QOCI"))) {
            t.driver = QStringLiteral("QOCI");
            t.databaseName = source;
        } else {
            t.driver = QStringLiteral("QODBC");
            const QString driver = cs.value(QStringLiteral("Driver"), QStringLiteral("Oracle"));
            t.databaseName = QStringLiteral("Driver={%1};DBQ=%2").arg(driver, source);
        }
    } else if (p == QLatin1String("msdasql") || (p.isEmpty() && (cs.contains(QStringLiteral("Driver")) || cs.contains(QStringLiteral("DSN"))))) {
        t.driver = QStringLiteral("QODBC");
        t.dialectFromServer = true;
        t.databaseName = odbcPairs({QStringLiteral("Provider"), QStringLiteral("User ID"), QStringLiteral("UID"),
                                    QStringLiteral("Password"), QStringLiteral("PWD")});
    } else if (provider.isEmpty()) {
        throw EADOError(QStringLiteral("Cadeia de conexão sem 'Provider'."));
    } else {
        throw EADOError(QStringLiteral("Provedor '%1' não suportado.").arg(provider));
    }
    return t;
}
