#pragma once
// The log of failures: a connection refused or lost, a statement that ran
// out of time, a save the database refused or undid, a screen that could
// not open. One line each, at warning level under Qt's logging category
// "qul00002", naming the terminal (this machine's host name) so that a
// line read in a central log says where it happened.
//
// Where the line goes is the host's business: qulhost and qulsvc install a
// message handler that sends the category to syslog (the journal reads it
// through /dev/log) and keeps writing it on stderr; a store's own host gets
// it through its own handler, or on stderr from Qt's default one. The
// module itself never installs a handler: the process is its host's.
//
// A line never holds a connection string or a password: its texts are the
// messages the failures raise, which are built without them.

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcQulFalhas)

// Logs that `onde` failed with `texto` (its lines joined into one).
void registraFalha(const QString &onde, const QString &texto);
