// The core library's own unit: its start-up, shut-down and description.
// libqul00002-services.so holds every layer below the screen, the product
// data services, the catalogue import and export and the entries without
// widgets (ModuleEntries.cpp), and links neither Qt Gui nor Qt Widgets: a
// headless host (qulsvc) loads it alone, and the screen's module links it.
#include "qul00002.h"

#include "DataPacket.h"
#include "CoreUnits.h"

namespace {

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

TUnidadesPacote &QulUnidadesNucleo()
{
    static TUnidadesPacote unidades(kPacote);
    return unidades;
}

extern "C" QUL_EXPORT void Initialize(void)
{
    QulUnidadesNucleo().inicializa();
}

extern "C" QUL_EXPORT void Finalize(void)
{
    QulUnidadesNucleo().finaliza();
}

extern "C" QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void)
{
    return &QulUnidadesNucleo().pacote();
}
