#include "SystemLog.h"

#include "qul00002.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QSysInfo>
#include <cstdio>
#include <syslog.h>

namespace {

Q_LOGGING_CATEGORY(lcPrograma, QUL_LOG_CATEGORY, QtWarningMsg)

QtMessageHandler g_anterior = nullptr;
SystemLog::Sink g_destino;
QByteArray g_ident;

void trata(QtMsgType tipo, const QMessageLogContext &contexto, const QString &mensagem)
{
    if (!contexto.category || qstrcmp(contexto.category, QUL_LOG_CATEGORY) != 0 || tipo == QtDebugMsg
        || tipo == QtInfoMsg) {
        if (g_anterior)
            g_anterior(tipo, contexto, mensagem);
        return;
    }
    const QByteArray linha = mensagem.toUtf8();
    g_destino(tipo == QtWarningMsg ? LOG_WARNING : tipo == QtCriticalMsg ? LOG_ERR : LOG_CRIT, linha);
    const QByteArray hora = QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1();
    std::fprintf(stderr, "%s %s: %s\n", hora.constData(), g_ident.constData(), linha.constData());
}

}  // namespace

namespace SystemLog {

void install(const char *ident, Sink sink)
{
    g_ident = ident;
    if (sink) {
        g_destino = std::move(sink);
    } else {
        openlog(g_ident.constData(), LOG_PID, LOG_USER);
        g_destino = [](int prioridade, const QByteArray &linha) { syslog(prioridade, "%s", linha.constData()); };
    }
    const QtMessageHandler anterior = qInstallMessageHandler(trata);
    if (anterior != trata)
        g_anterior = anterior;
}

void warning(const QString &text)
{
    qCWarning(lcPrograma).noquote() << QStringLiteral("terminal %1: %2").arg(QSysInfo::machineHostName(), text);
}

}  // namespace SystemLog
