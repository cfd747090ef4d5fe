#include "Cli_qul00002.h"

#include "QulShared.h"
#include "QulSharedUi.h"
#include "Cp1252.h"
#include "DataSetTableModel.h"
#include "VirtualKeys.h"
#include "TrdmCadProd.h"
#include "Srv_qul00002.h"
#include "ui_TfrmCadProd.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QRegion>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>

TfrmCadProd *frmCadProd = nullptr;

const char *const kArquivoCores = "PARAMETROSQUL.CDS";

namespace {

std::function<QRect()> g_tela;

const QString kPagina1 = QStringLiteral("Pagina1");
const QString kPagina2 = QStringLiteral("Pagina2");
const QString kUnidade = QStringLiteral("Cli_Qul00002");

// Default theme colours (0x00BBGGRR), FCor1 to FCor6.
const quint32 kCoresPadrao[6] = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};

const int kCorCampoAtual = 255;  // red, 0x00BBGGRR

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

QByteArray leRecurso(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Desenho da tela não encontrado: %1").arg(path));
    return f.readAll();
}

// Ensures one exception-free stop for the message dialogs.
void mostraMensagem(const QString &texto, int tipo)
{
    Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("N"), tipo, QString(), QStringLiteral("002"), 0,
             nullptr);
}

}  // namespace

// The form's stored design lives in this unit's resources.
static void iniciaRecursosTela()
{
    Q_INIT_RESOURCE(client);
}

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

// ---------------------------------------------------------------- construction

TfrmCadProd::TfrmCadProd(QWidget *owner) : QDialog(owner), ui(new Ui::TfrmCadProd)
{
    iniciaRecursosTela();
    InstallProductLineFonts();
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    carregaDesenho();
    carregaDadosDesenho();
    ligaEventos();
}

TfrmCadProd::~TfrmCadProd()
{
    if (m_filtroInstalado && qApp)
        qApp->removeEventFilter(this);
    delete ui;
}

void TfrmCadProd::carregaDesenho()
{
    aplicaDesenho(this);

    nbkProduto = ui->nbkProduto;
    dbgProduto = ui->dbgProduto;
    edtCodigo = ui->edtCodigo;
    edtCodRed = ui->edtCodRed;
    edtNomeProd = ui->edtNomeProd;
    edtUnidade = ui->edtUnidade;
    edtPrecoUnit = ui->edtPrecoUnit;
    edtImposto = ui->edtImposto;
    edtAliq = ui->edtAliq;
    edtCodBarra = ui->edtCodBarra;
    edtPortaImp = ui->edtPortaImp;
    edtTara = ui->edtTara;
    sbtShift = ui->sbtShift;
    sbtCapsLock = ui->sbtCapsLock;
    sbtCCdil = ui->sbtCCdil;
    imgSim = ui->imgSim;
    imgNao = ui->imgNao;
    imgPadrao = ui->imgPadrao;
    imgPadrao1 = ui->imgPadrao1;
    lblCodTela = ui->lblCodTela;

    // The two picture holders are never shown.
    imgPadrao->hide();
    imgPadrao1->hide();
}

// Applies the design properties that Qt Designer has no place for: pixel
// font heights, pictures, auto-sized labels.
void TfrmCadProd::aplicaDesenho(QWidget *raiz)
{
    QList<QWidget *> ws = raiz->findChildren<QWidget *>();
    ws.prepend(raiz);
    for (QWidget *w : ws) {
        const QVariant altura = w->property("fontHeight");
        if (altura.isValid() && altura.toInt() < 0) {
            QFont f = w->font();
            f.setPixelSize(-altura.toInt());
            w->setFont(f);
        }
        const QString glyph = w->property("glyphName").toString();
        if (!glyph.isEmpty()) {
            const QPixmap p = qulGlyph(glyph);
            if (auto *b = qobject_cast<TBlendedButton *>(w))
                b->setGlyph(p);
            else if (auto *l = qobject_cast<QLabel *>(w))
                l->setPixmap(p);
        }
    }
    for (QWidget *w : ws)
        if (w->property("autoSize").toBool())
            w->adjustSize();
}

