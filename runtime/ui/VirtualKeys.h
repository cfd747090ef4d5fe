#pragma once
// Qt key events as the screens' key handlers see them: Windows virtual-key
// codes with a modifier set, and the code page 1252 character a key types.

#include <QEvent>
#include <Qt>

class QKeyEvent;

// Windows virtual-key codes the screens use.
enum TVirtualKey {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_LWIN = 91,
    VK_APPS = 93,
    VK_F1 = 112,
    VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
    VK_OEM_1 = 186,       // ;:  (ç on the Brazilian ABNT2 layout)
    VK_OEM_PLUS = 187,    // =+
    VK_OEM_COMMA = 188,   // ,<
    VK_OEM_MINUS = 189,   // -_
    VK_OEM_PERIOD = 190,  // .>
    VK_OEM_2 = 191,       // /?
    VK_OEM_3 = 192,       // `~
    VK_OEM_4 = 219,       // [{  (acute accent on ABNT2)
    VK_OEM_5 = 220,       // \|
    VK_OEM_6 = 221,       // ]}
    VK_OEM_7 = 222,       // '"  (tilde on ABNT2)
};

// Modifier set of a key-down: bit values of ssShift, ssAlt, ssCtrl.
enum TShiftFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// The virtual-key code of a Qt key (the physical key of a US keyboard for
// shifted symbols: '!' is the key '1'); 0 for a key without one.
int qtKeyToVirtualKey(int qtKey);
int qtModifiersToShift(Qt::KeyboardModifiers modifiers);

// The code page 1252 character that the key would type, as a Windows key
// press delivers it (ENTER 13, Ctrl+ENTER 10, ESC 27, BACKSPACE 8, TAB 9;
// "?" for a character outside code page 1252). False when the key types
// nothing (DELETE, function keys, arrows, dead keys, Alt combinations).
bool keyEventToCp1252Char(const QKeyEvent *event, char *out);

// A key message sent straight to a window, as a program sends one to its
// own window: a key-down with a virtual-key code and a modifier set, or a
// typed code page 1252 character. No character follows a key-down sent this
// way (only a physical key produces both).
class TKeyMessage : public QEvent {
public:
    static QEvent::Type keyDownType();
    static QEvent::Type charType();
    TKeyMessage(QEvent::Type type, int code, int shift = 0) : QEvent(type), code(code), shift(shift) {}
    int code;   // virtual-key code, or the character's code page 1252 value
    int shift;  // TShiftFlag bits of a key-down
};
