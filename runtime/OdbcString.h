#pragma once
// ODBC connection strings as Qt's ODBC driver must be given them.

#include <QList>
#include <QPair>
#include <QString>

// An attribute value as an ODBC connection string needs it: as it is when
// plain or already in braces; in braces, with '}' doubled, when it holds
// ';', a brace or surrounding spaces.
QString odbcValue(const QString &value);

// The database name to hand to Qt's ODBC driver so that the string it
// passes to the driver manager is `pairs` (user and password excluded),
// exactly. Raises EADOError when the pairs name no data source, no driver
// and no file DSN, or cannot reach the driver manager unchanged.
QString qtOdbcDatabaseName(const QList<QPair<QString, QString>> &pairs);
