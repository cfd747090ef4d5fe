#pragma once
// A relay on loopback for one connection to the PostgreSQL test server that
// turns every reply "COMMIT" into "ROLLBACK": the server's answer to the
// commit of a transaction it has aborted.

#include "ConnectionString.h"

#include <QtEndian>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class CommitProxy {
public:
    explicit CommitProxy(const QString &connectionString)
    {
        TConnectionString cs = TConnectionString::parse(connectionString);
        sockaddr_in a = loopback(0), servidor = loopback(cs.value(QStringLiteral("Port")).toInt());
        socklen_t len = sizeof a;
        const int escuta = ::socket(AF_INET, SOCK_STREAM, 0);
        ::bind(escuta, reinterpret_cast<sockaddr *>(&a), len), ::listen(escuta, 1);
        ::getsockname(escuta, reinterpret_cast<sockaddr *>(&a), &len);
        cs.set(QStringLiteral("Port"), QString::number(ntohs(a.sin_port)));
        m_through = cs.toString();
        m_relay = std::jthread([this, escuta, servidor] {
            pollfd p[2] = {{escuta, POLLIN, 0}, {::socket(AF_INET, SOCK_STREAM, 0), POLLIN, 0}};
            while (!m_stop && ::poll(p, 1, 50) <= 0) {
            }
            p[0].fd = m_stop ? -1 : ::accept(escuta, nullptr, nullptr);
            QByteArray in;         // the server's bytes not passed on yet: messages go whole
            bool started = false;  // past the one-byte answer to the client's SSL request
            for (bool up = p[0].fd >= 0 && ::connect(p[1].fd, reinterpret_cast<const sockaddr *>(&servidor), sizeof servidor) == 0;
                 up && !m_stop;) {
                char buf[65536];
                const int de = ::poll(p, 2, 50) <= 0 ? -1 : p[0].revents ? 0 : 1;
                const ssize_t n = de < 0 ? 0 : ::recv(p[de].fd, buf, sizeof buf, 0);
                if (de >= 0 && n <= 0)
                    break;
                in.append(buf, de == 1 ? n : 0);
                QByteArray out = de == 0 ? QByteArray(buf, n) : QByteArray();
                for (qsizetype k; !in.isEmpty(); in.remove(0, k)) {
                    k = !started && in[0] == 'N' ? 1 : in.size() < 5 ? 0 : 1 + qFromBigEndian<qint32>(in.constData() + 1);
                    if (k == 0 || in.size() < k)
                        break;
                    started = started || k > 1;
                    out += in.left(k) == QByteArray("C\0\0\0\x0b" "COMMIT\0", 12) ? QByteArray("C\0\0\0\x0d" "ROLLBACK\0", 14) : in.left(k);
                }
                up = ::send(p[1 - qMax(de, 0)].fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL) == out.size();
            }
            ::close(p[0].fd), ::close(p[1].fd), ::close(escuta);
        });
    }
    ~CommitProxy() { m_stop = true; }
    // The connection string (ADO syntax) sent through this relay.
    QString through() const { return m_through; }

private:
    static sockaddr_in loopback(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET, a.sin_addr.s_addr = htonl(INADDR_LOOPBACK), a.sin_port = htons(quint16(port));
        return a;
    }
    QString m_through;
    std::atomic<bool> m_stop{false};
    std::jthread m_relay;  // declared last: joined before the members it uses go
};
