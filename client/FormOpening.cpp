// Opening the screen: the host's entry, the form's start-up, its placement
// and rounded region, the theme colours from the colour file, the field
// highlight, the print-port list and the product list.

#include "Cli_qul00002.h"

#include "BgrColor.h"
#include "BlendedControls.h"
#include "DesignLoader.h"
#include "QulShared.h"
#include "ScreenTheme.h"
#include "Srv_qul00002.h"
#include "TMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QRegion>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>

const char *const kArquivoCores = "PARAMETROSQUL.CDS";

namespace {

std::function<QRect()> g_tela;

// Default theme colours (0x00BBGGRR), FCor1 to FCor6.
const quint32 kCoresPadrao[6] = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};

const quint32 kCorCampoAtual = 255;  // red, 0x00BBGGRR
const quint32 kBranco = 16777215;

// The print ports after "Nenhuma", in CDORDEM order.
QStringList portasImpressao()
{
    QStringList p;
    for (int i = 1; i <= 9; ++i)
        p.append(QStringLiteral("COM%1").arg(i));
    for (int i = 1; i <= 9; ++i)
        p.append(QStringLiteral("LPT%1").arg(i));
    return p;
}

}  // namespace

void SetTelaHook(std::function<QRect()> hook)
{
    g_tela = std::move(hook);
}

QRect TelaAtual()
{
    if (g_tela)
        return g_tela();
    if (QScreen *s = QGuiApplication::primaryScreen())
        return s->geometry();
    return QRect(0, 0, 800, 600);
}

// ---------------------------------------------------------------- the host's entry

bool Cli_Qul00002::CriaTelaQul00002(const QVariantList &, QVariant &)
{
    if (frmCadProd) {
        // A screen is already showing: neither a second one nor a release.
        frmCadProd->raise();
        frmCadProd->activateWindow();
        return true;
    }
    // Whichever way the call ends: the form first, then the data module.
    struct Libera {
        ~Libera()
        {
            TfrmCadProd *f = frmCadProd;
            frmCadProd = nullptr;
            try {
                delete f;
            } catch (...) {
            }
            QulLiberaModuloDados();
        }
    } libera;
    frmCadProd = new TfrmCadProd(nullptr);
    frmCadProd->InicializaForm();
    frmCadProd->ShowModal();
    return true;
}

// ---------------------------------------------------------------- start-up

void TfrmCadProd::InicializaForm()
{
    // The data module (an existing one is used as it is), connected.
    chamaServico(QStringLiteral("QulAbreModuloDados"), QulAbreModuloDados, TFalhaServico::Levantada);

    // Height, then width; placed on the screen, overflowing a small one
    // evenly; corners rounded.
    resize(width(), 600);
    resize(800, height());
    move(PosicaoNaTela(TelaAtual(), size()));
    setMask(RegiaoArredondada(width(), height()));

    SetGridDefaultColors(dbgProduto);
    leCores();

    FCapsLock = false;
    FShift = false;
    MostraPagina(QStringLiteral("Pagina1"));

    // The theme, with the notebook kept white whatever it gave it.
    ColoreTela(this, FCor1, FCor2, FCor3, FCor4, FCor5, FCor6);
    QPalette pal = nbkProduto->palette();
    pal.setColor(QPalette::Window, colorFromBGR(kBranco));
    nbkProduto->setPalette(pal);
    nbkProduto->setAutoFillBackground(true);

    FCampoAtual = 2;
    MudaCor();
    InserePorta();
    frescor(u"I");
    m_vigiando = true;
    carregaProdutos();

    // Field 1 never takes input.
    edtCodigo->setEnabled(false);
    lblCodTela->setText(MontaRodapeGeral(true, QStringLiteral("QUL00002"), QStringLiteral("S")));
    lblCodTela->adjustSize();
}

void TfrmCadProd::carregaProdutos()
{
    if (m_vigiando)
        frescor(u"M");  // before the read: a change after it is seen next time
    // Held by nothing else once read: moved in, the list is held by
    // cdsProduto alone.
    QVariant pacote =
        chamaServico(QStringLiteral("getProduto"), [](QVariant *resultado) { return getProduto(u"T", resultado); })
            .value();
    cdsProduto->SetData(takeDataPacket(pacote));
    cdsProduto->First();
}

