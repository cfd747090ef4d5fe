#include "ProductVersion.h"

#include "ProductList.h"
#include "ProductPacket.h"
#include "QulShared.h"
#include "TrdmCadProd.h"
#include "UnidadeTrabalho.h"

namespace {

// One value as read then and as read now: numbers by value, texts by text,
// null only equal to null.
bool mesmoValor(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    const auto numero = [](const QVariant &v) {
        const int t = v.metaType().id();
        return t == QMetaType::Double || t == QMetaType::Float || t == QMetaType::LongLong || t == QMetaType::Int;
    };
    if (numero(a) || numero(b))
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

}  // namespace

std::optional<TDataPacket> produtosMudados(TUnidadeTrabalho &ut, const TDataPacket &lido)
{
    if (!ut.aberta() || !ut.travada())
        throw EDatabaseError(QStringLiteral("A conferência do produto lido só corre na gravação, com a trava dos terminais."));
    TrdmCadProd &dm = ut.dm();
    const int codigo = lido.fieldIndex(QStringLiteral("CDPRODUTO"));
    if (codigo < 0)
        throw EDatabaseError(QStringLiteral("O produto lido não traz o campo CDPRODUTO."));
    TDataPacket mudados;
    mudados.fields = productPacketFields();
    bool mudou = false;
    for (const QVariantList &antes : lido.rows) {
        const QString cd = antes.value(codigo).toString();
        // Its rows locked first: a writer that takes none of the terminals'
        // locks either committed before (and is seen below) or waits for
        // this save to end.
        TADOQuery *trava = dm.adqTravaProduto;
        trava->Close();
        setParam(trava, "P_CDPRODUTO", cd);
        trava->Open();
        trava->Close();
        const TDataPacket agora = readStoredProduct(dm, cd);
        if (agora.rows.isEmpty()) {
            mudou = true;
            continue;
        }
        const QVariantList &atual = agora.rows.constFirst();
        for (int i = 0; i < lido.fields.size(); ++i) {
            const int j = agora.fieldIndex(lido.fields[i].name);
            if (j < 0 || !mesmoValor(antes.value(i), atual.value(j))) {
                mudou = true;
                mudados.rows.append(atual);
                break;
            }
        }
    }
    return mudou ? std::optional<TDataPacket>(mudados) : std::nullopt;
}
