#pragma once
// The core library's units, shared by its own entries and the screen's
// module.

#include "PackageUnits.h"
#include "QulCoreExport.h"

// The core library's units (the shared package and the data service), as
// its own Initialize and Finalize run them. The screen's module starts them
// before its own units and stops them after, through this same counter, so
// that a host that initialises both libraries starts the core once.
QUL_CORE_EXPORT TUnidadesPacote &QulUnidadesNucleo();
