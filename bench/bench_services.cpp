// The product data services on generated stores of several sizes.
//
// For each size: getProduto("T") in this process, through qulsvc end to end
// (start, call, JSON printed) and, once, the row-by-row merge it replaced;
// beside them the floor, the engine's own shell (sqlite3 or psql) running
// the same statement on the same store and printing every row, in the same
// run so that the ratios hold on a busy machine. Then where the time of a
// call goes (statement and result reading, packet encode and decode, JSON
// form), and at the largest size inserts, updates and deletes through
// setProduto / setDelProduto, and the same updates through setAltProduto
// (checked against the rows as read).
//
//   bench_services [--engine sqlite|postgresql] [--products 1000,10000,50000]
//                  [--reps 5] [--saves 200] [--perfil] [--inserts 1000]
//                  [--sem-indice-codigo]
//
// --inserts N measures, at every size and instead of the rest, N inserts
// through setProduto (each a product of its own, its code from the
// generator) in --reps rounds, the sizes in turn, and prints the median
// round's inserts/s per size and its ratio to the first size's: how the
// write path holds up as the store grows.
//
// --sem-indice-codigo drops from the generated stores the index of the code
// generator's own expression (the value of the all-digit codes), as a store
// made before the schema had it: the generator's reading of the highest
// code is then a reading of every code instead of one probe of the index.
//
// --perfil runs getProduto alone, reps times per size, for a profiler
// (perf record -g bench_services --perfil ...).
//
// --razoes prints only the two start-up ratios of qulsvc, in one run:
// qulsvc getImposto on the demo store (made by qulmkdemo) and qulsvc
// getProduto T on a store of 1,000 products (SQLite), each against sqlite3
// running the same statement on the same store.
//
// PostgreSQL is reached through QUL_PG_TEST (as the tests do); the
// benchmark creates and drops databases of its own there. For SQLite the
// floor's statement orders by CAST(... AS NUMERIC): the shell lacks the
// connection's TO_NUMBER.

#include "BenchClock.h"
#include "ConnectionString.h"
#include "ProductList.h"
#include "ProductListRowByRow.h"
#include "PacketRows.h"
#include "QulShared.h"
#include "Srv_qul00002.h"
#include "StoreDb.h"
#include "TrdmCadProd.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void must(QSqlQuery &q, const QString &sql)
{
    if (!q.exec(sql)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
        std::exit(1);
    }
}

void generate(QSqlDatabase db, int n)
{
    QSqlQuery q(db);
    db.transaction();
    must(q, QStringLiteral("INSERT INTO IMPOSTO VALUES ('00', 'Tributado', 'TRIB', 'T')"));
    must(q, QStringLiteral("INSERT INTO IMPOSTO VALUES ('03', 'ICMS 18%', 'T18', 'T')"));
    must(q, QStringLiteral("INSERT INTO UNIDMEDIDA VALUES ('UN', 'Unidade')"));
    QSqlQuery p(db), i(db), a(db), l(db);
    p.prepare(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, SGUNIDADE, IDPESAPROD, "
                             "QTTARAPROD, DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, IDORIGPRODPR) VALUES (?, ?, ?, ?, ?, 'UN', 'N', 0, "
                             "'2020-01-01 00:00:00', 'P', '1', 'P')"));
    i.prepare(QStringLiteral("INSERT INTO ITEMPRECO (CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, VRPRECITEM) "
                             "VALUES ('9999', '001', '2011-01-01 00:00:00', ?, ?, ?)"));
    a.prepare(QStringLiteral("INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, IDTPIMPOSFIS) VALUES ('9999', ?, '03', 18, 'T')"));
    l.prepare(QStringLiteral("INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD) VALUES ('9999', '01', ?, 'COM1')"));
    for (int k = 1; k <= n; ++k) {
        const QString c = QString::number(k);
        p.addBindValue(c); p.addBindValue(c); p.addBindValue(QString::number(n - k + 1));
        p.addBindValue(QStringLiteral("Produto gerado %1").arg(k)); p.addBindValue(QStringLiteral("789%1").arg(k, 10, 10, QLatin1Char('0')));
        i.addBindValue(c); i.addBindValue(c); i.addBindValue(1.0 + k % 100);
        a.addBindValue(c);
        l.addBindValue(c);
        if (!p.exec() || !i.exec() || !a.exec() || !l.exec()) {
            std::fprintf(stderr, "generate: %s\n", qPrintable(p.lastError().text() + i.lastError().text()));
            std::exit(1);
        }
    }
    db.commit();
    if (db.driverName() == QLatin1String("QPSQL"))
        must(q, QStringLiteral("ANALYZE"));
}

