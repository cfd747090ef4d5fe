// Grid model and key translation of the runtime's widget side.

#include "Cp1252.h"
#include "DataSetTableModel.h"
#include "DeadKeys.h"
#include "VirtualKeys.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

// Products as the list shows them: code, reduced code, name, price, hidden order.
std::unique_ptr<TClientDataSet> makeProducts()
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("cdsProduto"));
    ds->AddField(QStringLiteral("CDPRODUTO"), TFieldType::ftString, 10, true, QStringLiteral("Cód. Interno"));
    ds->AddField(QStringLiteral("NMPRODUTO"), TFieldType::ftString, 40, true, QStringLiteral("Nome do Produto"));
    ds->AddField(QStringLiteral("VRPRECO"), TFieldType::ftFloat, 0, true);
    ds->AddField(QStringLiteral("CDORDEM"), TFieldType::ftInteger, 0, false);
    ds->CreateDataSet();
    const struct {
        const char *cd, *nm;
        double vr;
    } rows[] = {{"001", "Arroz", 1.5}, {"002", "Feijão", 7.25}, {"003", "Açúcar", 1234.5}};
    int n = 0;
    for (const auto &r : rows) {
        ds->Append();
        ds->FieldByName(QStringLiteral("CDPRODUTO"))->SetValue(QString::fromUtf8(r.cd));
        ds->FieldByName(QStringLiteral("NMPRODUTO"))->SetValue(QString::fromUtf8(r.nm));
        ds->FieldByName(QStringLiteral("VRPRECO"))->SetValue(r.vr);
        ds->FieldByName(QStringLiteral("CDORDEM"))->SetValue(++n);
        ds->Post();
    }
    ds->First();
    return ds;
}

}  // namespace

class TstRuntimeUi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    // ---- code page 1252
    void cp1252_letters();
    void cp1252_undefinedAndMissing();

    // ---- virtual keys and modifiers
    void virtualKeys_data();
    void virtualKeys();
    void modifiers();

    // ---- characters of key events
    void keyChars_data();
    void keyChars();
    void keyChars_nullEventAndNullOut();
    void deadKeys_data();
    void deadKeys();

    // ---- grid model
    void model_defaultColumnsAreVisibleFieldsUnderLabels();
    void model_formatsFloatsWithLocaleTwoDecimals();
    void model_explicitColumns();
    void model_followsRowsResetAndFilter();
    void model_followsCursor();
    void model_closedDeletedOrNullDataSet();
    void view_attachKeepsCursorAndSelectionInStep();
    void view_postedRowsKeepSelection();
    void view_reloadKeepsDraggedWidths();
};

// ---------------------------------------------------------------- code page

void TstRuntimeUi::cp1252_letters()
{
    const struct {
        char16_t u;
        unsigned char b;
    } cases[] = {{u'ç', 0xE7}, {u'Ç', 0xC7}, {u'á', 0xE1}, {u'ã', 0xE3}, {u'é', 0xE9},
                 {u'Ú', 0xDA}, {u'A', 'A'},  {0x20AC, 0x80}, {0x2014, 0x97}, {0x0153, 0x9C}};
    for (const auto &c : cases) {
        bool ok = false;
        QCOMPARE(static_cast<unsigned char>(unicodeToCp1252(QChar(c.u), &ok)), c.b);
        QVERIFY(ok);
        QCOMPARE(cp1252ToUnicode(char(c.b)), QChar(c.u));
    }
    // Every defined byte survives the round trip.
    for (int b = 0; b < 256; ++b) {
        const QChar u = cp1252ToUnicode(char(b));
        bool ok = false;
        if (u.unicode() != 0xFFFD)
            QCOMPARE(static_cast<unsigned char>(unicodeToCp1252(u, &ok)), static_cast<unsigned char>(b));
    }
    const QString s = QStringLiteral("Preço €5 ação");
    QCOMPARE(cp1252ToString(stringToCp1252(s)), s);
}

