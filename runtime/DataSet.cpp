#include "DataSet.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>


// ---------------------------------------------------------------- TDataSet

TDataSet::TDataSet(QObject *owner) : QObject(owner) {}
TDataSet::~TDataSet() = default;

TField *TDataSet::AddField(const QString &name, TFieldType type, int size, bool visible,
                           const QString &displayLabel)
{
    if (Active())
        throw EDatabaseError(QStringLiteral("%1: campos não podem ser criados com o conjunto aberto.").arg(objectName()));
    if (FindField(name))
        throw EDatabaseError(QStringLiteral("%1: campo %2 repetido.").arg(objectName(), name));
    TFieldDef def{name, type, type == TFieldType::ftString ? size : 0};
    m_fields.push_back(std::make_unique<TField>(this, int(m_fields.size()), def));
    TField *f = m_fields.back().get();
    f->Visible = visible;
    f->DisplayLabel = displayLabel;
    return f;
}

void TDataSet::ClearFields()
{
    Close();
    m_fields.clear();
}

TField *TDataSet::FindField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f)
        throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(objectName(), name));
    return f;
}

QList<TFieldDef> TDataSet::fieldDefs() const
{
    QList<TFieldDef> defs;
    for (const auto &f : m_fields)
        defs.append(f->Def());
    return defs;
}

void TDataSet::Close()
{
    resetRows([this] {
        m_store.clear();
        m_view.clear();
        m_cur = -1;
        m_eof = m_bof = true;
        m_buffer.clear();
        m_state = TDataSetState::dsInactive;
    });
}

void TDataSet::requireActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("%1: operação não permitida em um conjunto de dados fechado.").arg(objectName()));
}

void TDataSet::openEmpty()
{
    resetRows([this] {
        m_store.reset(fieldDefs());
        m_state = TDataSetState::dsBrowse;
        rebuildView(kFirstRow);
    });
}

void TDataSet::loadRows(const QList<TFieldDef> &defs, std::vector<QVector<QVariant>> &&rows, bool adoptFields)
{
    TColumnStore store;
    store.reset(adoptFields ? defs : fieldDefs());
    store.reserve(qsizetype(rows.size()));
    for (QVector<QVariant> &r : rows) {
        store.appendRow(r);
        r = QVector<QVariant>();
    }
    rows.clear();
    loadStore(defs, std::move(store), adoptFields);
}

void TDataSet::loadStore(const QList<TFieldDef> &defs, TColumnStore &&store, bool adoptFields)
{
    store.squeeze();
    resetRows([&] {
        if (adoptFields) {
            m_fields.clear();
            for (const TFieldDef &d : defs)
                m_fields.push_back(std::make_unique<TField>(this, int(m_fields.size()), d));
        }
        m_store = std::move(store);
        m_buffer.clear();
        m_state = TDataSetState::dsBrowse;
        // A new content starts on its first row, whatever row the old one
        // stood on.
        rebuildView(kFirstRow);
    });
}

void TDataSet::rebuildView(int keepStorageRow)
{
    int keep = keepStorageRow;
    if (keep == kKeepCurrent)
        keep = m_cur >= 0 && m_cur < m_view.size() ? m_view[m_cur] : -1;
    m_view.clear();
    const int n = m_store.rowCount();
    m_view.reserve(n);
    if (!m_filtered || !m_filter) {
        for (int i = 0; i < n; ++i)
            m_view.append(i);
    } else {
        for (int i = 0; i < n; ++i)
            if (m_filter(*this, m_store.row(i)))
                m_view.append(i);
    }
    if (!m_indexFieldNames.isEmpty()) {
        QList<TField *> keys;
        for (const QString &n : m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            keys.append(FieldByName(n.trimmed()));
        std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
            for (TField *k : keys) {
                const int c = m_store.compare(a, b, k->Index());
                if (c != 0)
                    return c < 0;
            }
            return false;
        });
    }
    int pos = keep >= 0 ? int(m_view.indexOf(keep)) : -1;
    if (pos < 0)
        pos = m_view.isEmpty() ? -1 : 0;
    m_cur = pos;
    m_bof = m_eof = m_view.isEmpty();
    if (!m_view.isEmpty() && pos == 0)
        m_bof = true;
}

