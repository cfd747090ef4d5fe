#include "ProductWrite.h"

#include "CodeClash.h"
#include "FieldRules.h"
#include "MultiRowInsert.h"
#include "ProductChecks.h"
#include "ProductChanges.h"
#include "ServiceCall.h"
#include "TdtmQulProxCodigo.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

QDateTime agora()
{
    const QDateTime now = QDateTime::currentDateTime();
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
}

const QDateTime &inicioPreco()
{
    static const QDateTime d(QDate(2011, 1, 1), QTime(0, 0));
    return d;
}

// The product row's values; the insert and the update take the same ones.
void parametrosProduto(TADOCommand *c, const QString &codigo, const TProduto &l)
{
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_CDPRODINTE", l.cdProdInte);
    setParam(c, "P_NMPRODUTO", l.nmProduto);
    setParam(c, "P_CDBARPRODUTO", l.cdBarProduto);
    setParam(c, "P_SGUNIDADE", l.sgUnidade);
    setParam(c, "P_IDPESAPROD", l.idPesaProd);
    setParam(c, "P_QTTARAPROD", l.qtTaraProd);
    setParam(c, "P_DTULTATUPROD", agora());
}

// New products' rows: each statement run as it comes, or gathered into
// the batch of multi-row inserts that envia() sends.
class TInclusoes {
public:
    TInclusoes(TrdmCadProd &dm, bool emLote) : m_dm(dm)
    {
        if (emLote)
            m_lote.emplace(QList<TADOCommand *>{dm.acmInsProd, dm.acmInsItemPrec, dm.acmInsAliq, dm.acmInsProdLoja});
    }

    // The product's rows in every table, in the tables' order.
    void produto(const QString &codigo, const TProduto &p)
    {
        parametrosProduto(m_dm.acmInsProd, codigo, p);
        executa(m_dm.acmInsProd);
        preco(codigo, p.vrPrecItem);
        aliquota(codigo, p.cdImposto, p);
        loja(codigo, p);
    }

    void preco(const QString &codigo, double preco)
    {
        TADOCommand *c = m_dm.acmInsItemPrec;
        setParam(c, "P_DTINIVGPREC", inicioPreco());
        setParam(c, "P_CDPRODUTO", codigo);
        setParam(c, "P_CDPRPAITABPR", codigo);
        setParam(c, "P_VRPRECITEM", preco);
        setParam(c, "P_DTULTATUITPR", agora());
        executa(c);
    }

    void aliquota(const QString &codigo, const QString &cdImposto, const TProduto &p)
    {
        TADOCommand *c = m_dm.acmInsAliq;
        setParam(c, "P_CDPRODUTO", codigo);
        setParam(c, "P_CDIMPOSTO", cdImposto);
        setParam(c, "P_IDTPIMPOSFIS", p.idTpImposFis);
        setParam(c, "P_VRPEALIMPFIS", p.vrPeAlImpFis);
        setParam(c, "P_DTULTATUALIF", agora());
        executa(c);
    }

    void loja(const QString &codigo, const TProduto &p)
    {
        TADOCommand *c = m_dm.acmInsProdLoja;
        setParam(c, "P_CDPRODUTO", codigo);
        setParam(c, "P_CDPORIMPPROD", p.cdPorImpProd);
        setParam(c, "P_DTULTATUPLOJ", agora());
        executa(c);
    }

    // The rows gathered, if any.
    void envia()
    {
        if (m_lote)
            m_lote->envia();
    }

private:
    void executa(TADOCommand *c) { TInsercoesEmLote::executa(m_lote ? &*m_lote : nullptr, c); }

    TrdmCadProd &m_dm;
    std::optional<TInsercoesEmLote> m_lote;
};

void alteraProduto(TrdmCadProd &dm, const TProduto &p)
{
    const QString &codigo = p.cdProduto;
    TADOCommand *c = dm.acmUpdProd;
    parametrosProduto(c, codigo, p);
    if (c->Execute() == 0) {
        // Another terminal deleted it, or there was nothing to edit:
        // nothing of this save may be stored.
        throw EDatabaseError(
            QStringLiteral("Produto de código '%1' não encontrado; a alteração não foi gravada.").arg(codigo));
    }
    // A table that lacks the product's row gets it.
    TInclusoes faltantes(dm, false);

    c = dm.acmUpdItemPrec;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_VRPRECITEM", p.vrPrecItem);
    setParam(c, "P_DTULTATUITPR", agora());
    setParam(c, "P_CDPRPAITABPR", codigo);
    if (c->Execute() == 0)
        faltantes.preco(codigo, p.vrPrecItem);

    TADOQuery *imp = dm.adqImposto;
    imp->Close();
    setParam(imp, "P_SGIMPOSTO", p.sgImposto);
    imp->Open();
    QString cdImposto;
    if (!imp->IsEmpty()) {
        imp->First();
        cdImposto = imp->FieldByName(QStringLiteral("CDIMPOSTO"))->AsString();
    }

    c = dm.acmUpdAliq;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_CDIMPOSTO", cdImposto);
    setParam(c, "P_IDTPIMPOSFIS", p.idTpImposFis);
    setParam(c, "P_VRPEALIMPFIS", p.vrPeAlImpFis);
    setParam(c, "P_DTULTATUALIF", agora());
    if (c->Execute() == 0)
        faltantes.aliquota(codigo, cdImposto, p);

    c = dm.acmUpdProdLoja;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_CDPORIMPPROD", p.cdPorImpProd);
    setParam(c, "P_DTULTATUPLOJ", agora());
    if (c->Execute() == 0)
        faltantes.loja(codigo, p);
}

