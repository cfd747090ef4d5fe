#pragma once
// How an exported service runs: arguments taken from UTF-16, the data
// module reached through its global instance, and no exception ever let
// out (a failure becomes a text in the result; only a failure of that
// handling itself becomes a failure status).

#include "QulShared.h"
#include "TrdmCadProd.h"

#include <QString>
#include <QVariant>
#include <cstdint>

inline constexpr int32_t kServiceFailure = -1;

// A text argument of an exported entry (null reads as empty text).
inline QString argText(const char16_t *s)
{
    return s ? QString::fromUtf16(s) : QString();
}

// The connected data module; raises when no screen or tool created it. A
// connection that an earlier call found lost is opened again first.
inline TrdmCadProd &dataModule()
{
    if (!rdmCadProd)
        throw EDatabaseError(QStringLiteral("O módulo de dados de produtos não está criado."));
    rdmCadProd->adcCadProd->ReconnectIfLost();
    return *rdmCadProd;
}

// Runs a read service body: a failure becomes `message(e)` in the result.
template <typename Body, typename Message>
int32_t readService(QVariant *out, Body body, Message message)
{
    if (!out)
        return kServiceFailure;
    try {
        *out = QVariant();
        try {
            *out = body();
        } catch (const std::exception &e) {
            *out = message(e);
        }
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}

// Ends a failed write: rolls back and tells whether the transaction is
// really over. A connection that is gone has nothing left to undo.
inline bool rollBackFailedWrite(TrdmCadProd &dm)
{
    try {
        dm.RollbackTrans();
        return true;
    } catch (const std::exception &) {
        return !dm.adcCadProd->Connected() || !dm.adcCadProd->InTransaction();
    }
}

// Runs a write service body inside the connection's transaction. A failure
// rolls back and becomes its message in the result (status success); only
// a rollback that leaves the transaction open is a failure status.
template <typename Body>
int32_t writeService(QVariant *out, Body body)
{
    if (!out)
        return kServiceFailure;
    try {
        *out = QVariant();
        TrdmCadProd *dm = rdmCadProd;
        if (!dm) {
            *out = QStringLiteral("O módulo de dados de produtos não está criado.");
            return 0;
        }
        try {
            dm->adcCadProd->ReconnectIfLost();
            dm->StartTrans();
            body(*dm);
        } catch (const std::exception &e) {
            *out = ADOExceptionMessage(e, dm->adcCadProd, QString());
            if (!rollBackFailedWrite(*dm))
                return kServiceFailure;
        }
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}
