// qulhost: the host that opens the product registration screen. It loads
// libqul00002.so.1 (beside itself, else from the installation's library
// folder), as the store's back office does, and calls Initialize,
// CriaTelaQul00002 and Finalize.

#include "HostCommand.h"
#include "ModuleLoader.h"
#include "qul00002.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <exception>

namespace {

const char *const kProgram = "qulhost";

// Creates the demo store database with qulmkdemo when it is missing.
bool preparaDemo(const QString &banco)
{
    if (QFileInfo(banco).isFile())
        return true;
    const QString pasta = QFileInfo(banco).absolutePath();
    if (!QDir().mkpath(pasta)) {
        HostCommand::printError(
            kProgram, QStringLiteral("não foi possível criar a pasta %1 do banco de demonstração.").arg(pasta));
        return false;
    }
    const QString mkdemo = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulmkdemo"));
    if (!QFileInfo(mkdemo).isExecutable()) {
        HostCommand::printError(
            kProgram,
            QStringLiteral("programa %1 não encontrado; não é possível criar o banco de demonstração.").arg(mkdemo));
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(mkdemo, {banco});
    if (!p.waitForStarted(10000)) {
        HostCommand::printError(kProgram, QStringLiteral("não foi possível executar %1: %2").arg(mkdemo, p.errorString()));
        return false;
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !QFileInfo(banco).isFile()) {
        HostCommand::printError(kProgram, QStringLiteral("qulmkdemo não criou o banco de demonstração %1.").arg(banco));
        return false;
    }
    return true;
}

const char16_t *utf16(const QString &s)
{
    return reinterpret_cast<const char16_t *>(s.utf16());
}

struct Opcoes {
    QString conexao;
    bool demo = false;
};

// The command line, read before any window is made, so that --help,
// --version and usage errors work without a display. Returns -1 when the
// screen is to be opened.
int leOpcoes(int argc, char **argv, Opcoes *opcoes)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    HostCommand::setUp(parser, QStringLiteral("Abre a tela de cadastro de produtos (Dados do Produto)."));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Usa o banco de demonstração qul-demo.db (fonte 5 acima), "
                                                 "criando-o se faltar (ignorado com --connection)."));
    parser.addOption(demo);
    if (const int status = HostCommand::parse(parser, app.arguments(), kProgram); status >= 0)
        return status;
    if (!parser.positionalArguments().isEmpty())
        return HostCommand::usageError(
            parser, QStringLiteral("argumento inesperado: %1").arg(parser.positionalArguments().first()), kProgram);
    opcoes->conexao = HostCommand::connection(parser);
    opcoes->demo = parser.isSet(demo);
    return -1;
}

int executa(const Opcoes &opcoes)
{
    ModuleLoader modulo;
    if (!modulo.load()) {
        HostCommand::printError(kProgram, modulo.error());
        return HostCommand::kExitModule;
    }
    auto initialize = QUL_ENTRY(modulo, Initialize);
    auto finalize = QUL_ENTRY(modulo, Finalize);
    auto criaTela = QUL_ENTRY(modulo, CriaTelaQul00002);
    auto ultimoErro = QUL_ENTRY(modulo, QulUltimoErro);
    auto setConexao = QUL_ENTRY(modulo, QulSetStringConexQul);
    auto caminhoDemo = QUL_ENTRY(modulo, QulCaminhoBancoDemo);
    auto usaDemo = QUL_ENTRY(modulo, QulUsaBancoDemo);
    if (!initialize || !finalize || !criaTela || !ultimoErro || !setConexao || !caminhoDemo || !usaDemo) {
        HostCommand::printError(kProgram, modulo.error());
        return HostCommand::kExitModule;
    }

    const QString &conexao = opcoes.conexao;
    const bool comDemo = opcoes.demo && conexao.isEmpty();
    if (comDemo && !preparaDemo(QString::fromUtf16(caminhoDemo())))
        return HostCommand::kExitModule;

    initialize();
    if (!conexao.isEmpty())
        setConexao(utf16(conexao));
    else if (comDemo)
        usaDemo();
    const QVariantList argumentos;
    QVariant inout;
    const bool ok = criaTela(&argumentos, &inout);
    const QString mensagem = ok ? QString() : QString::fromUtf16(ultimoErro());
    finalize();
    if (!ok) {
        HostCommand::printError(kProgram, QStringLiteral("a tela de produtos não pôde ser aberta: %1").arg(mensagem));
        return HostCommand::kExitModule;
    }
    return HostCommand::kExitOk;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgram));
    Opcoes opcoes;
    if (const int status = leOpcoes(argc, argv, &opcoes); status >= 0)
        return status;
    QApplication app(argc, argv);
    try {
        return executa(opcoes);
    } catch (const std::exception &e) {
        HostCommand::printError(kProgram, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        HostCommand::printError(kProgram, QStringLiteral("erro desconhecido."));
    }
    return HostCommand::kExitModule;
}
