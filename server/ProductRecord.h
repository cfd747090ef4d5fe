#pragma once
// One product as the service writes it: the fifteen values of the product
// packet (ProductPacket.h), by name and in their own types. The import's
// checks make them and the save writes them; the packet stays the form
// that crosses the module's services, converted here once each way.

#include "DataPacket.h"

#include <QList>
#include <QString>

struct TProduto {
    QString cdProduto;     // empty: a new product under a generated code
    QString cdArvProd;
    QString cdBarProduto;
    QString nmProduto;
    QString sgUnidade;
    double vrPreUnit = 0;  // not stored
    QString idPesaProd;    // "S" or "N"
    double qtTaraProd = 0;
    QString cdProdInte;
    double vrPrecItem = 0;
    QString cdImposto;
    QString cdPorImpProd;
    double vrPeAlImpFis = 0;
    QString sgImposto;
    QString idTpImposFis;

    bool operator==(const TProduto &) const = default;
};

// The packet's rows as products. Every product field must be in the
// packet (by name, letter case ignored) with its type (a number field may
// be integer or float); a value is converted to its field's type, a text
// cut to the field's width, a null read as empty or zero. Raises
// EDatabaseError for a missing or mistyped field and EConvertError for a
// value that is not of its field's type, with the texts the data module's
// insert dataset gave.
QList<TProduto> produtosDoPacote(const TDataPacket &pacote);

// The product with each text cut to its field's width, as a packet's
// conversion cuts it and as the statements store it.
TProduto produtoNasLarguras(TProduto produto);

// The product as a row of `campos`: product fields by name (letter case
// ignored), each of its own type (text, or float for a number); raises
// EDatabaseError for another name or type. And a packet of products in
// the service's field order.
QVariantList linhaDoProduto(const TProduto &produto, const QList<TFieldDef> &campos);
TDataPacket pacoteDeProdutos(const QList<TProduto> &produtos);
