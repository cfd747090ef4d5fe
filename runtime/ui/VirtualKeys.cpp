#include "VirtualKeys.h"

#include "Cp1252.h"

#include <QKeyEvent>

// ---------------------------------------------------------------- keys

int qtKeyToVirtualKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Space: return VK_SPACE;
    // Shifted symbols: the key that types them on a US keyboard.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    // Brazilian ABNT2 keys.
    case Qt::Key_Ccedilla: return VK_OEM_1;
    case Qt::Key_Dead_Acute:
    case Qt::Key_Dead_Grave: return VK_OEM_4;
    case Qt::Key_Dead_Tilde:
    case Qt::Key_Dead_Circumflex: return VK_OEM_7;
    default: return 0;
    }
}

int qtModifiersToShift(Qt::KeyboardModifiers modifiers)
{
    int s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    return s;
}

namespace {

// Function, lock, modifier and movement keys type nothing, whatever text the
// window system attaches to them.
bool typesNothing(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return true;
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Menu:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Pause:
    case Qt::Key_Print:
    case Qt::Key_Insert:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

}  // namespace

bool keyEventToCp1252Char(const QKeyEvent *event, char *out)
{
    if (!event)
        return false;
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    char c = 0;
    bool have = false;

    // Keys whose character Windows delivers whatever the text says.
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: c = ctrl ? '\n' : '\r'; have = true; break;
    case Qt::Key_Escape: c = '\x1b'; have = true; break;
    case Qt::Key_Backspace: c = '\b'; have = true; break;
    case Qt::Key_Tab: c = '\t'; have = true; break;
    case Qt::Key_Delete: return false;  // X sends "\x7f": DELETE types nothing
    default: break;
    }
    if (!have && typesNothing(key))
        return false;
    if (!have) {
        // Alt combinations are menu keys, not typing (AltGr arrives as Ctrl+Alt
        // on some systems and still types).
        if (alt && !ctrl)
            return false;
        if (ctrl && !alt && key >= Qt::Key_A && key <= Qt::Key_Z) {
            // Ctrl+letter types its control code on Windows, whatever text
            // the platform attached to the event.
            if (out)
                *out = char(key - Qt::Key_A + 1);
            return true;
        }
        const QString text = event->text();
        if (text.isEmpty())
            return false;
        const QChar ch = text.at(0);
        if (ch.unicode() == 0x7f)
            return false;
        // A character the code page lacks (an emoji, a CJK letter) arrives
        // as "?", as a code page 1252 window receives it: still a typed
        // character, which no field takes.
        c = ch.unicode() < 0x20 ? char(ch.unicode()) : unicodeToCp1252(ch);
        have = true;
    }
    if (out)
        *out = c;
    return have;
}

QEvent::Type TKeyMessage::keyDownType()
{
    static const QEvent::Type t = QEvent::Type(QEvent::registerEventType());
    return t;
}

QEvent::Type TKeyMessage::charType()
{
    static const QEvent::Type t = QEvent::Type(QEvent::registerEventType());
    return t;
}
