#include "CatalogPreview.h"

#include "CatalogExport.h"
#include "ProductPacket.h"

#include <algorithm>
#include <numeric>

namespace {

// In the column of the stored value, for a new product's.
const QString kNovo = QStringLiteral("(produto novo)");

const TFieldDef &definicao(int campo)
{
    return productPacketFields().at(campo);
}

int lugar(const char *nome)
{
    return int(productPacketFields().indexOf(productPacketField(QLatin1String(nome))));
}

// A value as the export writes it, numbers with the decimal comma.
QString textoGuardado(const QVariant &v)
{
    return v.metaType().id() == QMetaType::Double ? textoNumero(v.toDouble()) : v.toString();
}

QString textoNovo(const TCampoProduto &f, const TProduto &p)
{
    return f.texto() ? f.textoDe(p) : textoNumero(f.numeroDe(p));
}

}  // namespace

TPreviaImportacao::TPreviaImportacao(const QString &relatorio)
    : m_caminho(relatorio), m_contagem(camposProduto().size(), 0)
{
}

TPreviaImportacao::~TPreviaImportacao() = default;

void TPreviaImportacao::recomeca()
{
    m_contagem = QList<qint64>(camposProduto().size(), 0);
    m_novos.clear();
    m_arquivo.reset();  // what was written disappears
    if (m_caminho.isEmpty())
        return;
    m_arquivo = std::make_unique<TArquivoCsv>(m_caminho);
    m_arquivo->linha(QStringLiteral("linha;CDPRODUTO;NMPRODUTO;campo;guardado;novo"));
}

void TPreviaImportacao::escreve(int linha, const QString &produto, const QString &nome, int campo,
                                const QString &guardado, const QString &novo, bool novoProduto)
{
    static const int cdProduto = lugar("CDPRODUTO"), nmProduto = lugar("NMPRODUTO");
    const TFieldDef &f = definicao(campo);
    m_arquivo->linha(QString::number(linha) + QLatin1Char(';') + campoCatalogo(definicao(cdProduto), produto)
                     + QLatin1Char(';') + campoCatalogo(definicao(nmProduto), nome) + QLatin1Char(';') + f.name
                     + QLatin1Char(';') + (novoProduto ? kNovo : campoCatalogo(f, guardado)) + QLatin1Char(';')
                     + campoCatalogo(f, novo));
}

void TPreviaImportacao::alteracao(int linha, const TProduto &produto, const QVariantList &guardado,
                                  const QList<int> &campos)
{
    static const int nmProduto = lugar("NMPRODUTO");
    for (const int c : campos) {
        ++m_contagem[c];
        if (m_arquivo)
            escreve(linha, produto.cdProduto, guardado.at(nmProduto).toString(), c, textoGuardado(guardado.at(c)),
                    textoNovo(camposProduto().at(c), produto), false);
    }
}

void TPreviaImportacao::inclusao(int linha, const TProduto &produto)
{
    if (m_novos.size() < kMaxNovos)
        m_novos.append(QStringLiteral("linha %1: CDPRODINTE \"%2\", %3").arg(linha).arg(produto.cdProdInte, produto.nmProduto));
    if (!m_arquivo)
        return;
    // Its stored fields, as an update compares them; the empty ones left out.
    const QList<TCampoProduto> &campos = camposProduto();
    for (int c = 0; c < campos.size(); ++c) {
        const TCampoProduto &f = campos[c];
        const QString valor = textoNovo(f, produto);
        if (f.gravado && c != lugar("CDARVPROD") && c != lugar("CDPRODUTO") && !valor.isEmpty())
            escreve(linha, produto.cdProduto, produto.nmProduto, c, QString(), valor, true);
    }
}

void TPreviaImportacao::conclui()
{
    if (m_arquivo)
        m_arquivo->fecha();
}

QStringList TPreviaImportacao::porCampo() const
{
    QList<int> ordem(m_contagem.size());
    std::iota(ordem.begin(), ordem.end(), 0);
    std::stable_sort(ordem.begin(), ordem.end(), [this](int a, int b) { return m_contagem[a] > m_contagem[b]; });
    QStringList r;
    for (const int c : ordem)
        if (m_contagem[c] > 0)
            r.append(QStringLiteral("%1: %2").arg(definicao(c).name).arg(m_contagem[c]));
    return r;
}
