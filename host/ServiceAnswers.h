#pragma once
// What qulsvc reads in the services' answers besides printing them: the
// outcome of a delete as an exit status and a reason on stderr, the codes
// an insert gave its products, and the wait for another terminal's change.

#include "ModuleLoader.h"

#include <QJsonArray>
#include <QString>
#include <QVariant>
#include <optional>

namespace ServiceAnswers {

// The exit statuses of a delete that removed nothing; its answer is still
// printed as the service gave it.
inline constexpr int kExitDeleteSale = 6;     // "VENDA": a sale or a sales tab holds the product
inline constexpr int kExitDeleteScreen = 7;   // "CONFTE": a group of the sales screen holds it
inline constexpr int kExitDeleteMissing = 8;  // no product of that code

// Whether a product of `code` is stored; nothing when the store could not
// tell (the delete is then judged by its answer alone).
std::optional<bool> productExists(ModuleLoader &mod, const QString &code);

// The exit status of setDelProduto's successful answer `answer`, its
// reason on stderr when nothing was deleted. `existed`: whether the product
// was stored before the call.
int deleteOutcome(ModuleLoader &mod, const char *program, const QString &code, std::optional<bool> existed,
                  const QVariant &answer);

// The CDPRODUTO the store gave each product of the insert packet `packet`,
// in the packet's row order, found by its reduced code (unique in the
// store); null for one no longer found.
QJsonArray insertedCodes(ModuleLoader &mod, const QVariant &packet);

// Watches the product tables for `seconds` seconds from now: `result`
// true as soon as another connection commits a change to them, false when
// none did meanwhile. Says on stderr when the watch has begun. The
// service's status; nothing when the module lacks it.
std::optional<int32_t> waitForChange(ModuleLoader &mod, const char *program, int seconds, QVariant *result);

}  // namespace ServiceAnswers
