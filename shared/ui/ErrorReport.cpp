#include "ErrorReport.h"

#include "FailureLog.h"
#include "QulShared.h"
#include "TouchDialogs.h"

#include <QApplication>
#include <cstdio>

namespace {
TErrorReportHook g_errorReportHook;
}  // namespace

void ShowErrorReport(const QString &message)
{
    registraFalha(QStringLiteral("tela de produtos"), message);
    if (g_errorReportHook) {
        g_errorReportHook(message);
        return;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // No screen to show it on (a console program): standard error.
        std::fprintf(stderr, "Erro: %s\n", message.toLocal8Bit().constData());
        return;
    }
    MensagemTouch(message, QStringLiteral("Erro"), MensagemArg::Nao, MensagemArg::Nao, mtErro, QString(), QString(), 0,
                  nullptr);
}

void SetErrorReportHook(TErrorReportHook hook) { g_errorReportHook = std::move(hook); }
