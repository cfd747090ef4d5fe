#pragma once
// The declared statements the data module runs itself (section
// "statements" of its stored design, StoredDesign.h), on its connection.

#include "StoredDesign.h"

#include <QObject>
#include <memory>

class TrdmCadProd;

// The declared statements the data module runs itself, made on first use
// and kept for it (so each is prepared once per connection).
class TSentencasProprias : public QObject {
public:
    explicit TSentencasProprias(QObject *owner);
    ~TSentencasProprias() override;
    std::unique_ptr<TADOQuery> adqProdutoAtual;       // the list filtered on one product key
    std::unique_ptr<TADOQuery> adqCodigosReduzidos;   // every product's reduced code
    std::unique_ptr<TADOQuery> adqPosicaoNaLista;     // how many products the list puts before one
    std::unique_ptr<TADOQuery> adqProdutosDoReduzido;  // the products of one reduced code
    std::unique_ptr<TADOCommand> acmAvisaProdutos;    // PostgreSQL: notifies the product channel
    std::unique_ptr<TADOQuery> adqImpressaoProdutos;  // PostgreSQL: the product tables' fingerprint
};

// The data module's own declared statements, on its connection.
TSentencasProprias &sentencasProprias(TrdmCadProd &dm);
