// Time from CriaTelaQul00002 to the product list painted on the screen,
// on SQLite store databases of a given number of products; then, on the
// open screen, a save followed by the list brought up to date until the
// grid is painted again, split into the save, the list brought up to date
// as the screen does it after its own save, and the edited product made
// current; getProduto alone on a
// connected data module; and the peak memory of the process.
//
//   bench_abertura_tela [N ...] [--reps R]     (default: 1000 10000, 3 reps)
//
// The peak memory is the process's so far: run one size alone
// (bench_abertura_tela 50000) for the screen's peak at that size.
// Runs under any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.

#include "BenchClock.h"
#include "Cli_qul00002.h"
#include "PacketRows.h"
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

// Watches the grid's viewport: the first paint ends the opening; then a
// save and the reloaded list run on the open screen, and the next paint
// ends them.
class Observador : public QObject {
public:
    QElapsedTimer relogio;
    qint64 pintado = -1;
    double gravacao = -1, servico = -1, carga = -1, recarga = -1;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Paint || !frmCadProd || o != frmCadProd->dbgProduto->viewport())
            return false;
        if (pintado < 0) {
            pintado = relogio.elapsed();
            QTimer::singleShot(0, frmCadProd, [this] { gravaERecarrega(); });
        } else if (carga >= 0 && recarga < 0) {
            recarga = double(m_recarga.nsecsElapsed()) / 1e6;
            QTimer::singleShot(0, frmCadProd, [] {
                if (frmCadProd)
                    frmCadProd->sbtSairClick(nullptr);
            });
        }
        return false;
    }

private:
    QElapsedTimer m_recarga;

    // What the screen does after confirming an edit: setProduto, then the
    // list brought up to date as the screen does it after its own save
    // (the saved product read back into its place, or the whole list when
    // another connection changed the store), the edited product current.
    void gravaERecarrega()
    {
        TClientDataSet *cds = frmCadProd->cdsProduto;
        cds->SetRecNo(cds->RecordCount() / 2);
        QVariantMap valores;
        for (int i = 0; i < cds->FieldCount(); ++i)
            valores.insert(cds->Fields(i)->FieldName(), cds->Fields(i)->Value());
        valores.insert(QStringLiteral("NMPRODUTO"), QStringLiteral("Produto alterado"));
        const QVariant pacote = fromDataPacket(productPacket({valores}));
        m_recarga.start();
        QVariant out;
        if (setProduto(&pacote, u"E", &out) != 0 || out.isValid())
            throw std::runtime_error("setProduto falhou: " + out.toString().toStdString());
        gravacao = double(m_recarga.nsecsElapsed()) / 1e6;
        const QString codigo = valores.value(QStringLiteral("CDPRODUTO")).toString();
        frmCadProd->atualizaListaAposEscrita(codigo);
        servico = double(m_recarga.nsecsElapsed()) / 1e6 - gravacao;
        if (!cds->Locate(QStringLiteral("CDPRODUTO"), codigo, true))
            throw std::runtime_error("o produto gravado não está na lista");
        carga = double(m_recarga.nsecsElapsed()) / 1e6 - gravacao - servico;
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
    std::printf("%-9s %11s %11s %11s %11s %11s %11s %12s %10s\n", "produtos", "abertura", "gravar+lista",
                "  gravar", "  lista", "  atual", "  pintura", "getProduto*", "pico KiB");
    std::printf("%-9s %11s %11s %11s %11s %11s %11s %12s\n", "", "ms", "ms", "ms", "ms", "ms", "ms", "ms");
    try {
        for (int n : tamanhos) {
            SetStringConexQul(criaLoja(dir.path(), n));
            std::vector<double> abertura, recarga, gravacao, servicoTela, carga, pintura, servico;
            for (int r = 0; r < reps; ++r) {
                Observador obs;
                app.installEventFilter(&obs);
                obs.relogio.start();
                QVariant io;
                Cli_Qul00002::CriaTelaQul00002({}, io);
                app.removeEventFilter(&obs);
                if (obs.pintado < 0 || obs.recarga < 0)
                    throw std::runtime_error("a lista não foi pintada");
                abertura.push_back(double(obs.pintado));
                recarga.push_back(obs.recarga);
                gravacao.push_back(obs.gravacao);
                servicoTela.push_back(obs.servico);
                carga.push_back(obs.carga);
                pintura.push_back(obs.recarga - obs.gravacao - obs.servico - obs.carga);

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
            std::printf("%-9d %11.1f %11.1f %11.1f %11.1f %11.1f %11.1f %12.1f %10ld\n", n, mediana(abertura),
                        mediana(recarga), mediana(gravacao), mediana(servicoTela), mediana(carga), mediana(pintura),
                        mediana(servico), picoMemoriaKb());
            std::fflush(stdout);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_abertura_tela: %s\n", e.what());
        return 1;
    }
    std::printf("gravar+lista = gravar + lista (a tela põe o produto gravado na lista: getProdutoMudou, "
                "getProdutoNaLista e o cdsProduto) + atual (Locate do produto editado) + pintura;\n"
                "getProduto* = o serviço sozinho num módulo de dados conectado; medianas de %d aberturas\n", reps);
    return 0;
}
