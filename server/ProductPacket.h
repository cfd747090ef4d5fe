#pragma once
// The product packet: one product with its price, tax rate and print port,
// the record that travels between the screen and the service both ways.

#include "DataPacket.h"

// The 15 fields in the order the service builds them (getProduto).
const QList<TFieldDef> &productPacketFields();
// One field of the packet by name (letter case ignored); raises
// EDatabaseError for a name the packet does not have.
TFieldDef productPacketField(const QString &name);
