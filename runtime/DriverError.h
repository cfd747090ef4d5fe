#pragma once
// What a driver's failure means to the person at the screen: the engines'
// codes for a lost connection, a busy store, a full disk, a read-only
// store and a statement that ran out of time, each with a sentence that
// says what happened and what to do. The driver's own text follows it.

#include <QSqlError>
#include <QString>

enum class TDriverFault {
    Other,
    ConnectionLost,  // the server or the network went away
    Busy,            // another session holds what the statement needs
    DiskFull,
    ReadOnly,
    TimedOut,        // the statement's time limit ran out
};

// The kind of `err` reported by Qt driver `driver` ("QSQLITE", "QPSQL",
// "QODBC"). `connectionBad` says the engine's handle has lost its server.
TDriverFault classifyDriverError(const QString &driver, const QSqlError &err, bool connectionBad);

// The driver's own text of `err`, without Qt's decorations.
QString driverErrorText(const QSqlError &err);

// The sentence put before the driver's text; empty for Other.
QString driverFaultSentence(TDriverFault fault, const QString &driver);