void TDataSet::setCursor(int viewIndex)
{
    m_cur = viewIndex;
    Q_EMIT currentChanged(RecNo());
}

void TDataSet::SetRecNo(int recNo)
{
    requireActive();
    if (m_view.isEmpty())
        return;
    m_bof = m_eof = false;
    setCursor(std::clamp(recNo, 1, int(m_view.size())) - 1);
}

void TDataSet::First()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_bof = true;
    m_eof = m_view.isEmpty();
    setCursor(m_view.isEmpty() ? -1 : 0);
}

void TDataSet::Last()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_eof = true;
    m_bof = m_view.isEmpty();
    setCursor(m_view.isEmpty() ? -1 : int(m_view.size()) - 1);
}

void TDataSet::Next()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_bof = false;
    if (m_cur < 0 || m_cur + 1 >= m_view.size()) {
        m_eof = true;
        return;
    }
    m_eof = false;
    setCursor(m_cur + 1);
}

void TDataSet::Prior()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_eof = false;
    if (m_cur <= 0) {
        m_bof = true;
        return;
    }
    m_bof = false;
    setCursor(m_cur - 1);
}

void TDataSet::Insert()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_buffer = QVector<QVariant>(qsizetype(m_fields.size()));
    m_insertAt = m_cur < 0 ? m_store.rowCount() : m_view[m_cur] + 1;
    m_state = TDataSetState::dsInsert;
}

void TDataSet::Append()
{
    requireActive();
    if (m_state != TDataSetState::dsBrowse)
        Post();
    m_buffer = QVector<QVariant>(qsizetype(m_fields.size()));
    m_insertAt = m_store.rowCount();
    m_state = TDataSetState::dsInsert;
}

void TDataSet::Edit()
{
    requireActive();
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert)
        return;
    if (m_cur < 0) {
        Insert();
        return;
    }
    m_buffer = m_store.row(m_view[m_cur]);
    m_state = TDataSetState::dsEdit;
}

void TDataSet::Post()
{
    requireActive();
    if (m_state == TDataSetState::dsInsert) {
        const int at = std::clamp(m_insertAt, 0, m_store.rowCount());
        const auto insert = [&] {
            m_store.insertRow(at, m_buffer);
            m_state = TDataSetState::dsBrowse;
            m_buffer.clear();
        };
        if (plainView()) {
            // Unordered and unfiltered, the view is the storage order
            // 0..n-1: it grows by one index and the new row is at `at`.
            Q_EMIT rowAboutToBeInserted(at);
            insert();
            m_view.append(m_store.rowCount() - 1);
            m_bof = m_eof = false;
            m_cur = at;
            Q_EMIT rowInserted(at);
        } else {
            // Where the row shows (or whether it shows at all) is known
            // only once the order and the filter have seen it.
            resetRows([&] {
                insert();
                for (int &i : m_view)
                    if (i >= at)
                        ++i;
                rebuildView(at);
            });
        }
        Q_EMIT currentChanged(RecNo());
    } else if (m_state == TDataSetState::dsEdit) {
        const int at = m_view[m_cur];
        const auto store = [&] {
            m_store.setRow(at, m_buffer);
            m_state = TDataSetState::dsBrowse;
            m_buffer.clear();
        };
        if (plainView()) {
            store();
            Q_EMIT rowChanged(m_cur);
        } else {
            // The edit may move the row in the order or out of the filter.
            resetRows([&] {
                store();
                rebuildView(at);
            });
        }
        Q_EMIT currentChanged(RecNo());
    }
}

void TDataSet::Cancel()
{
    if (m_state == TDataSetState::dsInsert || m_state == TDataSetState::dsEdit) {
        m_state = TDataSetState::dsBrowse;
        m_buffer.clear();
    }
}

void TDataSet::Delete()
{
    requireActive();
    Cancel();
    if (m_cur < 0)
        return;
    const int at = m_view[m_cur];
    const int keepView = m_cur;
    Q_EMIT rowAboutToBeRemoved(keepView);
    m_store.removeRow(at);
    m_view.removeAt(keepView);
    for (int &i : m_view)
        if (i > at)
            --i;
    if (m_view.isEmpty()) {
        m_cur = -1;
        m_bof = m_eof = true;
    } else {
        m_cur = std::min(keepView, int(m_view.size()) - 1);
    }
    Q_EMIT rowRemoved(keepView);
    Q_EMIT currentChanged(RecNo());
}

