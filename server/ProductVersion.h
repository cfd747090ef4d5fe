#pragma once
// The version check of an edit: the products as they are stored now against
// the rows the edit began from.

#include "DataPacket.h"

#include <optional>

class TUnidadeTrabalho;

// Locks each product of `lido` (rows of the product packet as getProduto
// gave them) in the four tables, reads it as the list reads it, and
// compares every field. It runs inside the save's unit of work, which must
// hold the terminals' lock already (raises otherwise), so nothing of the
// terminals can change between this and the write. Returns, when any
// product differs or is gone, a product packet with the current rows of
// those that differ (a deleted product has none); nothing when every
// product is as it was read. Raises on a database error.
std::optional<TDataPacket> produtosMudados(TUnidadeTrabalho &ut, const TDataPacket &lido);
