// Throughput of the product data services on a generated catalogue:
// getProduto("T") over the whole list, and inserts, updates and deletes
// through setProduto / setDelProduto, with statements per call and memory.
//
//   bench_services [--engine sqlite|postgresql|odbc] [--products N] [--saves K] [--odbc-keys "K=V;..."]
// PostgreSQL is reached through QUL_PG_TEST (as the tests do); the
// benchmark creates and drops a database of its own there. odbc reaches
// that same database through QODBC and the PostgreSQL ODBC driver, from a
// DSN in an odbc.ini of its own; --odbc-keys adds keys for the ODBC
// driver to the connection string.

#include "ConnectionString.h"
#include "QulShared.h"
#include "ProductPacket.h"
#include "TrdmCadProd.h"
#include "StoreDb.h"
#include "Srv_qul00002.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

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

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    registerDataPacketType();
    QString engine = QStringLiteral("sqlite");
    int products = 10000, saves = 500;
    QString odbcKeys;
    const QStringList a = app.arguments();
    for (int k = 1; k + 1 < a.size(); k += 2) {
        if (a[k] == QLatin1String("--engine")) engine = a[k + 1];
        else if (a[k] == QLatin1String("--products")) products = a[k + 1].toInt();
        else if (a[k] == QLatin1String("--saves")) saves = a[k + 1].toInt();
        else if (a[k] == QLatin1String("--odbc-keys")) odbcKeys = a[k + 1];
    }

    QTemporaryDir dir;
    QString cs, pgDb;
    QSqlDatabase db;
    StoreDb::Engine se;
    if (engine == QLatin1String("postgresql") || engine == QLatin1String("odbc")) {
        const TConnectionString pg = TConnectionString::parse(qEnvironmentVariable("QUL_PG_TEST"));
        if (pg.value(QStringLiteral("Port")).isEmpty()) {
            std::fputs("QUL_PG_TEST não definido\n", stderr);
            return 1;
        }
        pgDb = QStringLiteral("qul_bench_%1").arg(QCoreApplication::applicationPid());
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
            admin.setHostName(pg.value(QStringLiteral("Data Source")));
            admin.setPort(pg.value(QStringLiteral("Port")).toInt());
            admin.setUserName(pg.value(QStringLiteral("User ID")));
            admin.setDatabaseName(QStringLiteral("postgres"));
            if (!admin.open()) { std::fprintf(stderr, "%s\n", qPrintable(admin.lastError().text())); return 1; }
            QSqlQuery q(admin);
            must(q, QStringLiteral("CREATE DATABASE %1").arg(pgDb));
        }
        cs = QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4")
                 .arg(pg.value(QStringLiteral("Data Source")), pg.value(QStringLiteral("Port")), pgDb, pg.value(QStringLiteral("User ID")));
        if (engine == QLatin1String("odbc")) {
            QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
            if (!ini.open(QIODevice::WriteOnly)
                || ini.write(QStringLiteral("[qul_bench]\nDriver=PostgreSQL Unicode\nServername=%1\nPort=%2\nDatabase=%3\nUsername=%4\n")
                                 .arg(pg.value(QStringLiteral("Data Source")), pg.value(QStringLiteral("Port")), pgDb,
                                      pg.value(QStringLiteral("User ID")))
                                 .toUtf8()) < 0) {
                std::fputs("odbc.ini não pôde ser escrito\n", stderr);
                return 1;
            }
            ini.close();
            qputenv("ODBCINI", QFile::encodeName(ini.fileName()));  // the driver comes from the system's odbcinst.ini
            cs = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=qul_bench;") + odbcKeys;
        }
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("gen"));
        db.setHostName(pg.value(QStringLiteral("Data Source")));
        db.setPort(pg.value(QStringLiteral("Port")).toInt());
        db.setUserName(pg.value(QStringLiteral("User ID")));
        db.setDatabaseName(pgDb);
        se = StoreDb::Engine::PostgreSQL;
    } else {
        const QString path = dir.filePath(QStringLiteral("bench.db"));
        cs = QStringLiteral("Provider=SQLite;Data Source=%1").arg(path);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
        db.setDatabaseName(path);
        se = StoreDb::Engine::SQLite;
    }
    if (!db.open()) { std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text())); return 1; }
    StoreDb::createSchema(db, se);
    generate(db, products);

    SetStringConexQul(cs);
    rdmCadProd = new TrdmCadProd(nullptr);
    rdmCadProd->adcCadProd->Open();
    TADOConnection *con = rdmCadProd->adcCadProd;
    std::printf("engine %s%s%s, %d products\n", qPrintable(engine), odbcKeys.isEmpty() ? "" : " ", qPrintable(odbcKeys), products);

    QElapsedTimer t;
    QVariant out;
    quint64 s0 = con->StatementCount;
    t.start();
    if (getProduto(u"T", &out) != 0 || !isDataPacket(out) || toDataPacket(out).rows.size() != products) {
        std::fprintf(stderr, "getProduto falhou: %s\n", qPrintable(out.toString()));
        return 1;
    }
    std::printf("getProduto(T): %lld ms, %llu statements, peak RSS %ld KiB\n", (long long)t.elapsed(),
                (unsigned long long)(con->StatementCount - s0), peakRssKb());

    s0 = con->StatementCount;
    t.restart();
    for (int k = 0; k < saves; ++k) {
        const QVariant v = fromDataPacket(packet(QString(), QStringLiteral("9%1").arg(k)));
        if (setProduto(&v, u"I", &out) != 0 || out.isValid()) { std::fprintf(stderr, "insert: %s\n", qPrintable(out.toString())); return 1; }
    }
    qint64 ms = qMax<qint64>(1, t.elapsed());
    std::printf("setProduto I: %d saves in %lld ms = %.0f saves/s, %.1f statements per save\n", saves, (long long)ms,
                saves * 1000.0 / ms, double(con->StatementCount - s0) / saves);

    s0 = con->StatementCount;
    t.restart();
    for (int k = 0; k < saves; ++k) {
        const QVariant v = fromDataPacket(packet(QString::number(1 + k % products), QStringLiteral("8%1").arg(k)));
        if (setProduto(&v, u"E", &out) != 0 || out.isValid()) { std::fprintf(stderr, "update: %s\n", qPrintable(out.toString())); return 1; }
    }
    ms = qMax<qint64>(1, t.elapsed());
    std::printf("setProduto E: %d saves in %lld ms = %.0f saves/s, %.1f statements per save\n", saves, (long long)ms,
                saves * 1000.0 / ms, double(con->StatementCount - s0) / saves);

    t.restart();
    for (int k = 0; k < saves; ++k)
        if (setDelProduto(reinterpret_cast<const char16_t *>(QString::number(products + 1 + k).utf16()), &out) != 0 || !out.toList().value(0).toString().startsWith(QLatin1String("OK"))) {
            std::fprintf(stderr, "delete: %s\n", qPrintable(out.toString()));
            return 1;
        }
    ms = qMax<qint64>(1, t.elapsed());
    std::printf("setDelProduto: %d deletes in %lld ms = %.0f deletes/s\n", saves, (long long)ms, saves * 1000.0 / ms);

    delete rdmCadProd;
    rdmCadProd = nullptr;
    db.close();
    if (!pgDb.isEmpty()) {
        QSqlDatabase admin = QSqlDatabase::database(QStringLiteral("admin"));
        QSqlQuery q(admin);
        must(q, QStringLiteral("DROP DATABASE %1").arg(pgDb));
    }
    return 0;
}
