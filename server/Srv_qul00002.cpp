#include "Srv_qul00002.h"

#include "QulShared.h"
#include "TdtmQulProxCodigo.h"
#include "qul00002.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

TrdmCadProd *rdmCadProd = nullptr;

namespace {

const int kFailure = -1;

QString wide(const char16_t *s)
{
    return s ? QString::fromUtf16(s) : QString();
}

QStringList lines(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &l : v.toArray())
        out.append(l.toString());
    return out;
}

TFieldType typeOf(const QJsonObject &o, const QString &owner)
{
    TFieldType t;
    if (!fieldTypeFromName(o.value(QStringLiteral("type")).toString(), &t))
        throw EDatabaseError(QStringLiteral("%1: tipo inválido no desenho do módulo.").arg(owner));
    return t;
}

void declareFields(TDataSet *ds, const QJsonArray &fields)
{
    for (const QJsonValue &fv : fields) {
        const QJsonObject f = fv.toObject();
        ds->AddField(f.value(QStringLiteral("name")).toString(), typeOf(f, ds->objectName()),
                     f.value(QStringLiteral("size")).toInt());
    }
}

void declareParams(TADOStatement *st, const QJsonArray &params, const QString &owner)
{
    for (const QJsonValue &pv : params) {
        const QJsonObject p = pv.toObject();
        const QString name = p.value(QStringLiteral("name")).toString();
        // A repeated entry may carry no type: the first declaration counts.
        if (st->Parameters.FindParam(name))
            continue;
        st->Parameters.Add(name, typeOf(p, owner), p.value(QStringLiteral("size")).toInt());
    }
}

void dialectTexts(TADOStatement *st, const QJsonObject &o)
{
    if (o.contains(QStringLiteral("sql_sqlite")))
        st->DialectSQL.insert(TDialect::SQLite, lines(o.value(QStringLiteral("sql_sqlite"))));
    if (o.contains(QStringLiteral("sql_postgresql")))
        st->DialectSQL.insert(TDialect::PostgreSQL, lines(o.value(QStringLiteral("sql_postgresql"))));
}

}  // namespace

QString rdmCadProdDesignPath()
{
    return QStringLiteral(":/server/TrdmCadProd.json");
}

// ---------------------------------------------------------------- TrdmCadProd

TrdmCadProd::TrdmCadProd(QObject *owner) : QObject(owner)
{
    setObjectName(QStringLiteral("rdmCadProd"));
    loadDesign();
    DataModuleCreate();
}

TrdmCadProd::~TrdmCadProd()
{
    if (ADODBSession() == adcCadProd)
        SetADODBSession(nullptr);
    // Statements first, then the connection they were prepared on.
    for (qsizetype i = m_components.size() - 1; i >= 0; --i)
        if (m_components[i] != adcCadProd)
            delete m_components[i];
    delete adcCadProd;
}

