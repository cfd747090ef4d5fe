// End to end: the built module loaded by qulsvc as a host loads it, on
// every engine, and the module's export list.

#include "CommitProxy.h"
#include "TestDb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

struct Run {
    int exitCode = -1;
    QJsonObject json;
    QByteArray out, err;
};

Run qulsvc(const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qulsvc"), args);
    p.waitForStarted();
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    Run r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.json = QJsonDocument::fromJson(r.out).object();
    return r;
}

}  // namespace

class TstQulsvc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void readServices();
    void writeServices();
    void usageAndConnectionErrors();
    void connectionFile_data();
    void connectionFile();
    void catalogueCommands();
    void verifica();
};

void TstQulsvc::readServices()
{
    QUL_FRESH_DB(db, true);
    const QStringList c{QStringLiteral("--connection"), db.connectionString()};
    Run r = qulsvc(c + QStringList{QStringLiteral("getProduto"), QStringLiteral("T")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.startsWith("{\"status\":0,\"result\":{"), r.out.left(200).constData());
    const QJsonObject packet = r.json.value("result").toObject();
    const QJsonArray fields = packet.value("fields").toArray();
    QCOMPARE(fields.size(), 15);
    QCOMPARE(fields[0].toObject().value("name").toString(), QStringLiteral("CDPRODUTO"));
    QCOMPARE(fields[0].toObject().value("size").toInt(), 10);
    QCOMPARE(fields[5].toObject().value("type").toString(), QStringLiteral("float"));
    QVERIFY(!fields[5].toObject().contains("size"));
    const QJsonArray rows = packet.value("rows").toArray();
    QCOMPARE(rows.size(), 40);
    double last = -1;
    for (const QJsonValue &row : rows) {
        QVERIFY(row.toArray()[5].isNull());  // VRPREUNIT
        const double red = row.toArray()[8].toString().toDouble();
        QVERIFY(red > last);
        last = red;
    }
    r = qulsvc(c + QStringList{QStringLiteral("getImposto")});
    QCOMPARE(r.json.value("result").toObject().value("rows").toArray()[0].toArray()[0].toString(), QStringLiteral("00"));
    r = qulsvc(c + QStringList{QStringLiteral("getUnidade")});
    QVERIFY(r.json.value("result").toObject().value("rows").toArray().size() > 3);
    const QString bar = rows[0].toArray()[2].toString(), red = rows[1].toArray()[8].toString();
    r = qulsvc(c + QStringList{QStringLiteral("getVd_Produto"), QStringLiteral("T"), bar, red});
    QCOMPARE(r.json.value("status").toInt(), 0);
    QCOMPARE(r.json.value("result").toObject().value("rows").toArray().size(), 2);
    // A list long enough to reach stdout in several pieces is still one answer.
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) INSERT INTO "
                           "PRODUTO (CDPRODUTO, NMPRODUTO) SELECT 'X' || i, 'Produto acrescentado para a lista longa' FROM n"));
    r = qulsvc(c + QStringList{QStringLiteral("getProduto"), QStringLiteral("T")});
    QVERIFY2(r.exitCode == 0 && r.out.size() > 2 * 65536, r.err.constData());
    QCOMPARE(r.json.value("result").toObject().value("rows").toArray().size(), 1540);
}

