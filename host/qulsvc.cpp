// qulsvc: the command-line front of the product data services. It loads the
// module and calls its exported functions, as a host does, and prints one
// JSON object: {"status": N, "result": R}.

#include "DataPacket.h"
#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

namespace {

using GetImpostoFn = int32_t (*)(QVariant *);
using GetProdutoFn = int32_t (*)(const char16_t *, QVariant *);
using GetVdProdutoFn = int32_t (*)(const char16_t *, const char16_t *, const char16_t *, QVariant *);
using SetProdutoFn = int32_t (*)(const QVariant *, const char16_t *, QVariant *);
using CriaFn = int32_t (*)(const char16_t *, QVariant *);
using LiberaFn = int32_t (*)();

const char *kUsage =
    "uso: qulsvc [--connection CADEIA] COMANDO\n"
    "  getImposto\n"
    "  getUnidade\n"
    "  getProduto CODIGO            (T para todos)\n"
    "  getVd_Produto CODIGO CODBARRAS CODREDUZIDO\n"
    "  setProduto OPERACAO ARQUIVO|-  (pacote JSON; - lê da entrada padrão)\n"
    "  setDelProduto CODIGO\n";

QJsonValue resultToJson(const QVariant &v)
{
    if (!v.isValid())
        return QJsonValue::Null;
    if (isDataPacket(v))
        return toDataPacket(v).toJson();
    if (v.metaType().id() == QMetaType::QVariantList) {
        QJsonArray a;
        for (const QVariant &e : v.toList())
            a.append(resultToJson(e));
        return a;
    }
    return v.toString();
}

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

void printResult(int32_t status, const QVariant &result)
{
    // Written by hand so that "status" comes first.
    QJsonArray holder{resultToJson(result)};
    QByteArray r = QJsonDocument(holder).toJson(QJsonDocument::Compact);
    r = r.mid(1, r.size() - 2);  // strip the holder's brackets
    std::printf("{\"status\":%d,\"result\":%s}\n", int(status), r.constData());
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    registerDataPacketType();
    QStringList args = app.arguments().mid(1);
    QString connection;
    if (!args.isEmpty() && args.first() == QLatin1String("--connection")) {
        if (args.size() < 2)
            return usage();
        connection = args.at(1);
        args = args.mid(2);
    } else if (!args.isEmpty() && args.first().startsWith(QLatin1String("--connection="))) {
        connection = args.first().mid(13);
        args = args.mid(1);
    }
    if (args.isEmpty())
        return usage();
    const QString cmd = args.takeFirst();
    const QHash<QString, int> arity{{QStringLiteral("getImposto"), 0},   {QStringLiteral("getUnidade"), 0},
                                    {QStringLiteral("getProduto"), 1},   {QStringLiteral("getVd_Produto"), 3},
                                    {QStringLiteral("setProduto"), 2},   {QStringLiteral("setDelProduto"), 1}};
    if (!arity.contains(cmd) || args.size() != arity.value(cmd))
        return usage();

    // Read the packet before touching the database.
    QVariant packet;
    if (cmd == QLatin1String("setProduto")) {
        QFile f;
        const QString src = args.at(1);
        bool ok = src == QLatin1String("-") ? f.open(stdin, QIODevice::ReadOnly) : (f.setFileName(src), f.open(QIODevice::ReadOnly));
        if (!ok) {
            std::fprintf(stderr, "qulsvc: não foi possível ler %s\n", src.toLocal8Bit().constData());
            return 2;
        }
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
        if (!doc.isObject()) {
            std::fprintf(stderr, "qulsvc: pacote JSON inválido: %s\n",
                         err.error == QJsonParseError::NoError ? "não é um objeto" : err.errorString().toLocal8Bit().constData());
            return 2;
        }
        try {
            packet = fromDataPacket(TDataPacket::fromJson(doc.object()));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "qulsvc: %s\n", e.what());
            return 2;
        }
    }

    ModuleLoader mod;
    if (!mod.load()) {
        std::fprintf(stderr, "qulsvc: %s\n", mod.error().toLocal8Bit().constData());
        return 1;
    }
    auto cria = reinterpret_cast<CriaFn>(mod.resolve("QulCriaModuloDados"));
    auto libera = reinterpret_cast<LiberaFn>(mod.resolve("QulLiberaModuloDados"));
    void *entry = mod.resolve(cmd.toLatin1().constData());
    if (!cria || !libera || !entry) {
        std::fprintf(stderr, "qulsvc: %s\n", mod.error().toLocal8Bit().constData());
        return 1;
    }
    QVariant error;
    if (cria(connection.isEmpty() ? nullptr : reinterpret_cast<const char16_t *>(connection.utf16()), &error) != 0) {
        std::fprintf(stderr, "qulsvc: %s\n", error.toString().toLocal8Bit().constData());
        return 1;
    }

    const auto w = [&](int i) { return reinterpret_cast<const char16_t *>(args.at(i).utf16()); };
    QVariant result;
    int32_t status = -1;
    if (cmd == QLatin1String("getImposto") || cmd == QLatin1String("getUnidade"))
        status = reinterpret_cast<GetImpostoFn>(entry)(&result);
    else if (cmd == QLatin1String("getProduto") || cmd == QLatin1String("setDelProduto"))
        status = reinterpret_cast<GetProdutoFn>(entry)(w(0), &result);
    else if (cmd == QLatin1String("getVd_Produto"))
        status = reinterpret_cast<GetVdProdutoFn>(entry)(w(0), w(1), w(2), &result);
    else if (cmd == QLatin1String("setProduto"))
        status = reinterpret_cast<SetProdutoFn>(entry)(&packet, w(0), &result);

    printResult(status, result);
    result = QVariant();
    libera();
    return 0;
}
