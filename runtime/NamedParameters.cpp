#include "NamedParameters.h"

TParsedSql parseNamedParameters(const QString &sql)
{
    TParsedSql out;
    out.text.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    const auto isNameStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    const auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal or quoted name, copied as it stands ('' inside is a quote).
            const qsizetype start = i++;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.text.append(QStringView(sql).mid(start, i - start));
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            const qsizetype start = i;
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            out.text.append(QStringView(sql).mid(start, i - start));
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
