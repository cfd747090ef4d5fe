#pragma once
// Every product as getProduto lists it, into a file: CSV as Brazilian
// spreadsheets write it, or the packet's JSON form. Written as it is made.

#include "CatalogFile.h"

class TrdmCadProd;

// Writes the list to `caminho` ("-": standard output) and returns how
// many products it holds. A named file appears only whole; one that is a
// symbolic link of another user is refused. Raises on a database or file
// error.
qint64 exportaCatalogo(TrdmCadProd &dm, const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao);
