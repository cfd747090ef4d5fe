// The shared data services: where the connection string comes from, the
// reporting of service failures, the empty-text test.

#include "QulShared.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TstShared : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void connectionStringSources();
    void iniValuesKeepQuotesAndSeparators();
    void configurationFiles_data();
    void configurationFiles();
    void demoDatabasePlace_data();
    void demoDatabasePlace();
    void mensagemMetodoReportsFailureTexts();
    void emptyString();
    void exceptionMessageHidesPassword();

private:
    QTemporaryDir m_dir;
    QString m_bin;  // the program's folder, in a build tree unless a test says otherwise
};

void TstShared::init()
{
    qunsetenv("QUL_CONNECTION");
    SetStringConexQul(QString());
    m_bin = m_dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(m_bin));
    SetProgramDir(m_bin);
    QFile::remove(QDir(m_bin).filePath(QStringLiteral("qul.ini")));
    QVERIFY(QFile(m_dir.filePath(QStringLiteral("CMakeCache.txt"))).open(QIODevice::WriteOnly));
    // This machine's own /etc/qul/qul.ini stays out of the tests.
    SetSystemConfigPath(m_dir.filePath(QStringLiteral("etc-qul.ini")));
}

void TstShared::cleanup()
{
    SetMensagemHook({});
    SetProgramDir(QString());
    SetModuleDir(QString());
    SetSystemConfigPath(QString());
    qunsetenv("QUL_CONNECTION");
}

