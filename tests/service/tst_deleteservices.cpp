// The delete service on every engine: the four rows of a product go together, a
// refused delete removes nothing, a failure half-way undoes what was done.

#include "WriteFixture.h"

class TstDeleteServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void deleteRemovesTheFourRows();
    void deleteRefusals();
    void failingThirdDeleteUndoesTheFirstTwo();
};

void TstDeleteServices::deleteRemovesTheFourRows()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    insereProduto(db, produto(QStringLiteral("6"), QStringLiteral("6")));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(setDelProduto(w("5").c_str(), &out), 0);
    QCOMPARE(out.metaType().id(), int(QMetaType::QVariantList));
    QCOMPARE(out.toList().size(), 2);
    QCOMPARE(out.toList()[0].toString(), QStringLiteral("OK"));
    QVERIFY(!out.toList()[1].isValid());
    QCOMPARE(linhasDoProduto(db, QStringLiteral("5")), 0);
    QCOMPARE(linhasDoProduto(db, QStringLiteral("6")), 4);
    // A code no product carries: "OK", nothing removed.
    QCOMPARE(setDelProduto(w("404").c_str(), &out), 0);
    QCOMPARE(out.toList()[0].toString(), QStringLiteral("OK"));
    QCOMPARE(totalLinhas(db), 4);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
}

void TstDeleteServices::deleteRefusals()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    for (const char *c : {"1", "2", "3", "4"})
        insereProduto(db, produto(QLatin1String(c), QLatin1String(c)));
    db.exec(QStringLiteral("INSERT INTO ITEMVENDA (NRVENDA, NRITEM, CDPRODUTO, QTITEM, VRITEM) VALUES (1, 1, '1', 1, 2)"));
    db.exec(QStringLiteral("INSERT INTO ITCOMANDAVEN (NRCOMANDA, NRITEM, CDPRODUTO, QTITEM) VALUES (1, 1, '2', 1)"));
    db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (IDTPBUTTON, NRBUTTON, NRPGCONFTELA, DSBUTTON) VALUES ('G', '1', '1', 'Padaria')"));
    db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (IDTPBUTTON, NRBUTTON, NRPGCONFTELA, DSBUTTON) VALUES ('G', '2', '1', 'Lanches')"));
    for (const auto &[nr, grupo, prod] : {std::tuple{"11", "1", "3"}, std::tuple{"21", "2", "3"}, std::tuple{"12", "1", "1"}})
        db.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (IDTPBUTTON, NRBUTTON, NRPGCONFTELA, DSBUTTON, IDTPBUTONAUX, NRBUTTONAUX, "
                               "NRPGCONFTAUX, CDIDENTBUTON) VALUES ('P', '%1', '1', 'Botão', 'G', '%2', '1', '%3')")
                    .arg(QLatin1String(nr), QLatin1String(grupo), QLatin1String(prod)));
    Modulo m(db.connectionString());
    QVariant out;
    const int before = totalLinhas(db);

    QCOMPARE(setDelProduto(w("1").c_str(), &out), 0);  // sale and configuration: the sale wins
    QCOMPARE(out.toList()[0].toString(), QStringLiteral("VENDA"));
    QVERIFY(!out.toList()[1].isValid());
    QCOMPARE(setDelProduto(w("2").c_str(), &out), 0);  // order pad only
    QCOMPARE(out.toList()[0].toString(), QStringLiteral("VENDA"));
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());

    QCOMPARE(setDelProduto(w("3").c_str(), &out), 0);  // a button in two groups
    QCOMPARE(out.toList()[0].toString(), QStringLiteral("CONFTE"));
    const TDataPacket grupos = toDataPacket(out.toList()[1]);
    QCOMPARE(grupos.fields.size(), 2);
    QCOMPARE(grupos.fields[0].name, QStringLiteral("IDTPBUTTON"));
    QCOMPARE(grupos.fields[1].name, QStringLiteral("DSBUTTON"));
    QCOMPARE(grupos.rows.size(), 2);
    QSet<QString> nomes{valor(grupos, 0, "DSBUTTON").toString(), valor(grupos, 1, "DSBUTTON").toString()};
    QCOMPARE(nomes, (QSet<QString>{"Padaria", "Lanches"}));
    QCOMPARE(totalLinhas(db), before);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());

    // After a refusal a save opens its own transaction and commits.
    QCOMPARE(salva(pacote(novo()), QStringLiteral("I"), &out), 0);
    QVERIFY2(!out.isValid(), qPrintable(out.toString()));
    QCOMPARE(linhasDoProduto(db, QStringLiteral("5")), 4);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
}

void TstDeleteServices::failingThirdDeleteUndoesTheFirstTwo()
{
    QUL_FRESH_DB(db, false);
    insereImpostos(db);
    insereProduto(db, produto(QStringLiteral("5"), QStringLiteral("5")));
    falhaEm(db, QStringLiteral("ALIQIMPFIS"), QStringLiteral("DELETE"));
    Modulo m(db.connectionString());
    QVariant out;
    QCOMPARE(setDelProduto(w("5").c_str(), &out), 0);
    QVERIFY(isFailureText(out));
    QVERIFY(out.toString().contains(QStringLiteral("falha forçada")));
    QCOMPARE(linhasDoProduto(db, QStringLiteral("5")), 4);
    QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
}

QTEST_GUILESS_MAIN(TstDeleteServices)
#include "tst_deleteservices.moc"
