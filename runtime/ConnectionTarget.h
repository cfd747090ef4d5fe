#pragma once
// Where an ADO-style connection string leads: the Qt driver, the SQL
// dialect and the options handed to the driver.

#include "Dialect.h"

#include <QString>

// Which Qt driver and dialect a connection string leads to, and the options
// handed to the driver (never shown: they may hold the password).
struct TConnectionTarget {
    QString driver;  // QSQLITE, QPSQL, QODBC, QOCI
    TDialect dialect = TDialect::Unknown;
    bool dialectFromServer = false;  // ODBC as given: asked after connecting
    // For QODBC the database name is the ODBC string without user and
    // password, in the form Qt's driver expects; user and password are the
    // plain values.
    QString databaseName, hostName, userName, password;
    int port = -1;
    // PostgreSQL: one port per host of a host list ("5432,5433"), handed
    // to libpq as it is (Qt's driver takes one number); empty otherwise.
    QString ports;
    // PostgreSQL: which of the listed servers a connection takes (libpq's
    // target_session_attrs: "read-write" after a failover finds the new
    // primary); empty for libpq's default.
    QString targetSessionAttrs;
    int connectTimeout = -1;  // seconds, 0 for no limit, -1 for the default
    QString applicationName;
    // Where the string leads, for messages: never holds the password.
    QString place;
};

// Raises EADOError for an unknown provider, missing or malformed keys, a
// data link file that cannot be read, or a Windows login. The message names
// the key or the part at fault and never quotes a password.
TConnectionTarget resolveConnectionString(const QString &connectionString);
