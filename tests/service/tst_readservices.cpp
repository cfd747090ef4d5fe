// The read side of the product data service, on every engine from the
// same code: the statement catalogue, the four read services and the
// transaction methods.

#include "ModuleFixture.h"
#include "ProductPacket.h"
#include "ServiceThread.h"
#include "NamedParameters.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <thread>

class TstReadServices : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }

    void catalogueRunsInEveryDialect();
    void catalogueParametersOccurInTheirTexts();
    void productPacketLayout();
    void productByCode();
    void numericOrderOfReducedCodes();
    void mergeRulesForMissingSideRows();
    void priceFilterComparesTexts();
    void textsCutToFieldWidths();
    void nonNumericReducedCodeFailsTheQuery_data();
    void nonNumericReducedCodeFailsTheQuery();
    void outputEmptiedOnEntry();
    void taxesAndUnits();
    void clashPacket();
    void transactionMethods();
    void connectionStringFetchedAtEveryConnect();
    void freshnessEntry();
    void otherThreadRefused();
};

void TstReadServices::catalogueRunsInEveryDialect()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    TADOConnection *con = rdmCadProd->adcCadProd;
    const TDialect expected =
        db.engine() == TestDb::Engine::SQLite ? TDialect::SQLite : TDialect::PostgreSQL;
    QCOMPARE(con->Dialect(), expected);
    const QList<TADOStatement *> all = rdmCadProd->statements();
    QCOMPARE(all.size(), 23);  // eleven queries, twelve commands
    for (TADOStatement *st : all) {
        const QString text = st->effectiveText();
        const TParsedSql parsed = parseNamedParameters(text);
        QSqlQuery q(con->Database());
        QVERIFY2(q.prepare(parsed.text), qPrintable(text + QStringLiteral(" -> ") + q.lastError().text()));
    }
}

void TstReadServices::catalogueParametersOccurInTheirTexts()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    for (TADOStatement *st : rdmCadProd->statements()) {
        QList<QString> texts{st->effectiveText()};
        for (auto it = st->DialectSQL.cbegin(); it != st->DialectSQL.cend(); ++it)
            texts.append(it->join(QLatin1Char('\n')));
        for (const QString &text : texts) {
            const QStringList used = parseNamedParameters(text).occurrences;
            for (const TParameter &p : st->Parameters.items())
                QVERIFY2(used.contains(p.Name, Qt::CaseInsensitive), qPrintable(p.Name + QStringLiteral(" in ") + text));
            for (const QString &u : used)
                QVERIFY2(st->Parameters.FindParam(u), qPrintable(u));
        }
    }
    // The two dialect stores hold the texts the server engines need.
    QVERIFY(rdmCadProd->assProduto->SQLMSSQL.last().contains(QLatin1String("CONVERT(INT, CDPRODINTE)")));
    QVERIFY(rdmCadProd->assProduto->SQLORACLE.last().contains(QLatin1String("TO_NUMBER(CDPRODINTE)")));
    QVERIFY(rdmCadProd->assItemPreco->SQLORACLE.join(QString()).contains(QLatin1String("TO_CHAR(DTINIVGPREC, 'DD/MM/YYYY')")));
    QVERIFY(rdmCadProd->assItemPreco->SQLMSSQL.join(QString()).contains(QLatin1String("CONVERT(CHAR, DTINIVGPREC, 103)")));
}

void TstReadServices::productPacketLayout()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    QVERIFY2(isDataPacket(out), qPrintable(out.toString()));
    const TDataPacket p = toDataPacket(out);
    QCOMPARE(p.rows.size(), 0);
    const QStringList names{"CDPRODUTO", "CDARVPROD", "CDBARPRODUTO", "NMPRODUTO", "SGUNIDADE",
                            "VRPREUNIT", "IDPESAPROD", "QTTARAPROD", "CDPRODINTE", "VRPRECITEM",
                            "CDIMPOSTO", "CDPORIMPPROD", "VRPEALIMPFIS", "SGIMPOSTO", "IDTPIMPOSFIS"};
    const QList<int> sizes{10, 20, 30, 50, 10, 0, 1, 0, 20, 0, 2, 5, 0, 10, 1};
    QCOMPARE(p.fields.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(p.fields[i].name, names[i]);
        QCOMPARE(p.fields[i].size, sizes[i]);
        QCOMPARE(p.fields[i].type, sizes[i] ? TFieldType::ftString : TFieldType::ftFloat);
    }
}

