// The write side of the product data service, on every engine from the
// same code: saving (insert and update paths) and what a failure leaves
// behind (nothing).

#include "ConnectionString.h"
#include "ModuleFixture.h"
#include "ProductPacket.h"
#include "ProductWrite.h"
#include "ServiceCall.h"
#include "TdtmQulProxCodigo.h"
#include "WriteFixture.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <limits>
#include <sqlite3.h>

class TstWriteServices : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }

    void insertPathWritesEveryValue();
    void updatePathForEveryOtherOperation_data();
    void updatePathForEveryOtherOperation();
    void updateTaxLookup();
    void updateOfMissingProductWritesNothing();
    void updateRecreatesMissingSideRows();
    void severalRowsAndNoRows();
    void failureInThirdStatementLeavesNothing();
    void rollbackLeavingTheTransactionOpenIsAFailureStatus();
    void commitAfterASwallowedErrorKeepsNothing();
    void badPacketsAreRefusedWhole();
    void refusedPacketsWriteNothing_data();
    void refusedPacketsWriteNothing();
    void sqliteSaveHoldsTheWriteLockFromItsStart();
    void hostileTextsStoredVerbatim();
    void lostConnectionMidSave();
    void editOntoAnotherVersionWritesNothing_data();
    void editOntoAnotherVersionWritesNothing();
    void driverFailuresExplained_data();
    void driverFailuresExplained();
};

