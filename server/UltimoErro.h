#pragma once
// The core's last error: the readable message of the last failed entry on
// this thread (the screen's opening, a data module entry, a JSON entry),
// which QulUltimoErro (Srv_qul00002.h) answers. One per thread, so that a
// call refused on another thread leaves the caller's message as it was.

#include "QulCoreExport.h"

#include <QString>

// Notes `texto` as this thread's last error (empty: the last call
// succeeded); `informado`: the operator already saw it.
QUL_CORE_EXPORT void defineUltimoErro(const QString &texto, bool informado = false);
QUL_CORE_EXPORT const QString &ultimoErro();
// Whether the operator was shown the last error; marking it so.
QUL_CORE_EXPORT bool ultimoErroInformado();
QUL_CORE_EXPORT void marcaUltimoErroInformado();
