#include "ServiceAnswers.h"

#include "qul00002_json.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <cstdio>

namespace ServiceAnswers {

namespace {

// How often the wait for a change asks the store.
constexpr int kWatchPollMs = 200;

}  // namespace

int32_t waitForChange(ModuleLoader &mod, const char *program, int seconds, QByteArray *answer)
{
    auto chama = QUL_ENTRY(mod, qul_json_chama);
    auto libera = QUL_ENTRY(mod, qul_json_libera);
    if (!chama || !libera)
        return QUL_JSON_SEM_MODULO;
    const auto ask = [&](const char *operation) {
        char *text = nullptr;
        const int32_t status = chama("getProdutoMudou", operation, &text);
        *answer = text ? QByteArray(text) : QByteArray();
        libera(text);
        return status;
    };
    // A failure leaves its text in the answer; "I" and "M" answer null.
    for (const char *op : {"[\"I\"]", "[\"M\"]"})
        if (const int32_t status = ask(op); status != QUL_JSON_OK)
            return status;
    std::fprintf(stderr, "%s: vigiando os produtos por %d s\n", program, seconds);
    std::fflush(stderr);
    const QDeadlineTimer deadline{std::chrono::seconds(seconds)};
    for (;;) {
        const int32_t status = ask("[\"V\"]");
        if (status != QUL_JSON_OK || QJsonDocument::fromJson(*answer).object().value(QLatin1String("result")).toBool()
            || deadline.hasExpired())
            return status;
        QThread::msleep(std::min<qint64>(kWatchPollMs, deadline.remainingTime()));
    }
}

}  // namespace ServiceAnswers