// A reduced code no generated product holds (they hold 1 to n), one per
// save of each series: the saves' code-in-use check would refuse another.
QString reduzidoLivre(int n, int serie, int k)
{
    return QString::number(qint64(n) * (serie + 1) + k);
}

TDataPacket packet(const QString &code, const QString &reduced)
{
    return productPacket({{{"CDPRODUTO", code},
                           {"CDPRODINTE", reduced},
                           {"NMPRODUTO", QStringLiteral("Produto salvo ") + reduced},
                           {"SGUNIDADE", "UN"},
                           {"IDPESAPROD", "N"},
                           {"QTTARAPROD", 0.0},
                           {"VRPRECITEM", 9.9},
                           {"CDIMPOSTO", "03"},
                           {"SGIMPOSTO", "T18"},
                           {"IDTPIMPOSFIS", "T"},
                           {"VRPEALIMPFIS", 18.0},
                           {"CDPORIMPPROD", "0"}}});
}

// A store of one size on the chosen engine.
struct Loja {
    QString cs;           // ADO connection string for the module
    QStringList shell;    // the engine's shell; it reads the script from its standard input
    QStringList shellEnv;
    QString pgDb;
    bool postgres = false;
};

struct Pg {
    QString host, port, user, password;
};

Loja criaLoja(bool postgres, const Pg &pg, const QTemporaryDir &dir, int n, bool indiceCodigo)
{
    Loja loja;
    loja.postgres = postgres;
    const QString conn = QStringLiteral("gen%1").arg(n);
    {
        QSqlDatabase db;
        if (postgres) {
            loja.pgDb = QStringLiteral("qul_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
            {
                QSqlDatabase admin = QSqlDatabase::database(QStringLiteral("admin"));
                QSqlQuery q(admin);
                must(q, QStringLiteral("CREATE DATABASE %1").arg(loja.pgDb));
            }
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), conn);
            db.setHostName(pg.host);
            db.setPort(pg.port.toInt());
            db.setUserName(pg.user);
            db.setPassword(pg.password);
            db.setDatabaseName(loja.pgDb);
            loja.cs = QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=\"%5\"")
                          .arg(pg.host, pg.port, loja.pgDb, pg.user, pg.password);
            loja.shell = {QStringLiteral("psql"), QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                          QStringLiteral("-t"), QStringLiteral("-h"), pg.host, QStringLiteral("-p"), pg.port,
                          QStringLiteral("-U"), pg.user, QStringLiteral("-d"), loja.pgDb};
            loja.shellEnv = {QStringLiteral("PGPASSWORD=") + pg.password};
        } else {
            const QString path = dir.filePath(QStringLiteral("loja%1.db").arg(n));
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
            db.setDatabaseName(path);
            loja.cs = QStringLiteral("Provider=SQLite;Data Source=%1").arg(path);
            loja.shell = {QStringLiteral("sqlite3"), QStringLiteral("-batch"), path};
        }
        if (!db.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
            std::exit(1);
        }
        StoreDb::createSchema(db, postgres ? StoreDb::Engine::PostgreSQL : StoreDb::Engine::SQLite);
        if (!indiceCodigo) {
            // A store made before the schema had the generator's index.
            QSqlQuery q(db);
            must(q, QStringLiteral("DROP INDEX IX_PRODUTO_CODIGONUM"));
        }
        generate(db, n);
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
    return loja;
}

void apagaLoja(const Loja &loja)
{
    if (loja.pgDb.isEmpty())
        return;
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("admin")));
    must(q, QStringLiteral("DROP DATABASE %1").arg(loja.pgDb));
}

