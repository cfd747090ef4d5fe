#include "FailureLog.h"

#include <QSysInfo>

// Warnings and above unless QT_LOGGING_RULES says otherwise.
Q_LOGGING_CATEGORY(lcQulFalhas, "qul00002", QtWarningMsg)

void registraFalha(const QString &onde, const QString &texto)
{
    qCWarning(lcQulFalhas).noquote() << QStringLiteral("terminal %1: %2: %3")
                                            .arg(QSysInfo::machineHostName(), onde, texto.simplified());
}
