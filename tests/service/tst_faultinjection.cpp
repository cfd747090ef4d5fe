// The write services when the server ends their session part-way, at every
// statement point of an insert, a two-row insert, an update and a delete:
// while the statement waits for a lock another session holds, inside each
// row trigger before and after each statement, and in a deferred trigger at
// commit. After each point the product has its four rows or none, nothing
// else changed, and the service reported the failure. Each write runs alone
// and after the screen's reads on its connection; natively and through ODBC.

#include "ModuleFixture.h"
#include "PacketRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <functional>
#include <thread>

namespace {

TDataPacket pacote(const QVariantMap &v)
{
    return productPacket({v});
}

QVariantMap valores(const QString &codigo)
{
    return {{"CDPRODUTO", codigo},  {"CDARVPROD", codigo},  {"CDPRODINTE", "321"}, {"NMPRODUTO", "Nome Novo"},
            {"CDBARPRODUTO", "7891000001011"}, {"SGUNIDADE", "UN"}, {"IDPESAPROD", "S"}, {"QTTARAPROD", 0.5},
            {"VRPRECITEM", 9.5}, {"CDIMPOSTO", "01"}, {"SGIMPOSTO", "T07"}, {"IDTPIMPOSFIS", "T"},
            {"VRPEALIMPFIS", 7.0}, {"CDPORIMPPROD", "COM2"}};
}

struct Cenario {
    const char *nome;
    std::function<int32_t(QVariant *)> executa;
    QStringList travas;  // statements that make one of its statements wait
};

QList<Cenario> cenarios()
{
    const auto salva = [](TDataPacket p, const char *op) {
        return [p, op](QVariant *out) {
            const QVariant v = fromDataPacket(p);
            return setProduto(&v, w(QLatin1String(op)).c_str(), out);
        };
    };
    TDataPacket uma = pacote(valores(QString()));
    TDataPacket duas = uma;
    acrescentaCopias(uma, 1, 900);
    acrescentaCopias(duas, 2, 900);
    const auto excl = [](const char *tabela) {
        return QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(QLatin1String(tabela));
    };
    return {
        {"inclusão", salva(uma, "I"),
         {QStringLiteral("SELECT pg_advisory_xact_lock(728200002)"), excl("PRODUTO"),
          QStringLiteral("LOCK TABLE PRODUTO IN SHARE MODE"), excl("ITEMPRECO"), excl("ALIQIMPFIS"),
          excl("PRODLOJA")}},
        // Its locks are all taken at the first row: the triggers reach the second.
        {"inclusão de duas linhas", salva(duas, "I"), {}},
        {"alteração", salva(pacote(valores(QStringLiteral("5"))), "E"),
         {excl("PRODUTO"), excl("ITEMPRECO"), excl("IMPOSTO"), excl("ALIQIMPFIS"), excl("PRODLOJA")}},
        {"exclusão", [](QVariant *out) { return setDelProduto(w(QStringLiteral("5")).c_str(), out); },
         {excl("ITEMVENDA"), excl("ITMENUCONFTE"), excl("ITEMPRECO"), excl("PRODLOJA"),
          excl("ALIQIMPFIS"), excl("PRODUTO")}},
    };
}

// One point: a lock another session holds (the session is ended while it
// waits), or the n-th trigger firing of the saving session.
struct Ponto {
    int cenario;
    QString trava;
    int disparo = 0;
};

qint64 pidDoModulo()
{
    QSqlQuery q(rdmCadProd->adcCadProd->Database());
    return q.exec(QStringLiteral("SELECT pg_backend_pid()")) && q.next() ? q.value(0).toLongLong() : -1;
}

// Runs `servico` while a session of its own holds `trava`; ends the saving
// session `pid` as soon as it waits for that lock. True when it did.
bool terminaNaEspera(const QString &conexao, const QString &trava, qint64 pid, const std::function<void()> &servico)
{
    std::atomic<int> pronto{0};
    std::atomic<bool> fim{false}, terminou{false};
    std::thread outra([&] {
        const QString nome = QStringLiteral("qul_fi_trava");
        {
            QSqlDatabase d = QSqlDatabase::cloneDatabase(conexao, nome);
            QSqlQuery q(d);
            if (!d.open() || !q.exec(QStringLiteral("BEGIN")) || !q.exec(trava)) {
                qWarning("%s: %s", qPrintable(trava), qPrintable(q.lastError().text()));
                pronto = -1;
            } else {
                pronto = 1;
                for (int i = 0; i < 10000 && !fim && !terminou; ++i) {
                    q.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                          "WHERE pid = %1 AND wait_event_type = 'Lock'").arg(pid));
                    terminou = q.next();
                    if (!terminou)
                        QThread::msleep(2);
                }
                q.exec(QStringLiteral("ROLLBACK"));
            }
            d.close();
        }
        QSqlDatabase::removeDatabase(nome);
    });
    while (pronto == 0)
        QThread::msleep(1);
    if (pronto == 1)
        servico();
    fim = true;
    outra.join();
    return terminou;
}


void restaura(const TestDb::Fresh &db)
{
    for (const char *t : kTabelas)
        db.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(t)));
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
}

}  // namespace

class TstFaultInjection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void sessionEndedAtEveryStatementPoint_data();
    void sessionEndedAtEveryStatementPoint();
};

