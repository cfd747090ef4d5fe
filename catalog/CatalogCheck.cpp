#include "CatalogCheck.h"

#include "FieldRules.h"
#include "ProductChecks.h"
#include "ProductMessages.h"
#include "ProductPacket.h"

#include <algorithm>
#include <optional>

namespace {

// Where a product field stands in the rows the import reads (the file's
// texts, the stored products), which hold the packet's fields in
// productPacketFields() order: found by the field's name.
using Campo = int;

Campo campo(const char *nome)
{
    return int(productPacketFields().indexOf(productPacketField(QLatin1String(nome))));
}

const Campo CDPRODUTO = campo("CDPRODUTO"), CDARVPROD = campo("CDARVPROD"), CDBARPRODUTO = campo("CDBARPRODUTO"),
            NMPRODUTO = campo("NMPRODUTO"), SGUNIDADE = campo("SGUNIDADE"), VRPREUNIT = campo("VRPREUNIT"),
            IDPESAPROD = campo("IDPESAPROD"), QTTARAPROD = campo("QTTARAPROD"), CDPRODINTE = campo("CDPRODINTE"),
            VRPRECITEM = campo("VRPRECITEM"), CDIMPOSTO = campo("CDIMPOSTO"), CDPORIMPPROD = campo("CDPORIMPPROD"),
            VRPEALIMPFIS = campo("VRPEALIMPFIS"), SGIMPOSTO = campo("SGIMPOSTO"),
            IDTPIMPOSFIS = campo("IDTPIMPOSFIS");

// The packet field an entry field stands for, by the entry field's number.
Campo campoDoNumero(int numero)
{
    const TCampoProduto *c = campoDaEntrada(numero);
    return c ? campo(c->nome) : QTTARAPROD;
}

QString nomeCampo(Campo c)
{
    return productPacketFields().at(c).name;
}

int largura(Campo c)
{
    return productPacketFields().at(c).size;
}

QString descricaoAceitos(const TRegraCampo &r)
{
    switch (r.aceitos) {
    case TAceitos::Digitos: return QStringLiteral("só algarismos");
    case TAceitos::Nome: return QStringLiteral("letras sem acento, Ç, ç, algarismos, espaço, vírgula, ponto e barra");
    case TAceitos::Numero: return QStringLiteral("algarismos, vírgula e ponto");
    case TAceitos::Nada: break;
    }
    return QStringLiteral("nada digitado");
}

// A value of the file quoted in a refusal: at most `n` characters, control
// characters shown as "?" (the text goes to a terminal).
QString mostra(const QString &v, int n = 20)
{
    QString s = v.left(n);
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control || c.isSurrogate())
            c = QLatin1Char('?');
    return v.size() > n ? s + QStringLiteral("...") : s;
}

struct TRecusa {
    Campo campo;
    QString texto;
};

bool tem(quint32 colunas, Campo c)
{
    return colunas & (1u << c);
}

// A stored value as the export writes it.
QString textoGuardado(const QVariant &v)
{
    return v.metaType().id() == QMetaType::Double ? textoNumero(v.toDouble()) : v.toString();
}

// The values of the columns the file does not have: an update keeps the
// product's stored ones; a new product takes what the entry page starts
// one with (empty fields, Não, no print port). The tax comes from the
// file when it has CDIMPOSTO or SGIMPOSTO; the columns that are not
// stored stay empty.
void completa(quint32 colunas, const QVariantList *guardado, QStringList &v)
{
    for (Campo c = 0; c < v.size(); ++c) {
        if (tem(colunas, c) || c == CDPRODUTO || c == CDARVPROD || c == VRPREUNIT || c == SGIMPOSTO
            || c == IDTPIMPOSFIS || (c == CDIMPOSTO && tem(colunas, SGIMPOSTO)))
            continue;
        if (guardado)
            v[c] = textoGuardado(guardado->at(c));
        else
            v[c] = c == IDPESAPROD ? QStringLiteral("N") : c == CDPORIMPPROD ? QStringLiteral("0") : QString();
    }
}

// `arquivo` is `guardado` without some of its leading zeros.
bool perdeuZeros(const QString &arquivo, const QString &guardado)
{
    const qsizetype n = guardado.size() - arquivo.size();
    if (arquivo.isEmpty() || n <= 0 || !guardado.endsWith(arquivo))
        return false;
    for (qsizetype i = 0; i < n; ++i)
        if (guardado.at(i) != QLatin1Char('0'))
            return false;
    return true;
}

