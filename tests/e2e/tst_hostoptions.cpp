// The options that qulhost and qulsvc share: --version prints the version
// of the module they load, --help describes every option and where the
// connection string comes from; neither needs a display or a database.
// Without a display, qulhost says so instead of crashing. The screen's
// scale (--scale, [Screen] Scale of qul.ini) is read before that, and a
// wrong one is refused naming the option or the file and its line.

#include "ScreenScale.h"

#include <QFile>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Output {
    int code = -1;
    QByteArray out, err;
};

// The program run with no display at all (nor a scale from the environment).
Output runWithoutDisplay(const QString &path, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(path, args);
    p.closeWriteChannel();
    Output o;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
        o.code = p.exitCode();
    o.out = p.readAllStandardOutput();
    o.err = p.readAllStandardError();
    return o;
}

}  // namespace

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
    QTest::newRow("qulsvc") << "qulsvc" << shared + QStringList{QStringLiteral("verifica"), QStringLiteral("journalctl")};
    QTest::newRow("qulhost") << "qulhost" << shared + QStringList{QStringLiteral("--demo"), QStringLiteral("--scale")};
}

void TstHostOptions::versionAndHelp()
{
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + program;
    auto run = [&](const QString &option) { return runWithoutDisplay(path, {option}); };

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
    // The manual page's options are those --help lists.
    QFile man(QStringLiteral(QUL_MAN_DIR "/%1.1").arg(program));
    QVERIFY(man.open(QIODevice::ReadOnly));
    const QString pagina = QString::fromUtf8(man.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const auto opcoes = [](const QString &texto, const char *padrao) {
        QStringList o;
        for (auto it = QRegularExpression(QLatin1String(padrao), QRegularExpression::MultilineOption).globalMatch(texto); it.hasNext();)
            o << it.next().captured(1);
        o.sort();
        return o;
    };
    QCOMPARE(opcoes(pagina, "^\\.TP\n\\.B[IR]? (?:-\\w \", \" )?(--[a-z-]+)"), opcoes(help, "^  (?:-\\w, )?(--[a-z-]+)"));
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
    const QString none = QStringLiteral("não há tela gráfica"), badOption = QStringLiteral("a escala da tela é um");
    const QString at = QStringLiteral("Arquivo de configuração @: linha ");
    const QString badKey = at + QStringLiteral("4: a chave Scale da seção [Screen] deve ser");
    const QByteArray head = "[Database]\nConnection=Provider=SQLite;Data Source=x.db\n[Screen]\n";
    const auto opt = [](const char *n) { return QStringList{QStringLiteral("--scale"), QString::fromUtf8(n)}; };
    for (const char *n : {"1.75", "1,5", "1", "3"})
        QTest::addRow("--scale %s", n) << QByteArray() << opt(n) << 1 << none;
    for (const char *n : {"0.99", "3.01", "dois", "nan", "1e0", "1.5.0", "-2"})
        QTest::addRow("--scale %s", n) << QByteArray() << opt(n) << 2 << badOption;
    for (const char *v : {"Scale=1.75", "Scale=\"2\"", "; Scale=9", "[Database] Scale=9"})
        QTest::addRow("%s", v) << head + QByteArray(v).replace("] ", "]\n") << QStringList() << 1 << none;
    for (const char *v : {"Scale=4", "scale = 0", "Scale=grande", "Scale="})
        QTest::addRow("%s", v) << head + v << QStringList() << 1 << badKey;
    QTest::newRow("Scale twice") << head + "Scale=1\nScale=2" << QStringList() << 1 << at + QStringLiteral("5: a chave Scale");
    QTest::newRow("broken line") << head + "1.75" << QStringList() << 1 << at + QStringLiteral("4: esperava");
    QTest::newRow("--scale over Scale=4") << head + "Scale=4" << opt("2") << 1 << none;
}

void TstHostOptions::scale()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, error);
    QTemporaryDir dir;  // qulhost with its own qul.ini, apart from the other tests' programs
    const QString program = dir.filePath(QStringLiteral("qulhost"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/qulhost"), program));
    const QString iniPath = dir.filePath(QStringLiteral("qul.ini"));
    QFile f(iniPath);
    QVERIFY(ini.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(ini) == ini.size() && f.flush()));
    const Output o = runWithoutDisplay(program, args);
    QVERIFY2(o.err.contains(error.replace(QLatin1Char('@'), iniPath).toUtf8()), o.err.constData());
    QCOMPARE(o.code, code);
    // In-process, the same answer with a qul.ini that does not exist searched first.
    double escala = 0;
    QString erro;
    const QStringList arquivos{dir.filePath(QStringLiteral("falta.ini")), iniPath};
    QCOMPARE(ScreenScale::resolve(!args.isEmpty(), args.value(1), arquivos, &escala, &erro), o.err.contains("não há tela gráfica"));
}

QTEST_GUILESS_MAIN(TstHostOptions)
#include "tst_hostoptions.moc"