void TfrmCadProd::carregaDadosDesenho()
{
    const QJsonDocument doc = QJsonDocument::fromJson(leRecurso(QStringLiteral(":/client/TfrmCadProd.json")));
    const QJsonObject raiz = doc.object();
    for (const QJsonValue &dv : raiz.value(QStringLiteral("datasets")).toArray()) {
        const QJsonObject d = dv.toObject();
        auto *cds = new TClientDataSet(this);
        cds->setObjectName(d.value(QStringLiteral("name")).toString());
        for (const QJsonValue &fv : d.value(QStringLiteral("fields")).toArray()) {
            const QJsonObject f = fv.toObject();
            TFieldType tipo;
            if (!fieldTypeFromName(f.value(QStringLiteral("type")).toString(), &tipo))
                throw EDatabaseError(QStringLiteral("%1: tipo de campo inválido no desenho da tela.").arg(cds->objectName()));
            TField *campo = cds->AddField(f.value(QStringLiteral("name")).toString(), tipo,
                                          f.value(QStringLiteral("size")).toInt(),
                                          f.value(QStringLiteral("visible")).toBool(true),
                                          f.value(QStringLiteral("label")).toString());
            campo->DisplayWidth = f.value(QStringLiteral("displayWidth")).toInt();
        }
        const QString indice = d.value(QStringLiteral("indexFieldNames")).toString();
        if (!indice.isEmpty())
            cds->setProperty("designIndexFieldNames", indice);
    }
    auto ds = [this](const char *nome) {
        auto *c = findChild<TClientDataSet *>(QLatin1String(nome), Qt::FindDirectChildrenOnly);
        if (!c)
            throw EDatabaseError(QStringLiteral("Componente %1 ausente do desenho da tela.").arg(QLatin1String(nome)));
        return c;
    };
    cdsProduto = ds("cdsProduto");
    cdsInsProd = ds("cdsInsProd");
    cdsVd_Produto = ds("cdsVd_Produto");
    cdsVd_ProdConfTe = ds("cdsVd_ProdConfTe");
    cdsPesqProd = ds("cdsPesqProd");
    cdsUnidade = ds("cdsUnidade");
    cdsImposto = ds("cdsImposto");
    cdsPortaImp = ds("cdsPortaImp");
    cdsParametrosQul = ds("cdsParametrosQul");

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    if (!msgPadrao->loadFromFile(QStringLiteral(":/client/msgPadrao.txt")))
        throw Exception(QStringLiteral("Catálogo de mensagens da tela não encontrado."));

    dtsProduto = new TDataSetTableModel(cdsProduto, this);
    dtsProduto->setObjectName(QStringLiteral("dtsProduto"));
    for (const QJsonValue &gv : raiz.value(QStringLiteral("grids")).toArray()) {
        const QJsonObject g = gv.toObject();
        if (g.value(QStringLiteral("name")).toString() != dbgProduto->objectName())
            continue;
        QList<TDataSetTableModel::Column> colunas;
        for (const QJsonValue &cv : g.value(QStringLiteral("columns")).toArray()) {
            const QJsonObject c = cv.toObject();
            TDataSetTableModel::Column col;
            col.field = c.value(QStringLiteral("field")).toString();
            col.title = c.value(QStringLiteral("title")).toString();
            col.width = c.value(QStringLiteral("width")).toInt();
            if (c.contains(QStringLiteral("color")))
                col.color = colorFromBGR(quint32(c.value(QStringLiteral("color")).toInteger()));
            if (c.contains(QStringLiteral("titleColor")))
                col.titleColor = colorFromBGR(quint32(c.value(QStringLiteral("titleColor")).toInteger()));
            colunas.append(col);
        }
        dtsProduto->setColumns(colunas);
    }
    attachDataSetView(dbgProduto, dtsProduto);
    dbgProduto->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    dbgProduto->horizontalHeader()->setHighlightSections(false);
    dbgProduto->verticalHeader()->hide();
}

