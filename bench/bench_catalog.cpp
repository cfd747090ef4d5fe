// The catalogue commands on stores of several sizes, each beside the
// engine's own bulk load of the same products measured in the same run
// (the floor: SQLite's shell running one transaction of multi-row INSERTs,
// PostgreSQL's psql \copy, into the same four tables of a fresh store):
// `qulsvc import --check` and `import` of a CSV of N new products into an
// empty store, `export` of them, `import --check` and `import` of that
// export unchanged, and of the export as a spreadsheet leaves it after an
// edit (50 prices changed, 5 new rows, sorted by name); then `export` of
// the store the floor loaded. With --json, the two imports of the packet's
// JSON form of M products. With --export-only, only the floor and the
// export (a million products' export memory without a million-row import).
// Each is timed as a whole program run with its peak memory.
//
//   bench_catalog [--engine sqlite|postgresql] [--products 1000,10000,50000] [--json 200000] [--export-only 1]
//
// PostgreSQL is reached through QUL_PG_TEST (as the tests do); the
// benchmark creates and drops databases of its own there.

#include "ConnectionString.h"
#include "StoreDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void falha(const QString &texto)
{
    std::fprintf(stderr, "%s\n", qPrintable(texto));
    std::exit(1);
}

void must(QSqlQuery &q, const QString &sql)
{
    if (!q.exec(sql))
        falha(sql + QStringLiteral(": ") + q.lastError().text());
}

// Product k of a catalogue: every fourth weighed, every tenth with the
// typed rate.
struct ProdutoGerado {
    explicit ProdutoGerado(int k)
        : pesado(k % 4 == 0), livre(k % 10 == 0), reduzido(QString::number(k)),
          nome(QStringLiteral("Produto importado %1").arg(k)),
          barras(QStringLiteral("789%1").arg(k, 10, 10, QLatin1Char('0'))), preco(1 + k % 100 + (k % 100) / 100.0)
    {
    }
    bool pesado, livre;
    QString reduzido, nome, barras;
    double preco;
};

// Bytes to a file in pieces, so that a catalogue of a million rows is never held whole.
class Arquivo {
public:
    explicit Arquivo(const QString &caminho) : m_f(caminho)
    {
        if (!m_f.open(QIODevice::WriteOnly))
            falha(QStringLiteral("não foi possível gravar ") + caminho);
    }
    void escreve(const QByteArray &b)
    {
        m_buffer += b;
        if (m_buffer.size() > (1 << 20))
            descarrega();
    }
    void descarrega()
    {
        if (m_f.write(m_buffer) != m_buffer.size())
            falha(QStringLiteral("não foi possível gravar ") + m_f.fileName());
        m_buffer.clear();
    }
    ~Arquivo() { descarrega(); }

private:
    QFile m_f;
    QByteArray m_buffer;
};

// N products as a spreadsheet would hold them.
QString geraCsv(const QString &pasta, int n)
{
    const QString caminho = QDir(pasta).filePath(QStringLiteral("catalogo%1.csv").arg(n));
    Arquivo f(caminho);
    f.escreve("\xEF\xBB\xBF" "CDPRODINTE;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO;VRPEALIMPFIS;IDPESAPROD;QTTARAPROD;"
              "CDBARPRODUTO;CDPORIMPPROD\r\n");
    for (int k = 1; k <= n; ++k) {
        const ProdutoGerado p(k);
        f.escreve(QStringLiteral("%1;%2;%3;%4,%5;%6;%7;%8;%9;%10;COM1\r\n")
                      .arg(p.reduzido, p.nome, p.pesado ? QStringLiteral("KG") : QStringLiteral("UN"))
                      .arg(1 + k % 100)
                      .arg(k % 100, 2, 10, QLatin1Char('0'))
                      .arg(p.livre ? QStringLiteral("00") : QStringLiteral("03"), p.livre ? QStringLiteral("3,2") : QString(),
                           p.pesado ? QStringLiteral("S") : QStringLiteral("N"),
                           p.pesado ? QStringLiteral("0,015") : QString(), p.barras)
                      .toUtf8());
    }
    return caminho;
}

