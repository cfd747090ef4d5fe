#include "SqliteFunctions.h"

#include <QString>

#include <charconv>

namespace {

// A plain number in ASCII: [+-]digits[.digits][e[+-]digits] (digits on at
// least one side of the point). Integers that fit 64 bits come back as
// such, everything else as a double; false when the text is no number.
bool asciiNumber(const char *b, const char *e, sqlite3_int64 *integer, double *real, bool *isInteger)
{
    const char *p = b;
    if (p < e && (*p == '+' || *p == '-'))
        ++p;
    const char *intStart = p;
    while (p < e && *p >= '0' && *p <= '9')
        ++p;
    const bool intDigits = p > intStart;
    bool fraction = false;
    if (p < e && *p == '.') {
        fraction = true;
        const char *f = ++p;
        while (p < e && *p >= '0' && *p <= '9')
            ++p;
        if (!intDigits && p == f)
            return false;
    } else if (!intDigits) {
        return false;
    }
    bool exponent = false;
    if (p < e && (*p == 'e' || *p == 'E')) {
        exponent = true;
        ++p;
        if (p < e && (*p == '+' || *p == '-'))
            ++p;
        const char *x = p;
        while (p < e && *p >= '0' && *p <= '9')
            ++p;
        if (p == x)
            return false;
    }
    if (p != e)
        return false;
    // from_chars takes no leading '+'.
    const char *n = *b == '+' ? b + 1 : b;
    if (!fraction && !exponent) {
        const auto r = std::from_chars(n, e, *integer);
        if (r.ec == std::errc() && r.ptr == e) {
            *isInteger = true;
            return true;
        }
    }
    const auto r = std::from_chars(n, e, *real);
    *isInteger = false;
    return r.ptr == e && (r.ec == std::errc() || r.ec == std::errc::result_out_of_range);
}

}  // namespace

// It runs once per row of an ordered product list, so ASCII texts are read
// in place.
void sqliteToNumber(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    }
    if (t == SQLITE_FLOAT) {
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        return;
    }
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    const char *b = text, *e = text + bytes;
    bool ascii = true;
    for (const char *p = b; p < e && ascii; ++p)
        ascii = static_cast<unsigned char>(*p) < 0x80;
    if (ascii) {
        const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        while (b < e && space(*b))
            ++b;
        while (e > b && space(e[-1]))
            --e;
        sqlite3_int64 n = 0;
        double d = 0;
        bool isInteger = false;
        if (asciiNumber(b, e, &n, &d, &isInteger)) {
            if (isInteger)
                sqlite3_result_int64(ctx, n);
            else
                sqlite3_result_double(ctx, d);
            return;
        }
    }
    const QString s = QString::fromUtf8(text, bytes).trimmed();
    if (!ascii) {
        // Other blanks than ASCII ones around the number.
        const QByteArray latin = s.toLatin1();
        sqlite3_int64 n = 0;
        double d = 0;
        bool isInteger = false;
        if (QString::fromLatin1(latin) == s
            && asciiNumber(latin.constData(), latin.constData() + latin.size(), &n, &d, &isInteger)) {
            if (isInteger)
                sqlite3_result_int64(ctx, n);
            else
                sqlite3_result_double(ctx, d);
            return;
        }
    }
    const QByteArray msg = QStringLiteral("TO_NUMBER: número inválido '%1'").arg(s.left(40)).toUtf8();
    sqlite3_result_error(ctx, msg.constData(), int(msg.size()));
}