void TfrmCadProd::ligaEventos()
{
    auto liga = [this](QAbstractButton *b, void (TfrmCadProd::*h)(QObject *)) {
        connect(b, &QAbstractButton::clicked, this, [this, b, h] { Guarda([&] { (this->*h)(b); }); });
    };
    liga(ui->sbtIncluir, &TfrmCadProd::sbtIncluirClick);
    liga(ui->sbtEditar, &TfrmCadProd::sbtEditarClick);
    liga(ui->sbtLocaliza, &TfrmCadProd::sbtLocalizaClick);
    liga(ui->sbtAntDest, &TfrmCadProd::sbtAntDestClick);
    liga(ui->sbtProxDest, &TfrmCadProd::sbtProxDestClick);
    liga(ui->sbtSair, &TfrmCadProd::sbtSairClick);
    liga(ui->sbtShift, &TfrmCadProd::sbtShiftClick);
    liga(ui->sbtCapsLock, &TfrmCadProd::sbtCapsLockClick);
    liga(ui->sbtSair2, &TfrmCadProd::sbtSair2Click);

    // Touching an entry field makes it the current field.
    for (int n = 1; n <= 10; ++n) {
        TBlendedButton *e = campo(n);
        connect(e, &QAbstractButton::clicked, this, [this, n] {
            Guarda([&] {
                FCampoAtual = n;
                MudaCor();
            });
        });
    }

    // The "Produto Pesado" options: frame, image and label of each react.
    connect(ui->blsBordaSim, &TBlendedShape::clicked, this, [this] { Guarda([&] { imgSimClick(ui->blsBordaSim); }); });
    connect(ui->blsBordaNao, &TBlendedShape::clicked, this, [this] { Guarda([&] { imgNaoClick(ui->blsBordaNao); }); });
    for (QWidget *w : {static_cast<QWidget *>(ui->imgSim), static_cast<QWidget *>(ui->Label12),
                       static_cast<QWidget *>(ui->imgNao), static_cast<QWidget *>(ui->lblNao)})
        w->installEventFilter(this);
}

TBlendedButton *TfrmCadProd::campo(int numero) const
{
    static const char *const nomes[10] = {"edtCodigo", "edtCodRed", "edtNomeProd", "edtUnidade", "edtPrecoUnit",
                                          "edtImposto", "edtAliq", "edtCodBarra", "edtPortaImp", "edtTara"};
    if (numero < 1 || numero > 10)
        return nullptr;
    return findChild<TBlendedButton *>(QLatin1String(nomes[numero - 1]));
}

// ---------------------------------------------------------------- start-up

