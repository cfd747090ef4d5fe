#pragma once
// The product list written as a spreadsheet (.xlsx, .ods) to a new file:
// a header row of the packet's field names, frozen; a code column's cells
// text, formatted as text so that what is typed there later stays text
// too (a spreadsheet makes "03" typed in a number cell the number 3); a
// number field's cells numbers; an empty value no cell.

#include "DataPacket.h"

#include <QXmlStreamWriter>
#include <quazip.h>
#include <quazipfile.h>

// The most products a sheet holds, under its header row.
constexpr qsizetype kMaxProdutosPlanilha = 1048575;

// Raises Exception on a value a sheet cannot hold or a write error.
void escreveXlsx(const TDataPacket &p, const QString &caminho);
void escreveOds(const TDataPacket &p, const QString &caminho);

// What both check and write: a text cell's text (a text that begins with
// "'" before a formula's character gains one more, which the import takes
// off again, as it does of CSV); raises on a character XML cannot hold.
QString textoCelula(const TDataPacket &p, qsizetype linha, qsizetype campo);
// Before a byte is written: a list too long for a sheet.
void verificaTamanho(const TDataPacket &p);
// A column's width in characters.
double larguraColuna(const TFieldDef &f);

// A zip package written entry by entry through QuaZip, each entry a device
// its XML is streamed into; raises Exception, naming the file, on a write
// error.
class TPacoteZip {
public:
    explicit TPacoteZip(const QString &caminho);
    // A new entry (the one before closed), deflated unless `guardada`.
    QuaZipFile &entrada(const char *nome, bool guardada = false);
    // Raises when `x` could not write all it was given.
    void verifica(const QXmlStreamWriter &x) const;
    void fecha();
    [[noreturn]] void falha(int erro) const;

private:
    void fechaEntrada();

    QString m_caminho;
    QuaZip m_zip;
    QuaZipFile m_entrada;
};
