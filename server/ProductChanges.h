#pragma once
// Telling other connections that products changed, and noticing it: every
// write of products on PostgreSQL (directly or through ODBC) notifies the
// channel below inside its own transaction, so listeners hear of it only
// once it is committed; a screen asks a watcher before it shows its list.

#include <QString>

class QObject;
class TrdmCadProd;
class TMudancasExternas;

// The notification channel of product writes.
inline const QString kCanalProdutos = QStringLiteral("qul_produto");

// Inside the caller's write transaction: notifies kCanalProdutos on
// PostgreSQL; nothing elsewhere. Raises on a database error.
void avisaProdutosAlterados(TrdmCadProd &dm);

// A watcher of the product tables on the data module's connection:
// SQLite's data version, the PostgreSQL channel, or through ODBC to
// PostgreSQL a fingerprint of the four tables' row versions (xmin) and
// counts. Owned by `owner`.
TMudancasExternas *vigiaProdutos(TrdmCadProd &dm, QObject *owner);
