#pragma once
// The wait of qulsvc getProdutoMudou SECONDS: the watch of the product
// tables through the module's JSON entries, asked again until another
// connection changes them or the time runs out.

#include "ModuleLoader.h"

#include <QByteArray>
#include <cstdint>

namespace ServiceAnswers {

// Watches the product tables for `seconds` seconds from now: `answer` the
// JSON answer with true as soon as another connection commits a change to
// them, false when none did meanwhile. Says on stderr when the watch has
// begun. The entries' status (qul00002_json.h); QUL_JSON_SEM_MODULO when
// the module lacks them.
int32_t waitForChange(ModuleLoader &mod, const char *program, int seconds, QByteArray *answer);

}  // namespace ServiceAnswers
