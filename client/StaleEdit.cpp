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
// The values behind the captions, set by the pickers and the weighed choice.
constexpr const char *kSgUnidade = "FSgUnidade", *kCdImposto = "FCdImposto", *kIdTpImposFis = "FIdTpImposFis",
                     *kPesado = "Pesado";

// Values that change together (a picked unit or tax brings its codes), each
// group with the label that names it on the entry page.
struct TGrupo {
    QList<const char *> valores;
    const char *rotulo;
};
const TGrupo kGrupos[] = {{{"edtCodigo"}, "Label2"},
                          {{"edtCodRed"}, "lblCodRed"},
                          {{"edtNomeProd"}, "Label3"},
                          {{"edtUnidade", kSgUnidade}, "Label4"},
                          {{"edtPrecoUnit"}, "Label7"},
                          {{"edtImposto", kCdImposto, kIdTpImposFis}, "Label5"},
                          {{"edtAliq"}, "Label6"},
                          {{"edtCodBarra"}, "Label14"},
                          {{"edtPortaImp"}, "Label8"},
                          {{"edtTara"}, "Label11"},
                          {{kPesado}, "lblPesado"}};

}  // namespace

TfrmCadProd::TEstadoEntrada TfrmCadProd::estadoEntrada() const
{
    TEstadoEntrada e;
    for (const char *c : kCamposEntrada)
        e.insert(QLatin1String(c), componente<TBlendedButton>(QLatin1String(c))->caption());
    e.insert(QLatin1String(kSgUnidade), FSgUnidade);
    e.insert(QLatin1String(kCdImposto), FCdImposto);
    e.insert(QLatin1String(kIdTpImposFis), FIdTpImposFis);
    e.insert(QLatin1String(kPesado), ProdutoPesado() ? QStringLiteral("S") : QStringLiteral("N"));
    return e;
}

void TfrmCadProd::poeEstadoEntrada(const TEstadoEntrada &e)
{
    for (const char *c : kCamposEntrada)
        componente<TBlendedButton>(QLatin1String(c))->setCaption(e.value(QLatin1String(c)));
    FSgUnidade = e.value(QLatin1String(kSgUnidade));
    FCdImposto = e.value(QLatin1String(kCdImposto));
    FIdTpImposFis = e.value(QLatin1String(kIdTpImposFis));
    e.value(QLatin1String(kPesado)) == QLatin1String("S") ? imgSimClick(imgSim) : imgNaoClick(imgNao);
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
    const TEstadoEntrada digitado = estadoEntrada();
    const TEstadoEntrada carregado = m_entradaCarregada;
    carregaProdutos();
    if (!cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo, true)) {
        LimpaCampos();
        MostraPagina(QStringLiteral("Pagina1"));
        mostraCatalogo("PROD_EXCLUIDO_EDICAO", mtAviso);
        return;
    }
    mostraProdutoAtual();  // the stored values, and the row the next save checks against
    const TEstadoEntrada gravado = estadoEntrada();
    TEstadoEntrada junto = gravado;
    QStringList nosDois;
    for (const TGrupo &grupo : kGrupos) {
        bool mexido = false, outro = false, iguais = true;
        for (const char *nome : grupo.valores) {
            const QLatin1String i(nome);
            mexido = mexido || digitado.value(i) != carregado.value(i);
            outro = outro || gravado.value(i) != carregado.value(i);
            iguais = iguais && gravado.value(i) == digitado.value(i);
        }
        if (!mexido)
            continue;
        for (const char *nome : grupo.valores)
            junto[QLatin1String(nome)] = digitado.value(QLatin1String(nome));
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