// An insert takes at most kMaxLinhasInclusao products.
void validaQuantidade(qsizetype produtos, bool insercao)
{
    if (insercao && produtos > kMaxLinhasInclusao)
        throw EDatabaseError(QStringLiteral("Pacote com %1 produtos; uma inclusão aceita no máximo %2. Nada foi gravado.")
                                 .arg(produtos)
                                 .arg(kMaxLinhasInclusao));
}

// A reduced code is a number: the product list is ordered by its value,
// so one that is not would stop the list from opening.
void validaCodigosReduzidos(const QList<TProduto> &produtos)
{
    for (const TProduto &p : produtos)
        if (const QString &v = p.cdProdInte; !soAlgarismos(v))
            throw EDatabaseError(
                v.isEmpty() ? QStringLiteral("Código Reduzido não informado. Nada foi gravado.")
                            : QStringLiteral("Código Reduzido \"%1\" inválido: só algarismos. Nada foi gravado.").arg(v));
}

// Whether the entry page requires the product's field `c`.
bool exigido(const TCampoProduto &c, const TProduto &p)
{
    return c.gravado && campoExigido(c.entrada, p.cdImposto, p.idPesaProd == QLatin1String("S"));
}

// What the entry page could not have given: a required text left empty,
// a number with a sign or longer than its field.
void validaValores(const QList<TProduto> &produtos, bool insercao)
{
    // An edit finds the tax it stores by the abbreviation the entry page
    // shows, an insert stores the tax code.
    const TCampoProduto &imposto = campoProduto(insercao ? QStringLiteral("CDIMPOSTO") : QStringLiteral("SGIMPOSTO"));
    for (const TProduto &p : produtos)
        for (const TCampoProduto &campo : camposProduto()) {
            const TCampoProduto &c = campo.entrada == 6 ? imposto : campo;
            if (c.texto() && exigido(campo, p) && c.textoDe(p).trimmed().isEmpty())
                throw EDatabaseError(QStringLiteral("O campo %1 é obrigatório. Nada foi gravado.").arg(c.nomeCampo()));
            if (!c.texto() && c.gravado && c.entrada > 0 && !numeroDigitavel(c.entrada, c.numeroDe(p)))
                throw EDatabaseError(
                    QStringLiteral("O campo %1 não aceita %2: sem sinal, no máximo %3 caracteres. Nada foi gravado.")
                        .arg(c.nomeCampo(), QString::number(c.numeroDe(p), 'f', QLocale::FloatingPointShortest))
                        .arg(regraCampo(c.entrada)->limite));
        }
}

// A required number the packet left null (read as 0 by the conversion).
void validaNulos(const TDataPacket &pacote, const QList<TProduto> &produtos)
{
    for (qsizetype n = 0; n < produtos.size(); ++n)
        for (const TCampoProduto &c : camposProduto())
            if (const QVariant v = pacote.rows[n].value(pacote.fieldIndex(c.nomeCampo()));
                !c.texto() && exigido(c, produtos[n]) && (!v.isValid() || v.isNull()))
                throw EDatabaseError(QStringLiteral("O campo %1 é obrigatório. Nada foi gravado.").arg(c.nomeCampo()));
}

