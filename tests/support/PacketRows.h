#pragma once
// Product packets written out by hand, as the screen would send them.

#include "ProductPacket.h"
#include "ProductRecord.h"

#include <QStringList>
#include <QVariantMap>

// A packet with one row per map (values by field name, missing ones null)
// and the fields in `order`, or in the service's order when it is empty.
TDataPacket productPacket(const QList<QVariantMap> &rows, const QStringList &order = {});

// The product as a row of `campos`: product fields by name (letter case
// ignored), each of its own type (text, or float for a number); raises
// EDatabaseError for another name or type. And a packet of products in
// the service's field order.
QVariantList linhaDoProduto(const TProduto &produto, const QList<TFieldDef> &campos);
TDataPacket pacoteDeProdutos(const QList<TProduto> &produtos);
