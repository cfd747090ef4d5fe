#pragma once
// Every product as getProduto lists it, into a file: CSV as Brazilian
// spreadsheets write it, or the packet's JSON form. Written as it is made.

#include "CatalogFile.h"

class TrdmCadProd;

// Writes the list to `caminho` ("-": standard output) and returns how
// many products it holds. Raises on a database or file error.
qint64 exportaCatalogo(TrdmCadProd &dm, const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao);