void TfrmCadProd::InicializaForm()
{
    // 1-2. The data module, connected.
    if (!rdmCadProd)
        rdmCadProd = new TrdmCadProd(nullptr);
    rdmCadProd->adcCadProd->Open();

    // 3-5. Size and placement.
    resize(width(), 600);
    resize(800, height());
    move(PosicaoNaTela(TelaAtual(), size()));

    // 6. Rounded corners.
    setMask(RegiaoArredondada(width(), height()));

    // 7. The grid's default colours.
    coresPadraoGrade();

    // 8. Theme colours.
    leCores();

    // 9-10.
    FCapsLock = false;
    FShift = false;
    MostraPagina(kPagina1);

    // 11-12. Theme, with the notebook kept white.
    ColoreTela(this, FCor1, FCor2, FCor3, FCor4, FCor5, FCor6);
    QPalette pal = nbkProduto->palette();
    pal.setColor(QPalette::Window, colorFromBGR(16777215));
    nbkProduto->setPalette(pal);
    nbkProduto->setAutoFillBackground(true);

    // 13-14.
    FCampoAtual = 2;
    MudaCor();
    InserePorta();

    // 15. The product list.
    QVariant resultado;
    if (getProduto(u"T", &resultado) != 0)
        throw Exception(QStringLiteral("Falha na chamada do serviço getProduto."));
    const QVariant pacote = MensagemMetodo(resultado, true, 0, QStringLiteral("getProduto"), kUnidade,
                                           QStringLiteral("T"), QString());
    cdsProduto->SetData(toDataPacket(pacote));
    cdsProduto->First();

    // 16-17.
    edtCodigo->setEnabled(false);
    lblCodTela->setText(MontaRodapeGeral(true, QStringLiteral("QUL00002"), QStringLiteral("S")));
    lblCodTela->adjustSize();
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

void TfrmCadProd::coresPadraoGrade()
{
    QTableView *g = dbgProduto;
    QPalette pal = g->palette();
    const QColor corGrade = g->property("gridColor").value<QColor>();
    pal.setColor(QPalette::Base, corGrade.isValid() ? corGrade : QColor(Qt::white));
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Text, colorFromBGR(8388608));
    pal.setColor(QPalette::Highlight, colorFromBGR(8388608));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, colorFromBGR(8388608));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    g->setPalette(pal);

    // Titles: the stored title font on the stored title colour.
    QFont titulo(g->property("titleFontFamily").toString());
    titulo.setBold(true);
    titulo.setPixelSize(-g->property("titleFontHeight").toInt());
    QHeaderView *h = g->horizontalHeader();
    h->setFont(titulo);
    const QColor fundo = g->property("titleColor").value<QColor>();
    const QList<TDataSetTableModel::Column> cols = dtsProduto->effectiveColumns();
    const QColor texto = cols.isEmpty() || !cols.first().titleColor.isValid() ? QColor(Qt::white) : cols.first().titleColor;
    h->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: %2; border: none; "
                                    "padding-left: 2px; }")
                         .arg(fundo.name(), texto.name()));
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 4);
    h->setFixedHeight(QFontMetrics(titulo).height() + 4);
}

void TfrmCadProd::leCores()
{
    quint32 *cores[6] = {&FCor1, &FCor2, &FCor3, &FCor4, &FCor5, &FCor6};
    const QString arquivo = QDir(ProgramDir()).filePath(QLatin1String(kArquivoCores));
    if (QFileInfo(arquivo).isFile()) {
        cdsParametrosQul->LoadFromFile(arquivo);
        cdsParametrosQul->Open();
        cdsParametrosQul->First();
        TField *campos[6];
        for (int i = 0; i < 6; ++i)
            campos[i] = cdsParametrosQul->FieldByName(QStringLiteral("INCOR%1").arg(i + 1));
        // A colour file with the fields but no record leaves the defaults.
        for (int i = 0; i < 6; ++i)
            *cores[i] = cdsParametrosQul->IsEmpty() ? kCoresPadrao[i] : quint32(campos[i]->AsInteger());
    } else {
        for (int i = 0; i < 6; ++i)
            *cores[i] = kCoresPadrao[i];
    }
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
    QStringList linhas{msgPadrao->Msg(QStringLiteral("NENHUMA"))};
    linhas += portasImpressao();
    for (int i = 0; i < linhas.size(); ++i) {
        p->Insert();
        ordem->SetAsInteger(i + 1);
        porta->SetAsString(linhas.at(i));
        p->Post();
    }
    p->SetIndexFieldNames(QStringLiteral("CDPORTAIMPNF"));
}

// ---------------------------------------------------------------- showing

int TfrmCadProd::ShowModal()
{
    setWindowModality(Qt::ApplicationModal);
    return exec();
}

void TfrmCadProd::showEvent(QShowEvent *event)
{
    if (!m_filtroInstalado) {
        qApp->installEventFilter(this);
        m_filtroInstalado = true;
    }
    QDialog::showEvent(event);
}

void TfrmCadProd::hideEvent(QHideEvent *event)
{
    if (m_filtroInstalado) {
        qApp->removeEventFilter(this);
        m_filtroInstalado = false;
    }
    QDialog::hideEvent(event);
}

void TfrmCadProd::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    ajustaAlinhamentoCliente(this);
}

