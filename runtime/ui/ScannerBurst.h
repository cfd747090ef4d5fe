#pragma once
// A bar-code scanner that types like a keyboard, told apart from a person
// by the keys' own timestamps (the moment the window system saw each key,
// not the moment the program got round to it, so a person's keys queued
// behind a slow command never look like a scanner, nor a scanner's like a
// person).
//
// The rule: a burst is a run of at least kMinDigits digit keys, each
// pressed at most kMaxGapMs after the one before, ended by ENTER at most
// kMaxGapMs after the last digit. Scanners send a code's keys a few
// milliseconds apart; a person's two keys seldom come under 50 ms apart,
// and five in a row (four digits and ENTER) never do. A repeated key (one
// held down), a key with Ctrl, Alt or Meta, or any other key ends the run;
// a key with no timestamp (0: sent by a program, as Qt Test sends them) is
// never close to the one before, so such keys never make a burst.

#include <QString>

class QKeyEvent;

class TScannerBurst {
public:
    static constexpr quint64 kMaxGapMs = 50;
    static constexpr int kMinDigits = 4;

    // Takes the key presses in the order they came. Returns the run's
    // digits when `event` is the ENTER that ends a burst, else nothing.
    QString feed(const QKeyEvent *event);

private:
    QString m_digits;     // the run so far
    quint64 m_last = 0;   // timestamp of its last digit
};
