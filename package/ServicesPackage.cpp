// The services library's own unit: its start-up, shut-down and description.
// libqul00002-services.so holds the product data services, the catalogue
// import and export and the entries without widgets (ModuleEntries.cpp),
// and links neither Qt Gui nor Qt Widgets: a headless host (qulsvc) loads it
// instead of the screen's module, and calls the same entries of qul00002.h.
#include "qul00002.h"

#include "DataPacket.h"

namespace {

int g_inicializado = 0;

void iniciaCompartilhado()
{
    registerDataPacketType();
}

const TQulUnitInfo kUnidades[] = {
    {"QulShared", &iniciaCompartilhado, nullptr},
    {"Srv_qul00002", nullptr, nullptr},
};

const TQulPackageInfo kPacote = {"qul00002", int32_t(sizeof kUnidades / sizeof kUnidades[0]), kUnidades,
                                 QUL_MODULE_VERSION};

}  // namespace

extern "C" QUL_EXPORT void Initialize(void)
{
    if (g_inicializado++ > 0)
        return;
    for (const TQulUnitInfo &u : kUnidades)
        if (u.initialize)
            u.initialize();
}

extern "C" QUL_EXPORT void Finalize(void)
{
    if (g_inicializado == 0 || --g_inicializado > 0)
        return;
    for (int i = kPacote.unitCount - 1; i >= 0; --i)
        if (kUnidades[i].finalize)
            kUnidades[i].finalize();
}

extern "C" QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void)
{
    return &kPacote;
}
