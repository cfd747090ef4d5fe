// qulmkdemo FILE [--force]
//
// Builds a SQLite demo store database at FILE: the schema and the demo
// store's rows. The database is built in a temporary file beside FILE and
// renamed into place only when complete, so a half-made database never
// appears under FILE.

#include "Exceptions.h"
#include "StoreDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

#include <cstdio>
#include <cerrno>
#include <cstring>
#include <exception>
#include <stdexcept>

#include <unistd.h>

namespace {

const char *const usage = "usage: qulmkdemo FILE [--force]\n"
                          "Creates a SQLite demo store database at FILE.\n"
                          "  --force  replace FILE when it exists\n";

void printErr(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("qulmkdemo: ") + text + QLatin1Char('\n')), stderr);
}

void removeFiles(const QString &path)
{
    // SQLite may leave a rollback journal beside a database it failed to finish.
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

void buildDatabase(const QString &path)
{
    const QString connName = QStringLiteral("qulmkdemo");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName);
        if (!db.isValid())
            throw EDatabaseError(QStringLiteral("the Qt SQLite driver (QSQLITE) is not available"));
        db.setDatabaseName(path);
        if (!db.open())
            throw EDatabaseError(
                QStringLiteral("cannot create %1: %2").arg(path, db.lastError().text()));
        try {
            StoreDb::createSchema(db, StoreDb::Engine::SQLite);
            StoreDb::loadDemoData(db, StoreDb::Engine::SQLite);
        } catch (...) {
            db.close();
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connName);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    QString target;
    bool force = false;
    const QStringList args = app.arguments().mid(1);
    for (const QString &a : args) {
        if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            printErr(QStringLiteral("unknown option %1").arg(a));
            std::fputs(usage, stderr);
            return 1;
        } else if (target.isEmpty()) {
            target = a;
        } else {
            printErr(QStringLiteral("more than one FILE given"));
            std::fputs(usage, stderr);
            return 1;
        }
    }
    if (target.isEmpty()) {
        std::fputs(usage, stderr);
        return 1;
    }

    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) {
        if (info.isDir()) {
            printErr(QStringLiteral("%1 is a directory").arg(target));
            return 1;
        }
        if (!force) {
            printErr(QStringLiteral("%1 already exists; use --force to replace it").arg(target));
            return 1;
        }
    }
    const QDir dir = info.absoluteDir();
    if (!dir.exists()) {
        printErr(QStringLiteral("directory %1 does not exist").arg(dir.path()));
        return 1;
    }

    const QString finalPath = info.absoluteFilePath();
    const QString tempPath = dir.filePath(QStringLiteral(".%1.%2.part")
                                              .arg(info.fileName())
                                              .arg(QCoreApplication::applicationPid()));
    removeFiles(tempPath);
    try {
        buildDatabase(tempPath);
    } catch (const std::exception &e) {
        removeFiles(tempPath);
        printErr(QStringLiteral("cannot build the demo database %1: %2")
                     .arg(target, QString::fromUtf8(e.what())));
        return 1;
    }

    // rename(2) replaces an existing FILE atomically.
    if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(finalPath).constData()) != 0) {
        const int err = errno;
        removeFiles(tempPath);
        printErr(QStringLiteral("cannot move the demo database into place at %1: %2")
                     .arg(target, QString::fromLocal8Bit(std::strerror(err))));
        return 1;
    }
    std::fprintf(stdout, "qulmkdemo: demo store database written to %s\n", qPrintable(finalPath));
    return 0;
}
