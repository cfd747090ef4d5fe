#pragma once
// Reading one value from an INI configuration file (qul.ini), strictly:
// a file that exists but cannot be read, is not UTF-8 text or breaks the
// format is reported, naming the file, instead of being taken for absent.
//
// Format: "[Section]" lines, "Key=Value" lines, blank lines and comments
// (lines that begin with ';' or '#'). Section and key names ignore letter
// case and surrounding blanks. A value is everything after the first '='
// up to the end of the line, trimmed: ';', '=' and quotes inside it are
// data (connection strings are full of them), so there are no comments at
// the end of a line. A value that begins with a quote (" or ') must end
// with the same quote, and that outer pair is taken off; nothing inside
// it is changed.

#include "Exceptions.h"

#include <QString>

// A configuration that cannot be used: a file that exists but cannot be
// read or gives no value, or no configuration at all. The message names
// the file (and the line) and never repeats a value from it.
class EConfigError : public Exception {
public:
    using Exception::Exception;
};

// The value of `key` in `section` of the INI file `path`. Empty when the
// file does not exist, the section or the key is missing, or the value is
// empty. Raises EConfigError when the file cannot be read (not a regular
// file, no permission, larger than 1 MiB), is not UTF-8 text, has a line
// that is neither a section, a key=value pair nor a comment, an unclosed
// quote in the value asked for, or gives the key twice in the section.
QString readIniValue(const QString &path, const QString &section, const QString &key);

// The same look-up, telling apart the three ways of giving no value: no
// file, no key (an empty file, a commented-out line), an empty value.
struct IniLookup {
    bool fileExists = false;
    bool keyFound = false;
    int line = 0;  // the key's line, when found
    QString value;
};
IniLookup lookUpIniValue(const QString &path, const QString &section, const QString &key);
