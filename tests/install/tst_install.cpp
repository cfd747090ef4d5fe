// The Debian package as a store's IT installs it, unpacked into a throwaway
// root (never the machine's own /usr): its layout and control fields, no
// build paths, the installed programs on a demo store made by the installed
// qulmkdemo, and a host built against the installed header and CMake
// package.

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int code = -1;
    QByteArray out, err;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env, int timeoutMs = 120000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000)) {
        r.err = p.errorString().toUtf8();
        return r;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    p.waitForFinished(5000);
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QByteArray describe(const Run &r)
{
    return "exit " + QByteArray::number(r.code) + "\nstdout: " + r.out.left(2000) + "\nstderr: " + r.err.left(2000);
}

const QString kLibDir = QStringLiteral(QUL_LIBDIR);

}  // namespace

class TstInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void layout_data();
    void layout();
    void controlFields();
    void noBuildPathsAndNoRunpath();
    void installedProgramsOnDemoStore();
    void configurationBesideInstalledProgram_data();
    void configurationBesideInstalledProgram();
    void hostBuiltAgainstInstalledPackage();

private:
    QString root(const QString &rel) const { return m_tmp.filePath(QStringLiteral("root/") + rel); }
    QString bin(const char *program) const { return root(QStringLiteral("usr/bin/")) + QLatin1String(program); }
    QString demoConnection() const { return QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_demo); }

    QTemporaryDir m_tmp;
    QString m_demo;
    QProcessEnvironment m_env;
};

void TstInstall::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QVERIFY2(QFileInfo(QStringLiteral(QUL_DEB_FILE)).isFile(), "package missing: run the qul_package test first");
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.remove(QStringLiteral("QUL_CONNECTION"));
    m_env.insert(QStringLiteral("HOME"), m_tmp.filePath(QStringLiteral("home")));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_tmp.filePath(QStringLiteral("data")));
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const Run x = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), QStringLiteral(QUL_DEB_FILE), root(QString())},
                      m_env);
    QVERIFY2(x.code == 0, describe(x).constData());
    // The demo store where the installed programs look by default.
    m_demo = m_tmp.filePath(QStringLiteral("data/qul00002/qul-demo.db"));
    QVERIFY(QDir().mkpath(QFileInfo(m_demo).absolutePath()));
    const Run mk = run(bin("qulmkdemo"), {m_demo}, m_env);
    QVERIFY2(mk.code == 0 && QFileInfo(m_demo).isFile(), describe(mk).constData());
}

void TstInstall::layout_data()
{
    // What the other steps do not already use: the programs, headers, CMake
    // package and pkg-config file are exercised below.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("linkTo");  // empty: a regular file
    const QString lib = QStringLiteral("usr/") + kLibDir + QStringLiteral("/libqul00002.so");
    const QString real = QStringLiteral("libqul00002.so." QUL_VERSION), soname = QStringLiteral("libqul00002.so." QUL_SOVERSION);
    QTest::newRow("module") << lib + QStringLiteral("." QUL_VERSION) << QString();
    QTest::newRow("soname") << lib + QStringLiteral("." QUL_SOVERSION) << real;
    QTest::newRow("link") << lib << soname;
    QTest::newRow("configuration") << QStringLiteral("etc/qul/qul.ini") << QString();
    QTest::newRow("pristine configuration") << QStringLiteral("usr/share/qul00002/qul.ini") << QString();
    QTest::newRow("copyright") << QStringLiteral("usr/share/doc/qul00002/copyright") << QString();
    for (const char *m : {"qulhost", "qulsvc", "qulmkdemo"})
        QTest::newRow(m) << QStringLiteral("usr/share/man/man1/%1.1.gz").arg(QLatin1String(m)) << QString();
    for (const char *f : {"usr/share/qul00002/schema/postgresql.sql", "usr/share/qul00002/schema/sqlite.sql",
                          "usr/share/qul00002/schema/postgresql-avisos.sql", "usr/include/qul00002/qul00002_json.h",
                          "usr/share/doc/qul00002/README.md", "usr/share/doc/qul00002/docs/administrator.md",
                          "usr/share/doc/qul00002/docs/operator.md", "usr/share/doc/qul00002/docs/img/pagina1.png"})
        QTest::newRow(f) << QString::fromLatin1(f) << QString();
}

void TstInstall::layout()
{
    QFETCH(QString, path);
    QFETCH(QString, linkTo);
    const QFileInfo info(root(path));
    QVERIFY2(info.exists(), qPrintable(path));
    if (linkTo.isEmpty()) {
        QVERIFY2(info.isFile() && !info.isSymLink(), qPrintable(path));
    } else {
        QVERIFY(info.isSymLink());
        QCOMPARE(QFile::symLinkTarget(root(path)), QFileInfo(root(path)).dir().filePath(linkTo));
    }
}

