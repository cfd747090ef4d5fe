// qulsvc: the command-line front of the product data services. It loads the
// services library (libqul00002-services.so, else the whole module) and
// calls the services through its JSON entries (qul00002_json.h), as a host
// in any language does, and prints their answer, one JSON object:
// {"status": N, "result": R}; an insert adds "codigos", the codes the
// store gave its products. Its catalogue commands, export and
// import, print a summary instead (and import its refused rows).
//
// Exit status: 0 the service answered; 3 its answer is a failure text (the
// JSON still says what failed), or an import refused rows; 4 it returned a
// failure status; 2 a usage error; 1 the module or the connection could
// not be opened. `verifica` prints what the store lacks and exits 5 when
// it lacks anything (1 when it cannot be reached). A delete that removed
// nothing exits 6 ("VENDA"), 7 ("CONFTE") or 8 (no such product), its
// reason on stderr (ServiceAnswers.h).

#include "HostCommand.h"
#include "ModuleLoader.h"
#include "ServiceAnswers.h"
#include "SystemLog.h"
#include "qul00002.h"
#include "qul00002_json.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

const char *const kProgram = "qulsvc";
constexpr int kExitFailureText = 3;
constexpr int kExitFailureStatus = 4;
constexpr int kExitStoreIncomplete = 5;
// The longest wait of getProdutoMudou, a day.
constexpr int kLongestWatch = 86400;
// The refused rows an import prints; the rest are counted.
constexpr qsizetype kRefusalsShown = 100;
// The new products an import prints after its summary.
constexpr qsizetype kNewShown = 20;

struct Command;
// Runs a service command through the module's JSON entries and prints its
// answer: the exit status.
int runService(ModuleLoader &mod, const Command &command, const QStringList &args, const QByteArray &packet);

// A command: its arguments, its lines in the usage text, and how it runs
// (the catalogue commands have nothing here: runCatalogue runs them).
struct Command {
    const char *name;
    int arity;
    const char *usage;
    int (*call)(ModuleLoader &mod, const Command &command, const QStringList &args, const QByteArray &packet);
};

const Command kCommandTable[] = {
    {"getImposto", 0, "  getImposto\n", runService},
    {"getUnidade", 0, "  getUnidade\n", runService},
    {"getProduto", 1, "  getProduto CODIGO                   (T para todos)\n", runService},
    {"getProdutoNaLista", 2,
     "  getProdutoNaLista CODIGO CODREDUZIDO\n"
     "                                      o produto de CODIGO (ou, com CODIGO \"\", o do\n"
     "                                      CODREDUZIDO) e quantos a lista põe antes dele\n",
     runService},
    {"getVd_Produto", 3, "  getVd_Produto CODIGO CODBARRAS CODREDUZIDO\n", runService},
    {"setProduto", 2,
     "  setProduto I|E ARQUIVO|-            (pacote JSON; - lê da entrada padrão); I\n"
     "                                      acrescenta \"codigos\": os CDPRODUTO novos\n",
     runService},
    {"setDelProduto", 1, "  setDelProduto CODIGO                (saída 6, 7 ou 8: nada foi excluído)\n", runService},
    {"getProdutoMudou", 1,
     "  getProdutoMudou SEGUNDOS            true assim que outra conexão mudar os\n"
     "                                      produtos, false se não mudou em SEGUNDOS\n",
     runService},
    {"export", 1,
     "  export [--format csv|json|xlsx|ods] [--encoding utf8|cp1252] ARQUIVO|-\n"
     "                                      todos os produtos, como getProduto T os lista;\n"
     "                                      sem --format, pelo nome: .json, .xlsx, .ods,\n"
     "                                      senão CSV\n",
     nullptr},
    {"import", 1,
     "  import [--check] [--format csv|json|xlsx|ods] [--encoding utf8|cp1252]\n"
     "         [--relatorio RELATORIO] [--copia COPIA] [--inserir-ausentes] [--ajustar-nomes]\n"
     "         ARQUIVO|-\n"
     "                                      o formato reconhecido pelo conteúdo (planilha\n"
     "                                      .xlsx ou .ods: a primeira folha);\n"
     "                                      cada linha verificada como a tela verifica;\n"
     "                                      com CDPRODUTO altera, sem CDPRODUTO inclui;\n"
     "                                      uma linha recusada e nada é gravado; as\n"
     "                                      100 primeiras recusas impressas, todas em\n"
     "                                      RELATORIO (CSV) para corrigir na planilha;\n"
     "                                      sem recusas, RELATORIO lista cada campo que\n"
     "                                      muda; antes de gravar, guarda em COPIA os\n"
     "                                      produtos alterados como estão\n",
     nullptr},
    {"verifica", 0,
     "  verifica                            confere se o banco da loja tem as tabelas e\n"
     "                                      colunas que o cadastro usa; diz o que falta\n"
     "                                      e como criar\n",
     nullptr},
};

