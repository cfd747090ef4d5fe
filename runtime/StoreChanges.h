#pragma once
// Whether other connections changed the store since a moment this one
// marked: what a screen asks when the operator comes back to a list read
// earlier. Nothing runs in the background: each answer is read when asked.
//
//   SQLite      PRAGMA data_version, which changes only when another
//               connection committed to the file; a connection opened
//               again counts as a change.
//   PostgreSQL  a notification channel the writers NOTIFY inside their
//               transactions (LISTEN through the Qt driver on this
//               connection); this connection's own notifications are not
//               counted. A connection opened again (after a loss) may have
//               missed some, so it counts as a change.
//   otherwise   a fingerprint statement given by the caller (a value that
//               changes whenever the watched rows do), when there is one;
//               without it no change is ever seen.

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>

class TADOConnection;

class TMudancasExternas : public QObject {
    Q_OBJECT
public:
    TMudancasExternas(TADOConnection *conexao, const QString &canal, std::function<QVariant()> impressao,
                      QObject *owner = nullptr);
    ~TMudancasExternas() override;

    // The store as it is now is the one the caller holds (call it just
    // before reading what it shows). Raises on a database error.
    void Marca();
    // Another connection committed a change since the last Marca. Raises on
    // a database error.
    bool Mudou();
    // Mudou, and Marca at the same moment: one reading of the state, so a
    // change committed meanwhile is neither lost nor counted twice.
    bool MudouEMarca();

private:
    QVariant estado();       // SQLite's version or the fingerprint
    void assina();           // LISTEN on the connection now open (PostgreSQL)
    bool notificacoesDeOutros();
    TADOConnection *m_conexao;
    QString m_canal;
    std::function<QVariant()> m_impressao;
    QVariant m_marca;
    QObject *m_driverAssinado = nullptr;  // the driver LISTEN ran on
    int m_pidAssinado = 0;
    bool m_aviso = false;  // a notification of another connection arrived
};
