// The form itself: built from its stored design, its events bound by name,
// its two pages, and the plumbing that brings keys and touches to the
// handlers (each through Guarda, so no exception reaches the event loop).

#include "Cli_qul00002.h"

#include "BgrColor.h"
#include "BlendedControls.h"
#include "ClientResources.h"
#include "DataSetTableModel.h"
#include "DesignLoader.h"
#include "ErrorReport.h"
#include "FieldRules.h"
#include "ProductMessages.h"
#include "QulShared.h"
#include "ScreenTheme.h"
#include "StoreLocale.h"
#include "TMessages.h"
#include "VirtualKeys.h"
#include "ui_TfrmCadProd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTableView>

TfrmCadProd *frmCadProd = nullptr;

namespace {

QByteArray leRecurso(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Desenho da tela não encontrado: %1").arg(path));
    return f.readAll();
}

// The 40 keys that send the character of their Tag.
const char *const kTeclasCaractere[] = {
    "sbt1", "sbt2", "sbt3", "sbt4", "sbt5", "sbt6", "sbt7", "sbt8", "sbt9", "sbt0", "sbtQ", "sbtW", "sbtE", "sbtR",
    "sbtT", "sbtY", "sbtU", "sbtI", "sbtO", "sbtP", "sbtA", "sbtS", "sbtD", "sbtF", "sbtG", "sbtH", "sbtJ", "sbtK",
    "sbtL", "sbtZ", "sbtX", "sbtC", "sbtV", "sbtB", "sbtN", "sbtM", "sbtVirgula", "sbtPonto", "sbtBarra", "sbtEspaco"};

}  // namespace