// The same products in the packet's JSON form, as getProduto prints it.
QString geraJson(const QString &pasta, int n)
{
    const QString caminho = QDir(pasta).filePath(QStringLiteral("catalogo%1.json").arg(n));
    Arquivo f(caminho);
    f.escreve(R"({"fields":[{"name":"CDPRODINTE","type":"string","size":20},{"name":"NMPRODUTO","type":"string","size":50},)"
              R"({"name":"SGUNIDADE","type":"string","size":10},{"name":"VRPRECITEM","type":"float","size":0},)"
              R"({"name":"CDIMPOSTO","type":"string","size":2},{"name":"VRPEALIMPFIS","type":"float","size":0},)"
              R"({"name":"IDPESAPROD","type":"string","size":1},{"name":"QTTARAPROD","type":"float","size":0},)"
              R"({"name":"CDBARPRODUTO","type":"string","size":30},{"name":"CDPORIMPPROD","type":"string","size":5}],"rows":[)");
    for (int k = 1; k <= n; ++k) {
        const ProdutoGerado p(k);
        f.escreve(QStringLiteral("%1[\"%2\",\"%3\",\"%4\",%5,\"%6\",%7,\"%8\",%9,\"%10\",\"COM1\"]")
                      .arg(k > 1 ? QStringLiteral(",") : QString(), p.reduzido, p.nome,
                           p.pesado ? QStringLiteral("KG") : QStringLiteral("UN"))
                      .arg(p.preco)
                      .arg(p.livre ? QStringLiteral("00") : QStringLiteral("03"), p.livre ? QStringLiteral("3.2") : QStringLiteral("null"),
                           p.pesado ? QStringLiteral("S") : QStringLiteral("N"),
                           p.pesado ? QStringLiteral("0.015") : QStringLiteral("null"), p.barras)
                      .toUtf8());
    }
    f.escreve("]}\n");
    return caminho;
}

