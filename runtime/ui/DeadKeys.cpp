#include "DeadKeys.h"

#include "Cp1252.h"
#include "VirtualKeys.h"

#include <QKeyEvent>
#include <QString>

namespace {

struct TAccent {
    int key;
    char16_t combining;  // the combining mark the accent composes with
    char16_t spacing;    // the accent typed on its own
};

const TAccent kAccents[] = {
    {Qt::Key_Dead_Grave, 0x0300, u'`'},     {Qt::Key_Dead_Acute, 0x0301, 0x00B4},
    {Qt::Key_Dead_Circumflex, 0x0302, u'^'}, {Qt::Key_Dead_Tilde, 0x0303, u'~'},
    {Qt::Key_Dead_Macron, 0x0304, 0x00AF},   {Qt::Key_Dead_Diaeresis, 0x0308, 0x00A8},
    {Qt::Key_Dead_Cedilla, 0x0327, 0x00B8},
};

const TAccent *accentOf(int key)
{
    for (const TAccent &a : kAccents)
        if (a.key == key)
            return &a;
    return nullptr;
}

// The spacing accent, then `next` when there is one.
QByteArray spacing(const TAccent *a, char next = 0)
{
    QByteArray chars(1, unicodeToCp1252(QChar(a->spacing)));
    if (next)
        chars.append(next);
    return chars;
}

}  // namespace

QByteArray TDeadKeyTyping::charsOf(const QKeyEvent *event)
{
    if (!event)
        return {};
    const TAccent *waiting = accentOf(m_deadKey);
    if (const TAccent *accent = accentOf(event->key())) {
        // A second accent: both are typed as they stand.
        m_deadKey = waiting ? 0 : accent->key;
        return waiting ? spacing(waiting) + spacing(accent) : QByteArray();
    }
    char c = 0;
    if (!keyEventToCp1252Char(event, &c))
        return {};
    m_deadKey = 0;
    if (!waiting)
        return QByteArray(1, c);
    if (c == ' ')
        return spacing(waiting);
    const QString composed =
        (QString(cp1252ToUnicode(c)) + QChar(waiting->combining)).normalized(QString::NormalizationForm_C);
    if (composed.size() == 1)
        return QByteArray(1, unicodeToCp1252(composed.at(0)));
    return spacing(waiting, c);
}
