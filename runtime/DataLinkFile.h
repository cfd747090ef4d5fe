#pragma once
// Microsoft Data Link files (.udl): the connection string that ADO reads
// when a string names one with "File Name=".

#include <QString>

// The connection string held by the data link file at `path`: UTF-16 text
// with a byte order mark (as Windows writes it) or UTF-8, a "[oledb]" line,
// comment lines starting with ';', then the string. Raises EADOError naming
// the file when it is missing, unreadable or not a data link; the message
// never quotes the file's contents.
QString readDataLinkFile(const QString &path);
