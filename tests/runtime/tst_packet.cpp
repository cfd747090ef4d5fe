// The data packet (binary and JSON forms) and the client dataset that
// loads it: round trips, binding by name, widths, and hostile input.

#include "DataSet.h"

#include <QJsonDocument>
#include <cmath>
#include <QRandomGenerator>
#include <QtTest>

namespace {

TDataPacket amostra()
{
    TDataPacket p;
    p.fields = {{"CDPRODUTO", TFieldType::ftString, 10}, {"VRPRECITEM", TFieldType::ftFloat, 0},
                {"NRORDEM", TFieldType::ftInteger, 0},   {"DTULTATU", TFieldType::ftDateTime, 0},
                {"IDATIVO", TFieldType::ftBoolean, 0}};
    p.rows.append({QStringLiteral("Pão ç 1"), 12.5, qint64(-7), QDateTime(QDate(2011, 1, 1), QTime(13, 14, 15)), true});
    p.rows.append({QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    p.rows.append({QString(), 0.0, qint64(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)), false});
    return p;
}

}  // namespace

class TstPacket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void binaryRoundTrip();
    void jsonRoundTrip();
    void bothFormsRoundTrip_data();
    void bothFormsRoundTrip();
    void variantTellsPacketFromText();
    void truncatedInputAlwaysRefused();
    void lyingLengthsRefused_data();
    void lyingLengthsRefused();
    void randomCorruptionNeverCrashes();
    void badJsonRefused_data();
    void badJsonRefused();
    void datasetBindsByNameAndCutsTexts();
    void datasetRefusesMissingOrIncompatibleFields();
    void datasetCursorAndEditing();
    void insertPlacesRowAfterCurrent();
    void loadStartsOnFirstRow();
    void locateIndexAndFilter();
    void colourFileOnDisk();
};

void TstPacket::binaryRoundTrip()
{
    const TDataPacket p = amostra();
    const TDataPacket back = TDataPacket::decode(p.encode());
    QCOMPARE(back.fields, p.fields);
    QCOMPARE(back.rows.size(), 3);
    QCOMPARE(back.rows[0][0].toString(), QStringLiteral("Pão ç 1"));
    QCOMPARE(back.rows[0][1].toDouble(), 12.5);
    QCOMPARE(back.rows[0][2].toLongLong(), -7);
    QCOMPARE(back.rows[0][3].toDateTime(), QDateTime(QDate(2011, 1, 1), QTime(13, 14, 15)));
    QCOMPARE(back.rows[0][4].toBool(), true);
    for (const QVariant &v : back.rows[1])
        QVERIFY(!v.isValid());
    QCOMPARE(back.rows[2][0].toString(), QString());
    QVERIFY(back.rows[2][0].isValid());  // an empty text is not a null
    QCOMPARE(TDataPacket::decode(TDataPacket().encode()).fields.size(), 0);
}

void TstPacket::jsonRoundTrip()
{
    const TDataPacket p = amostra();
    const QJsonObject o = p.toJson();
    QCOMPARE(o.value("fields").toArray()[0].toObject().value("size").toInt(), 10);
    QVERIFY(!o.value("fields").toArray()[1].toObject().contains("size"));
    QCOMPARE(o.value("rows").toArray()[0].toArray()[3].toString(), QStringLiteral("2011-01-01T13:14:15"));
    QVERIFY(o.value("rows").toArray()[1].toArray()[0].isNull());
    const TDataPacket back = TDataPacket::fromJson(QJsonDocument::fromJson(QJsonDocument(o).toJson()).object());
    QCOMPARE(back.encode(), p.encode());

    // The text written straight from the rows is the document's text,
    // escapes, non-ASCII text and numbers included.
    TDataPacket t = p;
    t.rows.append({QStringLiteral("a\"b\\c\n\t\x01\x7f é \U0001F600 ") + QChar(0xd800), 1e21, qint64(1) << 60,
                   QDateTime(QDate(2024, 2, 29), QTime(0, 0)), false});
    t.rows.append({QStringLiteral("x"), std::nan(""), qint64(3), QVariant(), QVariant()});
    for (double d : {0.0, -0.0, 120.0, 1e8, 123456789.0, 1e-5, 1e-7, 5e-324, 592.75, 0.1, 1e15, 9.999999999999998e14,
                     9007199254740992.0, 9007199254740994.0, -9007199254740992.0, 4503599627370495.5,
                     12345678901234567890.0, -1.7976931348623157e308})
        t.rows.append({QStringLiteral("n"), d, qint64(d > -9e18 && d < 9e18 ? qint64(d) : 0), QVariant(), true});
    QCOMPARE(t.toJsonText(), QJsonDocument(t.toJson()).toJson(QJsonDocument::Compact));
}