void TrdmCadProd::loadDesign()
{
    Q_INIT_RESOURCE(server);
    QFile f(rdmCadProdDesignPath());
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados não encontrado."));
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &perr);
    if (doc.isNull())
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados inválido: %1").arg(perr.errorString()));

    const QJsonArray comps = doc.object().value(QStringLiteral("components")).toArray();
    // Components first, links (connection, provider data sets, storages) after.
    for (const QJsonValue &cv : comps) {
        const QJsonObject c = cv.toObject();
        const QString name = c.value(QStringLiteral("name")).toString();
        const QString kind = c.value(QStringLiteral("kind")).toString();
        QObject *obj = nullptr;
        if (kind == QLatin1String("TADOConnection")) {
            auto *con = new TADOConnection(this);
            con->ConnectionString = QStringLiteral("Provider=") + c.value(QStringLiteral("Provider")).toString();
            con->LoginPrompt = c.value(QStringLiteral("LoginPrompt")).toBool();
            con->BeforeConnect = [this](TADOConnection *s) { adcCadProdBeforeConnect(s); };
            con->AfterConnect = [this](TADOConnection *s) { adcCadProdAfterConnect(s); };
            obj = con;
        } else if (kind == QLatin1String("TADOQuery")) {
            auto *q = new TADOQuery(this);
            q->setObjectName(name);
            q->SQL() = lines(c.value(QStringLiteral("sql")));
            declareParams(q, c.value(QStringLiteral("params")).toArray(), name);
            declareFields(q, c.value(QStringLiteral("fields")).toArray());
            dialectTexts(q, c);
            obj = q;
        } else if (kind == QLatin1String("TADOCommand")) {
            auto *cmd = new TADOCommand(this);
            cmd->setObjectName(name);
            cmd->SetCommandText(lines(c.value(QStringLiteral("sql"))));
            cmd->CommandTimeout = c.value(QStringLiteral("CommandTimeout")).toInt(30);
            declareParams(cmd, c.value(QStringLiteral("params")).toArray(), name);
            dialectTexts(cmd, c);
            obj = cmd;
        } else if (kind == QLatin1String("TClientDataSet")) {
            auto *cds = new TClientDataSet(this);
            cds->setObjectName(name);
            declareFields(cds, c.value(QStringLiteral("fields")).toArray());
            obj = cds;
        } else if (kind == QLatin1String("TDataSetProvider")) {
            obj = new TDataSetProvider(this);
        } else if (kind == QLatin1String("TADOSqlStorage")) {
            auto *ass = new TADOSqlStorage(this);
            ass->SQLORACLE = lines(c.value(QStringLiteral("SQLORACLE")));
            ass->SQLMSSQL = lines(c.value(QStringLiteral("SQLMSSQL")));
            ass->SQLSQLITE = lines(c.value(QStringLiteral("SQLSQLITE")));
            ass->SQLPOSTGRESQL = lines(c.value(QStringLiteral("SQLPOSTGRESQL")));
            obj = ass;
        } else {
            throw EDatabaseError(QStringLiteral("Componente %1 de tipo desconhecido: %2").arg(name, kind));
        }
        obj->setObjectName(name);
        m_components.append(obj);
    }

    const auto find = [this](const char *n) {
        QObject *o = component(QLatin1String(n));
        if (!o)
            throw EDatabaseError(QStringLiteral("Componente %1 ausente do desenho do módulo.").arg(QLatin1String(n)));
        return o;
    };
    adcCadProd = qobject_cast<TADOConnection *>(find("adcCadProd"));
    if (!adcCadProd)
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados sem conexão."));
    for (const QJsonValue &cv : comps) {
        const QJsonObject c = cv.toObject();
        QObject *obj = component(c.value(QStringLiteral("name")).toString());
        if (auto *q = qobject_cast<TADOQuery *>(obj))
            q->Connection = adcCadProd;
        else if (auto *cmd = qobject_cast<TADOCommand *>(obj))
            cmd->Connection = adcCadProd;
        else if (auto *dsp = qobject_cast<TDataSetProvider *>(obj))
            dsp->DataSet = qobject_cast<TDataSet *>(find(c.value(QStringLiteral("DataSet")).toString().toLatin1()));
        else if (auto *ass = qobject_cast<TADOSqlStorage *>(obj))
            ass->SetADOQuery(qobject_cast<TADOQuery *>(find(c.value(QStringLiteral("ADOQuery")).toString().toLatin1())));
    }

#define QUL_BIND(member, type) member = qobject_cast<type *>(find(#member))
    QUL_BIND(adqImposto, TADOQuery);
    QUL_BIND(adqUnidade, TADOQuery);
    QUL_BIND(dspImposto, TDataSetProvider);
    QUL_BIND(dspUnidade, TDataSetProvider);
    QUL_BIND(adqProduto, TADOQuery);
    QUL_BIND(adqItemPreco, TADOQuery);
    QUL_BIND(adqAliqImpFis, TADOQuery);
    QUL_BIND(adqProdLoja, TADOQuery);
    QUL_BIND(cdsProdutoServ, TClientDataSet);
    QUL_BIND(assItemPreco, TADOSqlStorage);
    QUL_BIND(cdsInsProd, TClientDataSet);
    QUL_BIND(acmInsProd, TADOCommand);
    QUL_BIND(acmInsItemPrec, TADOCommand);
    QUL_BIND(acmInsAliq, TADOCommand);
    QUL_BIND(acmInsProdLoja, TADOCommand);
    QUL_BIND(acmUpdProd, TADOCommand);
    QUL_BIND(acmUpdItemPrec, TADOCommand);
    QUL_BIND(acmUpdAliq, TADOCommand);
    QUL_BIND(acmUpdProdLoja, TADOCommand);
    QUL_BIND(adqVd_Produto, TADOQuery);
    QUL_BIND(dspVd_Produto, TDataSetProvider);
    QUL_BIND(acmDelProd, TADOCommand);
    QUL_BIND(acmDelItemPrec, TADOCommand);
    QUL_BIND(acmDelAliq, TADOCommand);
    QUL_BIND(acmDelProdLoja, TADOCommand);
    QUL_BIND(adqVd_DelProd, TADOQuery);
    QUL_BIND(adqVd_ProdConfTe, TADOQuery);
    QUL_BIND(dspVd_ProdConfTe, TDataSetProvider);
    QUL_BIND(assProduto, TADOSqlStorage);