void TstReadServices::productByCode()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("5")));
    insereProduto(db, produto(QStringLiteral("2"), QStringLiteral("6")));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("2")).c_str(), &out), 0);
    TDataPacket p = toDataPacket(out);
    QCOMPARE(p.rows.size(), 1);
    QCOMPARE(valor(p, 0, "CDPRODUTO").toString(), QStringLiteral("2"));
    QCOMPARE(valor(p, 0, "VRPRECITEM").toDouble(), 1.5);
    QCOMPARE(valor(p, 0, "SGIMPOSTO").toString(), QStringLiteral("T18"));
    QCOMPARE(valor(p, 0, "CDPORIMPPROD").toString(), QStringLiteral("COM1"));
    // VRPREUNIT stays null, whatever the product row holds.
    QVERIFY(!valor(p, 0, "VRPREUNIT").isValid());

    QCOMPARE(getProduto(w(QStringLiteral("99")).c_str(), &out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 0);
    QCOMPARE(toDataPacket(out).fields, productPacketFields());
}

void TstReadServices::numericOrderOfReducedCodes()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    const QStringList reduced{"10", "2", "1001", "3", "100"};
    for (int i = 0; i < reduced.size(); ++i)
        insereProduto(db, produto(QString::number(i + 1), reduced[i]));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    const TDataPacket p = toDataPacket(out);
    QStringList got;
    for (int r = 0; r < p.rows.size(); ++r)
        got << valor(p, r, "CDPRODINTE").toString();
    QCOMPARE(got, (QStringList{"2", "3", "10", "100", "1001"}));
    for (int r = 0; r < p.rows.size(); ++r)
        QVERIFY(!valor(p, r, "VRPREUNIT").isValid());
    // One product's place by its reduced code alone: -1 when none has it, -2 when several do.
    const auto lugar = [](const char16_t *reduzido) {
        QVariant o;
        return getProdutoNaLista(u"", reduzido, &o) == 0 ? o.toList().value(1).toInt() : -9;
    };
    QCOMPARE(lugar(u"100"), 3);
    QCOMPARE(lugar(u"7"), -1);
    db.exec(QStringLiteral("UPDATE PRODUTO SET CDPRODINTE = '100' WHERE CDPRODUTO = '1'"));
    QCOMPARE(lugar(u"100"), -2);
}

void TstReadServices::mergeRulesForMissingSideRows()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    ProdutoTeste a = produto(QStringLiteral("1"), QStringLiteral("1"));
    a.comPreco = a.comAliquota = a.comLoja = false;
    insereProduto(db, a);
    ProdutoTeste b = produto(QStringLiteral("2"), QStringLiteral("2"));
    b.imposto = QStringLiteral("ZZ");  // a rate whose tax does not exist drops out of the join
    insereProduto(db, b);
    db.exec(QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = NULL, QTTARAPROD = NULL WHERE CDPRODUTO = '2'"));
    db.exec(QStringLiteral("UPDATE PRODLOJA SET CDPORIMPPROD = NULL WHERE CDPRODUTO = '2'"));
    // A price row of another price table is not the product's price.
    db.exec(QStringLiteral("INSERT INTO ITEMPRECO (CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, VRPRECITEM) "
                           "VALUES ('9999', '002', '2012-01-01 00:00:00', '1', '1', 77)"));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    const TDataPacket p = toDataPacket(out);
    QCOMPARE(p.rows.size(), 2);  // no product left out for lacking side rows
    QCOMPARE(valor(p, 0, "VRPRECITEM"), QVariant(0.0));
    QCOMPARE(valor(p, 0, "VRPEALIMPFIS"), QVariant(0.0));
    QCOMPARE(valor(p, 0, "CDIMPOSTO"), QVariant(QString()));
    QCOMPARE(valor(p, 0, "SGIMPOSTO"), QVariant(QString()));
    QCOMPARE(valor(p, 0, "IDTPIMPOSFIS"), QVariant(QString()));
    QCOMPARE(valor(p, 0, "CDPORIMPPROD"), QVariant(QString()));
    QCOMPARE(valor(p, 1, "NMPRODUTO"), QVariant(QString()));
    QCOMPARE(valor(p, 1, "QTTARAPROD"), QVariant(0.0));
    QCOMPARE(valor(p, 1, "CDPORIMPPROD"), QVariant(QString()));
    QCOMPARE(valor(p, 1, "CDIMPOSTO"), QVariant(QString()));
    QCOMPARE(valor(p, 1, "VRPRECITEM"), QVariant(1.5));
}

