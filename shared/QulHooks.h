#pragma once
// The presenters behind the product line's dialogs, which a host or a test
// may replace: the message dialog, the search dialog, the fiscal reports
// and the error report. A host that passes one to the module must be built
// with the same compiler and Qt as the module.

#include <QtGlobal>
#include <functional>

class QString;
class TDataSet;
class TClientDataSet;

// Mensagem: the text, a title, a layout flag ("N"), "S" for a yes/no
// question ("N" otherwise), the message kind (0 information, 1 question,
// 2 missing or invalid value, 3 error or refusal), a detail text, the
// screen code ("002", or empty), a number (0) and a dataset (none). Returns
// the answer of a question.
using TMensagemHook = std::function<bool(const QString &texto, const QString &titulo, const QString &layout,
                                         const QString &pergunta, int tipo, const QString &detalhe,
                                         const QString &codigoTela, int numero, TDataSet *dataSet)>;

// Pesquisa: the dataset to pick from, a mode (0), "S" to search by text
// ("N" otherwise), four theme colours (0x00BBGGRR) and an option (0).
// Returns true when a row was picked; the dataset then stands on it.
using TPesquisaHook = std::function<bool(TClientDataSet *dataSet, int modo, const QString &busca, quint32 cor1,
                                         quint32 cor2, quint32 cor3, quint32 cor5, int opcao)>;

using TRelFiscaisHook = std::function<void()>;
using TErrorReportHook = std::function<void(const QString &message)>;