QPoint TfrmCadProd::PosicaoNaTela(const QRect &tela, const QSize &form)
{
    // Integer division truncates toward zero, as the placement requires:
    // 640 - 800 gives -80, 799 - 800 gives 0.
    return QPoint(tela.x() + (tela.width() - form.width()) / 2, tela.y() + (tela.height() - form.height()) / 2);
}

QRegion TfrmCadProd::RegiaoArredondada(int w, int h)
{
    const int d = 40;  // corner ellipse, width and height
    const int r = d / 2;
    QRegion reg(r, 0, w - d, h);
    reg += QRegion(0, r, w, h - d);
    reg += QRegion(0, 0, d, d, QRegion::Ellipse);
    reg += QRegion(w - d, 0, d, d, QRegion::Ellipse);
    reg += QRegion(0, h - d, d, d, QRegion::Ellipse);
    reg += QRegion(w - d, h - d, d, d, QRegion::Ellipse);
    return reg;
}

// The colour file beside the host executable. The stores' files come from
// a platform whose file names ignore letter case: the exact name is taken
// first, else any spelling of it.
QString TfrmCadProd::arquivoCores() const
{
    const QDir dir(ProgramDir());
    const QString exato = dir.filePath(QLatin1String(kArquivoCores));
    if (QFileInfo(exato).isFile())
        return exato;
    const QStringList achados =
        dir.entryList({QLatin1String(kArquivoCores)}, QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    return achados.isEmpty() ? QString() : dir.filePath(achados.first());
}

void TfrmCadProd::leCores()
{
    quint32 *cores[6] = {&FCor1, &FCor2, &FCor3, &FCor4, &FCor5, &FCor6};
    const QString arquivo = arquivoCores();
    if (arquivo.isEmpty()) {
        for (int i = 0; i < 6; ++i)
            *cores[i] = kCoresPadrao[i];
        return;
    }
    cdsParametrosQul->LoadFromFile(arquivo);
    cdsParametrosQul->Open();
    cdsParametrosQul->First();
    TField *campos[6];
    for (int i = 0; i < 6; ++i)
        campos[i] = cdsParametrosQul->FieldByName(QStringLiteral("INCOR%1").arg(i + 1));
    // A colour file with the fields but no record leaves the defaults.
    for (int i = 0; i < 6; ++i)
        *cores[i] = cdsParametrosQul->IsEmpty() ? kCoresPadrao[i] : quint32(campos[i]->AsInteger());
}

void TfrmCadProd::VoltaCor()
{
    for (int n = 1; n <= 10; ++n)
        if (auto *b = findChild<TBlendedShape *>(QStringLiteral("blsBorda%1").arg(n)))
            b->setBrushColor(colorFromBGR(FCor2));
}

void TfrmCadProd::MudaCor()
{
    VoltaCor();
    if (auto *b = findChild<TBlendedShape *>(QStringLiteral("blsBorda%1").arg(FCampoAtual)))
        b->setBrushColor(colorFromBGR(kCorCampoAtual));
}

void TfrmCadProd::InserePorta()
{
    TClientDataSet *p = cdsPortaImp;
    p->Close();
    p->SetIndexFieldNames(p->property("designIndexFieldNames").toString());
    p->CreateDataSet();
    TField *ordem = p->FieldByName(QStringLiteral("CDORDEM"));
    TField *porta = p->FieldByName(QStringLiteral("CDPORTAIMPNF"));
    QStringList linhas{msg("NENHUMA")};
    linhas += portasImpressao();
    for (int i = 0; i < linhas.size(); ++i) {
        p->Insert();
        ordem->SetAsInteger(i + 1);
        porta->SetAsString(linhas.at(i));
        p->Post();
    }
    p->SetIndexFieldNames(QStringLiteral("CDPORTAIMPNF"));
}
