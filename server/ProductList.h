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

class TrdmCadProd;

// The list read with one statement over the four tables (adqProdutoLista):
// what getProduto runs. Raises on a database error, for instance a
// reduced code that is not a number.
TDataPacket readProductList(TrdmCadProd &dm, const QString &code);
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