void TfrmCadProd::ajustaAlinhamentoCliente(QWidget *raiz)
{
    nbkProduto->setGeometry(raiz->rect());
    for (int i = 0; i < nbkProduto->count(); ++i)
        nbkProduto->widget(i)->setGeometry(QRect(QPoint(0, 0), nbkProduto->size()));
    const QList<QWidget *> ws = raiz->findChildren<QWidget *>();
    for (QWidget *w : ws)
        if (w != nbkProduto && w->property("alignClient").toBool() && w->parentWidget())
            w->setGeometry(w->parentWidget()->rect());
}

QString TfrmCadProd::PaginaAtiva() const
{
    QWidget *w = nbkProduto->currentWidget();
    return w ? w->objectName() : QString();
}

void TfrmCadProd::MostraPagina(const QString &nome)
{
    for (int i = 0; i < nbkProduto->count(); ++i)
        if (nbkProduto->widget(i)->objectName() == nome) {
            nbkProduto->setCurrentIndex(i);
            return;
        }
    throw EDatabaseError(QStringLiteral("Página %1 não encontrada.").arg(nome));
}

void TfrmCadProd::Guarda(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EAbort &) {
        // Whoever raised it has already told the operator.
    } catch (const std::exception &e) {
        ShowErrorReport(exceptionMessage(e));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Erro desconhecido."));
    }
}

bool TfrmCadProd::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this && isVisible()) {
            bool tratado = false;
            Guarda([&] { tratado = trataTecla(static_cast<QKeyEvent *>(event)); });
            return tratado;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton)
            break;
        if (watched == ui->imgSim || watched == ui->Label12) {
            Guarda([&] { imgSimClick(watched); });
            return true;
        }
        if (watched == ui->imgNao || watched == ui->lblNao) {
            Guarda([&] { imgNaoClick(watched); });
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// A key of the form's window: first the key-down handler; every key is
// the form's, none reaches a control.
bool TfrmCadProd::trataTecla(QKeyEvent *event)
{
    int tecla = qtKeyToVirtualKey(event->key());
    const int shift = qtModifiersToShift(event->modifiers());
    if (tecla != 0)
        FormKeyDown(this, tecla, shift);
    return true;
}

void TfrmCadProd::FormKeyDown(QObject *Sender, int &Key, int Shift)
{
    const bool pagina1 = PaginaAtiva() == kPagina1;
    if (Key == VK_ESCAPE) {
        if (pagina1)
            sbtSairClick(ui->sbtSair);
        else
            sbtSair2Click(ui->sbtSair2);
    }
    if (pagina1 && Key == VK_F2)
        sbtIncluirClick(ui->sbtIncluir);
    if (pagina1 && Key == VK_F3)
        sbtEditarClick(ui->sbtEditar);
    if (pagina1 && Key == VK_F5)
        sbtLocalizaClick(ui->sbtLocaliza);
    if (Key == VK_SHIFT)
        FShift = true;
    if (Key == VK_F4 && Shift == ssAlt)
        Key = 0;
}

// ---------------------------------------------------------------- list page

void TfrmCadProd::sbtProxDestClick(QObject *)
{
    cdsProduto->Next();
}

void TfrmCadProd::sbtAntDestClick(QObject *)
{
    cdsProduto->Prior();
}

void TfrmCadProd::sbtSairClick(QObject *)
{
    close();
}

void TfrmCadProd::LimpaCampos()
{
    for (TBlendedButton *e : {edtCodigo, edtCodRed, edtNomeProd, edtUnidade, edtPrecoUnit, edtImposto, edtPortaImp,
                              edtAliq, edtTara, edtCodBarra})
        e->setCaption(QString());
}

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
    edtPortaImp->setCaption(msgPadrao->Msg(QStringLiteral("NENHUMA")));
}

