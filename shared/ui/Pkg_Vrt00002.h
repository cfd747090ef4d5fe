#pragma once
// What the screens take from the sibling package Pkg_Vrt00002: the search
// dialog and the fiscal reports entry. Both go through replaceable hooks.

#include "DataSet.h"
#include "QulHooks.h"

#include <QString>

// The search dialog: shows the visible fields of `dataSet` under their
// display labels; typing (on-screen keyboard or physical keys) narrows the
// rows; arrows move; ENTER or a touch picks; ESC leaves. True when a row
// was picked, and the dataset is then positioned on it.
// The third argument: "S" for units and products, "N" for taxes and print
// ports.
namespace PesquisaArg {
inline const QString Sim = QStringLiteral("S");
inline const QString Nao = QStringLiteral("N");
}  // namespace PesquisaArg
bool Pesquisa(TClientDataSet *dataSet, int modo, const QString &busca, quint32 cor1, quint32 cor2, quint32 cor3,
              quint32 cor5, int opcao);
void SetPesquisaHook(TPesquisaHook hook);  // empty: back to the touch search dialog

// The fiscal reports entry. The default tells the operator that no fiscal
// reports are installed.
void RelFiscais();
void SetRelFiscaisHook(TRelFiscaisHook hook);  // empty: back to the default
