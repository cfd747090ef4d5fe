#include "ProductWrite.h"

#include "CodeClash.h"
#include "MultiRowInsert.h"
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

struct LinhaProduto {
    QString cdProdInte, nmProduto, cdBarProduto, sgUnidade, idPesaProd, cdImposto, sgImposto, idTpImposFis,
        cdPorImpProd;
    double qtTaraProd = 0, vrPrecItem = 0, vrPeAlImpFis = 0;
    QString cdProduto;
};

LinhaProduto lerLinha(TClientDataSet *cds)
{
    const auto s = [cds](const char *n) { return cds->FieldByName(QLatin1String(n))->AsString(); };
    const auto f = [cds](const char *n) { return cds->FieldByName(QLatin1String(n))->AsFloat(); };
    LinhaProduto l;
    l.cdProduto = s("CDPRODUTO");
    l.cdProdInte = s("CDPRODINTE");
    l.nmProduto = s("NMPRODUTO");
    l.cdBarProduto = s("CDBARPRODUTO");
    l.sgUnidade = s("SGUNIDADE");
    l.idPesaProd = s("IDPESAPROD");
    l.qtTaraProd = f("QTTARAPROD");
    l.vrPrecItem = f("VRPRECITEM");
    l.cdImposto = s("CDIMPOSTO");
    l.sgImposto = s("SGIMPOSTO");
    l.idTpImposFis = s("IDTPIMPOSFIS");
    l.vrPeAlImpFis = f("VRPEALIMPFIS");
    l.cdPorImpProd = s("CDPORIMPPROD");
    return l;
}

void inserePreco(TrdmCadProd &dm, const QString &codigo, double preco, TInsercoesEmLote *lote = nullptr)
{
    setParam(dm.acmInsItemPrec, "P_DTINIVGPREC", inicioPreco());
    setParam(dm.acmInsItemPrec, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsItemPrec, "P_CDPRPAITABPR", codigo);
    setParam(dm.acmInsItemPrec, "P_VRPRECITEM", preco);
    setParam(dm.acmInsItemPrec, "P_DTULTATUITPR", agora());
    TInsercoesEmLote::executa(lote, dm.acmInsItemPrec);
}

void insereAliquota(TrdmCadProd &dm, const QString &codigo, const QString &cdImposto, const LinhaProduto &l,
                    TInsercoesEmLote *lote = nullptr)
{
    setParam(dm.acmInsAliq, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsAliq, "P_CDIMPOSTO", cdImposto);
    setParam(dm.acmInsAliq, "P_IDTPIMPOSFIS", l.idTpImposFis);
    setParam(dm.acmInsAliq, "P_VRPEALIMPFIS", l.vrPeAlImpFis);
    setParam(dm.acmInsAliq, "P_DTULTATUALIF", agora());
    TInsercoesEmLote::executa(lote, dm.acmInsAliq);
}

void insereLoja(TrdmCadProd &dm, const QString &codigo, const LinhaProduto &l, TInsercoesEmLote *lote = nullptr)
{
    setParam(dm.acmInsProdLoja, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsProdLoja, "P_CDPORIMPPROD", l.cdPorImpProd);
    setParam(dm.acmInsProdLoja, "P_DTULTATUPLOJ", agora());
    TInsercoesEmLote::executa(lote, dm.acmInsProdLoja);
}

// The product row's values; the insert and the update take the same ones.
void parametrosProduto(TADOCommand *c, const QString &codigo, const LinhaProduto &l)
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

// `lote`: gathered to be sent with the other new products' rows.
void insereProduto(TrdmCadProd &dm, const QString &codigo, const LinhaProduto &l, TInsercoesEmLote *lote)
{
    parametrosProduto(dm.acmInsProd, codigo, l);
    TInsercoesEmLote::executa(lote, dm.acmInsProd);
    inserePreco(dm, codigo, l.vrPrecItem, lote);
    insereAliquota(dm, codigo, l.cdImposto, l, lote);
    insereLoja(dm, codigo, l, lote);
}

