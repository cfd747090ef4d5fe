#include "Cp1252.h"

namespace {

// Code page 1252 bytes 0x80..0x9F.
const char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

}  // namespace

QChar cp1252ToUnicode(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0)
        return QChar(kCp1252High[b - 0x80]);
    return QChar(char16_t(b));
}

char unicodeToCp1252(QChar c, bool *ok)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        if (ok)
            *ok = true;
        return char(static_cast<unsigned char>(u));
    }
    if (u != 0xFFFD) {
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == u) {
                if (ok)
                    *ok = true;
                return char(static_cast<unsigned char>(0x80 + i));
            }
        }
    }
    if (ok)
        *ok = false;
    return '?';
}

QString cp1252ToString(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char b : bytes)
        s.append(cp1252ToUnicode(b));
    return s;
}

QByteArray stringToCp1252(const QString &s)
{
    QByteArray out;
    out.reserve(s.size());
    for (QChar ch : s)
        out.append(unicodeToCp1252(ch));
    return out;
}
