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

#include <QVariant>
#include <cstdint>

#define QUL_EXPORT __attribute__((visibility("default")))

extern "C" {

// Read services.
QUL_EXPORT int32_t getImposto(QVariant *out);
QUL_EXPORT int32_t getUnidade(QVariant *out);
QUL_EXPORT int32_t getProduto(const char16_t *code, QVariant *out);
QUL_EXPORT int32_t getVd_Produto(const char16_t *code, const char16_t *barCode, const char16_t *reducedCode,
                                 QVariant *out);

// Write services.
QUL_EXPORT int32_t setProduto(const QVariant *packet, const char16_t *operation, QVariant *out);
QUL_EXPORT int32_t setDelProduto(const char16_t *code, QVariant *out);

// Data module for tools and hosts that call the services without the
// screen: create it and connect it (connectionString null or empty: the
// configured one), and free it. Both return 0 or a negative status; on
// failure `error` (when not null) receives a readable message.
QUL_EXPORT int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error);
QUL_EXPORT int32_t QulLiberaModuloDados(void);

}  // extern "C"
