#pragma once
// The version check of an edit: the products as they are stored now against
// the rows the edit began from.

#include "DataPacket.h"

#include <optional>

class TrdmCadProd;

// Locks each product of `lido` (rows of the product packet as getProduto
// gave them) in the four tables, reads it as the list reads it, and
// compares every field. Run it inside
// the save's transaction after the terminals' lock, so nothing of the
// terminals can change between this and the write. Returns, when any
// product differs or is gone, a product packet with the current rows of
// those that differ (a deleted product has none); nothing when every
// product is as it was read. Raises on a database error.
std::optional<TDataPacket> produtosMudados(TrdmCadProd &dm, const TDataPacket &lido);
