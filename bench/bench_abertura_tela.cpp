// Time from CriaTelaQul00002 to the product list painted on the screen,
// on SQLite store databases of a given number of products. Also the time
// of getProduto alone, which the opening runs once.
//
//   bench_abertura_tela [N ...] [--reps R]     (default: 1000 10000, 3 reps)
//
// Runs under any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.

#include "Cli_qul00002.h"
#include "QulShared.h"
#include "BgrColor.h"
#include "BlendedControls.h"
#include "DesignLoader.h"
#include "ErrorReport.h"
#include "Glyphs.h"
#include "Pkg_Vrt00002.h"
#include "ScreenTheme.h"
#include "TMessages.h"
#include "TouchDialogs.h"
#include "TrdmCadProd.h"
#include "StoreDb.h"
#include "Srv_qul00002.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void exec(QSqlQuery &q)
{
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
}

// A store with `n` products, each with its price, tax rate and store row.
QString criaLoja(const QString &dir, int n)
{
    const QString path = dir + QStringLiteral("/loja%1.db").arg(n);
    const QString conn = QStringLiteral("bench%1").arg(n);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        StoreDb::createSchema(db, StoreDb::Engine::SQLite);
        db.transaction();
        QSqlQuery q(db);
        q.exec(QStringLiteral("INSERT INTO UNIDMEDIDA VALUES ('UN', 'Unidade')"));
        q.exec(QStringLiteral("INSERT INTO IMPOSTO VALUES ('03', 'ICMS 18%', 'T18', 'T')"));
        QSqlQuery p(db), i(db), a(db), l(db);
        p.prepare(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, "
                                 "SGUNIDADE, IDPESAPROD, QTTARAPROD, DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, "
                                 "IDORIGPRODPR) VALUES (?, ?, ?, ?, ?, 'UN', 'N', 0, '2020-01-01 00:00:00', 'P', '1', 'P')"));
        i.prepare(QStringLiteral("INSERT INTO ITEMPRECO (CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, "
                                 "VRPRECITEM, DTULTATUITPR) VALUES ('9999', '001', '2011-01-01 00:00:00', ?, ?, ?, "
                                 "'2020-01-01 00:00:00')"));
        a.prepare(QStringLiteral("INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, DTULTATUALIF, "
                                 "IDTPIMPOSFIS) VALUES ('9999', ?, '03', 18, '2020-01-01 00:00:00', 'T')"));
        l.prepare(QStringLiteral("INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD, DTULTATUPLOJ) "
                                 "VALUES ('9999', '01', ?, 'COM1', '2020-01-01 00:00:00')"));
        for (int k = 1; k <= n; ++k) {
            const QString cod = QString::number(k);
            p.bindValue(0, cod);
            p.bindValue(1, cod);
            p.bindValue(2, cod);
            p.bindValue(3, QStringLiteral("Produto de teste %1").arg(k));
            p.bindValue(4, QStringLiteral("789%1").arg(k, 10, 10, QLatin1Char('0')));
            exec(p);
            i.bindValue(0, cod);
            i.bindValue(1, cod);
            i.bindValue(2, 1.0 + k % 100);
            exec(i);
            a.bindValue(0, cod);
            exec(a);
            l.bindValue(0, cod);
            exec(l);
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
    return QStringLiteral("Provider=SQLite;Data Source=%1").arg(path);
}

// Watches for the first paint of the grid's viewport.
class Observador : public QObject {
public:
    QElapsedTimer relogio;
    qint64 pintado = -1;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (pintado < 0 && e->type() == QEvent::Paint && frmCadProd && o == frmCadProd->dbgProduto->viewport()) {
            pintado = relogio.elapsed();
            QTimer::singleShot(0, frmCadProd, [] {
                if (frmCadProd)
                    frmCadProd->sbtSairClick(nullptr);
            });
        }
        return false;
    }
};

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    registerDataPacketType();
    std::vector<int> tamanhos;
    int reps = 3;
    const QStringList args = app.arguments().mid(1);
    for (int k = 0; k < args.size(); ++k) {
        if (args[k] == QLatin1String("--reps") && k + 1 < args.size())
            reps = std::max(1, args[++k].toInt());
        else if (args[k].toInt() > 0)
            tamanhos.push_back(args[k].toInt());
    }
    if (tamanhos.empty())
        tamanhos = {1000, 10000};

    SetMensagemHook([](const QString &texto, const QString &, const QString &, const QString &, int,
                       const QString &, const QString &, int, TDataSet *) {
        std::fprintf(stderr, "mensagem: %s\n", qPrintable(texto));
        return false;
    });
    SetErrorReportHook([](const QString &m) { std::fprintf(stderr, "erro: %s\n", qPrintable(m)); });

    QTemporaryDir dir;
    SetProgramDir(dir.path());
    std::printf("%-10s %28s %18s\n", "produtos", "CriaTela->lista pintada (ms)", "getProduto (ms)");
    try {
        for (int n : tamanhos) {
            SetStringConexQul(criaLoja(dir.path(), n));
            std::vector<double> abertura, servico;
            for (int r = 0; r < reps; ++r) {
                Observador obs;
                app.installEventFilter(&obs);
                obs.relogio.start();
                QVariant io;
                Cli_Qul00002::CriaTelaQul00002({}, io);
                app.removeEventFilter(&obs);
                if (obs.pintado < 0)
                    throw std::runtime_error("a lista não foi pintada");
                abertura.push_back(double(obs.pintado));

                // The read service alone, on a connected data module.
                rdmCadProd = new TrdmCadProd(nullptr);
                rdmCadProd->adcCadProd->Open();
                QElapsedTimer t;
                t.start();
                QVariant out;
                getProduto(u"T", &out);
                servico.push_back(double(t.nsecsElapsed()) / 1e6);
                delete rdmCadProd;
                rdmCadProd = nullptr;
            }
            std::printf("%-10d %28.1f %18.1f\n", n, mediana(abertura), mediana(servico));
            std::fflush(stdout);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_abertura_tela: %s\n", e.what());
        return 1;
    }
    return 0;
}
