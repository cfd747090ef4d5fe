// Confirm: the entry page's checks in their fixed order, the one-row product
// packet, the duplicate check of reduced code and bar code, the save, and
// the list brought up to date with the edited product current.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "CodeClash.h"
#include "FieldRules.h"
#include "ProductChecks.h"
#include "ProductRecord.h"
#include "QulShared.h"
#include "StoreLocale.h"
#include "Srv_qul00002.h"

void TfrmCadProd::sbtConfirmarClick(QObject *)
{
    FShift = false;
    const std::optional<TValoresConfirmados> valores = confereEntrada();
    if (!valores)
        return;
    montaPacote(*valores);
    const QString codigo = cdsInsProd->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
    const QString reduzido = cdsInsProd->FieldByName(QStringLiteral("CDPRODINTE"))->AsString();
    if (!codigosLivres(codigo, reduzido) || !gravaProduto())
        return;
    mostraGravado(codigo, reduzido);
}

std::optional<TfrmCadProd::TValoresConfirmados> TfrmCadProd::confereEntrada()
{
    const bool pesado = ProdutoPesado();
    const QLocale &local = localLoja();

    // The first failing check marks its field, shows its text and ends Confirm.
    const TVerificacaoProduto v = verificaProduto({edtCodRed->caption(), edtNomeProd->caption(), edtUnidade->caption(),
                                                   edtPrecoUnit->caption(), edtImposto->caption(), edtAliq->caption(),
                                                   edtTara->caption(), FCdImposto, pesado},
                                                  local);
    if (!v.ok()) {
        selecionaCampo(v.campo);
        mostraCatalogo(v.chave, mtAviso);
        return std::nullopt;
    }
    TValoresConfirmados valores{v.preco, v.aliquota, v.tara, pesado};
    // A tare typed for a product that is not weighed is not checked above,
    // but it is stored: one that is not a number saves nothing.
    if (!pesado && !edtTara->caption().isEmpty() && !converteNumero(edtTara->caption(), local, &valores.tara))
        throw Exception(QStringLiteral("Tara \"%1\" não é um número válido; o produto não foi gravado.")
                            .arg(edtTara->caption()));
    return valores;
}

// The one-row packet: the entry page's values as the product, written by
// the product's fields.
void TfrmCadProd::montaPacote(const TValoresConfirmados &valores)
{
    const QString porta = edtPortaImp->caption();
    // An edit keeps the listed product as its key (the list has not moved
    // since Editar): its tree code, shown in edtCodigo, may differ from it.
    const bool edicao = FOperacao == QLatin1String("E");
    TProduto p;
    p.cdArvProd = edtCodigo->caption();
    p.cdProduto = edicao ? cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString() : edtCodigo->caption();
    p.cdProdInte = edtCodRed->caption();
    p.nmProduto = edtNomeProd->caption();
    p.sgUnidade = FSgUnidade;
    p.vrPrecItem = valores.preco;
    p.sgImposto = edtImposto->caption();
    p.cdImposto = FCdImposto;
    p.idTpImposFis = FIdTpImposFis;
    p.cdPorImpProd = porta == msg("NENHUMA") ? QStringLiteral("0") : porta;
    p.vrPeAlImpFis = aliquotaGravada(valores.aliquota);
    p.qtTaraProd = valores.tara;
    p.cdBarProduto = edtCodBarra->caption();
    p.idPesaProd = valores.pesado ? QStringLiteral("S") : QStringLiteral("N");
    cdsInsProd->Close();
    cdsInsProd->CreateDataSet();
    cdsInsProd->Append();
    for (const TCampoProduto &c : camposProduto())
        if (c.gravado)
            cdsInsProd->FieldByName(c.nomeCampo())->SetValue(c.valor(p));
    cdsInsProd->Post();
}

// Duplicate check: another product with this reduced code or bar code.
bool TfrmCadProd::codigosLivres(const QString &codigo, const QString &reduzido)
{
    const QString codigoCheque = FOperacao == QLatin1String("I") ? QStringLiteral("T") : codigo;
    const QString barras = cdsInsProd->FieldByName(QStringLiteral("CDBARPRODUTO"))->AsString();
    cdsVd_Produto->SetData(toDataPacket(chamaServico(QStringLiteral("getVd_Produto"), [&](QVariant *resultado) {
                                            return getVd_Produto(QStringView(codigoCheque).utf16(),
                                                                 QStringView(barras).utf16(),
                                                                 QStringView(reduzido).utf16(), resultado);
                                        }).value()));
    const TConflito conflito = conflitoDeCodigos(cdsVd_Produto);
    if (conflito == TConflito::Nenhum)
        return true;
    // Here the message comes first and the field marking second.
    const bool reduzidoEmUso = conflito == TConflito::Reduzido;
    mostraCatalogo(reduzidoEmUso ? "CODRED_JCAD" : "CODBAR_JCAD", mtErro);
    selecionaCampo(reduzidoEmUso ? 2 : 8);
    return false;
}

// The save; a failure it reports ends Confirm here with the page as it is.
bool TfrmCadProd::gravaProduto()
{
    const QVariant pacote = fromDataPacket(cdsInsProd->Data());
    const QVariant resposta =
        chamaServico(QStringLiteral("setProduto"), [&](QVariant *resultado) { return gravaPacote(pacote, resultado); })
            .value();
    if (!isDataPacket(resposta))
        return true;
    edicaoRecusada();  // another terminal changed the product: nothing was saved
    return false;
}

void TfrmCadProd::mostraGravado(const QString &codigo, const QString &reduzido)
{
    // The list has not moved since Editar took its current row: when editing,
    // that is the product just saved.
    const QString atual = cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
    // A new product's code is the one the store gave it: it is found by
    // its reduced code, which the check above made its own.
    const bool edicao = FOperacao == QLatin1String("E");
    if (edicao)
        atualizaListaAposEscrita(codigo);
    else
        atualizaListaAposEscrita(QString(), reduzido);
    if (FOperacao == QLatin1String("E"))
        cdsProduto->Locate(QStringLiteral("CDPRODUTO"), atual, true);
    LimpaCampos();
    repaint();
    mostraCatalogo("OPERACAO_OK", mtInformacao);
    MostraPagina(QStringLiteral("Pagina1"));
}

void TfrmCadProd::zeraAliquota()
{
    edtAliq->setCaption(FormataValor(0));
    m_impostoEscolhido = true;
}

// Only the tax "00" has a rate the operator types. Any other tax's rate is
// not the field's to change: an edit that picked no tax keeps the stored
// one (written by the catalogue import or another tool) whatever the
// field shows.
double TfrmCadProd::aliquotaGravada(double digitada) const
{
    if (FCdImposto == kImpostoDigitado)
        return digitada;
    if (FOperacao != QLatin1String("E") || m_impostoEscolhido || m_lido.rows.isEmpty())
        return 0;
    return m_lido.rows.at(0).value(m_lido.fieldIndex(QStringLiteral("VRPEALIMPFIS"))).toDouble();
}