#undef QUL_BIND
}

QObject *TrdmCadProd::component(const QString &name) const
{
    for (QObject *o : m_components)
        if (o->objectName() == name)
            return o;
    return nullptr;
}

QList<TADOStatement *> TrdmCadProd::statements() const
{
    QList<TADOStatement *> out;
    for (QObject *o : m_components) {
        if (auto *q = qobject_cast<TADOQuery *>(o))
            out.append(q);
        else if (auto *c = qobject_cast<TADOCommand *>(o))
            out.append(c);
    }
    return out;
}

void TrdmCadProd::DataModuleCreate()
{
    cdsProdutoServ->CreateDataSet();
}

void TrdmCadProd::adcCadProdBeforeConnect(TADOConnection *sender)
{
    sender->ConnectionString = _GetStringConexQul(QString());
}

void TrdmCadProd::adcCadProdAfterConnect(TADOConnection *sender)
{
    SetADODBSession(sender);
}

void TrdmCadProd::StartTrans()
{
    if (!adcCadProd->InTransaction())
        adcCadProd->BeginTrans();
}

void TrdmCadProd::CommitTrans()
{
    if (adcCadProd->InTransaction())
        adcCadProd->CommitTrans();
}

void TrdmCadProd::RollbackTrans()
{
    if (adcCadProd->InTransaction())
        adcCadProd->RollbackTrans();
}

// ---------------------------------------------------------------- services

namespace {

TrdmCadProd &module()
{
    if (!rdmCadProd)
        throw EDatabaseError(QStringLiteral("O módulo de dados de produtos não está criado."));
    return *rdmCadProd;
}

// Runs a read service body: a failure becomes its message in the result.
template <typename Body, typename Message>
int32_t readService(QVariant *out, Body body, Message message)
{
    if (!out)
        return kFailure;
    try {
        *out = QVariant();
        try {
            *out = body();
        } catch (const std::exception &e) {
            *out = message(e);
        }
        return 0;
    } catch (...) {
        return kFailure;
    }
}

QString ownMessage(const std::exception &e)
{
    return exceptionMessage(e);
}

}  // namespace

extern "C" int32_t getImposto(QVariant *out)
{
    return readService(
        out,
        [] {
            TrdmCadProd &dm = module();
            dm.adqImposto->Close();
            dm.adqImposto->Parameters.ParamByName(QStringLiteral("P_SGIMPOSTO")).Value = QStringLiteral("T");
            dm.adqImposto->Open();
            return fromDataPacket(dm.dspImposto->GetData());
        },
        ownMessage);
}

extern "C" int32_t getUnidade(QVariant *out)
{
    return readService(
        out,
        [] {
            TrdmCadProd &dm = module();
            dm.adqUnidade->Close();
            dm.adqUnidade->Open();
            return fromDataPacket(dm.dspUnidade->GetData());
        },
        ownMessage);
}

