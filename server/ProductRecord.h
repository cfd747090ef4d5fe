#pragma once
// One product as the service writes it: the fifteen values of the product
// packet (ProductPacket.h), by name and in their own types. The import's
// checks make them and the save writes them; the packet stays the form
// that crosses the module's services, converted here once each way.

#include "DataPacket.h"
#include "QulCoreExport.h"

#include <QList>
#include <QString>
#include <variant>

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

// The product's fields, one table: each field's name (the packet's and the
// store's column), its type and width, the entry page's field that gives
// it, and its member of TProduto. In the packet's order, of which
// productPacketFields() is made.
struct QUL_CORE_EXPORT TCampoProduto {
    const char *nome;
    TFieldType tipo;
    int largura;    // of a text: the most characters stored (0 for a number)
    int entrada;    // the entry page's field (1 to 10) that gives it; 0 none
    bool gravado;   // false: carried in the packet, never stored (VRPREUNIT)
    std::variant<QString TProduto::*, double TProduto::*> membro;

    QString nomeCampo() const { return QLatin1String(nome); }
    bool texto() const { return tipo == TFieldType::ftString; }
    // The product's value of this field: a text or a number.
    QVariant valor(const TProduto &p) const;
    const QString &textoDe(const TProduto &p) const { return p.*std::get<QString TProduto::*>(membro); }
    double numeroDe(const TProduto &p) const { return p.*std::get<double TProduto::*>(membro); }
    // `v` (already of the field's type) into the product; null: empty or 0.
    void poe(TProduto &p, const QVariant &v) const;
};

QUL_CORE_EXPORT const QList<TCampoProduto> &camposProduto();
// The field of name `nome` (letter case ignored); raises EDatabaseError
// for a name the product does not have.
QUL_CORE_EXPORT const TCampoProduto &campoProduto(const QString &nome);
// The field the entry page's field `numero` gives; nullptr for none.
const TCampoProduto *campoDaEntrada(int numero);

// The packet's rows as products. Every product field must be in the
// packet (by name, letter case ignored) with its type (a number field may
// be integer or float); a value is converted to its field's type, a text
// cut to the field's width, a null read as empty or zero. Raises
// EDatabaseError for a missing or mistyped field and EConvertError for a
// value that is not of its field's type, with the texts the data module's
// insert dataset gave.
QList<TProduto> produtosDoPacote(const TDataPacket &pacote, bool nasLarguras = true);

// The product with each text cut to its field's width, as a packet's
// conversion cuts it and as the statements store it.
TProduto produtoNasLarguras(TProduto produto);
