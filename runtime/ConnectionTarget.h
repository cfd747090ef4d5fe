#pragma once
// Where an ADO-style connection string leads: the Qt driver, the SQL
// dialect and the options handed to the driver.

#include <QString>

enum class TDialect { Unknown, Oracle, SQLServer, SQLite, PostgreSQL };
QString dialectName(TDialect d);

// Which Qt driver and dialect a connection string leads to, and the options
// handed to the driver (never shown: they may hold the password).
struct TConnectionTarget {
    QString driver;  // QSQLITE, QPSQL, QODBC, QOCI
    TDialect dialect = TDialect::Unknown;
    bool dialectFromServer = false;  // ODBC as given: asked after connecting
    QString databaseName, hostName, userName, password, options;
    int port = -1;
};
// Raises EADOError for an unknown provider or missing keys.
TConnectionTarget resolveConnectionString(const QString &connectionString);
