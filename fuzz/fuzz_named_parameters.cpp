// The rewriting of ":NAME" parameters into "?". Property: it changes
// nothing but the parameters: walking the statement and its rewriting side
// by side, every difference is one ":NAME" of the list, in order, turned
// into one "?"; and every name is a name.

#include "FuzzCheck.h"
#include "NamedParameters.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString sql = QString::fromUtf8(fuzzBytes(data, size));
    const TParsedSql p = parseNamedParameters(sql);
    qsizetype i = 0, j = 0;
    int k = 0;
    while (i < sql.size() && j < p.text.size()) {
        if (p.text[j] == QLatin1Char('?') && sql[i] == QLatin1Char(':')) {
            QUL_FUZZ_CHECK(k < p.occurrences.size(), "a '?' for every listed name");
            const QString &name = p.occurrences[k++];
            QUL_FUZZ_CHECK(!name.isEmpty() && (name[0].isLetter() || name[0] == QLatin1Char('_')), "a name starts as a name");
            QUL_FUZZ_CHECK(QStringView(sql).mid(i + 1, name.size()) == name, "the name as written");
            i += 1 + name.size();
            ++j;
            continue;
        }
        QUL_FUZZ_CHECK(sql[i] == p.text[j], "text outside the parameters is kept");
        ++i;
        ++j;
    }
    QUL_FUZZ_CHECK(i == sql.size() && j == p.text.size(), "both texts end together");
    QUL_FUZZ_CHECK(k == p.occurrences.size(), "no name without its '?'");
    return 0;
}
