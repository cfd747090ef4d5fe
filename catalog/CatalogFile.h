#pragma once
// A catalogue file read into rows of texts, one value per product packet
// field: CSV with a header row of field names (any order, letter case
// ignored), or the packet's JSON form. Numbers are written and read as
// Brazilian spreadsheets do (decimal comma, no thousands separator).

#include "CsvText.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

enum class TFormatoCatalogo { Csv, Json };

// "csv" or "json" (letter case ignored); false for another name.
bool formatoPorNome(const QString &nome, TFormatoCatalogo *out);

// The locale numbers are written and read in (Portuguese, Brazil).
const QLocale &localCatalogo();
// A number as the export writes it: decimal comma, no thousands separator,
// the fewest digits that read back as the same number.
QString textoNumero(double v);

struct TLinhaCatalogo {
    int linha = 0;         // where the row starts in the file (JSON: its place in "rows", from 1)
    QStringList valores;   // by field of productPacketFields(); absent columns empty
};

struct TArquivoCatalogo {
    QList<TLinhaCatalogo> linhas;
    QStringList recusas;  // rows refused as they were read ("linha N: ...")
    QString erro;         // the file as a whole could not be read: nothing of it counts
};

// Reads `caminho` ("-": standard input).
TArquivoCatalogo leCatalogo(const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao);
