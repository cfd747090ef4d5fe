#pragma once
// Unit Cli_qul00002: the product registration screen ("Dados do Produto").
// The form TfrmCadProd is built from its stored design (TfrmCadProd.ui for
// the controls, TfrmCadProd.json for the client datasets and the grid's
// columns, msgPadrao.txt for the message catalogue) and talks to the
// product data service through the module's exported services.
//
// The class is one; its code lives in files by concern:
//   TfrmCadProd.cpp     building from the stored design, event plumbing,
//                       pages, showing and closing
//   FormOpening.cpp     CriaTelaQul00002, InicializaForm, placement,
//                       colours, field highlight, print-port list
//   ListPage.cpp        the list page's commands
//   EntryPage.cpp       field cycle, typing, clearing, PostText, touch
//   OnScreenKeyboard.cpp the keyboard keys, Shift and Caps Lock
//   Pickers.cpp         unit, tax and print-port pickers
//   CommandKeys.cpp     the key-down table FormKeyDown
//   Confirm.cpp         checking and saving a product
//   Delete.cpp          deleting a product
//   FreshList.cpp       noticing other terminals' changes of the store
//   ListAfterWrite.cpp  the list after this terminal's own save or delete
//   StaleEdit.cpp       an edit checked against the product as it was read
//   ServiceAnswers.cpp  calling a service and reading its answer

#include "DataSet.h"
#include "DeadKeys.h"
#include "ScannerBurst.h"

