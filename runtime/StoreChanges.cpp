#include "StoreChanges.h"

#include "ADOConnection.h"
#include "Exceptions.h"

#include <QSqlDriver>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

bool ehPostgreSQL(const TADOConnection *c)
{
    return c->Connected() && c->DriverName() == QLatin1String("QPSQL");
}

}  // namespace

TMudancasExternas::TMudancasExternas(TADOConnection *conexao, const QString &canal,
                                     std::function<QVariant()> impressao, QObject *owner)
    : QObject(owner), m_conexao(conexao), m_canal(canal), m_impressao(std::move(impressao))
{
}

TMudancasExternas::~TMudancasExternas() = default;

QVariant TMudancasExternas::estado()
{
    if (sqlite3 *h = m_conexao->Connected() ? m_conexao->sqliteHandle() : nullptr) {
        sqlite3_stmt *st = nullptr;
        ++m_conexao->StatementCount;
        if (sqlite3_prepare_v2(h, "PRAGMA data_version", -1, &st, nullptr) != SQLITE_OK)
            throw EADOError(QStringLiteral("PRAGMA data_version: %1").arg(QString::fromUtf8(sqlite3_errmsg(h))));
        const int rc = sqlite3_step(st);
        const qint64 versao = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        if (rc != SQLITE_ROW)
            throw EADOError(QStringLiteral("PRAGMA data_version: %1").arg(QString::fromUtf8(sqlite3_errmsg(h))));
        // A version is of its session: one opened again (after a loss)
        // starts its own count, and may have missed changes.
        return QVariantList{m_conexao->Openings(), versao};
    }
    if (m_impressao && m_conexao->Connected() && !ehPostgreSQL(m_conexao))
        return m_impressao();
    return QVariant();
}

void TMudancasExternas::assina()
{
    const QSqlDatabase db = m_conexao->Database();
    QSqlDriver *drv = db.driver();
    PGconn *c = m_conexao->pgHandle();
    if (!drv || !c)
        return;
    const int pid = PQbackendPID(c);
    if (drv == m_driverAssinado && pid == m_pidAssinado && drv->subscribedToNotifications().contains(m_canal))
        return;
    // A connection of its own again: what was sent meanwhile went unheard.
    if (m_pidAssinado != 0)
        m_aviso = true;
    if (drv != m_driverAssinado) {
        connect(drv, &QSqlDriver::notification, this,
                [this](const QString &nome, QSqlDriver::NotificationSource origem, const QVariant &) {
                    if (nome == m_canal && origem == QSqlDriver::OtherSource)
                        m_aviso = true;
                });
    }
    ++m_conexao->StatementCount;
    if (!drv->subscribedToNotifications().contains(m_canal) && !drv->subscribeToNotification(m_canal))
        m_conexao->raise(QStringLiteral("LISTEN %1").arg(m_canal), drv->lastError());
    m_driverAssinado = drv;
    m_pidAssinado = pid;
}

// What reached the connection and the Qt driver has not handed out yet.
bool TMudancasExternas::notificacoesDeOutros()
{
    assina();
    if (PGconn *c = m_conexao->pgHandle()) {
        // A session the server ended can tell nothing: that is a failure,
        // not "no change". It shows as the server's farewell and then the
        // end of the stream, which only a second read finds.
        if (!PQconsumeInput(c) || !PQconsumeInput(c) || PQstatus(c) != CONNECTION_OK)
            m_conexao->raise(QStringLiteral("LISTEN %1").arg(m_canal),
                             QSqlError(QString(), QString::fromUtf8(PQerrorMessage(c)), QSqlError::ConnectionError));
        const QByteArray canal = m_canal.toUtf8();
        while (PGnotify *n = PQnotifies(c)) {
            if (n->be_pid != PQbackendPID(c) && canal == n->relname)
                m_aviso = true;
            PQfreemem(n);
        }
    }
    return m_aviso;
}

void TMudancasExternas::Marca()
{
    if (ehPostgreSQL(m_conexao)) {
        notificacoesDeOutros();
        m_aviso = false;
        return;
    }
    m_marca = estado();
}

bool TMudancasExternas::MudouEMarca()
{
    if (ehPostgreSQL(m_conexao)) {
        const bool mudou = notificacoesDeOutros();
        m_aviso = false;
        return mudou;
    }
    const QVariant agora = estado();
    const bool mudou = agora.isValid() && agora != m_marca;
    m_marca = agora;
    return mudou;
}

bool TMudancasExternas::Mudou()
{
    if (ehPostgreSQL(m_conexao))
        return notificacoesDeOutros();
    const QVariant agora = estado();
    return agora.isValid() && agora != m_marca;
}