void TstReadServices::priceFilterComparesTexts()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    const QList<QPair<QString, double>> starts{{"2010-03-15 00:00:00", 10.0},   // '15/03/2010' >= '01/01/2011'
                                               {"2010-01-01 00:00:00", 20.0},   // '01/01/2010' <  '01/01/2011'
                                               {"2011-01-01 00:00:00", 30.0}};  // equal
    for (int i = 0; i < starts.size(); ++i) {
        ProdutoTeste p = produto(QString::number(i + 1), QString::number(i + 1));
        p.inicioPreco = starts[i].first;
        p.preco = starts[i].second;
        insereProduto(db, p);
    }
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    const TDataPacket p = toDataPacket(out);
    QCOMPARE(valor(p, 0, "VRPRECITEM").toDouble(), 10.0);
    QCOMPARE(valor(p, 1, "VRPRECITEM").toDouble(), 0.0);
    QCOMPARE(valor(p, 2, "VRPRECITEM").toDouble(), 30.0);
}

void TstReadServices::textsCutToFieldWidths()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    if (db.onPostgreSQL()) {
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN NMPRODUTO TYPE VARCHAR(80)"));
        db.exec(QStringLiteral("ALTER TABLE PRODLOJA ALTER COLUMN CDPORIMPPROD TYPE VARCHAR(20)"));
    }
    ProdutoTeste p = produto(QStringLiteral("1"), QStringLiteral("1"));
    p.nome = QString(60, QLatin1Char('N')) + QStringLiteral("çã");
    p.porta = QStringLiteral("COM1-EXTRA");
    insereProduto(db, p);
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    const TDataPacket pk = toDataPacket(out);
    QCOMPARE(valor(pk, 0, "NMPRODUTO").toString(), QString(50, QLatin1Char('N')));
    QCOMPARE(valor(pk, 0, "CDPORIMPPROD").toString(), QStringLiteral("COM1-"));
}

void TstReadServices::nonNumericReducedCodeFailsTheQuery_data()
{
    QTest::addColumn<QString>("estraga");   // what another tool stored for product 2
    QTest::addColumn<QString>("mensagem");  // names the product and the value
    QTest::newRow("letters") << "UPDATE PRODUTO SET CDPRODINTE = '12A' WHERE CDPRODUTO = '2'"
                             << "O produto de código '2' tem o código reduzido '12A', que não é um número";
    QTest::newRow("empty") << "UPDATE PRODUTO SET CDPRODINTE = '' WHERE CDPRODUTO = '2'"
                           << "O produto de código '2' tem o código reduzido '', que não é um número";
    QTest::newRow("price no number") << "UPDATE ITEMPRECO SET VRPRECITEM = 'abc' WHERE CDPRODUTO = '2'"
                                     << "na linha de CDPRODUTO = '2'";
}

void TstReadServices::nonNumericReducedCodeFailsTheQuery()
{
    QFETCH(QString, estraga);
    QFETCH(QString, mensagem);
    QUL_FRESH_DB(db, false);
    if (estraga.contains(QLatin1String("VRPRECITEM")) && db.onPostgreSQL())
        QSKIP("a numeric column holds only numbers there");
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("12")));
    insereProduto(db, produto(QStringLiteral("2"), QStringLiteral("13")));
    db.exec(estraga);
    Modulo m(db.connectionString());
    QVariant out = QStringLiteral("lixo anterior");
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    QVERIFY(!isDataPacket(out));
    QVERIFY(isFailureText(out));
    QVERIFY2(out.toString().contains(mensagem), qPrintable(out.toString()));
    // The module keeps no error state: the next call works.
    for (const char *t : {"ITEMPRECO", "PRODUTO"})
        db.exec(QStringLiteral("DELETE FROM %1 WHERE CDPRODUTO = '2'").arg(QLatin1String(t)));
    QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 1);
}

