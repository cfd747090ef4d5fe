#include "ProductRecord.h"

#include "ProductPacket.h"

namespace {

// The order the packet's fields are read and checked in (the insert
// dataset's declaration order): a packet short of two fields is refused
// for the first of them here.
constexpr const char *kOrdemConjunto[] = {
    "CDPRODUTO", "CDARVPROD",  "CDPRODINTE", "NMPRODUTO",    "SGUNIDADE",  "VRPREUNIT", "VRPRECITEM", "CDIMPOSTO",
    "CDPORIMPPROD", "VRPEALIMPFIS", "QTTARAPROD", "CDBARPRODUTO", "IDPESAPROD", "SGIMPOSTO", "IDTPIMPOSFIS",
};
constexpr const char *kConjunto = "cdsInsProd";

bool numerico(TFieldType t)
{
    return t == TFieldType::ftFloat || t == TFieldType::ftInteger;
}

// The packet's value converted to the field `f`, as a field of that type
// and width holds it.
QVariant converte(const QVariant &v, const TFieldDef &f)
{
    QVariant c;
    try {
        c = TDataPacket::coerce(v, f.type);
    } catch (const EPacketError &e) {
        throw EConvertError(QStringLiteral("%1 (campo %2)").arg(e.Message(), f.name));
    }
    if (f.type == TFieldType::ftString && f.size > 0 && c.isValid() && c.toString().size() > f.size)
        c = c.toString().left(f.size);
    return c;
}

}  // namespace

QVariant TCampoProduto::valor(const TProduto &p) const
{
    return texto() ? QVariant(textoDe(p)) : QVariant(numeroDe(p));
}

void TCampoProduto::poe(TProduto &p, const QVariant &v) const
{
    if (const auto *t = std::get_if<QString TProduto::*>(&membro))
        p.*(*t) = v.isValid() ? v.toString() : QString();
    else
        p.*std::get<double TProduto::*>(membro) = v.isValid() ? v.toDouble() : 0.0;
}

const QList<TCampoProduto> &camposProduto()
{
    using enum TFieldType;
    // Made on first use: the static data of other files reads it.
    static const QList<TCampoProduto> campos{
        {"CDPRODUTO", ftString, 10, 0, true, &TProduto::cdProduto},
        {"CDARVPROD", ftString, 20, 1, true, &TProduto::cdArvProd},
        {"CDBARPRODUTO", ftString, 30, 8, true, &TProduto::cdBarProduto},
        {"NMPRODUTO", ftString, 50, 3, true, &TProduto::nmProduto},
        {"SGUNIDADE", ftString, 10, 4, true, &TProduto::sgUnidade},
        {"VRPREUNIT", ftFloat, 0, 0, false, &TProduto::vrPreUnit},
        {"IDPESAPROD", ftString, 1, 0, true, &TProduto::idPesaProd},
        {"QTTARAPROD", ftFloat, 0, 10, true, &TProduto::qtTaraProd},
        {"CDPRODINTE", ftString, 20, 2, true, &TProduto::cdProdInte},
        {"VRPRECITEM", ftFloat, 0, 5, true, &TProduto::vrPrecItem},
        {"CDIMPOSTO", ftString, 2, 6, true, &TProduto::cdImposto},
        {"CDPORIMPPROD", ftString, 5, 9, true, &TProduto::cdPorImpProd},
        {"VRPEALIMPFIS", ftFloat, 0, 7, true, &TProduto::vrPeAlImpFis},
        {"SGIMPOSTO", ftString, 10, 0, true, &TProduto::sgImposto},
        {"IDTPIMPOSFIS", ftString, 1, 0, true, &TProduto::idTpImposFis},
    };
    return campos;
}

const TCampoProduto &campoProduto(const QString &nome)
{
    for (const TCampoProduto &c : camposProduto())
        if (nome.compare(QLatin1String(c.nome), Qt::CaseInsensitive) == 0)
            return c;
    throw EDatabaseError(QStringLiteral("O pacote de produto não tem o campo %1.").arg(nome));
}

const TCampoProduto *campoDaEntrada(int numero)
{
    for (const TCampoProduto &c : camposProduto())
        if (c.entrada == numero && numero > 0)
            return &c;
    return nullptr;
}

QList<TProduto> produtosDoPacote(const TDataPacket &pacote, bool nasLarguras)
{
    struct TLigacao {
        int origem;
        TFieldDef campo;
        const TCampoProduto *produto;
    };
    QList<TLigacao> ligacoes;
    for (const char *nome : kOrdemConjunto) {
        const TCampoProduto &c = campoProduto(QLatin1String(nome));
        TFieldDef f{c.nomeCampo(), c.tipo, nasLarguras ? c.largura : 0};
        const int i = pacote.fieldIndex(f.name);
        if (i < 0)
            throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(QLatin1String(kConjunto), f.name));
        const TFieldType recebido = pacote.fields[i].type;
        if (recebido != f.type && !(numerico(recebido) && numerico(f.type)))
            throw EDatabaseError(QStringLiteral("%1: tipo incompatível no campo '%2' (%3 esperado, %4 recebido).")
                                     .arg(QLatin1String(kConjunto), f.name, fieldTypeName(f.type),
                                          fieldTypeName(recebido)));
        ligacoes.append({i, f, &c});
    }
    // Every row converted before any is used: a bad value anywhere refuses
    // the packet whole.
    QList<TProduto> produtos;
    produtos.reserve(pacote.rows.size());
    for (const QVariantList &linha : pacote.rows) {
        TProduto p;
        for (const TLigacao &l : std::as_const(ligacoes))
            l.produto->poe(p, converte(linha.value(l.origem), l.campo));
        produtos.append(std::move(p));
    }
    return produtos;
}

TProduto produtoNasLarguras(TProduto produto)
{
    for (const TCampoProduto &c : camposProduto())
        if (const auto *texto = std::get_if<QString TProduto::*>(&c.membro))
            if (QString &v = produto.*(*texto); c.largura > 0 && v.size() > c.largura)
                v.truncate(c.largura);
    return produto;
}