void TstQulsvc::writeServices()
{
    QUL_FRESH_DB(db, true);
    const QStringList c{QStringLiteral("--connection"), db.connectionString()};
    const QByteArray novo = R"({"fields": [
        {"name": "IDTPIMPOSFIS", "type": "string", "size": 1}, {"name": "CDPRODUTO", "type": "string", "size": 10},
        {"name": "CDARVPROD", "type": "string", "size": 20}, {"name": "CDPRODINTE", "type": "string", "size": 20},
        {"name": "NMPRODUTO", "type": "string", "size": 50}, {"name": "SGUNIDADE", "type": "string", "size": 10},
        {"name": "VRPREUNIT", "type": "float"}, {"name": "VRPRECITEM", "type": "float"},
        {"name": "CDIMPOSTO", "type": "string", "size": 2}, {"name": "CDPORIMPPROD", "type": "string", "size": 5},
        {"name": "VRPEALIMPFIS", "type": "float"}, {"name": "QTTARAPROD", "type": "float"},
        {"name": "CDBARPRODUTO", "type": "string", "size": 30}, {"name": "IDPESAPROD", "type": "string", "size": 1},
        {"name": "SGIMPOSTO", "type": "string", "size": 10}],
      "rows": [["T", null, null, "5001", "Goiabada Cascão 300g", "UN", null, 8.9, "03", "LPT1", 18, 0, "7891000050019", "N", "T18"]]})";
    Run r = qulsvc(c + QStringList{QStringLiteral("setProduto"), QStringLiteral("I"), QStringLiteral("-")}, novo);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODINTE = '5001'")).toString(),
             QStringLiteral("Goiabada Cascão 300g"));
    const QString novoCodigo = db.scalar(QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODINTE = '5001'")).toString();
    QCOMPARE(r.out.trimmed(), "{\"status\":0,\"result\":null,\"codigos\":[\"" + novoCodigo.toUtf8() + "\"]}");
    r = qulsvc(c + QStringList{QStringLiteral("getProdutoNaLista"), QString(), QStringLiteral("5001")});
    QCOMPARE(r.json.value("result").toArray().at(0).toObject().value("rows").toArray().at(0).toArray().at(0).toString(), novoCodigo);
    QCOMPARE(r.json.value("result").toArray().at(1).toInt(), db.count(QStringLiteral("PRODUTO"), QStringLiteral("CAST(CDPRODINTE AS INTEGER) < 5001")));

    // The product of the demo's sale and the one the sales screen holds.
    const QString vendido = db.scalar(QStringLiteral("SELECT CDPRODUTO FROM ITEMVENDA")).toString();
    r = qulsvc(c + QStringList{QStringLiteral("setDelProduto"), vendido});
    QCOMPARE(r.json.value("result").toArray().at(0).toString(), QStringLiteral("VENDA"));
    QVERIFY(r.json.value("result").toArray().at(1).isNull());
    QVERIFY2(r.exitCode == 6 && r.err.contains("produto " + vendido.toUtf8() + ": Produto não pode ser excluído"), r.err.constData());
    const QString noMenu = db.scalar(QStringLiteral("SELECT CDIDENTBUTON FROM ITMENUCONFTE WHERE CDIDENTBUTON IS NOT NULL AND CDIDENTBUTON NOT IN "
                                                    "(SELECT CDPRODUTO FROM ITEMVENDA UNION SELECT CDPRODUTO FROM ITCOMANDAVEN)")).toString();
    r = qulsvc(c + QStringList{QStringLiteral("setDelProduto"), noMenu});
    QCOMPARE(r.json.value("result").toArray().at(0).toString(), QStringLiteral("CONFTE"));
    const QJsonArray grupos = r.json.value("result").toArray().at(1).toObject().value("rows").toArray();
    QVERIFY2(r.exitCode == 7 && !grupos.isEmpty() && r.err.contains("do grupo " + grupos[0].toArray().last().toString().toUtf8()),
             r.out + r.err);
    QCOMPARE(db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO IN ('%1', '%2')").arg(vendido, noMenu)), 2);

    // The watch of the products sees the delete another process commits; a code deleted already exits 8.
    QProcess vigia;
    vigia.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qulsvc"), c + QStringList{QStringLiteral("getProdutoMudou"), QStringLiteral("60")});
    QByteArray vigiando;
    QTRY_VERIFY_WITH_TIMEOUT((vigiando += vigia.readAllStandardError()).contains("vigiando"), 30000);
    for (int vez : {0, 8}) {
        r = qulsvc(c + QStringList{QStringLiteral("setDelProduto"), novoCodigo});
        QVERIFY2(r.exitCode == vez && r.out.trimmed() == QByteArray("{\"status\":0,\"result\":[\"OK\",null]}"), r.out + r.err);
    }
    QVERIFY(r.err.contains("não há produto de código " + novoCodigo.toUtf8()));
    QCOMPARE(db.count(QStringLiteral("PRODUTO"), QStringLiteral("CDPRODINTE = '5001'")), 0);
    QVERIFY(vigia.waitForFinished(30000));
    QCOMPARE(vigia.exitCode(), 0);
    QCOMPARE(vigia.readAllStandardOutput().trimmed(), QByteArray("{\"status\":0,\"result\":true}"));
    r = qulsvc(c + QStringList{QStringLiteral("getProdutoMudou"), QStringLiteral("0")});
    QCOMPARE(r.out.trimmed(), QByteArray("{\"status\":0,\"result\":false}"));
    QCOMPARE(qulsvc(c + QStringList{QStringLiteral("getProdutoMudou"), QStringLiteral("86401")}).exitCode, 2);

    // A packet that is not valid JSON is a usage error; nothing is written.
    r = qulsvc(c + QStringList{QStringLiteral("setProduto"), QStringLiteral("I"), QStringLiteral("-")}, "{\"fields\": [");
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 40);

    // A save the service refuses: the JSON says why, the exit status that
    // it failed. Operations other than I and E are usage errors.
    QByteArray longo = novo;
    longo.replace("\"5001\"", "\"123456789012345678901\"");
    r = qulsvc(c + QStringList{QStringLiteral("setProduto"), QStringLiteral("I"), QStringLiteral("-")}, longo);
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(r.json.value("status").toInt(), 0);
    QVERIFY2(r.json.value("result").toString().contains(QLatin1String("CDPRODINTE")), r.out.constData());
    r = qulsvc(c + QStringList{QStringLiteral("setProduto"), QStringLiteral("i"), QStringLiteral("-")}, novo);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 40);

    // A COMMIT the server answers with ROLLBACK is a refused save.
    if (db.engine() == TestDb::Engine::PostgreSQL) {
        const CommitProxy proxy(db.connectionString());
        r = qulsvc({QStringLiteral("--connection"), proxy.through(), QStringLiteral("setProduto"),
                    QStringLiteral("I"), QStringLiteral("-")}, novo);
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.json.value("result").toString(), QStringLiteral("A gravação não foi concluída: o banco de dados desfez a transação."));
    }
}