// The products are checked whole, as they came, before anything is
// written. Key and code fields are never cut to their width (a longer
// value would name another product); numbers must be numbers; texts must
// be storable.
void validaProdutos(const QList<TProduto> &produtos, bool insercao)
{
    validaQuantidade(produtos.size(), insercao);
    QList<const TCampoProduto *> codigos, numeros;  // found once for every product
    for (const char *nome : {"CDPRODUTO", "CDPRODINTE", "CDBARPRODUTO"})
        if (!insercao || qstrcmp(nome, "CDPRODUTO") != 0)  // not read by an insert
            codigos.append(&campoProduto(QLatin1String(nome)));
    for (const char *nome : {"QTTARAPROD", "VRPRECITEM", "VRPEALIMPFIS"})
        numeros.append(&campoProduto(QLatin1String(nome)));
    for (const TProduto &p : produtos) {
        for (const TCampoProduto *c : std::as_const(codigos))
            if (const QString &v = c->textoDe(p); c->largura > 0 && v.size() > c->largura)
                throw EDatabaseError(QStringLiteral("O campo %1 tem %2 caracteres; o máximo é %3. Nada foi gravado.")
                                         .arg(c->nomeCampo())
                                         .arg(v.size())
                                         .arg(c->largura));
        for (const TCampoProduto *c : std::as_const(numeros))
            if (!std::isfinite(c->numeroDe(p)))
                throw EDatabaseError(QStringLiteral("O campo %1 não tem um valor numérico válido (%2). Nada foi gravado.")
                                         .arg(c->nomeCampo(), c->valor(p).toString()));
        for (const TCampoProduto &c : camposProduto())
            if (c.texto() && !isStorableText(c.textoDe(p)))
                throw EDatabaseError(
                    QStringLiteral("O campo %1 tem caractere nulo ou substituto isolado. Nada foi gravado.")
                        .arg(c.nomeCampo()));
    }
    validaCodigosReduzidos(produtos);
    validaValores(produtos, insercao);
}

// The duplicate check of the screen, run again under the lock: another
// product (other than `codigo`, or any when inserting) with this reduced
// code or bar code.
void verificaConflito(TrdmCadProd &dm, const TProduto &l, const QString &codigo)
{
    TADOQuery *q = dm.adqVd_Produto;
    q->Close();
    setParam(q, "P_CDPRODUTO", codigo);
    setParam(q, "P_CDPRODINTE", l.cdProdInte);
    setParam(q, "P_CDBARPRODUTO", l.cdBarProduto);
    q->Open();
    const TConflito c = conflitoDeCodigos(q);
    q->Close();
    if (c == TConflito::Reduzido)
        throw EDatabaseError(QStringLiteral("Código Reduzido já cadastrado."));
    if (c == TConflito::Barras)
        throw EDatabaseError(QStringLiteral("Código de Barras já cadastrado."));
}

// The codes an insert of the products' own codes writes.
QStringList codigosProprios(const QList<TProduto> &produtos)
{
    const int largura = campoProduto(QStringLiteral("CDPRODUTO")).largura;
    QStringList codigos;
    for (const TProduto &p : produtos) {
        const QString &v = p.cdProduto;
        if (v.size() > largura || !soAlgarismos(v))
            throw EDatabaseError(QStringLiteral("Código de produto \"%1\" inválido: até %2 algarismos. Nada foi gravado.")
                                     .arg(v.left(20))
                                     .arg(largura));
        codigos.append(v);
    }
    return codigos;
}

// The products written, once checked; their own codes (`codigosDoPacote`)
// checked whole, the values stored cut to their fields' widths.
void escreve(TrdmCadProd &dm, const QList<TProduto> &produtos, bool insercao, TdtmQulProxCodigo &gerador,
             bool verificaCodigos, bool codigosDoPacote)
{
    gerador.Trava();
    if (insercao) {
        // Each row its own product (a second row under the same code
        // would collide on the product key); the codes are read once.
        const QStringList codigos = codigosDoPacote ? codigosProprios(produtos)
                                                    : gerador.PrxProdutos(std::max(1, int(produtos.size())));
        // Products whose codes the caller checked go one statement per
        // table where the engine takes it, in the tables' order.
        TInclusoes inclusoes(dm, !verificaCodigos && produtos.size() > 1 && TInsercoesEmLote::aceita(dm.adcCadProd));
        for (qsizetype n = 0; n < produtos.size(); ++n) {
            const TProduto p = produtoNasLarguras(produtos[n]);
            if (verificaCodigos)
                verificaConflito(dm, p, QStringLiteral("T"));
            inclusoes.produto(codigos.at(n), p);
        }
        inclusoes.envia();
    } else {
        for (const TProduto &produto : produtos) {
            const TProduto p = produtoNasLarguras(produto);
            if (verificaCodigos)
                verificaConflito(dm, p, p.cdProduto);
            alteraProduto(dm, p);
        }
    }
    if (!produtos.isEmpty())
        avisaProdutosAlterados(dm);
}

}  // namespace

void gravaProdutos(TrdmCadProd &dm, const TDataPacket &pacote, bool insercao, TdtmQulProxCodigo &gerador)
{
    // The products as the packet carries them, each text whole.
    validaQuantidade(pacote.rows.size(), insercao);
    const QList<TProduto> produtos = produtosDoPacote(pacote, false);
    validaNulos(pacote, produtos);
    gravaProdutos(dm, produtos, insercao, gerador);
}

void gravaProdutos(TrdmCadProd &dm, const QList<TProduto> &produtos, bool insercao, TdtmQulProxCodigo &gerador,
                   bool verificaCodigos, bool codigosProprios)
{
    validaProdutos(produtos, insercao);
    escreve(dm, produtos, insercao, gerador, verificaCodigos, codigosProprios);
}
