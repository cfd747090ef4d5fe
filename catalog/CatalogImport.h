#pragma once
// A catalogue written into the store all or nothing: one transaction, the
// terminals' lock, the store's codes read once, every row of the file
// checked, then the file read again and its rows written through the save
// in batches as they come.

#include "CatalogCheck.h"

#include <functional>

class TrdmCadProd;

struct TResumoImportacao {
    int inseridos = 0, alterados = 0;
    int inalterados = 0;  // updates whose values were the stored ones: not written
    QStringList recusas;  // "linha N: CAMPO: texto"; any of them and nothing was written
    QStringList ajustes;  // names adjusted (TOpcoesCatalogo::ajustarNomes), tax codes given their zeros back
    QStringList avisos;   // of what failed after the rows were kept (the statistics' refresh)
};

// Rows written so far, of how many.
using TProgressoImportacao = std::function<void(qint64 feitas, qint64 total)>;

// Imports the rows (or, when `soVerifica`, only checks them, writing
// nothing). Raises on a database error, or a file that cannot be read
// whole, after rolling back.
TResumoImportacao importaCatalogo(TrdmCadProd &dm, TFonteCatalogo &fonte, bool soVerifica,
                                  const TProgressoImportacao &progresso, TOpcoesCatalogo opcoes = {});
