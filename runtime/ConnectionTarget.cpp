#include "ConnectionTarget.h"

#include "ConnectionString.h"
#include "DataLinkFile.h"
#include "Exceptions.h"
#include "OdbcString.h"

#include <QRegularExpression>
#include <QSqlDatabase>

namespace {

using Pairs = QList<QPair<QString, QString>>;

// A value as the database sees it: without the braces ODBC wraps it in.
QString plain(const QString &v)
{
    return TConnectionString::unbraced(v);
}

bool isKey(const QString &key, const char *name)
{
    return key.trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// The provider without ADO's version suffix ("SQLOLEDB.1", "OraOLEDB.Oracle.1"),
// in lower case.
QString providerKind(const QString &provider)
{
    static const QRegularExpression version(QStringLiteral("\\.\\d+$"));
    QString p = plain(provider).toLower();
    p.remove(version);
    return p;
}

// Keys that only ADO and its providers read: never handed to an ODBC driver.
// Every ADO property name with a space in it is one of them too.
bool isAdoOnlyKey(const QString &key)
{
    const QString k = key.trimmed().toLower();
    return k.contains(QLatin1Char(' ')) || k == QLatin1String("provider") || k == QLatin1String("mode")
           || k == QLatin1String("prompt") || k == QLatin1String("location");
}

// The string a data link file ("File Name=") holds, with the other keys of
// the given string on top of it.
TConnectionString withDataLink(const TConnectionString &cs)
{
    const QString file = plain(cs.value(QStringLiteral("File Name")));
    TConnectionString linked = TConnectionString::parse(readDataLinkFile(file), TConnectionString::Syntax::ADO, file);
    if (linked.contains(QStringLiteral("File Name")))
        throw EADOError(QStringLiteral("O vínculo de dados '%1' aponta para outro arquivo ('File Name'): não suportado.").arg(file));
    for (const auto &p : cs.pairs())
        if (!isKey(p.first, "File Name"))
            linked.set(p.first.trimmed(), p.second);
    return linked;
}

void refuseWindowsLogin(const TConnectionString &cs)
{
    if (!cs.contains(QStringLiteral("Integrated Security")))
        return;
    const QString v = plain(cs.value(QStringLiteral("Integrated Security"))).toLower();
    if (v == QLatin1String("sspi") || v == QLatin1String("true") || v == QLatin1String("yes"))
        throw EADOError(QStringLiteral("Cadeia de conexão: 'Integrated Security' pede o login do Windows, que não existe "
                                       "neste sistema; informe 'User ID' e 'Password'."));
    if (!v.isEmpty() && v != QLatin1String("false") && v != QLatin1String("no"))
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: valor de 'Integrated Security' não reconhecido."));
}

int secondsOf(const TConnectionString &cs)
{
    for (const char *key : {"Connect Timeout", "Connection Timeout"}) {
        if (!cs.contains(QLatin1String(key)))
            continue;
        bool ok = false;
        const int s = plain(cs.value(QLatin1String(key))).toInt(&ok);
        if (!ok || s < 0 || s > 86400)
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: '%1' deve ser um número de segundos.").arg(QLatin1String(key)));
        return s;
    }
    return -1;
}

int portOf(const TConnectionString &cs, int fallback)
{
    const QString ps = plain(cs.value(QStringLiteral("Port")));
    if (ps.isEmpty())
        return fallback;
    bool ok = false;
    const int port = ps.toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: porta '%1'.").arg(ps));
    return port;
}

// "Port" of a PostgreSQL host list: one port for every host, or one per
// host in the hosts' order.
void postgresPorts(const TConnectionString &cs, TConnectionTarget &t)
{
    const QStringList ports = plain(cs.value(QStringLiteral("Port"))).split(QLatin1Char(','));
    const qsizetype hosts = t.hostName.count(QLatin1Char(',')) + 1;
    if (ports.size() == 1) {
        t.port = portOf(cs, 5432);
        return;
    }
    if (ports.size() != hosts)
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: 'Port' tem %1 portas para %2 servidores em 'Data Source' "
                                       "(uma porta para todos, ou uma por servidor).")
                            .arg(ports.size())
                            .arg(hosts));
    for (const QString &p : ports) {
        bool ok = false;
        const int port = p.trimmed().toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: porta '%1'.").arg(p.trimmed().left(12)));
        t.ports += (t.ports.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(port);
    }
}

// "Target Session Attrs": libpq's own values.
QString sessionAttrs(const TConnectionString &cs)
{
    const QString v = plain(cs.value(QStringLiteral("Target Session Attrs"))).trimmed().toLower();
    static const QStringList accepted{QStringLiteral("any"),     QStringLiteral("read-write"), QStringLiteral("read-only"),
                                      QStringLiteral("primary"), QStringLiteral("standby"),    QStringLiteral("prefer-standby")};
    if (!v.isEmpty() && !accepted.contains(v))
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: 'Target Session Attrs' aceita %1.")
                            .arg(accepted.join(QStringLiteral(", "))));
    return v;
}

