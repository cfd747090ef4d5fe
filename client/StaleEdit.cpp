// An edit saved only onto the product as Editar showed it: when another
// terminal changed it meanwhile, nothing is saved and the entry page shows
// the stored values, each field the operator changed keeping the
// operator's value (the operator sees the result and confirms again; the
// fields both terminals changed are named); when another terminal deleted
// it, the list page, read again.

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

// Values that change together (a picked unit or tax brings its codes), each
// group with the label that names it on the entry page.
struct TGrupo {
    QList<int> valores;
    const char *rotulo;
};
const TGrupo kGrupos[] = {{{0}, "Label2"},  {{1}, "lblCodRed"}, {{2}, "Label3"},
                          {{3, kSgUnidade}, "Label4"}, {{4}, "Label7"},
                          {{5, kCdImposto, kIdTpImposFis}, "Label5"}, {{6}, "Label6"},
                          {{7}, "Label14"}, {{8}, "Label8"}, {{9}, "Label11"}, {{kPesado}, "lblPesado"}};

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
        return setProduto(&pacote, QStringView(FOperacao).utf16(), resultado);
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
    const QStringList gravado = estadoEntrada();
    QStringList junto = gravado, nosDois;
    for (const TGrupo &grupo : kGrupos) {
        bool mexido = false, outro = false, iguais = true;
        for (const int i : grupo.valores) {
            mexido = mexido || digitado.value(i) != carregado.value(i);
            outro = outro || gravado.value(i) != carregado.value(i);
            iguais = iguais && gravado.value(i) == digitado.value(i);
        }
        if (!mexido)
            continue;
        for (const int i : grupo.valores)
            junto[i] = digitado.value(i);
        // Changed on both terminals, differently: the operator is told,
        // having not seen the other's value.
        if (outro && !iguais)
            nosDois << componente<QLabel>(QLatin1String(grupo.rotulo))->text();
    }
    poeEstadoEntrada(junto);
    QString texto = msg("PROD_ALTERADO");
    if (!nosDois.isEmpty())
        texto += QLatin1Char(' ') + msg("PROD_ALTERADO_CAMPOS").replace(QLatin1String("%s"), nosDois.join(QStringLiteral(", ")));
    mostraMensagem(texto, mtAviso);
}
