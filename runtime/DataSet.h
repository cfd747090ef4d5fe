#pragma once
// In-memory datasets: TDataSet holds field definitions, rows and a cursor;
// TClientDataSet adds the packet (load and save whole) and the in-memory
// table; TADOQuery (ADO.h) fills a TDataSet from a statement's result.

#include "ColumnStore.h"
#include "DataPacket.h"
#include "Exceptions.h"

#include <QObject>
#include <QVector>
#include <type_traits>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;

// A row as views and filters see it is a packet row.
static_assert(std::is_same_v<QVector<QVariant>, QVariantList>);

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TField {
public:
    TField(TDataSet *ds, int index, const TFieldDef &def) : m_ds(ds), m_index(index), m_def(def) {}

    const QString &FieldName() const { return m_def.name; }
    TFieldType DataType() const { return m_def.type; }
    int Size() const { return m_def.size; }
    int Index() const { return m_index; }
    const TFieldDef &Def() const { return m_def; }

    bool Visible = true;
    QString DisplayLabel;  // empty: the field name
    int DisplayWidth = 0;
    // A search dialog also finds the row when the text typed is this
    // field's whole value, shown or not (a product's bar code).
    bool SearchWhole = false;
    QString displayName() const { return DisplayLabel.isEmpty() ? m_def.name : DisplayLabel; }

    // The value of the current row (or of the row being edited).
    QVariant Value() const;
    void SetValue(const QVariant &v);  // converted to the field's type; texts cut to Size
    bool IsNull() const { return !Value().isValid(); }
    void Clear() { SetValue(QVariant()); }

    QString AsString() const;    // null gives ""
    double AsFloat() const;      // null gives 0
    qint64 AsInteger() const;    // null gives 0
    QDateTime AsDateTime() const;
    bool AsBoolean() const;
    void SetAsString(const QString &s) { SetValue(s); }
    void SetAsFloat(double d) { SetValue(d); }
    void SetAsInteger(qint64 n) { SetValue(n); }
    void SetAsDateTime(const QDateTime &dt) { SetValue(dt); }

    // A value converted to this field's type, texts cut to its width.
    QVariant convert(const QVariant &v) const;
    // Whether a value is already in this field's type and width, so that
    // convert() would give it back unchanged.
    bool holds(const QVariant &v) const;

private:
    TDataSet *m_ds;
    int m_index;
    TFieldDef m_def;
};

class TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(QObject *owner = nullptr);
    ~TDataSet() override;

    // Field definitions. Declared fields survive Close and decide what a
    // packet or a statement's result may put into the dataset.
    TField *AddField(const QString &name, TFieldType type, int size = 0, bool visible = true,
                     const QString &displayLabel = QString());
    void ClearFields();
    int FieldCount() const { return int(m_fields.size()); }
    TField *Fields(int i) const { return m_fields.at(size_t(i)).get(); }
    TField *FindField(const QString &name) const;  // ignores case; nullptr when absent
    TField *FieldByName(const QString &name) const;  // raises EDatabaseError when absent
    QList<TFieldDef> fieldDefs() const;

    bool Active() const { return m_state != TDataSetState::dsInactive; }
    TDataSetState State() const { return m_state; }
    virtual void Close();

    // Cursor over the visible rows (index order, filter applied).
    int RecordCount() const { return int(m_view.size()); }
    bool IsEmpty() const { return m_view.isEmpty(); }
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    int RecNo() const { return m_cur < 0 ? 0 : m_cur + 1; }  // 1-based; 0 when empty
    void SetRecNo(int recNo);
    void First();
    void Last();
    void Next();
    void Prior();

    // Editing.
    void Insert();  // new row placed after the current row
    void Append();  // new row placed at the end
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void EmptyDataSet();

    bool Locate(const QString &fieldName, const QVariant &value, bool caseInsensitive = true);

    // Order of the rows by these fields (separated by ';'); empty: storage order.
    QString IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const QString &names);

    // Filter: when Filtered is on, only rows the predicate accepts are seen.
    using FilterFn = std::function<bool(const TDataSet &ds, const QVector<QVariant> &row)>;
    void SetFilter(FilterFn fn);
    void SetFiltered(bool on);
    bool Filtered() const { return m_filtered; }

    // Whole content as a packet, and replaced from one.
    TDataPacket Data() const;
    void SetData(const TDataPacket &packet);
    // The same, the packet's rows let go of one by one as they are read
    // (when no one else holds them): the rows are never held twice.
    void SetData(TDataPacket &&packet);
    // What SetData(other.Data()) does, the rows copied by column.
    void CopyRowsFrom(const TDataSet &other);

    // Row storage access for views (the grid model): visible row i.
    QVariant valueAt(int visibleRow, int field) const;

