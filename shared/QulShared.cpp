#include "QulShared.h"

#include "DriverError.h"
#include "IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace {
QString g_programDir;
QString g_connectionOverride;
QString g_systemConfigPath = QStringLiteral(QUL_SYSTEM_CONFIG_FILE);
QPointer<TADOConnection> g_session;
TMensagemHook g_mensagemHook;

// Set while the module's library is loaded; a function's own static so
// that the module may set it from its load-time initialisation.
QString &moduleDir()
{
    static QString dir;
    return dir;
}

bool sameDir(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}
}  // namespace

QString ProgramDir()
{
    if (!g_programDir.isEmpty())
        return g_programDir;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void SetProgramDir(const QString &dir)
{
    g_programDir = dir;
}

void SetModuleDir(const QString &dir)
{
    moduleDir() = dir;
}

QString SystemConfigPath()
{
    return g_systemConfigPath;
}

void SetSystemConfigPath(const QString &path)
{
    g_systemConfigPath = path.isEmpty() ? QStringLiteral(QUL_SYSTEM_CONFIG_FILE) : path;
}

QString DemoDatabasePath()
{
    const QString name = QStringLiteral("qul-demo.db");
    // Beside the program: a folder chosen by the host or a test, the build
    // tree, a self-contained folder with the module beside the programs.
    const QString program = ProgramDir();
    if (!g_programDir.isEmpty() || moduleDir().isEmpty() || sameDir(moduleDir(), program))
        return QDir(program).filePath(name);
    // Installed: the programs sit in a system folder (/usr/bin), which is no
    // place for a database, and the module in the library folder. Each user
    // gets a demo store of their own.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return QDir(program).filePath(name);
    return QDir(data).filePath(QStringLiteral("qul00002/") + name);
}

void SetStringConexQul(const QString &connectionString)
{
    g_connectionOverride = connectionString.trimmed();
}

void UseDemoDatabase()
{
    SetStringConexQul(DemoConnectionString());
}

bool InBuildTree()
{
    return QFileInfo(QDir(ProgramDir()).filePath(QStringLiteral("../CMakeCache.txt"))).isFile();
}

QString _GetStringConexQul(const QString &)
{
    if (!g_connectionOverride.isEmpty())
        return g_connectionOverride;
    const QString env = qEnvironmentVariable("QUL_CONNECTION").trimmed();
    if (!env.isEmpty())
        return env;
    // The first file that exists decides: a damaged or empty one must not
    // send new products silently to another store.
    const QString beside = QDir(ProgramDir()).filePath(QStringLiteral("qul.ini"));
    for (const QString &file : {beside, g_systemConfigPath}) {
        const IniLookup ini = lookUpIniValue(file, QStringLiteral("Database"), QStringLiteral("Connection"));
        if (!ini.fileExists)
            continue;
        if (!ini.value.isEmpty())
            return ini.value;
        throw EConfigError(
            QStringLiteral("Arquivo de configuração %1: %2")
                .arg(file, ini.keyFound ? QStringLiteral("a chave Connection da seção [Database] está vazia.")
                                        : QStringLiteral("não dá a cadeia de conexão (falta a chave Connection "
                                                         "na seção [Database], ou ela está comentada).")));
    }
    if (InBuildTree())
        return DemoConnectionString();
    throw EConfigError(QStringLiteral("Nenhuma cadeia de conexão configurada. Dê uma com --connection ou "
                                      "--connection-file, com a variável de ambiente QUL_CONNECTION ou na chave "
                                      "Connection da seção [Database] de %1 ou de %2 (qulhost --demo abre o banco "
                                      "de demonstração).")
                           .arg(beside, g_systemConfigPath));
}

QString DemoConnectionString()
{
    QString path = DemoDatabasePath();
    path.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(path);
}

void SetADODBSession(TADOConnection *connection)
{
    g_session = connection;
}

TADOConnection *ADODBSession()
{
    return g_session.data();
}

QString ADOExceptionMessage(const std::exception &e, TADOConnection *connection, const QString &context)
{
    QString msg = exceptionMessage(e).trimmed();
    if (msg.isEmpty())
        msg = QStringLiteral("Erro desconhecido no banco de dados.");
    // A connection waiting to be opened again says so in its own message.
    if (connection && !connection->Connected() && !connection->ConnectionLost())
        msg = QStringLiteral("Conexão com o banco de dados fechada. ") + msg;
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    return msg;
}

bool EmptyString(const QString &s)
{
    return s.trimmed().isEmpty();
}

void SetMensagemHook(TMensagemHook hook)
{
    g_mensagemHook = std::move(hook);
}

TMensagemHook MensagemHook()
{
    return g_mensagemHook;
}

bool Mensagem(const QString &texto, const QString &titulo, const QString &layout, const QString &pergunta, int tipo,
              const QString &detalhe, const QString &codigoTela, int numero, TDataSet *dataSet)
{
    if (g_mensagemHook)
        return g_mensagemHook(texto, titulo, layout, pergunta, tipo, detalhe, codigoTela, numero, dataSet);
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
    return false;
}

bool isFailureText(const QVariant &v)
{
    return v.isValid() && v.metaType().id() == QMetaType::QString;
}

QVariant MensagemMetodo(const QVariant &resultado, bool, int, const QString &servico, const QString &unidade,
                        const QString &, const QString &)
{
    if (!isFailureText(resultado))
        return resultado;
    const TADOConnection *sessao = ADODBSession();
    const QString texto = sessao && sessao->ConnectionLost()
                              ? driverFaultSentence(TDriverFault::ConnectionLost, QString())
                              : QStringLiteral("Erro no método %1 (%2):\n%3").arg(servico, unidade, resultado.toString());
    Mensagem(texto, QString(), MensagemArg::Nao, MensagemArg::Nao, mtErro, QString(), MensagemArg::CodigoTela, 0, nullptr);
    throw EAbort();
}
