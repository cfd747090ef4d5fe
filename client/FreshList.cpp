// Other terminals: the list notices, when the operator comes back to it and
// before Editar and Excluir, that another connection changed the store
// since it was read, and is read again with its current product kept.

#include "Cli_qul00002.h"

#include "QulShared.h"
#include "Srv_qul00002.h"
#include "TMessages.h"

QVariant TfrmCadProd::frescor(const char16_t *operacao)
{
    // A database error is reported as every service's is.
    return chamaServico(QStringLiteral("getProdutoMudou"), [operacao](QVariant *resultado) {
               return getProdutoMudou(operacao, resultado);
           }).value();
}

bool TfrmCadProd::atualizaSeMudou()
{
    if (!m_vigiando || !frescor(u"V").toBool())
        return false;
    const QString atual = cdsProduto->IsEmpty() ? QString() : cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
    carregaProdutos();
    if (!atual.isEmpty())
        cdsProduto->Locate(QStringLiteral("CDPRODUTO"), atual, true);
    return true;
}

bool TfrmCadProd::produtoSumiu()
{
    const QString atual = cdsProduto->IsEmpty() ? QString() : cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
    if (!atualizaSeMudou() || atual.isEmpty()
        || (!cdsProduto->IsEmpty() && cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString() == atual))
        return false;
    mostraCatalogo("PROD_EXCLUIDO", mtAviso);
    return true;
}
