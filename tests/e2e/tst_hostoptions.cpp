// The options that qulhost and qulsvc share: --version prints the version
// of the module they load, --help describes every option and where the
// connection string comes from; neither needs a display or a database.
// Without a display, qulhost says so instead of crashing.

#include <QProcess>
#include <QtTest>

class TstHostOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionAndHelp_data();
    void versionAndHelp();
};

void TstHostOptions::versionAndHelp_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("options");
    const QStringList shared{QStringLiteral("--connection"), QStringLiteral("--help"), QStringLiteral("--version")};
    QTest::newRow("qulsvc") << "qulsvc" << shared;
    QTest::newRow("qulhost") << "qulhost" << shared + QStringList{QStringLiteral("--demo")};
}

void TstHostOptions::versionAndHelp()
{
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    struct Output {
        int code = -1;
        QByteArray out, err;
    };
    auto run = [&](const QString &option) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(path, {option});
        p.closeWriteChannel();
        Output o;
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
            o.code = p.exitCode();
        o.out = p.readAllStandardOutput();
        o.err = p.readAllStandardError();
        return o;
    };

    const Output version = run(QStringLiteral("--version"));
    QVERIFY2(version.code == 0 && version.err.isEmpty(), version.err.constData());
    QCOMPARE(QString::fromUtf8(version.out), program + QStringLiteral(" " QUL_VERSION "\n"));

    const Output h = run(QStringLiteral("--help"));
    QVERIFY2(h.code == 0 && h.err.isEmpty(), h.err.constData());
    const QString help = QString::fromUtf8(h.out);
    for (const QString &o : options)
        QVERIFY2(help.contains(o), qPrintable(o));
    // The sources, in their order, and the module's place.
    qsizetype at = 0;
    for (const char *source : {"--connection CADEIA", "--connection-file ARQUIVO", "QUL_CONNECTION", "qul.ini ao lado do programa",
                               "/etc/qul/qul.ini", "qul-demo.db", "~/.local/share/qul00002", "libqul00002.so.1"}) {
        const qsizetype next = help.indexOf(QString::fromUtf8(source), at);
        QVERIFY2(next >= 0, source);
        at = next;
    }
    // Qt's own texts in the help are Portuguese too.
    QVERIFY(help.startsWith(QStringLiteral("Uso: ")));
    QVERIFY(!help.contains(QLatin1String("Displays")));
    // Without a display the screen cannot open: said, not a crash.
    if (program == QLatin1String("qulhost")) {
        const Output none = run(QStringLiteral("--demo"));
        QVERIFY2(none.code == 1 && none.err.contains("não há tela gráfica"), none.err.constData());
    }
}

QTEST_GUILESS_MAIN(TstHostOptions)
#include "tst_hostoptions.moc"
