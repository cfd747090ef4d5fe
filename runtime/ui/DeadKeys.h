#pragma once
// Dead keys, as a Windows window sees them: an accent key types nothing by
// itself and combines with the next key that types, so a Brazilian
// keyboard's dead tilde then "a" types "ã".

#include <QByteArray>

class QKeyEvent;

class TDeadKeyTyping {
public:
    // The code page 1252 characters that `event` types after the keys seen
    // before it: none for a dead key (it waits) or a key that types nothing
    // (a waiting dead key goes on waiting); the composed letter when the
    // waiting accent combines with the character (Unicode composition); the
    // spacing accent alone before a space; otherwise the spacing accent,
    // then the character.
    QByteArray charsOf(const QKeyEvent *event);

private:
    int m_deadKey = 0;  // the Qt key of the accent waiting, 0 for none
};
