// The screen's saves and deletes as the operator makes them (list, search,
// duplicate check, write, on one connection), each in one transaction as
// the engine saw it (PostgreSQL: its triggers' transaction ids; SQLite: its
// statement trace); a lost server reconnected with the entry page kept.

#include "CommitProxy.h"
#include "GuiFixture.h"

#include <QSqlQuery>
#include <sqlite3.h>

namespace {


// What the engine saw of the module's writes.
struct Visao {
    const TestDb::Fresh &db;
    QStringList sqlite;

    explicit Visao(const TestDb::Fresh &d) : db(d)
    {
        if (!db.onPostgreSQL())
            return;
        db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS qul_test_xact (tabela TEXT, xid BIGINT)"));
        db.exec(QStringLiteral("DELETE FROM qul_test_xact"));
        db.exec(QStringLiteral("CREATE OR REPLACE FUNCTION qul_test_xact() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                               "INSERT INTO qul_test_xact VALUES (TG_TABLE_NAME, txid_current()); RETURN NULL; END $$"));
        for (const char *t : kTabelas)
            db.exec(QStringLiteral("CREATE TRIGGER qul_test_xact AFTER INSERT OR UPDATE OR DELETE ON %1 "
                                   "FOR EACH ROW EXECUTE FUNCTION qul_test_xact()").arg(QLatin1String(t)));
    }
    // Starts the statement trace of the module's SQLite connection.
    void segue()
    {
        if (sqlite3 *h = rdmCadProd->adcCadProd->sqliteHandle())
            sqlite3_trace_v2(h, SQLITE_TRACE_STMT, [](unsigned, void *ctx, void *, void *x) {
                static_cast<QStringList *>(ctx)->append(QString::fromUtf8(static_cast<const char *>(x)).simplified());
                return 0;
            }, &sqlite);
    }
    // Writes the engine kept, and the transactions they were made in
    // (SQLite: writes outside BEGIN IMMEDIATE ... COMMIT count as none).
    QPair<int, int> escritas() const
    {
        if (db.onPostgreSQL())
            return {db.count(QStringLiteral("qul_test_xact")),
                    db.scalar(QStringLiteral("SELECT COUNT(DISTINCT xid) FROM qul_test_xact")).toInt()};
        int mantidas = 0, transacoes = 0, nestas = -1;  // writes of the open transaction; -1: none open
        for (const QString &s : sqlite) {
            if (s == QLatin1String("BEGIN IMMEDIATE")) {
                nestas = 0;
            } else if (s == QLatin1String("COMMIT") || s == QLatin1String("ROLLBACK")) {
                if (s == QLatin1String("COMMIT") && nestas > 0)
                    mantidas += nestas, ++transacoes;
                nestas = -1;
            } else if (s.startsWith(QLatin1String("INSERT")) || s.startsWith(QLatin1String("UPDATE"))
                       || s.startsWith(QLatin1String("DELETE"))) {
                if (nestas < 0)
                    return {-1, -1};  // a write in autocommit
                ++nestas;
            }
        }
        return {mantidas, transacoes};
    }
};


}  // namespace

class TstTransacaoTela : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { registerDataPacketType(); }
    void init() { instalaGanchosQueFalham(); }

    void umaTransacao_data()
    {
        QTest::addColumn<QString>("acao");
        QTest::addColumn<int>("escritas");  // rows the engine saw written
        QTest::newRow("edição") << "E" << 4;
        QTest::newRow("inclusão") << "I" << 4;
        QTest::newRow("exclusão") << "X" << 4;
        QTest::newRow("exclusão recusada pelo banco") << "R" << 0;  // a stock table holds it
    }