QString braced(QString v)
{
    v.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

// ODBC as given (MSDASQL or a bare ODBC string). "Extended Properties" holds
// an ODBC string of its own; the keys of the outer string come on top of
// it, with ADO's names mapped onto ODBC's ("Data Source" is the DSN).
void resolveOdbc(const TConnectionString &cs, TConnectionTarget &t)
{
    Pairs all;
    const QString ext = cs.value(QStringLiteral("Extended Properties"));
    if (!ext.trimmed().isEmpty())
        all = TConnectionString::parse(plain(ext), TConnectionString::Syntax::ODBC, QStringLiteral("Extended Properties")).pairs();
    all.append(cs.pairs());

    TConnectionString odbc;
    for (const auto &p : std::as_const(all)) {
        const QString key = p.first.trimmed();
        if (isKey(key, "Data Source")) {
            if (!p.second.trimmed().isEmpty())
                odbc.set(QStringLiteral("DSN"), p.second);
        } else if (isKey(key, "User ID")) {
            odbc.set(QStringLiteral("UID"), p.second);
        } else if (isKey(key, "Password")) {
            odbc.set(QStringLiteral("PWD"), p.second);
        } else if (isKey(key, "Initial Catalog")) {
            odbc.set(QStringLiteral("DATABASE"), p.second);
        } else if (!isAdoOnlyKey(key)) {
            odbc.set(key, p.second);
        }
    }
    // User and password go apart, so that their text never decides how
    // Qt's driver reads the rest.
    t.userName = plain(odbc.value(QStringLiteral("UID")));
    t.password = plain(odbc.value(QStringLiteral("PWD")));
    odbc.remove(QStringLiteral("UID"));
    odbc.remove(QStringLiteral("PWD"));
    t.driver = QStringLiteral("QODBC");
    t.dialectFromServer = true;
    t.databaseName = qtOdbcDatabaseName(odbc.pairs());
    if (odbc.contains(QStringLiteral("DSN")))
        t.place = QStringLiteral("fonte de dados ODBC '%1'").arg(plain(odbc.value(QStringLiteral("DSN"))));
    else if (odbc.contains(QStringLiteral("Driver")))
        t.place = QStringLiteral("driver ODBC '%1'").arg(plain(odbc.value(QStringLiteral("Driver"))));
    else
        t.place = QStringLiteral("arquivo DSN '%1'").arg(plain(odbc.value(QStringLiteral("FileDSN"))));
    const QString server = plain(odbc.value(QStringLiteral("Server"), odbc.value(QStringLiteral("Servername"))));
    if (!server.isEmpty())
        t.place += QStringLiteral(", servidor %1").arg(server);
}

}  // namespace

