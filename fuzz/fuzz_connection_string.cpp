// The connection string parser and the choice of driver. Property: a
// parsed string prints again as itself; its masked form holds every pair
// with the passwords masked; and the password changes nothing but the
// password: the driver, the options handed to it and any message come out
// the same whatever it is.

#include "ConnectionString.h"
#include "ConnectionTarget.h"
#include "Exceptions.h"
#include "FuzzCheck.h"

namespace {

// The outcome of setting up a connection: its options, or its message.
QString setUp(const QString &text, QString *password)
{
    try {
        const TConnectionTarget t = resolveConnectionString(text);
        *password = t.password;
        return QStringList{t.driver, QString::number(int(t.dialect)), QString::number(t.dialectFromServer),
                           t.databaseName, t.hostName, t.userName, QString::number(t.port),
                           QString::number(t.connectTimeout), t.applicationName, t.place}
            .join(QChar(0x1f));
    } catch (const EADOError &e) {
        password->clear();
        return QStringLiteral("erro: ") + e.Message();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    TConnectionString cs;
    try {
        cs = TConnectionString::parse(text);
    } catch (const EADOError &) {
        return 0;
    }
    QUL_FUZZ_CHECK(TConnectionString::parse(cs.toString()).pairs() == cs.pairs(), "toString parses back to the same pairs");

    const auto masked = TConnectionString::parse(cs.redacted()).pairs();
    QUL_FUZZ_CHECK(masked.size() == cs.pairs().size(), "the masked form keeps every pair");
    QStringList others;  // the string with other passwords, pair by pair
    for (qsizetype i = 0; i < masked.size(); ++i) {
        const auto &[key, value] = cs.pairs()[i];
        QUL_FUZZ_CHECK(masked[i].first == key, "the masked form keeps the keys");
        if (isPasswordKey(key)) {
            QUL_FUZZ_CHECK(masked[i].second == QLatin1String("***"), "a password is masked");
            others.append(key + QStringLiteral("=\"x") + QString(value.size(), QChar(0xE000)) + QLatin1Char('"'));
        } else {
            QUL_FUZZ_CHECK(masked[i].second == value, "other values are shown as they are");
            QString v = value;
            v.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            others.append(key + QStringLiteral("=\"") + v + QLatin1Char('"'));
        }
    }

    QString password, otherPassword;
    const QString outcome = setUp(text, &password);
    const QString otherOutcome = setUp(others.join(QLatin1Char(';')), &otherPassword);
    QUL_FUZZ_CHECK(outcome == otherOutcome, "the password changes nothing but the password");
    return 0;
}