const Command *findCommand(const QString &name)
{
    for (const Command &c : kCommandTable)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QString usageText()
{
    QString t = QStringLiteral("Chama um serviço de dados de produtos e imprime {\"status\": N, \"result\": R}.\n"
                               "Comandos:\n");
    for (const Command &c : kCommandTable)
        t += QString::fromUtf8(c.usage);
    return t + QStringLiteral("CSV: ';' entre campos, vírgula decimal, cabeçalho com os nomes dos campos do\n"
                              "pacote de produto, UTF-8 com BOM (ou --encoding cp1252).\n"
                              "Saída: 0 o serviço respondeu; 3 a resposta é um texto de falha (ou a importação\n"
                              "recusou linhas); 4 o serviço devolveu status de falha; 2 erro de uso; 1 módulo\n"
                              "ou conexão indisponível; 5 (verifica) faltam tabelas ou colunas no banco;\n"
                              "setDelProduto sem excluir: 6 VENDA (numa venda ou comanda), 7 CONFTE (num grupo\n"
                              "da tela de vendas), 8 não há produto com o código.\n"
                              "Carrega a biblioteca de serviços " QUL_SERVICES_SONAME " (sem tela gráfica: nem\n"
                              "Qt Gui nem Qt Widgets), senão o módulo inteiro, nas pastas do módulo abaixo.");
}

// The packet of setProduto, read by the module from a JSON file or
// standard input before the store is opened (a packet the module cannot
// read is a usage error); its text is what the service is given.
bool readPacket(ModuleLoader &mod, const QString &source, QByteArray *text, QString *error)
{
    QFile f;
    const bool opened = source == QLatin1String("-") ? f.open(stdin, QIODevice::ReadOnly)
                                                     : (f.setFileName(source), f.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = QStringLiteral("não foi possível ler %1").arg(source);
        return false;
    }
    auto leJson = QUL_ENTRY(mod, QulJsonParaPacote);
    if (!leJson) {
        *error = mod.error();
        return false;
    }
    const QString json = QString::fromUtf8(f.readAll());
    QVariant packet;
    if (leJson(QStringView(json).utf16(), &packet) != 0) {
        *error = packet.toString();
        return false;
    }
    *text = json.toUtf8();
    return true;
}

// The import's progress bar on a terminal, through its stages: the check
// (and a second one, when needed) by the file's bytes, the writing by its
// rows. Shown once the import has taken a second, redrawn at most ten
// times a second and at each stage's end.
struct Progress {
    QElapsedTimer clock;
    qint64 lastDraw = -1000;
    int32_t stage = 0;
    qint64 stageStart = 0;  // ms
    bool drawn = false;

    static void report(int32_t stage, int64_t done, int64_t total, void *context)
    {
        auto *p = static_cast<Progress *>(context);
        const qint64 ms = p->clock.elapsed();
        if (stage != p->stage) {
            p->stage = stage;
            p->stageStart = ms;
        }
        if (ms < 1000 || (ms - p->lastDraw < 100 && done < total))
            return;
        p->lastDraw = ms;
        p->drawn = true;
        constexpr int width = 30;
        const int filled = total > 0 ? int(done * width / total) : width;
        // (the rate over half a second at least: the first reads come in one go)
        const double seconds = std::max<qint64>(ms - p->stageStart, 500) / 1000.0;
        const QString what = stage == 3
                                 ? QStringLiteral("gravando: %1/%2 linhas, %3 linhas/s").arg(done).arg(total).arg(done / seconds, 0, 'f', 0)
                                 : QStringLiteral("%1: %2 de %3 MiB, %4 MiB/s")
                                       .arg(stage == 1 ? QStringLiteral("verificando") : QStringLiteral("verificando de novo"),
                                            mib(double(done)), mib(double(total)), mib(done / seconds));
        // (cleared to the line's end: a stage's text may be shorter than the one before)
        std::fprintf(stderr, "\r[%s%s] %s\x1b[K", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '-').constData(), qPrintable(what));
        std::fflush(stderr);
    }
    static QString mib(double bytes) { return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(bytes / (1 << 20), 'f', 1); }
    void finish() const
    {
        if (drawn)
            std::fputc('\n', stderr);
    }
};

