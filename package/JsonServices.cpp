#include "JsonServices.h"

#include "DataPacket.h"
#include "Exceptions.h"
#include "TrdmCadProd.h"
#include "qul00002.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

namespace JsonServices {

namespace {

// Arguments that do not fit the service: a usage error.
struct EUso {
    QString texto;
};

using TArgumentos = QJsonArray;

// The packet of setProduto's second argument, which it saves.
QVariant pacoteDe(const TArgumentos &a)
{
    if (!a.at(1).isObject())
        throw EUso{QStringLiteral("o argumento 2 de setProduto deve ser o pacote: um objeto JSON com "
                                  "\"fields\" e \"rows\".")};
    try {
        return fromDataPacket(TDataPacket::fromJson(a.at(1).toObject()));
    } catch (const std::exception &e) {
        throw EUso{exceptionMessage(e)};
    }
}

// Argument `i` of `nome`, a text, as the services take it.
std::u16string texto(const QString &nome, const TArgumentos &a, int i)
{
    if (!a.at(i).isString())
        throw EUso{QStringLiteral("o argumento %1 de %2 deve ser um texto JSON.").arg(i + 1).arg(nome)};
    return a.at(i).toString().toStdU16String();
}

// A service, its number of arguments, and its call with them.
struct TServico {
    const char *nome;
    int aridade;
    std::function<int32_t(const QString &nome, const TArgumentos &a, const QVariant &pacote, QVariant *out)> chama;
};

int32_t chamaSetProduto(const QString &nome, const TArgumentos &a, const QVariant &pacote, QVariant *out)
{
    return setProduto(&pacote, texto(nome, a, 0).c_str(), out);
}

const TServico kServicos[] = {
    {"getImposto", 0, [](const QString &, const TArgumentos &, const QVariant &, QVariant *out) { return getImposto(out); }},
    {"getUnidade", 0, [](const QString &, const TArgumentos &, const QVariant &, QVariant *out) { return getUnidade(out); }},
    {"getProduto", 1,
     [](const QString &n, const TArgumentos &a, const QVariant &, QVariant *out) { return getProduto(texto(n, a, 0).c_str(), out); }},
    {"getProdutoNaLista", 2,
     [](const QString &n, const TArgumentos &a, const QVariant &, QVariant *out) {
         return getProdutoNaLista(texto(n, a, 0).c_str(), texto(n, a, 1).c_str(), out);
     }},
    {"getVd_Produto", 3,
     [](const QString &n, const TArgumentos &a, const QVariant &, QVariant *out) {
         return getVd_Produto(texto(n, a, 0).c_str(), texto(n, a, 1).c_str(), texto(n, a, 2).c_str(), out);
     }},
    {"setProduto", 2, chamaSetProduto},
    {"setDelProduto", 1,
     [](const QString &n, const TArgumentos &a, const QVariant &, QVariant *out) { return setDelProduto(texto(n, a, 0).c_str(), out); }},
    {"getProdutoMudou", 1,
     [](const QString &n, const TArgumentos &a, const QVariant &, QVariant *out) { return getProdutoMudou(texto(n, a, 0).c_str(), out); }},
};

const TServico *servico(const QString &nome)
{
    for (const TServico &s : kServicos)
        if (nome == QLatin1String(s.nome))
            return &s;
    return nullptr;
}

// The values of the field `nome` in the packet's rows, in their order
// (none when `v` is no packet or has no such field).
QVariantList coluna(const QVariant &v, const QString &nome)
{
    QVariantList valores;
    if (!isDataPacket(v))
        return valores;
    const TDataPacket p = toDataPacket(v).withRows();
    const int at = p.fieldIndex(nome);
    if (at >= 0)
        for (const QVariantList &row : p.rows)
            valores.append(row.value(at));
    return valores;
}

// getProdutoNaLista's answer for `code` or `reducedCode`: the packet and
// the place, or nothing when it failed.
std::optional<QVariantList> produtoNaLista(const QString &code, const QString &reducedCode)
{
    QVariant out;
    if (getProdutoNaLista(QStringView(code).utf16(), QStringView(reducedCode).utf16(), &out) != 0
        || out.metaType().id() != QMetaType::QVariantList || out.toList().size() != 2)
        return std::nullopt;
    return out.toList();
}

// Whether a product of `code` is stored; nothing when the store could not
// tell (the delete is then judged by its answer alone).
std::optional<bool> produtoExiste(const QString &code)
{
    const std::optional<QVariantList> achado = produtoNaLista(code, QString());
    if (!achado)
        return std::nullopt;
    return achado->at(1).toLongLong() != -1;  // -2: stored, but the list cannot place it
}

// The CDPRODUTO the store gave each product of the insert packet `pacote`,
// in its row order, found by its reduced code (unique in the store); null
// for one no longer found.
QJsonArray codigosInseridos(const QVariant &pacote)
{
    QJsonArray codigos;
    for (const QVariant &reduzido : coluna(pacote, QStringLiteral("CDPRODINTE"))) {
        const std::optional<QVariantList> achado = produtoNaLista(QString(), reduzido.toString());
        const QVariantList codigo = achado && achado->at(1).toLongLong() >= 0
                                        ? coluna(achado->at(0), QStringLiteral("CDPRODUTO"))
                                        : QVariantList();
        codigos.append(codigo.size() == 1 ? QJsonValue(codigo.at(0).toString()) : QJsonValue());
    }
    return codigos;
}

// The status of setDelProduto's successful answer, and why nothing was
// deleted. `existia`: whether the product was stored before the call.
void resultadoDaExclusao(const QString &code, std::optional<bool> existia, TResposta &r)
{
    const QVariantList par = r.result.toList();
    const QString resultado = par.value(0).toString();
    if (resultado == QLatin1String("VENDA")) {
        r.situacao = kVenda;
        r.motivo = QStringLiteral("produto %1: Produto não pode ser excluído pois está cadastrado em uma venda ou "
                                  "comanda; nada foi excluído.")
                       .arg(code);
    } else if (resultado == QLatin1String("CONFTE")) {
        QStringList grupos;
        for (const QVariant &g : coluna(par.value(1), QStringLiteral("DSBUTTON")))
            grupos.append(g.toString());
        r.situacao = kConfte;
        r.motivo = QStringLiteral("produto %1: Produto está incluso em uma configuração de tela. Para excluí-lo entre "
                                  "na tela de configuração de vendas e o exclua do grupo %2; nada foi excluído.")
                       .arg(code, grupos.join(QStringLiteral(", ")));
    } else if (existia == false) {
        r.situacao = kSemProduto;
        r.motivo = QStringLiteral("não há produto de código %1; nada foi excluído.").arg(code);
    }
}

TArgumentos leArgumentos(const QByteArray &argumentos)
{
    if (argumentos.trimmed().isEmpty())
        return {};
    QJsonParseError erro;
    const QJsonDocument doc = QJsonDocument::fromJson(argumentos, &erro);
    if (erro.error != QJsonParseError::NoError)
        throw EUso{QStringLiteral("argumentos JSON inválidos: %1 (posição %2).").arg(erro.errorString()).arg(erro.offset)};
    if (!doc.isArray())
        throw EUso{QStringLiteral("os argumentos devem ser uma lista JSON, como [\"T\"].")};
    return doc.array();
}

// The status of a call from the service's answer.
void situacaoDaResposta(const QString &nome, TResposta &r)
{
    const bool textoDeFalha = r.result.metaType().id() == QMetaType::QString;
    if (r.status != 0) {
        r.situacao = kStatusFalha;
        r.motivo = textoDeFalha ? r.result.toString() : QStringLiteral("%1: status %2").arg(nome).arg(r.status);
    } else if (textoDeFalha) {
        r.situacao = kTextoFalha;
        r.motivo = r.result.toString();
    }
}

// The arguments of the service `nome` as its table takes them; raises
// EUso for an unknown service or another number of arguments.
TArgumentos argumentosDe(const QString &nome, const QByteArray &argumentos)
{
    const TServico *s = servico(nome);
    if (!s)
        throw EUso{QStringLiteral("serviço desconhecido: %1").arg(nome.left(60))};
    const TArgumentos a = leArgumentos(argumentos);
    if (a.size() != s->aridade)
        throw EUso{QStringLiteral("%1 pede %2 argumento(s); recebeu %3.").arg(nome).arg(s->aridade).arg(a.size())};
    return a;
}

// Whether the data module exists; if not, `r` says so.
bool moduloCriado(TResposta &r)
{
    if (rdmCadProd)
        return true;
    r.situacao = kSemModulo;
    r.motivo = QStringLiteral("O módulo de dados de produtos não está criado (qul_json_abre).");
    return false;
}

}  // namespace

TResposta escreveLista(const QByteArray &argumentos, const TEscritaBytes &escreve, bool *comecou)
{
    TResposta r;
    *comecou = false;
    const QString nome = QStringLiteral("getProduto");
    try {
        registerDataPacketType();
        const QString codigo = QString::fromStdU16String(texto(nome, argumentosDe(nome, argumentos), 0));
        if (!moduloCriado(r))
            return r;
        bool primeiro = true;
        r.status = escreveListaDeProdutos(
            codigo,
            [&](const char *b, qsizetype n) {
                if (primeiro) {
                    static const char inicio[] = "{\"status\":0,\"result\":";
                    escreve(inicio, qsizetype(sizeof inicio - 1));
                    primeiro = false;
                }
                escreve(b, n);
            },
            &r.result, comecou);
        situacaoDaResposta(nome, r);
    } catch (const EUso &e) {
        r.situacao = kUso;
        r.motivo = e.texto;
    }
    return r;
}

TResposta chama(const QString &nome, const QByteArray &argumentos)
{
    TResposta r;
    try {
        registerDataPacketType();
        const TArgumentos a = argumentosDe(nome, argumentos);
        const bool grava = nome == QLatin1String("setProduto"), exclui = nome == QLatin1String("setDelProduto");
        if (grava && texto(nome, a, 0) != u"I" && texto(nome, a, 0) != u"E")  // the two the screen sends
            throw EUso{QStringLiteral("a operação de setProduto deve ser I (incluir) ou E (alterar).")};
        const QVariant pacote = grava ? pacoteDe(a) : QVariant();
        if (!moduloCriado(r))
            return r;
        const std::optional<bool> existia = exclui ? produtoExiste(a.at(0).toString()) : std::nullopt;
        r.status = servico(nome)->chama(nome, a, pacote, &r.result);
        situacaoDaResposta(nome, r);
        if (r.situacao == kOk && grava && a.at(0).toString() == QLatin1String("I"))
            r.codigos = codigosInseridos(pacote);
        else if (r.situacao == kOk && exclui)
            resultadoDaExclusao(a.at(0).toString(), existia, r);
    } catch (const EUso &e) {
        r.situacao = kUso;
        r.motivo = e.texto;
    }
    return r;
}

}  // namespace JsonServices
