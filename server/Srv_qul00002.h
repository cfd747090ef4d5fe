#pragma once
// The product data services, exported by the module with C linkage.
//
// Every service returns a status word (0 success, negative failure) and
// hands its data back through the variant `out`, which it empties on entry.
// A variant then holds a data packet (type "TDataPacket", see
// runtime/DataPacket.h), a failure text (QString), nothing, or, for
// setDelProduto, a two-element list.
//
// Texts are null-terminated UTF-16; a null pointer reads as empty text.
//
// One thread: the data module and its connection belong to the thread that
// created it (QulCriaModuloDados, QulAbreModuloDados or the screen), and
// every entry below and the catalogue's (Cat_qul00002.h) runs only there,
// one call at a time. A call from another thread, or one made while a call of
// another thread is running, does nothing but return a failure status with
// a text that says so (in `out`, or in `error` and QulUltimoErro for the
// data module's entries; QulLiberaModuloDados then leaves the module in
// place). A host
// with several threads makes every call from the one that created the
// module.

#include <QVariant>
#include <cstdint>

#define QUL_EXPORT __attribute__((visibility("default")))

// The Qt logging category of the module's log: one warning line for each
// failure (a connection refused or lost, a time-out, a refused save, a
// commit the server undid, a screen that could not open), naming the
// terminal and never a password. The module installs no message handler:
// a host that wants the lines in syslog or a file forwards this category
// from its own (qulhost and qulsvc send it to syslog).
#define QUL_LOG_CATEGORY "qul00002"

extern "C" {

// Read services.
QUL_EXPORT int32_t getImposto(QVariant *out);
QUL_EXPORT int32_t getUnidade(QVariant *out);
QUL_EXPORT int32_t getProduto(const char16_t *code, QVariant *out);
// The list row of one product and its place in getProduto("T"), for a
// screen that updates its list after its own save instead of reading it
// again. The product is that of `code`, or, when `code` is empty, the one
// product whose reduced code is `reducedCode` (a product just inserted,
// whose code the store gave it). `out` holds a two-element list: the data
// packet with the product as getProduto(its code) gives it (no row when
// there is none) and the number of products the list puts before it; -1
// when there is no such product; -2 when the list's order cannot place it
// (a reduced code that reads as no number, several products of that
// reduced code), the packet then without rows.
QUL_EXPORT int32_t getProdutoNaLista(const char16_t *code, const char16_t *reducedCode, QVariant *out);
QUL_EXPORT int32_t getVd_Produto(const char16_t *code, const char16_t *barCode, const char16_t *reducedCode,
                                 QVariant *out);

// Write services. On PostgreSQL each write also notifies the channel
// "qul_produto" inside its transaction (ProductChanges.h).
QUL_EXPORT int32_t setProduto(const QVariant *packet, const char16_t *operation, QVariant *out);
// An edit ("E") saved only while every product of the packet is stored as
// `loaded` holds it (rows of getProduto's packet, one per packet row, same
// CDPRODUTO): checked in the save's transaction after the terminals' lock.
// When one changed or was deleted meanwhile nothing is written and `out`
// holds a data packet with the current rows of those that changed (none
// for a deleted one); otherwise `out` is as for setProduto.
QUL_EXPORT int32_t setAltProduto(const QVariant *packet, const QVariant *loaded, QVariant *out);
QUL_EXPORT int32_t setDelProduto(const char16_t *code, QVariant *out);

// Whether other connections changed the products since a list was read,
// for a screen that shows one. `operation` "I": watch the product tables
// on the data module's connection from now on (again, when it already
// did); "M": the store as it is now is the one the caller holds (call it
// just before reading the list); "V": `out` holds true when another
// connection committed a change to the product tables since the last "M",
// else false; "VM": as "V", and the store as it is at that same moment is
// marked (as "M"), so that no change falls between the two (for a caller
// that brings its list up to date with its own writes). "I" and "M" leave
// `out` empty. A failure leaves its text in
// `out`, as for the read services.
QUL_EXPORT int32_t getProdutoMudou(const char16_t *operation, QVariant *out);

// The data module, one per process. QulCriaModuloDados creates it and
// connects it (connectionString null or empty: the configured one) for
// tools and hosts that call the services without the screen; it refuses
// when one exists already. QulAbreModuloDados is the screen's: it creates
// and connects the module when there is none, and uses an existing one as
// it is (its connection opened when closed), with the configured
// connection string. QulLiberaModuloDados frees the module whoever created
// it; the screen frees it when it closes. Each returns 0 or a negative
// status; on failure `error` (when not null) and QulUltimoErro receive a
// readable message (e.g. why a second module was refused).
QUL_EXPORT int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error);
QUL_EXPORT int32_t QulAbreModuloDados(QVariant *error);
QUL_EXPORT int32_t QulLiberaModuloDados(void);

// The readable message of the last failure on the calling thread
// (null-terminated UTF-16, never null, valid until that thread's next call
// of an entry named here): of the exception that ended CriaTelaQul00002
// (qul00002.h), of a data module entry above that failed, or of a JSON
// entry (qul00002_json.h) that did not answer 0. Each of those entries
// empties it when it succeeds; the services and the catalogue's entries
// leave it as it is (their failure text is in their `out`).
QUL_EXPORT const char16_t *QulUltimoErro(void);

// Checks that the connected store holds every table the module's
// statements use, with the columns they name (as qulsvc verifica does).
// Returns 0 with `out` holding a map: "ok" (true when nothing is missing),
// "tabelas" (how many tables the statements use), "lugar" (where the
// connection leads, without its password) and "texto" (what is missing
// and how to create it, in Portuguese; empty when nothing is). A failure
// (no data module, a lost connection) leaves its text in `out`, as for the
// read services.
QUL_EXPORT int32_t QulVerificaBanco(QVariant *out);

}  // extern "C"
