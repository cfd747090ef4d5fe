#include "CatalogStored.h"

#include "ProductPacket.h"
#include "TrdmCadProd.h"

namespace {

// The list statement with its filter on one product (or every one) turned
// into one on a set of keys, `n` markers P_C0... of which the unused ones
// repeat the first key, and ordered by product rather than by the reduced
// code's value (which needs every reduced code to be a number): of a
// product's several price or rate rows, the first in key order still
// comes first.
QStringList textoDoLote(TrdmCadProd &dm, int n)
{
    dm.adqProdutoLista->Connection = dm.adcCadProd;
    QStringList linhas = dm.adqProdutoLista->effectiveLines();
    const qsizetype filtro = linhas.indexOf(QStringLiteral(" WHERE (P.CDPRODUTO = :P_CDPRODUTO OR :P_CDPRODUTO = 'T')"));
    qsizetype ordem = -1;
    for (qsizetype i = 0; i < linhas.size() && ordem < 0; ++i)
        if (linhas[i].startsWith(QLatin1String(" ORDER BY ")))
            ordem = i;
    if (filtro < 0 || ordem < 0)
        throw EDatabaseError(QStringLiteral("adqProdutoLista: filtro por produto ou ordem não encontrados."));
    QStringList marcadores;
    for (int i = 0; i < n; ++i)
        marcadores.append(QStringLiteral(":P_C%1").arg(i));
    linhas[filtro] = QStringLiteral(" WHERE P.CDPRODUTO IN (%1)").arg(marcadores.join(QStringLiteral(", ")));
    linhas[ordem] = QStringLiteral(" ORDER BY P.CDPRODUTO, IP.DTINIVGPREC, AL.CDIMPOSTO");
    return linhas;
}

}  // namespace

TProdutosGuardados::TProdutosGuardados(TrdmCadProd &dm) : m_dm(dm) {}

TProdutosGuardados::~TProdutosGuardados() = default;

void TProdutosGuardados::le(const QStringList &codigos)
{
    m_linhas.clear();
    if (codigos.isEmpty())
        return;
    if (codigos.size() > kMaxProdutos)
        throw EDatabaseError(QStringLiteral("%1 produtos numa leitura; o máximo é %2.").arg(codigos.size()).arg(kMaxProdutos));
    // Made on first use: the same text for every batch, prepared once.
    if (!m_consulta) {
        m_consulta = std::make_unique<TADOQuery>();
        m_consulta->setObjectName(QStringLiteral("adqProdutosDoLote"));
        m_consulta->Connection = m_dm.adcCadProd;
        m_consulta->CommandTimeout = 0;
        for (const TFieldDef &f : m_dm.adqProdutoLista->fieldDefs())
            m_consulta->AddField(f.name, f.type, f.size);
        if (m_consulta->fieldDefs() != productPacketFields())
            throw EDatabaseError(QStringLiteral("adqProdutoLista: campos diferentes dos do pacote de produto."));
        for (int i = 0; i < kMaxProdutos; ++i)
            m_consulta->Parameters.Add(QStringLiteral("P_C%1").arg(i), TFieldType::ftString, 16);
        m_consulta->SQL() = textoDoLote(m_dm, kMaxProdutos);
    }
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
