#pragma once
// A query run on SQLite's own interface, for reading large results: values
// are taken from the engine's rows as they stand (UTF-8 text converted once,
// straight into the QString the dataset keeps) instead of through the Qt
// driver's per-row copies. Short texts that repeat within a column (units,
// flags, tax codes) share one QString.

#include <QString>
#include <QVariant>
#include <array>

struct sqlite3;
struct sqlite3_stmt;

class TSqliteStatement {
public:
    // Prepares `sql` (positional '?' markers) for repeated runs; raises
    // EADOError with the engine's message when it does not prepare.
    TSqliteStatement(sqlite3 *db, const QString &sql);
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement &) = delete;
    TSqliteStatement &operator=(const TSqliteStatement &) = delete;

    // Binds the value of marker `index` (0-based): null, text, numbers,
    // booleans, byte arrays; anything else as its text.
    void bind(int index, const QVariant &value);
    // Moves to the next row: true when there is one, false at the end;
    // raises EADOError with the engine's message on failure.
    bool step();
    // Ends the run (the engine lets go of what it read); bindings stay.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;

    // Recent short texts of one column, shared by the rows that repeat them.
    // A column whose texts hardly repeat (codes, names) stops being looked
    // up after a while.
    struct TextCache {
        std::array<QString, 4> recent;
        int used = 0, next = 0;
        int looked = 0, found = 0;
    };
    // The value of a column of the current row: an invalid QVariant for
    // null, qlonglong, double, QString or QByteArray.
    QVariant value(int column, TextCache *cache = nullptr) const;
    // The UTF-8 bytes of a text value of the current row, or a null view
    // when the value is not a text.
    QByteArrayView text(int column) const;

private:
    [[noreturn]] void fail(int rc) const;
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};
