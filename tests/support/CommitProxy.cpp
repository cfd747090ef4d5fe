#include "CommitProxy.h"

#include "ConnectionString.h"

#include <QByteArray>
#include <QtEndian>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    return a;
}

}  // namespace

CommitProxy::CommitProxy(const QString &connectionString)
{
    TConnectionString cs = TConnectionString::parse(connectionString);
    m_server = cs.value(QStringLiteral("Port")).toInt();
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&a), len) || ::listen(m_listen, 8)
        || ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&a), &len))
        return;
    cs.set(QStringLiteral("Port"), QString::number(ntohs(a.sin_port)));
    m_through = cs.toString();
    m_acceptor = std::jthread([this] {
        for (pollfd p{m_listen, POLLIN, 0}; !m_stop; p.revents = 0)
            if (::poll(&p, 1, 50) > 0)
                if (const int c = ::accept(m_listen, nullptr, nullptr); c >= 0)
                    m_relays.emplace_back([this, c] { relay(c); });
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

void CommitProxy::relay(int client)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(m_server);
    QByteArray in;         // the server's bytes not passed on yet: messages go whole
    bool started = false;  // past the one-byte answer to the client's SSL request
    pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    for (bool up = ::connect(server, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0; up && !m_stop;) {
        if (::poll(p, 2, 50) <= 0)
            continue;
        char buf[65536];
        const bool fromClient = p[0].revents != 0;
        const ssize_t n = ::recv(fromClient ? client : server, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        if (fromClient) {
            up = ::send(server, buf, size_t(n), MSG_NOSIGNAL) == n;
            continue;
        }
        in.append(buf, n);
        QByteArray out;
        for (qsizetype len; !in.isEmpty(); in.remove(0, len)) {
            len = !started && in[0] == 'N' ? 1 : in.size() < 5 ? 0 : 1 + qFromBigEndian<qint32>(in.constData() + 1);
            if (len == 0 || in.size() < len)
                break;
            started = started || len > 1;
            const QByteArray m = in.left(len);
            out += m == QByteArray("C\0\0\0\x0b" "COMMIT\0", 12) ? QByteArray("C\0\0\0\x0d" "ROLLBACK\0", 14) : m;
        }
        up = ::send(client, out.constData(), size_t(out.size()), MSG_NOSIGNAL) == out.size();
    }
    ::close(server);
    ::close(client);
}