void TstQulsvc::usageAndConnectionErrors()
{
    if (TestDb::currentEngine() != TestDb::Engine::SQLite)
        QSKIP("engine-independent");
    QCOMPARE(qulsvc({}).exitCode, 2);
    QCOMPARE(qulsvc({QStringLiteral("getProduto")}).exitCode, 2);
    QCOMPARE(qulsvc({QStringLiteral("semComando")}).exitCode, 2);
    QCOMPARE(qulsvc({QStringLiteral("--connection")}).exitCode, 2);
    Run r = qulsvc({QStringLiteral("--connection"),
                    QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=1;Initial Catalog=x;User ID=u;Password=segredo123"),
                    QStringLiteral("getUnidade")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(!r.err.contains("segredo123"));
    QVERIFY(r.out.isEmpty());
    // The refusal is in the log (its copy on stderr), and verifica cannot connect either.
    QVERIFY2(r.err.contains(" qulsvc: terminal ") && r.err.contains("conexão com o banco de dados: "), r.err.constData());
    QCOMPARE(qulsvc({QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=/nao/existe.db"),
                     QStringLiteral("verifica")}).exitCode, 1);
    r = qulsvc({QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=/nao/existe.db"), QStringLiteral("getUnidade")});
    QCOMPARE(r.exitCode, 1);
}

void TstQulsvc::connectionFile_data()
{
    QTest::addColumn<QByteArray>("text");  // of the file %f; %c: the store's connection string
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    const QStringList file{QStringLiteral("--connection-file"), QStringLiteral("%f")}, cs{QStringLiteral("--connection"), QStringLiteral("%c")};
    QTest::newRow("0600, CRLF, blank lines first") << QByteArray("\r\n \t\r\n%c\r\nProvider=SQLite;Data Source=/x.db\r\n") << 0600 << file << 0;
    QTest::newRow("0640, no line end") << QByteArray("%c") << 0640 << file << 0;
    QTest::newRow("0644: others can read it") << QByteArray("%c\n") << 0644 << file << 2;
    QTest::newRow("only blank lines") << QByteArray("\n \r\n") << 0600 << file << 2;
    QTest::newRow("missing") << QByteArray("%c") << 0600 << QStringList{QStringLiteral("--connection-file"), QStringLiteral("/nao/existe")} << 2;
    QTest::newRow("and --connection") << QByteArray("%c") << 0600 << file + cs << 2;
    QTest::newRow("--connection shows the password") << QByteArray("%c") << 0600 << cs << 0;
}

void TstQulsvc::connectionFile()
{
    QFETCH(QByteArray, text);
    QFETCH(int, mode);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    if (TestDb::currentEngine() != TestDb::Engine::SQLite)
        QSKIP("engine-independent");
    QUL_FRESH_DB(db, true);
    const QString store = db.connectionString() + QStringLiteral(";Password=segredo123");
    QTemporaryFile f;
    QVERIFY(f.open() && f.write(text.replace("%c", store.toUtf8())) > 0 && f.flush() && ::chmod(qPrintable(f.fileName()), mode_t(mode)) == 0);
    options.replaceInStrings(QStringLiteral("%f"), f.fileName()).replaceInStrings(QStringLiteral("%c"), store);
    qputenv("QUL_CONNECTION", "Provider=SQLite;Data Source=/nao/existe.db");  // where no string from the file leads
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qulsvc"), options + QStringList{"import", "--check", "-"});
    if (exitCode == 0) {  // what ps shows, once exec has set up its arguments, while it waits for the rows
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(p.processId()));
        auto shown = [&] { cmdline.close(); return cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray(); };
        QTRY_VERIFY(shown().contains("--check"));
        QCOMPARE(shown().contains("segredo123"), options.contains(store));
    }
    p.write("CDPRODUTO;NMPRODUTO\n");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(p.exitCode() == exitCode && !err.contains("segredo123")
                 && (exitCode == 0 || err.contains(options.contains(store) ? "--connection-file" : options.at(1).toUtf8())), err.constData());
}

// export to standard output, import from standard input: a refused file
// lists its rows and exits 3 with nothing written; --check writes nothing.
void TstQulsvc::catalogueCommands()
{
    QUL_FRESH_DB(db, true);
    const QStringList c{QStringLiteral("--connection"), db.connectionString()};
    Run r = qulsvc(c + QStringList{QStringLiteral("export"), QStringLiteral("-")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith("\xEF\xBB\xBF" "CDPRODUTO;CDARVPROD;CDBARPRODUTO;NMPRODUTO;"));
    QCOMPARE(r.out.count("\r\n"), 41);
    QVERIFY2(r.err.contains("exportados: 40 produtos"), r.err.constData());

    const QByteArray arquivo = "cdprodinte;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO\n"
                               "5001;Goiabada 300g;UN;8,9;03\n"
                               "5002;;UN;8,9;03\n"
                               "5003;Doce de leite;UN;8.9;03\n";
    r = qulsvc(c + QStringList{QStringLiteral("import"), QStringLiteral("-")}, arquivo);
    QCOMPARE(r.exitCode, 3);
    QVERIFY2(r.out.startsWith("linha 3: NMPRODUTO: Nome do Produto deve ser informado.\n"
                              "linha 4: VRPRECITEM: Valor digitado é inválido. \"8.9\": use vírgula como separador decimal e "
                              "nenhum separador de milhar (ex.: 1234,5).\n"
                              "inseridos: 0; alterados: 0; inalterados: 0; recusados: 2;"),
             r.out.constData());
    QVERIFY(r.err.isEmpty());  // no progress bar off a terminal
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 40);

    const QByteArray bom = "5001;Goiabada 300g;UN;8,9;03\n";
    r = qulsvc(c + QStringList{QStringLiteral("import"), QStringLiteral("--check"), QStringLiteral("-")},
               arquivo.left(arquivo.indexOf('\n') + 1) + bom);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.startsWith("a incluir: 1; a alterar: 0; inalterados: 0; recusados: 0;"), r.out.constData());
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 40);
    r = qulsvc(c + QStringList{QStringLiteral("import"), QStringLiteral("-")}, arquivo.left(arquivo.indexOf('\n') + 1) + bom);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODINTE = '5001'")).toString(),
             QStringLiteral("Goiabada 300g"));

    // Many refused rows: the first hundred printed, every one in the report, quoted as the export quotes.
    QByteArray muitas = arquivo.left(arquivo.indexOf('\n') + 1) + "0042;'=x;UN;8,9;03\n";
    for (int i = 0; i < 101; ++i)
        muitas += QByteArray::number(6000 + i) + ";;UN;8,9;03\n";
    QTemporaryDir dir;
    const QString relatorio = dir.filePath(QStringLiteral("recusadas.csv"));
    r = qulsvc(c + QStringList{QStringLiteral("import"), QStringLiteral("--relatorio"), relatorio, QStringLiteral("-")}, muitas);
    QVERIFY2(r.exitCode == 3 && r.out.contains("\nlinha 101: NMPRODUTO:") && !r.out.contains("linha 102:")
                 && r.out.contains("\n… e mais 2 linhas recusadas; todas em " + relatorio.toUtf8() + ".\n"),
             r.out.constData());
    QFile f(relatorio);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> linhas = f.readAll().split('\n');
    QCOMPARE(linhas.size(), 104);  // the header, 102 rows, nothing after the last line break
    QCOMPARE(linhas[0], "\xEF\xBB\xBFlinha;coluna;texto;CDPRODINTE;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO\r");
    QVERIFY2(linhas[1].startsWith("2;NMPRODUTO;\"\"\"=x\"\" não é aceito") && linhas[1].endsWith(";\"0042\";'=x;UN;8,9;\"03\"\r"),
             linhas[1].constData());
    QCOMPARE(linhas[102], "103;NMPRODUTO;Nome do Produto deve ser informado.;\"6100\";;UN;8,9;\"03\"\r");

    // A price changed: the field counted, the stored row kept first where --copia says.
    const QString copia = dir.filePath(QStringLiteral("antes.csv"));
    r = qulsvc(c + QStringList{QStringLiteral("import"), QStringLiteral("--copia"), copia, QStringLiteral("-")},
               "CDPRODUTO;VRPRECITEM\n1;16,9\n");
    QVERIFY2(r.out.contains("\ncampos alterados: VRPRECITEM: 1\ncópia dos produtos alterados, como estavam: " + copia.toUtf8())
                 && QFile(copia).size() > 0, r.out.constData());
    r = qulsvc(c + QStringList{QStringLiteral("--help")});
    QVERIFY(r.out.contains("export [--format csv|json|xlsx|ods]") && r.out.contains("import [--check]") && r.out.contains("--relatorio"));
}

