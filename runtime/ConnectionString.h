#pragma once
// ADO-style connection strings: "Key=Value;Key2=Value2". Keys are
// case-insensitive and trimmed; a value may be quoted with " or ' and then
// holds ';' and '=' freely (a doubled quote inside stands for one quote).
// A value in braces, as ODBC writes them ("Driver={PostgreSQL Unicode}",
// "PWD={a;b}"), runs to its closing brace ("}}" inside stands for one '}')
// and is kept with its braces, so it reaches an ODBC driver as written.

#include <QList>
#include <QPair>
#include <QString>

class TConnectionString {
public:
    // ADO: quotes and braces; ODBC: braces only (a quote is an ordinary
    // character there), for the ODBC string inside "Extended Properties".
    enum class Syntax { ADO, ODBC };

    // Raises EADOError on a malformed string (unterminated quote or brace, a
    // pair without '=', an empty key). The message names the item and its
    // key, and `where` (the key that held the string) when given; it never
    // repeats a value.
    static TConnectionString parse(const QString &text, Syntax syntax = Syntax::ADO, const QString &where = QString());

    QString value(const QString &key, const QString &fallback = QString()) const;
    bool contains(const QString &key) const;
    const QList<QPair<QString, QString>> &pairs() const { return m_pairs; }
    // Replaces every pair of the key by one at the place of the first, or
    // adds it at the end.
    void set(const QString &key, const QString &value);
    void remove(const QString &key);

    // The string again, every value quoted where needed.
    QString toString() const;
    // The string with the password replaced, for messages.
    QString redacted() const;

    // A value without the braces it was written in ("{a}}b}" -> "a}b"); any
    // other value as it is.
    static QString unbraced(const QString &value);

private:
    QList<QPair<QString, QString>> m_pairs;  // keys as written, last one wins on lookup
};

bool isPasswordKey(const QString &key);