extern "C" int32_t getProduto(const char16_t *code, QVariant *out)
{
    const QString codigo = wide(code);
    return readService(
        out,
        [&] {
            TrdmCadProd &dm = module();
            TADOQuery *prod = dm.adqProduto;
            prod->Close();
            prod->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = codigo;
            prod->Open();
            TClientDataSet *cds = dm.cdsProdutoServ;
            cds->EmptyDataSet();
            TField *pCod = prod->FieldByName(QStringLiteral("CDPRODUTO"));
            TField *pArv = prod->FieldByName(QStringLiteral("CDARVPROD"));
            TField *pBar = prod->FieldByName(QStringLiteral("CDBARPRODUTO"));
            TField *pNome = prod->FieldByName(QStringLiteral("NMPRODUTO"));
            TField *pUni = prod->FieldByName(QStringLiteral("SGUNIDADE"));
            TField *pPesa = prod->FieldByName(QStringLiteral("IDPESAPROD"));
            TField *pTara = prod->FieldByName(QStringLiteral("QTTARAPROD"));
            TField *pRed = prod->FieldByName(QStringLiteral("CDPRODINTE"));
            TParameter &precoCod = dm.adqItemPreco->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            TParameter &aliqCod = dm.adqAliqImpFis->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            TParameter &lojaCod = dm.adqProdLoja->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            // Declared fields outlive Close/Open: look them up once.
            const auto f = [](TDataSet *ds, const char *n) { return ds->FieldByName(QLatin1String(n)); };
            TField *preco = f(dm.adqItemPreco, "VRPRECITEM");
            TADOQuery *al = dm.adqAliqImpFis;
            TField *alImposto = f(al, "CDIMPOSTO"), *alSigla = f(al, "SGIMPOSTO"), *alAliq = f(al, "VRPEALIMPFIS"),
                   *alTipo = f(al, "IDTPIMPOSFIS");
            TField *porta = f(dm.adqProdLoja, "CDPORIMPPROD");
            TField *sCod = f(cds, "CDPRODUTO"), *sArv = f(cds, "CDARVPROD"), *sBar = f(cds, "CDBARPRODUTO"),
                   *sNome = f(cds, "NMPRODUTO"), *sUni = f(cds, "SGUNIDADE"), *sPesa = f(cds, "IDPESAPROD"),
                   *sTara = f(cds, "QTTARAPROD"), *sRed = f(cds, "CDPRODINTE"), *sPreco = f(cds, "VRPRECITEM"),
                   *sImposto = f(cds, "CDIMPOSTO"), *sSigla = f(cds, "SGIMPOSTO"), *sAliq = f(cds, "VRPEALIMPFIS"),
                   *sTipo = f(cds, "IDTPIMPOSFIS"), *sPorta = f(cds, "CDPORIMPPROD");
            if (!prod->IsEmpty()) {
                prod->First();
                while (!prod->Eof()) {
                    const QString cdProduto = pCod->AsString();
                    dm.adqItemPreco->Close();
                    precoCod.Value = cdProduto;
                    dm.adqItemPreco->Open();
                    al->Close();
                    aliqCod.Value = cdProduto;
                    al->Open();
                    dm.adqProdLoja->Close();
                    lojaCod.Value = cdProduto;
                    dm.adqProdLoja->Open();

                    // A sub-query without rows, or a null column, gives an
                    // empty text or 0; texts are cut to the field's width.
                    cds->Insert();
                    sCod->SetAsString(cdProduto);
                    sArv->SetAsString(pArv->AsString());
                    sBar->SetAsString(pBar->AsString());
                    sNome->SetAsString(pNome->AsString());
                    sUni->SetAsString(pUni->AsString());
                    sPesa->SetAsString(pPesa->AsString());
                    sTara->SetAsFloat(pTara->AsFloat());
                    sRed->SetAsString(pRed->AsString());
                    sPreco->SetAsFloat(preco->AsFloat());
                    sImposto->SetAsString(alImposto->AsString());
                    sSigla->SetAsString(alSigla->AsString());
                    sAliq->SetAsFloat(alAliq->AsFloat());
                    sTipo->SetAsString(alTipo->AsString());
                    sPorta->SetAsString(porta->AsString());
                    cds->Post();
                    prod->Next();
                }
            }
            return fromDataPacket(cds->Data());
        },
        [](const std::exception &e) {
            return ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
        });
}

