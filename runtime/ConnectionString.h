#pragma once
// ADO-style connection strings: "Key=Value;Key2=Value2". Keys are
// case-insensitive and trimmed; a value may be quoted with " or ' and then
// holds ';' and '=' freely (a doubled quote inside stands for one quote).

#include <QList>
#include <QPair>
#include <QString>

class TConnectionString {
public:
    // Raises EADOError on a malformed string (unterminated quote, a pair
    // without '=', an empty key). The message never repeats a value.
    static TConnectionString parse(const QString &text);

    QString value(const QString &key, const QString &fallback = QString()) const;
    bool contains(const QString &key) const;
    const QList<QPair<QString, QString>> &pairs() const { return m_pairs; }

    // The string again, every value quoted where needed.
    QString toString() const;
    // The string with the password replaced, for messages.
    QString redacted() const;

private:
    QList<QPair<QString, QString>> m_pairs;  // keys as written, last one wins on lookup
};

bool isPasswordKey(const QString &key);
