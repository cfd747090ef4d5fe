#pragma once
// SQL functions the server engines have and SQLite lacks, added to each
// SQLite connection.

#include <sqlite3.h>

// TO_NUMBER(text): the numeric value of a text, or an error that ends the
// statement when the text is not a number (as the server engines do).
void sqliteToNumber(sqlite3_context *ctx, int argc, sqlite3_value **argv);
