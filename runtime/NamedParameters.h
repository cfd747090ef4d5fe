#pragma once
// Named statement parameters (":NAME") turned into positional ones ("?"),
// so that every occurrence of a name takes the value set for it.

#include <QString>
#include <QStringList>

struct TParsedSql {
    QString text;            // with '?' in place of every :NAME
    QStringList occurrences; // names in order of occurrence
};
// Left as they stand: literals ('...', E'...' with backslash escapes),
// quoted names ("..." and [...], which also covers array slices a[1:n]),
// dollar-quoted bodies ($$...$$, $tag$...$tag$), "--" and "/* */" comments
// and "::" casts.
TParsedSql parseNamedParameters(const QString &sql);
