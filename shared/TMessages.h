#pragma once
// The message catalogue component of the screens.

#include "QulCoreExport.h"
#include <QObject>
#include <QStringList>

// The message catalogue: lines "KEY|Text".
class QUL_CORE_EXPORT TMessages : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList messages READ messages WRITE setMessages)
public:
    explicit TMessages(QObject *parent = nullptr);
    QStringList messages() const;
    void setMessages(const QStringList &lines);
    bool loadFromFile(const QString &path);  // lines KEY|Text, UTF-8
    // The text after the bar in the first line whose key is `key`; empty when none.
    QString Msg(const QString &key) const;
private:
    QStringList m_lines;
};