// The export's count on a terminal, as the import's bar: once it has taken
// a second, redrawn at most ten times a second (how many there are is
// known only at the end).
struct ExportProgress {
    QElapsedTimer clock;
    qint64 lastDraw = -1000;
    bool drawn = false;

    static void report(int64_t done, void *context)
    {
        auto *p = static_cast<ExportProgress *>(context);
        const qint64 ms = p->clock.elapsed();
        if (ms < 1000 || ms - p->lastDraw < 100)
            return;
        p->lastDraw = ms;
        p->drawn = true;
        std::fprintf(stderr, "\r%lld produtos, %.0f produtos/s ", (long long)done, done * 1000.0 / double(ms));
        std::fflush(stderr);
    }
    void finish() const
    {
        if (drawn)
            std::fputc('\n', stderr);
    }
};

QString seconds(const QVariant &v)
{
    return QString::number(v.toDouble(), 'f', 2);
}

// After an import's summary: the products each field changes in, where the
// stored rows it changed were kept and how to put them back, and the new
// products, which have no copy.
void printChanges(const QVariantMap &m, bool check)
{
    const QStringList fields = m.value(QStringLiteral("campos")).toStringList();
    if (!fields.isEmpty())
        std::printf("%s: %s\n", check ? "campos a alterar" : "campos alterados", qPrintable(fields.join(QStringLiteral(", "))));
    const QString copy = m.value(QStringLiteral("copia")).toString();
    if (!copy.isEmpty())
        std::printf("%s\n", qPrintable(QStringLiteral("cópia dos produtos alterados, como estavam: %1 (para os voltar: "
                                                      "qulsvc import --format csv \"%1\")")
                                           .arg(copy)));
    const int added = m.value(QStringLiteral("inseridos")).toInt();
    const QStringList news = m.value(QStringLiteral("novos")).toStringList();
    if (check || added == 0)
        return;
    std::printf("%s\n", qPrintable(QStringLiteral("incluídos, sem cópia (para desfazer, apague-os):")));
    for (const QString &line : news.first(std::min<qsizetype>(news.size(), kNewShown)))
        std::printf("%s\n", qPrintable(line));
    if (added > kNewShown)
        std::printf("%s\n", qPrintable(QStringLiteral("… e mais %1 incluídos.").arg(added - kNewShown)));
}

