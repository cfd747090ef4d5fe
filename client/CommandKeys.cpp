// The form's keyboard: a physical key becomes a key-down for FormKeyDown
// and, where the key types one, a character for FormKeyPress; FormKeyDown
// tests its table of rows in order, each row on its own. A bar-code
// scanner's keys are told apart by their timestamps (ScannerBurst.h).

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "Pkg_Vrt00002.h"
#include "VirtualKeys.h"
#include "ui_TfrmCadProd.h"

#include <QKeyEvent>

namespace {
const QString kPagina1 = QStringLiteral("Pagina1");
}  // namespace

// As a physical keyboard delivers a key: the key-down first, then the
// characters only where the key yields some (ENTER, BACKSPACE and ESC do;
// DELETE, the function keys, SHIFT, CAPS LOCK and a dead key do not; the
// key after a dead key may yield the accent and then its own character).
void TfrmCadProd::trataTecla(QKeyEvent *event)
{
    int tecla = qtKeyToVirtualKey(event->key());
    const int shift = qtModifiersToShift(event->modifiers());
    const QByteArray caracteres = m_acentos.charsOf(event);
    const QString leitura = m_leitor.feed(event);
    if (tecla != 0)
        Guarda([&] { FormKeyDown(this, tecla, shift); });
    for (char caractere : caracteres)
        Guarda([&] { FormKeyPress(this, caractere); });
    // The ENTER that ends a scanner's burst has done what ENTER does, and
    // the digits what digits do; on the list page the code is looked up.
    if (!leitura.isEmpty() && PaginaAtiva() == kPagina1)
        Guarda([&] { localizaCodigoBarras(leitura); });
}

void TfrmCadProd::FormKeyDown(QObject *, int &Key, int Shift)
{
    // The page a row sees is the one active when that row is tested.
    const auto naPagina1 = [this] { return PaginaAtiva() == kPagina1; };

    if (Key == VK_RETURN)
        moveCampo(Shift);
    if (Key == VK_ESCAPE) {
        if (naPagina1())
            sbtSairClick(ui->sbtSair);
        else
            sbtSair2Click(ui->sbtSair2);
    }
    if (Key == VK_DELETE)
        limpaCampoAtual();
    if (Key == VK_BACK)
        apagaUltimoCaractere();
    if (Key == VK_F2 && naPagina1())
        sbtIncluirClick(ui->sbtIncluir);
    if (Key == VK_F3 && naPagina1())
        sbtEditarClick(ui->sbtEditar);
    if (Key == VK_F4 && naPagina1())
        sbtExcluirClick(ui->sbtExcluir);
    if (Key == VK_F5 && naPagina1())
        sbtLocalizaClick(ui->sbtLocaliza);
    // The list's keys, as any grid of a data-entry screen takes them.
    if ((Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END)
        && naPagina1())
        moveLista(Key);
    if (Key == VK_RETURN && (Shift & ssCtrl) && !naPagina1())
        sbtConfirmarClick(ui->sbtConfirmar);
    if (Key == VK_F9 && !naPagina1()) {
        switch (FCampoAtual) {
        case 4: dxfUnidadeClick(ui->dxfUnidade); break;
        case 6: dxfImpostoClick(ui->dxfImposto); break;
        case 9: dxfPortaImpClick(ui->dxfPortaImp); break;
        default: break;
        }
    }
    if (Key == VK_F1)
        RelFiscais();
    if (Key == VK_CAPITAL)
        sbtCapsLock->click();
    if (Key == VK_SHIFT)
        FShift = true;
    // The window system must not close the window on Alt+F4.
    if (Key == VK_F4 && Shift == ssAlt)
        Key = 0;
}
