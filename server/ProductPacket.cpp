#include "ProductPacket.h"

#include "ProductRecord.h"

const QList<TFieldDef> &productPacketFields()
{
    static const QList<TFieldDef> fields = [] {
        QList<TFieldDef> f;
        for (const TCampoProduto &c : camposProduto())
            f.append({c.nomeCampo(), c.tipo, c.largura});
        return f;
    }();
    return fields;
}

TFieldDef productPacketField(const QString &name)
{
    const TCampoProduto &c = campoProduto(name);
    return {c.nomeCampo(), c.tipo, c.largura};
}

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