// export and import: a summary line on stderr (export: stdout may be the
// file) or stdout (import, after its refused rows).
int runCatalogue(ModuleLoader &mod, const QString &cmd, const QCommandLineParser &parser, const QString &file)
{
    const QString format = parser.value(QStringLiteral("format")), encoding = parser.value(QStringLiteral("encoding"));
    QVariant result;
    int32_t status = -1;
    if (cmd == QLatin1String("export")) {
        auto exporta = QUL_ENTRY(mod, QulExportaProdutosProgresso);
        if (!exporta) {
            HostCommand::printError(kProgram, mod.error());
            return HostCommand::kExitModule;
        }
        ExportProgress progress;
        progress.clock.start();
        status = exporta(QStringView(file).utf16(), QStringView(format).utf16(), QStringView(encoding).utf16(),
                         isatty(fileno(stderr)) ? &ExportProgress::report : nullptr, &progress, &result);
        progress.finish();
        if (status == 0 && result.metaType().id() == QMetaType::QVariantMap) {
            const QVariantMap m = result.toMap();
            std::fprintf(stderr, "exportados: %lld produtos em %s s\n", m.value(QStringLiteral("produtos")).toLongLong(),
                         qPrintable(seconds(m.value(QStringLiteral("segundos")))));
            return HostCommand::kExitOk;
        }
    } else {
        auto importa = QUL_ENTRY(mod, QulImportaProdutosCopia);
        if (!importa) {
            HostCommand::printError(kProgram, mod.error());
            return HostCommand::kExitModule;
        }
        Progress progress;
        progress.clock.start();
        const bool terminal = isatty(fileno(stderr));
        const QString report = parser.value(QStringLiteral("relatorio")), copy = parser.value(QStringLiteral("copia"));
        int32_t options = 0;
        for (const auto &[name, bit] : {std::pair{"check", QUL_IMPORTA_SO_VERIFICA},
                                        {"inserir-ausentes", QUL_IMPORTA_INSERIR_AUSENTES},
                                        {"ajustar-nomes", QUL_IMPORTA_AJUSTAR_NOMES}})
            if (parser.isSet(QLatin1String(name)))
                options |= bit;
        status = importa(QStringView(file).utf16(), QStringView(format).utf16(), QStringView(encoding).utf16(), QStringView(report).utf16(), QStringView(copy).utf16(), options,
                         terminal ? &Progress::report : nullptr, &progress, &result);
        progress.finish();
        if (status == 0 && result.metaType().id() == QMetaType::QVariantMap) {
            const QVariantMap m = result.toMap();
            // The names and tax codes adjusted, then, of a file with many refused rows,
            // the first ones, and the report for all.
            const QStringList adjusted = m.value(QStringLiteral("ajustes")).toStringList();
            for (const QString &line : adjusted.first(std::min<qsizetype>(adjusted.size(), kRefusalsShown)))
                std::printf("%s\n", qPrintable(line));
            if (adjusted.size() > kRefusalsShown)
                std::printf("%s\n", qPrintable(QStringLiteral("… e mais %1 valores ajustados.").arg(adjusted.size() - kRefusalsShown)));
            const QStringList refused = m.value(QStringLiteral("recusas")).toStringList();
            for (const QString &line : refused.first(std::min<qsizetype>(refused.size(), kRefusalsShown)))
                std::printf("%s\n", qPrintable(line));
            if (refused.size() > kRefusalsShown)
                std::printf("%s\n", qPrintable(QStringLiteral("… e mais %1 linhas recusadas; %2")
                                                    .arg(refused.size() - kRefusalsShown)
                                                    .arg(report.isEmpty() ? QStringLiteral("veja --relatorio ARQUIVO.")
                                                                          : QStringLiteral("todas em %1.").arg(report))));
            for (const QString &line : m.value(QStringLiteral("avisos")).toStringList())
                std::fprintf(stderr, "%s\n", qPrintable(line));
            const bool check = parser.isSet(QStringLiteral("check"));
            std::printf("%s: %d; %s: %d; inalterados: %d; recusados: %d; segundos: %s%s\n",
                        check ? "a incluir" : "inseridos", m.value(QStringLiteral("inseridos")).toInt(),
                        check ? "a alterar" : "alterados", m.value(QStringLiteral("alterados")).toInt(),
                        m.value(QStringLiteral("inalterados")).toInt(), m.value(QStringLiteral("recusados")).toInt(),
                        qPrintable(seconds(m.value(QStringLiteral("segundos")))),
                        m.value(QStringLiteral("recusados")).toInt() > 0 ? " (nada foi gravado)" : "");
            if (m.value(QStringLiteral("recusados")).toInt() == 0)
                printChanges(m, check);
            return m.value(QStringLiteral("recusados")).toInt() > 0 ? kExitFailureText : HostCommand::kExitOk;
        }
    }
    if (status != 0) {
        HostCommand::printError(kProgram, result.isValid() ? result.toString() : QStringLiteral("status %1").arg(status));
        return kExitFailureStatus;
    }
    HostCommand::printError(kProgram, result.toString());
    return kExitFailureText;
}

