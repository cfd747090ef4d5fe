#pragma once
// The catalogue entries, exported by the module with C linkage: a store's
// whole product list written to a file, and a file of products checked as
// the entry page checks a confirmed product and written all or nothing.
//
// Files are CSV (";" between fields, decimal comma, a header row with the
// product packet's field names), a spreadsheet of the same rows (.xlsx,
// .ods: its first sheet) or the packet's JSON form; "-" names standard
// input or output. Texts are null-terminated UTF-16; a null pointer reads
// as empty text (encoding: "utf8"; format: the export's by the file's
// name, .json, .xlsx, .ods, else CSV; the import's by the file's first
// bytes and name, a format given being checked against them).
//
// Like the services, each entry returns 0 or a negative status and hands
// its answer back through `out`: a summary (a QVariantMap) or a failure
// text (QString).

#include "Srv_qul00002.h"

extern "C" {

// Progress of an import: rows written so far, of how many.
typedef void (*TQulProgressoImportacao)(int64_t feitas, int64_t total, void *contexto);

// Every product as getProduto("T") lists it, in its order. encoding
// "utf8" (with a byte order mark) or "cp1252" (CSV only). Summary:
// "produtos" (count) and "segundos".
QUL_EXPORT int32_t QulExportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      QVariant *out);

// Progress of an export: products written so far.
typedef void (*TQulProgressoExportacao)(int64_t feitos, void *contexto);

// As QulExportaProdutos; `progress` (may be null) hears how many products
// are written, every thousand and after the last.
QUL_EXPORT int32_t QulExportaProdutosProgresso(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                               TQulProgressoExportacao progress, void *context, QVariant *out);

// Checks every row of the file and, unless `checkOnly`, writes them in one
// transaction: a row with an existing CDPRODUTO updates that product, one
// without is inserted under a generated code. When any row is refused,
// nothing is written; an update whose values are the stored ones is not
// written either. Summary: "inseridos", "alterados", "inalterados",
// "recusados", "segundos" and "recusas" (a QStringList of "linha N: CAMPO:
// texto").
// `progress` (may be null) is called after each batch written.
QUL_EXPORT int32_t QulImportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      int32_t checkOnly, TQulProgressoImportacao progress, void *context,
                                      QVariant *out);

// As QulImportaProdutos; and, when `report` is not empty, every refused
// row is written to that file (even by a check): CSV as the export writes
// it, columns "linha", "coluna", "texto", then the row's values under the
// file's column names; with no row refused, the changes the file makes
// (as QulImportaProdutosCopia writes them).
QUL_EXPORT int32_t QulImportaProdutosRelatorio(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                               const char16_t *report, int32_t checkOnly,
                                               TQulProgressoImportacao progress, void *context, QVariant *out);

// What QulImportaProdutosOpcoes may do, or-ed together.
enum {
    QUL_IMPORTA_SO_VERIFICA = 1,       // check the rows, write nothing
    QUL_IMPORTA_INSERIR_AUSENTES = 2,  // a CDPRODUTO of digits not in the store: a new product under that code
    QUL_IMPORTA_AJUSTAR_NOMES = 4,     // a name with accents the keyboard cannot type: stored without them (but Ç, ç)
};

// As QulImportaProdutosRelatorio, with `opcoes` in place of `checkOnly`.
// The summary also has "ajustes": a QStringList of the names adjusted,
// "linha N: NMPRODUTO: \"antes\" -> \"depois\"", and of the tax codes a
// spreadsheet read as numbers, given back the leading zeros of the one
// stored code they can be, "linha N: CDIMPOSTO: \"3\" -> \"03\""; and
// "avisos": a QStringList of what failed after the rows were kept (on
// PostgreSQL, the tables' statistics taken again after a large import),
// the import standing. Other bits of `opcoes` are refused.
QUL_EXPORT int32_t QulImportaProdutosOpcoes(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                            const char16_t *report, int32_t opcoes,
                                            TQulProgressoImportacao progress, void *context, QVariant *out);

// Progress of an import through its stages: `etapa` 1 checking the file,
// 2 checking it again (when a row took a code from a product the file
// turned out not to update), `feitos` bytes of the file read of `total`
// (its size; 0 when not known); 3 writing, `feitos` rows of the file of
// `total`. Each stage ends with `feitos` equal to `total`; within one,
// `feitos` never goes back.
typedef void (*TQulEtapaImportacao)(int32_t etapa, int64_t feitos, int64_t total, void *contexto);

// As QulImportaProdutosOpcoes, with progress through every stage; and:
// - `report`, when not empty, gets, if no row is refused, every change
//   the file would make (even by a check): CSV as the export writes it,
//   columns "linha", "CDPRODUTO", "NMPRODUTO" (the stored name), "campo",
//   "guardado" and "novo", one line for each field an update changes
//   and one for each non-empty field of a new product ("guardado":
//   "(produto novo)"); refused rows as QulImportaProdutosRelatorio.
// - before anything is written (not by a check), the stored rows of the
//   products the file updates are written to `copia` (empty: a
//   "qul-antes-AAAAMMDD-HHMMSS.csv" beside the file, or in the current
//   folder for standard input) as the export writes CSV, so that importing
//   it puts them back; a copy that cannot be written stops the import with
//   nothing written.
// The summary also has "campos" (a QStringList of "CAMPO: N", the products
// whose field CAMPO the updates change, most first), "copia" (the copy's
// file; empty when no product is updated or by a check) and "novos" (a
// QStringList of the first 100 new products, "linha N: CDPRODINTE \"X\", NOME").
QUL_EXPORT int32_t QulImportaProdutosCopia(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                           const char16_t *report, const char16_t *copia, int32_t opcoes,
                                           TQulEtapaImportacao progress, void *context, QVariant *out);

}  // extern "C"