// The floor's load of N products (ProdutoGerado, codes 1..N) into the
// four tables as a save writes them: for SQLite a script of multi-row
// INSERTs of 500 rows in one transaction, for the sqlite3 shell; for
// PostgreSQL a CSV per table and a psql script of \copy, run as one
// transaction. Returns the script.
QString geraPiso(const QString &pasta, int n, bool postgres)
{
    struct Tabela {
        const char *nome, *colunas;
        std::function<QStringList(int, const ProdutoGerado &)> valores;
    };
    const QString data = QStringLiteral("2026-01-01 00:00:00");
    const auto preco = [](const ProdutoGerado &p) { return QString::number(p.preco, 'f', 2); };
    const QList<Tabela> tabelas{
        {"PRODUTO", "CDARVPROD, CDPRODUTO, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, SGUNIDADE, IDPESAPROD, QTTARAPROD, "
                    "DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, IDORIGPRODPR",
         [&](int k, const ProdutoGerado &p) {
             return QStringList{QString::number(k), QString::number(k), p.reduzido, p.nome, p.barras,
                                p.pesado ? QStringLiteral("KG") : QStringLiteral("UN"), p.pesado ? QStringLiteral("S") : QStringLiteral("N"),
                                p.pesado ? QStringLiteral("0.015") : QString(), data, QStringLiteral("P"), QStringLiteral("1"), QStringLiteral("P")};
         }},
        {"ITEMPRECO", "CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, VRPRECITEM, DTULTATUITPR",
         [&](int k, const ProdutoGerado &p) {
             return QStringList{QStringLiteral("9999"), QStringLiteral("001"), data, QString::number(k), QString::number(k), preco(p), data};
         }},
        {"ALIQIMPFIS", "CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, DTULTATUALIF, IDTPIMPOSFIS",
         [&](int k, const ProdutoGerado &p) {
             return QStringList{QStringLiteral("9999"), QString::number(k), p.livre ? QStringLiteral("00") : QStringLiteral("03"),
                                p.livre ? QStringLiteral("3.2") : QString(), data, QStringLiteral("T")};
         }},
        {"PRODLOJA", "CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD, DTULTATUPLOJ",
         [&](int k, const ProdutoGerado &) {
             return QStringList{QStringLiteral("9999"), QStringLiteral("01"), QString::number(k), QStringLiteral("COM1"), data};
         }},
    };
    const QString script = QDir(pasta).filePath(QStringLiteral("piso%1.sql").arg(n));
    Arquivo f(script);
    if (!postgres)
        f.escreve("BEGIN;\n");
    for (const Tabela &t : tabelas) {
        if (postgres) {
            const QString csv = QDir(pasta).filePath(QStringLiteral("piso%1_%2.csv").arg(n).arg(QLatin1String(t.nome)));
            {
                Arquivo c(csv);
                for (int k = 1; k <= n; ++k)
                    c.escreve((t.valores(k, ProdutoGerado(k)).join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8());
            }
            f.escreve(QStringLiteral("\\copy %1 (%2) FROM '%3' WITH (FORMAT csv)\n")
                          .arg(QLatin1String(t.nome), QLatin1String(t.colunas), csv)
                          .toUtf8());
            continue;
        }
        for (int k = 1; k <= n; ++k) {
            QStringList v = t.valores(k, ProdutoGerado(k));
            for (QString &x : v)
                x = x.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + x + QLatin1Char('\'');
            const bool primeira = (k - 1) % 500 == 0, ultima = k % 500 == 0 || k == n;
            f.escreve(((primeira ? QStringLiteral("INSERT INTO %1 (%2) VALUES\n").arg(QLatin1String(t.nome), QLatin1String(t.colunas))
                                 : QString())
                       + QLatin1Char('(') + v.join(QLatin1Char(',')) + (ultima ? QStringLiteral(");\n") : QStringLiteral("),\n")))
                          .toUtf8());
        }
    }
    if (!postgres)
        f.escreve("COMMIT;\n");
    return script;
}

// A store's export as a spreadsheet leaves it after an edit: 50 prices
// changed, 5 new products (codes empty), the rows sorted by name. The
// export's fields hold no ';' nor a quote inside a value.
QString editaComoPlanilha(const QString &exportado, const QString &caminho)
{
    QFile e(exportado);
    if (!e.open(QIODevice::ReadOnly))
        falha(QStringLiteral("não foi possível ler ") + exportado);
    QList<QByteArray> linhas = e.readAll().split('\n');
    while (!linhas.isEmpty() && linhas.last().trimmed().isEmpty())
        linhas.removeLast();
    QByteArray cabecalho = linhas.takeFirst();
    const QList<QByteArray> nomes = cabecalho.mid(3).trimmed().split(';');  // after the byte order mark
    const auto coluna = [&nomes](const char *nome) { return int(nomes.indexOf(QByteArray(nome))); };
    const int codigo = coluna("CDPRODUTO"), arvore = coluna("CDARVPROD"), reduzido = coluna("CDPRODINTE"),
              nome = coluna("NMPRODUTO"), preco = coluna("VRPRECITEM"), barras = coluna("CDBARPRODUTO");
    QList<QList<QByteArray>> rows;
    for (const QByteArray &l : std::as_const(linhas))
        rows.append(l.trimmed().split(';'));
    for (int i = 0; i < 50 && i < rows.size(); ++i)
        rows[i * (rows.size() / 50)][preco] = "99,99";
    for (int i = 0; i < 5 && !rows.isEmpty(); ++i) {
        QList<QByteArray> novo = rows.first();
        novo[codigo] = novo[arvore] = "";
        novo[reduzido] = "\"" + QByteArray::number(90000000 + i) + "\"";
        novo[barras] = "\"" + QByteArray::number(5550000000000LL + i) + "\"";
        novo[nome] = "Produto novo " + QByteArray::number(i);
        rows.append(novo);
    }
    std::stable_sort(rows.begin(), rows.end(), [nome](const auto &a, const auto &b) { return a[nome] < b[nome]; });
    Arquivo f(caminho);
    f.escreve(cabecalho + '\n');
    for (const QList<QByteArray> &r : std::as_const(rows))
        f.escreve(r.join(';') + "\r\n");
    return caminho;
}

struct Execucao {
    double segundos = -1;
    long picoKb = 0;
};

// Runs a program with its output thrown away; wall time and its own peak memory.
Execucao executa(const QStringList &argv)
{
    QList<QByteArray> args;
    for (const QString &a : argv)
        args.append(a.toLocal8Bit());
    std::vector<char *> ptrs;
    for (QByteArray &a : args)
        ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    QElapsedTimer relogio;
    relogio.start();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(126);
        execv(ptrs[0], ptrs.data());
        _exit(127);
    }
    int status = 0;
    rusage uso{};
    wait4(pid, &status, 0, &uso);
    Execucao e;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        e.segundos = relogio.elapsed() / 1000.0;
    e.picoKb = uso.ru_maxrss;
    return e;
}

