// An edit checked against the product as it was read, on every engine:
// another connection changes any of the product's four rows, or deletes
// it, between the read and the save; the save then writes nothing and
// hands back the product as it is stored now.

#include "ModuleFixture.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Every column of the product's rows in the four tables, as the other
// connection sees them.
QStringList linhas(const TestDb::Fresh &db, const QString &codigo)
{
    QStringList t;
    for (const char *tabela : {"PRODUTO", "ITEMPRECO", "ALIQIMPFIS", "PRODLOJA"}) {
        QSqlQuery q(db.db());
        if (!q.exec(QStringLiteral("SELECT * FROM %1 WHERE CDPRODUTO = '%2'").arg(QLatin1String(tabela), codigo)))
            return {q.lastError().text()};
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                t << q.value(i).toString();
    }
    return t;
}

}  // namespace

class TstEdicaoConferida : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { registerDataPacketType(); }

    void outraConexaoMudouOProduto_data()
    {
        QTest::addColumn<QString>("outra");  // what the other connection runs; statements split by ';'
        QTest::addColumn<int>("atuais");     // rows handed back; -1: the save goes through
        QTest::newRow("nada") << QString() << -1;
        QTest::newRow("nome") << "UPDATE PRODUTO SET NMPRODUTO = 'Outro' WHERE CDPRODUTO = '2'" << 1;
        QTest::newRow("preço") << "UPDATE ITEMPRECO SET VRPRECITEM = 11.11 WHERE CDPRODUTO = '2'" << 1;
        QTest::newRow("alíquota") << "UPDATE ALIQIMPFIS SET VRPEALIMPFIS = 7 WHERE CDPRODUTO = '2'" << 1;
        QTest::newRow("porta") << "UPDATE PRODLOJA SET CDPORIMPPROD = 'LPT1' WHERE CDPRODUTO = '2'" << 1;
        QTest::newRow("excluído") << "DELETE FROM ITEMPRECO WHERE CDPRODUTO = '2';DELETE FROM ALIQIMPFIS WHERE CDPRODUTO = '2';"
                                     "DELETE FROM PRODLOJA WHERE CDPRODUTO = '2';DELETE FROM PRODUTO WHERE CDPRODUTO = '2'"
                                  << 0;
    }

    void outraConexaoMudouOProduto()
    {
        QFETCH(QString, outra);
        QFETCH(int, atuais);
        QUL_FRESH_DB(db, false);
        insereImpostos(db);
        for (const char *c : {"1", "2", "3"})
            insereProduto(db, produto(QLatin1String(c), QLatin1String(c)));
        Modulo m(db.connectionString());
        QVariant lido;
        QCOMPARE(getProduto(u"2", &lido), 0);
        TDataPacket edicao = toDataPacket(lido);
        QCOMPARE(edicao.rows.size(), 1);
        edicao.rows[0][edicao.fieldIndex(QStringLiteral("NMPRODUTO"))] = QStringLiteral("Minha edição");
        for (const QString &sql : outra.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            db.exec(sql);
        const QStringList antes = linhas(db, QStringLiteral("2"));

        const QVariant pacote = fromDataPacket(edicao);
        QVariant out;
        QCOMPARE(setAltProduto(&pacote, &lido, &out), 0);
        QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
        if (atuais < 0) {
            QVERIFY2(!out.isValid(), qPrintable(out.toString()));
            QCOMPARE(db.scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'")).toString(),
                     QStringLiteral("Minha edição"));
            return;
        }
        QVERIFY2(isDataPacket(out), qPrintable(out.toString()));
        const TDataPacket atual = toDataPacket(out);
        QCOMPARE(atual.rows.size(), atuais);
        QVariant agora;
        QCOMPARE(getProduto(u"2", &agora), 0);
        QCOMPARE(atual.rows, toDataPacket(agora).rows);
        QCOMPARE(linhas(db, QStringLiteral("2")), antes);  // nothing of the edit was written
        QCOMPARE(db.count(QStringLiteral("PRODUTO")), atuais ? 3 : 2);
    }
};

QTEST_GUILESS_MAIN(TstEdicaoConferida)
#include "tst_edicaoconferida.moc"
