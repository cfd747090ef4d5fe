#include "ScannerBurst.h"

#include <QKeyEvent>

QString TScannerBurst::feed(const QKeyEvent *event)
{
    const quint64 t = event->timestamp();
    const bool timed = !event->isAutoRepeat()
                       && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    // A key without a timestamp (0) is never close to the one before.
    const bool close = timed && m_last != 0 && t >= m_last && t - m_last <= kMaxGapMs;
    const QString text = event->text();
    if (timed && text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9') {
        if (!close)
            m_digits.clear();
        m_digits += text;
        m_last = t;
        return QString();
    }
    const bool ends = close && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
                      && m_digits.size() >= kMinDigits;
    QString burst = ends ? m_digits : QString();
    m_digits.clear();
    m_last = 0;
    return burst;
}
