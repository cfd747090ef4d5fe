#include "StatementCatalogue.h"

#include "TrdmCadProd.h"

// ---------------------------------------------------------------- the data module's own

TSentencasProprias::TSentencasProprias(QObject *owner)
    : QObject(owner),
      adqProdutoAtual(catalogueQuery(QStringLiteral("adqProdutoAtual"))),
      adqCodigosReduzidos(catalogueQuery(QStringLiteral("adqCodigosReduzidos"))),
      adqPosicaoNaLista(catalogueQuery(QStringLiteral("adqPosicaoNaLista"))),
      adqProdutosDoReduzido(catalogueQuery(QStringLiteral("adqProdutosDoReduzido"))),
      acmAvisaProdutos(catalogueCommand(QStringLiteral("acmAvisaProdutos"))),
      adqImpressaoProdutos(catalogueQuery(QStringLiteral("adqImpressaoProdutos")))
{
}

TSentencasProprias::~TSentencasProprias() = default;

TSentencasProprias &sentencasProprias(TrdmCadProd &dm)
{
    if (!dm.proprias)
        dm.proprias = new TSentencasProprias(&dm);
    TSentencasProprias &s = *dm.proprias;
    s.adqProdutoAtual->Connection = dm.adcCadProd;
    s.adqCodigosReduzidos->Connection = dm.adcCadProd;
    s.adqPosicaoNaLista->Connection = dm.adcCadProd;
    s.adqProdutosDoReduzido->Connection = dm.adcCadProd;
    s.acmAvisaProdutos->Connection = dm.adcCadProd;
    s.adqImpressaoProdutos->Connection = dm.adcCadProd;
    return s;
}
