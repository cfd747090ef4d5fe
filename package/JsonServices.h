#pragma once
// The product services called by name with their arguments in JSON, as the
// JSON entries (qul00002_json.h) and qulsvc call them, and what their
// answers mean besides the answer itself: the codes an insert gave its
// products, the outcome of a delete, and the status of the call (the same
// numbers as qulsvc's exit status).

#include "ProductListStream.h"

#include <QJsonArray>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace JsonServices {

// The status of a call (qul00002_json.h names them).
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kSemModulo = 1;      // no data module, or it could not be created
inline constexpr int32_t kUso = 2;            // unknown service, arguments that do not fit it
inline constexpr int32_t kTextoFalha = 3;     // the answer is a failure text
inline constexpr int32_t kStatusFalha = 4;    // the service returned a failure status
inline constexpr int32_t kVenda = 6;          // delete: a sale or a tab holds the product
inline constexpr int32_t kConfte = 7;         // delete: a group of the sales screen holds it
inline constexpr int32_t kSemProduto = 8;     // delete: no product of that code

struct TResposta {
    int32_t situacao = kOk;  // the call's status, above
    QString motivo;          // why it is not kOk
    // What the service answered (unset for kSemModulo and kUso).
    int32_t status = 0;
    QVariant result;
    std::optional<QJsonArray> codigos;  // an insert's: the CDPRODUTO of each row
};

// Runs the service `nome` with the arguments `argumentos` (a JSON array;
// empty text: none) on the data module.
TResposta chama(const QString &nome, const QByteArray &argumentos);

// getProduto run with `argumentos`, its answer written through `escreve`
// as it is read: `{"status":0,"result":` and the packet, without the
// closing brace. Nothing is written when it fails before the list's
// statement answered (`comecou` false): the answer is then in the
// result, as chama gives it.
TResposta escreveLista(const QByteArray &argumentos, const TEscritaBytes &escreve, bool *comecou);

}  // namespace JsonServices