QString zerosPerdidos(const QString &arquivo, const QString &guardado)
{
    return QStringLiteral("zeros à esquerda perdidos: a planilha leu a coluna como número; importe-a como texto "
                          "(\"%1\", cadastrado \"%2\").")
        .arg(mostra(arquivo), mostra(guardado));
}

// The columns the export writes but an import does not store, each as the
// rest of the row decides it: empty, or that value. `guardado`: the
// product the row updates (none: a new one, whose CDARVPROD is
// `arvoreNova`: its own code, or empty when the generator gives it).
std::optional<TRecusa> naoGravada(const QStringList &v, const QVariantList *guardado, double preco,
                                  const TLojaCatalogo::TImposto &imposto, const QString &arvoreNova)
{
    const QString sigla = v[SGIMPOSTO].trimmed(), tipo = v[IDTPIMPOSFIS].trimmed(), arvore = v[CDARVPROD].trimmed();
    if (!sigla.isEmpty() && sigla != imposto.sigla)
        return TRecusa{SGIMPOSTO, QStringLiteral("\"%1\" não é a sigla do imposto de CDIMPOSTO (\"%2\"); a coluna não "
                                                 "é gravada.")
                                      .arg(mostra(sigla), imposto.sigla)};
    // (or the product's own, of the same tax, as the export writes it)
    const bool tipoGuardado = guardado && guardado->at(CDIMPOSTO).toString() == v[CDIMPOSTO].trimmed()
                              && tipo == guardado->at(IDTPIMPOSFIS).toString();
    if (!tipo.isEmpty() && tipo != imposto.tipo && !tipoGuardado)
        return TRecusa{IDTPIMPOSFIS, QStringLiteral("\"%1\" não é o tipo do imposto de CDIMPOSTO (\"%2\"); a coluna não "
                                                    "é gravada.")
                                         .arg(mostra(tipo), imposto.tipo)};
    double unitario = 0;
    if (const QString u = v[VRPREUNIT].trimmed();
        !u.isEmpty() && (!converteNumero(u, localCatalogo(), &unitario) || unitario != preco))
        return TRecusa{VRPREUNIT, QStringLiteral("\"%1\" não é o preço de VRPRECITEM; a coluna não é gravada: deixe-a "
                                                 "vazia.")
                                      .arg(mostra(u))};
    const QString cadastrado = guardado ? guardado->at(CDARVPROD).toString() : arvoreNova;
    if (!arvore.isEmpty() && arvore != cadastrado)
        return TRecusa{CDARVPROD,
                       guardado || !cadastrado.isEmpty()
                           ? QStringLiteral("\"%1\" não é %2 (\"%3\"); a coluna não é gravada.")
                                 .arg(mostra(arvore), guardado ? QStringLiteral("o cadastrado")
                                                               : QStringLiteral("o CDPRODUTO do produto novo"),
                                      mostra(cadastrado))
                                : QStringLiteral("\"%1\" num produto novo, que tem o código que o gerador lhe dá; deixe "
                                                 "a coluna vazia.")
                                      .arg(mostra(arvore))};
    return std::nullopt;
}

// A CDPRODUTO the store does not hold: what the operator may do.
QString ausente(const QString &produto, bool digitos, bool inserirAusentes)
{
    const QString base = QStringLiteral("Produto de código \"%1\" não cadastrado; ").arg(mostra(produto));
    if (digitos && !inserirAusentes)
        return base + QStringLiteral("para incluí-lo com este código, importe com --inserir-ausentes.");
    return base + QStringLiteral("só um código de até %1 algarismos é incluído com o seu código; deixe CDPRODUTO "
                                 "vazio para incluí-lo com um código novo.")
                      .arg(largura(CDPRODUTO));
}

}  // namespace

struct TVerificadorCatalogo::TEstado {
    TEstado(const TLojaCatalogo &loja, TOpcoesCatalogo opcoes, std::optional<TCodigosCatalogo> &&alterados)
        : m_loja(loja), m_opcoes(opcoes), m_conhecidos(alterados.has_value())
    {
        if (alterados)
            m_alterados = std::move(*alterados);
    }

