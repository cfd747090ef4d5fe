#include "PacketRows.h"

TDataPacket productPacket(const QList<QVariantMap> &rows, const QStringList &order)
{
    TDataPacket p;
    if (order.isEmpty()) {
        p.fields = productPacketFields();
    } else {
        for (const QString &name : order)
            p.fields.append(productPacketField(name));
    }
    for (const QVariantMap &values : rows) {
        QVariantList row;
        for (const TFieldDef &f : std::as_const(p.fields))
            row.append(values.value(f.name));
        p.rows.append(row);
    }
    return p;
}
