#pragma once
// The rows of a dataset kept by column, each column in its field's own
// type: the texts of a column in one character buffer, numbers and dates
// as plain numbers, and one state byte per value (null, value, or the
// empty forms a QVariant can hold: a null QString, an invalid QDateTime).
// Values go in and come out as the field type's canonical QVariant.

#include "DataPacket.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

class TColumnStore {
public:
    // Empties the store and gives it one column per definition.
    void reset(const QList<TFieldDef> &defs);
    void clear();  // no rows; the columns stay
    void reserve(qsizetype rows);
    void squeeze();

    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_cols.size()); }

    // Values must be canonical for the column's type (TDataPacket::coerce),
    // or null; anything else is converted first.
    void appendRow(const QVector<QVariant> &row);
    void insertRow(int at, const QVector<QVariant> &row);
    void setRow(int at, const QVector<QVariant> &row);
    void removeRow(int at);

    // A row built value by value at the end: one append per column, in
    // order, then endRow(). A text appended from UTF-8 keeps at most
    // `maxChars` characters (0: all).
    void appendValue(int col, const QVariant &v);
    void appendUtf8(int col, QByteArrayView utf8, int maxChars);
    void endRow() { ++m_rows; }
    void setValue(int row, int col, const QVariant &v);

    QVariant value(int row, int col) const;
    QVector<QVariant> row(int row) const;
    bool isNull(int row, int col) const { return m_cols[size_t(col)].state[size_t(row)] == Null; }
    // Text of a value of a text column (empty for null).
    QStringView text(int row, int col) const;
    // The length of a text column's longest text.
    qsizetype longestText(int col) const;
    TFieldType type(int col) const { return m_cols[size_t(col)].type; }

    // Order of two rows' values in a column (nulls first), and of a row's
    // value against a canonical value.
    int compare(int a, int b, int col) const;
    int compareTo(int row, int col, const QVariant &v) const;

private:
    enum State : quint8 { Null = 0, Value = 1, Empty = 2 };
    struct Column {
        TFieldType type = TFieldType::ftString;
        std::vector<quint8> state;
        std::vector<double> f;    // ftFloat
        std::vector<qint64> n;    // ftInteger; ftDateTime: julian day
        std::vector<qint32> ms;   // ftDateTime: milliseconds of the day
        std::vector<quint8> b;    // ftBoolean
        QString chars;            // ftString: the texts one after the other
        std::vector<quint32> end; // ftString: where each row's text ends in chars
    };
    QVector<QVariant> canonical(const QVector<QVariant> &row) const;
    bool isCanonical(const QVector<QVariant> &row) const;
    void put(Column &c, size_t at, const QVariant &v, bool insert);
    void erase(Column &c, size_t at);
    quint32 begin(const Column &c, size_t at) const { return at == 0 ? 0 : c.end[at - 1]; }

    std::vector<Column> m_cols;
    int m_rows = 0;
};
