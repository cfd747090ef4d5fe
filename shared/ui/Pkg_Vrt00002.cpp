#include "Pkg_Vrt00002.h"

#include "QulShared.h"
#include "TouchDialogs.h"

namespace {

TPesquisaHook g_pesquisaHook;
TRelFiscaisHook g_relFiscaisHook;

}  // namespace

bool Pesquisa(TClientDataSet *dataSet, int modo, const QString &busca, quint32 cor1, quint32 cor2, quint32 cor3,
              quint32 cor5, int opcao)
{
    if (g_pesquisaHook)
        return g_pesquisaHook(dataSet, modo, busca, cor1, cor2, cor3, cor5, opcao);
    return PesquisaTouch(dataSet, modo, busca, cor1, cor2, cor3, cor5, opcao);
}

void SetPesquisaHook(TPesquisaHook hook) { g_pesquisaHook = std::move(hook); }

void RelFiscais()
{
    if (g_relFiscaisHook) {
        g_relFiscaisHook();
        return;
    }
    Mensagem(QStringLiteral("Nenhum relatório fiscal instalado."), QString(), MensagemArg::Nao, MensagemArg::Nao,
             mtInformacao, QString(), MensagemArg::CodigoTela, 0, nullptr);
}

void SetRelFiscaisHook(TRelFiscaisHook hook) { g_relFiscaisHook = std::move(hook); }

