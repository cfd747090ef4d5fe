#include "CatalogStored.h"

#include "ProductPacket.h"
#include "StatementCatalogue.h"
#include "TrdmCadProd.h"

TProdutosGuardados::TProdutosGuardados(TrdmCadProd &dm, const QString &leitura) : m_dm(dm), m_leitura(leitura) {}

TProdutosGuardados::~TProdutosGuardados() = default;

void TProdutosGuardados::le(const QStringList &codigos)
{
    m_linhas.clear();
    if (codigos.isEmpty())
        return;
    if (codigos.size() > kMaxProdutos)
        throw EDatabaseError(QStringLiteral("%1 produtos numa leitura; o máximo é %2.").arg(codigos.size()).arg(kMaxProdutos));
    // Made on first use: the same text for every batch, prepared once. The
    // list's reading with its filter on a set of keys P_C0..., of which the
    // unused ones repeat the first key, ordered by product rather than by
    // the reduced code's value (which needs every reduced code to be a
    // number): of a product's several price or rate rows, the first in key
    // order still comes first.
    if (!m_consulta) {
        std::unique_ptr<TADOQuery> q = catalogueQuery(m_leitura, kMaxProdutos);
        if (q->fieldDefs() != productPacketFields())
            throw EDatabaseError(QStringLiteral("%1: campos diferentes dos do pacote de produto.").arg(m_leitura));
        if (const qsizetype declarados = q->Parameters.items().size(); declarados != kMaxProdutos)
            throw EDatabaseError(QStringLiteral("%1: a leitura de um lote preenche %2 parâmetros, um por produto, e o "
                                                "desenho do módulo de dados declara %3.")
                                     .arg(m_leitura)
                                     .arg(kMaxProdutos)
                                     .arg(declarados));
        m_consulta = std::move(q);
    }
    m_consulta->Connection = m_dm.adcCadProd;
    for (int i = 0; i < kMaxProdutos; ++i)
        m_consulta->Parameters.at(i).Value = codigos.value(i, codigos.first());

    const QList<TFieldDef> &campos = productPacketFields();
    const int codigo = 0, precoUnitario = 5;  // CDPRODUTO, VRPREUNIT (always null in the list)
    m_consulta->Stream([&](QVector<QVariant> &&row) {
        const QString chave = row[codigo].toString();
        if (m_linhas.contains(chave))
            return;  // a further price or rate row of the same product
        for (qsizetype i = 0; i < row.size(); ++i)
            if (i == precoUnitario)
                row[i] = QVariant();
            else if (!row[i].isValid() || row[i].isNull())
                row[i] = campos[i].type == TFieldType::ftString ? QVariant(QString()) : QVariant(0.0);
        m_linhas.insert(chave, QVariantList(row.begin(), row.end()));
    });
}

const QVariantList *TProdutosGuardados::linha(const QString &codigo) const
{
    const auto it = m_linhas.constFind(codigo);
    return it == m_linhas.constEnd() ? nullptr : &*it;
}
