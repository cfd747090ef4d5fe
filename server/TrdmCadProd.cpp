#include "TrdmCadProd.h"

#include "QulShared.h"
#include "StatementCatalogue.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

TrdmCadProd *rdmCadProd = nullptr;

namespace {

QStringList lines(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &l : v.toArray())
        out.append(l.toString());
    return out;
}

void declareFields(TDataSet *ds, const QJsonArray &fields)
{
    for (const QJsonValue &fv : fields) {
        const QJsonObject f = fv.toObject();
        ds->AddField(f.value(QStringLiteral("name")).toString(), designFieldType(f, ds->objectName()),
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
        st->Parameters.Add(name, designFieldType(p, owner), p.value(QStringLiteral("size")).toInt());
    }
}

// Texts of a statement for particular dialects, beside its stored text.
void dialectTexts(TADOStatement *st, const QJsonObject &o)
{
    static const struct {
        const char *key;
        TDialect dialect;
    } keys[] = {{"sql_oracle", TDialect::Oracle},
                {"sql_mssql", TDialect::SQLServer},
                {"sql_sqlite", TDialect::SQLite},
                {"sql_postgresql", TDialect::PostgreSQL}};
    for (const auto &k : keys)
        if (o.contains(QLatin1String(k.key)))
            st->DialectSQL.insert(k.dialect, lines(o.value(QLatin1String(k.key))));
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
    QUL_BIND(adqProdutoLista, TADOQuery);
    QUL_BIND(adqTravaProduto, TADOQuery);
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
    // A transaction the engine ended is committed too, so that its loss is
    // reported instead of skipped.
    if (adcCadProd->InTransaction() || adcCadProd->TransactionEnded())
        adcCadProd->CommitTrans();
}

void TrdmCadProd::RollbackTrans()
{
    // One the engine ended (a lost session) is ended here too, so that the
    // connection may be opened again.
    if (adcCadProd->InTransaction() || adcCadProd->TransactionEnded())
        adcCadProd->RollbackTrans();
}