// verifica on a good store, one without a table and a column, and an empty one: what is missing, the
// schema file that makes it (which exists) and the command that runs it.
void TstQulsvc::verifica()
{
    QUL_FRESH_DB(db, true);
    const QStringList c{QStringLiteral("--connection"), db.connectionString(), QStringLiteral("verifica")};
    Run r = qulsvc(c);
    QVERIFY2(r.exitCode == 0 && r.out.contains("tem as 9 tabelas"), r.out + r.err);
    db.exec(QStringLiteral("DROP TABLE ITMENUCONFTE"));
    db.exec(QStringLiteral("ALTER TABLE PRODUTO DROP COLUMN VRPREUNIT"));
    r = qulsvc(c);
    QVERIFY2(r.exitCode == 5 && r.out.contains("\nFalta a tabela ITMENUCONFTE.\nFalta a coluna PRODUTO.VRPREUNIT.\n"), r.out + r.err);
    StoreDb::dropSchema(db.db(), db.onPostgreSQL() ? StoreDb::Engine::PostgreSQL : StoreDb::Engine::SQLite);
    r = qulsvc(c);
    QVERIFY2(r.exitCode == 5 && r.out.contains("\nFaltam as tabelas ALIQIMPFIS, IMPOSTO, ITCOMANDAVEN, ITEMPRECO, ITEMVENDA, "
                                               "ITMENUCONFTE, PRODLOJA, PRODUTO, UNIDMEDIDA.\n"),
             r.out + r.err);
    const QString esquema = QString::fromUtf8(r.out).section(QStringLiteral("esquema instalado "), 1).section(QLatin1Char(' '), 0, 0);
    QVERIFY2(QFileInfo(esquema).isFile() && r.out.contains(db.engine() == TestDb::Engine::SQLite ? "\n  sqlite3 " : "\n  psql -h "),
             r.out.constData());
}

QTEST_GUILESS_MAIN(TstQulsvc)
#include "tst_qulsvc.moc"
