// qulhost: the host that opens the product registration screen. It loads
// libqul00002.so.1 (beside itself, else from the installation's library
// folder), as the store's back office does, and calls Initialize,
// CriaTelaQul00002 and Finalize (ScreenOpening.h).

#include "HostCommand.h"
#include "ModuleLoader.h"
#include "ScreenOpening.h"
#include "ScreenScale.h"
#include "SystemLog.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QString>
#include <exception>
#include <vector>

namespace {

const char *const kProgram = "qulhost";

// The command line, read before any window is made, so that --help,
// --version and usage errors work without a display, and the screen's
// scale, which Qt takes only before the application is made. Returns -1
// when the screen is to be opened; a qul.ini that gives no usable scale
// leaves its message in *erroEscala.
int leOpcoes(int argc, char **argv, ScreenOpening::Options *opcoes, double *escala, QString *erroEscala,
             QString *origemEscala)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    HostCommand::setUp(parser, QStringLiteral("Abre a tela de cadastro de produtos (Dados do Produto)."));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Usa o banco de demonstração qul-demo.db, criando-o se "
                                                 "faltar; vem antes de QUL_CONNECTION e de qul.ini "
                                                 "(ignorado com --connection e --connection-file)."));
    parser.addOption(demo);
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Escala da tela, um número de 1 a 3 (1.75 numa tela de 1920 x 1080 "
                                                  "mostra o formulário de 800 x 600 em 1400 x 1050); vem antes da "
                                                  "chave Scale da seção [Screen] de qul.ini. Uma escala cuja janela "
                                                  "não cabe na tela é reduzida à maior que cabe, com um aviso."),
                                   QStringLiteral("N"));
    parser.addOption(scale);
    if (const int status = HostCommand::parse(parser, app.arguments(), kProgram); status >= 0)
        return status;
    if (!parser.positionalArguments().isEmpty())
        return HostCommand::usageError(
            parser, QStringLiteral("argumento inesperado: %1").arg(parser.positionalArguments().first()), kProgram);
    if (const int status = HostCommand::connection(parser, kProgram, &opcoes->connection); status >= 0)
        return status;
    opcoes->demo = parser.isSet(demo);
    QString erro;
    if (ScreenScale::resolve(parser.isSet(scale), parser.value(scale),
                             ScreenScale::configFiles(QCoreApplication::applicationDirPath()), escala, &erro,
                             origemEscala))
        return -1;
    if (parser.isSet(scale))
        return HostCommand::usageError(parser, erro, kProgram);
    *erroEscala = erro;
    return -1;
}

// The free area of the screen the window opens on (the primary one), at
// scale 1: measured by a graphical application of its own, gone before
// the screen's is made with the scale (Qt takes it only then). Empty when
// there is no screen.
QSize areaLivre(int argc, char **argv)
{
    const QByteArray fator = qgetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCALE_FACTOR");
    std::vector<char *> args(argv, argv + argc);  // Qt takes its own options out of what it is given
    args.push_back(nullptr);
    QSize area;
    {
        QGuiApplication medida(argc, args.data());
        if (const QScreen *tela = QGuiApplication::primaryScreen())
            area = tela->availableGeometry().size();
    }
    if (!fator.isNull())
        qputenv("QT_SCALE_FACTOR", fator);
    return area;
}

// Without QT_QPA_PLATFORM, Qt opens an X or Wayland display, and ends the
// process on the spot when there is none.
bool semTela()
{
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
           && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgram));
    SystemLog::install(kProgram);
    ScreenOpening::Options opcoes;
    double escala = 0;
    QString erroEscala, origemEscala;
    if (const int status = leOpcoes(argc, argv, &opcoes, &escala, &erroEscala, &origemEscala); status >= 0)
        return status;
    if (!erroEscala.isEmpty())
        HostCommand::printError(kProgram, erroEscala);
    if (semTela()) {
        if (erroEscala.isEmpty())
            HostCommand::printError(kProgram, QStringLiteral("não há tela gráfica (DISPLAY e WAYLAND_DISPLAY vazios); "
                                                             "a tela de produtos não pode ser aberta."));
        return HostCommand::kExitModule;
    }
    if (escala > 0) {
        // A window larger than the screen would be cut off: the largest scale that fits, said in the log.
        const QSize area = areaLivre(argc, argv);
        if (const double cabe = ScreenScale::fit(escala, area); !area.isEmpty() && cabe < escala) {
            SystemLog::warning(ScreenScale::fitWarning(origemEscala, escala, area, cabe));
            escala = cabe;
        }
    }
    ScreenScale::apply(escala);
    QApplication app(argc, argv);
    // Nobody sees or answers a dialog on these platforms (scripts, tests):
    // a failure is only printed there.
    const QString plataforma = QGuiApplication::platformName();
    opcoes.showFailure = plataforma != QLatin1String("offscreen") && plataforma != QLatin1String("minimal");
    if (!erroEscala.isEmpty()) {
        // The configuration is damaged: the screen is not opened at a scale
        // nobody chose.
        if (opcoes.showFailure)
            QMessageBox::critical(nullptr, QString::fromLatin1(kProgram), erroEscala);
        return HostCommand::kExitModule;
    }
    try {
        ModuleLoader modulo;
        if (!modulo.load()) {
            HostCommand::printError(kProgram, modulo.error());
            return HostCommand::kExitModule;
        }
        return ScreenOpening::run(modulo, opcoes, kProgram);
    } catch (const std::exception &e) {
        HostCommand::printError(kProgram, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        HostCommand::printError(kProgram, QStringLiteral("erro desconhecido."));
    }
    return HostCommand::kExitModule;
}