// An empty store of its own for one size: its connection string. PostgreSQL
// gets a database created for it (`banco`), dropped by apaga().
struct Loja {
    bool postgres = false;
    TConnectionString pg;
    QString banco, cs, arquivo;  // arquivo: SQLite's

    // The engine's own program running `script` on this store, as one transaction.
    QStringList carga(const QString &script) const
    {
        if (!postgres)
            return {QStringLiteral("/usr/bin/sqlite3"), QStringLiteral("-bail"), arquivo, QStringLiteral(".read ") + script};
        return {QStringLiteral("/usr/bin/psql"), QStringLiteral("-q"), QStringLiteral("-1"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-f"), script,
                QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=%5")
                    .arg(pg.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")), pg.value(QStringLiteral("Port")),
                         pg.value(QStringLiteral("User ID"), QStringLiteral("postgres")), pg.value(QStringLiteral("Password")), banco)};
    }

    QSqlDatabase servidor(const QString &nome) const
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("b"));
        db.setHostName(pg.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")));
        db.setPort(pg.value(QStringLiteral("Port")).toInt());
        db.setUserName(pg.value(QStringLiteral("User ID"), QStringLiteral("postgres")));
        db.setPassword(pg.value(QStringLiteral("Password")));
        db.setDatabaseName(nome);
        return db;
    }

    void cria(const QString &pasta, const QString &nome)
    {
        {
            QSqlDatabase db;
            if (postgres) {
                banco = QStringLiteral("qul_bench_cat_%1_%2").arg(QCoreApplication::applicationPid()).arg(nome);
                db = servidor(QStringLiteral("postgres"));
                if (!db.open())
                    falha(db.lastError().text());
                QSqlQuery q(db);
                must(q, QStringLiteral("CREATE DATABASE ") + banco);
                db.close();
                db.setDatabaseName(banco);
                cs = QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=\"%5\"")
                         .arg(db.hostName())
                         .arg(db.port())
                         .arg(banco, db.userName(), db.password());
            } else {
                arquivo = QDir(pasta).filePath(QStringLiteral("loja%1.db").arg(nome));
                QFile::remove(arquivo);
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("b"));
                db.setDatabaseName(arquivo);
                cs = QStringLiteral("Provider=SQLite;Data Source=%1").arg(arquivo);
            }
            if (!db.open())
                falha(db.lastError().text());
            StoreDb::createSchema(db, postgres ? StoreDb::Engine::PostgreSQL : StoreDb::Engine::SQLite);
            QSqlQuery q(db);
            must(q, QStringLiteral("INSERT INTO IMPOSTO VALUES ('00', 'Tributado', 'TRIB', 'T')"));
            must(q, QStringLiteral("INSERT INTO IMPOSTO VALUES ('03', 'ICMS 18%', 'T18', 'T')"));
            must(q, QStringLiteral("INSERT INTO UNIDMEDIDA VALUES ('UN', 'Unidade')"));
            must(q, QStringLiteral("INSERT INTO UNIDMEDIDA VALUES ('KG', 'Quilograma')"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("b"));
    }

