#pragma once
// The kinds of file a catalogue is written to and read from, and which kind
// a file is: from its first bytes (a zip container holding a workbook, a
// JSON object, else text), its name where the bytes leave it open.

#include <QIODevice>
#include <QString>
#include <optional>

enum class TFormatoCatalogo { Csv, Json, Xlsx, Ods };

// "csv", "json", "xlsx" or "ods" (letter case ignored); false for another name.
bool formatoPorNome(const QString &nome, TFormatoCatalogo *out);
// The name formatoPorNome takes.
QString nomeFormato(TFormatoCatalogo formato);

// The format a file's name ends in ("precos.ods": Ods); none for another
// ending (and for "-").
std::optional<TFormatoCatalogo> formatoDaExtensao(const QString &caminho);

// What `dispositivo` (at its start, seekable; left at its start) holds, to
// be read as `pedido` when given (the --format option), else as its bytes
// and name say. Raises Exception, naming the file (`caminho`), when it is
// of another kind than asked, a zip that is no spreadsheet, an old Excel
// file, or a zip that cannot be read.
TFormatoCatalogo reconheceFormato(QIODevice &dispositivo, const QString &caminho,
                                  std::optional<TFormatoCatalogo> pedido);
