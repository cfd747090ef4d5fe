#pragma once
// Every product as getProduto lists it, into a file: CSV as Brazilian
// spreadsheets write it, the packet's JSON form, or a spreadsheet (.xlsx,
// .ods: SheetWrite.h). Written as it is made.

#include "CatalogFile.h"

#include <QVariantList>
#include <functional>
#include <memory>

class TrdmCadProd;

// Writes the list to `caminho` ("-": standard output) and returns how
// many products it holds. A named file appears only whole; one that is a
// symbolic link of another user is refused. Raises on a database or file
// error.
// `progresso`, when given, hears how many products are written so far,
// every thousand and at the end.
qint64 exportaCatalogo(TrdmCadProd &dm, const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao,
                       const std::function<void(qint64 produtos)> &progresso = {});

// The refused rows of an import written to `caminho` as the export writes
// CSV, for the file's user to mend and import again: the columns "linha",
// "coluna" and "texto" of each refusal of `recusas` ("linha N: CAMPO:
// texto", in file order), then the row's values as read, under the file's
// column names. `fonte` is read again from its first row, one row held at
// a time. Raises on a file error.
void escreveRelatorio(const QString &caminho, TFonteCatalogo &fonte, const QStringList &recusas);

// The header of a CSV of the fields `campos` and one of its rows
// (`valores` in the same order), as the export writes them, without the
// line break.
QString cabecalhoCsv(const QList<TFieldDef> &campos);
QString linhaCsv(const QList<TFieldDef> &campos, const QVariantList &valores);

// A CSV file in UTF-8, with a byte order mark, written as the export
// writes one: it appears only whole, at fecha() (dropped before, nothing
// appears), and a destination that is a symbolic link of another user is
// refused. Raises on a file error.
class TArquivoCsv {
public:
    explicit TArquivoCsv(const QString &caminho);
    ~TArquivoCsv();
    // One line, its line break added.
    void linha(const QString &texto);
    void fecha();

private:
    struct TDados;
    std::unique_ptr<TDados> d;
};