TConnectionTarget resolveConnectionString(const QString &connectionString)
{
    TConnectionString cs = TConnectionString::parse(connectionString);
    if (cs.contains(QStringLiteral("File Name")))
        cs = withDataLink(cs);
    refuseWindowsLogin(cs);

    TConnectionTarget t;
    t.connectTimeout = secondsOf(cs);
    t.applicationName = plain(cs.value(QStringLiteral("Application Name")));
    const QString provider = plain(cs.value(QStringLiteral("Provider")));
    const QString p = providerKind(provider);
    const QString source = plain(cs.value(QStringLiteral("Data Source")));
    const QString catalog = plain(cs.value(QStringLiteral("Initial Catalog"), cs.value(QStringLiteral("Database"))));
    t.userName = plain(cs.value(QStringLiteral("User ID"), cs.value(QStringLiteral("UID"))));
    t.password = plain(cs.value(QStringLiteral("Password"), cs.value(QStringLiteral("PWD"))));
    static const QRegularExpression sqlServer(QStringLiteral("^(sqloledb|msoledbsql\\d*|sqlncli\\d*)$"));

    if (p == QLatin1String("sqlite")) {
        if (source.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão SQLite sem 'Data Source'."));
        t.driver = QStringLiteral("QSQLITE");
        t.dialect = TDialect::SQLite;
        t.databaseName = source;
        t.place = QStringLiteral("arquivo SQLite '%1'").arg(source);
    } else if (p == QLatin1String("postgresql") || p == QLatin1String("postgres")) {
        t.driver = QStringLiteral("QPSQL");
        t.dialect = TDialect::PostgreSQL;
        t.hostName = source.isEmpty() ? QStringLiteral("127.0.0.1") : source;
        t.hostName.remove(QLatin1Char(' '));
        postgresPorts(cs, t);
        t.targetSessionAttrs = sessionAttrs(cs);
        t.databaseName = catalog;
        if (t.databaseName.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão PostgreSQL sem 'Initial Catalog'."));
        t.place = QStringLiteral("servidor PostgreSQL %1:%2, banco '%3'")
                      .arg(t.hostName, t.ports.isEmpty() ? QString::number(t.port) : t.ports, t.databaseName);
    } else if (sqlServer.match(p).hasMatch()) {
        if (source.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão SQL Server sem 'Data Source'."));
        t.driver = QStringLiteral("QODBC");
        t.dialect = TDialect::SQLServer;
        const QString driver = plain(cs.value(QStringLiteral("Driver"), QStringLiteral("FreeTDS")));
        const int port = portOf(cs, -1);
        QStringList parts{QStringLiteral("Driver=") + braced(driver), QStringLiteral("Server=") + odbcValue(source)};
        if (port > 0)
            parts.append(QStringLiteral("Port=%1").arg(port));
        if (!catalog.isEmpty())
            parts.append(QStringLiteral("Database=") + odbcValue(catalog));
        if (!t.applicationName.isEmpty())
            parts.append(QStringLiteral("APP=") + odbcValue(t.applicationName));
        t.databaseName = parts.join(QLatin1Char(';'));  // holds "Driver=": Qt's driver passes it as it is
        t.place = QStringLiteral("servidor SQL Server '%1' (driver ODBC '%2')").arg(source, driver);
    } else if (p == QLatin1String("msdaora") || p == QLatin1String("oraoledb.oracle")) {
        if (source.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão Oracle sem 'Data Source'."));
        t.dialect = TDialect::Oracle;
        t.place = QStringLiteral("banco Oracle '%1'").arg(source);
        if (QSqlDatabase::isDriverAvailable(QStringLiteral("QOCI"))) {
            t.driver = QStringLiteral("QOCI");
            t.databaseName = source;
        } else {
            t.driver = QStringLiteral("QODBC");
            const QString driver = plain(cs.value(QStringLiteral("Driver"), QStringLiteral("Oracle")));
            t.databaseName = QStringLiteral("Driver=%1;DBQ=%2").arg(braced(driver), odbcValue(source));
        }
    } else if (p == QLatin1String("msdasql")
               || (p.isEmpty() && (cs.contains(QStringLiteral("Driver")) || cs.contains(QStringLiteral("DSN"))
                                   || cs.contains(QStringLiteral("FileDSN"))))) {
        resolveOdbc(cs, t);
    } else if (p.isEmpty()) {
        throw EADOError(QStringLiteral("Cadeia de conexão sem 'Provider'."));
    } else {
        // A provider's name is short and plain; anything else is not repeated.
        static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._ -]{1,40}$"));
        throw EADOError(QStringLiteral("Provedor %1 não suportado (são aceitos SQLite, PostgreSQL, SQLOLEDB, MSOLEDBSQL, "
                                       "SQLNCLI, MSDAORA, OraOLEDB.Oracle e MSDASQL).")
                            .arg(name.match(provider).hasMatch() ? QStringLiteral("'%1'").arg(provider) : QStringLiteral("indicado")));
    }
    return t;
}
