#include "HostCommand.h"

#include "ConnectionFile.h"
#include "qul00002.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>
#include <cstdio>

namespace {

// The texts of QCommandLineParser itself (usage line, headings, its own
// options and errors) in Portuguese, like the rest of the help.
class ParserTexts : public QTranslator {
public:
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        static const QHash<QByteArray, const char *> texts{
            {"Usage: %1", "Uso: %1"},
            {"[options]", "[opções]"},
            {"Options:", "Opções:"},
            {"Arguments:", "Argumentos:"},
            {"Displays help on commandline options.", "Mostra esta ajuda."},
            {"Displays help including Qt specific options.", "Mostra esta ajuda e as opções próprias do Qt."},
            {"Displays version information.", "Mostra a versão do módulo."},
            {"Unknown option '%1'.", "Opção desconhecida: '%1'."},
            {"Unknown options: %1.", "Opções desconhecidas: %1."},
            {"Missing value after '%1'.", "Falta o valor depois de '%1'."},
            {"Unexpected value after '%1'.", "Valor inesperado depois de '%1'."},
        };
        const char *text = texts.value(QByteArray(sourceText));
        return text ? QString::fromUtf8(text) : QString();
    }
    bool isEmpty() const override { return false; }
};

const char *kConnectionSources =
    "\n\nCadeia de conexão, da primeira fonte que existir:\n"
    "  1. --connection CADEIA ou --connection-file ARQUIVO (em qulhost, --demo: o\n"
    "     banco de demonstração)\n"
    "  2. a variável de ambiente QUL_CONNECTION\n"
    "  3. a chave Connection da seção [Database] de qul.ini ao lado do programa\n"
    "  4. a mesma chave em " QUL_SYSTEM_CONFIG_FILE "\n"
    "O primeiro qul.ini que existir precisa dar a chave com um valor; um que não a\n"
    "dá (vazio, sem a chave, com o valor vazio ou comentado) ou que não se pode ler\n"
    "ou interpretar é um erro que nomeia o arquivo. Sem nenhuma fonte, só numa\n"
    "árvore de compilação vale o banco de demonstração; instalado, é um erro que\n"
    "diz como dar a conexão.\n"
    "--connection deixa a cadeia, com a senha, à vista de todo usuário local (ps,\n"
    "/proc/PID/cmdline) enquanto o programa roda; --connection-file, QUL_CONNECTION,\n"
    "qul.ini e um arquivo .udl (File Name=) não a mostram. ARQUIVO dá a cadeia na\n"
    "sua primeira linha não vazia e é recusado se outros usuários podem lê-lo\n"
    "(chmod 600 ou 640).\n"
    "O banco de demonstração qul-demo.db fica ao lado do programa quando o módulo\n"
    "está ao lado dele; instalado, na pasta de dados do usuário\n"
    "($XDG_DATA_HOME/qul00002, por padrão ~/.local/share/qul00002).\n"
    "\nFormato ADO, por exemplo:\n"
    "  Provider=SQLite;Data Source=/var/lib/loja/loja.db\n"
    "  Provider=PostgreSQL;Data Source=host;Port=5432;Initial Catalog=loja;User ID=u;Password=p\n"
    "  Provider=MSDASQL.1;Data Source=lojapg;User ID=u;Password=p   (ODBC: Data Source é o DSN)\n"
    "  Provider=SQLOLEDB.1;Data Source=servidor;Initial Catalog=loja;User ID=u;Password=p\n"
    "  File Name=/etc/qul/loja.udl   (arquivo de vínculo de dados)\n"
    "\nEm qul.ini:\n"
    "  [Database]\n"
    "  Connection=Provider=SQLite;Data Source=/var/lib/loja/loja.db\n"
    "\nMódulo: " QUL_MODULE_SONAME " ao lado do programa, senão em " QUL_BIN_TO_LIBDIR "\n"
    "a partir da pasta do programa (a pasta de bibliotecas da instalação).\n"
    "\nRegistro: cada falha (conexão recusada ou perdida, tempo esgotado, gravação\n"
    "recusada ou desfeita, tela que não abre) é uma linha no syslog, com o terminal\n"
    "(journalctl -t NOME_DO_PROGRAMA, /var/log/syslog), e na saída de erro.";

}  // namespace

namespace HostCommand {

void setUp(QCommandLineParser &parser, const QString &description)
{
    static ParserTexts texts;
    if (QCoreApplication::instance())
        QCoreApplication::installTranslator(&texts);
    parser.setApplicationDescription(description + QString::fromUtf8(kConnectionSources));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("connection"),
                                        QStringLiteral("Cadeia de conexão do banco da loja (formato ADO)."),
                                        QStringLiteral("CADEIA")));
    parser.addOption(QCommandLineOption(QStringLiteral("connection-file"),
                                        QStringLiteral("Lê a cadeia de conexão da primeira linha não vazia de ARQUIVO, "
                                                       "sem pô-la na linha de comando."),
                                        QStringLiteral("ARQUIVO")));
    parser.addHelpOption();
    parser.addVersionOption();
}

int connection(const QCommandLineParser &parser, const char *program, QString *connection)
{
    const QString file = QStringLiteral("connection-file");
    if (!parser.isSet(file)) {
        *connection = parser.value(QStringLiteral("connection"));
        return -1;
    }
    if (parser.isSet(QStringLiteral("connection")))
        return usageError(parser, QStringLiteral("--connection e --connection-file não podem ser dados juntos."),
                          program);
    QString error;
    if (!ConnectionFile::read(parser.value(file), connection, &error)) {
        printError(program, error);
        return kExitUsage;
    }
    return -1;
}

void printError(const char *program, const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", program, message.toLocal8Bit().constData());
}

int usageError(const QCommandLineParser &parser, const QString &message, const char *program)
{
    printError(program, message);
    const QString usage = parser.helpText().section(QLatin1Char('\n'), 0, 0);
    std::fprintf(stderr, "%s\n(%s --help descreve cada opção)\n", usage.toLocal8Bit().constData(), program);
    return kExitUsage;
}

int parse(QCommandLineParser &parser, const QStringList &arguments, const char *program, ModuleLoader::Part part)
{
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText(), program);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        ModuleLoader module(part);
        if (!module.load()) {
            printError(program, module.error());
            return kExitModule;
        }
        const QString version = moduleVersion(module);
        if (version.isEmpty()) {
            printError(program, module.error());
            return kExitModule;
        }
        std::printf("%s %s\n", program, version.toLocal8Bit().constData());
        return kExitOk;
    }
    return -1;
}

QString moduleVersion(ModuleLoader &module)
{
    auto info = QUL_ENTRY(module, GetPackageInfoTable);
    const TQulPackageInfo *table = info ? info() : nullptr;
    return table && table->version ? QString::fromUtf8(table->version) : QString();
}

}  // namespace HostCommand