// verifica: what the store lacks (exit 5) or that it lacks nothing (0).
int runVerifica(ModuleLoader &mod)
{
    auto verifica = QUL_ENTRY(mod, QulVerificaBanco);
    if (!verifica) {
        HostCommand::printError(kProgram, mod.error());
        return HostCommand::kExitModule;
    }
    QVariant result;
    const int32_t status = verifica(&result);
    if (status != 0 || result.metaType().id() != QMetaType::QVariantMap) {  // the store could not be read
        HostCommand::printError(kProgram, result.isValid() ? result.toString() : QStringLiteral("status %1").arg(status));
        return HostCommand::kExitModule;
    }
    const QVariantMap m = result.toMap();
    if (!m.value(QStringLiteral("ok")).toBool()) {
        std::printf("%s\n", qPrintable(m.value(QStringLiteral("texto")).toString()));
        return kExitStoreIncomplete;
    }
    std::printf("O banco de dados da loja (%s) tem as %d tabelas e as colunas que o cadastro de produtos usa.\n",
                qPrintable(m.value(QStringLiteral("lugar")).toString()), m.value(QStringLiteral("tabelas")).toInt());
    return HostCommand::kExitOk;
}

// The catalogue commands' options, beside the host's own.
void addCatalogueOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("format"),
                      QStringLiteral("export e import: csv, json, xlsx ou ods (sem a opção, o export segue o nome "
                                     "do arquivo e o import o seu conteúdo)."),
                      QStringLiteral("csv|json|xlsx|ods")});
    parser.addOption({QStringLiteral("encoding"), QStringLiteral("export e import em CSV: utf8 (padrão) ou cp1252."),
                      QStringLiteral("utf8|cp1252")});
    parser.addOption({QStringLiteral("check"), QStringLiteral("import: só verifica o arquivo, sem gravar.")});
    parser.addOption({QStringLiteral("relatorio"),
                      QStringLiteral("import: grava em CSV o que muda, campo a campo (linha, produto, campo, "
                                     "guardado, novo), ou as linhas recusadas (linha, coluna, texto e os valores)."),
                      QStringLiteral("RELATORIO")});
    parser.addOption({QStringLiteral("copia"),
                      QStringLiteral("import: onde guardar, antes de gravar, os produtos que altera como estão "
                                     "(padrão: qul-antes-AAAAMMDD-HHMMSS.csv ao lado do ARQUIVO)."),
                      QStringLiteral("COPIA")});
    parser.addOption({QStringLiteral("inserir-ausentes"),
                      QStringLiteral("import: inclui com o seu código um CDPRODUTO de algarismos que a loja não tem.")});
    parser.addOption({QStringLiteral("ajustar-nomes"),
                      QStringLiteral("import: tira os acentos (menos o do ç) de um nome que o teclado não digita.")});
    parser.addPositionalArgument(QStringLiteral("comando"), QStringLiteral("O serviço e os seus argumentos."),
                                 QStringLiteral("COMANDO [ARGUMENTOS...]"));
}

// The command named on the command line and its arguments (`args`, the
// positional arguments, loses the command's name): the exit status of a
// usage error, or -1 with `command` set.
int findCommandLine(const QCommandLineParser &parser, QStringList &args, const Command **command)
{
    if (args.isEmpty())
        return HostCommand::usageError(parser, QStringLiteral("falta o comando."), kProgram);
    const QString cmd = args.takeFirst();
    *command = findCommand(cmd);
    if (!*command)
        return HostCommand::usageError(parser, QStringLiteral("comando desconhecido: %1").arg(cmd), kProgram);
    if (const int arity = (*command)->arity; args.size() != arity)
        return HostCommand::usageError(parser, QStringLiteral("%1 pede %2 argumento(s).").arg(cmd).arg(arity), kProgram);

    bool number = false;
    if (cmd == QLatin1String("getProdutoMudou")
        && !(args.at(0).toInt(&number) >= 0 && number && args.at(0).toInt() <= kLongestWatch))
        return HostCommand::usageError(
            parser, QStringLiteral("SEGUNDOS deve ser um número inteiro de 0 a %1.").arg(kLongestWatch), kProgram);
    return -1;
}

// The packet setProduto saves, read before the database is touched, and
// the data module created over `connection`: the exit status of a failure,
// or -1.
int openDataModule(ModuleLoader &mod, const QString &cmd, const QStringList &args, const QString &connection,
                   QByteArray *packet)
{
    if (cmd == QLatin1String("setProduto")) {
        QString error;
        if (!readPacket(mod, args.at(1), packet, &error)) {
            HostCommand::printError(kProgram, error);
            return HostCommand::kExitUsage;
        }
    }
    auto cria = QUL_ENTRY(mod, QulCriaModuloDados);
    if (!cria || !QUL_ENTRY(mod, QulLiberaModuloDados)) {
        HostCommand::printError(kProgram, mod.error());
        return HostCommand::kExitModule;
    }
    QVariant error;
    if (cria(connection.isEmpty() ? nullptr : QStringView(connection).utf16(), &error) != 0) {
        HostCommand::printError(kProgram, error.toString());
        return HostCommand::kExitModule;
    }
    return -1;
}