void TstReadServices::outputEmptiedOnEntry()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    db.exec(QStringLiteral("DROP TABLE UNIDMEDIDA"));
    QVariant out = fromDataPacket(TDataPacket{});
    QCOMPARE(getUnidade(&out), 0);
    QVERIFY(isFailureText(out));
    // A null output reference is a failure status, not a crash.
    QVERIFY(getUnidade(nullptr) < 0);
    QVERIFY(getProduto(nullptr, nullptr) < 0);
}

void TstReadServices::taxesAndUnits()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('UN', 'Unidade')"));
    db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('KG', 'Quilograma')"));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(getImposto(&out), 0);
    TDataPacket p = toDataPacket(out);
    QCOMPARE(p.fields.size(), 4);
    QCOMPARE(p.fields[0].name, QStringLiteral("CDIMPOSTO"));
    QCOMPARE(p.fields[3].name, QStringLiteral("IDTPIMPOSFIS"));
    QStringList codes;
    for (int r = 0; r < p.rows.size(); ++r)
        codes << valor(p, r, "CDIMPOSTO").toString();
    QCOMPARE(codes, (QStringList{"00", "01", "03", "II"}));
    QCOMPARE(getUnidade(&out), 0);
    p = toDataPacket(out);
    QCOMPARE(p.rows.size(), 2);
    QCOMPARE(valor(p, 0, "SGUNIDADE").toString(), QStringLiteral("KG"));
    QCOMPARE(valor(p, 0, "DSUNIDADE").toString(), QStringLiteral("Quilograma"));
}

