#pragma once
// The data packet: the content of a dataset (field definitions followed by
// rows) carried in one value. It travels inside a QVariant between the
// services and their callers, is saved to files (the colour file) and has a
// JSON form for tools and tests.

#include "QulCoreExport.h"
#include "Exceptions.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class TColumnStore;

enum class TFieldType : quint8 {
    ftString = 1,
    ftFloat = 2,
    ftInteger = 3,
    ftDateTime = 4,
    ftBoolean = 5,
};

QString fieldTypeName(TFieldType t);
QUL_CORE_EXPORT bool fieldTypeFromName(const QString &name, TFieldType *out);

struct TFieldDef {
    QString name;
    TFieldType type = TFieldType::ftString;
    int size = 0;  // characters, for ftString only

    bool operator==(const TFieldDef &o) const
    {
        return name == o.name && type == o.type && size == o.size;
    }
};

// Raised when a packet cannot be decoded or does not fit the dataset that
// receives it.
class QUL_CORE_EXPORT EPacketError : public Exception {
public:
    using Exception::Exception;
};

class QUL_CORE_EXPORT TDataPacket {
public:
    QList<TFieldDef> fields;
    QList<QVariantList> rows;  // one value per field; an invalid QVariant is null
    // A packet made for a dataset to take whole (takeDataPacket, then
    // TDataSet::SetData) may hold its rows here instead, by column, with
    // `rows` empty. The store is not changed once in a packet; copies share
    // it. toDataPacket and every form below see such a packet as rows.
    std::shared_ptr<TColumnStore> columns;
    TDataPacket withRows() const;  // the same packet with its rows in `rows`

    static constexpr quint32 MaxFieldSize = 1u << 20;  // widest text field either form accepts
    // Integers both forms carry exactly: a JSON number holds 53 bits.
    static constexpr qint64 MaxExactInteger = Q_INT64_C(1) << 53;

    int fieldIndex(const QString &name) const;  // ignores letter case; -1 when absent
    bool operator==(const TDataPacket &o) const;

    // Binary form: "QULP", version, field definitions, rows with nulls. The
    // decoder checks every length, count and type before using it.
    QByteArray encode() const;
    static TDataPacket decode(const QByteArray &bytes);

    // JSON form: {"fields": [{"name", "type", "size"}], "rows": [[...]]}.
    QJsonObject toJson() const;
    static TDataPacket fromJson(const QJsonObject &obj);
    // The same as compact text, the bytes QJsonDocument(toJson()) writes,
    // made straight from the rows (no JSON objects in between); the second
    // form hands the text to `write` piece by piece as it is made.
    QByteArray toJsonText() const;
    void writeJsonText(const std::function<void(const char *bytes, qsizetype size)> &write) const;

    // A value converted to the field type's canonical QVariant (QString,
    // double, qint64, QDateTime, bool) or an invalid QVariant for null.
    // Throws EPacketError when the value cannot be converted.
    static QVariant coerce(const QVariant &v, TFieldType type);
    // Whether `v` is null or already the canonical value coerce() makes for
    // `type` (so coerce would give it back unchanged).
    static bool isCoerced(const QVariant &v, TFieldType type);
};

// The packet's JSON text (the bytes writeJsonText makes) written as rows
// come, one at a time, so that no list is held: the fields when made, each
// row by row(), the end by finish(). The text reaches `write` in pieces of
// about 64 KiB.
class TPacketJsonWriter {
public:
    using Write = std::function<void(const char *bytes, qsizetype size)>;
    TPacketJsonWriter(const QList<TFieldDef> &fields, Write write);
    void row(const QVariantList &row);
    void finish();

private:
    void flush();

    QList<TFieldDef> m_fields;
    Write m_write;
    QByteArray m_out;
    qint64 m_rows = 0;
};

Q_DECLARE_METATYPE(TDataPacket)

// Registers the packet's variant type under its fixed name "TDataPacket";
// every binary that puts packets into variants calls it before use (the
// module and its hosts agree on the type through that name).
QUL_CORE_EXPORT void registerDataPacketType();

// True when the variant holds a data packet.
QUL_CORE_EXPORT bool isDataPacket(const QVariant &v);
QUL_CORE_EXPORT TDataPacket toDataPacket(const QVariant &v);  // throws EPacketError when it is not one
// The packet moved out of the variant, which is left empty: the packet's
// rows are then held by the caller alone. Its rows may be by column.
QUL_CORE_EXPORT TDataPacket takeDataPacket(QVariant &v);
QUL_CORE_EXPORT QVariant fromDataPacket(const TDataPacket &p);

// False when the text holds a NUL character or half of a surrogate pair:
// text that no database stores as sent. The packet readers refuse it.
bool isStorableText(QStringView s);

// Date-time text as the runtime writes and reads it: "YYYY-MM-DD HH:MM:SS".
QString dateTimeToText(const QDateTime &dt);
QDateTime dateTimeFromText(const QString &s);  // invalid when the text is not a date-time
