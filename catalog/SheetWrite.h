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
#include <memory>

// The most products a sheet holds, under its header row.
constexpr qsizetype kMaxProdutosPlanilha = 1048575;

class TPacoteZip;

// A sheet written to a new file a product at a time, nothing of the list
// held: what comes before the rows (the header row included) when made,
// each product by linha(), the rest and the zip's directory by fecha().
// Raises Exception on a value a sheet cannot hold or a write error; the
// file is then incomplete and the caller drops it.
class TEscritaPlanilha {
public:
    virtual ~TEscritaPlanilha();
    // Refuses the product past the most a sheet holds.
    void linha(const QVariantList &valores);
    void fecha();

protected:
    TEscritaPlanilha(const QList<TFieldDef> &campos, const QString &caminho);
    virtual void escreveLinha(const QVariantList &valores) = 0;
    virtual void terminaFolha() = 0;

    const QList<TFieldDef> m_campos;
    std::unique_ptr<TPacoteZip> m_pacote;
    std::unique_ptr<QXmlStreamWriter> m_xml;  // of the sheet's entry, made by the format's writer
    qint64 m_linhas = 0;                      // products written
};

std::unique_ptr<TEscritaPlanilha> novaEscritaXlsx(const QList<TFieldDef> &campos, const QString &caminho);
std::unique_ptr<TEscritaPlanilha> novaEscritaOds(const QList<TFieldDef> &campos, const QString &caminho);

// What both write: a text cell's text (a text that begins with "'" before
// a formula's character gains one more, which the import takes off again,
// as it does of CSV); raises on a character XML cannot hold.
QString textoCelula(const QList<TFieldDef> &campos, const QVariantList &valores, qsizetype campo);
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
