#pragma once
// How qulhost opens the product registration screen through the loaded
// module, and how it tells the operator when the screen cannot be opened.

#include "ModuleLoader.h"

#include <QString>

namespace ScreenOpening {

struct Options {
    QString connection;         // --connection or --connection-file; empty: the configured one
    bool demo = false;          // --demo (ignored with a connection)
    bool showFailure = true;    // a failure also goes to the module's message dialog
};

// Calls Initialize, CriaTelaQul00002 and Finalize of the loaded module and
// returns qulhost's exit status. When the screen cannot be opened the
// message is printed on stderr and, with showFailure, shown in the
// module's message dialog before Finalize; the status is then 1.
int run(ModuleLoader &module, const Options &options, const char *program);

}  // namespace ScreenOpening
