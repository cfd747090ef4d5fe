// A replicated store through its failover: a primary with a synchronous
// standby (scripts/pg-cluster.sh with-standby), saves in a loop through
// the save service on a two-server connection string that asks for the
// writable one, the primary stopped as by a crash and the standby
// promoted. Every save reported stored is on the new primary, every
// product there was reported stored or in doubt, and the saves after the
// promotion reach it by themselves.

#include "WriteFixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <thread>

class TstFailover : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commitWaitingForAStandbyThatIsAway();
    void acknowledgedSavesSurviveFailover();
};

namespace {

bool roda(const char *variavel)
{
    return QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), qEnvironmentVariable(variavel)}) == 0;
}

}  // namespace

// The standby stopped: a save's COMMIT waits for it at most the statement
// limit, and is then reported stored, as it is on the primary; a save whose
// session is ended while its COMMIT waits is looked up once connected again,
// and reported stored too. What the primary holds decides.
void TstFailover::commitWaitingForAStandbyThatIsAway()
{
    if (qEnvironmentVariable("QUL_PG_STANDBY_PAUSE").isEmpty())
        QSKIP("no primary with a standby (scripts/pg-cluster.sh with-standby)");
    TestDb::Fresh db(TestDb::Engine::PostgreSQL, false);
    QVERIFY2(db.ok(), qPrintable(db.error()));
    insereImpostos(db);
    Modulo m(db.connectionString());
    QVERIFY(roda("QUL_PG_STANDBY_PAUSE"));
    QVariantMap v = novo();
    QVariant out;
    for (int limite : {2, 0}) {
        rdmCadProd->adcCadProd->UseStatementTimeout(limite ? limite : 60);
        QAtomicInt terminado = 0;
        std::thread carrasco;
        if (!limite) {
            // Ends the saving session once its COMMIT waits for the standby.
            carrasco = std::thread([&terminado] {
                QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("carrasco"));
                c.setHostName(QStringLiteral("127.0.0.1"));
                c.setPort(qEnvironmentVariableIntValue("QUL_PG_PORT"));
                c.setDatabaseName(QStringLiteral("postgres"));
                c.setUserName(QStringLiteral("postgres"));
                c.setPassword(QStringLiteral("qul"));
                if (c.open()) {
                    QSqlQuery q(c);
                    for (int i = 0; i < 300 && !terminado.loadRelaxed(); ++i) {
                        if (q.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                                  "WHERE wait_event = 'SyncRep'")) && q.next())
                            terminado = 1;
                        else
                            QThread::msleep(50);
                    }
                }
                c = QSqlDatabase();
                QSqlDatabase::removeDatabase(QStringLiteral("carrasco"));
            });
        }
        v["CDPRODINTE"] = QString::number(limite + 10);
        v["CDBARPRODUTO"] = QString::number(7891000000000LL + limite);
        QCOMPARE(salva(pacote(v), QStringLiteral("I"), &out), 0);
        if (carrasco.joinable())
            carrasco.join();
        QVERIFY2(!out.isValid(), qPrintable(out.toString()));
        QCOMPARE(db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODINTE = '%1'").arg(limite + 10)), 1);
        if (!limite)
            QVERIFY2(terminado.loadRelaxed(), "the session was ended while its COMMIT waited");
    }
    QVERIFY(roda("QUL_PG_STANDBY_RESUME"));
}

void TstFailover::acknowledgedSavesSurviveFailover()
{
    const QString crash = qEnvironmentVariable("QUL_PG_CRASH"), promote = qEnvironmentVariable("QUL_PG_PROMOTE");
    const QString port = qEnvironmentVariable("QUL_PG_PORT"), standby = qEnvironmentVariable("QUL_PG_STANDBY_PORT");
    if (crash.isEmpty() || standby.isEmpty()) {
        if (TestDb::pgRequired())
            QFAIL("no primary with a standby: run under scripts/pg-cluster.sh with-standby");
        QSKIP("no primary with a standby (scripts/pg-cluster.sh with-standby)");
    }
    TestDb::Fresh db(TestDb::Engine::PostgreSQL, false);
    QVERIFY2(db.ok(), qPrintable(db.error()));
    insereImpostos(db);
    const QString banco = db.db().databaseName();
    QString cs = db.connectionString();
    cs.replace(QStringLiteral("Data Source=127.0.0.1;Port=%1;").arg(port),
               QStringLiteral("Data Source=127.0.0.1,127.0.0.1;Port=%1,%2;Target Session Attrs=read-write;").arg(port, standby));
    QVERIFY2(cs.contains(QLatin1String("Target Session Attrs")), qPrintable(cs));
    Modulo m(cs);

    QStringList gravados, emDuvida;
    int recusados = 0, depoisDaPromocao = -1;
    QProcess parada;
    QElapsedTimer relogio;
    relogio.start();
    for (int n = 1; relogio.elapsed() < 120000; ++n) {
        if (n == 40)
            parada.startCommand(crash);  // while the saves run
        if (depoisDaPromocao < 0 && n > 40 && (parada.waitForFinished(0) || parada.state() == QProcess::NotRunning)) {
            QCOMPARE(QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), promote}), 0);
            depoisDaPromocao = gravados.size();
        }
        QVariantMap v = novo();
        const QString nome = QStringLiteral("Produto %1").arg(n);
        v["NMPRODUTO"] = nome;
        v["CDPRODINTE"] = QString::number(n);
        v["CDBARPRODUTO"] = QString::number(7890000000000LL + n);
        QVariant out;
        QCOMPARE(salva(pacote(v), QStringLiteral("I"), &out), 0);
        if (!out.isValid())
            gravados << nome;
        else if (out.toString().contains(QStringLiteral("não foi possível saber")))
            emDuvida << nome;
        else
            ++recusados;
        if (depoisDaPromocao >= 0 && gravados.size() >= depoisDaPromocao + 20)
            break;
    }
    QVERIFY2(depoisDaPromocao >= 0 && gravados.size() >= depoisDaPromocao + 20,
             "the saves after the promotion reach the new primary by themselves");

    QSqlDatabase nova = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("nova"));
    nova.setHostName(QStringLiteral("127.0.0.1"));
    nova.setPort(standby.toInt());
    nova.setDatabaseName(banco);
    nova.setUserName(QStringLiteral("postgres"));
    nova.setPassword(QStringLiteral("qul"));
    QVERIFY2(nova.open(), qPrintable(nova.lastError().text()));
    QStringList guardados;
    {
        QSqlQuery q(nova);
        QVERIFY(q.exec(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO")));
        while (q.next())
            guardados << q.value(0).toString();
    }
    nova.close();
    qInfo("%lld saves reported stored (%d after the promotion), %lld in doubt, %d refused; %lld products on the new primary",
          qlonglong(gravados.size()), int(gravados.size() - depoisDaPromocao), qlonglong(emDuvida.size()), recusados,
          qlonglong(guardados.size()));
    QVERIFY(recusados > 0);  // the primary did go away under the saves
    for (const QString &g : std::as_const(gravados))
        QVERIFY2(guardados.contains(g), qPrintable(g + QStringLiteral(" was reported stored and is missing")));
    for (const QString &g : std::as_const(guardados))
        QVERIFY2(gravados.contains(g) || emDuvida.contains(g), qPrintable(g + QStringLiteral(" is stored and was reported failed")));
}

QTEST_GUILESS_MAIN(TstFailover)
#include "tst_failover.moc"