void TstRuntimeUi::cp1252_undefinedAndMissing()
{
    bool ok = true;
    QCOMPARE(cp1252ToUnicode(char(0x81)), QChar(0xFFFD));
    QCOMPARE(unicodeToCp1252(QChar(0xFFFD), &ok), '?');
    QVERIFY(!ok);
    for (char16_t u : {char16_t(0x4E2D), char16_t(0x0100), char16_t(0x0085)}) {  // CJK, Latin Extended, C1 control
        ok = true;
        QCOMPARE(unicodeToCp1252(QChar(u), &ok), '?');
        QVERIFY(!ok);
    }
    QCOMPARE(stringToCp1252(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
}

// ---------------------------------------------------------------- keys

void TstRuntimeUi::virtualKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("vk");
    QTest::newRow("Return") << int(Qt::Key_Return) << 13;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 13;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 27;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 8;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 46;
    QTest::newRow("F1") << int(Qt::Key_F1) << 112;
    QTest::newRow("F9") << int(Qt::Key_F9) << 120;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << 16;
    QTest::newRow("Control") << int(Qt::Key_Control) << 17;
    QTest::newRow("CapsLock") << int(Qt::Key_CapsLock) << 20;
    QTest::newRow("Left") << int(Qt::Key_Left) << 37;
    QTest::newRow("Up") << int(Qt::Key_Up) << 38;
    QTest::newRow("Down") << int(Qt::Key_Down) << 40;
    QTest::newRow("Space") << int(Qt::Key_Space) << 32;
    QTest::newRow("A") << int(Qt::Key_A) << int('A');
    QTest::newRow("0") << int(Qt::Key_0) << int('0');
    QTest::newRow("! is key 1") << int(Qt::Key_Exclam) << int('1');
    QTest::newRow(") is key 0") << int(Qt::Key_ParenRight) << int('0');
    QTest::newRow("comma") << int(Qt::Key_Comma) << 188;
    QTest::newRow("period") << int(Qt::Key_Period) << 190;
    QTest::newRow("cedilla") << int(Qt::Key_Ccedilla) << 186;
    QTest::newRow("unknown") << int(Qt::Key_VolumeUp) << 0;
}

void TstRuntimeUi::virtualKeys()
{
    QFETCH(int, qtKey);
    QFETCH(int, vk);
    QCOMPARE(qtKeyToVirtualKey(qtKey), vk);
}

void TstRuntimeUi::modifiers()
{
    QCOMPARE(qtModifiersToShift(Qt::NoModifier), 0);
    QCOMPARE(qtModifiersToShift(Qt::ShiftModifier), int(ssShift));
    QCOMPARE(qtModifiersToShift(Qt::AltModifier), int(ssAlt));
    QCOMPARE(qtModifiersToShift(Qt::ControlModifier), int(ssCtrl));
    QCOMPARE(qtModifiersToShift(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier),
             int(ssCtrl) | int(ssShift));
    QCOMPARE(qtModifiersToShift(Qt::MetaModifier), 0);
}

void TstRuntimeUi::keyChars_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("types");
    QTest::addColumn<int>("byte");
    QTest::newRow("a") << int(Qt::Key_A) << 0 << "a" << true << int('a');
    QTest::newRow("shift A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A" << true << int('A');
    QTest::newRow("digit") << int(Qt::Key_5) << 0 << "5" << true << int('5');
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << " " << true << int(' ');
    QTest::newRow("c cedilla") << int(Qt::Key_Ccedilla) << 0 << QStringLiteral("ç") << true << 0xE7;
    QTest::newRow("C cedilla") << int(Qt::Key_Ccedilla) << int(Qt::ShiftModifier) << QStringLiteral("Ç") << true
                               << 0xC7;
    QTest::newRow("a acute") << int(Qt::Key_Aacute) << 0 << QStringLiteral("á") << true << 0xE1;
    QTest::newRow("a tilde") << int(Qt::Key_Atilde) << 0 << QStringLiteral("ã") << true << 0xE3;
    QTest::newRow("e acute") << int(Qt::Key_Eacute) << 0 << QStringLiteral("é") << true << 0xE9;
    QTest::newRow("X Delete") << int(Qt::Key_Delete) << 0 << "\x7f" << false << 0;
    QTest::newRow("QTest Delete") << int(Qt::Key_Delete) << 0 << "" << false << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0 << "\r" << true << 13;
    QTest::newRow("Return no text") << int(Qt::Key_Return) << 0 << "" << true << 13;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "\r" << true << 10;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << "\x1b" << true << 27;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << "\b" << true << 8;
    QTest::newRow("F2") << int(Qt::Key_F2) << 0 << "" << false << 0;
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << "" << false << 0;
    QTest::newRow("Alt+a") << int(Qt::Key_A) << int(Qt::AltModifier) << "a" << false << 0;
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << "a" << true << 1;
    QTest::newRow("outside 1252") << int(Qt::Key_unknown) << 0 << QStringLiteral("\u4E2D") << true << int('?');
    QTest::newRow("emoji") << int(Qt::Key_unknown) << 0 << QStringLiteral("\U0001F600") << true << int('?');
    QTest::newRow("euro") << int(Qt::Key_unknown) << 0 << QStringLiteral("€") << true << 0x80;
}

void TstRuntimeUi::keyChars()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, text);
    QFETCH(bool, types);
    QFETCH(int, byte);
    QKeyEvent ev(QEvent::KeyPress, key, Qt::KeyboardModifiers(mods), text);
    char c = 0x55;
    QCOMPARE(keyEventToCp1252Char(&ev, &c), types);
    if (types)
        QCOMPARE(static_cast<unsigned char>(c), static_cast<unsigned char>(byte));
    else
        QCOMPARE(c, char(0x55));  // untouched when nothing is typed
}