void TstInstall::controlFields()
{
    const QString deb = QStringLiteral(QUL_DEB_FILE);
    const Run depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")}, m_env);
    QCOMPARE(depends.code, 0);
    // From the shared libraries, and what the module loads without linking.
    for (const char *p : {"libqt6core6", "libqt6widgets6", "libqt6sql6 ", "libsqlite3-0", "libpq5",
                          "libqt6sql6-sqlite", "libqt6sql6-psql", "libqt6sql6-odbc", "qt6-qpa-plugins", "fonts-wine",
                          "fonts-liberation"})
        QVERIFY2(depends.out.contains(p), p);
    const Run conffiles = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb, QStringLiteral("conffiles")}, m_env);
    QCOMPARE(conffiles.out.trimmed(), QByteArray("/etc/qul/qul.ini"));
    const Run triggers = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb, QStringLiteral("triggers")}, m_env);
    QCOMPARE(triggers.out.trimmed(), QByteArray("activate-noawait ldconfig"));
}

void TstInstall::noBuildPathsAndNoRunpath()
{
    const QByteArray source = QByteArrayLiteral(QUL_SOURCE_DIR);
    const QByteArray build = QByteArrayLiteral(QUL_BINARY_DIR);
    int files = 0;
    for (QDirIterator it(root(QString()), QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY2(!bytes.contains(source) && !bytes.contains(build), qPrintable(path));
        ++files;
        if (!bytes.startsWith("\x7f" "ELF"))
            continue;
        const Run d = run(QStringLiteral("readelf"), {QStringLiteral("-dW"), path}, m_env);
        QCOMPARE(d.code, 0);
        for (const QByteArray &line : d.out.split('\n'))
            if (line.contains("(RPATH)") || line.contains("(RUNPATH)"))
                QVERIFY2(line.contains("[$ORIGIN"), (path.toUtf8() + ": " + line).constData());
        if (path.contains(QLatin1String("libqul00002.so")))
            QVERIFY(d.out.contains("Library soname: [libqul00002.so." QUL_SOVERSION "]"));
    }
    QVERIFY(files > 10);
}

void TstInstall::installedProgramsOnDemoStore()
{
    // The programs in usr/bin find the module in the library folder.
    for (const char *program : {"qulsvc", "qulhost"}) {
        const Run v = run(bin(program), {QStringLiteral("--version")}, m_env);
        QVERIFY2(v.code == 0, describe(v).constData());
        QCOMPARE(v.out, QByteArray(program) + " " QUL_VERSION "\n");
    }
    // A program copied away from its installation finds no module, and says
    // where it looked.
    const QString alone = m_tmp.filePath(QStringLiteral("alone/qulsvc"));
    QVERIFY(QDir().mkpath(QFileInfo(alone).absolutePath()) && QFile::copy(bin("qulsvc"), alone));
    const Run lost = run(alone, {QStringLiteral("getUnidade")}, m_env);
    QVERIFY2(lost.code == 1 && lost.err.contains("libqul00002.so." QUL_SOVERSION " não encontrado"),
             describe(lost).constData());

    const Run r = run(bin("qulsvc"), {QStringLiteral("--connection"), demoConnection(), QStringLiteral("getProduto"),
                                      QStringLiteral("T")},
                      m_env);
    QVERIFY2(r.code == 0, describe(r).constData());
    const QJsonObject json = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(json.value(QStringLiteral("status")).toInt(-1), 0);
    QVERIFY(json.value(QStringLiteral("result")).toObject().value(QStringLiteral("rows")).toArray().size() > 0);
    // verifica names the installed schema, and the command that makes a store of an empty file with it.
    const QString vazio = m_tmp.filePath(QStringLiteral("vazio.db"));
    QVERIFY(QFile(vazio).open(QIODevice::WriteOnly));
    const Run v = run(bin("qulsvc"), {QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=") + vazio,
                                      QStringLiteral("verifica")}, m_env);
    const QString esquema = root(QStringLiteral("usr/share/qul00002/schema/sqlite.sql"));
    QVERIFY2(v.code == 5 && v.out.contains(("sqlite3 " + vazio + " < " + esquema).toUtf8()), describe(v).constData());
    QVERIFY(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sqlite3 %1 < %2").arg(vazio, esquema)}) == 0);
    QCOMPARE(run(bin("qulsvc"), {QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=") + vazio,
                                 QStringLiteral("verifica")}, m_env).code, 0);

    // With nothing configured, the installed programs say so and how to
    // configure one; the user's demo store is used only when asked for --
    // unless this machine has its own /etc/qul/qul.ini, which comes first.
    if (QFileInfo::exists(QStringLiteral("/etc/qul/qul.ini"))) {
        qInfo("/etc/qul/qul.ini exists on this machine: the case of no source is not checked");
        return;
    }
    const Run d = run(bin("qulsvc"), {QStringLiteral("getProduto"), QStringLiteral("T")}, m_env);
    QVERIFY2(d.code == 1 && d.err.contains("Nenhuma cadeia de conexão configurada") && d.err.contains("/etc/qul/qul.ini"),
             describe(d).constData());
    QVERIFY(!QFileInfo::exists(root(QStringLiteral("usr/bin/qul-demo.db"))));
}

void TstInstall::configurationBesideInstalledProgram_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("broken line") << QByteArray("[Database]\nConnection=Provider=PostgreSQL;Password=Zq9segredo\nlixo\n")
                                 << 1 << QStringLiteral("linha 3");
    QFile shipped(root(QStringLiteral("etc/qul/qul.ini")));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QTest::newRow("as shipped") << shipped.readAll() << 1 << QStringLiteral("não dá a cadeia de conexão");
    QTest::newRow("quoted value") << QByteArray("[Database]\nConnection=\"Provider=SQLite;Data Source=DEMO\"\n") << 0
                                  << QString();
}

void TstInstall::configurationBesideInstalledProgram()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString file = root(QStringLiteral("usr/bin/qul.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.replace("DEMO", m_demo.toUtf8()));
    }
    const Run r = run(bin("qulsvc"), {QStringLiteral("getProduto"), QStringLiteral("T")}, m_env);
    QFile::remove(file);
    QVERIFY2(r.code == exitCode, describe(r).constData());
    QVERIFY(!r.out.contains("Zq9segredo") && !r.err.contains("Zq9segredo"));
    if (!message.isEmpty()) {
        QVERIFY2(r.err.contains(file.toUtf8()), r.err.constData());
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    }
}

void TstInstall::hostBuiltAgainstInstalledPackage()
{
    const QString build = m_tmp.filePath(QStringLiteral("host"));
    const Run configure =
        run(QStringLiteral(QUL_CMAKE_COMMAND),
            {QStringLiteral("-S"), QStringLiteral(QUL_HOST_EXAMPLE_DIR), QStringLiteral("-B"), build,
             QStringLiteral("-G"), QStringLiteral("Ninja"), QStringLiteral("-DCMAKE_BUILD_TYPE=Release"),
             QStringLiteral("-DCMAKE_PREFIX_PATH=") + root(QStringLiteral("usr"))},
            m_env);
    QVERIFY2(configure.code == 0, describe(configure).constData());
    const Run compile = run(QStringLiteral(QUL_CMAKE_COMMAND), {QStringLiteral("--build"), build}, m_env);
    QVERIFY2(compile.code == 0, describe(compile).constData());

    const QString host = QDir(build).filePath(QStringLiteral("hostexemplo"));
    const Run r = run(host, {demoConnection()}, m_env);
    QVERIFY2(r.code == 0, describe(r).constData());
    QCOMPARE(r.out, QByteArray("qul00002 " QUL_VERSION ": getUnidade 0 TDataPacket\n"
                               "unidades: 11, a primeira CX Caixa\n"
                               "setProduto I 0 gravado\n"
                               "getVd_Produto 98765: 1 linha(s)\n"));
    // The module it loaded is the one in the throwaway root.
    const Run ldd = run(QStringLiteral("ldd"), {host}, m_env);
    QVERIFY2(ldd.out.contains("libqul00002.so." QUL_SOVERSION " => " + root(QStringLiteral("usr/")).toUtf8() + kLibDir.toUtf8()),
             ldd.out.constData());

    // The pkg-config file, moved with the tree it was unpacked into.
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("PKG_CONFIG_PATH"), root(QStringLiteral("usr/") + kLibDir + QStringLiteral("/pkgconfig")));
    const Run pc = run(QStringLiteral("pkg-config"),
                       {QStringLiteral("--define-variable=prefix=") + root(QStringLiteral("usr")),
                        QStringLiteral("--cflags"), QStringLiteral("--libs"), QStringLiteral("qul00002")},
                       env);
    QVERIFY2(pc.code == 0, describe(pc).constData());
    QVERIFY2(pc.out.contains("-I" + root(QStringLiteral("usr/include/qul00002")).toUtf8()), pc.out.constData());
    QVERIFY2(pc.out.contains("-lqul00002") && pc.out.contains("QtCore"), pc.out.constData());
}

QTEST_GUILESS_MAIN(TstInstall)
#include "tst_install.moc"
