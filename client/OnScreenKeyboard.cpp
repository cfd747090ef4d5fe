// The on-screen keyboard: each key sends what a physical key would send
// (through PostText), Shift and Caps Lock with the letter captions that are
// their only display, and "Esc - Sair", which leaves the entry page.

#include "Cli_qul00002.h"

#include "BlendedControls.h"
#include "FieldRules.h"
#include "QulShared.h"
#include "VirtualKeys.h"

namespace {

QString umCaractere(int codigo)
{
    return QString(QChar(char16_t(codigo)));
}

}  // namespace

// The 40 character keys: the character of the key's Tag, a letter in upper
// case while Caps Lock or Shift is on.
void TfrmCadProd::sbt1Click(QObject *Sender)
{
    auto *tecla = qobject_cast<TBlendedButton *>(Sender);
    if (!tecla)
        return;
    const QChar c = aplicaCaso(QChar(char16_t(tecla->tag())), FCapsLock || FShift);
    PostText(QString(c), false, true);
}

void TfrmCadProd::sbtCCdilClick(QObject *)
{
    PostText(FCapsLock != FShift ? QStringLiteral("Ç") : QStringLiteral("ç"), false, true);
}

// BACKSPACE and DELETE as key-downs only: no character follows, so a
// pending shift stays.
void TfrmCadProd::sbtBackSpaceClick(QObject *)
{
    PostText(umCaractere(VK_BACK), false, false);
    repaint();
}

void TfrmCadProd::sbtLimparClick(QObject *)
{
    // "." is code 46, the DELETE key's code.
    PostText(QStringLiteral("."), false, false);
    repaint();
}

// Letter captions upper case exactly when one of Caps Lock and Shift is on.
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

// Leaves the entry page after the operator confirms; nothing is saved and
// the fields keep their values until the page opens again.
void TfrmCadProd::sbtSair2Click(QObject *)
{
    if (pergunta("SAIR")) {
        FShift = false;
        MostraPagina(QStringLiteral("Pagina1"));
    }
}
