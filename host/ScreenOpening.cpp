#include "ScreenOpening.h"

#include "HostCommand.h"
#include "qul00002.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVariant>

namespace {

// Creates the demo store database with qulmkdemo when it is missing.
bool preparaDemo(const QString &banco, const char *program)
{
    if (QFileInfo(banco).isFile())
        return true;
    const QString pasta = QFileInfo(banco).absolutePath();
    if (!QDir().mkpath(pasta)) {
        HostCommand::printError(
            program, QStringLiteral("não foi possível criar a pasta %1 do banco de demonstração.").arg(pasta));
        return false;
    }
    const QString mkdemo = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulmkdemo"));
    if (!QFileInfo(mkdemo).isExecutable()) {
        HostCommand::printError(
            program,
            QStringLiteral("programa %1 não encontrado; não é possível criar o banco de demonstração.").arg(mkdemo));
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(mkdemo, {banco});
    if (!p.waitForStarted(10000)) {
        HostCommand::printError(program, QStringLiteral("não foi possível executar %1: %2").arg(mkdemo, p.errorString()));
        return false;
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !QFileInfo(banco).isFile()) {
        HostCommand::printError(program, QStringLiteral("qulmkdemo não criou o banco de demonstração %1.").arg(banco));
        return false;
    }
    return true;
}

}  // namespace

namespace ScreenOpening {

int run(ModuleLoader &modulo, const Options &opcoes, const char *program)
{
    auto initialize = QUL_ENTRY(modulo, Initialize);
    auto finalize = QUL_ENTRY(modulo, Finalize);
    auto criaTela = QUL_ENTRY(modulo, CriaTelaQul00002);
    auto ultimoErro = QUL_ENTRY(modulo, QulUltimoErro);
    auto informaErro = QUL_ENTRY(modulo, QulInformaUltimoErro);
    auto setConexao = QUL_ENTRY(modulo, QulSetStringConexQul);
    auto caminhoDemo = QUL_ENTRY(modulo, QulCaminhoBancoDemo);
    auto usaDemo = QUL_ENTRY(modulo, QulUsaBancoDemo);
    if (!initialize || !finalize || !criaTela || !ultimoErro || !informaErro || !setConexao || !caminhoDemo
        || !usaDemo) {
        HostCommand::printError(program, modulo.error());
        return HostCommand::kExitModule;
    }

    const QString &conexao = opcoes.connection;
    const bool comDemo = opcoes.demo && conexao.isEmpty();
    if (comDemo && !preparaDemo(QString::fromUtf16(caminhoDemo()), program))
        return HostCommand::kExitModule;

    initialize();
    if (!conexao.isEmpty())
        setConexao(QStringView(conexao).utf16());
    else if (comDemo)
        usaDemo();
    const QVariantList argumentos;
    QVariant inout;
    const bool ok = criaTela(&argumentos, &inout);
    if (!ok) {
        // Printed first: the dialog may be left unanswered.
        HostCommand::printError(program, QStringLiteral("a tela de produtos não pôde ser aberta: %1")
                                             .arg(QString::fromUtf16(ultimoErro())));
        if (opcoes.showFailure)
            informaErro();
    }
    finalize();
    return ok ? HostCommand::kExitOk : HostCommand::kExitModule;
}

}  // namespace ScreenOpening
