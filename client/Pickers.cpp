// The pickers of the three fields that take no typing: unit and tax from
// the data service, print port from the list built at start.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "Pkg_Vrt00002.h"
#include "FieldRules.h"
#include "QulShared.h"
#include "Srv_qul00002.h"

// A pick list ready for the search dialog: any filter an earlier search
// left is off, so it hides no row; an empty list shows `chaveVazia`. The
// dialog opens on the list's current row: the row whose `campo` holds the
// field's value `valor`, so that ENTER at once keeps it; with no value, or
// one the list lacks, the first row.
bool TfrmCadProd::listaParaEscolha(TClientDataSet *lista, const char *chaveVazia, const QString &campo,
                                   const QString &valor)
{
    lista->SetFiltered(false);
    if (lista->IsEmpty()) {
        mostraCatalogo(chaveVazia, mtErro);
        return false;
    }
    if (valor.isEmpty() || !lista->Locate(campo, valor, true))
        lista->First();
    return true;
}

// A field's value for its picker: the code behind its text (`codigo`),
// none when the field shows nothing (emptied, or a new product's).
static QString valorDoCampo(const TBlendedButton *campo, const QString &codigo)
{
    return campo->caption().isEmpty() ? QString() : codigo;
}

void TfrmCadProd::dxfUnidadeClick(QObject *)
{
    cdsUnidade->SetData(toDataPacket(chamaServico(QStringLiteral("getUnidade"), getUnidade).value()));
    if (!listaParaEscolha(cdsUnidade, "UNIDADE_NCAD", QStringLiteral("SGUNIDADE"), valorDoCampo(edtUnidade, FSgUnidade))
        || !Pesquisa(cdsUnidade, 0, PesquisaArg::Sim, FCor1, FCor2, FCor3, FCor5, 0))
        return;
    // The field shows the unit's name; its code is what is saved.
    edtUnidade->setCaption(cdsUnidade->FieldByName(QStringLiteral("DSUNIDADE"))->AsString());
    FSgUnidade = cdsUnidade->FieldByName(QStringLiteral("SGUNIDADE"))->AsString();
}

void TfrmCadProd::dxfImpostoClick(QObject *)
{
    cdsImposto->SetData(toDataPacket(chamaServico(QStringLiteral("getImposto"), getImposto).value()));
    if (!listaParaEscolha(cdsImposto, "IMPOSTO_NCAD", QStringLiteral("CDIMPOSTO"), valorDoCampo(edtImposto, FCdImposto))
        || !Pesquisa(cdsImposto, 0, PesquisaArg::Nao, FCor1, FCor2, FCor3, FCor5, 0))
        return;
    edtImposto->setCaption(cdsImposto->FieldByName(QStringLiteral("SGIMPOSTO"))->AsString());
    FCdImposto = cdsImposto->FieldByName(QStringLiteral("CDIMPOSTO"))->AsString();
    FIdTpImposFis = cdsImposto->FieldByName(QStringLiteral("IDTPIMPOSFIS"))->AsString();
    // Only the tax "00" has a rate of its own, typed by the operator.
    if (FCdImposto != kImpostoDigitado)
        zeraAliquota();
}

void TfrmCadProd::dxfPortaImpClick(QObject *)
{
    // A product stored with no port ("0") shows "Nenhuma", the list's own row for it.
    if (!listaParaEscolha(cdsPortaImp, "PORTA_NCAD", QStringLiteral("CDPORTAIMPNF"), edtPortaImp->caption())
        || !Pesquisa(cdsPortaImp, 0, PesquisaArg::Nao, FCor1, FCor2, FCor3, FCor5, 0))
        return;
    edtPortaImp->setCaption(cdsPortaImp->FieldByName(QStringLiteral("CDPORTAIMPNF"))->AsString());
}
