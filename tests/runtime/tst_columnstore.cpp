// The dataset's rows kept by column: every field type's values, nulls and
// empty forms come back as they went in, and rows inserted, edited and
// deleted in the middle leave their neighbours' values in place.
#include "DataSet.h"

#include <QtTest>

class TstColumnStore : public QObject {
    Q_OBJECT
private slots:
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void middleRowsChangeAlone();
};

void TstColumnStore::valuesRoundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("sorted");  // the rows in the column's order: nulls first
    const QDateTime dt(QDate(2024, 2, 29), QTime(23, 59, 58, 7));
    QTest::newRow("string") << int(TFieldType::ftString)
                            << QVariantList{QStringLiteral("ação"), QVariant(), QString(), QStringLiteral(""), QStringLiteral("x")}
                            << QList<int>{1, 2, 3, 0, 4};
    QTest::newRow("float") << int(TFieldType::ftFloat) << QVariantList{0.1, QVariant(), -0.0, 1e300, 2.5}
                           << QList<int>{1, 2, 0, 4, 3};
    QTest::newRow("integer") << int(TFieldType::ftInteger)
                             << QVariantList{qint64(-1), QVariant(), qint64(0), TDataPacket::MaxExactInteger, qint64(7)}
                             << QList<int>{1, 0, 2, 4, 3};
    QTest::newRow("datetime") << int(TFieldType::ftDateTime)
                              << QVariantList{dt, QVariant(), QDateTime(), QDateTime(QDate(1, 1, 1), QTime(0, 0)), dt.addMSecs(-1)}
                              << QList<int>{1, 2, 3, 4, 0};
    QTest::newRow("boolean") << int(TFieldType::ftBoolean) << QVariantList{true, QVariant(), false, true, false}
                             << QList<int>{1, 2, 4, 0, 3};
}

void TstColumnStore::valuesRoundTrip()
{
    QFETCH(int, type);
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, sorted);
    TDataPacket p;
    p.fields = {{QStringLiteral("A"), TFieldType(type), 10}, {QStringLiteral("B"), TFieldType::ftString, 5}};
    for (const QVariant &v : values)
        p.rows.append({v, v.isValid() ? QStringLiteral("b") : QString()});
    TClientDataSet ds;
    ds.SetData(p);
    const TDataPacket back = ds.Data();
    QCOMPARE(back.rows.size(), values.size());
    for (int r = 0; r < values.size(); ++r) {
        const QVariant got = ds.valueAt(r, 0);
        QCOMPARE(got.isValid(), values[r].isValid());
        QCOMPARE(got.metaType(), values[r].metaType());
        QCOMPARE(got, values[r]);
        if (type == int(TFieldType::ftString) && got.isValid())
            QCOMPARE(got.toString().isNull(), values[r].toString().isNull());
        if (type == int(TFieldType::ftDateTime) && got.isValid())
            QCOMPARE(got.toDateTime().isValid(), values[r].toDateTime().isValid());
        QCOMPARE(back.rows[r][0], values[r]);
        QCOMPARE(ds.valueAt(r, 1), p.rows[r][1]);
    }
    ds.SetIndexFieldNames(QStringLiteral("A"));
    for (int r = 0; r < values.size(); ++r)
        QCOMPARE(ds.valueAt(r, 0), values[sorted[r]]);
}

void TstColumnStore::middleRowsChangeAlone()
{
    TClientDataSet ds;
    ds.AddField(QStringLiteral("COD"), TFieldType::ftString, 20);
    ds.AddField(QStringLiteral("VAL"), TFieldType::ftFloat);
    ds.CreateDataSet();
    QStringList want;
    for (int i = 0; i < 6; ++i) {
        ds.Append();
        ds.FieldByName(QStringLiteral("COD"))->SetAsString(QString(i + 1, QLatin1Char('a' + i)));
        ds.FieldByName(QStringLiteral("VAL"))->SetAsFloat(i);
        ds.Post();
        want << QString(i + 1, QLatin1Char('a' + i));
    }
    const auto check = [&] {
        QCOMPARE(ds.RecordCount(), want.size());
        for (int r = 0; r < want.size(); ++r) {
            QCOMPARE(ds.valueAt(r, 0).toString(), want[r]);
            QCOMPARE(ds.valueAt(r, 0).toString().isNull(), want[r].isNull());
        }
    };
    ds.SetRecNo(3);
    ds.Insert();  // after row 3
    ds.FieldByName(QStringLiteral("COD"))->SetAsString(QStringLiteral("novo-mais-longo"));
    ds.Post();
    want.insert(3, QStringLiteral("novo-mais-longo"));
    check();
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName(QStringLiteral("COD"))->SetAsString(QString());
    ds.Post();
    want[1] = QString();
    check();
    QVERIFY(ds.Locate(QStringLiteral("COD"), QStringLiteral("NOVO-MAIS-LONGO")));
    QCOMPARE(ds.RecNo(), 4);
    ds.Delete();
    want.removeAt(3);
    check();
    ds.SetRecNo(1);
    ds.Delete();
    want.removeAt(0);
    check();
    QCOMPARE(ds.valueAt(0, 1), QVariant(1.0));
    QVERIFY(ds.Locate(QStringLiteral("VAL"), 5));
    QCOMPARE(ds.FieldByName(QStringLiteral("COD"))->AsString(), QStringLiteral("ffffff"));
    TClientDataSet curto;  // the rows by column into narrower declared fields: their texts cut
    curto.AddField(QStringLiteral("COD"), TFieldType::ftString, 3);
    curto.AddField(QStringLiteral("VAL"), TFieldType::ftFloat);
    curto.CreateDataSet();
    curto.CopyRowsFrom(ds);
    QCOMPARE(curto.valueAt(4, 0), QVariant(QStringLiteral("fff")));
}

QTEST_GUILESS_MAIN(TstColumnStore)
#include "tst_columnstore.moc"
