#include "ServiceAnswers.h"

#include "HostCommand.h"
#include "qul00002.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <cstdio>

namespace ServiceAnswers {

namespace {

// How often the wait for a change asks the store.
constexpr int kWatchPollMs = 200;

// A data packet as the JSON object the module writes for it (empty when
// it is none).
QJsonObject packetJson(ModuleLoader &mod, const QVariant &packet)
{
    auto toJson = QUL_ENTRY(mod, QulPacoteParaJson);
    QVariant text;
    if (!toJson || toJson(&packet, &text) != 0)
        return {};
    return QJsonDocument::fromJson(text.toString().toUtf8()).object();
}

// The values of the field `name` in the packet's rows, in their order.
QJsonArray column(const QJsonObject &packet, QLatin1String name)
{
    const QJsonArray fields = packet.value(QLatin1String("fields")).toArray();
    qsizetype at = -1;
    for (qsizetype i = 0; i < fields.size() && at < 0; ++i)
        if (fields.at(i).toObject().value(QLatin1String("name")).toString() == name)
            at = i;
    QJsonArray values;
    if (at < 0)
        return values;
    for (const QJsonValue &row : packet.value(QLatin1String("rows")).toArray())
        values.append(row.toArray().at(at));
    return values;
}

// getProdutoNaLista's answer for `code` or `reducedCode`: the packet and
// the place, or nothing when it failed.
std::optional<QVariantList> productInList(ModuleLoader &mod, const QString &code, const QString &reducedCode)
{
    auto naLista = QUL_ENTRY(mod, getProdutoNaLista);
    QVariant out;
    if (!naLista || naLista(QStringView(code).utf16(), QStringView(reducedCode).utf16(), &out) != 0
        || out.metaType().id() != QMetaType::QVariantList || out.toList().size() != 2)
        return std::nullopt;
    return out.toList();
}

}  // namespace

std::optional<bool> productExists(ModuleLoader &mod, const QString &code)
{
    const std::optional<QVariantList> found = productInList(mod, code, QString());
    if (!found)
        return std::nullopt;
    return found->at(1).toLongLong() != -1;  // -2: stored, but the list cannot place it
}

int deleteOutcome(ModuleLoader &mod, const char *program, const QString &code, std::optional<bool> existed,
                  const QVariant &answer)
{
    const QVariantList pair = answer.toList();
    const QString outcome = pair.value(0).toString();
    if (outcome == QLatin1String("VENDA")) {
        HostCommand::printError(program, QStringLiteral("produto %1: Produto não pode ser excluído pois está cadastrado "
                                                        "em uma venda ou comanda; nada foi excluído.")
                                             .arg(code));
        return kExitDeleteSale;
    }
    if (outcome == QLatin1String("CONFTE")) {
        QStringList groups;
        for (const QJsonValue &g : column(packetJson(mod, pair.value(1)), QLatin1String("DSBUTTON")))
            groups.append(g.toVariant().toString());
        HostCommand::printError(program, QStringLiteral("produto %1: Produto está incluso em uma configuração de tela. "
                                                        "Para excluí-lo entre na tela de configuração de vendas e o "
                                                        "exclua do grupo %2; nada foi excluído.")
                                             .arg(code, groups.join(QStringLiteral(", "))));
        return kExitDeleteScreen;
    }
    if (existed == false) {
        HostCommand::printError(program, QStringLiteral("não há produto de código %1; nada foi excluído.").arg(code));
        return kExitDeleteMissing;
    }
    return HostCommand::kExitOk;
}

QJsonArray insertedCodes(ModuleLoader &mod, const QVariant &packet)
{
    QJsonArray codes;
    for (const QJsonValue &reduced : column(packetJson(mod, packet), QLatin1String("CDPRODINTE"))) {
        const std::optional<QVariantList> found = productInList(mod, QString(), reduced.toVariant().toString());
        const QJsonArray code = found && found->at(1).toLongLong() >= 0
                                    ? column(packetJson(mod, found->at(0)), QLatin1String("CDPRODUTO"))
                                    : QJsonArray();
        codes.append(code.size() == 1 ? code.at(0) : QJsonValue());
    }
    return codes;
}

std::optional<int32_t> waitForChange(ModuleLoader &mod, const char *program, int seconds, QVariant *result)
{
    auto mudou = QUL_ENTRY(mod, getProdutoMudou);
    if (!mudou)
        return std::nullopt;
    // A failure leaves its text in `result`; "I" and "M" leave it empty.
    for (const char16_t *op : {u"I", u"M"})
        if (const int32_t status = mudou(op, result); status != 0 || result->isValid())
            return status;
    std::fprintf(stderr, "%s: vigiando os produtos por %d s\n", program, seconds);
    std::fflush(stderr);
    const QDeadlineTimer deadline{std::chrono::seconds(seconds)};
    for (;;) {
        const int32_t status = mudou(u"V", result);
        if (status != 0 || result->metaType().id() != QMetaType::Bool || result->toBool() || deadline.hasExpired())
            return status;
        QThread::msleep(std::min<qint64>(kWatchPollMs, deadline.remainingTime()));
    }
}

}  // namespace ServiceAnswers
