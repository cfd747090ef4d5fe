#include "ProductList.h"

#include "ProductPacket.h"
#include "TrdmCadProd.h"

TDataPacket readProductList(TrdmCadProd &dm, const QString &code)
{
    TADOQuery *q = dm.adqProdutoLista;
    TDataPacket packet;
    packet.fields = productPacketFields();
    // The statement's declared fields are the packet's, in its order, so a
    // result row becomes a packet row as it stands.
    if (q->fieldDefs() != packet.fields)
        throw EDatabaseError(QStringLiteral("%1: campos diferentes dos do pacote de produto.").arg(q->objectName()));
    const qsizetype n = packet.fields.size();
    const int codigo = packet.fieldIndex(QStringLiteral("CDPRODUTO"));
    const int precoUnitario = packet.fieldIndex(QStringLiteral("VRPREUNIT"));
    QVector<QVariant> vazio(n);  // what a null column of each field becomes
    for (qsizetype i = 0; i < n; ++i)
        vazio[i] = packet.fields[i].type == TFieldType::ftString ? QVariant(QString()) : QVariant(0.0);
    vazio[precoUnitario] = QVariant();

    q->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = code;
    q->Stream([&](QVector<QVariant> &&row) {
        // A product with several price or rate rows comes once per
        // combination, the first in key order first: that one counts.
        if (!packet.rows.isEmpty()) {
            const QVariant &anterior = packet.rows.constLast()[codigo];
            if (anterior.isValid() && anterior == row[codigo])
                return;
        }
        for (qsizetype i = 0; i < n; ++i)
            if (i == precoUnitario || !row[i].isValid())
                row[i] = vazio[i];
        packet.rows.append(std::move(row));
    });
    return packet;
}
