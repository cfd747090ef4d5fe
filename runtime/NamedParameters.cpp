#include "NamedParameters.h"

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// End of a quoted run that starts at `i` with the quote `q` ('' inside is a
// quote; with `backslash`, \x is an escaped character). An unterminated run
// ends with the text.
qsizetype quotedEnd(const QString &sql, qsizetype i, QChar q, bool backslash)
{
    const qsizetype n = sql.size();
    ++i;
    while (i < n) {
        if (backslash && sql[i] == QLatin1Char('\\')) {
            i += 2;
            continue;
        }
        if (sql[i] == q) {
            if (i + 1 < n && sql[i + 1] == q) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;
}

// The tag "$tag$" of a dollar-quoted string that starts at `i`, or an empty
// view when `i` starts none ("$1" is a positional parameter, not a tag).
QStringView dollarTag(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    qsizetype j = i + 1;
    if (j < n && sql[j].isDigit())
        return {};
    while (j < n && isNameChar(sql[j]))
        ++j;
    if (j >= n || sql[j] != QLatin1Char('$'))
        return {};
    return QStringView(sql).mid(i, j + 1 - i);
}

// End of the run of text starting at `i` in which ":NAME" is no parameter
// (a literal, a quoted name, a comment, a dollar-quoted body, an array
// subscript or slice), or `i` when none starts there.
qsizetype skippedEnd(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    const QChar c = sql[i];
    const QChar next = i + 1 < n ? sql[i + 1] : QChar();
    const bool afterName = i > 0 && (isNameChar(sql[i - 1]) || sql[i - 1] == QLatin1Char('$'));
    if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
        return quotedEnd(sql, i, c, false);
    if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && next == QLatin1Char('\'') && !afterName)
        return quotedEnd(sql, i + 1, next, true);
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const qsizetype nl = sql.indexOf(QLatin1Char('\n'), i);
        return nl < 0 ? n : nl;
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? n : end + 2;
    }
    if (c == QLatin1Char('$') && !afterName) {
        const QStringView tag = dollarTag(sql, i);
        if (tag.isEmpty())
            return i;
        const qsizetype end = QStringView(sql).indexOf(tag, i + tag.size());
        return end < 0 ? n : end + tag.size();
    }
    if (c == QLatin1Char('[')) {
        // a[1:n], a[lo:hi]: the colon of a slice; SQL Server's [quoted name].
        const qsizetype end = sql.indexOf(QLatin1Char(']'), i + 1);
        return end < 0 ? n : end + 1;
    }
    return i;
}

}  // namespace

TParsedSql parseNamedParameters(const QString &sql)
{
    TParsedSql out;
    out.text.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const qsizetype skip = skippedEnd(sql, i);
        if (skip > i) {
            out.text.append(QStringView(sql).mid(i, skip - i));
            i = skip;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            out.text.append(QStringLiteral("::"));
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            out.occurrences.append(sql.mid(i + 1, j - i - 1));
            out.text.append(QLatin1Char('?'));
            i = j;
        } else {
            out.text.append(c);
            ++i;
        }
    }
    return out;
}