void alteraProduto(TrdmCadProd &dm, const LinhaProduto &l)
{
    const QString &codigo = l.cdProduto;
    TADOCommand *c = dm.acmUpdProd;
    parametrosProduto(c, codigo, l);
    if (c->Execute() == 0) {
        // Another terminal deleted it, or there was nothing to edit:
        // nothing of this save may be stored.
        throw EDatabaseError(
            QStringLiteral("Produto de código '%1' não encontrado; a alteração não foi gravada.").arg(codigo));
    }

    c = dm.acmUpdItemPrec;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_VRPRECITEM", l.vrPrecItem);
    setParam(c, "P_DTULTATUITPR", agora());
    setParam(c, "P_CDPRPAITABPR", codigo);
    if (c->Execute() == 0)
        inserePreco(dm, codigo, l.vrPrecItem);

    TADOQuery *imp = dm.adqImposto;
    imp->Close();
    setParam(imp, "P_SGIMPOSTO", l.sgImposto);
    imp->Open();
    QString cdImposto;
    if (!imp->IsEmpty()) {
        imp->First();
        cdImposto = imp->FieldByName(QStringLiteral("CDIMPOSTO"))->AsString();
    }

    c = dm.acmUpdAliq;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_CDIMPOSTO", cdImposto);
    setParam(c, "P_IDTPIMPOSFIS", l.idTpImposFis);
    setParam(c, "P_VRPEALIMPFIS", l.vrPeAlImpFis);
    setParam(c, "P_DTULTATUALIF", agora());
    if (c->Execute() == 0)
        insereAliquota(dm, codigo, cdImposto, l);

    c = dm.acmUpdProdLoja;
    setParam(c, "P_CDPRODUTO", codigo);
    setParam(c, "P_CDPORIMPPROD", l.cdPorImpProd);
    setParam(c, "P_DTULTATUPLOJ", agora());
    if (c->Execute() == 0)
        insereLoja(dm, codigo, l);
}

// A packet is checked whole before anything is written. Key and code
// fields are never cut to their width (a longer value would name another
// product); numbers must be numbers; texts must be storable.
void validaPacote(const TDataPacket &p, const TDataSet &cds, bool insercao)
{
    if (insercao && p.rows.size() > kMaxLinhasInclusao)
        throw EDatabaseError(QStringLiteral("Pacote com %1 produtos; uma inclusão aceita no máximo %2. Nada foi gravado.")
                                 .arg(p.rows.size())
                                 .arg(kMaxLinhasInclusao));
    QList<QPair<int, int>> codigos;  // packet field, width
    for (const char *nome : {"CDPRODUTO", "CDPRODINTE", "CDBARPRODUTO"}) {
        if (insercao && qstrcmp(nome, "CDPRODUTO") == 0)
            continue;  // not read by an insert
        const TField *f = cds.FindField(QLatin1String(nome));
        const int i = p.fieldIndex(QLatin1String(nome));
        if (f && i >= 0 && f->Size() > 0)
            codigos.append({i, f->Size()});
    }
    QList<int> numeros;
    for (const char *nome : {"QTTARAPROD", "VRPRECITEM", "VRPEALIMPFIS"})
        if (const int i = p.fieldIndex(QLatin1String(nome)); i >= 0)
            numeros.append(i);

    for (const QVariantList &linha : p.rows) {
        for (const auto &[i, largura] : codigos) {
            const QString v = linha.value(i).toString();
            if (v.size() > largura)
                throw EDatabaseError(
                    QStringLiteral("O campo %1 tem %2 caracteres; o máximo é %3. Nada foi gravado.")
                        .arg(p.fields[i].name)
                        .arg(v.size())
                        .arg(largura));
        }
        for (const int i : numeros) {
            const QVariant v = linha.value(i);
            const int tipo = v.metaType().id();
            if ((tipo == QMetaType::Double || tipo == QMetaType::Float) && !std::isfinite(v.toDouble()))
                throw EDatabaseError(QStringLiteral("O campo %1 não tem um valor numérico válido (%2). Nada foi gravado.")
                                         .arg(p.fields[i].name, v.toString()));
        }
        for (int i = 0; i < p.fields.size() && i < linha.size(); ++i)
            if (p.fields[i].type == TFieldType::ftString && !isStorableText(linha[i].toString()))
                throw EDatabaseError(
                    QStringLiteral("O campo %1 tem caractere nulo ou substituto isolado. Nada foi gravado.")
                        .arg(p.fields[i].name));
    }
}


