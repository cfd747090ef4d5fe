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

// The screen's module exports its screen entries and nothing else, and
// links the core; the core exports every other entry of the public headers
// and, mangled, the C++ surface it gives the screen (no C name besides).
void TstServicosLib::exportaOsCabecalhos_data()
{
    const QStringList tela{"CriaTelaQul00002", "Cli_Qul00002_CriaTelaQul00002", "QulInformaUltimoErro",
                           "Initialize", "Finalize", "GetPackageInfoTable", "QulSetMensagemHook",
                           "QulSetPesquisaHook", "QulSetRelFiscaisHook", "QulSetErrorReportHook"};
    QTest::addColumn<QString>("biblioteca");
    QTest::addColumn<QString>("cabecalhos");
    QTest::addColumn<QStringList>("doModulo");  // added to the headers' entries (+) or taken out of them (-)
    QTest::newRow("módulo") << QStringLiteral(QUL_MODULE_LIB) << QString() << tela;
    QStringList nucleo{"+Initialize", "+Finalize", "+GetPackageInfoTable"};
    for (const QString &e : tela.mid(0, 3) + tela.mid(6))
        nucleo << QLatin1Char('-') + e;
    QTest::newRow("núcleo") << QStringLiteral(QUL_SERVICES_LIB) << QStringLiteral(QUL_PUBLIC_HEADERS) << nucleo;
}

void TstServicosLib::exportaOsCabecalhos()
{
    QFETCH(QString, biblioteca);
    QFETCH(QString, cabecalhos);
    QFETCH(QStringList, doModulo);
    QSet<QString> esperados;
    static const QRegularExpression decl(QStringLiteral("QUL_EXPORT[^;(]*?\\b(\\w+)\\s*\\("));
    for (const QString &path : cabecalhos.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        QString text;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.trimmed().startsWith('#'))  // not the macro's own definition
                text += QString::fromUtf8(line) + QLatin1Char('\n');
        for (auto it = decl.globalMatch(text); it.hasNext();)
            esperados.insert(it.next().captured(1));
    }
    for (const QString &e : doModulo)
        e.startsWith(QLatin1Char('-')) ? void(esperados.remove(e.mid(1))) : void(esperados.insert(e.mid(e.startsWith(QLatin1Char('+')))));
    const Saida nm = roda(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), biblioteca});
    QCOMPARE(nm.codigo, 0);
    QSet<QString> exportados, cxx;
    for (const QByteArray &line : nm.texto.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() == 3 && parts[1] != "V" && parts[1] != "W" && parts[1] != "w" && parts[1] != "u")
            (parts[2].startsWith("_Z") ? cxx : exportados).insert(QString::fromLatin1(parts[2]));
    }
    QCOMPARE(exportados, esperados);
    // The core gives the screen its datasets; the module gives nothing C++.
    QCOMPARE(cxx.contains(QStringLiteral("_ZN8TDataSet4NextEv")), cabecalhos.size() > 0);
    QCOMPARE(cxx.isEmpty(), cabecalhos.isEmpty());
    const Saida d = roda(QStringLiteral("readelf"), {QStringLiteral("-d"), biblioteca});
    QCOMPARE(d.texto.contains("Shared library: [libqul00002-services.so.1]"), cabecalhos.isEmpty());
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
