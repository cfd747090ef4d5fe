// A PostgreSQL COMMIT that does not simply succeed. The server's statement
// limit does not reach a commit's wait for a synchronous standby, so the
// COMMIT is cancelled from here once the session's statement limit has
// passed: a standby that is away no longer holds the save, and the
// terminals' lock, for ever. The server then keeps the commit (it is
// already in its log) and says so with a warning, which is logged: the
// save is stored on the primary, not yet confirmed by the standby. A COMMIT whose connection is
// lost is in doubt: the connection is opened again (through a server list,
// to whichever server is writable now) and that server is asked what
// became of the transaction before the caller is told anything.

#include "ADOConnection.h"
#include "DriverError.h"
#include "Exceptions.h"
#include "FailureLog.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <condition_variable>
#include <libpq-fe.h>
#include <mutex>
#include <thread>

namespace {

// The server's warnings while a COMMIT runs, read through libpq's notice
// receiver (the driver's own is put back after it).
class TAvisosDoCommit {
public:
    explicit TAvisosDoCommit(PGconn *pg) : m_pg(pg)
    {
        if (m_pg)
            m_anterior = PQsetNoticeReceiver(m_pg, &TAvisosDoCommit::recebe, this);
    }
    ~TAvisosDoCommit()
    {
        if (m_pg)
            PQsetNoticeReceiver(m_pg, m_anterior, m_argAnterior);
    }
    TAvisosDoCommit(const TAvisosDoCommit &) = delete;
    TAvisosDoCommit &operator=(const TAvisosDoCommit &) = delete;
    const QStringList &avisos() const { return m_avisos; }

private:
    static void recebe(void *arg, const PGresult *res)
    {
        auto *self = static_cast<TAvisosDoCommit *>(arg);
        const char *nivel = PQresultErrorField(res, PG_DIAG_SEVERITY_NONLOCALIZED);
        if (nivel && qstrcmp(nivel, "WARNING") == 0)
            self->m_avisos.append(QString::fromUtf8(PQresultErrorMessage(res)).simplified());
        if (self->m_anterior)
            self->m_anterior(self->m_argAnterior, res);
    }
    PGconn *m_pg;
    PQnoticeReceiver m_anterior = nullptr;
    void *m_argAnterior = nullptr;
    QStringList m_avisos;
};

// Cancels the running statement of `pg` once `ms` have passed, unless it
// ended before.
class TLimiteDoCommit {
public:
    TLimiteDoCommit(PGconn *pg, int ms) : m_cancel(pg && ms > 0 ? PQgetCancel(pg) : nullptr)
    {
        if (m_cancel)
            m_relogio = std::thread([this, ms] {
                std::unique_lock<std::mutex> trava(m_mutex);
                if (!m_fim.wait_for(trava, std::chrono::milliseconds(ms), [this] { return m_acabou; })) {
                    char erro[256];
                    PQcancel(m_cancel, erro, int(sizeof erro));
                }
            });
    }
    ~TLimiteDoCommit()
    {
        {
            const std::lock_guard<std::mutex> trava(m_mutex);
            m_acabou = true;
        }
        m_fim.notify_all();
        if (m_relogio.joinable())
            m_relogio.join();
        if (m_cancel)
            PQfreeCancel(m_cancel);
    }
    TLimiteDoCommit(const TLimiteDoCommit &) = delete;
    TLimiteDoCommit &operator=(const TLimiteDoCommit &) = delete;

private:
    PGcancel *m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_fim;
    bool m_acabou = false;
    std::thread m_relogio;
};

}  // namespace

qint64 TADOConnection::prepareCommit()
{
    // The transaction's id; none for a transaction that wrote nothing: it
    // has nothing in doubt.
    QSqlQuery q(Database());
    ++StatementCount;
    if (!q.exec(QStringLiteral("SELECT txid_current_if_assigned()")))
        raise(q.lastError(), q);
    return q.next() && !q.isNull(0) ? q.value(0).toLongLong() : -1;
}

bool TADOConnection::commitPostgres(qint64 xid, int limiteMs)
{
    QStringList avisos;
    bool ok = false;
    QSqlError erro;
    {
        QSqlQuery q(Database());
        const TAvisosDoCommit ouvinte(m_pg);
        ++StatementCount;
        {
            const TLimiteDoCommit limite(m_pg, limiteMs);
            ok = q.exec(QStringLiteral("COMMIT"));
        }
        if (!ok)
            erro = q.lastError();
        avisos = ouvinte.avisos();
        // The server answers COMMIT of a transaction it has aborted with
        // ROLLBACK, and no error.
        const QVariant r = ok && q.result() ? q.result()->handle() : QVariant();
        if (r.isValid() && (r.metaType().flags() & QMetaType::IsPointer)
            && qstrcmp(PQcmdStatus(*static_cast<PGresult *const *>(r.constData())), "COMMIT") != 0)
            return false;
    }
    if (ok) {
        if (!avisos.isEmpty())
            registraFalha(QStringLiteral("confirmação da gravação"),
                          QStringLiteral("A gravação foi concluída no servidor principal, sem a confirmação da réplica "
                                         "síncrona no tempo limite: ")
                              + avisos.join(QLatin1Char(' ')));
        return true;
    }
    try {
        raise(QString(), erro);
    } catch (const EADOError &) {
        if (!ConnectionLost())
            throw;
        m_inTrans = false;
        m_timeoutLocal = -1;
        if (xid < 0 || !committedElsewhere(xid))
            throw;
    }
    return true;
}

bool TADOConnection::committedElsewhere(qint64 xid)
{
    const QString duvida = QStringLiteral(
        "A conexão com o banco de dados foi perdida durante a confirmação da gravação, e não foi possível saber se ela "
        "foi concluída. Confira o produto quando o banco de dados voltar.");
    Close();
    m_reopen = true;
    try {
        Open();
    } catch (const std::exception &e) {
        throw EADOError(duvida + QLatin1Char(' ') + exceptionMessage(e), true);
    }
    QSqlQuery q(Database());
    ++StatementCount;
    if (!q.exec(QStringLiteral("SELECT txid_status(%1)").arg(xid))) {
        // An id the server never reached (a standby promoted before the
        // commit arrived) is "in the future": that transaction is not there.
        if (q.lastError().nativeErrorCode() == QLatin1String("22023"))
            return false;
        throw EADOError(duvida + QLatin1Char(' ') + q.lastError().text(), true);
    }
    const QString estado = q.next() ? q.value(0).toString() : QString();
    if (estado == QLatin1String("committed")) {
        registraFalha(QStringLiteral("confirmação da gravação"),
                      QStringLiteral("A conexão foi perdida durante a confirmação; a gravação foi encontrada concluída no "
                                     "servidor que respondeu depois."));
        return true;
    }
    if (estado == QLatin1String("aborted"))
        return false;
    throw EADOError(duvida, true);
}
