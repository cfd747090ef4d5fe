// The module's own unit: the screen's entries, the module's start-up and
// shut-down and the hooks a host may set. The service entries, the
// catalogue's and the entries without widgets (connection, demo database,
// packets as JSON) are the core library's, which this module links; all
// are declared in qul00002.h.
#include "qul00002.h"

#include "Cli_qul00002.h"
#include "DataPacket.h"
#include "ErrorReport.h"
#include "CoreUnits.h"
#include "FailureLog.h"
#include "Pkg_Vrt00002.h"
#include "QulShared.h"
#include "ScreenTheme.h"
#include "TouchDialogs.h"
#include "UltimoErro.h"

#include <QApplication>
#include <QString>
#include <iterator>
#include <vector>

namespace {

// The screen's side of the shared component package: the product line's
// fonts and the touch message dialog (unless the host already put its own
// there).
void iniciaTela()
{
    InstallProductLineFonts();
    if (!MensagemHook())
        InstallTouchMensagem();
}

// The host's hooks live in the host: drop them before it unloads us.
void finalizaTela()
{
    SetMensagemHook({});
    SetPesquisaHook({});
    SetRelFiscaisHook({});
    SetErrorReportHook({});
}

const TQulUnitInfo kUnidadesTela[] = {
    {"QulSharedUi", &iniciaTela, &finalizaTela},
    {"Pkg_Vrt00002", nullptr, nullptr},
    {"Cli_qul00002", nullptr, nullptr},
};

const TQulPackageInfo kPacoteTela = {"qul00002", int32_t(sizeof kUnidadesTela / sizeof kUnidadesTela[0]),
                                     kUnidadesTela, QUL_MODULE_VERSION};

TUnidadesPacote g_unidadesTela(kPacoteTela);

// The module's description: the core's units, then the screen's, in the
// order Initialize starts them.
const TQulPackageInfo &pacoteModulo()
{
    static const std::vector<TQulUnitInfo> unidades = [] {
        const TQulPackageInfo &nucleo = QulUnidadesNucleo().pacote();
        std::vector<TQulUnitInfo> u(nucleo.units, nucleo.units + nucleo.unitCount);
        u.insert(u.end(), std::begin(kUnidadesTela), std::end(kUnidadesTela));
        return u;
    }();
    static const TQulPackageInfo pacote = {"qul00002", int32_t(unidades.size()), unidades.data(), QUL_MODULE_VERSION};
    return pacote;
}

}  // namespace

extern "C" QUL_EXPORT bool CriaTelaQul00002(const QVariantList *args, QVariant *inout)
{
    defineUltimoErro(QString());
    QString erro;
    bool informado = false;  // the operator already saw it
    try {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            throw Exception(QStringLiteral("A tela de produtos precisa de uma aplicação gráfica (QApplication)."));
        registerDataPacketType();
        const QVariantList argumentos = args ? *args : QVariantList();
        QVariant local;
        const bool ok = Cli_Qul00002::CriaTelaQul00002(argumentos, inout ? *inout : local);
        defineUltimoErro(QString());  // nor what the module's entries it called left there
        return ok;
    } catch (const EAbort &) {
        informado = true;
        erro = QStringLiteral("A abertura da tela de produtos foi interrompida por um erro já informado ao operador.");
    } catch (const std::exception &e) {
        erro = exceptionMessage(e);
    } catch (...) {
        erro = QStringLiteral("Erro desconhecido na tela de produtos.");
    }
    if (erro.isEmpty())
        erro = QStringLiteral("Erro sem mensagem na tela de produtos.");
    if (!informado)  // the failure the operator was shown is in the log already
        registraFalha(QStringLiteral("a tela de produtos não pôde ser aberta"), erro);
    defineUltimoErro(erro, informado);
    return false;
}

// The same function under the name qualified by its unit.
extern "C" QUL_EXPORT bool Cli_Qul00002_CriaTelaQul00002(const QVariantList *args, QVariant *inout)
    __attribute__((alias("CriaTelaQul00002")));

// The core's last error: the screen's failure, or a later one of the
// data module's entries.
extern "C" QUL_EXPORT bool QulInformaUltimoErro(void)
{
    if (ultimoErro().isEmpty() || ultimoErroInformado())
        return false;
    marcaUltimoErroInformado();
    try {
        Mensagem(QStringLiteral("A tela de produtos não pôde ser aberta.\n%1").arg(ultimoErro()), QString(),
                 MensagemArg::Nao, MensagemArg::Nao, mtErro, QString(), MensagemArg::CodigoTela, 0, nullptr);
    } catch (...) {
        return false;  // a presenter's failure must not reach the host
    }
    return true;
}

// The core's units first (counted by the core, which a host may also
// have initialised through the services library), then the screen's.
extern "C" QUL_EXPORT void Initialize(void)
{
    QulUnidadesNucleo().inicializa();
    g_unidadesTela.inicializa();
}

extern "C" QUL_EXPORT void Finalize(void)
{
    g_unidadesTela.finaliza();
    QulUnidadesNucleo().finaliza();
}

extern "C" QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void)
{
    return &pacoteModulo();
}

extern "C" QUL_EXPORT void QulSetMensagemHook(const TMensagemHook *hook)
{
    if (hook && *hook)
        SetMensagemHook(*hook);
    else
        InstallTouchMensagem();
}

extern "C" QUL_EXPORT void QulSetPesquisaHook(const TPesquisaHook *hook)
{
    SetPesquisaHook(hook ? *hook : TPesquisaHook());
}

extern "C" QUL_EXPORT void QulSetRelFiscaisHook(const TRelFiscaisHook *hook)
{
    SetRelFiscaisHook(hook ? *hook : TRelFiscaisHook());
}

extern "C" QUL_EXPORT void QulSetErrorReportHook(const TErrorReportHook *hook)
{
    SetErrorReportHook(hook ? *hook : TErrorReportHook());
}
