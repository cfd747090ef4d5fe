#pragma once
// The widget side of the component runtime: a table model that shows a
// dataset in a grid, and the translation of Qt key events into the
// virtual-key codes and code page 1252 characters that the screens' key
// handlers work with.

#include "DataSet.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPointer>

class QKeyEvent;
class QTableView;

// ---------------------------------------------------------------- grid model

// Shows the rows a dataset currently sees (index order, filter applied) as
// table rows. Follows the dataset: rowsReset() resets the model and
// currentChanged() is passed on as currentRowChanged().
class TDataSetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;       // field name (letter case ignored)
        QString title;       // empty: the field's display label
        int width = 0;       // pixels; 0: from the field's display width
        QColor color;        // body text colour; invalid: the view's default
        QColor titleColor;   // title text colour; invalid: the view's default
    };

    explicit TDataSetTableModel(TDataSet *dataSet, QObject *parent = nullptr);

    TDataSet *dataSet() const { return m_ds; }

    // Columns shown, in order. An empty list shows every visible field
    // under its display label.
    void setColumns(const QList<Column> &columns);
    QList<Column> columns() const { return m_explicit; }
    // The columns in effect (the explicit ones, or those derived from the
    // visible fields).
    QList<Column> effectiveColumns() const;
    // Field index of a column; -1 when the column names an unknown field.
    int fieldIndex(int column) const;
    int columnWidth(int column) const;

    // Row of the dataset's cursor (0-based); -1 when there is none.
    int currentRow() const;
    // Moves the dataset's cursor to a row (0-based); out-of-range rows are ignored.
    void setCurrentRow(int row);

    // The text a cell shows (floats with two decimals in the current locale).
    QString displayText(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Text of a value as the grid shows it.
    static QString formatValue(const QVariant &v, TFieldType type);

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void rebuildColumns();
    void onRowsReset();
    void onCurrentChanged(int recNo);

    QPointer<TDataSet> m_ds;
    QList<Column> m_explicit;
    QList<Column> m_cols;    // in effect
    QList<int> m_fieldIdx;   // field index per column in effect
};

// Puts the model into the view and keeps both in step: the view's column
// widths from the model, the selected row follows the dataset's cursor,
// and touching a row makes it the dataset's current row.
void attachDataSetView(QTableView *view, TDataSetTableModel *model);

// ---------------------------------------------------------------- keys

// Windows virtual-key codes the screens use.
enum TVirtualKey {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_LWIN = 91,
    VK_APPS = 93,
    VK_F1 = 112,
    VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
    VK_OEM_1 = 186,       // ;:  (ç on the Brazilian ABNT2 layout)
    VK_OEM_PLUS = 187,    // =+
    VK_OEM_COMMA = 188,   // ,<
    VK_OEM_MINUS = 189,   // -_
    VK_OEM_PERIOD = 190,  // .>
    VK_OEM_2 = 191,       // /?
    VK_OEM_3 = 192,       // `~
    VK_OEM_4 = 219,       // [{  (acute accent on ABNT2)
    VK_OEM_5 = 220,       // \|
    VK_OEM_6 = 221,       // ]}
    VK_OEM_7 = 222,       // '"  (tilde on ABNT2)
};

// Modifier set of a key-down: bit values of ssShift, ssAlt, ssCtrl.
enum TShiftFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// The virtual-key code of a Qt key (the physical key of a US keyboard for
// shifted symbols: '!' is the key '1'); 0 for a key without one.
int qtKeyToVirtualKey(int qtKey);
int qtModifiersToShift(Qt::KeyboardModifiers modifiers);

// The code page 1252 character that the key would type, as a Windows key
// press delivers it (ENTER 13, Ctrl+ENTER 10, ESC 27, BACKSPACE 8, TAB 9).
// False when the key types nothing (DELETE, function keys, arrows,
// Alt combinations, characters outside code page 1252).
bool keyEventToCp1252Char(const QKeyEvent *event, char *out);

// Code page 1252 conversions. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D are
// undefined and convert to U+FFFD; unicodeToCp1252 gives '?' and *ok false
// for a character the code page lacks.
QChar cp1252ToUnicode(char c);
char unicodeToCp1252(QChar c, bool *ok = nullptr);
QString cp1252ToString(const QByteArray &bytes);
QByteArray stringToCp1252(const QString &s);  // unknown characters become '?'