void TstPacket::bothFormsRoundTrip_data()
{
    QTest::addColumn<TDataPacket>("packet");
    TDataPacket vazio = amostra();
    vazio.rows.clear();
    TDataPacket nulos = amostra();
    nulos.rows = {nulos.rows[1]};
    QTest::newRow("sample") << amostra();
    QTest::newRow("no rows") << vazio;
    QTest::newRow("one row of nulls") << nulos;
    QTest::newRow("no fields") << TDataPacket();
}

void TstPacket::bothFormsRoundTrip()
{
    QFETCH(TDataPacket, packet);
    QCOMPARE(TDataPacket::decode(packet.encode()), packet);
    const QByteArray json = QJsonDocument(packet.toJson()).toJson();
    QCOMPARE(TDataPacket::fromJson(QJsonDocument::fromJson(json).object()), packet);
}

void TstPacket::variantTellsPacketFromText()
{
    registerDataPacketType();
    const QVariant v = fromDataPacket(amostra());
    QVERIFY(isDataPacket(v));
    QCOMPARE(QByteArray(v.metaType().name()), QByteArray("TDataPacket"));
    QVERIFY(!isDataPacket(QVariant(QStringLiteral("falha"))));
    QVERIFY(!isDataPacket(QVariant()));
    QVERIFY_THROWS_EXCEPTION(EPacketError, toDataPacket(QVariant(42)));
}

void TstPacket::truncatedInputAlwaysRefused()
{
    const QByteArray full = amostra().encode();
    for (int n = 0; n < full.size(); ++n)
        QVERIFY_THROWS_EXCEPTION(EPacketError, TDataPacket::decode(full.left(n)));
    QVERIFY_THROWS_EXCEPTION(EPacketError, TDataPacket::decode(full + char(0)));
    try {
        TDataPacket::decode("QU");
        QFAIL("a two-byte packet decoded");
    } catch (const EPacketError &e) {
        QVERIFY2(e.Message().contains(QStringLiteral("(cabeçalho)")), qPrintable(e.Message()));
    }
}

void TstPacket::lyingLengthsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const auto le32 = [](quint32 v) { QByteArray b(4, 0); qToLittleEndian(v, b.data()); return b; };
    const QByteArray head = QByteArray("QULP") + char(1);
    QTest::newRow("not a packet") << QByteArray("PK\x03\x04 zip file");
    QTest::newRow("future version") << QByteArray("QULP") + char(9) + QByteArray(6, 0);
    QTest::newRow("field count beyond data") << head + QByteArray("\xff\x0f", 2);
    QTest::newRow("name length beyond data") << head + QByteArray("\x01\x00\xff\x00", 4) + "AB";
    QTest::newRow("unknown type") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(77) + le32(0) + le32(0);
    QTest::newRow("huge field size") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(1) + le32(0xffffffff) + le32(0);
    QTest::newRow("row count lies") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(1) + le32(5) + le32(0x7fffffff) + char(0);
    QTest::newRow("text length lies") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(1) + le32(5) + le32(1) + char(1) + le32(0xfffffff0) + "abc";
    QTest::newRow("bad null tag") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(1) + le32(5) + le32(1) + char(7);
    QTest::newRow("bad utf8") << head + QByteArray("\x01\x00\x02\x00", 4) + "\xc3\x28" + char(1) + le32(5) + le32(0);
    QTest::newRow("duplicate field") << head + QByteArray("\x02\x00", 2) + QByteArray("\x01\x00", 2) + "A" + char(2) + le32(0) + QByteArray("\x01\x00", 2) + "a" + char(2) + le32(0) + le32(0);
    QTest::newRow("bad boolean") << head + QByteArray("\x01\x00\x01\x00", 4) + "B" + char(5) + le32(0) + le32(1) + char(1) + char(2);
    const auto le64 = [](qint64 v) { QByteArray b(8, 0); qToLittleEndian(v, b.data()); return b; };
    const QByteArray umaData = head + QByteArray("\x01\x00\x01\x00", 4) + "D" + char(4) + le32(0) + le32(1) + char(1);
    QTest::newRow("24:00:00.000") << umaData + le64(QDate(2011, 1, 1).toJulianDay()) + le32(86400000);
    QTest::newRow("year 10000") << umaData + le64(QDate(10000, 1, 1).toJulianDay()) + le32(0);
    QTest::newRow("year 0 and before") << umaData + le64(QDate(-1, 12, 31).toJulianDay()) + le32(0);
    QTest::newRow("huge day") << umaData + le64(Q_INT64_C(0x7fffffffffff)) + le32(0);
    QTest::newRow("integer beyond 2^53") << head + QByteArray("\x01\x00\x01\x00", 4) + "N" + char(3) + le32(0) + le32(1) + char(1) + le64((Q_INT64_C(1) << 53) + 1);
    QTest::newRow("NUL in text") << head + QByteArray("\x01\x00\x01\x00", 4) + "A" + char(1) + le32(5) + le32(1) + char(1) + le32(3) + QByteArray("a\0b", 3);
    QTest::newRow("bad time of day") << head + QByteArray("\x01\x00\x01\x00", 4) + "D" + char(4) + le32(0) + le32(1) + char(1) + QByteArray("\x00\x00\x25\x00\x00\x00\x00\x00", 8) + le32(90000000);
}

