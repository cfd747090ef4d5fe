#pragma once
// How an exported service runs: on the thread that created the data module
// and on no other at the same time (ServiceThread.h; a refusal is a failure
// status with its text in the result), arguments taken from UTF-16, the
// data module reached through its global instance, a write in a unit of
// work of its own, and no exception ever let out (a failure becomes a text in the
// result; a transaction left open, or a failure of that handling itself,
// becomes a failure status).

#include "FailureLog.h"
#include "QulShared.h"
#include "ServiceThread.h"
#include "TrdmCadProd.h"
#include "UnidadeTrabalho.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <source_location>

inline constexpr int32_t kServiceFailure = -1;

// The name of the function a call was written in (the exported service),
// for the log.
inline QString nomeDoServico(const std::source_location &onde)
{
    const QString f = QString::fromLatin1(onde.function_name());
    return f.left(f.indexOf(QLatin1Char('('))).section(QLatin1Char(' '), -1).section(QStringLiteral("::"), -1);
}

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

// A transaction is open on the data module's connection.
inline bool transacaoAberta()
{
    return rdmCadProd && rdmCadProd->adcCadProd->InTransaction();
}

// Ends a call whose body left open a transaction that was not open before
// it: rolls it back where it can, and makes the call a failure status. The
// result keeps the body's failure text; a body that raised nothing gets
// one saying what happened.
inline int32_t transacaoDeixadaAberta(QVariant *out, bool comFalha)
{
    try {
        rdmCadProd->RollbackTrans();
    } catch (const std::exception &) {
    }
    if (!comFalha)
        *out = transacaoAberta()
                   ? QStringLiteral("Erro interno: o serviço terminou com a transação aberta, e ela não pôde ser desfeita.")
                   : QStringLiteral("Erro interno: o serviço terminou com a transação aberta; ela foi desfeita e "
                                    "nada foi gravado.");
    return kServiceFailure;
}

// Runs a read service body: a failure becomes `message(e)` in the result,
// and a line of the log. A body that leaves a transaction open (the
// import's, whose rollback failed) is a failure status.
template <typename Body, typename Message>
int32_t readService(QVariant *out, Body body, Message message,
                    const std::source_location onde = std::source_location::current())
{
    if (!out)
        return kServiceFailure;
    try {
        *out = QVariant();
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty()) {
            *out = chamada.recusa();
            return kServiceFailure;
        }
        const bool antes = transacaoAberta();
        bool comFalha = false;
        try {
            *out = body();
        } catch (const std::exception &e) {
            *out = message(e);
            comFalha = true;
            registraFalha(QStringLiteral("serviço ") + nomeDoServico(onde), out->toString());
        }
        if (!antes && transacaoAberta())
            return transacaoDeixadaAberta(out, comFalha);
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}

// Runs a write service body in a unit of work of its own. A failure rolls
// back and becomes its message in the result (status success) and a line
// of the log; a rollback
// that leaves the transaction open, or a body that returns without ending
// its unit (commit or desfaz), is a failure status. A transaction already
// open on the connection is not joined: the call fails with a text.
template <typename Body>
int32_t writeService(QVariant *out, Body body, const std::source_location onde = std::source_location::current())
{
    if (!out)
        return kServiceFailure;
    try {
        *out = QVariant();
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty()) {
            *out = chamada.recusa();
            return kServiceFailure;
        }
        TrdmCadProd *dm = rdmCadProd;
        if (!dm) {
            *out = QStringLiteral("O módulo de dados de produtos não está criado.");
            return 0;
        }
        const bool antes = dm->adcCadProd->InTransaction();
        bool comFalha = false, semFim = false;
        const auto falha = [&](const std::exception &e) {
            *out = ADOExceptionMessage(e, dm->adcCadProd, QString());
            comFalha = true;
        };
        try {
            TUnidadeTrabalho ut(*dm);
            try {
                body(ut);
                semFim = ut.aberta();
            } catch (const std::exception &e) {
                falha(e);  // its text read before the rollback
            }
        } catch (const std::exception &e) {
            falha(e);
        }
        if (comFalha)
            registraFalha(QStringLiteral("serviço ") + nomeDoServico(onde), out->toString());
        if (semFim)
            return transacaoDeixadaAberta(out, false);
        if (!antes && transacaoAberta())
            return transacaoDeixadaAberta(out, comFalha);
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}