Q_SIGNALS:
    // Changes of the visible rows, each announced before it happens (views
    // must know the old rows until then) and reported after. Row numbers
    // are 0-based visible rows.
    void rowsAboutToBeReset();       // rows or fields are about to be replaced
    void rowsReset();                // rows or fields replaced
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);       // a posted new row now stands at `row`
    void rowChanged(int row);        // a posted edit changed `row` in place
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void currentChanged(int recNo);  // cursor moved

protected:
    friend class TField;
    // Replaces fields (when none are declared) and rows; opens the dataset
    // on its first row.
    void loadRows(const QList<TFieldDef> &defs, std::vector<QVector<QVariant>> &&rows, bool adoptFields);
    void loadStore(const QList<TFieldDef> &defs, TColumnStore &&store, bool adoptFields);
    // The packet's rows in a store of `defs` (the packet's fields when no
    // field is declared, else the declared ones bound by name).
    // Whether a packet's rows by column can be the rows as they stand.
    bool takesAsTheyStand(const TDataPacket &packet) const;
    TColumnStore storeFor(const TDataPacket &packet, QList<TFieldDef> *defs, TDataPacket *release);
    void openEmpty();
    void requireActive() const;
    // Rebuilds the visible rows (filter, index order) and puts the cursor
    // on storage row `keepStorageRow`, on the row it stood on
    // (kKeepCurrent) or on the first row (kFirstRow).
    static constexpr int kKeepCurrent = -1;
    static constexpr int kFirstRow = -2;
    void rebuildView(int keepStorageRow = kKeepCurrent);
    void setCursor(int viewIndex);
    // Runs `change` between rowsAboutToBeReset and rowsReset.
    // The report follows even when the change fails half-way.
    template <typename Change>
    void resetRows(Change change)
    {
        Q_EMIT rowsAboutToBeReset();
        struct Done {
            TDataSet *ds;
            ~Done() { Q_EMIT ds->rowsReset(); }
        } done{this};
        change();
    }
    // Whether the visible rows are the storage rows in storage order.
    bool plainView() const { return m_indexFieldNames.isEmpty() && !m_filtered; }

    std::vector<std::unique_ptr<TField>> m_fields;
    TColumnStore m_store;  // the rows, by column
    QList<int> m_view;  // storage indexes of the visible rows, in order
    int m_cur = -1;     // index into m_view
    bool m_eof = true, m_bof = true;
    TDataSetState m_state = TDataSetState::dsInactive;
    QVector<QVariant> m_buffer;  // row being inserted or edited
    int m_insertAt = -1;         // storage index for an inserted row
    QString m_indexFieldNames;
    FilterFn m_filter;
    bool m_filtered = false;
};

class TClientDataSet : public TDataSet {
    Q_OBJECT
public:
    using TDataSet::TDataSet;
    // Creates the empty in-memory table from the declared fields.
    void CreateDataSet();
    void Open();
    void LoadFromFile(const QString &path);  // raises on a missing or corrupt file
    void SaveToFile(const QString &path) const;
};