void TstReadServices::clashPacket()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    ProdutoTeste a = produto(QStringLiteral("1"), QStringLiteral("10"));
    a.barras = QStringLiteral("7891000001011");
    insereProduto(db, a);
    ProdutoTeste b = produto(QStringLiteral("2"), QStringLiteral("20"));
    b.barras = QStringLiteral("7891000001028");
    insereProduto(db, b);
    Modulo m(db.connectionString());
    QVariant out;
    // A new product whose reduced code and bar code both clash: two rows.
    QCOMPARE(getVd_Produto(w("T").c_str(), w("7891000001028").c_str(), w("10").c_str(), &out), 0);
    TDataPacket p = toDataPacket(out);
    QCOMPARE(p.fields.size(), 2);
    QCOMPARE(p.fields[0].name, QStringLiteral("CDPRODINTE"));
    QCOMPARE(p.rows.size(), 2);
    QSet<QString> rows;
    for (int r = 0; r < 2; ++r)
        rows << valor(p, r, "CDPRODINTE").toString() + QLatin1Char('|') + valor(p, r, "CDBARPRODUTO").toString();
    QCOMPARE(rows, (QSet<QString>{"10|", "|7891000001028"}));
    // The product's own codes are no clash with itself (every occurrence
    // of the repeated parameter takes the value).
    QCOMPARE(getVd_Produto(w("1").c_str(), w("7891000001011").c_str(), w("10").c_str(), &out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 0);
    QCOMPARE(getVd_Produto(w("2").c_str(), w("7891000001011").c_str(), w("10").c_str(), &out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 2);
    // No clash at all.
    QCOMPARE(getVd_Produto(w("T").c_str(), w("123").c_str(), w("99").c_str(), &out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 0);
}

void TstReadServices::transactionMethods()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    TrdmCadProd *dm = rdmCadProd;
    QVERIFY(!dm->adcCadProd->InTransaction());
    dm->RollbackTrans();  // nothing open: nothing happens
    dm->CommitTrans();
    dm->StartTrans();
    dm->StartTrans();  // no nesting
    QVERIFY(dm->adcCadProd->InTransaction());
    dm->acmDelProd->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = QStringLiteral("x");
    dm->acmDelProd->Execute();
    dm->CommitTrans();
    QVERIFY(!dm->adcCadProd->InTransaction());
    dm->CommitTrans();
    dm->RollbackTrans();

    // A rolled-back transaction leaves nothing.
    dm->StartTrans();
    QSqlQuery q(dm->adcCadProd->Database());
    QVERIFY(q.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES ('ZZ', 'Teste')")));
    dm->RollbackTrans();
    QVERIFY(!dm->adcCadProd->InTransaction());
    QCOMPARE(db.count(QStringLiteral("UNIDMEDIDA")), 0);

    // An error inside a PostgreSQL transaction leaves it open (aborted)
    // until rolled back; InTransaction still sees it.
    dm->StartTrans();
    QVERIFY(!q.exec(QStringLiteral("SELECT * FROM TABELA_QUE_NAO_EXISTE")));
    QVERIFY(dm->adcCadProd->InTransaction());
    dm->RollbackTrans();
    QVERIFY(!dm->adcCadProd->InTransaction());
    if (db.onPostgreSQL()) {  // the store check on a session the server ended: a failure, not unreadable tables
        QVERIFY(q.exec(QStringLiteral("SELECT pg_backend_pid()")) && q.next());
        db.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(q.value(0).toLongLong()));
        QVariant out;
        QCOMPARE(QulVerificaBanco(&out), 0);
        QVERIFY2(isFailureText(out), qPrintable(out.toString()));
    }
}

void TstReadServices::connectionStringFetchedAtEveryConnect()
{
    QUL_FRESH_DB(a, false);
    insereImpostos(a);
    {
        Modulo m(a.connectionString());
        QVariant out;
        QCOMPARE(getImposto(&out), 0);
        QCOMPARE(toDataPacket(out).rows.size(), 4);
    }
    // A second opening takes the string that holds at that moment.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("outra.db"));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("outra"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        StoreDb::createSchema(other, StoreDb::Engine::SQLite);
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outra"));
    Modulo m(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(path));
    QVariant out;
    QCOMPARE(getImposto(&out), 0);
    QCOMPARE(toDataPacket(out).rows.size(), 0);
    // The entries keep the module in place, whatever the string says now.
    TrdmCadProd *const emUso = rdmCadProd;
    SetStringConexQul(a.connectionString());
    QCOMPARE(QulAbreModuloDados(&out), 0);
    QCOMPARE(QString::fromUtf16(QulUltimoErro()), QString());
    QVERIFY(QulCriaModuloDados(u"Provider=SQLite;Data Source=nenhum.db", &out) != 0);
    QCOMPARE(out.toString(), QStringLiteral("O módulo de dados de produtos já está criado."));
    QCOMPARE(QString::fromUtf16(QulUltimoErro()), out.toString());  // the same refusal, for a caller without `error`
    QCOMPARE(rdmCadProd, emUso);
}

// getProdutoMudou: another connection's committed write is seen, and seen
// again until the next mark; nothing is seen without one.
void TstReadServices::freshnessEntry()
{
    QUL_FRESH_DB(db, false);
    Modulo m(db.connectionString());
    const auto ask = [](const char16_t *op) {
        QVariant out;
        return getProdutoMudou(op, &out) == 0 ? out : QVariant(QStringLiteral("status"));
    };
    QVERIFY(isFailureText(ask(u"V")));  // nothing watched yet
    QVERIFY(!ask(u"I").isValid());
    QVERIFY(!ask(u"M").isValid());
    QCOMPARE(ask(u"V"), QVariant(false));
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("1")));
    if (db.onPostgreSQL())
        db.exec(QStringLiteral("SELECT pg_notify('qul_produto', '')"));  // as the services' writes do
    QTRY_COMPARE(ask(u"V"), QVariant(true));
    QCOMPARE(ask(u"V"), QVariant(true));
    QVERIFY(!ask(u"M").isValid());
    QCOMPARE(ask(u"V"), QVariant(false));
    insereProduto(db, produto(QStringLiteral("2"), QStringLiteral("2")));  // "VM": seen, and marked at once
    if (db.onPostgreSQL())
        db.exec(QStringLiteral("SELECT pg_notify('qul_produto', '')"));
    QTRY_COMPARE(ask(u"V"), QVariant(true));
    QCOMPARE(ask(u"VM"), QVariant(true));
    QCOMPARE(ask(u"V"), QVariant(false));
    QVERIFY(isFailureText(ask(u"Z")));
    if (db.engine() != TestDb::Engine::PostgreSQL)
        return;  // through ODBC, the fingerprint sees every writer
    // A writer that does not notify (psql, another program) is heard only
    // once the store has the notifying triggers, applied twice as a second
    // run would.
    QFile avisos(QStringLiteral(QUL_AVISOS_SQL));
    QVERIFY(avisos.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(avisos.readAll());
    for (const int vezes : {0, 2}) {
        for (int i = 0; i < vezes; ++i)
            db.exec(script);
        for (const char *t : {"ITEMPRECO", "PRODUTO", "ALIQIMPFIS", "PRODLOJA"}) {  // each table's writer
            db.exec(QStringLiteral("UPDATE %1 SET CDPRODUTO = CDPRODUTO").arg(QLatin1String(t)));
            QTest::qWait(vezes ? 0 : 500);
            QTRY_COMPARE(ask(u"V"), QVariant(vezes > 0));
            QVERIFY(!ask(u"M").isValid());
            if (!vezes)
                break;  // unheard without the triggers: one table tells
        }
    }
    db.exec(QStringLiteral("DROP FUNCTION qul_avisa_produtos() CASCADE"));  // as the script says to take it away
}

