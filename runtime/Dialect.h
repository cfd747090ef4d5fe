#pragma once
// The SQL dialects a connection may speak, in one table with the key each
// goes by in stored designs: a text of a statement for one dialect is
// declared under "sql_" followed by the dialect's key.

enum class TDialect { Unknown, Oracle, SQLServer, SQLite, PostgreSQL };

struct TDialectKey {
    TDialect dialect;
    const char *key;
};

// Every dialect but Unknown.
inline constexpr TDialectKey kDialects[] = {
    {TDialect::Oracle, "oracle"},
    {TDialect::SQLServer, "mssql"},
    {TDialect::SQLite, "sqlite"},
    {TDialect::PostgreSQL, "postgresql"},
};
