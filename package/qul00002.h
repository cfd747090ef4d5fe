#pragma once
// Public interface of the product registration module libqul00002.so.
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

// ---------------------------------------------------------------- the screen
//
// Present when the module is built with the screen (unit Cli_qul00002).
// The host creates its QApplication first, then calls Initialize once,
// CriaTelaQul00002 any number of times, and Finalize before unloading.

#include <functional>

class QString;
class TDataSet;
class TClientDataSet;

// Hooks a host may put in place of the module's own dialogs. They are the
// same types the shared packages use (shared/QulShared.h,
// shared/ui/QulSharedUi.h); a host that passes them must be built with the
// same compiler and Qt as the module.
using TQulMensagemHook = std::function<bool(const QString &texto, const QString &titulo, const QString &p3,
                                            const QString &pergunta, int tipo, const QString &p6,
                                            const QString &p7, int p8, TDataSet *dataSet)>;
using TQulPesquisaHook = std::function<bool(TClientDataSet *dataSet, int p2, const QString &p3, quint32 cor1,
                                            quint32 cor2, quint32 cor3, quint32 cor5, int p8)>;
using TQulRelFiscaisHook = std::function<void()>;
using TQulErrorReportHook = std::function<void(const QString &message)>;

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

// Message of the exception that ended the last CriaTelaQul00002 call
// (null-terminated UTF-16, valid until the next call); empty text after a
// call that returned true.
QUL_EXPORT const char16_t *QulUltimoErro(void);

// Load and unload hooks: the start-up and shut-down of the module's units,
// in the order of GetPackageInfoTable. Calls after the first are counted
// and do nothing until the matching Finalize.
QUL_EXPORT void Initialize(void);
QUL_EXPORT void Finalize(void);
QUL_EXPORT const TQulPackageInfo *GetPackageInfoTable(void);

// The module's own copies of the hooks and settings. A null pointer puts
// the module's default back (the touch dialogs, the default report).
QUL_EXPORT void QulSetMensagemHook(const TQulMensagemHook *hook);
QUL_EXPORT void QulSetPesquisaHook(const TQulPesquisaHook *hook);
QUL_EXPORT void QulSetRelFiscaisHook(const TQulRelFiscaisHook *hook);
QUL_EXPORT void QulSetErrorReportHook(const TQulErrorReportHook *hook);
// Connection string chosen by the host (null or empty: the configured one).
QUL_EXPORT void QulSetStringConexQul(const char16_t *connectionString);
// Directory where the module looks for qul.ini, the demo database and the
// colour file (null or empty: the directory of the running program).
QUL_EXPORT void QulSetProgramDir(const char16_t *dir);

}  // extern "C"
