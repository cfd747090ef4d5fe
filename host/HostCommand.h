#pragma once
// What qulhost and qulsvc share on their command line: the options
// --connection, --connection-file, --help and --version, the text on where
// the connection string comes from, and the usage errors (exit status 2).

#include "ModuleLoader.h"

#include <QCommandLineParser>
#include <QString>

namespace HostCommand {

inline constexpr int kExitOk = 0;
inline constexpr int kExitModule = 1;  // module, connection or screen could not be opened
inline constexpr int kExitUsage = 2;

// Adds --connection, --connection-file, --help and --version;
// `description` heads --help.
void setUp(QCommandLineParser &parser, const QString &description);
// The connection string the host sets itself: the value of --connection or
// the first non-empty line of --connection-file; empty when neither is
// given. Returns -1 when the program goes on; otherwise the exit status (2)
// after both options were given or the file was refused (said on stderr).
int connection(const QCommandLineParser &parser, const char *program, QString *connection);

// Parses the arguments. Returns -1 when the program goes on; otherwise
// the exit status after --help, --version or a usage error (the error and
// the usage are written to stderr). --version reads the version of the
// part `part` of the module.
int parse(QCommandLineParser &parser, const QStringList &arguments, const char *program,
          ModuleLoader::Part part = ModuleLoader::Part::Screen);
// Exit status 2 after a usage error found later (wrong arguments).
int usageError(const QCommandLineParser &parser, const QString &message, const char *program);

// The version the loaded module gives in its description.
QString moduleVersion(ModuleLoader &module);

void printError(const char *program, const QString &message);

}  // namespace HostCommand
