// The services library as a host without a screen reaches it: neither it
// nor what it pulls in is a graphical Qt library (nor libpq), qulsvc runs a
// service through it with none of them loaded (and without the screen's
// module),
// and it exports the services, the catalogue and the module's entries
// without widgets, as the public headers declare them, and no screen entry.

#include "PackageUnits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Saida {
    int codigo = -1;
    QByteArray texto;  // standard output and error together
};

Saida roda(const QString &programa, const QStringList &args, const QStringList &env = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString &v : env)
        e.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, args);
    Saida s;
    if (!p.waitForFinished(60000))
        return s;
    s.codigo = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    s.texto = p.readAll();
    return s;
}

QString bin(const char *nome)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(nome));
}

}  // namespace

class TstServicosLib : public QObject {
    Q_OBJECT
private slots:
    void semBibliotecaGrafica_data();
    void semBibliotecaGrafica();
    void exportaOsCabecalhos_data();
    void exportaOsCabecalhos();
    void unidadesDoPacote();
};

void TstServicosLib::semBibliotecaGrafica_data()
{
    QTest::addColumn<bool>("qulsvc");  // false: ldd of the library itself
    QTest::newRow("ldd da biblioteca") << false;
    QTest::newRow("qulsvc getImposto") << true;
}

void TstServicosLib::semBibliotecaGrafica()
{
    QFETCH(bool, qulsvc);
    Saida s;
    if (!qulsvc) {
        s = roda(QStringLiteral("ldd"), {QStringLiteral(QUL_SERVICES_LIB)});
    } else {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("loja.db"));
        QCOMPARE(roda(bin("qulmkdemo"), {db}).codigo, 0);
        s = roda(bin("qulsvc"), {QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=") + db,
                                 QStringLiteral("getImposto")},
                 {QStringLiteral("LD_DEBUG=files")});
        QVERIFY2(s.texto.contains("\"status\":0"), s.texto.right(2000).constData());
        // Through the services library, not the screen's module.
        QVERIFY(s.texto.contains("libqul00002-services.so"));
        QVERIFY(!s.texto.contains("libqul00002.so"));
    }
    QCOMPARE(s.codigo, 0);
    QVERIFY(s.texto.contains("libQt6Core.so"));
    for (const char *grafica : {"libQt6Gui", "libQt6Widgets", "libQt6DBus", "libQt6XcbQpa", "libxcb"})
        QVERIFY2(!s.texto.contains(grafica), grafica);
    // Nor the PostgreSQL client, for a SQLite store: Qt's driver brings it
    // when a PostgreSQL store is opened.
    QVERIFY(!s.texto.contains("libpq.so"));
}

// Each library exports what its public headers declare and nothing else:
// the module all of them; the services library the services', the
// catalogue's and the module's entries without widgets.
void TstServicosLib::exportaOsCabecalhos_data()
{
    QTest::addColumn<QString>("biblioteca");
    QTest::addColumn<QString>("cabecalhos");
    QTest::addColumn<QStringList>("doModulo");  // of qul00002.h, beside the headers' own
    QTest::newRow("módulo") << QStringLiteral(QUL_MODULE_LIB) << QStringLiteral(QUL_PUBLIC_HEADERS) << QStringList();
    QTest::newRow("serviços") << QStringLiteral(QUL_SERVICES_LIB) << QStringLiteral(QUL_SERVICE_HEADERS)
                              << QStringList{"Initialize", "Finalize", "GetPackageInfoTable", "QulSetStringConexQul",
                                             "QulSetProgramDir", "QulCaminhoBancoDemo", "QulUsaBancoDemo",
                                             "QulPacoteParaJson", "QulJsonParaPacote"};
}

void TstServicosLib::exportaOsCabecalhos()
{
    QFETCH(QString, biblioteca);
    QFETCH(QString, cabecalhos);
    QFETCH(QStringList, doModulo);
    QSet<QString> esperados(doModulo.begin(), doModulo.end());
    static const QRegularExpression decl(QStringLiteral("QUL_EXPORT[^;(]*?\\b(\\w+)\\s*\\("));
    for (const QString &path : cabecalhos.split(QLatin1Char('|'))) {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        QString text;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.trimmed().startsWith('#'))  // not the macro's own definition
                text += QString::fromUtf8(line) + QLatin1Char('\n');
        for (auto it = decl.globalMatch(text); it.hasNext();)
            esperados.insert(it.next().captured(1));
    }
    QVERIFY(esperados.contains(QStringLiteral("getProduto")) && esperados.contains(QStringLiteral("QulExportaProdutos")));
    const Saida nm = roda(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), biblioteca});
    QCOMPARE(nm.codigo, 0);
    QSet<QString> exportados;
    for (const QByteArray &line : nm.texto.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() == 3 && parts[1] != "V" && parts[1] != "W" && parts[1] != "w" && parts[1] != "u")
            exportados.insert(QString::fromLatin1(parts[2]));
    }
    QCOMPARE(exportados, esperados);
}

// Each library's units: started once, by the first Initialize; stopped in
// reverse, by the Finalize that matches it.
void TstServicosLib::unidadesDoPacote()
{
    static QString ordem;
    static const TQulUnitInfo unidades[] = {
        {"A", [] { ordem += u'a'; }, [] { ordem += u'A'; }},
        {"B", [] { ordem += u'b'; }, nullptr},
        {"C", nullptr, [] { ordem += u'C'; }},
    };
    const TQulPackageInfo pacote = {"x", 3, unidades, "1"};
    TUnidadesPacote u(pacote);
    u.finaliza();  // before any start: nothing
    u.inicializa();
    u.inicializa();
    u.finaliza();
    QCOMPARE(ordem, QStringLiteral("ab"));
    u.finaliza();
    u.finaliza();
    QCOMPARE(ordem, QStringLiteral("abCA"));
}

QTEST_GUILESS_MAIN(TstServicosLib)
#include "tst_servicoslib.moc"