void TstShared::connectionStringSources()
{
    // Nothing configured in a build tree: the demo database beside the executable.
    QCOMPARE(_GetStringConexQul(QString()),
             QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(QDir(m_bin).filePath(QStringLiteral("qul-demo.db"))));
    QFile ini(QDir(m_bin).filePath(QStringLiteral("qul.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Outra]\nConnection=errada\n[Database]\n; comentário\nconnection = Provider=SQLite;Data Source=/loja/ini.db\n");
    ini.close();
    QCOMPARE(_GetStringConexQul(QString()), QStringLiteral("Provider=SQLite;Data Source=/loja/ini.db"));
    qputenv("QUL_CONNECTION", "Provider=SQLite;Data Source=/loja/env.db");
    QCOMPARE(_GetStringConexQul(QString()), QStringLiteral("Provider=SQLite;Data Source=/loja/env.db"));
    SetStringConexQul(QStringLiteral("Provider=SQLite;Data Source=/loja/host.db"));
    QCOMPARE(_GetStringConexQul(QString()), QStringLiteral("Provider=SQLite;Data Source=/loja/host.db"));
}

void TstShared::iniValuesKeepQuotesAndSeparators()
{
    QFile ini(QDir(m_bin).filePath(QStringLiteral("qul.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Database]\nConnection=Provider=PostgreSQL;Data Source=h;Password=\"a;b=c\",d\n");
    ini.close();
    const QString cs = _GetStringConexQul(QString());
    QCOMPARE(cs, QStringLiteral("Provider=PostgreSQL;Data Source=h;Password=\"a;b=c\",d"));
    QCOMPARE(readIniValue(m_dir.filePath(QStringLiteral("nada.ini")), QStringLiteral("Database"), QStringLiteral("Connection")), QString());
}

namespace {

// How a test puts a configuration file in place: its text, or something
// that is not a readable text file.
enum class Kind { Absent, Text, Directory, Fifo, NoPermission };

void place(const QString &path, Kind kind, const QByteArray &text)
{
    QDir(path).removeRecursively();
    QFile::remove(path);
    switch (kind) {
    case Kind::Absent:
        break;
    case Kind::Text:
    case Kind::NoPermission: {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        if (kind == Kind::NoPermission)
            QVERIFY(f.setPermissions(QFileDevice::Permissions()));
        break;
    }
    case Kind::Directory:
        QVERIFY(QDir().mkpath(path));
        break;
    case Kind::Fifo:
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        break;
    }
}

}  // namespace

void TstShared::configurationFiles_data()
{
    // qul.ini beside the program, then the system's; expected: the
    // connection string, "demo" for the demo database, or "!beside" /
    // "!system" / "!none" (both) and a text for an error naming the file. In
    // a build tree unless the name says "installed:" or "--demo:" (asked).
    QTest::addColumn<int>("besideKind");
    QTest::addColumn<QByteArray>("beside");
    QTest::addColumn<int>("systemKind");
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("error");
    const int absent = int(Kind::Absent), text = int(Kind::Text);
    const QByteArray key = "[Database]\nConnection=Provider=SQLite;Data Source=/loja/%1.db\n";
    const QByteArray beside = QByteArray(key).replace("%1", "beside"), system = QByteArray(key).replace("%1", "system");
    const QString besideCs = QStringLiteral("Provider=SQLite;Data Source=/loja/beside.db");
    const QString systemCs = QStringLiteral("Provider=SQLite;Data Source=/loja/system.db");

    QTest::newRow("none") << absent << QByteArray() << absent << QByteArray() << "demo" << QString();
    QTest::newRow("system only") << absent << QByteArray() << text << system << systemCs << QString();
    QTest::newRow("beside before system") << text << beside << text << system << besideCs << QString();
    QTest::newRow("section without the key") << text << QByteArray("[Database]\nUser=x\n[Outra]\nConnection=y\n")
                                             << text << system << "!beside" << "falta a chave Connection";
    QTest::newRow("empty value") << text << QByteArray("[Database]\nConnection=  \n") << text << system << "!beside"
                                 << "está vazia";
    QTest::newRow("no key anywhere") << text << QByteArray("; nada\n") << text << QByteArray("[Database]\n") << "!beside"
                                     << "falta a chave Connection";
    QTest::newRow("installed: 0-byte file") << text << QByteArray() << text << system << "!beside" << "falta a chave";
    QTest::newRow("installed: commented-out line")
        << text << QByteArray("[Database]\n;Connection=Provider=SQLite;Password=Zq9segredo\n") << text << system
        << "!beside" << "comentada";
    QTest::newRow("installed: good value") << text << beside << absent << QByteArray() << besideCs << QString();
    QTest::newRow("installed: no source") << absent << QByteArray() << absent << QByteArray() << "!none"
                                          << "Nenhuma cadeia de conexão configurada";
    QTest::newRow("--demo: before a 0-byte file") << text << QByteArray() << text << system << "demo" << QString();
    QTest::newRow("quotes and ;") << text
                                  << QByteArray("[Database]\nConnection=Provider=PostgreSQL;Password=\"p;w=1\";Port=5\n")
                                  << absent << QByteArray() << "Provider=PostgreSQL;Password=\"p;w=1\";Port=5"
                                  << QString();
    QTest::newRow("whole value quoted") << text
                                        << QByteArray("[Database]\nConnection='Provider=SQLite;Data Source=/a b.db'\n")
                                        << absent << QByteArray() << "Provider=SQLite;Data Source=/a b.db" << QString();
    QTest::newRow("BOM and CRLF") << text << QByteArray("\xEF\xBB\xBF[Database]\r\nConnection=Provider=SQLite;Data Source=/loja/beside.db\r\n")
                                  << absent << QByteArray() << besideCs << QString();
    QTest::newRow("unclosed quote") << text << QByteArray("[Database]\nConnection=\"Provider=PostgreSQL;Password=Zq9segredo\n")
                                    << text << system << "!beside" << "linha 2";
    QTest::newRow("line without =") << text << QByteArray("[Database]\nConnection=Provider=SQLite;Password=Zq9segredo\nlixo\n")
                                    << absent << QByteArray() << "!beside" << "linha 3";
    QTest::newRow("section without ]") << text << QByteArray("[Database\nConnection=x;Password=Zq9segredo\n") << absent
                                       << QByteArray() << "!beside" << "linha 1";
    QTest::newRow("key given twice") << absent << QByteArray() << text
                                     << QByteArray("[Database]\nConnection=a;Password=Zq9segredo\n\n[database]\nCONNECTION=b\n")
                                     << "!system" << "linha 5";
    QTest::newRow("not UTF-8") << text << QByteArray("[Database]\nConnection=Data Source=/loja/Padr\xE3o.db\n") << absent
                               << QByteArray() << "!beside" << "UTF-8";
    QTest::newRow("binary") << text << QByteArrayLiteral("[Database]\nConnection=a\0b\n") << absent << QByteArray()
                            << "!beside" << "bytes nulos";
    QTest::newRow("too large") << text << QByteArray(1024 * 1024 + 1, ';') << absent << QByteArray() << "!beside"
                               << "grande demais";
    QTest::newRow("directory") << absent << QByteArray() << int(Kind::Directory) << QByteArray() << "!system"
                               << "não é um arquivo comum";
    QTest::newRow("pipe") << int(Kind::Fifo) << QByteArray() << text << system << "!beside" << "não é um arquivo comum";
    QTest::newRow("no permission") << int(Kind::NoPermission) << beside << text << system << "!beside"
                                   << "não foi possível ler";
}

void TstShared::configurationFiles()
{
    QFETCH(int, besideKind);
    QFETCH(QByteArray, beside);
    QFETCH(int, systemKind);
    QFETCH(QByteArray, system);
    QFETCH(QString, expected);
    QFETCH(QString, error);
    if (Kind(besideKind) == Kind::NoPermission && ::geteuid() == 0)
        QSKIP("root reads any file");
    const QByteArray tag = QTest::currentDataTag();
    if (tag.startsWith("installed:") || tag.startsWith("--demo:"))
        QVERIFY(QFile::remove(m_dir.filePath(QStringLiteral("CMakeCache.txt"))));
    if (tag.startsWith("--demo:"))
        UseDemoDatabase();
    const QString besidePath = QDir(m_bin).filePath(QStringLiteral("qul.ini"));
    const QString systemPath = SystemConfigPath();
    place(besidePath, Kind(besideKind), beside);
    place(systemPath, Kind(systemKind), system);
    auto cleanUp = qScopeGuard([&] {
        place(besidePath, Kind::Absent, {});
        place(systemPath, Kind::Absent, {});
    });

    if (!expected.startsWith(QLatin1Char('!'))) {
        QCOMPARE(_GetStringConexQul(QString()), expected == QLatin1String("demo") ? DemoConnectionString() : expected);
        return;
    }
    const QString file = expected == QLatin1String("!beside") ? besidePath : systemPath;
    try {
        const QString cs = _GetStringConexQul(QString());
        QFAIL(qPrintable(QStringLiteral("no error; got a connection string of %1 characters").arg(cs.size())));
    } catch (const EConfigError &e) {
        QVERIFY2(expected == QLatin1String("!none") ? e.Message().contains(besidePath) && e.Message().contains(systemPath)
                                                    : e.Message().startsWith(QStringLiteral("Arquivo de configuração %1: ").arg(file)),
                 qPrintable(e.Message()));
        QVERIFY2(e.Message().contains(error), qPrintable(e.Message()));
        QVERIFY(!e.Message().contains(QLatin1String("Zq9segredo")));
    }
    // The host's own string still comes first.
    SetStringConexQul(QStringLiteral("Provider=SQLite;Data Source=/loja/host.db"));
    QCOMPARE(_GetStringConexQul(QString()), QStringLiteral("Provider=SQLite;Data Source=/loja/host.db"));
}

void TstShared::demoDatabasePlace_data()
{
    // Where the module file is, relative to the program; whether the host
    // chose the program folder; where the demo database is expected.
    QTest::addColumn<QString>("module");
    QTest::addColumn<bool>("programDirSet");
    QTest::addColumn<QString>("expected");
    QTest::newRow("linked into the program") << QString() << false << "program";
    QTest::newRow("module beside the program") << "program" << false << "program";
    QTest::newRow("installed module") << "elsewhere" << false << "data";
    QTest::newRow("installed, folder set by the host") << "elsewhere" << true << "set";
}

void TstShared::demoDatabasePlace()
{
    QFETCH(QString, module);
    QFETCH(bool, programDirSet);
    QFETCH(QString, expected);
    const QString program = QCoreApplication::applicationDirPath();
    const QString data = m_dir.filePath(QStringLiteral("data"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    auto cleanUp = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
    SetProgramDir(programDirSet ? m_dir.path() : QString());
    SetModuleDir(module == QLatin1String("program") ? program
                 : module.isEmpty()                 ? QString()
                                                    : m_dir.path());
    const QString name = QStringLiteral("qul-demo.db");
    const QString want = expected == QLatin1String("program") ? QDir(program).filePath(name)
                         : expected == QLatin1String("data")  ? QDir(data).filePath(QStringLiteral("qul00002/") + name)
                                                              : m_dir.filePath(name);
    QCOMPARE(DemoDatabasePath(), want);
    QVERIFY(DemoConnectionString().contains(want));
}

void TstShared::mensagemMetodoReportsFailureTexts()
{
    QString shown;
    int tipo = -1, calls = 0;
    SetMensagemHook([&](const QString &t, const QString &, const QString &, const QString &, int k, const QString &,
                        const QString &, int, TDataSet *) {
        shown = t;
        tipo = k;
        ++calls;
        return false;
    });
    // Payloads pass through unchanged, whatever they are.
    QCOMPARE(MensagemMetodo(QVariant(), true, 0, "setProduto", "Cli_Qul00002", "cdsInsProd.data", QString()), QVariant());
    const QVariantList lista{QStringLiteral("OK"), QVariant()};
    QCOMPARE(MensagemMetodo(lista, false, 0, "setDelProduto", "Cli_Qul00002", "x", QString()), QVariant(lista));
    QCOMPARE(calls, 0);
    // A failure text is shown naming service and unit, then the caller ends silently.
    QVERIFY_THROWS_EXCEPTION(EAbort, MensagemMetodo(QStringLiteral("tabela PRODUTO bloqueada"), true, 0, "getProduto",
                                                    "Cli_Qul00002", "T", QString()));
    QCOMPARE(calls, 1);
    QCOMPARE(tipo, 3);
    QVERIFY(shown.contains(QLatin1String("getProduto")));
    QVERIFY(shown.contains(QLatin1String("Cli_Qul00002")));
    QVERIFY(shown.contains(QLatin1String("tabela PRODUTO bloqueada")));
}

void TstShared::emptyString()
{
    QVERIFY(EmptyString(QString()));
    QVERIFY(EmptyString(QStringLiteral("  \t")));
    QVERIFY(!EmptyString(QStringLiteral(" 0 ")));
}

void TstShared::exceptionMessageHidesPassword()
{
    TADOConnection con;
    con.ConnectionString = QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=1;Initial Catalog=x;User ID=u;Password=Zq9segredo");
    try {
        con.Open();
        QFAIL("connected");
    } catch (const EADOError &e) {
        const QString m = ADOExceptionMessage(e, &con, QString());
        QVERIFY(!m.contains(QLatin1String("Zq9segredo")));
        QVERIFY(!m.isEmpty());
    }
    // No message is built from the connection string, so none is rewritten:
    // a driver's text comes out as it is, whatever the password.
    con.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=x.db;Password=o");
    const EADOError driver(QStringLiteral("relation \"produto\" does not exist"));
    QCOMPARE(ADOExceptionMessage(driver, &con, QString()),
             QStringLiteral("Conexão com o banco de dados fechada. relation \"produto\" does not exist"));
}

QTEST_GUILESS_MAIN(TstShared)
#include "tst_shared.moc"
