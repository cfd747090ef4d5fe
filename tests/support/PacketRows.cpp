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

QVariantList linhaDoProduto(const TProduto &produto, const QList<TFieldDef> &campos)
{
    QVariantList linha;
    linha.reserve(campos.size());
    for (const TFieldDef &f : campos) {
        const TCampoProduto &c = campoProduto(f.name);
        if (f.type != c.tipo)
            throw EDatabaseError(QStringLiteral("O campo %1 do produto não é %2.").arg(f.name, fieldTypeName(c.tipo)));
        linha.append(c.valor(produto));
    }
    return linha;
}

TDataPacket pacoteDeProdutos(const QList<TProduto> &produtos)
{
    TDataPacket p;
    p.fields = productPacketFields();
    p.rows.reserve(produtos.size());
    for (const TProduto &produto : produtos)
        p.rows.append(linhaDoProduto(produto, p.fields));
    return p;
}
