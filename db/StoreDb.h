#pragma once

// The store database as the product registration module sees it: the
// tables its statements use and a demo store to fill them. The module
// itself never creates tables; this is for the demo program and the tests.

#include <QSqlDatabase>

namespace StoreDb {

enum class Engine { SQLite, PostgreSQL };

// Run the engine's schema script on an open database; throws
// EDatabaseError naming the failing statement and the driver's error.
void createSchema(QSqlDatabase db, Engine engine);

// Insert the demo store's rows.
void loadDemoData(QSqlDatabase db, Engine engine);

// Drop every table of the schema when present (tests reuse databases).
void dropSchema(QSqlDatabase db, Engine engine);

} // namespace StoreDb
