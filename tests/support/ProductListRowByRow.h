#pragma once
// The product list merged row by row: the product query, then per product
// its price, rate and store queries, into cdsProdutoServ. Three statements
// per product, so no service runs it: it is the reference that the
// one-statement reading (ProductList.h) is checked against, by the tests and
// the benchmark.

#include "DataPacket.h"

class TrdmCadProd;

TDataPacket readProductListRowByRow(TrdmCadProd &dm, const QString &code);