// The floor's script: the statement getProduto runs, with "T" bound, for
// the engine's shell.
QString scriptDoPiso(const Loja &loja, const QString &dir)
{
    QString sql = rdmCadProd->adqProdutoLista->effectiveText();
    QString script;
    if (loja.postgres) {
        sql.replace(QLatin1String(":P_CDPRODUTO"), QLatin1String("$1"));
        script = QStringLiteral("PREPARE lista(varchar) AS\n%1;\nEXECUTE lista('T');\n").arg(sql);
    } else {
        sql.replace(QLatin1String("TO_NUMBER(P.CDPRODINTE)"), QLatin1String("CAST(P.CDPRODINTE AS NUMERIC)"));
        script = QStringLiteral(".parameter set :P_CDPRODUTO 'T'\n%1;\n").arg(sql);
    }
    const QString path = QDir(dir).filePath(QStringLiteral("piso.sql"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(script.toUtf8()) < 0) {
        std::fprintf(stderr, "não foi possível gravar %s\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

void linha(int n, const char *caminho, const Tempo &t, const Tempo &piso, const QString &extra = QString())
{
    std::printf("%-8d %-34s %9.1f %9.1f %8.2f %8.2f %7.2f %7.2f  %s\n", n, caminho, t.parede, t.processo,
                1000.0 * t.parede / n, 1000.0 * t.processo / n, piso.parede > 0 ? t.parede / piso.parede : 0.0,
                piso.processo > 0 ? t.processo / piso.processo : 0.0, qPrintable(extra));
    std::fflush(stdout);
}

QList<int> tamanhos(const QString &s)
{
    QList<int> out;
    for (const QString &p : s.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (p.toInt() > 0)
            out.append(p.toInt());
    return out;
}

// The shell's script for getImposto("T"): the statement it runs, with "T"
// bound.
QString scriptImposto(const QString &dir)
{
    const QString script =
        QStringLiteral(".parameter set :P_SGIMPOSTO 'T'\n%1;\n").arg(rdmCadProd->adqImposto->effectiveText());
    const QString path = QDir(dir).filePath(QStringLiteral("imposto.sql"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(script.toUtf8()) < 0) {
        std::fprintf(stderr, "não foi possível gravar %s\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

// Each program's median times over `reps` rounds, every program run once a
// round (so that a busy moment hits them alike).
std::vector<Tempo> medianasEmTurnos(const std::vector<std::pair<QStringList, QString>> &programas, int reps)
{
    std::vector<std::vector<Tempo>> t(programas.size());
    for (int r = 0; r < reps; ++r) {
        for (size_t k = 0; k < programas.size(); ++k) {
            const Tempo x = executa(programas[k].first, programas[k].second);
            if (x.parede < 0) {
                std::fprintf(stderr, "falhou: %s\n", qPrintable(programas[k].first.join(QLatin1Char(' '))));
                std::exit(1);
            }
            t[k].push_back(x);
        }
    }
    std::vector<Tempo> m;
    for (const auto &v : t)
        m.push_back(mediana(v));
    return m;
}

// --razoes: qulsvc getImposto on the demo store and qulsvc getProduto T on
// 1,000 products, each beside sqlite3 running the same statement.
int razoes(int reps, const QTemporaryDir &dir, const QString &qulsvc)
{
    const QString demo = dir.filePath(QStringLiteral("demo.db"));
    const QString qulmkdemo = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulmkdemo"));
    if (executa({qulmkdemo, demo}).parede < 0) {
        std::fputs("qulmkdemo falhou\n", stderr);
        return 1;
    }
    const QString csDemo = QStringLiteral("Provider=SQLite;Data Source=%1").arg(demo);
    SetStringConexQul(csDemo);
    rdmCadProd = new TrdmCadProd(nullptr);
    rdmCadProd->adcCadProd->Open();  // the statements' texts are the connected dialect's
    const QString imposto = scriptImposto(dir.path());
    delete rdmCadProd;

    const int n = 1000;
    const Loja loja = criaLoja(false, Pg(), dir, n, true);
    SetStringConexQul(loja.cs);
    rdmCadProd = new TrdmCadProd(nullptr);
    rdmCadProd->adcCadProd->Open();
    const QString lista = scriptDoPiso(loja, dir.path());
    delete rdmCadProd;
    rdmCadProd = nullptr;

    const std::vector<Tempo> m = medianasEmTurnos(
        {{loja.shell.mid(0, 2) + QStringList{demo}, imposto},
         {{qulsvc, QStringLiteral("--connection"), csDemo, QStringLiteral("getImposto")}, QString()},
         {loja.shell, lista},
         {{qulsvc, QStringLiteral("--connection"), loja.cs, QStringLiteral("getProduto"), QStringLiteral("T")}, QString()}},
        reps);
    std::printf("medians of %d runs; times in ms\n%-40s %9s %9s %7s %7s\n", reps, "caminho", "parede", "cpu", "x piso",
                "x cpu");
    const char *const nomes[] = {"piso: sqlite3 getImposto, loja demo", "qulsvc getImposto, loja demo",
                                 "piso: sqlite3 lista, 1000 produtos", "qulsvc getProduto T, 1000 produtos"};
    for (size_t k = 0; k < m.size(); ++k) {
        const Tempo &piso = m[k & ~size_t(1)];
        std::printf("%-40s %9.1f %9.1f %7.2f %7.2f\n", nomes[k], m[k].parede, m[k].processo, m[k].parede / piso.parede,
                    m[k].processo / piso.processo);
    }
    std::printf("razões: qulsvc getImposto %.2fx o sqlite3 (cpu %.2fx); qulsvc getProduto T com %d produtos %.2fx "
                "(cpu %.2fx)\n",
                m[1].parede / m[0].parede, m[1].processo / m[0].processo, n, m[3].parede / m[2].parede,
                m[3].processo / m[2].processo);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    registerDataPacketType();
    QString engine = QStringLiteral("sqlite");
    QList<int> sizes{1000, 10000, 50000};
    int saves = 200, reps = 5, inserts = 0;
    const QStringList a = app.arguments();
    const bool perfil = a.contains(QStringLiteral("--perfil"));
    const bool indiceCodigo = !a.contains(QStringLiteral("--sem-indice-codigo"));
    for (int k = 1; k < a.size(); ++k) {
        if (a[k] == QLatin1String("--perfil") || a[k] == QLatin1String("--razoes")
            || a[k] == QLatin1String("--sem-indice-codigo") || k + 1 >= a.size())
            continue;  // the options without a value
        if (a[k] == QLatin1String("--engine")) engine = a[++k];
        else if (a[k] == QLatin1String("--products")) sizes = tamanhos(a[++k]);
        else if (a[k] == QLatin1String("--saves")) saves = a[++k].toInt();
        else if (a[k] == QLatin1String("--reps")) reps = std::max(1, a[++k].toInt());
        else if (a[k] == QLatin1String("--inserts")) inserts = std::max(0, a[++k].toInt());
    }
    const bool postgres = engine == QLatin1String("postgresql");
    Pg pg;
    if (postgres) {
        const TConnectionString cs = TConnectionString::parse(qEnvironmentVariable("QUL_PG_TEST"));
        pg = {cs.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")), cs.value(QStringLiteral("Port")),
              cs.value(QStringLiteral("User ID"), QStringLiteral("postgres")), cs.value(QStringLiteral("Password"))};
        if (pg.port.isEmpty()) {
            std::fputs("QUL_PG_TEST não definido\n", stderr);
            return 1;
        }
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        admin.setHostName(pg.host);
        admin.setPort(pg.port.toInt());
        admin.setUserName(pg.user);
        admin.setPassword(pg.password);
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open()) { std::fprintf(stderr, "%s\n", qPrintable(admin.lastError().text())); return 1; }
    }
    const QString qulsvc = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulsvc"));

    QTemporaryDir dir;
    if (a.contains(QStringLiteral("--razoes")))
        return razoes(reps, dir, qulsvc);
    std::printf("engine %s, medians of %d runs; times in ms, per product in us; x piso = ratio to the floor\n",
                qPrintable(engine), reps);
    std::printf("%-8s %-34s %9s %9s %8s %8s %7s %7s\n", "produtos", "caminho", "parede", "cpu", "us/prod", "cpu/prod",
                "x piso", "x cpu");
    if (postgres)
        std::printf("(cpu counts the client process only: the server's work is in the wall time alone)\n");
    if (inserts > 0) {
        // The sizes in turn, round by round, so that a busy moment of the
        // shared disk hits them alike: each round opens the module on one
        // store and inserts there.
        std::vector<Loja> lojas;
        for (int n : sizes)
            lojas.push_back(criaLoja(postgres, pg, dir, n, indiceCodigo));
        const int porRodada = std::max(1, inserts / reps);
        std::vector<std::vector<Tempo>> rodadas(sizes.size());
        std::vector<quint64> comandos(sizes.size(), 0);
        double primeiraTaxa = 0;
        for (int r = 0; r < reps; ++r)
            for (qsizetype i = 0; i < sizes.size(); ++i) {
                SetStringConexQul(lojas[i].cs);
                rdmCadProd = new TrdmCadProd(nullptr);
                rdmCadProd->adcCadProd->Open();
                const quint64 s0 = rdmCadProd->adcCadProd->StatementCount;
                QVariant out;
                rodadas[i].push_back(mede([&] {
                    for (int k = r * porRodada; k < (r + 1) * porRodada; ++k) {
                        const QVariant v = fromDataPacket(packet(QString(), reduzidoLivre(sizes[i], 1, k)));
                        if (setProduto(&v, u"I", &out) != 0 || out.isValid()) { std::fprintf(stderr, "insert: %s\n", qPrintable(out.toString())); std::exit(1); }
                    }
                }));
                comandos[i] += rdmCadProd->adcCadProd->StatementCount - s0;
                delete rdmCadProd;
                rdmCadProd = nullptr;
            }
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            const double taxa = porRodada * 1000.0 / std::max(0.001, mediana(rodadas[i]).parede);
            if (primeiraTaxa == 0)
                primeiraTaxa = taxa;
            std::printf("%-8d setProduto I: %d rounds of %d inserts, median round = %.0f inserts/s (%.0f%% of the first "
                        "size's), %.1f statements per insert\n", sizes[i], reps, porRodada, taxa, 100.0 * taxa / primeiraTaxa,
                        double(comandos[i]) / (reps * porRodada));
            apagaLoja(lojas[i]);
        }
        return 0;
    }
    for (int n : sizes) {
        const Loja loja = criaLoja(postgres, pg, dir, n, indiceCodigo);
        SetStringConexQul(loja.cs);
        rdmCadProd = new TrdmCadProd(nullptr);
        rdmCadProd->adcCadProd->Open();
        TADOConnection *con = rdmCadProd->adcCadProd;
        if (perfil) {
            for (int r = 0; r < reps; ++r) {
                QVariant out;
                linha(n, "getProduto(T) em processo", mede([&] { getProduto(u"T", &out); }), Tempo());
            }
            delete rdmCadProd;
            rdmCadProd = nullptr;
            apagaLoja(loja);
            continue;
        }
        const QStringList &shell = loja.shell;
        const QString script = scriptDoPiso(loja, dir.path());

        // The three paths in turn, so that a busy moment hits them alike.
        std::vector<Tempo> piso, servico, svc;
        quint64 comandos = 0;
        for (int r = 0; r < reps; ++r) {
            const Tempo p = executa(shell, script, loja.shellEnv);
            if (p.parede < 0) { std::fprintf(stderr, "a linha de comando do banco falhou: %s\n", qPrintable(shell.join(' '))); return 1; }
            piso.push_back(p);
            QVariant out;
            const quint64 s0 = con->StatementCount;
            servico.push_back(mede([&] { getProduto(u"T", &out); }));
            comandos = con->StatementCount - s0;
            if (!isDataPacket(out) || toDataPacket(out).rows.size() != n) {
                std::fprintf(stderr, "getProduto falhou: %s\n", qPrintable(out.toString()));
                return 1;
            }
            const Tempo s = executa({qulsvc, QStringLiteral("getProduto"), QStringLiteral("T")}, QString(),
                                    {QStringLiteral("QUL_CONNECTION=") + loja.cs});
            if (s.parede < 0) { std::fprintf(stderr, "qulsvc falhou\n"); return 1; }
            svc.push_back(s);
        }
        const Tempo p = mediana(piso);
        linha(n, postgres ? "piso: psql, mesmo comando" : "piso: sqlite3, mesmo comando", p, p);
        linha(n, "getProduto(T) em processo", mediana(servico), p,
              QStringLiteral("%1 comandos por chamada").arg(comandos));
        linha(n, "qulsvc getProduto T (ponta a ponta)", mediana(svc), p);

        // The row-by-row merge it replaced, once.
        quint64 s0 = con->StatementCount;
        const Tempo ref = mede([&] { readProductListRowByRow(*rdmCadProd, QStringLiteral("T")); });
        linha(n, "linha a linha (referência, 1 vez)", ref, p,
              QStringLiteral("%1 comandos").arg(con->StatementCount - s0));
        rdmCadProd->cdsProdutoServ->EmptyDataSet();

        // Where a call's time goes.
        std::vector<Tempo> leitura, codifica, decodifica, json;
        for (int r = 0; r < reps; ++r) {
            TDataPacket pk;
            leitura.push_back(mede([&] { pk = readProductList(*rdmCadProd, QStringLiteral("T")); }));
            QByteArray bytes;
            codifica.push_back(mede([&] { bytes = pk.encode(); }));
            decodifica.push_back(mede([&] { TDataPacket::decode(bytes); }));
            json.push_back(mede([&] { pk.toJsonText(); }));
        }
        linha(n, "  comando e leitura do resultado", mediana(leitura), p);
        linha(n, "  pacote: codificar", mediana(codifica), p);
        linha(n, "  pacote: decodificar", mediana(decodifica), p);
        linha(n, "  pacote: texto JSON (qulsvc)", mediana(json), p);
        std::printf("%-8d pico de memória do processo até aqui: %ld KiB\n", n, picoMemoriaKb());

        if (n == sizes.last() && saves > 0) {
            QVariant out;
            s0 = con->StatementCount;
            Tempo t = mede([&] {
                for (int k = 0; k < saves; ++k) {
                    const QVariant v = fromDataPacket(packet(QString(), reduzidoLivre(n, 1, k)));
                    if (setProduto(&v, u"I", &out) != 0 || out.isValid()) { std::fprintf(stderr, "insert: %s\n", qPrintable(out.toString())); std::exit(1); }
                }
            });
            std::printf("setProduto I: %d saves in %.0f ms = %.0f saves/s, %.1f statements per save\n", saves, t.parede,
                        saves * 1000.0 / std::max(1.0, t.parede), double(con->StatementCount - s0) / saves);
            s0 = con->StatementCount;
            t = mede([&] {
                for (int k = 0; k < saves; ++k) {
                    const QVariant v = fromDataPacket(packet(QString::number(1 + k % n), reduzidoLivre(n, 2, k)));
                    if (setProduto(&v, u"E", &out) != 0 || out.isValid()) { std::fprintf(stderr, "update: %s\n", qPrintable(out.toString())); std::exit(1); }
                }
            });
            std::printf("setProduto E: %d saves in %.0f ms = %.0f saves/s, %.1f statements per save\n", saves, t.parede,
                        saves * 1000.0 / std::max(1.0, t.parede), double(con->StatementCount - s0) / saves);
            // The same edits checked against the rows as read (what the screen
            // sends): the rows are read beforehand, as the screen holds them.
            QVariantList lidos;
            for (int k = 0; k < saves; ++k) {
                QVariant r;
                const QString c = QString::number(1 + k % n);
                getProduto(QStringView(c).utf16(), &r);
                lidos.append(r);
            }
            const double semConferencia = t.parede;
            s0 = con->StatementCount;
            t = mede([&] {
                for (int k = 0; k < saves; ++k) {
                    const QVariant v = fromDataPacket(packet(QString::number(1 + k % n), reduzidoLivre(n, 3, k)));
                    if (setAltProduto(&v, &lidos[k], &out) != 0 || out.isValid()) { std::fprintf(stderr, "checked update: %s\n", qPrintable(out.toString())); std::exit(1); }
                }
            });
            std::printf("setAltProduto E: %d saves in %.0f ms = %.0f saves/s, %.1f statements per save, "
                        "%.2f ms more per save than setProduto E\n", saves, t.parede,
                        saves * 1000.0 / std::max(1.0, t.parede), double(con->StatementCount - s0) / saves,
                        (t.parede - semConferencia) / saves);
            t = mede([&] {
                for (int k = 0; k < saves; ++k)
                    if (setDelProduto(QStringView(QString::number(n + 1 + k)).utf16(), &out) != 0
                        || !out.toList().value(0).toString().startsWith(QLatin1String("OK"))) {
                        std::fprintf(stderr, "delete: %s\n", qPrintable(out.toString()));
                        std::exit(1);
                    }
            });
            std::printf("setDelProduto: %d deletes in %.0f ms = %.0f deletes/s\n", saves, t.parede,
                        saves * 1000.0 / std::max(1.0, t.parede));
        }
        delete rdmCadProd;
        rdmCadProd = nullptr;
        apagaLoja(loja);
    }
    return 0;
}
