// The shared data services: where the connection string comes from, the
// reporting of service failures, the empty-text test.

#include "QulShared.h"

#include <QtTest>

class TstShared : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void connectionStringSources();
    void iniValuesKeepQuotesAndSeparators();
    void mensagemMetodoReportsFailureTexts();
    void emptyString();
    void exceptionMessageHidesPassword();

private:
    QTemporaryDir m_dir;
};

void TstShared::init()
{
    qunsetenv("QUL_CONNECTION");
    SetStringConexQul(QString());
    SetProgramDir(m_dir.path());
    QFile::remove(m_dir.filePath(QStringLiteral("qul.ini")));
}

void TstShared::cleanup()
{
    SetMensagemHook({});
    SetProgramDir(QString());
    qunsetenv("QUL_CONNECTION");
}

void TstShared::connectionStringSources()
{
    // Nothing configured: the demo database beside the executable.
    QCOMPARE(_GetStringConexQul(QString()),
             QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(m_dir.filePath(QStringLiteral("qul-demo.db"))));
    QFile ini(m_dir.filePath(QStringLiteral("qul.ini")));
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
    QFile ini(m_dir.filePath(QStringLiteral("qul.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Database]\nConnection=Provider=PostgreSQL;Data Source=h;Password=\"a;b=c\",d\n");
    ini.close();
    const QString cs = _GetStringConexQul(QString());
    QCOMPARE(cs, QStringLiteral("Provider=PostgreSQL;Data Source=h;Password=\"a;b=c\",d"));
    QCOMPARE(readIniValue(m_dir.filePath(QStringLiteral("nada.ini")), QStringLiteral("Database"), QStringLiteral("Connection")), QString());
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
