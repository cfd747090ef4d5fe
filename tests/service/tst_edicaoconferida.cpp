// An edit checked against the product as read, on every engine: another
// connection changes one of the product's four rows, or deletes it, between
// the read and the save; the save writes nothing and hands back the
// product as stored now.

#include "ModuleFixture.h"

#include <QSqlQuery>
#include <QSqlRecord>

class TstEdicaoConferida : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }
    void initTestCase() { registerDataPacketType(); }
    void outraConexaoMudouOProduto_data()
    {
        QTest::addColumn<QString>("outra");  // the other connection's statements, split by ';'
        QTest::addColumn<int>("atuais");     // rows handed back; -1: the save goes through
        QTest::newRow("nada") << QString() << -1;
        QTest::newRow("nome") << "UPDATE PRODUTO SET NMPRODUTO = 'Outro'" << 1;
        QTest::newRow("preço") << "UPDATE ITEMPRECO SET VRPRECITEM = 11.11" << 1;
        QTest::newRow("alíquota") << "UPDATE ALIQIMPFIS SET VRPEALIMPFIS = 7" << 1;
        QTest::newRow("porta") << "UPDATE PRODLOJA SET CDPORIMPPROD = 'LPT1'" << 1;
        QTest::newRow("excluído") << "DELETE FROM ITEMPRECO;DELETE FROM ALIQIMPFIS;DELETE FROM PRODLOJA;DELETE FROM PRODUTO" << 0;
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
        QVariant lido, out;
        QCOMPARE(getProduto(u"2", &lido), 0);
        TDataPacket edicao = toDataPacket(lido);
        edicao.rows[0][edicao.fieldIndex(QStringLiteral("NMPRODUTO"))] = QStringLiteral("Minha edição");
        for (const QString &sql : outra.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            db.exec(sql + QStringLiteral(" WHERE CDPRODUTO = '2'"));
        // Every column of the product's four rows, as the other connection sees them.
        const auto linhas = [&] {
            QStringList t;
            for (const char *tabela : {"PRODUTO", "ITEMPRECO", "ALIQIMPFIS", "PRODLOJA"})
                for (QSqlQuery q(QStringLiteral("SELECT * FROM %1 WHERE CDPRODUTO = '2'").arg(QLatin1String(tabela)), db.db()); q.next();)
                    for (int i = 0; i < q.record().count(); ++i)
                        t << q.value(i).toString();
            return t;
        };
        const QStringList antes = linhas();
        const QVariant pacote = fromDataPacket(edicao);
        QCOMPARE(setAltProduto(&pacote, &lido, &out), 0);
        QVERIFY(!rdmCadProd->adcCadProd->InTransaction());
        QCOMPARE(isDataPacket(out), atuais >= 0);
        QCOMPARE(db.scalar("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = '2'").toString() == QStringLiteral("Minha edição"), atuais < 0);
        if (atuais < 0)
            return;
        QVariant agora;
        QCOMPARE(getProduto(u"2", &agora), 0);
        QCOMPARE(toDataPacket(out).rows.size(), atuais);
        QCOMPARE(toDataPacket(out).rows, toDataPacket(agora).rows);
        QCOMPARE(linhas(), antes);  // nothing of the edit was written
    }
};

QTEST_GUILESS_MAIN(TstEdicaoConferida)
#include "tst_edicaoconferida.moc"
