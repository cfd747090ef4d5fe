#include "QulShared.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {
QString g_programDir;
QString g_connectionOverride;
QPointer<TADOConnection> g_session;
TMensagemHook g_mensagemHook;
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

QString DemoDatabasePath()
{
    return QDir(ProgramDir()).filePath(QStringLiteral("qul-demo.db"));
}

QString readIniValue(const QString &path, const QString &section, const QString &key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

void SetStringConexQul(const QString &connectionString)
{
    g_connectionOverride = connectionString.trimmed();
}

QString _GetStringConexQul(const QString &)
{
    if (!g_connectionOverride.isEmpty())
        return g_connectionOverride;
    const QString env = qEnvironmentVariable("QUL_CONNECTION").trimmed();
    if (!env.isEmpty())
        return env;
    for (const QString &file : {QDir(ProgramDir()).filePath(QStringLiteral("qul.ini")), QStringLiteral("/etc/qul/qul.ini")}) {
        const QString ini = readIniValue(file, QStringLiteral("Database"), QStringLiteral("Connection"));
        if (!ini.isEmpty())
            return ini;
    }
    return DemoConnectionString();
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
    if (connection && !connection->Connected())
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
    const QString texto = QStringLiteral("Erro no método %1 (%2):\n%3").arg(servico, unidade, resultado.toString());
    Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QStringLiteral("002"), 0, nullptr);
    throw EAbort();
}