QTEST_GUILESS_MAIN(TstReadServices)
#include "tst_readservices.moc"

// Another thread's calls, reads and writes, while the creator's run and
// while none does, are refused with a text and leave the module as it is.
void TstReadServices::otherThreadRefused()
{
    QUL_FRESH_DB(db, false);
    insereProduto(db, produto(QStringLiteral("1"), QStringLiteral("5")));
    Modulo m(db.connectionString());
    TrdmCadProd *const criado = rdmCadProd;
    const std::u16string um = w(QStringLiteral("1"));
    std::atomic<bool> fim{false};
    QStringList textos;  // the other thread's answers, each once, then those of the module's entries
    const auto outraLinha = [&](bool repete) {
        std::thread([&] {
            QVariant out;
            int n = 0;
            do {  // a read and a write
                const int32_t st = (n++ % 2 ? setDelProduto : getProduto)(um.c_str(), &out);
                const QString t = QString::number(st) + out.toString().section(u'.', 0, 0);
                if (!textos.contains(t))
                    textos << t;
            } while ((repete && !fim) || n < 2);
            textos << QString::number(QulLiberaModuloDados()) + QString::number(QulCriaModuloDados(u"", &out));
            textos << out.toString().left(16);
        }).join();
    };
    std::thread concorrente([&] { outraLinha(true); });
    for (int i = 0; i < 40; ++i) {
        QVariant out;
        QVERIFY(getProduto(um.c_str(), &out) == 0 && toDataPacket(out).rows.size() == 1);
    }
    fim = true;
    concorrente.join();
    const QString recusa = QStringLiteral("-1Chamada recusada: ");
    QVERIFY2(textos.contains(recusa + "o módulo de dados de produtos pertence a outra linha de execução (thread)"), qPrintable(textos.join(u'|')));
    for (const QString &t : textos.mid(0, textos.size() - 2))
        QVERIFY2(t.startsWith(recusa), qPrintable(textos.join(u'|')));
    QCOMPARE(textos.mid(textos.size() - 2), (QStringList{QStringLiteral("-1-1"), recusa.mid(2, 16)}));
    QCOMPARE(rdmCadProd, criado);
    QCOMPARE(QulLiberaModuloDados(), 0);
    textos.clear();
    {
        const TChamadaNaLinha emCurso;  // a call of this thread running, with no module yet
        outraLinha(false);
    }
    QCOMPARE(textos.first(), recusa + "outra linha de execução (thread) está usando os serviços de produtos");
}
