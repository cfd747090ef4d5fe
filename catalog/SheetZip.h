#pragma once
// What the two spreadsheet readers share: the zip container read through
// QuaZip, one entry at a time read as a stream by QXmlStreamReader, the
// row being put together cell by cell, and the limits on what a file may
// make the reader hold.

#include "CatalogSheet.h"
#include "CsvText.h"

#include <QXmlStreamReader>
#include <quazip.h>
#include <quazipfile.h>

class TPlanilhaZip : public TLeitorPlanilha {
protected:
    // Raises EPlanilha when `arquivo` is not a zip that can be read.
    TPlanilhaZip(QIODevice &arquivo, const QString &nome);

    // Whether the zip holds `entrada` (letter case ignored).
    bool tem(const QString &entrada);
    // `entrada` opened and given to m_xml from its start (the entry open
    // before closed); raises when it is missing or cannot be read.
    void abre(const QString &entrada);
    // After the last row: the rest of the entry read and the entry closed,
    // which checks its check sum; raises when it does not match.
    void terminaEntrada();
    // The next token of m_xml; raises on the XML's error (or the zip's under it).
    QXmlStreamReader::TokenType avanca();
    // The text of the element m_xml is at the start of, child elements
    // included, up to its end; raises past TLeitorCsv::kMaxCampo characters.
    QString textoElemento();
    // The rest of the element m_xml is at the start of, skipped.
    void pula();
    [[noreturn]] void falha(const QString &texto) const;
    [[noreturn]] void corrompida() const;

    // The row being read: begun at the sheet's row `linha`, cells set in it.
    void comecaLinha(qint64 linha);
    // A cell at column `coluna` (from 0) repeated `vezes` times; `valor`
    // empty: an empty cell, which sets nothing.
    void celula(qint64 coluna, qint64 vezes, const QString &valor, bool texto);
    bool linhaComValor() const { return !m_linha.celulas.isEmpty() || !m_linha.alem.isEmpty(); }
    // A number as the XML writes it ("15.9", "1.4999999999999999E-2",
    // "11.000000000000002") as the CSV path gives one ("15,9", "0,015",
    // "11"), to the 15 significant digits the spreadsheet shows; a text
    // that is no number as it is.
    static QString numero(const QString &xml);

    void fechaEntrada();

    QString m_nome;  // the file's, for messages
    QuaZip m_zip;
    QuaZipFile m_entrada;
    QString m_nomeEntrada;
    QXmlStreamReader m_xml;
    TLinhaPlanilha m_linha;
};

std::unique_ptr<TLeitorPlanilha> novaPlanilhaXlsx(QIODevice &arquivo, const QString &nome);
std::unique_ptr<TLeitorPlanilha> novaPlanilhaOds(QIODevice &arquivo, const QString &nome);
