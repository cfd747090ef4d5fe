// The module's entries that need no widgets: the connection string, the
// program's folder, the demo database and packets as JSON. Both libraries
// hold them: the screen's module (libqul00002.so) and the services library
// (libqul00002-services.so), each with its own state.
#include "qul00002.h"

#include "DataPacket.h"
#include "QulShared.h"
#include "ServiceCall.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <dlfcn.h>

namespace {

// Tells the shared services where this library was loaded from (the demo
// database's place depends on it), as soon as it is loaded.
[[maybe_unused]] const bool g_pastaModulo = [] {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&QulSetProgramDir), &info) && info.dli_fname && *info.dli_fname)
        SetModuleDir(QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath());
    return true;
}();

QString g_caminhoDemo;

}  // namespace

extern "C" QUL_EXPORT void QulSetStringConexQul(const char16_t *connectionString)
{
    SetStringConexQul(argText(connectionString));
}

extern "C" QUL_EXPORT void QulSetProgramDir(const char16_t *dir)
{
    SetProgramDir(argText(dir));
}

extern "C" QUL_EXPORT const char16_t *QulCaminhoBancoDemo(void)
{
    g_caminhoDemo = DemoDatabasePath();
    return QStringView(g_caminhoDemo).utf16();
}

extern "C" QUL_EXPORT void QulUsaBancoDemo(void)
{
    UseDemoDatabase();
}

extern "C" QUL_EXPORT int32_t QulPacoteParaJson(const QVariant *packet, QVariant *out)
{
    if (!out)
        return kServiceFailure;
    try {
        if (!packet || !isDataPacket(*packet))
            throw EPacketError(QStringLiteral("O valor recebido não é um pacote de dados."));
        *out = QString::fromUtf8(toDataPacket(*packet).toJsonText());
        return 0;
    } catch (const std::exception &e) {
        *out = exceptionMessage(e);
    } catch (...) {
        *out = QStringLiteral("Erro desconhecido ao converter o pacote.");
    }
    return kServiceFailure;
}

namespace {

// A result's JSON value, the packets in it included.
QJsonValue valorJson(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QJsonValue::Null;
    if (isDataPacket(v))
        return toDataPacket(v).toJson();
    if (v.metaType().id() == QMetaType::QVariantList) {
        QJsonArray a;
        for (const QVariant &e : v.toList())
            a.append(valorJson(e));
        return a;
    }
    // A number or a truth value stays one (getProdutoNaLista's place,
    // getProdutoMudou's answer); a text stays text.
    const QJsonValue j = QJsonValue::fromVariant(v);
    return j.isUndefined() || j.isNull() ? QJsonValue(v.toString()) : j;
}

}  // namespace

extern "C" QUL_EXPORT int32_t QulEscreveJson(const QVariant *value, TQulEscritaJson write, void *context)
{
    if (!value || !write)
        return kServiceFailure;
    try {
        if (isDataPacket(*value)) {
            // Straight from the packet's rows, whatever its size.
            toDataPacket(*value).writeJsonText(
                [write, context](const char *bytes, qsizetype size) { write(bytes, size, context); });
            return 0;
        }
        const QByteArray t = QJsonDocument(QJsonArray{valorJson(*value)}).toJson(QJsonDocument::Compact);
        write(t.constData() + 1, t.size() - 2, context);  // without the holder's brackets
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}

extern "C" QUL_EXPORT int32_t QulJsonParaPacote(const char16_t *json, QVariant *out)
{
    if (!out)
        return kServiceFailure;
    try {
        registerDataPacketType();
        QJsonParseError erro;
        const QJsonDocument doc = QJsonDocument::fromJson(argText(json).toUtf8(), &erro);
        if (!doc.isObject())
            throw EPacketError(QStringLiteral("Pacote JSON inválido: %1")
                                   .arg(erro.error == QJsonParseError::NoError ? QStringLiteral("não é um objeto")
                                                                               : erro.errorString()));
        *out = fromDataPacket(TDataPacket::fromJson(doc.object()));
        return 0;
    } catch (const std::exception &e) {
        *out = exceptionMessage(e);
    } catch (...) {
        *out = QStringLiteral("Erro desconhecido ao converter o pacote.");
    }
    return kServiceFailure;
}
