#include "ProductListStream.h"

#include "DataPacket.h"
#include "ProductList.h"
#include "ProductPacket.h"
#include "ServiceCall.h"
#include "StoreCheck.h"

int32_t escreveListaDeProdutos(const QString &code, const TEscritaBytes &escreve, QVariant *out, bool *comecou)
{
    *comecou = false;
    const int32_t status = readService(
        out,
        [&] {
            TPacketJsonWriter json(productPacketFields(), [&](const char *b, qsizetype n) {
                *comecou = true;
                escreve(b, n);
            });
            streamProductList(dataModule(), code, [&](const QVector<QVariant> &linha) { json.row(linha); });
            json.finish();
            return QVariant();
        },
        [](const std::exception &e) {
            const QString falta = explicacaoDaFalha(e);
            return !falta.isEmpty() ? falta : ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
        });
    if (*comecou && out->isValid())
        return kServiceFailure;  // cut half-way
    return status;
}
