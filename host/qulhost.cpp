// qulhost: the host that opens the product registration screen. It loads
// libqul00002.so from beside itself, as the store's back office does, and
// calls Initialize, CriaTelaQul00002 and Finalize.
//
//   qulhost [--connection STRING] [--demo]
//
// --connection  the store database's connection string (ADO style); else
//               QUL_CONNECTION, qul.ini or the demo database beside qulhost
// --demo        use the demo store database qul-demo.db beside qulhost,
//               creating it (with qulmkdemo) when it is missing

#include "ModuleLoader.h"
#include "qul00002.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <cstdio>
#include <exception>

namespace {

const char *kUso =
    "uso: qulhost [--connection CADEIA] [--demo]\n"
    "  --connection CADEIA  cadeia de conexão do banco da loja\n"
    "  --demo               usa (e cria, se faltar) o banco de demonstração qul-demo.db\n";

void erro(const QString &texto)
{
    std::fprintf(stderr, "qulhost: %s\n", texto.toLocal8Bit().constData());
}

// Creates the demo store database with qulmkdemo when it is missing.
bool preparaDemo(const QString &banco)
{
    if (QFileInfo(banco).isFile())
        return true;
    const QString mkdemo = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulmkdemo"));
    if (!QFileInfo(mkdemo).isExecutable()) {
        erro(QStringLiteral("programa %1 não encontrado; não é possível criar o banco de demonstração.").arg(mkdemo));
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(mkdemo, {banco});
    if (!p.waitForStarted(10000)) {
        erro(QStringLiteral("não foi possível executar %1: %2").arg(mkdemo, p.errorString()));
        return false;
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !QFileInfo(banco).isFile()) {
        erro(QStringLiteral("qulmkdemo não criou o banco de demonstração %1.").arg(banco));
        return false;
    }
    return true;
}

int executa(QApplication &app)
{
    QStringList args = app.arguments().mid(1);
    QString conexao;
    bool demo = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--connection") && i + 1 < args.size()) {
            conexao = args.at(++i);
        } else if (a.startsWith(QLatin1String("--connection="))) {
            conexao = a.mid(13);
        } else if (a == QLatin1String("--demo")) {
            demo = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUso, stdout);
            return 0;
        } else {
            std::fputs(kUso, stderr);
            return 2;
        }
    }

    if (demo && conexao.isEmpty()) {
        const QString banco = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qul-demo.db"));
        if (!preparaDemo(banco))
            return 1;
        QString caminho = banco;
        caminho.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        conexao = QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(caminho);
    }

    ModuleLoader modulo;
    if (!modulo.load()) {
        erro(modulo.error());
        return 1;
    }
    using VoidFn = void (*)();
    using CriaFn = bool (*)(const QVariantList *, QVariant *);
    using ErroFn = const char16_t *(*)();
    using TextoFn = void (*)(const char16_t *);
    auto initialize = reinterpret_cast<VoidFn>(modulo.resolve("Initialize"));
    auto finalize = reinterpret_cast<VoidFn>(modulo.resolve("Finalize"));
    auto criaTela = reinterpret_cast<CriaFn>(modulo.resolve("CriaTelaQul00002"));
    auto ultimoErro = reinterpret_cast<ErroFn>(modulo.resolve("QulUltimoErro"));
    auto setConexao = reinterpret_cast<TextoFn>(modulo.resolve("QulSetStringConexQul"));
    if (!initialize || !finalize || !criaTela || !ultimoErro || !setConexao) {
        erro(modulo.error());
        return 1;
    }

    initialize();
    if (!conexao.isEmpty())
        setConexao(reinterpret_cast<const char16_t *>(conexao.utf16()));
    const QVariantList argumentos;
    QVariant inout;
    const bool ok = criaTela(&argumentos, &inout);
    const QString mensagem = ok ? QString() : QString::fromUtf16(ultimoErro());
    finalize();
    if (!ok) {
        erro(QStringLiteral("a tela de produtos não pôde ser aberta: %1").arg(mensagem));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    try {
        return executa(app);
    } catch (const std::exception &e) {
        erro(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        erro(QStringLiteral("erro desconhecido."));
    }
    return 1;
}