void TstRuntimeUi::keyChars_nullEventAndNullOut()
{
    char c = 0;
    QVERIFY(!keyEventToCp1252Char(nullptr, &c));
    QKeyEvent ev(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QVERIFY(keyEventToCp1252Char(&ev, nullptr));
}

void TstRuntimeUi::deadKeys_data()
{
    QTest::addColumn<QString>("keys");  // ~ ´ ^ ¨ dead keys, ⇧ Shift, any other a key typing it
    QTest::addColumn<QByteArray>("typed");
    QTest::newRow("~a a") << "~aa" << QByteArray("\xE3" "a");
    QTest::newRow("´e ^o ¨u") << "´e^o¨u" << QByteArray("\xE9\xF4\xFC");
    QTest::newRow("~ Shift A") << "~⇧A" << QByteArray("\xC3");
    QTest::newRow("~b: accent, then b") << "~b" << QByteArray("~b");
    QTest::newRow("´ space") << "´ " << QByteArray("\xB4");
    QTest::newRow("~~a: nothing left waiting") << "~~a" << QByteArray("~~a");
    QTest::newRow("´c: outside 1252") << "´c" << QByteArray("?");
    QTest::newRow("~ ENTER") << "~\r" << QByteArray("~\r");
}

// Key events in sequence, as the characters a Windows window receives.
void TstRuntimeUi::deadKeys()
{
    QFETCH(QString, keys);
    QFETCH(QByteArray, typed);
    const QString dead = QStringLiteral("~´^¨");
    const int deadKeys[] = {Qt::Key_Dead_Tilde, Qt::Key_Dead_Acute, Qt::Key_Dead_Circumflex, Qt::Key_Dead_Diaeresis};
    TDeadKeyTyping typing;
    QByteArray seen;
    for (const QChar c : keys) {
        const int d = dead.indexOf(c);
        const int key = d >= 0 ? deadKeys[d] : c == u'⇧' ? Qt::Key_Shift : c == u'\r' ? Qt::Key_Return : Qt::Key_unknown;
        const QString text = d >= 0 || key == Qt::Key_Shift ? QString() : QString(c);
        const QKeyEvent ev(QEvent::KeyPress, key, Qt::NoModifier, text);
        seen += typing.charsOf(&ev);
    }
    QCOMPARE(seen, typed);
}

// ---------------------------------------------------------------- model

void TstRuntimeUi::model_defaultColumnsAreVisibleFieldsUnderLabels()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QCOMPARE(m.columnCount(), 3);  // CDORDEM is not visible
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cód. Interno"));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome do Produto"));
    QCOMPARE(m.headerData(2, Qt::Horizontal).toString(), QStringLiteral("VRPRECO"));  // no label: the name
    QCOMPARE(m.data(m.index(1, 1)).toString(), QStringLiteral("Feijão"));
    QCOMPARE(m.fieldIndex(2), 2);
    QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(m.columnWidth(1) > m.columnWidth(0));  // 40 characters wider than 10
}

