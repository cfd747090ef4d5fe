#pragma once
// Writing products inside a transaction the caller has opened: what the
// save service runs, and what a tool that writes many products in one
// transaction runs batch by batch.

#include "DataPacket.h"
#include "ProductRecord.h"

class TrdmCadProd;
class TdtmQulProxCodigo;

// The most rows one insert packet may carry; the screen sends one.
inline constexpr int kMaxLinhasInclusao = 1000;

// Checks the products whole, then inserts them (`insercao`: each a new
// product under a code from `gerador`) or updates the products whose
// CDPRODUTO they carry. Before writing, it takes the generator's lock,
// which serialises the terminals' saves, and (when `verificaCodigos`)
// refuses a product whose reduced code or bar code another product
// already holds, with the screen's own texts: two terminals confirming the
// same code at once store one product. Products written end by notifying
// the other terminals (ProductChanges.h), heard once the caller commits.
// Raises on any refusal or database error; the caller rolls back.
// `gerador` must outlive the transaction. `codigosProprios`: an insert
// takes each product's own CDPRODUTO (digits, at most its width) instead
// of a generated code; the caller reserves them with the generator first.
// New products whose codes the caller checked go as multi-row inserts
// where the engine gains by it (MultiRowInsert.h).
void gravaProdutos(TrdmCadProd &dm, const QList<TProduto> &produtos, bool insercao, TdtmQulProxCodigo &gerador,
                   bool verificaCodigos = true, bool codigosProprios = false);

// The same for a product packet (the save services' form), read into
// products with each text whole (ProductRecord.h), so that the checks see
// what came.
void gravaProdutos(TrdmCadProd &dm, const TDataPacket &pacote, bool insercao, TdtmQulProxCodigo &gerador);
