#pragma once
// The few ODBC calls that Qt's ODBC driver does not make for us, on the
// handles it hands out. They reach the ODBC library the driver already
// loaded; without it they do nothing.

// Sets a statement's own time limit (SQL_ATTR_QUERY_TIMEOUT), 0 for none.
void odbcSetQueryTimeout(void *statementHandle, int seconds);

// Whether the driver says the connection is gone (SQL_ATTR_CONNECTION_DEAD).
bool odbcConnectionDead(void *connectionHandle);

// The SQLSTATE of a statement's first diagnostic record (empty when none):
// what Qt's driver leaves on the handle after a failure.
char *odbcStatementState(void *statementHandle, char (&state)[6]);
