#pragma once
// The stored rows of the products a batch of a catalogue's rows updates,
// read as the product list reads them (its statement, filtered on those
// products' keys): one statement per batch, so that only a batch's rows
// are ever held, however large the store.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

class TrdmCadProd;
class TADOQuery;

class TProdutosGuardados {
public:
    // The most products one reading takes.
    static constexpr int kMaxProdutos = 1000;

    // `leitura`: the statement of the stored design that reads a batch,
    // its group of keys written kMaxProdutos times.
    explicit TProdutosGuardados(TrdmCadProd &dm, const QString &leitura = QStringLiteral("adqProdutosDoLote"));
    ~TProdutosGuardados();

    // Reads the rows of `codigos` (at most kMaxProdutos), in place of the
    // ones read before. Raises on a database error, and, naming the
    // statement, when the design gives it other fields than the product
    // packet's or another number of keys (they are set by position).
    void le(const QStringList &codigos);
    // The product packet row of `codigo` as the list gives it (a null text
    // column empty, a null number 0, VRPREUNIT null); nullptr when the last
    // reading had none.
    const QVariantList *linha(const QString &codigo) const;

private:
    TrdmCadProd &m_dm;
    QString m_leitura;
    std::unique_ptr<TADOQuery> m_consulta;
    QHash<QString, QVariantList> m_linhas;
};
