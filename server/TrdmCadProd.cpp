#include "TrdmCadProd.h"

#include "ServiceThread.h"

#include "QulShared.h"
#include "StatementCatalogue.h"
#include "StoredDesign.h"

TrdmCadProd *rdmCadProd = nullptr;

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
    notaLinhaDoModulo(thread());
}

TrdmCadProd::~TrdmCadProd()
{
    notaLinhaDoModulo(nullptr);
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
    m_components = makeDesignComponents(this);
    linkComponents();
    bindMembers();
}

QObject *TrdmCadProd::required(const QString &name) const
{
    QObject *o = component(name);
    if (!o)
        throw EDatabaseError(QStringLiteral("Componente %1 ausente do desenho do módulo.").arg(name));
    return o;
}

// The statements on the connection, providers on their data sets,
// storages on their queries.
void TrdmCadProd::linkComponents()
{
    adcCadProd = qobject_cast<TADOConnection *>(required(QStringLiteral("adcCadProd")));
    if (!adcCadProd)
        throw EDatabaseError(QStringLiteral("Desenho do módulo de dados sem conexão."));
    adcCadProd->BeforeConnect = [this](TADOConnection *s) { adcCadProdBeforeConnect(s); };
    adcCadProd->AfterConnect = [this](TADOConnection *s) { adcCadProdAfterConnect(s); };
    for (QObject *obj : std::as_const(m_components)) {
        if (auto *q = qobject_cast<TADOQuery *>(obj))
            q->Connection = adcCadProd;
        else if (auto *cmd = qobject_cast<TADOCommand *>(obj))
            cmd->Connection = adcCadProd;
        else if (auto *dsp = qobject_cast<TDataSetProvider *>(obj))
            dsp->DataSet = qobject_cast<TDataSet *>(required(designLink(obj->objectName())));
        else if (auto *ass = qobject_cast<TADOSqlStorage *>(obj))
            ass->SetADOQuery(qobject_cast<TADOQuery *>(required(designLink(obj->objectName()))));
    }
}

void TrdmCadProd::bindMembers()
{
#define QUL_BIND(member, type) member = qobject_cast<type *>(required(QStringLiteral(#member)))
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