// The arguments of a service command as the JSON entries take them: its
// texts, and in place of setProduto's file the packet as it was read.
QByteArray jsonArguments(const Command &command, const QStringList &args, const QByteArray &packet)
{
    const bool saves = QLatin1String(command.name) == QLatin1String("setProduto");
    QByteArray json = QJsonDocument(QJsonArray::fromStringList(saves ? args.mid(0, 1) : args)).toJson(QJsonDocument::Compact);
    if (saves)
        json.insert(json.size() - 1, "," + packet);
    return json;
}

int runService(ModuleLoader &mod, const Command &command, const QStringList &args, const QByteArray &packet)
{
    auto escreve = QUL_ENTRY(mod, qul_json_escreve);
    auto erro = QUL_ENTRY(mod, qul_json_erro);
    if (!escreve || !erro) {
        HostCommand::printError(kProgram, mod.error());
        return HostCommand::kExitModule;
    }
    int32_t status;
    char ultimo = 0;  // the answer's last byte: '}' when it was written whole
    if (QLatin1String(command.name) == QLatin1String("getProdutoMudou")) {
        QByteArray answer;
        status = ServiceAnswers::waitForChange(mod, kProgram, args.at(0).toInt(), &answer);
        std::fputs(answer.constData(), stdout);
    } else {
        // The answer straight to stdout, the whole product list piece by piece.
        const auto out = [](const char *bytes, int64_t size, void *ctx) {
            std::fwrite(bytes, 1, size_t(size), stdout);
            if (size > 0)
                *static_cast<char *>(ctx) = bytes[size - 1];
        };
        status = escreve(command.name, jsonArguments(command, args, packet).constData(), out, &ultimo);
    }
    if (status != QUL_JSON_SEM_MODULO && status != QUL_JSON_USO)
        std::fputs("\n", stdout);
    // The reason of a delete that deleted nothing, or why there is no
    // answer or it was cut half-way; a failure's text is in a whole answer.
    const bool cortada = status == QUL_JSON_STATUS_FALHA && ultimo != '}' && ultimo != 0;
    if (cortada || (status != QUL_JSON_OK && status != QUL_JSON_TEXTO_FALHA && status != QUL_JSON_STATUS_FALHA))
        HostCommand::printError(kProgram, QString::fromUtf8(erro()));
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgram));
    SystemLog::install(kProgram);

    QCommandLineParser parser;
    HostCommand::setUp(parser, usageText());
    addCatalogueOptions(parser);
    if (const int status = HostCommand::parse(parser, app.arguments(), kProgram, ModuleLoader::Part::Services);
        status >= 0)
        return status;

    QString connection;
    if (const int status = HostCommand::connection(parser, kProgram, &connection); status >= 0)
        return status;

    QStringList args = parser.positionalArguments();
    const QString cmd = args.value(0);
    const Command *command = nullptr;
    if (const int status = findCommandLine(parser, args, &command); status >= 0)
        return status;

    // The services library: neither Qt Gui nor Qt Widgets is loaded.
    ModuleLoader mod(ModuleLoader::Part::Services);
    if (!mod.load()) {
        HostCommand::printError(kProgram, mod.error());
        return HostCommand::kExitModule;
    }
    QByteArray packet;
    if (const int status = openDataModule(mod, cmd, args, connection, &packet); status >= 0)
        return status;

    if (!command->call) {
        const int exitCode = cmd == QLatin1String("verifica") ? runVerifica(mod) : runCatalogue(mod, cmd, parser, args.at(0));
        QUL_ENTRY(mod, QulLiberaModuloDados)();
        return exitCode;
    }
    const int exitCode = command->call(mod, *command, args, packet);
    QUL_ENTRY(mod, QulLiberaModuloDados)();
    return exitCode;
}
