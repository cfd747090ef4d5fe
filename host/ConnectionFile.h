#pragma once
// The connection string read from a file (--connection-file), so that a
// password never stands on the command line, where every local user sees
// it (ps, /proc/PID/cmdline) for as long as the program runs.

#include <QString>

namespace ConnectionFile {

// The first non-empty line of `path`, without the spaces and the line end
// ("\r\n" or "\n") around it. Refused, with a message in `error` that names
// the file and never quotes it, when the file cannot be opened or read, is
// not a regular file or a pipe, can be read by others than its owner and
// group, is larger than 1 MiB, is not UTF-8 text, or has no non-empty line.
bool read(const QString &path, QString *connection, QString *error);

}  // namespace ConnectionFile
