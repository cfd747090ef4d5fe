#pragma once
// Text in code page 1252, the character set of the screens' key handlers.

#include "QulCoreExport.h"
#include <QByteArray>
#include <QChar>
#include <QString>

// Code page 1252 conversions. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D are
// undefined and convert to U+FFFD; unicodeToCp1252 gives '?' and *ok false
// for a character the code page lacks.
QUL_CORE_EXPORT QChar cp1252ToUnicode(char c);
QUL_CORE_EXPORT char unicodeToCp1252(QChar c, bool *ok = nullptr);
QString cp1252ToString(const QByteArray &bytes);
QByteArray stringToCp1252(const QString &s);  // unknown characters become '?'
