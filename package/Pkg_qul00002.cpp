// The module's own unit: the screen's entries, the module's start-up and
// shut-down and the hooks a host may set. The service entries are defined
// by the data service unit, the catalogue's by the catalogue, and the
// entries without widgets (connection, demo database, packets as JSON) in
// ModuleEntries.cpp, which the services library shares; all are exported
// through qul00002.h.
#include "qul00002.h"

#include "Cli_qul00002.h"
#include "DataPacket.h"
#include "PackageUnits.h"
#include "QulShared.h"
#include "BgrColor.h"
#include "BlendedControls.h"
#include "DesignLoader.h"
#include "ErrorReport.h"
#include "FailureLog.h"
#include "Glyphs.h"
#include "Pkg_Vrt00002.h"
#include "ScreenTheme.h"
#include "TMessages.h"
#include "TouchDialogs.h"

#include <QApplication>
#include <QString>

namespace {

QString g_ultimoErro;
bool g_ultimoErroInformado = false;  // the operator already saw it
// Shared component package: the packet type, the product line's fonts and
// the touch message dialog (unless the host already put its own there).
void iniciaCompartilhado()
{
    registerDataPacketType();
    InstallProductLineFonts();
    if (!MensagemHook())
        InstallTouchMensagem();
}

// The host's hooks live in the host: drop them before it unloads us.
void finalizaCompartilhado()
{
    SetMensagemHook({});
    SetPesquisaHook({});
    SetRelFiscaisHook({});
    SetErrorReportHook({});
}

const TQulUnitInfo kUnidades[] = {
    {"QulShared", &iniciaCompartilhado, &finalizaCompartilhado},
    {"Srv_qul00002", nullptr, nullptr},
    {"Pkg_Vrt00002", nullptr, nullptr},
    {"Cli_qul00002", nullptr, nullptr},
};

const TQulPackageInfo kPacote = {"qul00002", int32_t(sizeof kUnidades / sizeof kUnidades[0]), kUnidades,
                                 QUL_MODULE_VERSION};

TUnidadesPacote g_unidades(kPacote);

}  // namespace

extern "C" QUL_EXPORT bool CriaTelaQul00002(const QVariantList *args, QVariant *inout)
{
    g_ultimoErro.clear();
    g_ultimoErroInformado = false;
    try {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            throw Exception(QStringLiteral("A tela de produtos precisa de uma aplicação gráfica (QApplication)."));
        registerDataPacketType();
        const QVariantList argumentos = args ? *args : QVariantList();
        QVariant local;
        return Cli_Qul00002::CriaTelaQul00002(argumentos, inout ? *inout : local);
    } catch (const EAbort &) {
        g_ultimoErroInformado = true;
        g_ultimoErro = QStringLiteral("A abertura da tela de produtos foi interrompida por um erro já informado ao operador.");
    } catch (const std::exception &e) {
        g_ultimoErro = exceptionMessage(e);
    } catch (...) {
        g_ultimoErro = QStringLiteral("Erro desconhecido na tela de produtos.");
    }
    if (g_ultimoErro.isEmpty())
        g_ultimoErro = QStringLiteral("Erro sem mensagem na tela de produtos.");
    if (!g_ultimoErroInformado)  // the failure the operator was shown is in the log already
        registraFalha(QStringLiteral("a tela de produtos não pôde ser aberta"), g_ultimoErro);
    return false;
}

// The same function under the name qualified by its unit.
extern "C" QUL_EXPORT bool Cli_Qul00002_CriaTelaQul00002(const QVariantList *args, QVariant *inout)
    __attribute__((alias("CriaTelaQul00002")));

extern "C" QUL_EXPORT const char16_t *QulUltimoErro(void)
{
    return QStringView(g_ultimoErro).utf16();
}

extern "C" QUL_EXPORT bool QulInformaUltimoErro(void)
{
    if (g_ultimoErro.isEmpty() || g_ultimoErroInformado)
        return false;
    g_ultimoErroInformado = true;
    try {
        Mensagem(QStringLiteral("A tela de produtos não pôde ser aberta.\n%1").arg(g_ultimoErro), QString(),
                 MensagemArg::Nao, MensagemArg::Nao, mtErro, QString(), MensagemArg::CodigoTela, 0, nullptr);
    } catch (...) {
        return false;  // a presenter's failure must not reach the host
    }
    return true;
}

extern "C" QUL_EXPORT void Initialize(void)
{
    g_unidades.inicializa();
}

extern "C" QUL_EXPORT void Finalize(void)
{
    g_unidades.finaliza();
}

extern "C" QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void)
{
    return &kPacote;
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
