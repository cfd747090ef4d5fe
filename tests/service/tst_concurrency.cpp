// Two terminals (two processes, two connections) saving new products at the
// same moment on one database never receive the same code and never fail.

#include "ModuleFixture.h"

#include <QProcess>

class TstConcurrency : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void twoTerminalsInsertingTogether();
};

void TstConcurrency::twoTerminalsInsertingTogether()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    const int perWorker = 200;
    QTemporaryDir dir;
    const QString barrier = dir.filePath(QStringLiteral("go"));
    const QString worker = QCoreApplication::applicationDirPath() + QStringLiteral("/qulsaveworker");
    QProcess a, b;
    a.start(worker, {db.connectionString(), QString::number(perWorker), barrier, QStringLiteral("1")});
    b.start(worker, {db.connectionString(), QString::number(perWorker), barrier, QStringLiteral("2")});
    for (QProcess *p : {&a, &b}) {
        QVERIFY2(p->waitForStarted(10000), qPrintable(p->errorString()));
        QVERIFY2(p->waitForReadyRead(30000), "worker did not connect");
        QCOMPARE(p->readLine().trimmed(), QByteArray("READY"));
    }
    QFile go(barrier);
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(240000));
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, p->readAllStandardError().constData());
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