#include <QDialog>
#include <QHash>
#include <QRect>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <optional>

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

    // After this terminal saved or deleted the product `codigo` (a new
    // product, whose code the store gives it: empty, and `reduzido` its
    // reduced code) (ListAfterWrite.cpp): the list as a full reading would
    // give it, that one product read again when no other connection
    // changed the store, else the whole list; it stands on its first row
    // afterwards.
    void atualizaListaAposEscrita(const QString &codigo, const QString &reduzido = QString());

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
    void sbtExcluirClick(QObject *Sender);
    void sbtLocalizaClick(QObject *Sender);
    void sbtAntDestClick(QObject *Sender);
    void sbtProxDestClick(QObject *Sender);
    void sbtSairClick(QObject *Sender);
    // The list's own keys on the list page (virtual-key codes): UP and DOWN
    // one row, PAGE UP and PAGE DOWN the rows the grid shows whole, HOME
    // and END the first and the last row; never past either end.
    void moveLista(int Key);
    // A bar code read by the scanner on the list page: the list stands on
    // the product with that bar code, or the operator is told none has it.
    void localizaCodigoBarras(const QString &codigo);

    // Entry page: touching a field makes it current.
    void edtCodigoClick(QObject *Sender);
    void edtCodRedClick(QObject *Sender);
    void edtNomeProdClick(QObject *Sender);
    void edtUnidadeClick(QObject *Sender);
    void edtPrecoUnitClick(QObject *Sender);
    void edtImpostoClick(QObject *Sender);
    void edtAliqClick(QObject *Sender);
    void edtCodBarraClick(QObject *Sender);
    void edtPortaImpClick(QObject *Sender);
    void edtTaraClick(QObject *Sender);
    // The "Produto Pesado" choice.
    void imgSimClick(QObject *Sender);
    void imgNaoClick(QObject *Sender);

    // The on-screen keyboard.
    void sbt1Click(QObject *Sender);  // the 40 character keys, by their Tag
    void sbtCCdilClick(QObject *Sender);
    void sbtBackSpaceClick(QObject *Sender);
    void sbtLimparClick(QObject *Sender);
    void sbtShiftClick(QObject *Sender);
    void sbtCapsLockClick(QObject *Sender);
    void sbtSair2Click(QObject *Sender);

    // Pickers.
    void dxfUnidadeClick(QObject *Sender);
    void dxfImpostoClick(QObject *Sender);
    void dxfPortaImpClick(QObject *Sender);

    // Saving the product on the entry page.
    void sbtConfirmarClick(QObject *Sender);

    // Key-down of the form (every key of the form's window reaches it
    // first while the form is shown): Key is a virtual-key code and may be
    // set to 0; Shift is a set of TShiftFlag bits.
    void FormKeyDown(QObject *Sender, int &Key, int Shift);
    // A typed code page 1252 character; may be set to 0 (swallowed).
    void FormKeyPress(QObject *Sender, char &Key);
    // Sends each character of Text to the form's own window, synchronously:
    // as a typed character (AsChar) or as a key-down with that code; then,
    // with SendEnter, a key-down of ENTER.
    void PostText(const QString &Text, bool SendEnter, bool AsChar);

    // Runs an event handler: an exception never leaves it. EAbort ends the
    // handler silently; any other exception is shown with the platform's
    // error report. Returns false when the handler ended by an exception.
    static bool Guarda(const std::function<void()> &handler);

    // Name of the active page of nbkProduto ("Pagina1" or "Pagina2").
    QString PaginaAtiva() const;
    void MostraPagina(const QString &nome);

    // The weighed-product choice stands at Sim (imgSim shows the mark).
    bool ProdutoPesado() const;
    // Entry field number n (1 to 10); nullptr outside that range.
    TBlendedButton *Campo(int numero) const;

    // A number as Editar shows it, in the store's numbers (localLoja): grouped
    // thousands, every decimal the value holds and at least two.
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
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void carregaDesenho();
    void carregaDadosDesenho();
    void ligaEventos();
    void leCores();
    QString arquivoCores() const;
    void redesenhaLetras(bool maiusculas);
    void trataTecla(QKeyEvent *event);
    void selecionaCampo(int numero);
    // Rows of the key-down table that work on the entry fields.
    void moveCampo(int Shift);
    void limpaCampoAtual();
    void apagaUltimoCaractere();
    // Loads the product list from getProduto("T"); the list stands on its
    // first row afterwards.
    void carregaProdutos();
    // A catalogue message shown with Mensagem (kind TMensagemTipo); with
    // `codigoTela` false the screen code is left empty.
    void mostraMensagem(const QString &texto, int tipo, bool codigoTela = true);
    void mostraCatalogo(const char *chave, int tipo);
    bool pergunta(const char *chave);
    // Every service the screen calls is called and its answer read here
    // (ServiceAnswers.cpp). `chamada` calls the service with a fresh result
    // variant and returns its status; `servico` names it in the reports.
    // What a failure (a failure status, or a failure text in the result)
    // does:
    //   Relatada  a failure status raises "Falha na chamada do serviço X.";
    //             a failure text is reported by MensagemMetodo, which then
    //             ends the command (EAbort)
    //   Levantada a failure status raises the result's text as the
    //             connection's error, shown by whoever opened the screen
    //   Calada    either reads as no answer, nothing shown: the caller
    //             falls back on a reading that reports it
    // Only Calada returns no answer.
    enum class TFalhaServico { Relatada, Levantada, Calada };
    using TChamadaServico = std::function<int32_t(QVariant *resultado)>;
    std::optional<QVariant> chamaServico(const QString &servico, const TChamadaServico &chamada,
                                         TFalhaServico falha = TFalhaServico::Relatada);
    // Confirm's steps (Confirm.cpp), each ending Confirm when it fails: the
    // entry page's checks and the numbers they read; the one-row packet in
    // cdsInsProd; the check that no other product holds its reduced code or
    // bar code; the save; the list and the pages after it.
    struct TValoresConfirmados {
        double preco = 0, aliquota = 0, tara = 0;
        bool pesado = false;
    };
    std::optional<TValoresConfirmados> confereEntrada();
    void montaPacote(const TValoresConfirmados &valores);
    bool codigosLivres(const QString &codigo, const QString &reduzido);
    bool gravaProduto();
    void mostraGravado(const QString &codigo, const QString &reduzido);
    bool listaParaEscolha(TClientDataSet *lista, const char *chaveVazia, const QString &campo, const QString &valor);
    // A tax other than "00" picked: its rate field shows 0, and the save
    // sends 0 instead of the stored rate (Confirm.cpp).
    void zeraAliquota();
    // The rate the save sends: the typed one for the tax "00"; for another
    // tax, on an edit where no tax was picked, the rate stored with the
    // product as Editar read it; else 0.
    double aliquotaGravada(double digitada) const;
    // A text of the message catalogue.
    QString msg(const char *chave) const;

    // Other terminals (FreshList.cpp): the list reloaded, its current
    // product kept, when another connection changed the store since it was
    // read; true when it was reloaded.
    bool atualizaSeMudou();
    // Before Editar and Excluir: true, after telling the operator, when the
    // reload took away the current product (another terminal deleted it).
    bool produtoSumiu();
    // The product `codigo` (empty: the one of reduced code `reduzido`)
    // read again and put in its place in the list (or taken out); false,
    // with the list untouched, when the answer cannot place it.
    bool poeProdutoNaLista(const QString &codigo, const QString &reduzido);
    // The freshness entry getProdutoMudou with `operacao`: its answer; a
    // failure is reported as every service's (chamaServico).
    QVariant frescor(const char16_t *operacao);
    // Editar's filling of the entry fields from the list's current row,
    // which it keeps as the row the save is checked against (m_lido).
    void mostraProdutoAtual();
    // The edit's save (StaleEdit.cpp): checked against m_lido when there is
    // a row to check, else setProduto as always.
    int gravaPacote(const QVariant &pacote, QVariant *resultado);
    // The save was refused because the stored product changed: the entry
    // page shows it as stored now, keeping what the operator changed, or,
    // when it was deleted, the list page.
    void edicaoRecusada();
    // The entry page's values by name: the ten fields' captions by the
    // fields' names, the unit and tax codes behind them (FSgUnidade,
    // FCdImposto, FIdTpImposFis), the weighed choice ("Pesado": "S"/"N").
    using TEstadoEntrada = QHash<QString, QString>;
    TEstadoEntrada estadoEntrada() const;
    void poeEstadoEntrada(const TEstadoEntrada &estado);

    Ui::TfrmCadProd *ui;
    bool m_filtroInstalado = false;
    bool m_podeFechar = false;  // set by sbtSairClick: the only way out
    TDeadKeyTyping m_acentos;   // a dead key waiting for the next key
    TScannerBurst m_leitor;     // the keys of a bar-code scanner
    bool m_vigiando = false;  // other terminals' changes are watched (getProdutoMudou)
    TDataPacket m_lido;                 // the product row Editar showed
    TEstadoEntrada m_entradaCarregada;  // the entry page as Editar filled it
    bool m_impostoEscolhido = false;    // a tax other than "00" picked since Editar
};

// The one form; empty while no screen is open.
extern TfrmCadProd *frmCadProd;

// Screen size seam: the rectangle of the screen the form is placed on.
// Empty function: the primary screen.
void SetTelaHook(std::function<QRect()> hook);
QRect TelaAtual();

// Name of the colour file beside the host executable (found whatever the
// letter case of the name on disk).
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
