#pragma once
// The entry fields' typing rules as a table, and what typing a character
// into a field does, without any widget: the form applies the outcome.

#include "QulCoreExport.h"
#include <QString>

// What a field takes from the keyboard.
enum class TAceitos {
    Nada,     // picker fields: no typing
    Digitos,  // "0" to "9"
    Nome,     // the 68 name characters: space , . / 0-9 A-Z a-z Ç ç, and
              // letters with an accent, typed without it (semAcentos)
    Numero,   // "0" to "9", "," and "."
};

struct TRegraCampo {
    int numero;            // 1 to 10
    const char *controle;  // the entry control's name
    TAceitos aceitos;
    int limite;            // most characters the field takes by typing
    bool regraCaso;        // typed letters follow Caps Lock and Shift
    bool apagaUltimo;      // BACKSPACE erases the last character
};

// The tax whose rate the operator types in field 7; every other tax has
// none of its own.
inline const QString kImpostoDigitado = QStringLiteral("00");

// The rule of field `numero`; nullptr outside 1 to 10.
QUL_CORE_EXPORT const TRegraCampo *regraCampo(int numero);

// Outcome of typing one character into a field.
struct TDigitacao {
    enum Acao {
        Ignorado,  // not accepted: the character goes on unchanged
        Engolido,  // accepted but the field is full: the character becomes 0
        Anexado,   // `anexo` is appended to the field's text
    } acao = Ignorado;
    QChar anexo;
    bool usouShift = false;  // the case rule consumed the pending shift
};

// `ch` (a code page 1252 character) typed into field `numero` whose text is
// `texto`, with the on-screen Caps Lock and pending Shift as given. A letter
// with an accent typed into the name is taken as the letter without it
// ("ã" is "a"), which then follows the case rule as that letter does.
QUL_CORE_EXPORT TDigitacao digitaCaractere(int numero, const QString &texto, char ch, bool capsLock, bool shift);

// The case rule: letters "a" to "z" and "A" to "Z" in upper case when
// exactly one of Caps Lock and Shift is on, lower case otherwise; every
// other character (Ç and ç included) unchanged.
QUL_CORE_EXPORT QChar aplicaCaso(QChar c, bool maiuscula);

// The text with its letters' accents taken off ("ã" -> "a", "É" -> "E"), "Ç"
// and "ç" kept; any other character as it stands. One rule for the name
// typed on the entry page and the catalogue import's --ajustar-nomes.
QUL_CORE_EXPORT QString semAcentos(const QString &texto);

// Whether `texto` is one or more of the digits "0" to "9" and nothing else:
// what a code field takes (the reduced code, a product code of its own).
QUL_CORE_EXPORT bool soAlgarismos(QStringView texto);