void TfrmCadProd::sbtEditarClick(QObject *)
{
    FCapsLock = false;
    FShift = false;
    sbtShiftClick(sbtShift);
    FOperacao = QStringLiteral("E");
    FCampoAtual = 2;
    MudaCor();

    TClientDataSet *p = cdsProduto;
    auto texto = [p](const char *campo) { return p->FieldByName(QLatin1String(campo))->AsString(); };
    auto numero = [p](const char *campo) { return FormataValor(p->FieldByName(QLatin1String(campo))->AsFloat()); };
    edtCodigo->setCaption(texto("CDARVPROD"));
    edtCodRed->setCaption(texto("CDPRODINTE"));
    edtNomeProd->setCaption(texto("NMPRODUTO"));
    edtUnidade->setCaption(texto("SGUNIDADE"));
    edtPrecoUnit->setCaption(numero("VRPRECITEM"));
    edtImposto->setCaption(texto("SGIMPOSTO"));
    const QString porta = texto("CDPORIMPPROD");
    edtPortaImp->setCaption(porta == QLatin1String("0") ? msgPadrao->Msg(QStringLiteral("NENHUMA")) : porta);
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
    MostraPagina(kPagina2);
}

void TfrmCadProd::sbtLocalizaClick(QObject *)
{
    cdsPesqProd->SetData(cdsProduto->Data());
    cdsPesqProd->First();
    if (cdsPesqProd->IsEmpty()) {
        mostraMensagem(msgPadrao->Msg(QStringLiteral("PROD_NCAD")), 3);
        return;
    }
    if (Pesquisa(cdsPesqProd, 0, QStringLiteral("S"), FCor1, FCor2, FCor3, FCor5, 0)) {
        const QString codigo = cdsPesqProd->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
        cdsProduto->Locate(QStringLiteral("CDPRODUTO"), codigo, true);
    }
}

QString TfrmCadProd::FormataValor(double valor)
{
    QLocale local;
    local.setNumberOptions(local.numberOptions() & ~QLocale::OmitGroupSeparator);
    return local.toString(valor, 'f', 2);
}

// ---------------------------------------------------------------- entry page

void TfrmCadProd::imgSimClick(QObject *)
{
    imgNao->setPixmap(imgPadrao1->pixmap());
    imgSim->setPixmap(imgPadrao->pixmap());
}

void TfrmCadProd::imgNaoClick(QObject *)
{
    imgSim->setPixmap(imgPadrao1->pixmap());
    imgNao->setPixmap(imgPadrao->pixmap());
}

bool TfrmCadProd::ProdutoPesado() const
{
    return !imgSim->pixmap().isNull();
}

void TfrmCadProd::redesenhaLetras(bool maiusculas)
{
    for (char c = 'A'; c <= 'Z'; ++c) {
        const QString letra(QLatin1Char{c});
        if (auto *b = findChild<TBlendedButton *>(QStringLiteral("sbt") + letra))
            b->setCaption(maiusculas ? letra : letra.toLower());
    }
    sbtCCdil->setCaption(maiusculas ? QStringLiteral("Ç") : QStringLiteral("ç"));
}

void TfrmCadProd::sbtShiftClick(QObject *)
{
    FShift = !FShift;
    redesenhaLetras(FCapsLock != FShift);
}

void TfrmCadProd::sbtCapsLockClick(QObject *)
{
    FShift = false;
    FCapsLock = !FCapsLock;
    redesenhaLetras(FCapsLock);
}

void TfrmCadProd::sbtSair2Click(QObject *)
{
    const QString texto = msgPadrao->Msg(QStringLiteral("SAIR"));
    if (Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0,
                 nullptr)) {
        FShift = false;
        MostraPagina(kPagina1);
    }
}

// ---------------------------------------------------------------- entry

bool Cli_Qul00002::CriaTelaQul00002(const QVariantList &, QVariant &)
{
    if (frmCadProd) {
        // A screen is already showing: neither a second one nor a release.
        frmCadProd->raise();
        frmCadProd->activateWindow();
        return true;
    }
    struct Libera {
        ~Libera()
        {
            TfrmCadProd *f = frmCadProd;
            frmCadProd = nullptr;
            try {
                delete f;
            } catch (...) {
            }
            TrdmCadProd *d = rdmCadProd;
            rdmCadProd = nullptr;
            try {
                delete d;
            } catch (...) {
            }
        }
    } libera;
    frmCadProd = new TfrmCadProd(nullptr);
    frmCadProd->InicializaForm();
    frmCadProd->ShowModal();
    return true;
}
