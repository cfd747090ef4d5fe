// An edit saved only onto the product as Editar showed it: when another
// terminal changed it meanwhile, nothing is saved and the entry page shows
// the stored values, each field the operator changed keeping the
// operator's value (the operator sees the result and confirms again); when
// another terminal deleted it, the list page, read again.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "QulShared.h"
#include "Srv_qul00002.h"
#include "TMessages.h"

#include <QLabel>

namespace {

const char *const kCamposEntrada[] = {"edtCodigo", "edtCodRed", "edtNomeProd", "edtUnidade", "edtPrecoUnit",
                                      "edtImposto", "edtAliq", "edtCodBarra", "edtPortaImp", "edtTara"};
constexpr int kSgUnidade = 10, kCdImposto = 11, kIdTpImposFis = 12, kPesado = 13;

// Values that change together: a picked unit or tax brings its codes.
const QList<QList<int>> kGrupos = {{0}, {1}, {2}, {3, kSgUnidade}, {4}, {5, kCdImposto, kIdTpImposFis}, {6}, {7},
                                   {8}, {9}, {kPesado}};

}  // namespace

QStringList TfrmCadProd::estadoEntrada() const
{
    QStringList e;
    for (const char *c : kCamposEntrada)
        e << componente<TBlendedButton>(QLatin1String(c))->caption();
    e << FSgUnidade << FCdImposto << FIdTpImposFis << (ProdutoPesado() ? QStringLiteral("S") : QStringLiteral("N"));
    return e;
}

void TfrmCadProd::poeEstadoEntrada(const QStringList &e)
{
    for (int i = 0; i < kSgUnidade; ++i)
        componente<TBlendedButton>(QLatin1String(kCamposEntrada[i]))->setCaption(e.value(i));
    FSgUnidade = e.value(kSgUnidade);
    FCdImposto = e.value(kCdImposto);
    FIdTpImposFis = e.value(kIdTpImposFis);
    e.value(kPesado) == QLatin1String("S") ? imgSimClick(imgSim) : imgNaoClick(imgNao);
}

int TfrmCadProd::gravaPacote(const QVariant &pacote, QVariant *resultado)
{
    if (FOperacao != QLatin1String("E") || m_lido.rows.isEmpty())
        return setProduto(&pacote, reinterpret_cast<const char16_t *>(FOperacao.utf16()), resultado);
    const QVariant lido = fromDataPacket(m_lido);
    return setAltProduto(&pacote, &lido, resultado);
}

void TfrmCadProd::edicaoRecusada()
{
    const QString codigo = m_lido.rows.value(0).value(m_lido.fieldIndex(QStringLiteral("CDPRODUTO"))).toString();
    const QStringList digitado = estadoEntrada();
    const QStringList carregado = m_entradaCarregada;
    carregaProdutos();
    if (!cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo, true)) {
        LimpaCampos();
        MostraPagina(QStringLiteral("Pagina1"));
        mostraCatalogo("PROD_EXCLUIDO_EDICAO", mtAviso);
        return;
    }
    mostraProdutoAtual();  // the stored values, and the row the next save checks against
    QStringList junto = estadoEntrada();
    for (const QList<int> &grupo : kGrupos) {
        bool mexido = false;
        for (const int i : grupo)
            mexido = mexido || digitado.value(i) != carregado.value(i);
        if (mexido)
            for (const int i : grupo)
                junto[i] = digitado.value(i);
    }
    poeEstadoEntrada(junto);
    mostraCatalogo("PROD_ALTERADO", mtAviso);
}