// A reduced code is a number: the product list is ordered by its value,
// so one that is not would stop the list from opening.
void validaCodigosReduzidos(const TDataPacket &p)
{
    const int i = p.fieldIndex(QStringLiteral("CDPRODINTE"));
    for (int r = 0; r < p.rows.size(); ++r) {
        const QString v = i >= 0 ? p.rows[r].value(i).toString() : QString();
        bool digitos = !v.isEmpty();
        for (const QChar c : v)
            digitos = digitos && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digitos)
            throw EDatabaseError(
                v.isEmpty() ? QStringLiteral("Código Reduzido não informado. Nada foi gravado.")
                            : QStringLiteral("Código Reduzido \"%1\" inválido: só algarismos. Nada foi gravado.").arg(v));
    }
}

// The duplicate check of the screen, run again under the lock: another
// product (other than `codigo`, or any when inserting) with this reduced
// code or bar code.
void verificaConflito(TrdmCadProd &dm, const LinhaProduto &l, const QString &codigo)
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

// The codes an insert of the packet's own codes writes.
QStringList codigosProprios(const TDataPacket &p, const TDataSet &cds)
{
    const int i = p.fieldIndex(QStringLiteral("CDPRODUTO"));
    const TField *f = cds.FindField(QStringLiteral("CDPRODUTO"));
    QStringList codigos;
    for (const QVariantList &linha : p.rows) {
        const QString v = i >= 0 ? linha.value(i).toString() : QString();
        if (v.isEmpty() || (f && v.size() > f->Size())
            || !std::all_of(v.begin(), v.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            throw EDatabaseError(QStringLiteral("Código de produto \"%1\" inválido: até %2 algarismos. Nada foi gravado.")
                                     .arg(v.left(20))
                                     .arg(f ? f->Size() : 10));
        codigos.append(v);
    }
    return codigos;
}

}  // namespace

void gravaProdutos(TrdmCadProd &dm, const TDataPacket &pacote, bool insercao, TdtmQulProxCodigo &gerador,
                   bool verificaCodigos, bool codigosDoPacote)
{
    TClientDataSet *cds = dm.cdsInsProd;
    validaPacote(pacote, *cds, insercao);
    validaCodigosReduzidos(pacote);
    cds->SetData(pacote);
    gerador.Trava();
    if (insercao) {
        // Each row its own product (a second row under the same code
        // would collide on the product key); the codes are read once.
        const QStringList codigos = codigosDoPacote ? codigosProprios(pacote, *cds)
                                                    : gerador.PrxProdutos(std::max(1, cds->RecordCount()));
        // Products whose codes the caller checked go one statement per
        // table where the engine takes it, in the tables' order.
        std::optional<TInsercoesEmLote> lote;
        if (!verificaCodigos && cds->RecordCount() > 1 && TInsercoesEmLote::aceita(dm.adcCadProd))
            lote.emplace(QList<TADOCommand *>{dm.acmInsProd, dm.acmInsItemPrec, dm.acmInsAliq, dm.acmInsProdLoja});
        int n = 0;
        for (cds->First(); !cds->Eof(); cds->Next()) {
            const LinhaProduto l = lerLinha(cds);
            if (verificaCodigos)
                verificaConflito(dm, l, QStringLiteral("T"));
            insereProduto(dm, codigos.at(n++), l, lote ? &*lote : nullptr);
        }
        if (lote)
            lote->envia();
    } else {
        for (cds->First(); !cds->Eof(); cds->Next()) {
            const LinhaProduto l = lerLinha(cds);
            if (verificaCodigos)
                verificaConflito(dm, l, l.cdProduto);
            alteraProduto(dm, l);
        }
    }
    if (cds->RecordCount() > 0)
        avisaProdutosAlterados(dm);
}
