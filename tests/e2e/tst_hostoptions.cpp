// The options that qulhost and qulsvc share: --version prints the version
// of the module they load, --help describes every option and where the
// connection string comes from; neither needs a display or a database.
// Without a display, qulhost says so instead of crashing. The screen's
// scale (--scale, [Screen] Scale of qul.ini) is read before that, and a
// wrong one is refused naming the option or the file and its line.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstHostOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionAndHelp_data();
    void versionAndHelp();
    void scale_data();
    void scale();
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

void TstHostOptions::scale_data()
{
    QTest::addColumn<QByteArray>("ini");  // qul.ini beside the program; empty: none
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");  // what stderr says; "@" stands for the qul.ini's path
    const QString none = QStringLiteral("não há tela gráfica");
    const QByteArray head = "[Database]\nConnection=Provider=SQLite;Data Source=x.db\n[Screen]\n";
    const auto opt = [](const char *n) { return QStringList{QStringLiteral("--scale"), QString::fromUtf8(n)}; };
    const QString badOption = QStringLiteral("a escala da tela é um número de 1 a 3");
    const QString badKey = QStringLiteral("Arquivo de configuração @: linha 4: a chave Scale da seção [Screen] deve ser");
    QTest::newRow("--scale 1.75") << QByteArray() << opt("1.75") << 1 << none;
    QTest::newRow("--scale 1,5") << QByteArray() << opt("1,5") << 1 << none;
    QTest::newRow("--scale 1") << QByteArray() << opt("1") << 1 << none;
    QTest::newRow("--scale 3") << QByteArray() << opt("3") << 1 << none;
    QTest::newRow("--scale 0.99") << QByteArray() << opt("0.99") << 2 << badOption;
    QTest::newRow("--scale 3.01") << QByteArray() << opt("3.01") << 2 << badOption;
    QTest::newRow("--scale dois") << QByteArray() << opt("dois") << 2 << badOption;
    QTest::newRow("--scale nan") << QByteArray() << opt("nan") << 2 << badOption;
    QTest::newRow("--scale 1e0") << QByteArray() << opt("1e0") << 2 << badOption;
    QTest::newRow("--scale 1.5.0") << QByteArray() << opt("1.5.0") << 2 << badOption;
    QTest::newRow("Scale=1.75") << head + "Scale=1.75\n" << QStringList() << 1 << none;
    QTest::newRow("Scale=\"2\"") << head + "Scale=\"2\"\n" << QStringList() << 1 << none;
    QTest::newRow("no Scale") << head << QStringList() << 1 << none;
    QTest::newRow("Scale in [Database]") << QByteArray("[Database]\nScale=9\n") << QStringList() << 1 << none;
    QTest::newRow("Scale=4") << head + "Scale=4\n" << QStringList() << 1 << badKey;
    QTest::newRow("Scale=0") << head + "scale = 0\n" << QStringList() << 1 << badKey;
    QTest::newRow("Scale=grande") << head + "Scale=grande\n" << QStringList() << 1 << badKey;
    QTest::newRow("Scale=") << head + "Scale=\n" << QStringList() << 1 << badKey;
    QTest::newRow("Scale twice") << head + "Scale=1\nScale=2\n" << QStringList() << 1
                                 << QStringLiteral("Arquivo de configuração @: linha 5: a chave Scale");
    QTest::newRow("broken line") << head + "1.75\n" << QStringList() << 1
                                 << QStringLiteral("Arquivo de configuração @: linha 4: esperava");
    QTest::newRow("--scale over Scale=4") << head + "Scale=4\n" << opt("2") << 1 << none;
}

void TstHostOptions::scale()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, error);
    // A copy of qulhost in a folder of its own, so that its qul.ini is
    // beside it and nowhere near the other tests' programs.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("qulhost"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/qulhost"), program));
    const QString iniPath = dir.filePath(QStringLiteral("qul.ini"));
    if (!ini.isEmpty()) {
        QFile f(iniPath);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(ini) == ini.size());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    QVERIFY(p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(err.contains(error.replace(QLatin1Char('@'), iniPath)), qPrintable(err));
    QCOMPARE(p.exitCode(), code);
    // One message: a refused scale stops before the display is looked for.
    QVERIFY2((error == QStringLiteral("não há tela gráfica")) == err.contains(QStringLiteral("não há tela gráfica")),
             qPrintable(err));
}

QTEST_GUILESS_MAIN(TstHostOptions)
#include "tst_hostoptions.moc"
