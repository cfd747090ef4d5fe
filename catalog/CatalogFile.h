#pragma once
// A catalogue file read row by row into texts, one value per product
// packet field: CSV or a spreadsheet (.xlsx, .ods: its first sheet) with
// a header row of field names (any order, letter case ignored), or the
// packet's JSON form. Only the row being read is
// held; the file can be read again from its first row (an import checks
// every row before it writes one). Numbers are written and read as
// Brazilian spreadsheets do (decimal comma, no thousands separator).

#include "CatalogFormat.h"
#include "CsvText.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>

// The locale numbers are written and read in (Portuguese, Brazil).
const QLocale &localCatalogo();
// A number as the export writes it: decimal comma, no thousands separator,
// the fewest digits that read back as the same number.
QString textoNumero(double v);

struct TFieldDef;

// Whether the packet field `nome` holds a code (CDPRODUTO, CDARVPROD,
// CDPRODINTE, CDBARPRODUTO, CDIMPOSTO): text with its leading zeros, which
// a spreadsheet must keep as text.
bool campoCodigo(const QString &nome);

// A value written as the export writes it in CSV, `campo` its column: a
// code always quoted (a spreadsheet then reads it as text, keeping its
// leading zeros), a text a spreadsheet would take for a formula behind a
// "'" (which reading a CSV row takes off again).
QString campoCatalogo(const TFieldDef &campo, const QString &texto);

// What a value refused as "Valor digitado é inválido." should say more
// when it is a number written with a point ("15.9"); else empty.
QString dicaNumero(const QString &valor);

struct TLinhaCatalogo {
    int linha = 0;         // where the row starts in the file (JSON: its place in "rows", from 1; a sheet: its row)
    QStringList valores;   // by field of productPacketFields(); absent columns empty
    quint32 colunas = ~0u; // bit i: the file has a column for field i
    QString recusa;        // refused as it was read ("linha N: ..."): `valores` its fields as they came
};

// A catalogue's rows, one at a time. A file that cannot be read as a
// whole (not UTF-8, a quote never closed, a truncated JSON packet, ...)
// raises Exception with its line, whichever row it is at.
class TFonteCatalogo {
public:
    virtual ~TFonteCatalogo() = default;
    // Back before the first row.
    virtual void reinicia() = 0;
    // The next row into `l`; false after the last.
    virtual bool proxima(TLinhaCatalogo &l) = 0;
    // The packet fields the file's columns hold, in the file's order.
    virtual QList<int> colunas() const;
    // How far the reading has gone, of how far it goes: the file's bytes
    // (a spreadsheet's, where its zip reader stands), rows of rows held in
    // memory; 0 of 0 when not known.
    virtual qint64 lidos() const { return 0; }
    virtual qint64 tamanho() const { return 0; }
};

// Rows held in memory (tools and tests that build them).
struct TArquivoCatalogo : TFonteCatalogo {
    QList<TLinhaCatalogo> linhas;
    void reinicia() override { m_proxima = 0; }
    bool proxima(TLinhaCatalogo &l) override
    {
        if (m_proxima >= linhas.size())
            return false;
        l = linhas.at(m_proxima++);
        return true;
    }
    qint64 lidos() const override { return m_proxima; }
    qint64 tamanho() const override { return linhas.size(); }

private:
    qsizetype m_proxima = 0;
};

// Opens `caminho` ("-": standard input, first copied whole to a temporary
// file, as is a named pipe, so that it can be read twice) and reads its
// header. `formato`: what the file must be (none: what its bytes and name
// say, reconheceFormato). Raises Exception when it cannot be opened or its
// header read.
std::unique_ptr<TFonteCatalogo> abreCatalogo(const QString &caminho, std::optional<TFormatoCatalogo> formato,
                                             TCodificacao codificacao);
