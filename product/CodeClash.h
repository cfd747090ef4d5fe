#pragma once
// What the duplicate check's rows mean for a product about to be saved.

#include "QulCoreExport.h"

class TDataSet;

enum class TConflito {
    Nenhum,    // no row, or only rows with both columns empty
    Reduzido,  // another product has this reduced code
    Barras,    // another product has this bar code (and none the reduced code)
};

// Examines every row of the code clash packet (CDPRODINTE, CDBARPRODUTO):
// its rows come from a union in no particular order, so a row with both
// columns empty (empty bar codes matching each other, which is no clash)
// may come before a real one. A reduced-code clash wins over a bar-code one.
QUL_CORE_EXPORT TConflito conflitoDeCodigos(TDataSet *linhas);