void TstPacket::lyingLengthsRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY_THROWS_EXCEPTION(EPacketError, TDataPacket::decode(bytes));
}

void TstPacket::randomCorruptionNeverCrashes()
{
    const QByteArray full = amostra().encode();
    QRandomGenerator rng(20261208);
    int refused = 0;
    for (int i = 0; i < 20000; ++i) {
        QByteArray b = full;
        const int flips = 1 + int(rng.bounded(4));
        for (int k = 0; k < flips; ++k)
            b[int(rng.bounded(b.size()))] = char(rng.bounded(256));
        try {
            const TDataPacket p = TDataPacket::decode(b);
            QCOMPARE(TDataPacket::decode(p.encode()).encode(), p.encode());  // whatever decodes is consistent
        } catch (const EPacketError &) {
            ++refused;
        }
    }
    QVERIFY(refused > 0);
}

void TstPacket::badJsonRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("no fields") << QByteArray(R"({"rows": []})");
    QTest::newRow("unknown type") << QByteArray(R"({"fields": [{"name": "A", "type": "blob"}]})");
    QTest::newRow("string without size") << QByteArray(R"({"fields": [{"name": "A", "type": "string"}]})");
    QTest::newRow("negative size") << QByteArray(R"({"fields": [{"name": "A", "type": "string", "size": -1}]})");
    QTest::newRow("short row") << QByteArray(R"({"fields": [{"name": "A", "type": "float"}], "rows": [[]]})");
    QTest::newRow("text in number") << QByteArray(R"({"fields": [{"name": "A", "type": "float"}], "rows": [["1"]]})");
    QTest::newRow("number in text") << QByteArray(R"({"fields": [{"name": "A", "type": "string", "size": 2}], "rows": [[1]]})");
    QTest::newRow("bad date") << QByteArray(R"({"fields": [{"name": "A", "type": "datetime"}], "rows": [["ontem"]]})");
    QTest::newRow("duplicate") << QByteArray(R"({"fields": [{"name": "A", "type": "float"}, {"name": "a", "type": "float"}]})");
    QTest::newRow("lone surrogate") << QByteArray(R"({"fields": [{"name": "A", "type": "string", "size": 5}], "rows": [["a\ud800b"]]})");
    QTest::newRow("swapped pair") << QByteArray(R"({"fields": [{"name": "A", "type": "string", "size": 5}], "rows": [["\udc00\ud800"]]})");
    QTest::newRow("NUL") << QByteArray(R"({"fields": [{"name": "A", "type": "string", "size": 5}], "rows": [["a\u0000b"]]})");
    QTest::newRow("surrogate in name") << QByteArray(R"({"fields": [{"name": "A\udfff", "type": "float"}]})");
    QTest::newRow("integer beyond 2^53") << QByteArray(R"({"fields": [{"name": "N", "type": "integer"}], "rows": [[9007199254740994]]})");
    QTest::newRow("rows without fields") << QByteArray(R"({"fields": [], "rows": [[]]})");
    QTest::newRow("year 0") << QByteArray(R"({"fields": [{"name": "D", "type": "datetime"}], "rows": [["0000-01-01T00:00:00"]]})");
}

void TstPacket::badJsonRefused()
{
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(EPacketError, TDataPacket::fromJson(QJsonDocument::fromJson(json).object()));
}

