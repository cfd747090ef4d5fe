#include "DataSetTableModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QTableView>
#include <memory>

// ---------------------------------------------------------------- TDataSetTableModel

TDataSetTableModel::TDataSetTableModel(TDataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_ds(dataSet)
{
    if (m_ds) {
        // Every change is announced before the dataset makes it, as views
        // need: a whole new content resets the model, a posted row is
        // inserted, changed or removed alone.
        connect(m_ds, &TDataSet::rowsAboutToBeReset, this, &TDataSetTableModel::onRowsAboutToBeReset);
        connect(m_ds, &TDataSet::rowsReset, this, &TDataSetTableModel::onRowsReset);
        connect(m_ds, &TDataSet::rowAboutToBeInserted, this, [this](int row) { beginInsertRows({}, row, row); });
        connect(m_ds, &TDataSet::rowInserted, this, [this](int) { endInsertRows(); });
        connect(m_ds, &TDataSet::rowChanged, this, [this](int row) {
            if (!m_cols.isEmpty())
                Q_EMIT dataChanged(index(row, 0), index(row, int(m_cols.size()) - 1));
        });
        connect(m_ds, &TDataSet::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
        connect(m_ds, &TDataSet::rowRemoved, this, [this](int) { endRemoveRows(); });
        connect(m_ds, &TDataSet::currentChanged, this, &TDataSetTableModel::onCurrentChanged);
        connect(m_ds, &QObject::destroyed, this, [this] {
            onRowsAboutToBeReset();
            onRowsReset();
        });
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

void TDataSetTableModel::setLocale(const QLocale &locale)
{
    if (locale == m_locale)
        return;
    m_locale = locale;
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

QString TDataSetTableModel::formatValue(const QVariant &v, TFieldType type, const QLocale &locale)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type) {
    case TFieldType::ftFloat: return locale.toString(v.toDouble(), 'f', 2);
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
    return formatValue(m_ds->valueAt(row, fi), m_ds->Fields(fi)->DataType(), m_locale);
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

void TDataSetTableModel::onRowsAboutToBeReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void TDataSetTableModel::onRowsReset()
{
    onRowsAboutToBeReset();  // in case the announcement came before this model existed
    rebuildColumns();
    m_resetting = false;
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

// What a column shows, to tell a reload of the same columns from new ones.
QStringList columnKeys(const TDataSetTableModel *model)
{
    QStringList keys;
    for (const TDataSetTableModel::Column &c : model->effectiveColumns())
        keys.append(c.field.toUpper() + QLatin1Char('|') + c.title + QLatin1Char('|') + QString::number(c.width));
    return keys;
}

// Widths of a view's columns across resets of its model: a reset forgets
// them, so those the operator set are taken before and given back after
// when the columns are still the same; new columns take the model's.
struct WidthKeeper {
    QStringList keys;
    QList<int> widths;
};

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
    auto keeper = std::make_shared<WidthKeeper>();
    keeper->keys = columnKeys(model);
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, view, [view, model, keeper] {
        if (view->model() != model)
            return;
        keeper->widths.clear();
        for (int c = 0; c < model->columnCount(); ++c)
            keeper->widths.append(view->columnWidth(c));
    });
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model, keeper] {
        if (view->model() != model)
            return;
        const QStringList keys = columnKeys(model);
        if (keys == keeper->keys && keeper->widths.size() == model->columnCount()) {
            for (int c = 0; c < model->columnCount(); ++c)
                view->setColumnWidth(c, keeper->widths[c]);
        } else {
            keeper->keys = keys;
            applyWidths(view, model);
        }
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
