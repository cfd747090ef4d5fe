// The list page: moving through the products (buttons, the list's keys, a
// scanned bar code), searching, leaving the screen, and opening the entry
// page for a new product or the current one.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "Pkg_Vrt00002.h"
#include "QulShared.h"
#include "StoreLocale.h"
#include "TMessages.h"
#include "VirtualKeys.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableView>

namespace {
const QString kPagina2 = QStringLiteral("Pagina2");
const QString kCodigoBarras = QStringLiteral("CDBARPRODUTO");
}  // namespace

void TfrmCadProd::sbtProxDestClick(QObject *)
{
    cdsProduto->Next();
}

void TfrmCadProd::sbtAntDestClick(QObject *)
{
    cdsProduto->Prior();
}

void TfrmCadProd::moveLista(int Key)
{
    // A page: the rows the grid shows whole, at least one.
    const int pagina = qMax(1, dbgProduto->viewport()->height() / qMax(1, dbgProduto->verticalHeader()->defaultSectionSize()));
    const int atual = cdsProduto->RecNo();
    switch (Key) {
    case VK_UP: cdsProduto->SetRecNo(atual - 1); break;
    case VK_DOWN: cdsProduto->SetRecNo(atual + 1); break;
    case VK_PRIOR: cdsProduto->SetRecNo(atual - pagina); break;
    case VK_NEXT: cdsProduto->SetRecNo(atual + pagina); break;
    case VK_HOME: cdsProduto->SetRecNo(1); break;
    case VK_END: cdsProduto->SetRecNo(cdsProduto->RecordCount()); break;
    default: break;
    }
}

// The list as it was read: it is read again whenever the operator comes
// back to it and another terminal changed the store meanwhile.
void TfrmCadProd::localizaCodigoBarras(const QString &codigo)
{
    const TField *campo = cdsProduto->FindField(kCodigoBarras);
    for (int linha = 0; campo && linha < cdsProduto->RecordCount(); ++linha)
        if (cdsProduto->valueAt(linha, campo->Index()).toString() == codigo) {
            cdsProduto->SetRecNo(linha + 1);
            return;
        }
    mostraMensagem(msg("CODBAR_NENC").replace(QLatin1String("%s"), codigo), mtErro);
}

// Closes the screen; no question is asked.
void TfrmCadProd::sbtSairClick(QObject *)
{
    m_podeFechar = true;
    close();
}

void TfrmCadProd::LimpaCampos()
{
    for (TBlendedButton *e : {edtCodigo, edtCodRed, edtNomeProd, edtUnidade, edtPrecoUnit, edtImposto, edtPortaImp,
                              edtAliq, edtTara, edtCodBarra})
        e->setCaption(QString());
}

// A new product: empty fields, Não, no print port, a one-shot shift so the
// first letter typed is a capital.
void TfrmCadProd::sbtIncluirClick(QObject *)
{
    FCapsLock = false;
    FShift = false;
    sbtShiftClick(sbtShift);
    FOperacao = QStringLiteral("I");
    FCampoAtual = 2;
    MudaCor();
    MostraPagina(kPagina2);
    LimpaCampos();
    imgNaoClick(imgNao);
    edtPortaImp->setCaption(msg("NENHUMA"));
}

// The current product on the entry page. An empty list opens it all the
// same, with empty texts and zeros.
void TfrmCadProd::sbtEditarClick(QObject *)
{
    if (produtoSumiu())
        return;
    FCapsLock = false;
    FShift = false;
    sbtShiftClick(sbtShift);
    FOperacao = QStringLiteral("E");
    m_impostoEscolhido = false;
    FCampoAtual = 2;
    MudaCor();
    mostraProdutoAtual();
    MostraPagina(kPagina2);
}

// The list's current product in the entry fields; it is also the row that
// the edit's save checks the stored product against.
void TfrmCadProd::mostraProdutoAtual()
{
    TClientDataSet *p = cdsProduto;
    const auto texto = [p](const char *campo) { return p->FieldByName(QLatin1String(campo))->AsString(); };
    const auto numero = [p](const char *campo) { return FormataValor(p->FieldByName(QLatin1String(campo))->AsFloat()); };
    edtCodigo->setCaption(texto("CDARVPROD"));
    edtCodRed->setCaption(texto("CDPRODINTE"));
    edtNomeProd->setCaption(texto("NMPRODUTO"));
    edtUnidade->setCaption(texto("SGUNIDADE"));
    edtPrecoUnit->setCaption(numero("VRPRECITEM"));
    edtImposto->setCaption(texto("SGIMPOSTO"));
    const QString porta = texto("CDPORIMPPROD");
    edtPortaImp->setCaption(porta == QLatin1String("0") ? msg("NENHUMA") : porta);
    edtAliq->setCaption(numero("VRPEALIMPFIS"));
    edtTara->setCaption(numero("QTTARAPROD"));
    edtCodBarra->setCaption(texto("CDBARPRODUTO"));

    FCdImposto = texto("CDIMPOSTO");
    FIdTpImposFis = texto("IDTPIMPOSFIS");
    FSgUnidade = texto("SGUNIDADE");

    if (texto("IDPESAPROD") == QLatin1String("S"))
        imgSimClick(imgSim);
    else
        imgNaoClick(imgNao);

    m_lido = TDataPacket();
    m_lido.fields = p->fieldDefs();
    if (!p->IsEmpty()) {
        QVariantList linha;
        for (int i = 0; i < p->FieldCount(); ++i)
            linha.append(p->Fields(i)->Value());
        m_lido.rows.append(linha);
    }
    m_entradaCarregada = estadoEntrada();
}

// Searches a copy of the list and makes the picked product current. The
// list is brought up to date first, as for Editar and Excluir.
void TfrmCadProd::sbtLocalizaClick(QObject *)
{
    atualizaSeMudou();
    cdsPesqProd->CopyRowsFrom(*cdsProduto);
    cdsPesqProd->First();
    if (cdsPesqProd->IsEmpty()) {
        mostraCatalogo("PROD_NCAD", mtErro);
        return;
    }
    if (Pesquisa(cdsPesqProd, 0, PesquisaArg::Sim, FCor1, FCor2, FCor3, FCor5, 0)) {
        const QString codigo = cdsPesqProd->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
        cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo, true);
    }
}

// Every decimal the value holds, and at least two: a value confirmed
// untouched goes back to the database as it came (a tare of 0,015 is not
// rounded to 0,01). Thousands are grouped, as the list shows them; the
// store's numbers whatever the machine's locale.
QString TfrmCadProd::FormataValor(double valor)
{
    QLocale local = localLoja();
    local.setNumberOptions(local.numberOptions() & ~QLocale::OmitGroupSeparator);
    QString texto = local.toString(valor, 'f', QLocale::FloatingPointShortest);
    const qsizetype virgula = texto.indexOf(local.decimalPoint());
    const qsizetype decimais = virgula < 0 ? 0 : texto.size() - virgula - local.decimalPoint().size();
    if (virgula < 0)
        texto += local.decimalPoint();
    return texto + QString(qMax<qsizetype>(0, 2 - decimais), local.zeroDigit().at(0));
}