    // The row checked and, when it passes, its product.
    std::optional<TRecusa> verifica(const TLinhaCatalogo &l, const QVariantList *guardado,
                                    std::optional<TProduto> *produto);
    // Its steps, in order.
    std::optional<TRecusa> zerosDosCodigos(const TLinha &r) const;
    std::optional<TRecusa> digitados(TLinha &r);
    void ajustaNome(TLinha &r);
    std::optional<TRecusa> pesoEImposto(TLinha &r);
    std::optional<TRecusa> confirmacao(TLinha &r) const;
    std::optional<TRecusa> naoLidos(TLinha &r) const;
    std::optional<TRecusa> produtoAlterado(TLinha &r);
    std::optional<TRecusa> codigos(const TLinha &r);
    static TProduto produto(const TLinha &r);

    // Another product keeps `codigo` after the import: one in the store
    // that the file does not update, or an earlier row of the file.
    std::optional<QString> conflito(const TDonosCodigo &loja, TCodigosCatalogo &arquivo,
                                    const QString &codigo, const QString &produto, int linha, const char *chave);

    const TLojaCatalogo &m_loja;
    const TOpcoesCatalogo m_opcoes;
    const bool m_conhecidos;
    QStringList m_ajustes;  // of the row checked last
    TCodigosCatalogo m_alterados;  // the products the file updates: their present codes give way to the file's
    QList<TChaveCodigo> m_supostos;  // stored products taken as updated further on
    TCodigosCatalogo m_produtos, m_reduzidos, m_barras;
};

std::optional<QString> TVerificadorCatalogo::TEstado::conflito(const TDonosCodigo &loja, TCodigosCatalogo &arquivo,
                                                               const QString &codigo, const QString &produto, int linha,
                                                               const char *chave)
{
    const TChaveCodigo k = TChaveCodigo::de(codigo), este = TChaveCodigo::de(produto);
    for (const TChaveCodigo &outro : loja.donos(k)) {
        if (outro == este || m_alterados.contem(outro))
            continue;
        if (m_conhecidos)
            return textoCatalogo(chave);
        m_supostos.append(outro);  // unless the file updates it further on
    }
    if (const int antes = arquivo.linha(k))
        return textoCatalogo(chave) + QStringLiteral(" (também na linha %1 do arquivo)").arg(antes);
    arquivo.insere(k, linha);
    return std::nullopt;
}

// A row on its way through the checks: its values, completed and adjusted
// as they go, and what each step found that the next ones read.
struct TVerificadorCatalogo::TLinha {
    TLinha(const TLinhaCatalogo &linha, const QVariantList *g) : l(linha), guardado(g), v(linha.valores) {}

    const TLinhaCatalogo &l;
    const QVariantList *guardado;
    QStringList v;
    QString sugestao;  // the name without its accents, when it would pass
    bool pesado = false;
    QString cdImposto, textoImposto;
    TVerificacaoProduto t;
    QHash<QString, TLojaCatalogo::TImposto>::const_iterator imposto;
    double aliquota = 0, tara = 0;
    QString produto;            // CDPRODUTO: the product it updates
    bool novoComCodigo = false; // another store's product, under its code
};

// A code the spreadsheet read as a number.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::zerosDosCodigos(const TLinha &r) const
{
    if (r.guardado)
        for (const Campo c : {CDPRODINTE, CDBARPRODUTO})
            if (const QString antes = r.guardado->at(c).toString(); perdeuZeros(r.v[c], antes))
                return TRecusa{c, zerosPerdidos(r.v[c], antes)};
    return std::nullopt;
}

// What the keyboard could not have typed; a stored text that an update
// leaves as it is was not typed (Editar keeps it as it stands).
std::optional<TRecusa> TVerificadorCatalogo::TEstado::digitados(TLinha &r)
{
    QStringList &v = r.v;
    const auto atipico = m_loja.atipicos.constFind(v[CDPRODUTO].trimmed());
    const auto guardadoAssim = [&](Campo c) {
        return atipico != m_loja.atipicos.constEnd()
               && v[c] == (c == CDPRODINTE ? atipico->reduzido : c == NMPRODUTO ? atipico->nome : atipico->barras);
    };
    m_ajustes.clear();
    if (!guardadoAssim(NMPRODUTO))
        ajustaNome(r);
    // Codes and name as they stand; numbers (price, rate, tare) as the
    // field takes them once the cell's spaces are gone: no sign, no exponent.
    for (const int numero : {2, 3, 8, 5, 7, 10}) {
        const Campo c = campoDoNumero(numero);
        const TRegraCampo &regra = *regraCampo(numero);
        const bool numerico = regra.aceitos == TAceitos::Numero;
        const QString texto = numerico ? v[c].trimmed() : v[c];
        if ((numerico || !guardadoAssim(c)) && !textoDigitavel(numero, texto))
            return TRecusa{c, QStringLiteral("\"%1\" não é aceito: %2, no máximo %3 caracteres.")
                                      .arg(mostra(texto, 60), descricaoAceitos(regra))
                                      .arg(regra.limite)
                                  + (c == NMPRODUTO ? r.sugestao : QString())};
    }
    return std::nullopt;
}

