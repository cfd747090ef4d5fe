#include "HostCommand.h"

#include "qul00002.h"

#include <cstdio>

namespace {

const char *kConnectionSources =
    "\nCadeia de conexão, na ordem:\n"
    "  1. --connection CADEIA\n"
    "  2. a variável de ambiente QUL_CONNECTION\n"
    "  3. a chave Connection da seção [Database] de qul.ini ao lado do programa\n"
    "  4. a mesma chave em /etc/qul/qul.ini\n"
    "  5. o banco de demonstração qul-demo.db ao lado do programa\n"
    "Formato ADO, por exemplo:\n"
    "  Provider=SQLite;Data Source=/var/lib/loja/loja.db\n"
    "  Provider=PostgreSQL;Data Source=host;Port=5432;Initial Catalog=loja;User ID=u;Password=p\n";

}  // namespace

namespace HostCommand {

void setUp(QCommandLineParser &parser, const QString &description)
{
    parser.setApplicationDescription(description + QString::fromUtf8(kConnectionSources));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("connection"),
                                        QStringLiteral("Cadeia de conexão do banco da loja (formato ADO)."),
                                        QStringLiteral("CADEIA")));
    parser.addHelpOption();
    parser.addVersionOption();
}

QString connection(const QCommandLineParser &parser)
{
    return parser.value(QStringLiteral("connection"));
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

int parse(QCommandLineParser &parser, const QStringList &arguments, const char *program)
{
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText(), program);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        ModuleLoader module;
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
