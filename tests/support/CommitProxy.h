#pragma once
// A relay on loopback between a client and the PostgreSQL test server that
// turns every reply "COMMIT" into "ROLLBACK": what the server answers when
// it has aborted the transaction that the client asks to commit.

#include <QString>
#include <atomic>
#include <thread>
#include <vector>

class CommitProxy {
public:
    explicit CommitProxy(int serverPort);
    ~CommitProxy();
    int port() const { return m_port; }
    // `connectionString` (ADO syntax) sent through this relay.
    QString through(const QString &connectionString) const;

private:
    void relay(int client);
    int m_listen = -1, m_port = 0, m_server = 0;
    std::atomic<bool> m_stop{false};
    std::jthread m_acceptor;
    std::vector<std::jthread> m_relays;  // the acceptor's alone while it runs
};
