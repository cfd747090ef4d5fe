#include "ProductPacket.h"

const QList<TFieldDef> &productPacketFields()
{
    static const QList<TFieldDef> fields{
        {QStringLiteral("CDPRODUTO"), TFieldType::ftString, 10},   {QStringLiteral("CDARVPROD"), TFieldType::ftString, 20},
        {QStringLiteral("CDBARPRODUTO"), TFieldType::ftString, 30}, {QStringLiteral("NMPRODUTO"), TFieldType::ftString, 50},
        {QStringLiteral("SGUNIDADE"), TFieldType::ftString, 10},   {QStringLiteral("VRPREUNIT"), TFieldType::ftFloat, 0},
        {QStringLiteral("IDPESAPROD"), TFieldType::ftString, 1},   {QStringLiteral("QTTARAPROD"), TFieldType::ftFloat, 0},
        {QStringLiteral("CDPRODINTE"), TFieldType::ftString, 20},  {QStringLiteral("VRPRECITEM"), TFieldType::ftFloat, 0},
        {QStringLiteral("CDIMPOSTO"), TFieldType::ftString, 2},    {QStringLiteral("CDPORIMPPROD"), TFieldType::ftString, 5},
        {QStringLiteral("VRPEALIMPFIS"), TFieldType::ftFloat, 0},  {QStringLiteral("SGIMPOSTO"), TFieldType::ftString, 10},
        {QStringLiteral("IDTPIMPOSFIS"), TFieldType::ftString, 1},
    };
    return fields;
}

TFieldDef productPacketField(const QString &name)
{
    for (const TFieldDef &f : productPacketFields())
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    throw EDatabaseError(QStringLiteral("O pacote de produto não tem o campo %1.").arg(name));
}
