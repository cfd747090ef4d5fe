#pragma once
// What every fuzz target shares: the property check that stops the run
// (libFuzzer saves the input that broke it) and a scratch file for the
// parsers that read from disk.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>

#define QUL_FUZZ_CHECK(cond, what)                                                           \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

// A file of this process holding `bytes`, rewritten at every call.
inline QString fuzzScratchFile(const char *name, const QByteArray &bytes)
{
    static const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString path = QDir(dir).filePath(
        QStringLiteral("qul-fuzz-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(name)));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline QByteArray fuzzBytes(const unsigned char *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}
