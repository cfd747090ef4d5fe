#pragma once
// The shared package's own touch dialogs: the message box and the search
// list, the presenters behind Mensagem and Pesquisa unless a host or a test
// replaces them.

#include "DataSet.h"

// The touch message dialog (large buttons; ENTER confirms, ESC cancels).
// InstallTouchMensagem() makes it the presenter behind Mensagem().
bool MensagemTouch(const QString &texto, const QString &titulo, const QString &layout, const QString &pergunta, int tipo,
                   const QString &detalhe, const QString &codigoTela, int numero, TDataSet *dataSet);
void InstallTouchMensagem();

// The touch search dialog (see Pesquisa in Pkg_Vrt00002.h).
bool PesquisaTouch(TClientDataSet *dataSet, int modo, const QString &busca, quint32 cor1, quint32 cor2, quint32 cor3,
                   quint32 cor5, int opcao);
