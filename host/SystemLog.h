#pragma once
// The log of qulhost and qulsvc: the lines of the module's logging
// category (QUL_LOG_CATEGORY, its failures) and the programs' own warnings
// go to syslog(3) under the program's name, which the system journal reads
// through /dev/log (journalctl -t qulhost, /var/log/syslog where rsyslog
// runs), and to stderr as before, there with the time in front. Every
// other line is left to the handler that was there.

#include <QByteArray>
#include <QString>
#include <functional>

namespace SystemLog {

// Where a line goes besides stderr: syslog(3) unless a test says otherwise.
using Sink = std::function<void(int priority, const QByteArray &line)>;

// Installs the message handler for program `ident` (kept for the process's life).
void install(const char *ident, Sink sink = {});

// A warning of the program itself, one line naming the terminal as the
// module's lines do.
void warning(const QString &text);

}  // namespace SystemLog
