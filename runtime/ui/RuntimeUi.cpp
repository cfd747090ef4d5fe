#include "RuntimeUi.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <QTableView>

// ---------------------------------------------------------------- TDataSetTableModel

TDataSetTableModel::TDataSetTableModel(TDataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_ds(dataSet)
{
    if (m_ds) {
        connect(m_ds, &TDataSet::rowsReset, this, &TDataSetTableModel::onRowsReset);
        connect(m_ds, &TDataSet::currentChanged, this, &TDataSetTableModel::onCurrentChanged);
        connect(m_ds, &QObject::destroyed, this, &TDataSetTableModel::onRowsReset);
    }
    rebuildColumns();
}

void TDataSetTableModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_explicit = columns;
    rebuildColumns();
    endResetModel();
}

void TDataSetTableModel::rebuildColumns()
{
    m_cols.clear();
    m_fieldIdx.clear();
    if (!m_explicit.isEmpty()) {
        for (const Column &c : m_explicit) {
            TField *f = m_ds ? m_ds->FindField(c.field) : nullptr;
            Column col = c;
            if (col.title.isEmpty() && f)
                col.title = f->displayName();
            m_cols.append(col);
            m_fieldIdx.append(f ? f->Index() : -1);
        }
        return;
    }
    if (!m_ds)
        return;
    for (int i = 0; i < m_ds->FieldCount(); ++i) {
        TField *f = m_ds->Fields(i);
        if (!f->Visible)
            continue;
        Column col;
        col.field = f->FieldName();
        col.title = f->displayName();
        m_cols.append(col);
        m_fieldIdx.append(i);
    }
}

QList<TDataSetTableModel::Column> TDataSetTableModel::effectiveColumns() const
{
    return m_cols;
}

int TDataSetTableModel::fieldIndex(int column) const
{
    return column >= 0 && column < m_fieldIdx.size() ? m_fieldIdx[column] : -1;
}

int TDataSetTableModel::columnWidth(int column) const
{
    if (column < 0 || column >= m_cols.size())
        return 0;
    if (m_cols[column].width > 0)
        return m_cols[column].width;
    const int fi = fieldIndex(column);
    if (m_ds && fi >= 0) {
        TField *f = m_ds->Fields(fi);
        int chars = f->DisplayWidth > 0 ? f->DisplayWidth : (f->Size() > 0 ? f->Size() : 10);
        chars = qBound(4, chars, 60);
        chars = qMax(chars, int(f->displayName().size()) + 2);
        return chars * 9;
    }
    return 100;
}

int TDataSetTableModel::currentRow() const
{
    if (!m_ds || !m_ds->Active())
        return -1;
    return m_ds->RecNo() - 1;
}

void TDataSetTableModel::setCurrentRow(int row)
{
    if (!m_ds || !m_ds->Active() || row < 0 || row >= m_ds->RecordCount())
        return;
    if (row != currentRow())
        m_ds->SetRecNo(row + 1);
}

int TDataSetTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_ds || !m_ds->Active())
        return 0;
    return m_ds->RecordCount();
}

int TDataSetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cols.size());
}

QString TDataSetTableModel::formatValue(const QVariant &v, TFieldType type)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type) {
    case TFieldType::ftFloat: return QLocale().toString(v.toDouble(), 'f', 2);
    case TFieldType::ftInteger: return QString::number(v.toLongLong());
    case TFieldType::ftDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
        return dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case TFieldType::ftBoolean: return v.toBool() ? QStringLiteral("Sim") : QStringLiteral("Não");
    case TFieldType::ftString: break;
    }
    return v.toString();
}

QString TDataSetTableModel::displayText(int row, int column) const
{
    const int fi = fieldIndex(column);
    if (!m_ds || !m_ds->Active() || fi < 0 || fi >= m_ds->FieldCount())
        return QString();
    return formatValue(m_ds->valueAt(row, fi), m_ds->Fields(fi)->DataType());
}

QVariant TDataSetTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_ds || !m_ds->Active() || index.row() >= m_ds->RecordCount()
        || index.column() >= m_cols.size())
        return QVariant();
    const int fi = fieldIndex(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::EditRole:
        return fi >= 0 ? m_ds->valueAt(index.row(), fi) : QVariant();
    case Qt::ForegroundRole:
        if (m_cols[index.column()].color.isValid())
            return m_cols[index.column()].color;
        return QVariant();
    case Qt::TextAlignmentRole:
        if (fi >= 0) {
            const TFieldType t = m_ds->Fields(fi)->DataType();
            if (t == TFieldType::ftFloat || t == TFieldType::ftInteger)
                return int(Qt::AlignRight | Qt::AlignVCenter);
        }
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= m_cols.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return m_cols[section].title;
    case Qt::ForegroundRole:
        if (m_cols[section].titleColor.isValid())
            return m_cols[section].titleColor;
        return QVariant();
    case Qt::TextAlignmentRole: return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return QVariant();
    }
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // read-only grid
}

