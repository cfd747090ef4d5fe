#pragma once
// Named statement parameters (":NAME") turned into positional ones ("?"),
// so that every occurrence of a name takes the value set for it.

#include <QString>
#include <QStringList>

struct TParsedSql {
    QString text;            // with '?' in place of every :NAME
    QStringList occurrences; // names in order of occurrence
};
// Literals, quoted names, "::" casts and "--" comments are left as they stand.
TParsedSql parseNamedParameters(const QString &sql);