void TstFaultInjection::sessionEndedAtEveryStatementPoint_data()
{
    QTest::addColumn<bool>("tela");
    QTest::newRow("service alone") << false;
    QTest::newRow("after the screen's reads") << true;
}

void TstFaultInjection::sessionEndedAtEveryStatementPoint()
{
    QFETCH(bool, tela);
    if (TestDb::currentEngine() == TestDb::Engine::SQLite)
        QSKIP("the server's own session is ended");
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS qul_test_alvo (alvo INTEGER)"));
    db.exec(QStringLiteral("DELETE FROM qul_test_alvo"));
    db.exec(QStringLiteral("INSERT INTO qul_test_alvo VALUES (0)"));
    // Counts the firings of the saving session and ends the session at the
    // chosen one.
    db.exec(QStringLiteral(
        "CREATE OR REPLACE FUNCTION qul_test_falha() RETURNS trigger LANGUAGE plpgsql AS $$ "
        "DECLARE n INTEGER := COALESCE(NULLIF(current_setting('qul.disparos', true), ''), '0')::INTEGER + 1; "
        "BEGIN PERFORM set_config('qul.disparos', n::TEXT, false); "
        "IF n = (SELECT alvo FROM qul_test_alvo) THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF; "
        "RETURN COALESCE(NEW, OLD); END $$"));
    for (const char *t : kTabelas) {
        const QString evento = QStringLiteral("INSERT OR UPDATE OR DELETE ON %1").arg(QLatin1String(t));
        db.exec(QStringLiteral("CREATE TRIGGER qul_fi_antes BEFORE %1 FOR EACH ROW EXECUTE FUNCTION qul_test_falha()").arg(evento));
        db.exec(QStringLiteral("CREATE TRIGGER qul_fi_depois AFTER %1 FOR EACH ROW EXECUTE FUNCTION qul_test_falha()").arg(evento));
        db.exec(QStringLiteral("CREATE CONSTRAINT TRIGGER qul_fi_commit AFTER %1 DEFERRABLE INITIALLY DEFERRED "
                               "FOR EACH ROW EXECUTE FUNCTION qul_test_falha()").arg(evento));
    }

    // A clean run of each case counts its trigger firings: every one of
    // them is a point.
    const QList<Cenario> casos = cenarios();
    // The screen's reads before a write (its list, a save's duplicate
    // check), run before any lock is held: it is the write that must wait.
    const auto leituras = [tela](int cenario) {
        QVariant lido;
        if (tela)
            getProduto(w("T").c_str(), &lido);
        if (tela && cenario != 3)
            getVd_Produto(w("T").c_str(), w("1").c_str(), w("1").c_str(), &lido);
    };
    QList<Ponto> pontos;
    for (int c = 0; c < casos.size(); ++c) {
        restaura(db);
        for (const QString &t : casos[c].travas)
            pontos.append({c, t, 0});
        Modulo m(db.connectionString());
        leituras(c);
        QVariant out;
        QCOMPARE(casos[c].executa(&out), 0);
        QVERIFY2(!isFailureText(out), qPrintable(out.toString()));
        QSqlQuery q(rdmCadProd->adcCadProd->Database());
        QVERIFY(q.exec(QStringLiteral("SELECT current_setting('qul.disparos', true)")) && q.next());
        const int disparos = q.value(0).toInt();
        // Before, after and at commit, for each of the four rows a product has.
        QCOMPARE(disparos, (c == 1 ? 2 : 1) * 4 * 3);
        for (int n = 1; n <= disparos; ++n)
            pontos.append({c, QString(), n});
    }
    restaura(db);

    const auto nomeDoProduto = [&] { return db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '5'").toString(); };
    for (const Ponto &p : std::as_const(pontos)) {
        const Cenario &caso = casos[p.cenario];
        const QString onde = p.trava.isEmpty() ? QStringLiteral("disparo %1").arg(p.disparo) : p.trava;
        db.exec(QStringLiteral("UPDATE qul_test_alvo SET alvo = %1").arg(p.disparo));
        Modulo m(db.connectionString());
        leituras(p.cenario);
        QVariant out;
        int32_t status = -1;
        const auto executa = [&] { status = caso.executa(&out); };
        if (p.trava.isEmpty())
            executa();
        else
            QVERIFY2(terminaNaEspera(db.db().connectionName(), p.trava, pidDoModulo(), executa),
                     qPrintable(QStringLiteral("%1, %2: never waited").arg(QLatin1String(caso.nome), onde)));
        const QString ponto = QStringLiteral("%1, %2: ").arg(QLatin1String(caso.nome), onde);
        QVERIFY2(status == 0 && isFailureText(out), qPrintable(ponto + out.toString()));
        QVERIFY2(linhasDoProduto(db, QStringLiteral("5")) == 4, qPrintable(ponto + QStringLiteral("product 5 incomplete")));
        QVERIFY2(totalLinhas(db) == 4, qPrintable(ponto + QStringLiteral("rows of a new product left")));
        QVERIFY2(nomeDoProduto() == QLatin1String("Produto 5"), qPrintable(ponto + nomeDoProduto()));
    }
    qInfo("%d fault points", int(pontos.size()));
    QVERIFY(pontos.size() >= 70);
}

QTEST_GUILESS_MAIN(TstFaultInjection)
#include "tst_faultinjection.moc"