void TDataSet::EmptyDataSet()
{
    requireActive();
    Cancel();
    resetRows([this] {
        m_store.clear();
        m_view.clear();
        m_cur = -1;
        m_bof = m_eof = true;
    });
}

bool TDataSet::Locate(const QString &fieldName, const QVariant &value, bool caseInsensitive)
{
    requireActive();
    TField *f = FieldByName(fieldName);
    const int fi = f->Index();
    QVariant want;
    try {
        want = f->convert(value);
    } catch (const EConvertError &) {
        return false;
    }
    const bool text = f->DataType() == TFieldType::ftString && want.isValid();
    const QString wantText = text ? want.toString() : QString();
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int k = 0; k < m_view.size(); ++k) {
        const int r = m_view[k];
        bool eq;
        if (text && !m_store.isNull(r, fi))
            eq = m_store.text(r, fi).compare(wantText, cs) == 0;
        else
            eq = m_store.compareTo(r, fi, want) == 0;
        if (eq) {
            if (m_state != TDataSetState::dsBrowse)
                Post();
            m_bof = m_eof = false;
            setCursor(k);
            return true;
        }
    }
    return false;
}

void TDataSet::SetIndexFieldNames(const QString &names)
{
    for (const QString &n : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        FieldByName(n.trimmed());  // raises for an unknown field
    if (!Active()) {
        m_indexFieldNames = names;
        return;
    }
    resetRows([&] {
        m_indexFieldNames = names;
        rebuildView();
    });
}

void TDataSet::SetFilter(FilterFn fn)
{
    if (!Active() || !m_filtered) {
        m_filter = std::move(fn);
        return;
    }
    resetRows([&] {
        m_filter = std::move(fn);
        rebuildView();
    });
}

void TDataSet::SetFiltered(bool on)
{
    if (!Active()) {
        m_filtered = on;
        return;
    }
    resetRows([&] {
        m_filtered = on;
        rebuildView();
    });
}

QVariant TDataSet::valueAt(int visibleRow, int field) const
{
    if (visibleRow < 0 || visibleRow >= m_view.size())
        return QVariant();
    if (field < 0 || field >= m_store.columnCount())
        return QVariant();
    return m_store.value(m_view[visibleRow], field);
}

TDataPacket TDataSet::Data() const
{
    TDataPacket p;
    p.fields = fieldDefs();
    const int n = m_store.rowCount();
    p.rows.reserve(n);
    // The packet holds every row in storage order, whatever the filter.
    for (int i = 0; i < n; ++i)
        p.rows.append(m_store.row(i));
    return p;
}

void TDataSet::SetData(const TDataPacket &packet)
{
    if (packet.columns) {
        SetData(TDataPacket(packet));
        return;
    }
    Cancel();
    QList<TFieldDef> defs;
    TColumnStore store = storeFor(packet, &defs, nullptr);
    loadStore(defs, std::move(store), m_fields.empty());
}

void TDataSet::SetData(TDataPacket &&packet)
{
    Cancel();
    TDataPacket own = std::move(packet);
    if (own.columns) {
        // Rows by column become the dataset's rows as they stand, taken
        // over when the packet was their only holder.
        if (takesAsTheyStand(own)) {
            const bool adopt = m_fields.empty();
            TColumnStore store = own.columns.use_count() == 1 ? std::move(*own.columns) : *own.columns;
            own.columns.reset();
            loadStore(adopt ? own.fields : QList<TFieldDef>(), std::move(store), adopt);
            return;
        }
        own = own.withRows();
    }
    QList<TFieldDef> defs;
    // Rows shared with another packet stay, and only the shared list is let go.
    TColumnStore store = storeFor(own, &defs, own.rows.isDetached() ? &own : nullptr);
    own.rows = QList<QVariantList>();
    loadStore(defs, std::move(store), m_fields.empty());
}

void TDataSet::CopyRowsFrom(const TDataSet &other)
{
    TDataPacket p;
    p.fields = other.fieldDefs();
    p.columns = std::make_shared<TColumnStore>(other.m_store);
    SetData(std::move(p));
}

bool TDataSet::takesAsTheyStand(const TDataPacket &packet) const
{
    const TColumnStore &c = *packet.columns;
    const qsizetype n = packet.fields.size();
    if (c.columnCount() != n)
        return false;
    for (qsizetype i = 0; i < n; ++i)
        if (c.type(int(i)) != packet.fields[i].type)
            return false;
    if (m_fields.empty())
        return true;
    // Declared fields: the packet's in the same order and types, and no
    // text longer than its field.
    if (qsizetype(m_fields.size()) != n)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        const TField &f = *m_fields[size_t(i)];
        if (packet.fieldIndex(f.FieldName()) != i || f.DataType() != packet.fields[i].type)
            return false;
        if (f.DataType() == TFieldType::ftString && f.Size() > 0 && c.longestText(int(i)) > f.Size())
            return false;
    }
    return true;
}

