// The write services: saving a product and deleting one, each inside the
// connection's single transaction.
#include "ServiceCall.h"
#include "Srv_qul00002.h"
#include "TdtmQulProxCodigo.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

void setParam(TADOStatement *st, const char *name, const QVariant &v)
{
    st->Parameters.ParamByName(QLatin1String(name)).Value = v;
}

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

void inserePreco(TrdmCadProd &dm, const QString &codigo, double preco)
{
    setParam(dm.acmInsItemPrec, "P_DTINIVGPREC", inicioPreco());
    setParam(dm.acmInsItemPrec, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsItemPrec, "P_CDPRPAITABPR", codigo);
    setParam(dm.acmInsItemPrec, "P_VRPRECITEM", preco);
    setParam(dm.acmInsItemPrec, "P_DTULTATUITPR", agora());
    dm.acmInsItemPrec->Execute();
}

void insereAliquota(TrdmCadProd &dm, const QString &codigo, const QString &cdImposto, const LinhaProduto &l)
{
    setParam(dm.acmInsAliq, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsAliq, "P_CDIMPOSTO", cdImposto);
    setParam(dm.acmInsAliq, "P_IDTPIMPOSFIS", l.idTpImposFis);
    setParam(dm.acmInsAliq, "P_VRPEALIMPFIS", l.vrPeAlImpFis);
    setParam(dm.acmInsAliq, "P_DTULTATUALIF", agora());
    dm.acmInsAliq->Execute();
}

void insereLoja(TrdmCadProd &dm, const QString &codigo, const LinhaProduto &l)
{
    setParam(dm.acmInsProdLoja, "P_CDPRODUTO", codigo);
    setParam(dm.acmInsProdLoja, "P_CDPORIMPPROD", l.cdPorImpProd);
    setParam(dm.acmInsProdLoja, "P_DTULTATUPLOJ", agora());
    dm.acmInsProdLoja->Execute();
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

void insereProduto(TrdmCadProd &dm, const QString &codigo, const LinhaProduto &l)
{
    parametrosProduto(dm.acmInsProd, codigo, l);
    dm.acmInsProd->Execute();
    inserePreco(dm, codigo, l.vrPrecItem);
    insereAliquota(dm, codigo, l.cdImposto, l);
    insereLoja(dm, codigo, l);
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

// The most rows one insert packet may carry; the screen sends one.
constexpr int kMaxLinhasInclusao = 1000;

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

}  // namespace

extern "C" int32_t setProduto(const QVariant *packet, const char16_t *operation, QVariant *out)
{
    const QString operacao = argText(operation);
    // Outlives the transaction: its statements are freed only after the
    // commit or the rollback (PostgreSQL refuses to free them inside an
    // aborted transaction).
    std::unique_ptr<TdtmQulProxCodigo> gerador;
    return writeService(out, [&](TrdmCadProd &dm) {
        if (!packet)
            throw EDatabaseError(QStringLiteral("Nenhum pacote de produto recebido."));
        TClientDataSet *cds = dm.cdsInsProd;
        const bool insercao = operacao == QLatin1String("I");
        const TDataPacket pacote = toDataPacket(*packet);
        validaPacote(pacote, *cds, insercao);
        cds->SetData(pacote);
        if (insercao) {
            // Each row its own product (a second row under the same code
            // would collide on the product key); the codes are read once.
            gerador.reset(new TdtmQulProxCodigo(nullptr));
            const QStringList codigos = gerador->PrxProdutos(std::max(1, cds->RecordCount()));
            int n = 0;
            for (cds->First(); !cds->Eof(); cds->Next())
                insereProduto(dm, codigos.at(n++), lerLinha(cds));
        } else {
            for (cds->First(); !cds->Eof(); cds->Next())
                alteraProduto(dm, lerLinha(cds));
        }
        dm.CommitTrans();
    });
}

extern "C" int32_t setDelProduto(const char16_t *code, QVariant *out)
{
    const QString codigo = argText(code);
    return writeService(out, [&](TrdmCadProd &dm) {
        QVariantList resposta{QVariant(), QVariant()};

        TADOQuery *venda = dm.adqVd_DelProd;
        venda->Close();
        setParam(venda, "P_CDPRODUTO", codigo);
        venda->Open();
        if (!venda->IsEmpty()) {
            resposta[0] = QStringLiteral("VENDA");
            dm.RollbackTrans();  // nothing was written
            *out = resposta;
            return;
        }

        TADOQuery *conf = dm.adqVd_ProdConfTe;
        conf->Close();
        setParam(conf, "P_CDPRODUTO", codigo);
        conf->Open();
        if (!conf->IsEmpty()) {
            resposta[0] = QStringLiteral("CONFTE");
            resposta[1] = fromDataPacket(dm.dspVd_ProdConfTe->GetData());
            dm.RollbackTrans();
            *out = resposta;
            return;
        }

        setParam(dm.acmDelItemPrec, "P_CDPRODUTO", codigo);
        setParam(dm.acmDelItemPrec, "P_CDPRPAITABPR", codigo);
        dm.acmDelItemPrec->Execute();
        setParam(dm.acmDelProdLoja, "P_CDPRODUTO", codigo);
        dm.acmDelProdLoja->Execute();
        setParam(dm.acmDelAliq, "P_CDPRODUTO", codigo);
        dm.acmDelAliq->Execute();
        setParam(dm.acmDelProd, "P_CDPRODUTO", codigo);
        dm.acmDelProd->Execute();
        dm.CommitTrans();
        resposta[0] = QStringLiteral("OK");
        *out = resposta;
    });
}