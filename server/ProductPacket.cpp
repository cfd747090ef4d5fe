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
