#pragma once
// Telling other connections that products changed, and noticing it: every
// write of products on PostgreSQL (directly or through ODBC) notifies the
// channel below inside its own transaction, so listeners hear of it only
// once it is committed; a screen asks the exported entry getProdutoMudou
// (Srv_qul00002.h) before it shows its list.

#include <QString>

class TrdmCadProd;

// The notification channel of product writes (the one acmAvisaProdutos
// of the statement catalogue notifies).
inline const QString kCanalProdutos = QStringLiteral("qul_produto");

// Inside the caller's write transaction: notifies kCanalProdutos on
// PostgreSQL; nothing elsewhere. Raises on a database error.
void avisaProdutosAlterados(TrdmCadProd &dm);