    void umaTransacao()
    {
        QFETCH(QString, acao);
        QFETCH(int, escritas);
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        for (const char *c : {"1", "2", "3"})
            insereProduto(amb.db, produto(QLatin1String(c), QLatin1String(c)));
        const auto semEstoque = qScopeGuard([&] {
            if (amb.db.onPostgreSQL())
                amb.db.exec(QStringLiteral("DROP TABLE IF EXISTS ESTOQUE"));
        });
        if (acao == QLatin1String("R"))
            amb.db.exec(amb.db.onPostgreSQL() ? QStringLiteral("CREATE TABLE ESTOQUE (CDPRODUTO VARCHAR(10) REFERENCES "
                                                               "PRODUTO (CDPRODUTO)); INSERT INTO ESTOQUE VALUES ('2')")
                                              : QStringLiteral("CREATE TRIGGER qul_estoque BEFORE DELETE ON PRODUTO "
                                                               "BEGIN SELECT RAISE(ABORT, 'produto em estoque'); END"));
        Visao visao(amb.db);
        Mensagens msgs;
        msgs.resposta = true;
        Pesquisas pesquisas;
        pesquisas.escolhe = [](TClientDataSet *ds) { return ds->Locate(QStringLiteral("CDPRODUTO"), QStringLiteral("2")); };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            visao.segue();
            f->sbtLocalizaClick(nullptr);
            QCOMPARE(f->cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString(), QStringLiteral("2"));
            if (acao == QLatin1String("X") || acao == QLatin1String("R")) {
                f->sbtExcluirClick(nullptr);
            } else {
                acao == QLatin1String("E") ? f->sbtEditarClick(nullptr) : f->sbtIncluirClick(nullptr);
                if (acao == QLatin1String("I")) {
                    f->FSgUnidade = QStringLiteral("UN");
                    f->FCdImposto = QStringLiteral("03");
                    f->FIdTpImposFis = QStringLiteral("T");
                    for (auto [c, v] : {std::pair{"edtCodRed", "77"}, {"edtNomeProd", "Novo"}, {"edtUnidade", "Unidade"},
                                        {"edtImposto", "T18"}, {"edtCodBarra", "777"}})
                        f->componente<TBlendedButton>(QLatin1String(c))->setCaption(QLatin1String(v));
                }
                f->edtPrecoUnit->setCaption(QStringLiteral("3,25"));
                f->sbtConfirmarClick(nullptr);
            }
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
        }));
        const QPair<int, int> visto = visao.escritas();
        QCOMPARE(visto.first, escritas);
        QCOMPARE(visto.second, escritas ? 1 : 0);
        QCOMPARE(linhasDoProduto(amb.db, QStringLiteral("2")), acao == QLatin1String("X") ? 0 : 4);
        QCOMPARE(amb.db.count(QStringLiteral("PRODUTO")), acao == QLatin1String("I") ? 4 : acao == QLatin1String("X") ? 2 : 3);
    }

    // The server ends the screen's session while the operator edits: the
    // confirm says the connection was lost and keeps the page; the next
    // confirm connects again and saves.
    void conexaoPerdidaMantemPagina()
    {
        if (!TestDb::onPostgreSQL(TestDb::currentEngine()))
            QSKIP("a server connection is needed to lose one");
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        insereProduto(amb.db, produto(QStringLiteral("1"), QStringLiteral("1")));
        Mensagens msgs;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtEditarClick(nullptr);
            f->edtPrecoUnit->setCaption(QStringLiteral("4,75"));
            QSqlQuery pid(rdmCadProd->adcCadProd->Database());
            QVERIFY(pid.exec(QStringLiteral("SELECT pg_backend_pid()")) && pid.next());
            amb.db.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.value(0).toLongLong()));
            pid.finish();
            QTest::mouseClick(botao(f, "sbtConfirmar"), Qt::LeftButton);
            QVERIFY2(msgs.ultima().contains(QStringLiteral("A conexão com o banco de dados foi perdida")), qPrintable(msgs.ultima()));
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->edtPrecoUnit->caption(), QStringLiteral("4,75"));
            QTest::mouseClick(botao(f, "sbtConfirmar"), Qt::LeftButton);
            QCOMPARE(msgs.ultima(), QStringLiteral("Operação realizada com sucesso.|0|N|002"));
        }));
        QCOMPARE(amb.db.scalar(QStringLiteral("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '1'")).toDouble(), 4.75);
    }

    void lojaSomeEVolta_data()
    {
        QTest::addColumn<int>("tecla");  // Ctrl+ENTER on the entry page of Editar; F5 and F3 on the list
        for (auto [nome, tecla] : {std::pair{"confirmar", Qt::Key_Return}, {"pesquisar", Qt::Key_F5}, {"editar", Qt::Key_F3}})
            QTest::newRow(nome) << int(tecla);
    }
    // The store goes away (QUL_PG_PAUSE of pg-cluster.sh with, the file moved off): lost, nothing saved; back, it works.
    void lojaSomeEVolta()
    {
        QFETCH(int, tecla);
        QUL_AMBIENTE(amb, false);
        const QString arquivo = amb.db.db().databaseName(), pausa = qEnvironmentVariable("QUL_PG_PAUSE");
        insereImpostos(amb.db);
        insereProduto(amb.db, produto(QStringLiteral("1"), QStringLiteral("1")));
        const auto loja = [&](bool volta) {
            QVERIFY(amb.db.onPostgreSQL() ? QProcess::execute("sh", {"-c", volta ? qEnvironmentVariable("QUL_PG_RESUME") : pausa}) == 0
                                          : QFile::rename(volta ? arquivo + ".fora" : arquivo, volta ? arquivo : arquivo + ".fora"));
            amb.db.db().close();
        };
        const auto preco = [&] { return amb.db.scalar(QStringLiteral("SELECT VRPRECITEM FROM ITEMPRECO")).toDouble(); };
        const Qt::KeyboardModifiers mod = tecla == Qt::Key_Return ? Qt::ControlModifier : Qt::NoModifier;
        Mensagens msgs; Pesquisas pesquisas;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            if (tecla == Qt::Key_Return)
                f->sbtEditarClick(nullptr), f->edtPrecoUnit->setCaption(QStringLiteral("4,75"));
            loja(false);
            QTest::keyClick(f, Qt::Key(tecla), mod);
            QCOMPARE(msgs.vistas.join(""), "A conexão com o banco de dados foi perdida; nada foi gravado. Tente de novo: a próxima operação conecta outra vez.|3|N|002");
            QVERIFY(f->PaginaAtiva() == (tecla == Qt::Key_Return ? "Pagina2" : "Pagina1") && pesquisas.vistas.isEmpty());
            loja(true);
            QCOMPARE(preco(), 1.5);
            QTest::keyClick(f, Qt::Key(tecla), mod);
            QCOMPARE(msgs.vistas.mid(1).join(""), tecla == Qt::Key_Return ? "Operação realizada com sucesso.|0|N|002" : "");
            QCOMPARE(f->PaginaAtiva() + QString::number(pesquisas.vistas.size()), tecla == Qt::Key_F3 ? "Pagina20" : tecla == Qt::Key_F5 ? "Pagina11" : "Pagina10");
        }));
        QCOMPARE(preco(), tecla == Qt::Key_Return ? 4.75 : 1.5);
    }

    // The server answers the save's COMMIT with ROLLBACK, as it does for a
    // transaction it aborted: the operator is told, not "saved".
    void commitDesfeitoPeloServidorEhFalha()
    {
        if (TestDb::currentEngine() != TestDb::Engine::PostgreSQL)
            QSKIP("the reply to COMMIT is read on the native connection");
        QUL_AMBIENTE(amb, false);
        insereImpostos(amb.db);
        insereProduto(amb.db, produto(QStringLiteral("1"), QStringLiteral("1")));
        const CommitProxy proxy(amb.db.connectionString());
        SetStringConexQul(proxy.through());
        Mensagens msgs;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtEditarClick(nullptr);
            f->edtPrecoUnit->setCaption(QStringLiteral("4,75"));
            QTest::mouseClick(botao(f, "sbtConfirmar"), Qt::LeftButton);
            QVERIFY2(msgs.ultima().contains(QStringLiteral("A gravação não foi concluída: o banco de dados desfez a transação.")),
                     qPrintable(msgs.ultima()));
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
        }));
    }
};

QTEST_MAIN(TstTransacaoTela)
#include "tst_transacaotela.moc"
