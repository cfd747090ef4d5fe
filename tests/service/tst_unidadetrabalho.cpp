// The writes' unit of work, on every engine: no joining an open transaction,
// none left open by a service, nothing stored that a unit did not commit.

#include "ModuleFixture.h"
#include "ProductPacket.h"
#include "ProductVersion.h"
#include "ServiceCall.h"

#include <QSqlQuery>
#include <functional>
#include <sqlite3.h>

namespace {

// A unit of measure written in whatever transaction the module has open.
void insereUnidade()
{
    QSqlQuery q(rdmCadProd->adcCadProd->Database());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('ZZ', 'Teste')")));
}

// Refuses the transaction statement named by `negada` ("ROLLBACK", "COMMIT").
int nega(void *negada, int acao, const char *op, const char *, const char *, const char *)
{
    return acao == SQLITE_TRANSACTION && qstrcmp(op, static_cast<const char *>(negada)) == 0 ? SQLITE_DENY : SQLITE_OK;
}

using Chamada = std::function<int32_t(QVariant *)>;
QString mensagem(const std::exception &e) { return exceptionMessage(e); }

}  // namespace
Q_DECLARE_METATYPE(Chamada)

class TstUnidadeTrabalho : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }

    void transacaoAlheiaRecusada_data()
    {
        QTest::addColumn<Chamada>("chamada");
        QTest::newRow("setProduto") << Chamada([](QVariant *o) { return setProduto(nullptr, w("I").c_str(), o); });
        QTest::newRow("setAltProduto") << Chamada([](QVariant *o) { return setAltProduto(nullptr, nullptr, o); });
        QTest::newRow("setDelProduto") << Chamada([](QVariant *o) { return setDelProduto(w("1").c_str(), o); });
        QTest::newRow("importação") << Chamada([](QVariant *o) {
            return readService(o, [] { return TUnidadeTrabalho(*rdmCadProd, TUnidadeTrabalho::ComTrava), QVariant(); }, mensagem);
        });
    }
    void transacaoAlheiaRecusada()
    {
        QFETCH(Chamada, chamada);
        QUL_FRESH_DB(db, false);
        Modulo m(db.connectionString());
        TADOConnection *c = rdmCadProd->adcCadProd;
        c->BeginTrans();
        insereUnidade();
        QVariant out;
        QCOMPARE(chamada(&out), 0);
        QCOMPARE(out.toString(), QStringLiteral("Já há uma transação aberta na conexão de produtos; a gravação não entra nela. Nada foi gravado."));
        QVERIFY(c->InTransaction());  // the other's, neither ended nor committed
        c->RollbackTrans();
        QCOMPARE(db.count(QStringLiteral("UNIDMEDIDA")), 0);
    }

    void transacaoDeixadaAberta_data()
    {
        QTest::addColumn<Chamada>("chamada");
        QTest::addColumn<QString>("texto");
        const QString desfeita =
            QStringLiteral("Erro interno: o serviço terminou com a transação aberta; ela foi desfeita e nada foi gravado.");
        QTest::newRow("gravação sem fim")
            << Chamada([](QVariant *o) { return writeService(o, [](TUnidadeTrabalho &) { insereUnidade(); }); }) << desfeita;
        QTest::newRow("gravação que abre outra") << Chamada([](QVariant *o) {
            return writeService(o, [](TUnidadeTrabalho &ut) { ut.commit(); ut.dm().adcCadProd->BeginTrans(); insereUnidade(); });
        }) << desfeita;
        // As the import runs: a unit inside a read service, its rollback refused.
        QTest::newRow("rollback recusado") << Chamada([](QVariant *o) {
            return readService(o, []() -> QVariant {
                TUnidadeTrabalho ut(*rdmCadProd);
                insereUnidade();
                sqlite3_set_authorizer(rdmCadProd->adcCadProd->sqliteHandle(), nega, const_cast<char *>("ROLLBACK"));
                throw Exception(QStringLiteral("falha da importação"));
            }, mensagem);
        }) << "falha da importação";
    }
    void transacaoDeixadaAberta()
    {
        QFETCH(Chamada, chamada);
        QFETCH(QString, texto);
        QUL_FRESH_DB(db, false);
        if (!texto.startsWith(u"Erro interno") && TestDb::currentEngine() != TestDb::Engine::SQLite)
            QSKIP("SQLite's authorizer refuses the rollback");
        Modulo m(db.connectionString());
        TADOConnection *c = rdmCadProd->adcCadProd;
        QVariant out;
        QCOMPARE(chamada(&out), kServiceFailure);
        QCOMPARE(out.toString(), texto);
        if (c->sqliteHandle() && c->InTransaction())  // the refused rollback's
            sqlite3_set_authorizer(c->sqliteHandle(), nullptr, nullptr), c->RollbackTrans();
        QVERIFY(!c->InTransaction());
        QCOMPARE(db.count(QStringLiteral("UNIDMEDIDA")), 0);
    }

    void desfeitaAoSairDoEscopo_data()
    {
        QTest::addColumn<int>("fim");
        QTest::addColumn<int>("guardadas");
        for (const auto &[nome, fim, guardadas] : {std::tuple{"commit", 0, 1}, {"desfaz", 1, 0}, {"fim do escopo", 2, 0},
                                                   {"exceção", 3, 0}, {"trava não tomada", 4, 0},
                                                   {"conferência sem a trava", 5, 0}, {"commit recusado", 6, 0}})
            QTest::newRow(nome) << fim << guardadas;
    }
    void desfeitaAoSairDoEscopo()
    {
        QFETCH(int, fim);
        QFETCH(int, guardadas);
        QUL_FRESH_DB(db, false);
        if (fim == 6 && TestDb::currentEngine() != TestDb::Engine::SQLite)
            QSKIP("SQLite's authorizer refuses the commit");
        Modulo m(db.connectionString());
        if (fim == 4)
            SetADODBSession(nullptr);  // the code generator, whose lock it is, finds no connection
        try {
            TUnidadeTrabalho ut(*rdmCadProd, fim == 5 ? TUnidadeTrabalho::SemTrava : TUnidadeTrabalho::ComTrava);
            insereUnidade();
            if (fim == 5)  // the edit's check runs only under the terminals' lock
                (void)produtosMudados(ut, TDataPacket{productPacketFields(), {}, {}});
            if (fim == 6)
                sqlite3_set_authorizer(rdmCadProd->adcCadProd->sqliteHandle(), nega, const_cast<char *>("COMMIT"));
            fim == 1 ? ut.desfaz() : fim == 2 ? void() : fim == 3 ? throw Exception(QStringLiteral("x")) : ut.commit();
        } catch (const Exception &) {
        }
        SetADODBSession(rdmCadProd->adcCadProd);
        if (rdmCadProd->adcCadProd->sqliteHandle())
            sqlite3_set_authorizer(rdmCadProd->adcCadProd->sqliteHandle(), nullptr, nullptr);
        QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
        QCOMPARE(db.count(QStringLiteral("UNIDMEDIDA")), guardadas);
    }
};

QTEST_GUILESS_MAIN(TstUnidadeTrabalho)
#include "tst_unidadetrabalho.moc"