// A name typed on another keyboard: without its accents, when asked.
void TVerificadorCatalogo::TEstado::ajustaNome(TLinha &r)
{
    QString &nome = r.v[NMPRODUTO];
    if (textoDigitavel(3, nome))
        return;
    const QString semAcento = semAcentos(nome);
    if (m_opcoes.ajustarNomes && semAcento != nome) {
        m_ajustes.append(QStringLiteral("linha %1: NMPRODUTO: \"%2\" -> \"%3\"")
                             .arg(r.l.linha)
                             .arg(mostra(nome, 60), mostra(semAcento, 60)));
        nome = semAcento;
    } else if (!m_opcoes.ajustarNomes && textoDigitavel(3, semAcento)) {
        r.sugestao = QStringLiteral(" Importado com --ajustar-nomes, seria \"%1\".").arg(mostra(semAcento, 60));
    }
}

// Weighed or not, and the tax by its code, else by its abbreviation.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::pesoEImposto(TLinha &r)
{
    QStringList &v = r.v;
    const QString pesa = v[IDPESAPROD].trimmed().toUpper();
    if (!pesa.isEmpty() && pesa != QLatin1String("S") && pesa != QLatin1String("N"))
        return TRecusa{IDPESAPROD, QStringLiteral("\"%1\" não é aceito: S (pesado) ou N.").arg(mostra(v[IDPESAPROD]))};
    r.pesado = pesa == QLatin1String("S");

    r.cdImposto = v[CDIMPOSTO].trimmed();
    if (r.cdImposto.isEmpty())
        r.cdImposto = m_loja.impostoPorSigla.value(v[SGIMPOSTO].trimmed(), v[SGIMPOSTO].trimmed());
    // A tax code the spreadsheet read as a number ("3" for "03"): the taxes
    // are few and fixed, so it is the one stored code it can be once its
    // leading zeros are put back; two such codes leave it refused.
    else if (!m_loja.impostos.contains(r.cdImposto)) {
        QStringList comZeros;
        for (auto i = m_loja.impostos.constBegin(); i != m_loja.impostos.constEnd(); ++i)
            if (perdeuZeros(r.cdImposto, i.key()))
                comZeros.append(i.key());
        if (comZeros.size() == 1) {
            m_ajustes.append(QStringLiteral("linha %1: CDIMPOSTO: \"%2\" -> \"%3\"")
                                 .arg(r.l.linha)
                                 .arg(mostra(r.cdImposto), comZeros.first()));
            r.cdImposto = v[CDIMPOSTO] = comZeros.first();
        }
    }
    r.textoImposto = r.cdImposto.isEmpty() ? v[SGIMPOSTO] : r.cdImposto;
    return std::nullopt;
}

// The confirm checks of the entry page, then what the pickers offer: the
// store's units and taxes.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::confirmacao(TLinha &r) const
{
    const QStringList &v = r.v;
    r.t = verificaProduto({v[CDPRODINTE], v[NMPRODUTO], v[SGUNIDADE], v[VRPRECITEM], r.textoImposto, v[VRPEALIMPFIS],
                           v[QTTARAPROD], r.cdImposto, r.pesado},
                          localCatalogo());
    if (!r.t.ok())
        return TRecusa{campoDoNumero(r.t.campo), textoCatalogo(r.t.chave)};

    if (const QString unidade = v[SGUNIDADE].trimmed(); !m_loja.unidades.contains(unidade))
        return TRecusa{SGUNIDADE, QStringLiteral("Unidade \"%1\" não cadastrada.").arg(mostra(unidade))};
    r.imposto = m_loja.impostos.constFind(r.cdImposto);
    if (r.imposto == m_loja.impostos.constEnd()) {
        const Campo c = v[CDIMPOSTO].trimmed().isEmpty() ? SGIMPOSTO : CDIMPOSTO;
        for (auto i = m_loja.impostos.constBegin(); c == CDIMPOSTO && i != m_loja.impostos.constEnd(); ++i)
            if (perdeuZeros(r.cdImposto, i.key()))
                return TRecusa{CDIMPOSTO, zerosPerdidos(r.cdImposto, i.key())};
        return TRecusa{c, QStringLiteral("Imposto \"%1\" não cadastrado.").arg(mostra(r.textoImposto))};
    }
    return std::nullopt;
}