void TstPacket::datasetBindsByNameAndCutsTexts()
{
    TClientDataSet cds;
    cds.setObjectName(QStringLiteral("cdsTeste"));
    cds.AddField(QStringLiteral("NMPRODUTO"), TFieldType::ftString, 5);
    cds.AddField(QStringLiteral("VRPRECITEM"), TFieldType::ftFloat);
    TDataPacket p;
    p.fields = {{"extra", TFieldType::ftString, 3}, {"vrprecitem", TFieldType::ftInteger, 0}, {"nmproduto", TFieldType::ftString, 50}};
    p.rows = {{QStringLiteral("x"), qint64(3), QStringLiteral("Feijão Carioca")}, {QVariant(), QVariant(), QVariant()}};
    cds.SetData(p);
    QCOMPARE(cds.RecordCount(), 2);
    cds.First();
    QCOMPARE(cds.FieldByName(QStringLiteral("nmProduto"))->AsString(), QStringLiteral("Feijã"));
    QCOMPARE(cds.FieldByName(QStringLiteral("VRPRECITEM"))->AsFloat(), 3.0);
    cds.Next();
    QVERIFY(cds.FieldByName(QStringLiteral("NMPRODUTO"))->IsNull());
    QCOMPARE(cds.FieldByName(QStringLiteral("NMPRODUTO"))->AsString(), QString());
    QCOMPARE(cds.FieldByName(QStringLiteral("VRPRECITEM"))->AsFloat(), 0.0);
    // The packet of the dataset carries its own declarations.
    QCOMPARE(cds.Data().fields.size(), 2);
    QCOMPARE(cds.Data().fields[0].size, 5);
}

void TstPacket::datasetRefusesMissingOrIncompatibleFields()
{
    TClientDataSet cds;
    cds.AddField(QStringLiteral("A"), TFieldType::ftString, 5);
    cds.AddField(QStringLiteral("B"), TFieldType::ftFloat);
    TDataPacket semB;
    semB.fields = {{"A", TFieldType::ftString, 5}};
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds.SetData(semB));
    TDataPacket bTexto;
    bTexto.fields = {{"A", TFieldType::ftString, 5}, {"B", TFieldType::ftString, 5}};
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds.SetData(bTexto));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds.FieldByName(QStringLiteral("C")));
    // A dataset without declared fields takes the packet's.
    TClientDataSet livre;
    livre.SetData(bTexto);
    QCOMPARE(livre.FieldCount(), 2);
}

void TstPacket::datasetCursorAndEditing()
{
    TClientDataSet cds;
    cds.AddField(QStringLiteral("N"), TFieldType::ftInteger);
    cds.CreateDataSet();
    QVERIFY(cds.Eof() && cds.Bof());
    cds.Next();
    cds.Prior();  // nothing to move on an empty dataset
    QCOMPARE(cds.RecNo(), 0);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds.FieldByName(QStringLiteral("N"))->SetAsInteger(1));
    for (int i = 1; i <= 3; ++i) {
        cds.Append();
        cds.FieldByName(QStringLiteral("N"))->SetAsInteger(i);
        cds.Post();
    }
    cds.First();
    QCOMPARE(cds.RecNo(), 1);
    cds.Prior();
    QVERIFY(cds.Bof());
    QCOMPARE(cds.RecNo(), 1);
    cds.Last();
    cds.Next();
    QVERIFY(cds.Eof());
    QCOMPARE(cds.FieldByName(QStringLiteral("N"))->AsInteger(), 3);
    cds.Edit();
    cds.FieldByName(QStringLiteral("N"))->SetAsInteger(30);
    cds.Cancel();
    QCOMPARE(cds.FieldByName(QStringLiteral("N"))->AsInteger(), 3);
    cds.Delete();
    QCOMPARE(cds.RecordCount(), 2);
    cds.EmptyDataSet();
    QVERIFY(cds.IsEmpty());
}

void TstPacket::insertPlacesRowAfterCurrent()
{
    TClientDataSet cds;
    cds.AddField(QStringLiteral("N"), TFieldType::ftInteger);
    cds.CreateDataSet();
    for (int i = 1; i <= 4; ++i) {
        cds.Insert();
        cds.FieldByName(QStringLiteral("N"))->SetAsInteger(i);
        cds.Post();
    }
    QList<qint64> got;
    for (const QVariantList &r : cds.Data().rows)
        got << r[0].toLongLong();
    QCOMPARE(got, (QList<qint64>{1, 2, 3, 4}));
    cds.SetRecNo(2);
    cds.Insert();
    cds.FieldByName(QStringLiteral("N"))->SetAsInteger(9);
    cds.Post();
    QCOMPARE(cds.RecNo(), 3);
    QCOMPARE(cds.Data().rows[2][0].toLongLong(), 9);
}

