#pragma once
// Unit Cli_qul00002: the product registration screen ("Dados do Produto").
// The form TfrmCadProd is built from its stored design (TfrmCadProd.ui for
// the controls, TfrmCadProd.json for the client datasets and the grid's
// columns, msgPadrao.txt for the message catalogue) and talks to the
// product data service through the module's exported services.

#include "DataSet.h"

#include <QDialog>
#include <QRect>
#include <QString>
#include <QVariant>
#include <functional>

class QLabel;
class QStackedWidget;
class QTableView;
class TBlendedButton;
class TBlendedShape;
class TDataSetTableModel;
class TMessages;

namespace Ui {
class TfrmCadProd;
}

class TfrmCadProd : public QDialog {
    Q_OBJECT
public:
    // Builds every component from the stored design. The data module is
    // neither created nor connected here (InicializaForm does it).
    explicit TfrmCadProd(QWidget *owner = nullptr);
    ~TfrmCadProd() override;

    // Start-up of a freshly created form; raises when the connection, the
    // colour file or the product list fails.
    void InicializaForm();
    // Shows the form modally; returns when it has closed.
    int ShowModal();

    // Field highlight: all ten frames in FCor2, then the frame of
    // FCampoAtual in red.
    void VoltaCor();
    void MudaCor();
    // Builds the print-port list cdsPortaImp.
    void InserePorta();
    // Empties the ten entry fields.
    void LimpaCampos();

    // List page commands.
    void sbtIncluirClick(QObject *Sender);
    void sbtEditarClick(QObject *Sender);
    void sbtLocalizaClick(QObject *Sender);
    void sbtAntDestClick(QObject *Sender);
    void sbtProxDestClick(QObject *Sender);
    void sbtSairClick(QObject *Sender);

    // Entry page: the "Produto Pesado" choice, the on-screen Shift and
    // Caps Lock, leaving the page.
    void imgSimClick(QObject *Sender);
    void imgNaoClick(QObject *Sender);
    void sbtShiftClick(QObject *Sender);
    void sbtCapsLockClick(QObject *Sender);
    void sbtSair2Click(QObject *Sender);

    // Key-down of the form (every key of the form's window reaches it
    // first while the form is shown). Key is a virtual-key code and may be
    // set to 0; Shift is a set of TShiftFlag bits.
    void FormKeyDown(QObject *Sender, int &Key, int Shift);

    // Runs an event handler: an exception never leaves it. EAbort ends the
    // handler silently; any other exception is shown with the platform's
    // error report.
    static void Guarda(const std::function<void()> &handler);

    // Name of the active page of nbkProduto ("Pagina1" or "Pagina2").
    QString PaginaAtiva() const;
    void MostraPagina(const QString &nome);

    // The weighed-product choice stands at Sim (imgSim shows the mark).
    bool ProdutoPesado() const;

    // "#,##0.00" in the user's locale (QLocale()).
    static QString FormataValor(double valor);

    // Placement on a screen: centred, and on a screen smaller than the
    // form offset by (screen - form) div 2, so the form overflows evenly.
    static QPoint PosicaoNaTela(const QRect &tela, const QSize &form);
    // The rounded window region: (0, 0) to (w, h), corner ellipses 40 x 40.
    static QRegion RegiaoArredondada(int w, int h);

    // Component by name (nullptr when absent).
    template <class T = QObject>
    T *componente(const QString &nome) const
    {
        return findChild<T *>(nome);
    }

    // Controls (named as in the stored design).
    QStackedWidget *nbkProduto = nullptr;
    QTableView *dbgProduto = nullptr;
    TBlendedButton *edtCodigo = nullptr, *edtCodRed = nullptr, *edtNomeProd = nullptr, *edtUnidade = nullptr,
                   *edtPrecoUnit = nullptr, *edtImposto = nullptr, *edtAliq = nullptr, *edtCodBarra = nullptr,
                   *edtPortaImp = nullptr, *edtTara = nullptr;
    TBlendedButton *sbtShift = nullptr, *sbtCapsLock = nullptr, *sbtCCdil = nullptr;
    QLabel *imgSim = nullptr, *imgNao = nullptr, *imgPadrao = nullptr, *imgPadrao1 = nullptr;
    QLabel *lblCodTela = nullptr;

    // Non-visual components.
    TClientDataSet *cdsProduto = nullptr, *cdsInsProd = nullptr, *cdsVd_Produto = nullptr,
                   *cdsVd_ProdConfTe = nullptr, *cdsPesqProd = nullptr, *cdsUnidade = nullptr,
                   *cdsImposto = nullptr, *cdsPortaImp = nullptr, *cdsParametrosQul = nullptr;
    TDataSetTableModel *dtsProduto = nullptr;
    TMessages *msgPadrao = nullptr;

    // State.
    bool FCapsLock = false;
    bool FShift = false;
    QString FSgUnidade;
    QString FOperacao;
    QString FCdImposto;
    QString FIdTpImposFis;
    int FCampoAtual = 0;
    quint32 FCor1 = 0, FCor2 = 0, FCor3 = 0, FCor4 = 0, FCor5 = 0, FCor6 = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void carregaDesenho();
    void carregaDadosDesenho();
    void aplicaDesenho(QWidget *w);
    void ajustaAlinhamentoCliente(QWidget *w);
    void ligaEventos();
    void leCores();
    void coresPadraoGrade();
    void redesenhaLetras(bool maiusculas);
    bool trataTecla(QKeyEvent *event);
    TBlendedButton *campo(int numero) const;

    Ui::TfrmCadProd *ui;
    bool m_filtroInstalado = false;
};

// The one form; empty while no screen is open.
extern TfrmCadProd *frmCadProd;

// Screen size seam: the rectangle of the screen the form is placed on.
// Empty function: the primary screen.
void SetTelaHook(std::function<QRect()> hook);
QRect TelaAtual();

// Name of the colour file beside the host executable.
extern const char *const kArquivoCores;

namespace Cli_Qul00002 {

// The host's entry to the screen: creates the form, initialises it, shows
// it modally and, whichever way it leaves, releases the form and then the
// data module. Exceptions reach the caller. Neither argument is read.
// While a screen opened by an earlier call is still showing, a call shows
// nothing, releases nothing (it brings the open screen to the front) and
// returns true.
bool CriaTelaQul00002(const QVariantList &args, QVariant &inout);

}  // namespace Cli_Qul00002