// Numbers the checks do not read are stored as they are: they must be
// numbers; and the print port must be storable.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::naoLidos(TLinha &r) const
{
    const QStringList &v = r.v;
    r.aliquota = r.t.aliquota;
    r.tara = r.t.tara;
    if (r.cdImposto != kImpostoDigitado && !v[VRPEALIMPFIS].trimmed().isEmpty()
        && !converteNumero(v[VRPEALIMPFIS], localCatalogo(), &r.aliquota))
        return TRecusa{VRPEALIMPFIS, textoCatalogo("VALOR_INV")};
    if (!r.pesado && !v[QTTARAPROD].trimmed().isEmpty() && !converteNumero(v[QTTARAPROD], localCatalogo(), &r.tara))
        return TRecusa{QTTARAPROD, textoCatalogo("VALOR_INV")};
    const QString porta = v[CDPORIMPPROD].trimmed();
    const int larguraPorta = largura(CDPORIMPPROD);
    if (porta.size() > larguraPorta || !isStorableText(porta))
        return TRecusa{CDPORIMPPROD,
                       QStringLiteral("\"%1\" não é aceito: no máximo %2 caracteres.").arg(mostra(porta)).arg(larguraPorta)};
    return std::nullopt;
}

// The product it updates.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::produtoAlterado(TLinha &r)
{
    const QString &produto = r.produto = r.v[CDPRODUTO].trimmed();
    if (produto.isEmpty())
        return std::nullopt;
    if (!m_loja.produtos.contem(produto)) {
        const bool digitos = soAlgarismos(produto) && produto.size() <= largura(CDPRODUTO);
        for (qsizetype n = 1; digitos && produto.size() + n <= largura(CDPRODUTO); ++n)
            if (const QString comZeros = QString(n, u'0') + produto; m_loja.produtos.contem(comZeros))
                return TRecusa{CDPRODUTO, zerosPerdidos(produto, comZeros)};
        if (!digitos || !m_opcoes.inserirAusentes)
            return TRecusa{CDPRODUTO, ausente(produto, digitos, m_opcoes.inserirAusentes)};
        r.novoComCodigo = true;
    }
    if (const int antes = m_produtos.linha(produto))
        return TRecusa{CDPRODUTO, QStringLiteral("Produto de código \"%1\" também na linha %2 do arquivo.")
                                      .arg(mostra(produto))
                                      .arg(antes)};
    m_produtos.insere(produto, r.l.linha);
    return std::nullopt;
}

// Columns written as the export writes them but not stored: a value other
// than the one the row's other columns give would be lost. Then the codes
// no other product may keep.
std::optional<TRecusa> TVerificadorCatalogo::TEstado::codigos(const TLinha &r)
{
    const QStringList &v = r.v;
    if (const auto recusa = naoGravada(v, r.produto.isEmpty() || r.novoComCodigo ? nullptr : r.guardado, r.t.preco,
                                       *r.imposto, r.novoComCodigo ? r.produto : QString()))
        return recusa;
    if (const auto c = conflito(m_loja.porReduzido, m_reduzidos, v[CDPRODINTE], r.produto, r.l.linha, "CODRED_JCAD"))
        return TRecusa{CDPRODINTE, *c};
    if (!v[CDBARPRODUTO].isEmpty())
        if (const auto c = conflito(m_loja.porBarras, m_barras, v[CDBARPRODUTO], r.produto, r.l.linha, "CODBAR_JCAD"))
            return TRecusa{CDBARPRODUTO, *c};
    return std::nullopt;
}

