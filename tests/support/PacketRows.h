#pragma once
// Product packets written out by hand, as the screen would send them.

#include "ProductPacket.h"

#include <QStringList>
#include <QVariantMap>

// A packet with one row per map (values by field name, missing ones null)
// and the fields in `order`, or in the service's order when it is empty.
TDataPacket productPacket(const QList<QVariantMap> &rows, const QStringList &order = {});
