// The entry page's fields: which one is current, what typing does to it,
// clearing and erasing, the weighed-product choice, and PostText, through
// which the on-screen keyboard types exactly as a physical one.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "Cp1252.h"
#include "FieldRules.h"
#include "VirtualKeys.h"

#include <QApplication>
#include <QLabel>

// ---------------------------------------------------------------- current field

void TfrmCadProd::selecionaCampo(int numero)
{
    FCampoAtual = numero;
    MudaCor();
}

// Touching a field makes it current; it does not open its picker.
void TfrmCadProd::edtCodigoClick(QObject *) { selecionaCampo(1); }
void TfrmCadProd::edtCodRedClick(QObject *) { selecionaCampo(2); }
void TfrmCadProd::edtNomeProdClick(QObject *) { selecionaCampo(3); }
void TfrmCadProd::edtUnidadeClick(QObject *) { selecionaCampo(4); }
void TfrmCadProd::edtPrecoUnitClick(QObject *) { selecionaCampo(5); }
void TfrmCadProd::edtImpostoClick(QObject *) { selecionaCampo(6); }
void TfrmCadProd::edtAliqClick(QObject *) { selecionaCampo(7); }
void TfrmCadProd::edtCodBarraClick(QObject *) { selecionaCampo(8); }
void TfrmCadProd::edtPortaImpClick(QObject *) { selecionaCampo(9); }
void TfrmCadProd::edtTaraClick(QObject *) { selecionaCampo(10); }

// ENTER walks the fields 2 to 10 and wraps; SHIFT+ENTER walks back; with
// exactly Ctrl the field stays, except that 10 goes on to 2.
void TfrmCadProd::moveCampo(int Shift)
{
    if (Shift == ssShift) {
        // From field 1 (never current: its control is disabled) too, the
        // walk back stays within the fields.
        FCampoAtual = FCampoAtual <= 2 ? 10 : FCampoAtual - 1;
    } else if (FCampoAtual >= 10 || FCampoAtual < 1) {
        FCampoAtual = 2;
    } else if (Shift != ssCtrl) {
        ++FCampoAtual;
    }
    MudaCor();
}

void TfrmCadProd::limpaCampoAtual()
{
    if (TBlendedButton *e = Campo(FCampoAtual))
        e->setCaption(QString());
}

void TfrmCadProd::apagaUltimoCaractere()
{
    const TRegraCampo *r = regraCampo(FCampoAtual);
    if (!r || !r->apagaUltimo)
        return;
    TBlendedButton *e = Campo(FCampoAtual);
    QString texto = e->caption();
    texto.chop(1);
    e->setCaption(texto);
}

// ---------------------------------------------------------------- typing

void TfrmCadProd::FormKeyPress(QObject *, char &Key)
{
    const TDigitacao d = digitaCaractere(FCampoAtual, Campo(FCampoAtual) ? Campo(FCampoAtual)->caption() : QString(),
                                         Key, FCapsLock, FShift);
    if (d.acao == TDigitacao::Engolido) {
        Key = 0;
    } else if (d.acao == TDigitacao::Anexado) {
        TBlendedButton *e = Campo(FCampoAtual);
        e->setCaption(e->caption() + d.anexo);
        // The shift that made this letter a capital (or not) is used up.
        if (d.usouShift && FShift)
            sbtShiftClick(sbtShift);
    }
    // A pending shift that no letter used ends here, and with it caps lock.
    if (FShift) {
        FShift = false;
        FCapsLock = true;
        sbtCapsLockClick(sbtCapsLock);
    }
}

// Each character goes to the form's own window and is handled completely
// (dialogs included) before the next one is sent.
void TfrmCadProd::PostText(const QString &Text, bool SendEnter, bool AsChar)
{
    const int shift = qtModifiersToShift(QGuiApplication::keyboardModifiers());
    for (const QChar c : Text) {
        if (AsChar) {
            TKeyMessage m(TKeyMessage::charType(), static_cast<unsigned char>(unicodeToCp1252(c)));
            QCoreApplication::sendEvent(this, &m);
        } else {
            TKeyMessage m(TKeyMessage::keyDownType(), c.unicode(), shift);
            QCoreApplication::sendEvent(this, &m);
        }
    }
    if (SendEnter) {
        TKeyMessage m(TKeyMessage::keyDownType(), VK_RETURN, shift);
        QCoreApplication::sendEvent(this, &m);
    }
}

// ---------------------------------------------------------------- weighed product

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