// The product the row writes.
TProduto TVerificadorCatalogo::TEstado::produto(const TLinha &r)
{
    const QStringList &v = r.v;
    TProduto p;
    p.cdProduto = r.produto;  // empty: the generator gives the new product its code
    p.cdArvProd = r.produto;
    p.cdBarProduto = v[CDBARPRODUTO];
    p.nmProduto = v[NMPRODUTO];
    p.sgUnidade = v[SGUNIDADE].trimmed();
    p.idPesaProd = r.pesado ? QStringLiteral("S") : QStringLiteral("N");
    p.qtTaraProd = r.tara;
    p.cdProdInte = v[CDPRODINTE];
    p.vrPrecItem = r.t.preco;
    p.cdImposto = r.cdImposto;
    p.cdPorImpProd = v[CDPORIMPPROD].trimmed();
    p.vrPeAlImpFis = r.aliquota;
    p.sgImposto = r.imposto->sigla;
    p.idTpImposFis = r.imposto->tipo;
    return p;
}

std::optional<TRecusa> TVerificadorCatalogo::TEstado::verifica(const TLinhaCatalogo &l, const QVariantList *guardado,
                                                               std::optional<TProduto> *saida)
{
    TLinha r(l, guardado);
    completa(l.colunas, guardado, r.v);
    if (!m_conhecidos)
        if (const QString c = r.v[CDPRODUTO].trimmed(); !c.isEmpty())
            m_alterados.insere(c, l.linha);
    std::optional<TRecusa> recusa;
    if ((recusa = zerosDosCodigos(r)) || (recusa = digitados(r)) || (recusa = pesoEImposto(r))
        || (recusa = confirmacao(r)) || (recusa = naoLidos(r)) || (recusa = produtoAlterado(r))
        || (recusa = codigos(r)))
        return recusa;
    TProduto p = produto(r);
    if (!r.produto.isEmpty() && guardado && camposAlterados(p, *guardado).isEmpty())
        saida->reset();  // nothing to write: its last-change dates stay
    else
        *saida = std::move(p);
    return std::nullopt;
}

TVerificadorCatalogo::TVerificadorCatalogo(const TLojaCatalogo &loja, TOpcoesCatalogo opcoes,
                                           std::optional<TCodigosCatalogo> alterados)
    : d(std::make_unique<TEstado>(loja, opcoes, std::move(alterados)))
{
}

TVerificadorCatalogo::~TVerificadorCatalogo() = default;

QString TVerificadorCatalogo::verifica(const TLinhaCatalogo &l, const QVariantList *guardado,
                                      std::optional<TProduto> *produto, QStringList *ajustes)
{
    auto recusa = d->verifica(l, guardado, produto);
    if (ajustes)
        *ajustes = recusa ? QStringList() : d->m_ajustes;
    if (recusa && recusa->texto == textoCatalogo("VALOR_INV"))
        recusa->texto += dicaNumero(l.valores[recusa->campo]);
    return recusa ? QStringLiteral("linha %1: %2: %3").arg(l.linha).arg(nomeCampo(recusa->campo), recusa->texto)
                  : QString();
}

bool TVerificadorCatalogo::refazer() const
{
    if (d->m_conhecidos)
        return false;
    for (const TChaveCodigo &k : d->m_supostos)
        if (!d->m_alterados.contem(k))
            return true;
    return false;
}

TCodigosCatalogo &TVerificadorCatalogo::alterados()
{
    return d->m_alterados;
}

// Every field but the key and the columns that are not stored.
QList<int> camposAlterados(const TProduto &produto, const QVariantList &guardado)
{
    QList<int> alterados;
    const QList<TCampoProduto> &campos = camposProduto();  // in the packet's order
    for (Campo c = 0; c < campos.size(); ++c) {
        const TCampoProduto &f = campos[c];
        if (c == CDPRODUTO || c == CDARVPROD || !f.gravado)
            continue;
        if (f.texto() ? f.textoDe(produto) != guardado[c].toString() : f.numeroDe(produto) != guardado[c].toDouble())
            alterados.append(c);
    }
    return alterados;
}

void TLojaCatalogo::insereProduto(const QString &codigo, const QString &reduzido, const QString &nome,
                                  const QString &barras)
{
    const TChaveCodigo k = TChaveCodigo::de(codigo);
    produtos.insere(k, 1);
    porReduzido.insere(TChaveCodigo::de(reduzido), k);
    if (!barras.isEmpty())
        porBarras.insere(TChaveCodigo::de(barras), k);
    if (!textoDigitavel(2, reduzido) || !textoDigitavel(3, nome) || !textoDigitavel(8, barras))
        atipicos.insert(codigo, {reduzido, nome, barras});
}
