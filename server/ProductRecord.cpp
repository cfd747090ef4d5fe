#include "ProductRecord.h"

#include "ProductPacket.h"

#include <variant>

namespace {

using TMembro = std::variant<QString TProduto::*, double TProduto::*>;

struct TCampoProduto {
    const char *nome;
    TMembro membro;
};

// In the order the packet's fields are read and checked (the insert
// dataset's declaration order): a packet short of two fields is refused
// for the first of them here.
const TCampoProduto kCampos[] = {
    {"CDPRODUTO", &TProduto::cdProduto},       {"CDARVPROD", &TProduto::cdArvProd},
    {"CDPRODINTE", &TProduto::cdProdInte},     {"NMPRODUTO", &TProduto::nmProduto},
    {"SGUNIDADE", &TProduto::sgUnidade},       {"VRPREUNIT", &TProduto::vrPreUnit},
    {"VRPRECITEM", &TProduto::vrPrecItem},     {"CDIMPOSTO", &TProduto::cdImposto},
    {"CDPORIMPPROD", &TProduto::cdPorImpProd}, {"VRPEALIMPFIS", &TProduto::vrPeAlImpFis},
    {"QTTARAPROD", &TProduto::qtTaraProd},     {"CDBARPRODUTO", &TProduto::cdBarProduto},
    {"IDPESAPROD", &TProduto::idPesaProd},     {"SGIMPOSTO", &TProduto::sgImposto},
    {"IDTPIMPOSFIS", &TProduto::idTpImposFis},
};
constexpr const char *kConjunto = "cdsInsProd";

const TCampoProduto &campoProduto(const QString &nome)
{
    for (const TCampoProduto &c : kCampos)
        if (nome.compare(QLatin1String(c.nome), Qt::CaseInsensitive) == 0)
            return c;
    throw EDatabaseError(QStringLiteral("O pacote de produto não tem o campo %1.").arg(nome));
}

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

QList<TProduto> produtosDoPacote(const TDataPacket &pacote)
{
    struct TLigacao {
        int origem;
        TFieldDef campo;
        TMembro membro;
    };
    QList<TLigacao> ligacoes;
    for (const TCampoProduto &c : kCampos) {
        const TFieldDef f = productPacketField(QLatin1String(c.nome));
        const int i = pacote.fieldIndex(f.name);
        if (i < 0)
            throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(QLatin1String(kConjunto), f.name));
        const TFieldType recebido = pacote.fields[i].type;
        if (recebido != f.type && !(numerico(recebido) && numerico(f.type)))
            throw EDatabaseError(QStringLiteral("%1: tipo incompatível no campo '%2' (%3 esperado, %4 recebido).")
                                     .arg(QLatin1String(kConjunto), f.name, fieldTypeName(f.type),
                                          fieldTypeName(recebido)));
        ligacoes.append({i, f, c.membro});
    }
    // Every row converted before any is used: a bad value anywhere refuses
    // the packet whole.
    QList<TProduto> produtos;
    produtos.reserve(pacote.rows.size());
    for (const QVariantList &linha : pacote.rows) {
        TProduto p;
        for (const TLigacao &l : std::as_const(ligacoes)) {
            const QVariant v = converte(linha.value(l.origem), l.campo);
            if (const auto *texto = std::get_if<QString TProduto::*>(&l.membro))
                p.*(*texto) = v.isValid() ? v.toString() : QString();
            else
                p.*std::get<double TProduto::*>(l.membro) = v.isValid() ? v.toDouble() : 0.0;
        }
        produtos.append(std::move(p));
    }
    return produtos;
}

TProduto produtoNasLarguras(TProduto produto)
{
    for (const TCampoProduto &c : kCampos)
        if (const auto *texto = std::get_if<QString TProduto::*>(&c.membro)) {
            const int largura = productPacketField(QLatin1String(c.nome)).size;
            if (QString &v = produto.*(*texto); largura > 0 && v.size() > largura)
                v.truncate(largura);
        }
    return produto;
}

QVariantList linhaDoProduto(const TProduto &produto, const QList<TFieldDef> &campos)
{
    QVariantList linha;
    linha.reserve(campos.size());
    for (const TFieldDef &f : campos) {
        const TCampoProduto &c = campoProduto(f.name);
        const auto *texto = std::get_if<QString TProduto::*>(&c.membro);
        if (texto ? f.type != TFieldType::ftString : f.type != TFieldType::ftFloat)
            throw EDatabaseError(QStringLiteral("O campo %1 do produto não é %2.")
                                     .arg(f.name, fieldTypeName(texto ? TFieldType::ftString : TFieldType::ftFloat)));
        if (texto)
            linha.append(produto.*(*texto));
        else
            linha.append(produto.*std::get<double TProduto::*>(c.membro));
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