extern "C" int32_t getVd_Produto(const char16_t *code, const char16_t *barCode, const char16_t *reducedCode,
                                 QVariant *out)
{
    const QString codigo = wide(code), barras = wide(barCode), reduzido = wide(reducedCode);
    return readService(
        out,
        [&] {
            TrdmCadProd &dm = module();
            TADOQuery *q = dm.adqVd_Produto;
            q->Close();
            q->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = codigo;
            q->Parameters.ParamByName(QStringLiteral("P_CDPRODINTE")).Value = reduzido;
            q->Parameters.ParamByName(QStringLiteral("P_CDBARPRODUTO")).Value = barras;
            q->Open();
            return fromDataPacket(dm.dspVd_Produto->GetData());
        },
        ownMessage);
}

// ---------------------------------------------------------------- write services

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

// Ends a failed write: rolls back and tells whether the transaction is
// really over. A connection that is gone has nothing left to undo.
bool desfaz(TrdmCadProd &dm)
{
    try {
        dm.RollbackTrans();
        return true;
    } catch (const std::exception &) {
        return !dm.adcCadProd->Connected() || !dm.adcCadProd->InTransaction();
    }
}

// Runs a write service body inside the connection's transaction. A failure
// rolls back and becomes its message in the result (status success); only
// a rollback that leaves the transaction open is a failure status.
template <typename Body>
int32_t writeService(QVariant *out, Body body)
{
    if (!out)
        return kFailure;
    try {
        *out = QVariant();
        TrdmCadProd *dm = rdmCadProd;
        if (!dm) {
            *out = QStringLiteral("O módulo de dados de produtos não está criado.");
            return 0;
        }
        try {
            dm->StartTrans();
            body(*dm);
        } catch (const std::exception &e) {
            *out = ADOExceptionMessage(e, dm->adcCadProd, QString());
            if (!desfaz(*dm))
                return kFailure;
        }
        return 0;
    } catch (...) {
        return kFailure;
    }
}

}  // namespace

extern "C" int32_t setProduto(const QVariant *packet, const char16_t *operation, QVariant *out)
{
    const QString operacao = wide(operation);
    // Outlives the transaction: its statements are freed only after the
    // commit or the rollback (PostgreSQL refuses to free them inside an
    // aborted transaction).
    std::unique_ptr<TdtmQulProxCodigo> gerador;
    return writeService(out, [&](TrdmCadProd &dm) {
        if (!packet)
            throw EDatabaseError(QStringLiteral("Nenhum pacote de produto recebido."));
        TClientDataSet *cds = dm.cdsInsProd;
        cds->SetData(toDataPacket(*packet));
        if (operacao == QLatin1String("I")) {
            gerador.reset(new TdtmQulProxCodigo(nullptr));
            QString codigo = gerador->PrxProduto();
            bool primeira = true;
            for (cds->First(); !cds->Eof(); cds->Next()) {
                // Each row its own product: a second row under the same
                // code would collide on the product key.
                if (!primeira)
                    codigo = gerador->PrxProduto();
                primeira = false;
                insereProduto(dm, codigo, lerLinha(cds));
            }
        } else {
            for (cds->First(); !cds->Eof(); cds->Next())
                alteraProduto(dm, lerLinha(cds));
        }
        dm.CommitTrans();
    });
}

extern "C" int32_t setDelProduto(const char16_t *code, QVariant *out)
{
    const QString codigo = wide(code);
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

// ---------------------------------------------------------------- data module for tools

extern "C" int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error)
{
    try {
        registerDataPacketType();
        if (rdmCadProd) {
            if (error)
                *error = QStringLiteral("O módulo de dados de produtos já está criado.");
            return kFailure;
        }
        const QString cs = wide(connectionString);
        SetStringConexQul(cs);
        auto dm = std::make_unique<TrdmCadProd>(nullptr);
        dm->adcCadProd->Open();
        rdmCadProd = dm.release();
        return 0;
    } catch (const std::exception &e) {
        if (error)
            *error = exceptionMessage(e);
        return kFailure;
    } catch (...) {
        if (error)
            *error = QStringLiteral("Falha desconhecida ao criar o módulo de dados.");
        return kFailure;
    }
}

extern "C" int32_t QulLiberaModuloDados(void)
{
    try {
        delete rdmCadProd;
        rdmCadProd = nullptr;
        return 0;
    } catch (...) {
        rdmCadProd = nullptr;
        return kFailure;
    }
}
