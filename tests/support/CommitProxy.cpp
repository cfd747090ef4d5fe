#include "CommitProxy.h"

#include "ConnectionString.h"

#include <QByteArray>
#include <QtEndian>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool sendAll(int fd, const char *p, qsizetype n)
{
    for (; n > 0;) {
        const ssize_t k = ::send(fd, p, size_t(n), MSG_NOSIGNAL);
        if (k <= 0)
            return false;
        p += k, n -= k;
    }
    return true;
}

}  // namespace

CommitProxy::CommitProxy(int serverPort) : m_server(serverPort)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&a), len) != 0 || ::listen(m_listen, 8) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return;
    m_port = ntohs(a.sin_port);
    m_acceptor = std::jthread([this] {
        for (pollfd p{m_listen, POLLIN, 0}; !m_stop; p.revents = 0)
            if (::poll(&p, 1, 50) > 0) {
                const int c = ::accept(m_listen, nullptr, nullptr);
                if (c >= 0)
                    m_relays.emplace_back([this, c] { relay(c); });
            }
    });
}

CommitProxy::~CommitProxy()
{
    m_stop = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    m_relays.clear();
    ::close(m_listen);
}

QString CommitProxy::through(const QString &connectionString) const
{
    TConnectionString cs = TConnectionString::parse(connectionString);
    cs.set(QStringLiteral("Port"), QString::number(m_port));
    return cs.toString();
}

void CommitProxy::relay(int client)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(m_server));
    QByteArray fromServer;
    bool started = false;  // the server's first message (authentication) seen
    if (::connect(server, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
        for (pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}}; !m_stop; p[0].revents = p[1].revents = 0) {
            if (::poll(p, 2, 50) <= 0)
                continue;
            char buf[65536];
            const int from = (p[0].revents & (POLLIN | POLLHUP)) ? client : server;
            const ssize_t n = ::recv(from, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            if (from == client) {
                if (!sendAll(server, buf, n))
                    break;
                continue;
            }
            fromServer.append(buf, n);
            QByteArray out;
            while (!fromServer.isEmpty()) {
                if (!started && fromServer[0] == 'N') {  // no to the client's SSL request
                    out += fromServer.left(1), fromServer.remove(0, 1);
                    continue;
                }
                if (fromServer.size() < 5)
                    break;
                const qsizetype len = 1 + qFromBigEndian<qint32>(fromServer.constData() + 1);
                if (fromServer.size() < len)
                    break;
                started = true;
                const QByteArray m = fromServer.left(len);
                fromServer.remove(0, len);
                out += m == QByteArray("C\0\0\0\x0b" "COMMIT\0", 12) ? QByteArray("C\0\0\0\x0d" "ROLLBACK\0", 14) : m;
            }
            if (!sendAll(client, out.constData(), out.size()))
                break;
        }
    }
    ::close(server);
    ::close(client);
}
