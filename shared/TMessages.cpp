#include "TMessages.h"

#include <QFile>

TMessages::TMessages(QObject *parent) : QObject(parent) {}

QStringList TMessages::messages() const { return m_lines; }

void TMessages::setMessages(const QStringList &lines) { m_lines = lines; }

bool TMessages::loadFromFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    m_lines = lines;
    return true;
}

QString TMessages::Msg(const QString &key) const
{
    for (const QString &line : m_lines) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0)
            continue;
        if (QStringView(line).left(bar) == key)
            return line.mid(bar + 1);
    }
    return QString();
}