void TstWriteServices::insertPathWritesEveryValue()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("7"), QStringLiteral("7")));
    insereProduto(db, produto(QStringLiteral("A12"), QStringLiteral("8")));
    Modulo m(db.connectionString());
    QVariant out = QStringLiteral("sujo");
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-2);
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
    const QDateTime depois = QDateTime::currentDateTime().addSecs(2);

    QSqlQuery q(db.db());
    QVERIFY(q.exec(QStringLiteral("SELECT CDARVPROD, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, SGUNIDADE, IDPESAPROD, QTTARAPROD, "
                                  "DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, IDORIGPRODPR, VRPREUNIT FROM PRODUTO WHERE CDPRODUTO = '8'")));
    QVERIFY2(q.next(), "the new product takes the highest numeric code plus one");
    QCOMPARE(q.value(0).toString(), QStringLiteral("8"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("321"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("Café Torrado 500g"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("7891000001011"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("UN"));
    QCOMPARE(q.value(5).toString(), QStringLiteral("S"));
    QCOMPARE(q.value(6).toDouble(), 0.015);
    const QDateTime stamp = lido(q.value(7));
    QVERIFY2(stamp >= antes && stamp <= depois, qPrintable(q.value(7).toString()));
    QCOMPARE(q.value(8).toString(), QStringLiteral("P"));
    QCOMPARE(q.value(9).toString(), QStringLiteral("1"));
    QCOMPARE(q.value(10).toString(), QStringLiteral("P"));
    QVERIFY(q.value(11).isNull());
    if (db.engine() == TestDb::Engine::SQLite) {
        // Date-times are stored as the engine's own text, not Qt's ISO form.
        static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
        QVERIFY2(form.match(q.value(7).toString()).hasMatch(), qPrintable(q.value(7).toString()));
    }

    QVERIFY(q.exec(QStringLiteral("SELECT CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRPAITABPR, VRPRECITEM, DTULTATUITPR FROM ITEMPRECO WHERE CDPRODUTO = '8'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("9999"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("001"));
    QCOMPARE(lido(q.value(2)), QDateTime(QDate(2011, 1, 1), QTime(0, 0)));
    QCOMPARE(q.value(3).toString(), QStringLiteral("8"));
    QCOMPARE(q.value(4).toDouble(), 12.34);
    QVERIFY(lido(q.value(5)) >= antes);

    QVERIFY(q.exec(QStringLiteral("SELECT CDFILIAL, CDIMPOSTO, VRPEALIMPFIS, IDTPIMPOSFIS, DTULTATUALIF FROM ALIQIMPFIS WHERE CDPRODUTO = '8'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("9999"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("00"));  // stored unchanged
    QCOMPARE(q.value(2).toDouble(), 17.5);
    QCOMPARE(q.value(3).toString(), QStringLiteral("T"));
    QVERIFY(lido(q.value(4)) >= antes);

    QVERIFY(q.exec(QStringLiteral("SELECT CDFILIAL, CDLOJA, CDPORIMPPROD FROM PRODLOJA WHERE CDPRODUTO = '8'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("9999"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("01"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("0"));
    QCOMPARE(linhasDoProduto(db, QStringLiteral("IGNORADO")), 0);

    // The new product reads back through the read service.
    QVERIFY(getProduto(w("8").c_str(), &out) == 0);
    const TDataPacket back = toDataPacket(out);
    QCOMPARE(back.rows.size(), 1);
    QCOMPARE(valor(back, 0, "SGIMPOSTO").toString(), QStringLiteral("TRIB"));
}

void TstWriteServices::updatePathForEveryOtherOperation_data()
{
    QTest::addColumn<QString>("op");
    QTest::newRow("E") << "E";
    QTest::newRow("i") << "i";
    QTest::newRow("empty") << "";
    QTest::newRow("I with blank") << "I ";
}

void TstWriteServices::updatePathForEveryOtherOperation()
{
    QFETCH(QString, op);
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    Modulo m(db.connectionString());
    QVariantMap v = novo();
    v["CDPRODUTO"] = "5";
    v["SGIMPOSTO"] = "I";
    v["CDIMPOSTO"] = "03";  // not read on this path
    v["CDPORIMPPROD"] = "LPT2";
    QVariant out;
    const int before = totalLinhas(db);
    QCOMPARE(salva(pacote(v), op, &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(totalLinhas(db), before);
    QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '5'").toString(), QStringLiteral("Café Torrado 500g"));
    QCOMPARE(db.scalar("SELECT CDPRODINTE FROM PRODUTO WHERE CDPRODUTO = '5'").toString(), QStringLiteral("321"));
    QCOMPARE(db.scalar("SELECT QTTARAPROD FROM PRODUTO WHERE CDPRODUTO = '5'").toDouble(), 0.015);
    QCOMPARE(db.scalar("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = '5'").toString(), QStringLiteral("5"));
    QCOMPARE(db.scalar("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '5'").toDouble(), 12.34);
    QCOMPARE(lido(db.scalar("SELECT DTINIVGPREC FROM ITEMPRECO WHERE CDPRODUTO = '5'")), QDateTime(QDate(2011, 1, 1), QTime(0, 0)));
    QCOMPARE(db.scalar("SELECT CDIMPOSTO FROM ALIQIMPFIS WHERE CDPRODUTO = '5'").toString(), QStringLiteral("II"));
    QCOMPARE(db.scalar("SELECT VRPEALIMPFIS FROM ALIQIMPFIS WHERE CDPRODUTO = '5'").toDouble(), 17.5);
    QCOMPARE(db.scalar("SELECT IDTPIMPOSFIS FROM ALIQIMPFIS WHERE CDPRODUTO = '5'").toString(), QStringLiteral("T"));
    QCOMPARE(db.scalar("SELECT CDPORIMPPROD FROM PRODLOJA WHERE CDPRODUTO = '5'").toString(), QStringLiteral("LPT2"));
    QVERIFY(lido(db.scalar("SELECT DTULTATUPROD FROM PRODUTO WHERE CDPRODUTO = '5'")).date() == QDate::currentDate());
}

void TstWriteServices::updateTaxLookup()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('09', 'Outro 18', 'T18', 'T')"));
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('02', 'Mais um 18', 'T18', 'T')"));
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    Modulo m(db.connectionString());
    const auto taxaCom = [&](const QString &sg) {
        QVariantMap v = novo();
        v["CDPRODUTO"] = "5";
        v["SGIMPOSTO"] = sg;
        QVariant out;
        if (salva(pacote(v), QStringLiteral("E"), &out) != 0 || out.isValid())
            return QStringLiteral("falhou: ") + out.toString();
        return db.scalar("SELECT CDIMPOSTO FROM ALIQIMPFIS WHERE CDPRODUTO = '5'").toString();
    };
    QCOMPARE(taxaCom(QStringLiteral("T18")), QStringLiteral("02"));  // lowest of three
    QCOMPARE(taxaCom(QStringLiteral("NADA")), QString());            // no match: empty
    QCOMPARE(taxaCom(QStringLiteral("T")), QStringLiteral("00"));    // wildcard: lowest of all
}

void TstWriteServices::updateOfMissingProductWritesNothing()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    // Side rows of a product whose PRODUTO row another terminal removed.
    ProdutoTeste p = produto(QStringLiteral("5"), QStringLiteral("5"));
    insereProduto(db, p);
    db.exec(QStringLiteral("DELETE FROM PRODUTO WHERE CDPRODUTO = '5'"));
    Modulo m(db.connectionString());
    QVariantMap v = novo();
    v["CDPRODUTO"] = "5";
    QVariant out;
    const double precoAntes = db.scalar("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '5'").toDouble();
    QCOMPARE(salva(pacote(v), QStringLiteral("E"), &out), 0);
    QVERIFY(isFailureText(out));
    QVERIFY2(out.toString().contains(QLatin1String("'5'")), qPrintable(out.toString()));
    QCOMPARE(db.scalar("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '5'").toDouble(), precoAntes);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 0);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());

    // An edit opened on an empty list sends an empty code: nothing is created.
    v["CDPRODUTO"] = "";
    QCOMPARE(salva(pacote(v), QStringLiteral("E"), &out), 0);
    QVERIFY(isFailureText(out));
    QCOMPARE(linhasDoProduto(db, QString()), 0);
}

void TstWriteServices::updateRecreatesMissingSideRows()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    ProdutoTeste p = produto(QStringLiteral("5"), QStringLiteral("5"));
    p.comPreco = p.comAliquota = p.comLoja = false;
    insereProduto(db, p);
    Modulo m(db.connectionString());
    QVariantMap v = novo();
    v["CDPRODUTO"] = "5";
    v["SGIMPOSTO"] = "T07";
    v["CDIMPOSTO"] = "99";
    QVariant out;
    QCOMPARE(salva(pacote(v), QStringLiteral("E"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(linhasDoProduto(db, QStringLiteral("5")), 4);
    QCOMPARE(db.scalar("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '5' AND CDPRPAITABPR = '5' AND CDTABEPREC = '001'").toDouble(), 12.34);
    QCOMPARE(lido(db.scalar("SELECT DTINIVGPREC FROM ITEMPRECO WHERE CDPRODUTO = '5'")), QDateTime(QDate(2011, 1, 1), QTime(0, 0)));
    QCOMPARE(db.scalar("SELECT CDIMPOSTO FROM ALIQIMPFIS WHERE CDPRODUTO = '5'").toString(), QStringLiteral("01"));
    QCOMPARE(db.scalar("SELECT CDPORIMPPROD FROM PRODLOJA WHERE CDPRODUTO = '5'").toString(), QStringLiteral("0"));
    // The operator's values now read back.
    QVERIFY(getProduto(w("5").c_str(), &out) == 0);
    QCOMPARE(valor(toDataPacket(out), 0, "VRPRECITEM").toDouble(), 12.34);
    QCOMPARE(valor(toDataPacket(out), 0, "SGIMPOSTO").toString(), QStringLiteral("T07"));
}

void TstWriteServices::severalRowsAndNoRows()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    Modulo m(db.connectionString());
    TDataPacket p = pacote(novo());
    QVariant out;
    const quint64 &executados = rdmCadProd->adcCadProd->StatementCount;
    QCOMPARE(salva(p, QStringLiteral("I"), &out), 0);  // statements prepared
    quint64 antes = executados;
    acrescentaCopias(p, 1, 10);
    QCOMPARE(salva(p, QStringLiteral("I"), &out), 0);
    const quint64 umaLinha = executados - antes;
    acrescentaCopias(p, 3, 20);
    antes = executados;
    QCOMPARE(salva(p, QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    // Two more rows cost their ten statements (the code check and four
    // inserts each): the codes are read once.
    QCOMPARE(executados - antes, umaLinha + 10);
    QCOMPARE(db.count(QStringLiteral("PRODUTO")), 5);
    for (const char *c : {"1", "2", "3", "4", "5"})
        QCOMPARE(linhasDoProduto(db, QLatin1String(c)), 4);

    TDataPacket vazio = pacote(novo());
    vazio.rows.clear();
    QCOMPARE(salva(vazio, QStringLiteral("I"), &out), 0);
    QVERIFY(!out.isValid());
    QCOMPARE(salva(vazio, QStringLiteral("E"), &out), 0);
    QVERIFY(!out.isValid());
    QCOMPARE(totalLinhas(db), 20);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
}

void TstWriteServices::failureInThirdStatementLeavesNothing()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    falhaEm(db, QStringLiteral("ALIQIMPFIS"), QStringLiteral("INSERT"));
    // A password that is also a letter of the message leaves the message
    // alone (SQLite ignores the password).
    Modulo m(db.connectionString()
             + (db.engine() == TestDb::Engine::SQLite ? QStringLiteral(";Password=o") : QString()));
    QVariant out;
    const int before = totalLinhas(db);
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY(isFailureText(out));
    QVERIFY2(out.toString().contains(QStringLiteral("falha forçada")), qPrintable(out.toString()));
    QCOMPARE(totalLinhas(db), before);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());

    // A rolled-back insert does not use up a code.
    db.exec(QStringLiteral("DROP TRIGGER qul_test_falha%1").arg(db.onPostgreSQL() ? QStringLiteral(" ON ALIQIMPFIS") : QString()));
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(linhasDoProduto(db, QStringLiteral("6")), 4);

    // The update path fails the same way on its third statement (the rate).
    falhaEm(db, QStringLiteral("ALIQIMPFIS"), QStringLiteral("UPDATE"));
    QVariantMap v = novo();
    v["CDPRODUTO"] = "5";
    v["NMPRODUTO"] = "Nome Novo";
    QCOMPARE(salva(pacote(v), QStringLiteral("E"), &out), 0);
    QVERIFY(isFailureText(out));
    QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '5'").toString(), QStringLiteral("Produto 5"));
    QCOMPARE(db.scalar("SELECT VRPRECITEM FROM ITEMPRECO WHERE CDPRODUTO = '5'").toDouble(), 1.5);
}

// A failed save whose rollback fails too, leaving the transaction open, is
// a failure status, not a failure text.
void TstWriteServices::rollbackLeavingTheTransactionOpenIsAFailureStatus()
{
    if (TestDb::currentEngine() != TestDb::Engine::SQLite)
        QSKIP("SQLite's authorizer refuses the rollback");
    QUL_FRESH_DB(db, false);
    falhaEm(db, QStringLiteral("PRODUTO"), QStringLiteral("INSERT"));
    Modulo m(db.connectionString());
    sqlite3 *h = *static_cast<sqlite3 *const *>(rdmCadProd->adcCadProd->Database().driver()->handle().constData());
    sqlite3_set_authorizer(h, [](void *, int acao, const char *op, const char *, const char *, const char *) {
        return acao == SQLITE_TRANSACTION && qstrcmp(op, "ROLLBACK") == 0 ? SQLITE_DENY : SQLITE_OK;
    }, nullptr);
    QVariant out;
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), kServiceFailure);
    QCOMPARE(sqlite3_get_autocommit(h), 0);  // still in the transaction
    sqlite3_set_authorizer(h, nullptr, nullptr);
}

// A statement failed inside the transaction and its error went nowhere:
// PostgreSQL has aborted the transaction, its ODBC driver has rolled it
// back, SQLite too (OR ROLLBACK): the commit says nothing was kept.
void TstWriteServices::commitAfterASwallowedErrorKeepsNothing()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    TADOConnection *c = rdmCadProd->adcCadProd;
    c->BeginTrans();
    QSqlQuery(c->Database()).exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('KG', 'Quilo')"));
    QSqlQuery(c->Database()).exec(QStringLiteral("INSERT OR ROLLBACK INTO UNIDMEDIDA (SGUNIDADE) VALUES ('KG')"));
    QString erro;
    try {
        rdmCadProd->CommitTrans();
    } catch (const EADOError &e) {
        erro = e.Message();
    }
    QCOMPARE(erro, QStringLiteral("A gravação não foi concluída: o banco de dados desfez a transação."));
    QCOMPARE(db.count(QStringLiteral("UNIDMEDIDA")), 0);
    QVERIFY(!c->InTransaction());
    QVERIFY(QSqlQuery(c->Database()).exec(QStringLiteral("SELECT 1")));  // none left aborted on the server either
}

void TstWriteServices::badPacketsAreRefusedWhole()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    Modulo m(db.connectionString());
    QVariant out;
    const QVariant texto = QStringLiteral("não é um pacote");
    QCOMPARE(setProduto(&texto, w("I").c_str(), &out), 0);
    QVERIFY(isFailureText(out));
    QCOMPARE(setProduto(nullptr, w("I").c_str(), &out), 0);
    QVERIFY(isFailureText(out));

    TDataPacket semCampo = pacote(novo());
    const int i = semCampo.fieldIndex(QStringLiteral("NMPRODUTO"));
    semCampo.fields.removeAt(i);
    semCampo.rows[0].removeAt(i);
    QCOMPARE(salva(semCampo, QStringLiteral("I"), &out), 0);
    QVERIFY2(out.toString().contains(QLatin1String("NMPRODUTO")), qPrintable(out.toString()));

    TDataPacket tipoErrado = pacote(novo());
    tipoErrado.fields[tipoErrado.fieldIndex(QStringLiteral("VRPRECITEM"))].type = TFieldType::ftDateTime;
    tipoErrado.rows[0][tipoErrado.fieldIndex(QStringLiteral("VRPRECITEM"))] = QDateTime::currentDateTime();
    QCOMPARE(salva(tipoErrado, QStringLiteral("I"), &out), 0);
    QVERIFY(isFailureText(out));
    QCOMPARE(totalLinhas(db), 0);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
    QVERIFY(setProduto(nullptr, nullptr, nullptr) < 0);

    // An insert under the products' own codes (the catalogue's) takes digits
    // only, within the code's width.
    TdtmQulProxCodigo gerador;
    for (const char *codigo : {"12A", "12345678901"}) {
        QList<TProduto> produtos = produtosDoPacote(pacote(novo()), false);
        produtos[0].cdProduto = QLatin1String(codigo);
        rdmCadProd->StartTrans();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, gravaProdutos(*rdmCadProd, produtos, true, gerador, false, true));
        rdmCadProd->RollbackTrans();
        QCOMPARE(totalLinhas(db), 0);
    }
}

void TstWriteServices::refusedPacketsWriteNothing_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("message");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("code of 11 on update") << "E" << "CDPRODUTO" << QVariant("12345678901") << 1 << "CDPRODUTO tem 11 caracteres";
    QTest::newRow("reduced code of 21") << "E" << "CDPRODINTE" << QVariant(QString(21, '7')) << 1 << "CDPRODINTE tem 21 caracteres";
    QTest::newRow("bar code of 31") << "I" << "CDBARPRODUTO" << QVariant(QString(31, '7')) << 1 << "CDBARPRODUTO tem 31";
    QTest::newRow("NaN price") << "I" << "VRPRECITEM" << QVariant(std::numeric_limits<double>::quiet_NaN()) << 1 << "VRPRECITEM não tem um valor numérico";
    QTest::newRow("infinite tare") << "I" << "QTTARAPROD" << QVariant(inf) << 1 << "QTTARAPROD não tem um valor numérico";
    QTest::newRow("minus infinite rate") << "E" << "VRPEALIMPFIS" << QVariant(-inf) << 1 << "VRPEALIMPFIS não tem um valor numérico";
    QTest::newRow("infinite tare as text") << "I" << "QTTARAPROD" << QVariant("inf") << 1 << "QTTARAPROD não tem um valor numérico";
    QTest::newRow("NUL in name") << "I" << "NMPRODUTO" << QVariant(QString::fromUtf16(u"a\u0000b", 3)) << 1 << "NMPRODUTO tem caractere nulo";
    QTest::newRow("lone surrogate") << "E" << "NMPRODUTO" << QVariant(QString(QChar(0xD800))) << 1 << "NMPRODUTO tem caractere nulo ou substituto";
    QTest::newRow("1001 products") << "I" << "NMPRODUTO" << QVariant("Lote") << 1001 << "no máximo 1000";
    QTest::newRow("1000 products pass") << "I" << "NMPRODUTO" << QVariant("Lote") << 1000 << "";
    QTest::newRow("empty reduced code") << "I" << "CDPRODINTE" << QVariant("") << 1 << "Código Reduzido não informado";
    QTest::newRow("reduced code not digits") << "E" << "CDPRODINTE" << QVariant("1a") << 1 << "Código Reduzido \"1a\" inválido";
    // What the entry page could not have given.
    QTest::newRow("negative price") << "I" << "VRPRECITEM" << QVariant(-12.5) << 1 << "VRPRECITEM não aceita -12.5";
    QTest::newRow("negative tare") << "E" << "QTTARAPROD" << QVariant(-0.5) << 1 << "QTTARAPROD não aceita -0.5";
    QTest::newRow("negative rate") << "I" << "VRPEALIMPFIS" << QVariant(-3.2) << 1 << "VRPEALIMPFIS não aceita";
    QTest::newRow("price of 13 characters") << "E" << "VRPRECITEM" << QVariant(1234567890.12) << 1 << "no máximo 10 caracteres";
    QTest::newRow("price of 11 digits") << "I" << "VRPRECITEM" << QVariant(12345678901.0) << 1 << "VRPRECITEM não aceita";
    QTest::newRow("null price on insert") << "I" << "VRPRECITEM" << QVariant() << 1 << "VRPRECITEM é obrigatório";
    QTest::newRow("null price on update") << "E" << "VRPRECITEM" << QVariant() << 1 << "VRPRECITEM é obrigatório";
    QTest::newRow("null rate of the typed tax") << "I" << "VRPEALIMPFIS" << QVariant() << 1 << "VRPEALIMPFIS é obrigatório";
    QTest::newRow("null tare of a weighed product") << "E" << "QTTARAPROD" << QVariant() << 1 << "QTTARAPROD é obrigatório";
    QTest::newRow("null name") << "E" << "NMPRODUTO" << QVariant() << 1 << "NMPRODUTO é obrigatório";
    QTest::newRow("blank unit") << "I" << "SGUNIDADE" << QVariant(" ") << 1 << "SGUNIDADE é obrigatório";
    QTest::newRow("null tax") << "I" << "CDIMPOSTO" << QVariant() << 1 << "CDIMPOSTO é obrigatório";
    QTest::newRow("null tax abbreviation on update") << "E" << "SGIMPOSTO" << QVariant() << 1 << "SGIMPOSTO é obrigatório";
    QTest::newRow("bar code in use") << "I" << "CDBARPRODUTO" << QVariant("7890000001234567890") << 1 << "Código de Barras já cadastrado.";
}

void TstWriteServices::refusedPacketsWriteNothing()
{
    QFETCH(QString, op);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, rows);
    QFETCH(QString, message);
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("1234567890"), QStringLiteral("1")));
    Modulo m(db.connectionString());
    QVariantMap v = novo();
    v["CDPRODUTO"] = "1234567890";
    v[field] = value;
    TDataPacket p = pacote(v);
    if (rows > 1)
        acrescentaCopias(p, rows);
    const int before = totalLinhas(db);
    QVariant out;
    QCOMPARE(salva(p, op, &out), 0);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
    if (message.isEmpty()) {
        QVERIFY2(!out.isValid(), qPrintable(out.toString()));
        QCOMPARE(totalLinhas(db), before + (op == QLatin1String("I") ? 4 * rows : 0));
        return;
    }
    QVERIFY(isFailureText(out));
    // The screen's own texts of a code in use stand alone.
    QVERIFY2(out.toString().contains(message)
                 && (message.endsWith(QLatin1String("cadastrado.")) || out.toString().contains(QLatin1String("Nada foi gravado"))),
             qPrintable(out.toString()));
    QCOMPARE(totalLinhas(db), before);
    QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '1234567890'").toString(),
             QStringLiteral("Produto 1234567890"));
}

namespace {

// Whether a second connection, with no busy timeout, can begin a write at
// each statement of the module's SQLite connection.
struct SondaTrava {
    sqlite3 *outra = nullptr;
    QStringList livres;  // statements during which the write lock was free
    int vistas = 0;

    static int aoExecutar(unsigned, void *ctx, void *, void *sql)
    {
        auto *s = static_cast<SondaTrava *>(ctx);
        const QString texto = QString::fromUtf8(static_cast<const char *>(sql));
        if (texto.startsWith(QLatin1String("BEGIN")))
            return 0;
        ++s->vistas;
        if (sqlite3_exec(s->outra, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
            s->livres.append(texto.simplified().left(60));
            sqlite3_exec(s->outra, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        return 0;
    }
};

}  // namespace

void TstWriteServices::sqliteSaveHoldsTheWriteLockFromItsStart()
{
    if (TestDb::currentEngine() != TestDb::Engine::SQLite)
        QSKIP("the write lock of a file database");
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    Modulo m(db.connectionString());
    const QVariant h = rdmCadProd->adcCadProd->Database().driver()->handle();
    sqlite3 *modulo = *static_cast<sqlite3 *const *>(h.constData());
    SondaTrava sonda;
    const QString arquivo = TConnectionString::parse(db.connectionString()).value(QStringLiteral("Data Source"));
    QCOMPARE(sqlite3_open_v2(arquivo.toUtf8().constData(), &sonda.outra, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_trace_v2(modulo, SQLITE_TRACE_STMT, &SondaTrava::aoExecutar, &sonda);
    QVariant out;
    QVariantMap v = novo();
    v["CDPRODUTO"] = "5";
    const int32_t inclui = salva(pacote(novo()), QStringLiteral("I"), &out);
    const int32_t altera = salva(pacote(v), QStringLiteral("E"), &out);
    const int32_t exclui = setDelProduto(w("5").c_str(), &out);
    sqlite3_trace_v2(modulo, 0, nullptr, nullptr);
    sqlite3_close(sonda.outra);
    QCOMPARE(inclui + altera + exclui, 0);
    QVERIFY(sonda.vistas >= 12);
    QVERIFY2(sonda.livres.isEmpty(), qPrintable(sonda.livres.join(QLatin1String(" | "))));
}

void TstWriteServices::hostileTextsStoredVerbatim()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    Modulo m(db.connectionString());
    QVariantMap v = novo();
    const QString nome = QStringLiteral("O'Neil \"x\"; DROP TABLE PRODUTO; -- :P_NMPRODUTO /*");
    v["NMPRODUTO"] = nome;
    v["CDBARPRODUTO"] = QStringLiteral("';--");
    QVariant out;
    QCOMPARE(salva(pacote(v), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO").toString(), nome);
    QCOMPARE(db.scalar("SELECT CDBARPRODUTO FROM PRODUTO").toString(), QStringLiteral("';--"));

    // Texts longer than the packet's fields are cut to their width, whole
    // rows or nothing.
    v["NMPRODUTO"] = QString(70, QLatin1Char('x'));
    v["CDPORIMPPROD"] = QStringLiteral("COM1234567");
    v["CDPRODINTE"] = QStringLiteral("322");
    v["CDBARPRODUTO"] = QStringLiteral("';--2");
    QCOMPARE(salva(pacote(v), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'").toString(), QString(50, QLatin1Char('x')));
    QCOMPARE(db.scalar("SELECT CDPORIMPPROD FROM PRODLOJA WHERE CDPRODUTO = '2'").toString(), QStringLiteral("COM12"));
}

void TstWriteServices::lostConnectionMidSave()
{
    if (!TestDb::onPostgreSQL(TestDb::currentEngine()))
        QSKIP("a server connection is needed to lose one");
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    // The server ends the saving session between its second and third
    // statement, as an administrator or a network failure would.
    db.exec(QStringLiteral("CREATE FUNCTION qul_test_falha() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$ BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$"));
    db.exec(QStringLiteral("CREATE TRIGGER qul_test_falha BEFORE INSERT ON ALIQIMPFIS FOR EACH ROW EXECUTE FUNCTION qul_test_falha()"));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY(isFailureText(out));
    QVERIFY2(!out.toString().trimmed().isEmpty(), "a clear failure text");
    QVERIFY2(out.toString().startsWith(QStringLiteral("A conexão com o banco de dados foi perdida")), qPrintable(out.toString()));
    QCOMPARE(totalLinhas(db), 0);
    // The next call connects again, and nothing is re-run behind the caller:
    // a save as the next call, then a read.
    db.exec(QStringLiteral("DROP TRIGGER qul_test_falha ON ALIQIMPFIS"));
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(totalLinhas(db), 4);
    QCOMPARE(getProduto(w("T").c_str(), &out), 0);
    QVERIFY2(isDataPacket(out), qPrintable(out.toString()));
}

// An edit of product 2 as it was read, after another session changed one
// value of it (or with a loaded row unlike the stored one): nothing is
// written, the stored row comes back, and the transaction and the
// terminals' lock end with the call.
void TstWriteServices::editOntoAnotherVersionWritesNothing_data()
{
    QTest::addColumn<QString>("sql");        // another session's statements after the read
    QTest::addColumn<QVariantMap>("lido");   // values of the loaded row unlike the store's
    QTest::addColumn<QString>("codigo");     // the product the edit is of
    QTest::addColumn<QString>("recusa");     // empty: written; "alterado": the stored row back; else the text
    const auto de2 = [](const char *t, const char *v) { return QStringLiteral("UPDATE %1 SET %2 WHERE CDPRODUTO = '2'").arg(t, v); };
    QTest::newRow("nothing changed") << "" << QVariantMap() << "2" << "";
    for (const auto &[t, v] : {std::pair{"PRODUTO", "CDARVPROD = 'Z'"}, {"PRODUTO", "CDBARPRODUTO = '77'"}, {"PRODUTO", "NMPRODUTO = 'Outro'"},
                               {"PRODUTO", "SGUNIDADE = 'KG'"}, {"PRODUTO", "IDPESAPROD = 'S'"}, {"PRODUTO", "QTTARAPROD = 0.25"},
                               {"PRODUTO", "CDPRODINTE = '77'"}, {"ITEMPRECO", "VRPRECITEM = 2.5"}, {"ALIQIMPFIS", "VRPEALIMPFIS = 7"},
                               {"ALIQIMPFIS", "IDTPIMPOSFIS = 'I'"}, {"PRODLOJA", "CDPORIMPPROD = 'LPT1'"}})
        QTest::newRow(v) << de2(t, v) << QVariantMap() << "2" << "alterado";
    QTest::newRow("CDIMPOSTO, same SGIMPOSTO")
        << "INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('04', 'ICMS 18% B', 'T18', 'T');"
               + de2("ALIQIMPFIS", "CDIMPOSTO = '04'") << QVariantMap() << "2" << "alterado";
    QTest::newRow("SGIMPOSTO") << "UPDATE IMPOSTO SET SGIMPOSTO = 'X18' WHERE CDIMPOSTO = '03'" << QVariantMap() << "2" << "alterado";
    QTest::newRow("VRPREUNIT loaded, none stored") << "" << QVariantMap{{"VRPREUNIT", 9.99}} << "2" << "alterado";
    QTest::newRow("name loaded as null") << "" << QVariantMap{{"NMPRODUTO", QVariant()}} << "2" << "alterado";
    QTest::newRow("edit of another product") << "" << QVariantMap() << "3" << "não é a do produto lido";
}

void TstWriteServices::editOntoAnotherVersionWritesNothing()
{
    QFETCH(QString, sql);
    QFETCH(QVariantMap, lido);
    QFETCH(QString, codigo);
    QFETCH(QString, recusa);
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    for (const char *c : {"2", "3"})
        insereProduto(db, produto(QLatin1String(c), QLatin1String(c)));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w("2").c_str(), &out), 0);
    TDataPacket edicao = toDataPacket(out), carregado = edicao;
    for (auto it = lido.cbegin(); it != lido.cend(); ++it)
        carregado.rows[0][carregado.fieldIndex(it.key())] = it.value();
    edicao.rows[0][edicao.fieldIndex(QStringLiteral("NMPRODUTO"))] = QStringLiteral("Meu nome");
    edicao.rows[0][edicao.fieldIndex(QStringLiteral("CDPRODUTO"))] = codigo;
    for (const QString &s : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        db.exec(s);
    const QVariant e = fromDataPacket(edicao), l = fromDataPacket(carregado);
    QCOMPARE(setAltProduto(&e, &l, &out), 0);
    if (recusa == QLatin1String("alterado"))
        QVERIFY2(isDataPacket(out) && valor(toDataPacket(out), 0, QStringLiteral("CDPRODUTO")).toString() == QLatin1String("2"), qPrintable(out.toString()));
    else
        QVERIFY2(recusa.isEmpty() ? !out.isValid() : out.toString().contains(recusa), qPrintable(out.toString()));
    QCOMPARE(db.count(QStringLiteral("PRODUTO"), QStringLiteral("NMPRODUTO = 'Meu nome'")), recusa.isEmpty() ? 1 : 0);
    // Another session takes the terminals' lock (SQLite: the write lock) at once.
    QVERIFY(db.onPostgreSQL() ? db.scalar(QStringLiteral("SELECT pg_try_advisory_xact_lock(728200002)")).toBool()
                              : (db.exec(QStringLiteral("BEGIN IMMEDIATE")), db.exec(QStringLiteral("ROLLBACK")), true));
}

void TstWriteServices::driverFailuresExplained_data()
{
    QTest::addColumn<bool>("servidor");      // the case needs a server engine, else SQLite
    QTest::addColumn<QString>("outra");      // what another session holds meanwhile
    QTest::addColumn<QString>("modulo");     // set on the module's own connection
    QTest::addColumn<QString>("frase");      // the sentence before the driver's text
    QTest::addColumn<QString>("driver");     // and the driver's text
    QTest::newRow("busy") << false << "BEGIN IMMEDIATE" << "PRAGMA busy_timeout = 200"
                          << "Outro terminal está gravando no banco de dados; tente de novo" << "database is locked";
    QTest::newRow("disk full") << false << "" << "PRAGMA max_page_count = 1"
                               << "O disco do banco de dados está cheio" << "full";
    QTest::newRow("read-only") << false << "" << "PRAGMA query_only = 1"
                               << "O arquivo do banco de dados está somente para leitura" << "readonly";
    QTest::newRow("time-out") << true << "LOCK TABLE PRODUTO IN ACCESS EXCLUSIVE MODE" << ""
                              << "O banco de dados não respondeu a tempo" << "cancel";
}

void TstWriteServices::driverFailuresExplained()
{
    QFETCH(bool, servidor);
    QFETCH(QString, outra);
    QFETCH(QString, modulo);
    QFETCH(QString, frase);
    QFETCH(QString, driver);
    if (servidor != TestDb::onPostgreSQL(TestDb::currentEngine()))
        QSKIP("another engine's case");
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("1")));
    Modulo m(db.connectionString());
    if (!modulo.isEmpty())
        QVERIFY(QSqlQuery(rdmCadProd->adcCadProd->Database()).exec(modulo));
    rdmCadProd->adqProdutoLista->CommandTimeout = 1;
    {
        QSqlDatabase d = QSqlDatabase::cloneDatabase(db.db().connectionName(), QStringLiteral("qul_outra"));
        QVERIFY(d.open());
        QSqlQuery q(d);
        if (!outra.isEmpty())
            QVERIFY2((servidor ? q.exec(QStringLiteral("BEGIN")) : true) && q.exec(outra), qPrintable(q.lastError().text()));
        QVariant out;
        QElapsedTimer relogio;
        relogio.start();
        if (servidor)
            QCOMPARE(getProduto(w("T").c_str(), &out), 0);
        else {
            TDataPacket p = pacote(novo());
            acrescentaCopias(p, modulo.contains(QLatin1String("max_page_count")) ? 1000 : 1);
            QCOMPARE(salva(p, QStringLiteral("I"), &out), 0);
        }
        QVERIFY(relogio.elapsed() < 5000 && (!servidor || relogio.elapsed() >= 950));  // a time-out of 1 s
        QVERIFY2(out.toString().startsWith(frase) && out.toString().contains(driver, Qt::CaseInsensitive),
                 qPrintable(out.toString()));
        q.exec(QStringLiteral("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("qul_outra"));
    QCOMPARE(totalLinhas(db), 4);
}

QTEST_GUILESS_MAIN(TstWriteServices)
#include "tst_writeservices.moc"