TColumnStore TDataSet::storeFor(const TDataPacket &packet, QList<TFieldDef> *defs, TDataPacket *release)
{
    const qsizetype np = packet.fields.size();
    const qsizetype count = packet.rows.size();
    TColumnStore store;
    const auto letGo = [release](qsizetype k) {
        if (release)
            release->rows[k] = QVariantList();
    };
    if (m_fields.empty()) {
        *defs = packet.fields;
        store.reset(packet.fields);
        store.reserve(count);
        // The store converts what is not yet in the fields' types.
        for (qsizetype k = 0; k < count; ++k) {
            store.appendRow(packet.rows.at(k));
            letGo(k);
        }
        return store;
    }
    // Declared fields bind the packet's fields by name.
    QVector<int> src(qsizetype(m_fields.size()));
    for (const auto &f : m_fields) {
        const int i = packet.fieldIndex(f->FieldName());
        if (i < 0)
            throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(objectName(), f->FieldName()));
        const TFieldType pt = packet.fields[i].type, ft = f->DataType();
        const auto numeric = [](TFieldType t) { return t == TFieldType::ftFloat || t == TFieldType::ftInteger; };
        if (pt != ft && !(numeric(pt) && numeric(ft)))
            throw EDatabaseError(QStringLiteral("%1: tipo incompatível no campo '%2' (%3 esperado, %4 recebido).")
                                     .arg(objectName(), f->FieldName(), fieldTypeName(ft), fieldTypeName(pt)));
        src[f->Index()] = i;
    }
    // The packet's fields in the declared order: rows whose values are
    // already what the fields hold go in as they stand.
    const qsizetype nf = qsizetype(m_fields.size());
    bool sameOrder = np == nf;
    for (qsizetype i = 0; sameOrder && i < nf; ++i)
        sameOrder = src[i] == i && packet.fields[i].type == m_fields[size_t(i)]->DataType();
    *defs = QList<TFieldDef>();
    store.reset(fieldDefs());
    store.reserve(count);
    QVector<QVariant> row(nf);
    for (qsizetype k = 0; k < count; ++k) {
        const QVariantList &r = packet.rows.at(k);
        bool share = sameOrder && r.size() == nf;
        for (qsizetype i = 0; share && i < nf; ++i)
            share = m_fields[size_t(i)]->holds(r[i]);
        if (share) {
            store.appendRow(r);
        } else {
            for (const auto &f : m_fields)
                row[f->Index()] = f->convert(r.value(src[f->Index()]));
            store.appendRow(row);
        }
        letGo(k);
    }
    return store;
}

// ---------------------------------------------------------------- TClientDataSet

void TClientDataSet::CreateDataSet()
{
    if (m_fields.empty())
        throw EDatabaseError(QStringLiteral("%1: nenhum campo definido.").arg(objectName()));
    openEmpty();
}

void TClientDataSet::Open()
{
    if (!Active())
        CreateDataSet();
}

void TClientDataSet::LoadFromFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Não foi possível abrir o arquivo %1: %2").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    try {
        SetData(TDataPacket::decode(bytes));
    } catch (const EPacketError &e) {
        throw EDatabaseError(QStringLiteral("Arquivo %1 inválido: %2").arg(path, e.Message()));
    } catch (const EConvertError &e) {
        throw EDatabaseError(QStringLiteral("Arquivo %1 inválido: %2").arg(path, e.Message()));
    }
}

void TClientDataSet::SaveToFile(const QString &path) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(Data().encode()) < 0 || !f.commit())
        throw EDatabaseError(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, f.errorString()));
}
