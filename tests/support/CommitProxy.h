#pragma once
// A relay on loopback to the PostgreSQL test server that turns every reply
// "COMMIT" into "ROLLBACK": the server's answer to the commit of a
// transaction it has aborted.

#include <QString>
#include <atomic>
#include <thread>
#include <vector>

class CommitProxy {
public:
    explicit CommitProxy(const QString &connectionString);
    ~CommitProxy();
    // The connection string (ADO syntax) sent through this relay.
    QString through() const { return m_through; }

private:
    void relay(int client);
    int m_listen = -1, m_server = 0;
    QString m_through;
    std::atomic<bool> m_stop{false};
    std::jthread m_acceptor;
    std::vector<std::jthread> m_relays;  // the acceptor's alone while it runs
};
