#include "CodeClash.h"

#include "DataSet.h"
#include "QulShared.h"

TConflito conflitoDeCodigos(TDataSet *linhas)
{
    bool reduzido = false, barras = false;
    TField *red = linhas->FieldByName(QStringLiteral("CDPRODINTE"));
    TField *bar = linhas->FieldByName(QStringLiteral("CDBARPRODUTO"));
    for (linhas->First(); !linhas->Eof(); linhas->Next()) {
        reduzido = reduzido || !EmptyString(red->AsString());
        barras = barras || !EmptyString(bar->AsString());
    }
    return reduzido ? TConflito::Reduzido : barras ? TConflito::Barras : TConflito::Nenhum;
}
