#pragma once
// Writing products inside a transaction the caller has opened: what the
// save service runs, and what a tool that writes many products in one
// transaction runs batch by batch.

#include "DataPacket.h"

class TrdmCadProd;
class TdtmQulProxCodigo;

// The most rows one insert packet may carry; the screen sends one.
inline constexpr int kMaxLinhasInclusao = 1000;

// Checks the product packet whole, then inserts its rows (`insercao`: each
// a new product under a code from `gerador`) or updates the products whose
// CDPRODUTO they carry. Before writing, it takes the generator's lock,
// which serialises the terminals' saves, and (when `verificaCodigos`)
// refuses a row whose reduced code or bar code another product already
// holds, with the screen's own texts: two terminals confirming the same
// code at once store one product. A packet with rows ends by notifying
// the other terminals (ProductChanges.h), heard once the caller commits.
// Raises on any refusal or database error; the caller rolls back.
// `gerador` must outlive the transaction. `codigosDoPacote`: an insert
// takes each row's own CDPRODUTO (digits, at most its width) instead of a
// generated code; the caller reserves them with the generator first.
void gravaProdutos(TrdmCadProd &dm, const TDataPacket &pacote, bool insercao, TdtmQulProxCodigo &gerador,
                   bool verificaCodigos = true, bool codigosDoPacote = false);