void TstPacket::loadStartsOnFirstRow()
{
    // A new content puts the cursor on its first row, wherever the old
    // one stood (the list reloaded after a save relies on it).
    TClientDataSet cds;
    cds.AddField(QStringLiteral("N"), TFieldType::ftInteger);
    cds.CreateDataSet();
    for (int i = 1; i <= 4; ++i) {
        cds.Append();
        cds.FieldByName(QStringLiteral("N"))->SetAsInteger(i);
        cds.Post();
    }
    cds.SetRecNo(3);
    TDataPacket p = cds.Data();
    p.rows.prepend({qint64(0)});
    cds.SetData(p);
    QCOMPARE(cds.RecNo(), 1);
    QVERIFY(cds.Bof());
    QVERIFY(!cds.Eof());
    QCOMPARE(cds.FieldByName(QStringLiteral("N"))->AsInteger(), 0);
}

void TstPacket::locateIndexAndFilter()
{
    TClientDataSet cds;
    cds.AddField(QStringLiteral("PORTA"), TFieldType::ftString, 10);
    cds.AddField(QStringLiteral("ORDEM"), TFieldType::ftInteger);
    cds.CreateDataSet();
    const QStringList portas{"Nenhuma", "COM2", "COM1", "LPT1"};
    for (int i = 0; i < portas.size(); ++i) {
        cds.Append();
        cds.FieldByName(QStringLiteral("PORTA"))->SetAsString(portas[i]);
        cds.FieldByName(QStringLiteral("ORDEM"))->SetAsInteger(i + 1);
        cds.Post();
    }
    cds.SetIndexFieldNames(QStringLiteral("PORTA"));
    QStringList ordem;
    for (cds.First(); !cds.Eof(); cds.Next())
        ordem << cds.FieldByName(QStringLiteral("PORTA"))->AsString();
    QCOMPARE(ordem, (QStringList{"COM1", "COM2", "LPT1", "Nenhuma"}));
    QVERIFY(cds.Locate(QStringLiteral("PORTA"), QStringLiteral("lpt1")));
    QCOMPARE(cds.FieldByName(QStringLiteral("ORDEM"))->AsInteger(), 4);
    QVERIFY(!cds.Locate(QStringLiteral("PORTA"), QStringLiteral("LPT9")));
    QCOMPARE(cds.FieldByName(QStringLiteral("ORDEM"))->AsInteger(), 4);  // stays when not found
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds.SetIndexFieldNames(QStringLiteral("NADA")));
    cds.SetFilter([](const TDataSet &, const QVector<QVariant> &row) { return row[0].toString().startsWith(QLatin1String("COM")); });
    cds.SetFiltered(true);
    QCOMPARE(cds.RecordCount(), 2);
    QCOMPARE(cds.Data().rows.size(), 4);  // the packet keeps every row
    cds.SetFiltered(false);
    QCOMPARE(cds.RecordCount(), 4);
}

void TstPacket::colourFileOnDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PARAMETROSQUL.CDS"));
    TClientDataSet cds;
    cds.AddField(QStringLiteral("INCOR1"), TFieldType::ftInteger);
    cds.CreateDataSet();
    cds.Append();
    cds.FieldByName(QStringLiteral("INCOR1"))->SetAsInteger(255);
    cds.Post();
    cds.SaveToFile(path);
    TClientDataSet back;
    back.LoadFromFile(path);
    back.First();
    QCOMPARE(back.FieldByName(QStringLiteral("INCOR1"))->AsInteger(), 255);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("garbage that is no packet");
    f.close();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, back.LoadFromFile(path));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, back.LoadFromFile(dir.filePath(QStringLiteral("missing.cds"))));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("QU");
    f.close();
    try {
        back.LoadFromFile(path);
        QFAIL("a two-byte colour file loaded");
    } catch (const EDatabaseError &e) {
        QVERIFY2(e.Message().contains(QStringLiteral("(cabeçalho)")), qPrintable(e.Message()));
    }
}

QTEST_GUILESS_MAIN(TstPacket)
#include "tst_packet.moc"