void TstRuntimeUi::model_formatsFloatsWithLocaleTwoDecimals()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QCOMPARE(m.data(m.index(0, 2)).toString(), QStringLiteral("1,50"));
    QCOMPARE(m.data(m.index(1, 2)).toString(), QStringLiteral("7,25"));
    QCOMPARE(m.data(m.index(2, 2)).toString(), QStringLiteral("1.234,50"));
    QCOMPARE(m.data(m.index(0, 2), Qt::EditRole).toDouble(), 1.5);
    QCOMPARE(m.data(m.index(0, 2), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
    QCOMPARE(TDataSetTableModel::formatValue(QVariant(), TFieldType::ftFloat), QString());
}

void TstRuntimeUi::model_explicitColumns()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    m.setColumns({{QStringLiteral("nmproduto"), QStringLiteral("Nome"), 470, QColor(0, 0, 128), QColor(255, 200, 102)},
                  {QStringLiteral("CDORDEM"), QString(), 0, QColor(), QColor()},
                  {QStringLiteral("NAOEXISTE"), QStringLiteral("X"), 50, QColor(), QColor()}});
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m.columnCount(), 3);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nome"));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QStringLiteral("CDORDEM"));  // hidden fields may be asked for
    QCOMPARE(m.columnWidth(0), 470);
    QCOMPARE(m.data(m.index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 128));
    QCOMPARE(m.headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(255, 200, 102));
    QVERIFY(!m.data(m.index(0, 1), Qt::ForegroundRole).isValid());
    QCOMPARE(m.data(m.index(2, 1)).toString(), QStringLiteral("3"));
    QCOMPARE(m.fieldIndex(2), -1);
    QCOMPARE(m.data(m.index(0, 2)).toString(), QString());  // unknown field: empty, no exception
    m.setColumns({});
    QCOMPARE(m.columnCount(), 3);
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cód. Interno"));
}

void TstRuntimeUi::model_followsRowsResetAndFilter()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    ds->Append();
    ds->FieldByName(QStringLiteral("CDPRODUTO"))->SetValue(QStringLiteral("004"));
    ds->FieldByName(QStringLiteral("NMPRODUTO"))->SetValue(QStringLiteral("Café"));
    ds->Post();
    // A posted row is inserted alone; the model is not reset.
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.last().at(1).toInt(), 3);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(m.rowCount(), 4);
    QCOMPARE(m.data(m.index(3, 1)).toString(), QStringLiteral("Café"));

    ds->SetFilter([](const TDataSet &, const QVector<QVariant> &row) { return row[2].toDouble() > 5; });
    ds->SetFiltered(true);
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(m.data(m.index(0, 1)).toString(), QStringLiteral("Feijão"));
    ds->SetFiltered(false);
    QCOMPARE(m.rowCount(), 4);

    ds->SetIndexFieldNames(QStringLiteral("NMPRODUTO"));
    QCOMPARE(m.data(m.index(0, 1)).toString(), QStringLiteral("Arroz"));
    QCOMPARE(m.data(m.index(3, 1)).toString(), QStringLiteral("Feijão"));

    ds->EmptyDataSet();
    QCOMPARE(m.rowCount(), 0);
}

void TstRuntimeUi::model_followsCursor()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QSignalSpy moved(&m, &TDataSetTableModel::currentRowChanged);
    QCOMPARE(m.currentRow(), 0);
    ds->Next();
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toInt(), 1);
    m.setCurrentRow(2);
    QCOMPARE(ds->RecNo(), 3);
    QCOMPARE(m.currentRow(), 2);
    m.setCurrentRow(7);   // out of range: ignored
    m.setCurrentRow(-1);
    QCOMPARE(ds->RecNo(), 3);
}

void TstRuntimeUi::model_closedDeletedOrNullDataSet()
{
    TDataSetTableModel none(nullptr);
    QCOMPARE(none.rowCount(), 0);
    QCOMPARE(none.columnCount(), 0);
    QCOMPARE(none.currentRow(), -1);
    none.setCurrentRow(0);
    QVERIFY(!none.data(none.index(0, 0)).isValid());

    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    ds->Close();
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.currentRow(), -1);
    m.setCurrentRow(0);  // closed: nothing happens
    QCOMPARE(m.displayText(0, 0), QString());

    ds.reset();  // the dataset goes away under the model
    QCOMPARE(m.rowCount(), 0);
    QVERIFY(!m.headerData(0, Qt::Horizontal).isValid() || m.columnCount() == 0);
}

