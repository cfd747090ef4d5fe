#include "ConnectionFile.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxSize = 1024 * 1024;

QString reason(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("não existe");
    case EACCES:
        return QStringLiteral("sem permissão de leitura");
    case EISDIR:
        return QStringLiteral("é uma pasta");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// The file is read through one descriptor, and its mode is checked on that
// same descriptor (as ssh checks its keys), so that no other file can take
// its place between the check and the read.
bool readAll(const QString &path, QByteArray *bytes, QString *what)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *what = QStringLiteral("não foi possível abrir (%1).").arg(reason(errno));
        return false;
    }
    struct stat st {};
    bool ok = false;
    if (::fstat(fd, &st) != 0) {
        *what = QStringLiteral("não foi possível ler (%1).").arg(reason(errno));
    } else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        *what = S_ISDIR(st.st_mode) ? QStringLiteral("é uma pasta.") : QStringLiteral("não é um arquivo comum.");
    } else if (st.st_mode & S_IROTH) {
        *what = QStringLiteral("outros usuários podem lê-lo (modo %1), e a senha da cadeia ficaria à vista deles; "
                               "deixe-o legível só pelo dono e pelo grupo (chmod o-r ou chmod 600).")
                    .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    } else {
        ok = true;
        char chunk[4096];
        while (ok && bytes->size() <= kMaxSize) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *what = QStringLiteral("não foi possível ler (%1).").arg(reason(errno));
                ok = false;
            } else if (n == 0) {
                break;
            } else {
                bytes->append(chunk, n);
            }
        }
        if (ok && bytes->size() > kMaxSize) {
            *what = QStringLiteral("grande demais (mais de 1 MiB).");
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

namespace ConnectionFile {

bool read(const QString &path, QString *connection, QString *error)
{
    QByteArray bytes;
    QString what;
    QString text;
    if (readAll(path, &bytes, &what)) {
        QStringDecoder utf8(QStringDecoder::Utf8);  // a leading BOM is dropped
        text = utf8.decode(bytes);
        if (utf8.hasError())
            what = QStringLiteral("não está codificado em UTF-8.");
    }
    if (what.isEmpty()) {
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty()) {
                *connection = line.trimmed();
                return true;
            }
        }
        what = QStringLiteral("não tem a cadeia de conexão (está vazio ou só tem linhas em branco).");
    }
    *error = QStringLiteral("Arquivo de conexão %1: %2").arg(path, what);
    return false;
}

}  // namespace ConnectionFile
