// The catalogue commands on stores of several sizes: `qulsvc import` of a
// CSV of N new products into an empty store, then `qulsvc export` of the
// N products, each timed as a whole program run with its peak memory.
//
//   bench_catalog [--engine sqlite|postgresql] [--products 1000,10000,50000]
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

// N products as a spreadsheet would hold them: every fourth weighed, every
// tenth with the typed rate.
QString geraCsv(const QString &pasta, int n)
{
    const QString caminho = QDir(pasta).filePath(QStringLiteral("catalogo%1.csv").arg(n));
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly))
        falha(QStringLiteral("não foi possível gravar ") + caminho);
    QByteArray t = "\xEF\xBB\xBF" "CDPRODINTE;NMPRODUTO;SGUNIDADE;VRPRECITEM;CDIMPOSTO;VRPEALIMPFIS;IDPESAPROD;QTTARAPROD;"
                   "CDBARPRODUTO;CDPORIMPPROD\r\n";
    for (int k = 1; k <= n; ++k) {
        const bool pesado = k % 4 == 0, livre = k % 10 == 0;
        t += QStringLiteral("%1;Produto importado %1;%2;%3,%4;%5;%6;%7;%8;789%9;COM1\r\n")
                 .arg(k)
                 .arg(pesado ? QStringLiteral("KG") : QStringLiteral("UN"))
                 .arg(1 + k % 100)
                 .arg(k % 100, 2, 10, QLatin1Char('0'))
                 .arg(livre ? QStringLiteral("00") : QStringLiteral("03"))
                 .arg(livre ? QStringLiteral("3,2") : QString())
                 .arg(pesado ? QStringLiteral("S") : QStringLiteral("N"))
                 .arg(pesado ? QStringLiteral("0,015") : QString())
                 .arg(k, 10, 10, QLatin1Char('0'))
                 .toUtf8();
    }
    if (f.write(t) != t.size())
        falha(QStringLiteral("não foi possível gravar ") + caminho);
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

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString engine = QStringLiteral("sqlite");
    QList<int> tamanhos{1000, 10000, 50000};
    const QStringList a = app.arguments();
    for (int k = 1; k + 1 < a.size(); k += 2) {
        if (a[k] == QLatin1String("--engine"))
            engine = a[k + 1];
        else if (a[k] == QLatin1String("--products")) {
            tamanhos.clear();
            for (const QString &p : a[k + 1].split(QLatin1Char(','), Qt::SkipEmptyParts))
                tamanhos.append(p.toInt());
        }
    }
    const bool postgres = engine == QLatin1String("postgresql");
    TConnectionString pg;
    if (postgres) {
        pg = TConnectionString::parse(qEnvironmentVariable("QUL_PG_TEST"));
        if (pg.value(QStringLiteral("Port")).isEmpty())
            falha(QStringLiteral("QUL_PG_TEST não definido"));
    }
    const QString qulsvc = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qulsvc"));
    QTemporaryDir dir;
    std::printf("engine %s; qulsvc as a whole program: wall seconds, peak resident memory of the process\n",
                qPrintable(engine));
    std::printf("%-9s %-8s %9s %10s %12s\n", "produtos", "comando", "segundos", "pico MiB", "produtos/s");
    for (const int n : tamanhos) {
        const QString csv = geraCsv(dir.path(), n);
        QString cs, banco;
        {
            QSqlDatabase db;
            if (postgres) {
                banco = QStringLiteral("qul_bench_cat_%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
                db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("b"));
                db.setHostName(pg.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")));
                db.setPort(pg.value(QStringLiteral("Port")).toInt());
                db.setUserName(pg.value(QStringLiteral("User ID"), QStringLiteral("postgres")));
                db.setPassword(pg.value(QStringLiteral("Password")));
                db.setDatabaseName(QStringLiteral("postgres"));
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
                const QString caminho = dir.filePath(QStringLiteral("loja%1.db").arg(n));
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("b"));
                db.setDatabaseName(caminho);
                cs = QStringLiteral("Provider=SQLite;Data Source=%1").arg(caminho);
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
        const QStringList base{qulsvc, QStringLiteral("--connection"), cs};
        const Execucao imp = executa(base + QStringList{QStringLiteral("import"), csv});
        if (imp.segundos < 0)
            falha(QStringLiteral("import falhou: ") + (base + QStringList{QStringLiteral("import"), csv}).join(' '));
        std::printf("%-9d %-8s %9.2f %10.1f %12.0f\n", n, "import", imp.segundos, imp.picoKb / 1024.0, n / imp.segundos);
        const QString saida = dir.filePath(QStringLiteral("exportado.csv"));
        const Execucao exp = executa(base + QStringList{QStringLiteral("export"), saida});
        if (exp.segundos < 0)
            falha(QStringLiteral("export falhou"));
        std::printf("%-9d %-8s %9.2f %10.1f %12.0f\n", n, "export", exp.segundos, exp.picoKb / 1024.0, n / exp.segundos);
        std::fflush(stdout);
        if (postgres) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("b"));
            db.setHostName(pg.value(QStringLiteral("Data Source"), QStringLiteral("127.0.0.1")));
            db.setPort(pg.value(QStringLiteral("Port")).toInt());
            db.setUserName(pg.value(QStringLiteral("User ID"), QStringLiteral("postgres")));
            db.setPassword(pg.value(QStringLiteral("Password")));
            db.setDatabaseName(QStringLiteral("postgres"));
            if (db.open()) {
                QSqlQuery q(db);
                must(q, QStringLiteral("DROP DATABASE ") + banco);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("b"));
    }
    return 0;
}
