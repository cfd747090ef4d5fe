// The field of a dataset: its value in the current row (or in the row being
// edited) and the conversions between the field's type and other types.
#include "DataSet.h"

bool TField::holds(const QVariant &v) const
{
    if (!TDataPacket::isCoerced(v, m_def.type))
        return false;
    if (m_def.type != TFieldType::ftString || m_def.size <= 0 || !v.isValid())
        return true;
    return static_cast<const QString *>(v.constData())->size() <= m_def.size;
}

QVariant TField::convert(const QVariant &v) const
{
    // Most values arrive in the field's own type and width already.
    if (holds(v))
        return v;
    QVariant c;
    try {
        c = TDataPacket::coerce(v, m_def.type);
    } catch (const EPacketError &e) {
        throw EConvertError(QStringLiteral("%1 (campo %2)").arg(e.Message(), m_def.name));
    }
    if (m_def.type == TFieldType::ftString && m_def.size > 0 && c.isValid()) {
        const QString s = c.toString();
        if (s.size() > m_def.size)
            c = s.left(m_def.size);
    }
    return c;
}

QVariant TField::Value() const
{
    const TDataSet *ds = m_ds;
    if (ds->m_state == TDataSetState::dsInsert || ds->m_state == TDataSetState::dsEdit)
        return ds->m_buffer.value(m_index);
    if (ds->m_cur < 0)
        return QVariant();
    return ds->m_store.value(ds->m_view[ds->m_cur], m_index);
}

void TField::SetValue(const QVariant &v)
{
    if (m_ds->m_state != TDataSetState::dsInsert && m_ds->m_state != TDataSetState::dsEdit)
        throw EDatabaseError(QStringLiteral("%1: o conjunto de dados não está em edição nem em inclusão.")
                                 .arg(m_ds->objectName()));
    m_ds->m_buffer[m_index] = convert(v);
}

QString TField::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return QString();
    switch (m_def.type) {
    case TFieldType::ftDateTime: return dateTimeToText(v.toDateTime());
    case TFieldType::ftFloat: return QString::number(v.toDouble(), 'g', 15);
    case TFieldType::ftBoolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0.0;
    return TDataPacket::coerce(v, TFieldType::ftFloat).toDouble();
}

qint64 TField::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    try {
        return TDataPacket::coerce(v, TFieldType::ftInteger).toLongLong();
    } catch (const EPacketError &e) {
        throw EConvertError(e.Message());
    }
}

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return QDateTime();
    try {
        return TDataPacket::coerce(v, TFieldType::ftDateTime).toDateTime();
    } catch (const EPacketError &e) {
        throw EConvertError(e.Message());
    }
}

bool TField::AsBoolean() const
{
    const QVariant v = Value();
    return v.isValid() && TDataPacket::coerce(v, TFieldType::ftBoolean).toBool();
}

