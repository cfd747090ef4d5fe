#pragma once
// The product list that getProduto hands out: every product (or the one
// with a given code) with its price, tax rate and print port, one product
// packet row per product, in the numeric order of the reduced codes.
//
// Merge rules, the same in both readings below: a product without a price,
// rate or store row, or with a null column, gets an empty text and 0;
// texts are cut to the packet's widths; VRPREUNIT is always null; of
// several price rows (or rate rows) the first in the table's key order
// counts; products of equal numeric reduced code come in the order of
// their product codes.

#include "DataPacket.h"

#include <QString>
#include <functional>

class TColumnStore;
class TrdmCadProd;

// The merge above, of the rows of the list's one statement, its fields
// found by name: a product with several price or rate rows comes once per
// combination, the first in key order first, and that one counts; in it
// VRPREUNIT is null and a null column is an empty text (a text field) or 0.
// Used by the list and by the catalogue import's stored products.
class TJuncaoLista {
public:
    // Raises EDatabaseError when `campos` lacks CDPRODUTO or VRPREUNIT.
    explicit TJuncaoLista(const QList<TFieldDef> &campos);

    // Whether `linha` is its product's first row, given the row taken last
    // (`anterior`, nullptr before the first): if so it is completed, and
    // a text equal to the one in `anterior` becomes that one (one copy).
    bool toma(QVector<QVariant> &linha, const QVector<QVariant> *anterior) const;
    // The same on the last row of `s`, which is removed when it is not its
    // product's first.
    bool toma(TColumnStore &s) const;

    int codigo() const { return m_codigo; }

private:
    int m_codigo, m_precoUnitario;
    QVector<QVariant> m_vazio;  // what a null column of each field becomes
};

// The list read with one statement over the four tables (adqProdutoLista):
// what getProduto runs. Raises on a database error, for instance a
// reduced code that is not a number.
TDataPacket readProductList(TrdmCadProd &dm, const QString &code);
// The same list handed to `sink` a product at a time as the statement's
// rows come (read forward only, nothing held but the row before): for an
// export that writes it as it reads. `sink` must run no statement on the
// connection meanwhile. Raises as the list does.
void streamProductList(TrdmCadProd &dm, const QString &code, const std::function<void(const QVector<QVariant> &row)> &sink);
// The same list held by column (TDataPacket::columns), for a dataset to
// take whole: what getProduto hands out.
TDataPacket readProductListByColumn(TrdmCadProd &dm, const QString &code);

// The one product of code `code` read as the list reads it (the same
// statement, filtered on the product key alone): no row when none has that
// code. What an edit's version check reads.
TDataPacket readStoredProduct(TrdmCadProd &dm, const QString &code);

// Where the list puts the product of code `code`: how many products come
// before it, counted by the list's own ordering (the engine's number of the
// reduced code, then the product code in the engine's collation), so ties
// and the engine's reading of odd codes come out as the list's do. -1 when
// there is no such product; -2 when some product's reduced code reads as
// no number at all (the list's place for those is the engine's own).
// Raises as the list does on a reduced code that is not a number.
qint64 productListPosition(TrdmCadProd &dm, const QString &code);

// The codes of the products whose reduced code is `reducedCode`.
QStringList productsOfReducedCode(TrdmCadProd &dm, const QString &reducedCode);
