#pragma once
// A table model that shows a dataset in a grid, and the binding that keeps
// a QTableView and the dataset's cursor in step.

#include "DataSet.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QLocale>
#include <QPointer>

class QTableView;

// Shows the rows a dataset currently sees (index order, filter applied) as
// table rows. Follows the dataset, announcing each change before it
// happens: a new content (or new fields) resets the model, a posted row is
// inserted, changed or removed alone, so views keep their selection; and
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

    // The locale numbers are shown in (by default the user's, QLocale()).
    void setLocale(const QLocale &locale);

    // The text a cell shows (floats with two decimals in the model's locale).
    QString displayText(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Text of a value as the grid shows it (numbers in `locale`).
    static QString formatValue(const QVariant &v, TFieldType type, const QLocale &locale = QLocale());

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void rebuildColumns();
    void onRowsAboutToBeReset();
    void onRowsReset();
    void onCurrentChanged(int recNo);

    QPointer<TDataSet> m_ds;
    QList<Column> m_explicit;
    QList<Column> m_cols;    // in effect
    QList<int> m_fieldIdx;   // field index per column in effect
    bool m_resetting = false;
    QLocale m_locale;
};

// Puts the model into the view and keeps both in step: the view's column
// widths from the model (widths the operator dragged survive a reload of
// the same columns), the selected row follows the dataset's cursor, and
// touching a row makes it the dataset's current row.
void attachDataSetView(QTableView *view, TDataSetTableModel *model);
