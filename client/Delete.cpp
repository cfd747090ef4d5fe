// Delete: the question, the delete service's answer (deleted, or refused
// for a sale or for the sales screen configuration, naming its group), and
// the list brought up to date whatever the answer.

#include "Cli_qul00002.h"

#include "QulShared.h"
#include "Srv_qul00002.h"

void TfrmCadProd::sbtExcluirClick(QObject *)
{
    try {
        if (produtoSumiu() || !pergunta("delTipRec"))
            return;
        const QString codigo = cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
        const QVariant resposta = chamaServico(QStringLiteral("setDelProduto"), [&codigo](QVariant *resultado) {
                                      return setDelProduto(QStringView(codigo).utf16(), resultado);
                                  }).value();
        const QVariantList elementos = resposta.toList();
        if (resposta.metaType().id() != QMetaType::QVariantList || elementos.size() != 2)
            throw Exception(QStringLiteral("Resposta inesperada do serviço setDelProduto."));
        const QString situacao = elementos.at(0).toString();
        if (situacao == QLatin1String("VENDA")) {
            mostraCatalogo("PROD_NDEL", mtErro);
        } else if (situacao == QLatin1String("OK")) {
            mostraCatalogo("OPERACAO_OK", mtInformacao);
        } else if (situacao == QLatin1String("CONFTE")) {
            cdsVd_ProdConfTe->SetData(toDataPacket(elementos.at(1)));
            cdsVd_ProdConfTe->First();
            const QString grupo = cdsVd_ProdConfTe->FieldByName(QStringLiteral("DSBUTTON"))->AsString();
            QString texto = msg("PROD_CONFTE");
            const qsizetype marca = texto.indexOf(QLatin1String("%s"));
            if (marca >= 0)
                texto.replace(marca, 2, grupo);
            mostraMensagem(texto, mtAviso, false);
        }
        atualizaListaAposEscrita(codigo);
    } catch (const std::exception &e) {
        // Every exception, that of a failure MensagemMetodo has already
        // reported included; the list is then not reloaded.
        mostraMensagem(exceptionMessage(e), mtErro);
    }
}