    void apaga()
    {
        if (postgres) {
            {
                QSqlDatabase db = servidor(QStringLiteral("postgres"));
                if (db.open()) {
                    QSqlQuery q(db);
                    must(q, QStringLiteral("DROP DATABASE ") + banco);
                }
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("b"));
        }
    }
};

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString engine = QStringLiteral("sqlite");
    QList<int> tamanhos{1000, 10000, 50000}, tamanhosJson;
    bool soExportacao = false;
    const QStringList a = app.arguments();
    const auto lista = [](const QString &texto) {
        QList<int> l;
        for (const QString &p : texto.split(QLatin1Char(','), Qt::SkipEmptyParts))
            l.append(p.toInt());
        return l;
    };
    for (int k = 1; k + 1 < a.size(); k += 2) {
        if (a[k] == QLatin1String("--engine"))
            engine = a[k + 1];
        else if (a[k] == QLatin1String("--products"))
            tamanhos = lista(a[k + 1]);
        else if (a[k] == QLatin1String("--json"))
            tamanhosJson = lista(a[k + 1]);
        else if (a[k] == QLatin1String("--export-only"))
            soExportacao = a[k + 1] != QLatin1String("0");
    }
    Loja loja;
    loja.postgres = engine == QLatin1String("postgresql");
    if (loja.postgres) {
        loja.pg = TConnectionString::parse(qEnvironmentVariable("QUL_PG_TEST"));
        if (loja.pg.value(QStringLiteral("Port")).isEmpty())
            falha(QStringLiteral("QUL_PG_TEST não definido"));
    }
    const QString qulsvc = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulsvc"));
    QTemporaryDir dir;
    std::printf("engine %s; qulsvc as a whole program: wall seconds, peak resident memory of the process;\n"
                "piso: the engine's own bulk load of the same products (%s), in this run\n",
                qPrintable(engine), loja.postgres ? "psql \\copy, one transaction" : "sqlite3 shell, one transaction of multi-row INSERTs");
    std::printf("%-9s %-22s %9s %10s %12s %9s %7s\n", "produtos", "comando", "segundos", "pico MiB", "produtos/s", "piso s", "razão");
    double piso = 0;
    const auto mostra = [&](int n, const char *nome, const Execucao &e) {
        std::printf("%-9d %-22s %9.2f %10.1f %12.0f %9.2f %7.2f\n", n, nome, e.segundos, e.picoKb / 1024.0, n / e.segundos, piso,
                    piso > 0 ? e.segundos / piso : 0.0);
        std::fflush(stdout);
    };
    const auto roda = [&](int n, const char *nome, const QStringList &args) {
        const QStringList argv = QStringList{qulsvc, QStringLiteral("--connection"), loja.cs} + args;
        const Execucao e = executa(argv);
        if (e.segundos < 0)
            falha(QStringLiteral("%1 falhou: %2").arg(QLatin1String(nome), argv.join(QLatin1Char(' '))));
        mostra(n, nome, e);
    };
    for (const int n : tamanhos) {
        // The floor, and the store it loads for the export.
        const QString script = geraPiso(dir.path(), n, loja.postgres);
        loja.cria(dir.path(), QStringLiteral("piso%1").arg(n));
        piso = 0;
        const Execucao carga = executa(loja.carga(script));
        if (carga.segundos < 0)
            falha(QStringLiteral("a carga do piso falhou: ") + loja.carga(script).join(QLatin1Char(' ')));
        piso = carga.segundos;
        mostra(n, "piso (carga do motor)", carga);
        roda(n, "export", {QStringLiteral("export"), dir.filePath(QStringLiteral("exportado.csv"))});
        loja.apaga();
        if (soExportacao)
            continue;
        const QString csv = geraCsv(dir.path(), n);
        loja.cria(dir.path(), QString::number(n));
        roda(n, "import --check", {QStringLiteral("import"), QStringLiteral("--check"), csv});
        roda(n, "import", {QStringLiteral("import"), csv});
        roda(n, "export", {QStringLiteral("export"), dir.filePath(QStringLiteral("exportado.csv"))});
        // The export read back: every row an update of a stored product, none changed.
        roda(n, "reimport --check", {QStringLiteral("import"), QStringLiteral("--check"), dir.filePath(QStringLiteral("exportado.csv"))});
        roda(n, "reimport", {QStringLiteral("import"), dir.filePath(QStringLiteral("exportado.csv"))});
        const QString editado = editaComoPlanilha(dir.filePath(QStringLiteral("exportado.csv")), dir.filePath(QStringLiteral("editado.csv")));
        roda(n, "editado --check", {QStringLiteral("import"), QStringLiteral("--check"), editado});
        roda(n, "editado import", {QStringLiteral("import"), editado});
        loja.apaga();
        QFile::remove(csv);
    }
    piso = 0;  // the JSON imports have none of their own
    for (const int n : tamanhosJson) {
        const QString json = geraJson(dir.path(), n);
        loja.cria(dir.path(), QStringLiteral("json%1").arg(n));
        const QStringList formato{QStringLiteral("--format"), QStringLiteral("json")};
        roda(n, "json --check", QStringList{QStringLiteral("import"), QStringLiteral("--check")} + formato + QStringList{json});
        roda(n, "json import", QStringList{QStringLiteral("import")} + formato + QStringList{json});
        loja.apaga();
        QFile::remove(json);
    }
    return 0;
}