void TstRuntimeUi::view_attachKeepsCursorAndSelectionInStep()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    m.setColumns({{QStringLiteral("CDPRODUTO"), QString(), 119, QColor(), QColor()},
                  {QStringLiteral("NMPRODUTO"), QString(), 470, QColor(), QColor()}});
    QTableView view;
    view.resize(600, 300);
    attachDataSetView(&view, &m);
    view.show();
    QVERIFY(view.horizontalHeader()->height() > 10);  // titles are visible
    QCOMPARE(view.columnWidth(0), 119);
    QCOMPARE(view.columnWidth(1), 470);
    QCOMPARE(view.selectionModel()->currentIndex().row(), 0);

    ds->Last();  // the cursor moves: the selection follows
    QCOMPARE(view.selectionModel()->currentIndex().row(), 2);
    QVERIFY(view.selectionModel()->isRowSelected(2, QModelIndex()));

    view.selectionModel()->setCurrentIndex(m.index(1, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(ds->RecNo(), 2);  // touching a row makes it current

    ds->Close();
    ds->Open();  // reopened empty: no selection, no crash
    QCOMPARE(m.rowCount(), 0);
    QVERIFY(!view.selectionModel()->hasSelection());
    attachDataSetView(nullptr, &m);
    attachDataSetView(&view, nullptr);
}

void TstRuntimeUi::view_postedRowsKeepSelection()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    QTableView view;
    view.resize(600, 300);
    attachDataSetView(&view, &m);
    view.show();
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    int rowsWhenAnnounced = -1;  // what the model showed when told of the insert
    connect(&m, &QAbstractItemModel::rowsAboutToBeInserted, this, [&] { rowsWhenAnnounced = m.rowCount(); });

    ds->SetRecNo(2);
    QVERIFY(view.selectionModel()->isRowSelected(1, QModelIndex()));
    ds->Edit();
    ds->FieldByName(QStringLiteral("NMPRODUTO"))->SetValue(QStringLiteral("Feijão preto"));
    ds->Post();
    // The edited row alone changed; selection and current row stay.
    QCOMPARE(reset.count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), 1);
    QCOMPARE(changed[0][1].toModelIndex().row(), 1);
    QCOMPARE(m.data(m.index(1, 1)).toString(), QStringLiteral("Feijão preto"));
    QCOMPARE(view.selectionModel()->currentIndex().row(), 1);
    QVERIFY(view.selectionModel()->isRowSelected(1, QModelIndex()));

    ds->Insert();  // after the current row
    ds->FieldByName(QStringLiteral("CDPRODUTO"))->SetValue(QStringLiteral("009"));
    ds->Post();
    QCOMPARE(rowsWhenAnnounced, 3);  // announced before the dataset grew
    QCOMPARE(reset.count(), 0);
    QCOMPARE(m.rowCount(), 4);
    QCOMPARE(view.selectionModel()->currentIndex().row(), 2);  // the new row is current
    QVERIFY(view.selectionModel()->isRowSelected(2, QModelIndex()));
    QVERIFY(!view.selectionModel()->isRowSelected(1, QModelIndex()));
}

void TstRuntimeUi::view_reloadKeepsDraggedWidths()
{
    auto ds = makeProducts();
    TDataSetTableModel m(ds.get());
    m.setColumns({{QStringLiteral("CDPRODUTO"), QString(), 119, QColor(), QColor()},
                  {QStringLiteral("NMPRODUTO"), QString(), 470, QColor(), QColor()}});
    QTableView view;
    view.resize(600, 300);
    attachDataSetView(&view, &m);
    view.show();
    view.horizontalHeader()->resizeSection(1, 300);  // the operator drags the column's edge
    ds->SetData(ds->Data());                          // the list is reloaded
    QCOMPARE(view.columnWidth(0), 119);
    QCOMPARE(view.columnWidth(1), 300);
    // Other columns take the model's widths.
    m.setColumns({{QStringLiteral("NMPRODUTO"), QString(), 250, QColor(), QColor()}});
    QCOMPARE(view.columnWidth(0), 250);
}

QTEST_MAIN(TstRuntimeUi)
#include "tst_runtimeui.moc"
