#pragma once
// Public interface of the product registration module libqul00002.so: the
// product data services (Srv_qul00002.h), the catalogue import and export
// (Cat_qul00002.h), the screen and the module's own entries below, and the
// hooks a host may set (QulHooks.h).

#include "Cat_qul00002.h"
#include "QulHooks.h"
#include "Srv_qul00002.h"

#include <QVariant>
#include <cstdint>

// ---------------------------------------------------------------- the screen
//
// The host creates its QApplication first, then calls Initialize once,
// CriaTelaQul00002 any number of times, and Finalize before unloading.

// One unit of the module with its start-up and shut-down entries (either
// may be null: nothing to do).
struct TQulUnitInfo {
    const char *name;
    void (*initialize)(void);
    void (*finalize)(void);
};

// The module's description: its units in start-up order (Finalize runs
// their shut-down in the reverse order).
struct TQulPackageInfo {
    const char *module;  // "qul00002"
    int32_t unitCount;
    const TQulUnitInfo *units;
    const char *version;  // the module's version, e.g. "1.0"
};

extern "C" {

// Opens the product registration screen and returns when it has closed.
// Neither argument is read (either may be null). Returns true when the
// screen opened and closed normally, or when a screen opened by an earlier
// call is still showing (nothing else is done then). Returns false when an
// exception ended the opening or the showing: the form and the data module
// have been released, and QulUltimoErro() gives the exception's message.
// Cli_Qul00002_CriaTelaQul00002 is the same function under the name
// qualified by its unit.
QUL_EXPORT bool CriaTelaQul00002(const QVariantList *args, QVariant *inout);
QUL_EXPORT bool Cli_Qul00002_CriaTelaQul00002(const QVariantList *args, QVariant *inout);

// The message of the exception that ended the last CriaTelaQul00002 call
// is what QulUltimoErro (Srv_qul00002.h) answers after it: empty text after
// a call that returned true.

// Shows that message to the operator, as an error, in the module's message
// dialog (the presenter set with QulSetMensagemHook, else the touch
// dialog), and returns when it has been answered. Does nothing, and
// returns false, after a call that returned true or whose failure the
// operator was already shown (the opening was interrupted after a
// message), or when this message was shown already. Call it before
// Finalize, which takes the host's presenter away.
QUL_EXPORT bool QulInformaUltimoErro(void);

// Load and unload hooks: the start-up and shut-down of the module's units,
// in the order of GetPackageInfoTable. Calls after the first are counted
// and do nothing until the matching Finalize.
QUL_EXPORT void Initialize(void);
QUL_EXPORT void Finalize(void);
QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void);

// The module's own copies of the hooks and settings. A null pointer puts
// the module's default back (the touch dialogs, the default report).
QUL_EXPORT void QulSetMensagemHook(const TMensagemHook *hook);
QUL_EXPORT void QulSetPesquisaHook(const TPesquisaHook *hook);
QUL_EXPORT void QulSetRelFiscaisHook(const TRelFiscaisHook *hook);
QUL_EXPORT void QulSetErrorReportHook(const TErrorReportHook *hook);
// Connection string chosen by the host (null or empty: the configured one).
QUL_EXPORT void QulSetStringConexQul(const char16_t *connectionString);
// Directory where the module looks for qul.ini, the demo database and the
// colour file (null or empty: the directory of the running program, except
// for the demo database of an installed module, which then lives in the
// user's data folder, ~/.local/share/qul00002).
QUL_EXPORT void QulSetProgramDir(const char16_t *dir);
// The demo store database: where the module looks for it (null-terminated
// UTF-16, valid until the next call), and making the module use it whatever
// the configured connection string says.
QUL_EXPORT const char16_t *QulCaminhoBancoDemo(void);
QUL_EXPORT void QulUsaBancoDemo(void);

// ---------------------------------------------------------------- packets
//
// A host reads the packet a service returns, and builds one for setProduto,
// through its JSON text alone (QJsonDocument reads and writes it):
//   {"fields": [{"name": "SGUNIDADE", "type": "string", "size": 10}, ...],
//    "rows": [["UN", "Unidade"], ...]}
// Types are "string", "float", "integer", "datetime" ("YYYY-MM-DD HH:MM:SS")
// and "boolean"; null is a null value. Both return 0, or a negative status
// with a failure text in `out`.

// The packet in `packet` as compact JSON text (a QString in `out`).
QUL_EXPORT int32_t QulPacoteParaJson(const QVariant *packet, QVariant *out);
// The packet a JSON text describes (null-terminated UTF-16), in `out`.
QUL_EXPORT int32_t QulJsonParaPacote(const char16_t *json, QVariant *out);

// Receives a piece of a JSON text (UTF-8, `size` bytes, not terminated).
typedef void (*TQulEscritaJson)(const char *bytes, int64_t size, void *context);
// The same compact JSON text as QulPacoteParaJson, handed to `write` piece
// by piece as it is made, so that a packet of any size is written without
// its whole text in memory. A result that is not a packet (a failure text,
// nothing, the delete service's array) is written as its JSON value too.
// Returns 0, or a negative status with nothing written.
QUL_EXPORT int32_t QulEscreveJson(const QVariant *value, TQulEscritaJson write, void *context);

}  // extern "C"
