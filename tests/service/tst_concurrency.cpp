// Two terminals (two processes, two connections) saving new products at the
// same moment on one database never receive the same code and never fail;
// confirming the same reduced codes at once, they store each code once.

#include "ModuleFixture.h"

#include <QProcess>

class TstConcurrency : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void twoTerminalsInsertingTogether_data();
    void twoTerminalsInsertingTogether();
};

void TstConcurrency::twoTerminalsInsertingTogether_data()
{
    QTest::addColumn<bool>("sameCodes");
    QTest::newRow("codes of their own") << false;
    QTest::newRow("the same codes") << true;
}

void TstConcurrency::twoTerminalsInsertingTogether()
{
    QFETCH(bool, sameCodes);
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    const int perWorker = sameCodes ? 100 : 200;
    QTemporaryDir dir;
    const QString barrier = dir.filePath(QStringLiteral("go"));
    const QString worker = QCoreApplication::applicationDirPath() + QStringLiteral("/qulsaveworker");
    QProcess a, b;
    a.start(worker, {db.connectionString(), QString::number(perWorker), barrier, sameCodes ? QStringLiteral("=") : QStringLiteral("1")});
    b.start(worker, {db.connectionString(), QString::number(perWorker), barrier, sameCodes ? QStringLiteral("=") : QStringLiteral("2")});
    for (QProcess *p : {&a, &b}) {
        QVERIFY2(p->waitForStarted(10000), qPrintable(p->errorString()));
        QVERIFY2(p->waitForReadyRead(30000), "worker did not connect");
        QCOMPARE(p->readLine().trimmed(), QByteArray("READY"));
    }
    QFile go(barrier);
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    int saved = 0, refused = 0;
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(240000));
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, p->readAllStandardError().constData());
        const QList<QByteArray> w = p->readAll().trimmed().split(' ');
        saved += w.value(1).toInt();
        refused += w.value(3).toInt();
    }
    if (sameCodes) {
        // Each code stored once, by one terminal; the other was refused.
        QCOMPARE(saved, perWorker);
        QCOMPARE(refused, perWorker);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(DISTINCT CDPRODINTE) FROM PRODUTO")).toInt(), perWorker);
        QCOMPARE(db.count(QStringLiteral("PRODUTO")), perWorker);
        return;
    }
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 2 * perWorker);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(DISTINCT CDPRODUTO) FROM PRODUTO")).toInt(), 2 * perWorker);
    for (const char *t : {"ITEMPRECO", "ALIQIMPFIS", "PRODLOJA"}) {
        QCOMPARE(db.count(QLatin1String(t)), 2 * perWorker);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM PRODUTO P, %1 X WHERE X.CDPRODUTO = P.CDPRODUTO").arg(QLatin1String(t))).toInt(),
                 2 * perWorker);
    }
    // The codes are exactly 1..400: none skipped, none repeated.
    QCOMPARE(db.scalar(QStringLiteral("SELECT MAX(CAST(CDPRODUTO AS INTEGER)) FROM PRODUTO")).toInt(), 2 * perWorker);
}

QTEST_GUILESS_MAIN(TstConcurrency)
#include "tst_concurrency.moc"