// The form's stored design and the message catalogue live in this unit's
// resources.
void iniciaRecursosTela()
{
    Q_INIT_RESOURCE(client);
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
    ApplyDesignProperties(this);

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

// The non-visual part of the design: client datasets with their persistent
// fields, the message catalogue, and the grid's columns.
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
            campo->SearchWhole = f.value(QStringLiteral("searchWhole")).toBool();
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
    msgPadrao->setMessages(linhasMensagensPadrao());
    if (msgPadrao->messages().isEmpty())
        throw Exception(QStringLiteral("Catálogo de mensagens da tela não encontrado."));

    dtsProduto = new TDataSetTableModel(cdsProduto, this);
    dtsProduto->setObjectName(QStringLiteral("dtsProduto"));
    dtsProduto->setLocale(localLoja());
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

// Binds each control's click to its handler by name, as the design does.
void TfrmCadProd::ligaEventos()
{
    const auto liga = [this](QAbstractButton *b, void (TfrmCadProd::*h)(QObject *)) {
        if (!b)
            throw EDatabaseError(QStringLiteral("Controle ausente do desenho da tela."));
        connect(b, &QAbstractButton::clicked, this, [this, b, h] { Guarda([&] { (this->*h)(b); }); });
    };
    liga(ui->sbtIncluir, &TfrmCadProd::sbtIncluirClick);
    liga(ui->sbtEditar, &TfrmCadProd::sbtEditarClick);
    liga(ui->sbtExcluir, &TfrmCadProd::sbtExcluirClick);
    liga(ui->sbtLocaliza, &TfrmCadProd::sbtLocalizaClick);
    liga(ui->sbtAntDest, &TfrmCadProd::sbtAntDestClick);
    liga(ui->sbtProxDest, &TfrmCadProd::sbtProxDestClick);
    liga(ui->sbtSair, &TfrmCadProd::sbtSairClick);

    liga(ui->edtCodigo, &TfrmCadProd::edtCodigoClick);
    liga(ui->edtCodRed, &TfrmCadProd::edtCodRedClick);
    liga(ui->edtNomeProd, &TfrmCadProd::edtNomeProdClick);
    liga(ui->edtUnidade, &TfrmCadProd::edtUnidadeClick);
    liga(ui->edtPrecoUnit, &TfrmCadProd::edtPrecoUnitClick);
    liga(ui->edtImposto, &TfrmCadProd::edtImpostoClick);
    liga(ui->edtAliq, &TfrmCadProd::edtAliqClick);
    liga(ui->edtCodBarra, &TfrmCadProd::edtCodBarraClick);
    liga(ui->edtPortaImp, &TfrmCadProd::edtPortaImpClick);
    liga(ui->edtTara, &TfrmCadProd::edtTaraClick);
    liga(ui->dxfUnidade, &TfrmCadProd::dxfUnidadeClick);
    liga(ui->dxfImposto, &TfrmCadProd::dxfImpostoClick);
    liga(ui->dxfPortaImp, &TfrmCadProd::dxfPortaImpClick);

    for (const char *nome : kTeclasCaractere)
        liga(findChild<TBlendedButton *>(QLatin1String(nome)), &TfrmCadProd::sbt1Click);
    liga(ui->sbtCCdil, &TfrmCadProd::sbtCCdilClick);
    liga(ui->sbtBackSpace, &TfrmCadProd::sbtBackSpaceClick);
    liga(ui->sbtLimpar, &TfrmCadProd::sbtLimparClick);
    liga(ui->sbtShift, &TfrmCadProd::sbtShiftClick);
    liga(ui->sbtCapsLock, &TfrmCadProd::sbtCapsLockClick);
    liga(ui->sbtSair2, &TfrmCadProd::sbtSair2Click);
    liga(ui->sbtConfirmar, &TfrmCadProd::sbtConfirmarClick);

    // The "Produto Pesado" options: frame, image and label of each react.
    connect(ui->blsBordaSim, &TBlendedShape::clicked, this, [this] { Guarda([&] { imgSimClick(ui->blsBordaSim); }); });
    connect(ui->blsBordaNao, &TBlendedShape::clicked, this, [this] { Guarda([&] { imgNaoClick(ui->blsBordaNao); }); });
    for (QWidget *w : {static_cast<QWidget *>(ui->imgSim), static_cast<QWidget *>(ui->Label12),
                       static_cast<QWidget *>(ui->imgNao), static_cast<QWidget *>(ui->lblNao)})
        w->installEventFilter(this);
}

TBlendedButton *TfrmCadProd::Campo(int numero) const
{
    const TRegraCampo *r = regraCampo(numero);
    return r ? findChild<TBlendedButton *>(QLatin1String(r->controle)) : nullptr;
}

// ---------------------------------------------------------------- messages

QString TfrmCadProd::msg(const char *chave) const
{
    return msgPadrao->Msg(QLatin1String(chave));
}

void TfrmCadProd::mostraMensagem(const QString &texto, int tipo, bool codigoTela)
{
    Mensagem(texto, QString(), MensagemArg::Nao, MensagemArg::Nao, tipo, QString(),
             codigoTela ? MensagemArg::CodigoTela : QString(), 0, nullptr);
}

void TfrmCadProd::mostraCatalogo(const char *chave, int tipo)
{
    mostraMensagem(msg(chave), tipo);
}

bool TfrmCadProd::pergunta(const char *chave)
{
    return Mensagem(msg(chave), QString(), MensagemArg::Nao, MensagemArg::Sim, mtPergunta, QString(),
                    MensagemArg::CodigoTela, 0, nullptr);
}

// ---------------------------------------------------------------- pages

QString TfrmCadProd::PaginaAtiva() const
{
    QWidget *w = nbkProduto->currentWidget();
    return w ? w->objectName() : QString();
}

void TfrmCadProd::MostraPagina(const QString &nome)
{
    for (int i = 0; i < nbkProduto->count(); ++i)
        if (nbkProduto->widget(i)->objectName() == nome) {
            const bool voltaALista = nome == QLatin1String("Pagina1") && PaginaAtiva() != nome;
            nbkProduto->setCurrentIndex(i);
            if (voltaALista)
                atualizaSeMudou();
            return;
        }
    throw EDatabaseError(QStringLiteral("Página %1 não encontrada.").arg(nome));
}

// ---------------------------------------------------------------- showing and closing

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
    AlignClientControls(this);
}

// Only "Sair" (or ESC on the list page, which runs it) closes the screen: a
// window manager's close request or Alt+F4 would lose a product being typed.
void TfrmCadProd::closeEvent(QCloseEvent *event)
{
    if (!m_podeFechar) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmCadProd::reject()
{
    if (m_podeFechar)
        QDialog::reject();
}

bool TfrmCadProd::Guarda(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const EAbort &) {
        // Whoever raised it has already told the operator.
    } catch (const std::exception &e) {
        ShowErrorReport(exceptionMessage(e));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Erro desconhecido."));
    }
    return false;
}

// Every key of the form's window is the form's: its key handlers see it
// first and no control gets it, also when a handler failed (the key must
// not reach the dialog's own handling, where ESC would close the screen).
bool TfrmCadProd::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this && isVisible()) {
            trataTecla(static_cast<QKeyEvent *>(event));
            return true;
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

// Key messages sent to the form's own window (PostText).
bool TfrmCadProd::event(QEvent *event)
{
    if (event->type() == TKeyMessage::keyDownType()) {
        auto *m = static_cast<TKeyMessage *>(event);
        int tecla = m->code;
        Guarda([&] { FormKeyDown(this, tecla, m->shift); });
        return true;
    }
    if (event->type() == TKeyMessage::charType()) {
        char c = char(static_cast<TKeyMessage *>(event)->code);
        Guarda([&] { FormKeyPress(this, c); });
        return true;
    }
    return QDialog::event(event);
}