void TDataSetTableModel::onRowsReset()
{
    // The dataset has already replaced its rows (or fields): the model only
    // tells its views to start again.
    beginResetModel();
    rebuildColumns();
    endResetModel();
    Q_EMIT currentRowChanged(currentRow());
}

void TDataSetTableModel::onCurrentChanged(int recNo)
{
    Q_EMIT currentRowChanged(recNo - 1);
}

// ---------------------------------------------------------------- view binding

namespace {

void applyWidths(QTableView *view, TDataSetTableModel *model)
{
    for (int c = 0; c < model->columnCount(); ++c)
        view->setColumnWidth(c, model->columnWidth(c));
}

void selectRow(QTableView *view, TDataSetTableModel *model, int row)
{
    QItemSelectionModel *sel = view->selectionModel();
    if (!sel)
        return;
    if (row < 0 || row >= model->rowCount()) {
        sel->clearSelection();
        return;
    }
    const QModelIndex idx = model->index(row, 0);
    if (sel->currentIndex().row() != row || !sel->isRowSelected(row, QModelIndex()))
        sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(idx);
}

}  // namespace

void attachDataSetView(QTableView *view, TDataSetTableModel *model)
{
    if (!view || !model)
        return;
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    applyWidths(view, model);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        applyWidths(view, model);
        selectRow(view, model, model->currentRow());
    });
    QObject::connect(model, &TDataSetTableModel::currentRowChanged, view,
                     [view, model](int row) { selectRow(view, model, row); });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                     [model](const QModelIndex &cur) {
                         if (cur.isValid())
                             model->setCurrentRow(cur.row());
                     });
    selectRow(view, model, model->currentRow());
}

// ---------------------------------------------------------------- keys

int qtKeyToVirtualKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Space: return VK_SPACE;
    // Shifted symbols: the key that types them on a US keyboard.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    // Brazilian ABNT2 keys.
    case Qt::Key_Ccedilla: return VK_OEM_1;
    case Qt::Key_Dead_Acute:
    case Qt::Key_Dead_Grave: return VK_OEM_4;
    case Qt::Key_Dead_Tilde:
    case Qt::Key_Dead_Circumflex: return VK_OEM_7;
    default: return 0;
    }
}

int qtModifiersToShift(Qt::KeyboardModifiers modifiers)
{
    int s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    return s;
}

bool keyEventToCp1252Char(const QKeyEvent *event, char *out)
{
    if (!event)
        return false;
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    char c = 0;
    bool have = false;

    // Keys whose character Windows delivers whatever the text says.
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: c = ctrl ? '\n' : '\r'; have = true; break;
    case Qt::Key_Escape: c = '\x1b'; have = true; break;
    case Qt::Key_Backspace: c = '\b'; have = true; break;
    case Qt::Key_Tab: c = '\t'; have = true; break;
    case Qt::Key_Delete: return false;  // X sends "\x7f": DELETE types nothing
    default: break;
    }
    if (!have) {
        // Alt combinations are menu keys, not typing (AltGr arrives as Ctrl+Alt
        // on some systems and still types).
        if (alt && !ctrl)
            return false;
        if (ctrl && !alt && key >= Qt::Key_A && key <= Qt::Key_Z) {
            // Ctrl+letter types its control code on Windows, whatever text
            // the platform attached to the event.
            if (out)
                *out = char(key - Qt::Key_A + 1);
            return true;
        }
        const QString text = event->text();
        if (text.isEmpty())
            return false;
        const QChar ch = text.at(0);
        if (ch.unicode() == 0x7f)
            return false;
        if (ch.unicode() < 0x20) {
            c = char(ch.unicode());
        } else {
            bool ok = false;
            c = unicodeToCp1252(ch, &ok);
            if (!ok)
                return false;
        }
        have = true;
    }
    if (out)
        *out = c;
    return have;
}

namespace {

// Code page 1252 bytes 0x80..0x9F.
const char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

}  // namespace

QChar cp1252ToUnicode(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0)
        return QChar(kCp1252High[b - 0x80]);
    return QChar(char16_t(b));
}

char unicodeToCp1252(QChar c, bool *ok)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        if (ok)
            *ok = true;
        return char(static_cast<unsigned char>(u));
    }
    if (u != 0xFFFD) {
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == u) {
                if (ok)
                    *ok = true;
                return char(static_cast<unsigned char>(0x80 + i));
            }
        }
    }
    if (ok)
        *ok = false;
    return '?';
}

QString cp1252ToString(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char b : bytes)
        s.append(cp1252ToUnicode(b));
    return s;
}

QByteArray stringToCp1252(const QString &s)
{
    QByteArray out;
    out.reserve(s.size());
    for (QChar ch : s)
        out.append(unicodeToCp1252(ch));
    return out;
}
