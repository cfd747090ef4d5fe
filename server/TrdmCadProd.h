#pragma once
// The product data module TrdmCadProd: its connection, statement catalogue
// and transaction methods. The services that run on it are declared in
// Srv_qul00002.h.

#include "ADO.h"

#include <QObject>

class TrdmCadProd : public QObject {
    Q_OBJECT
public:
    // Loads every component from the stored design, then runs
    // DataModuleCreate. The connection stays closed.
    explicit TrdmCadProd(QObject *owner = nullptr);
    ~TrdmCadProd() override;

    // The connection's transaction, as the services' units of work
    // (UnidadeTrabalho.h) begin and end it. StartTrans joins a transaction
    // already open; a unit of work refuses to. CommitTrans also commits one
    // the engine ended, so that its loss is reported; RollbackTrans does
    // nothing when none is open.
    void StartTrans();
    void CommitTrans();
    void RollbackTrans();

    void adcCadProdBeforeConnect(TADOConnection *sender);
    void adcCadProdAfterConnect(TADOConnection *sender);
    void DataModuleCreate();

    // Component by name, as the stored design declares it (nullptr when absent).
    QObject *component(const QString &name) const;
    // Every statement of the catalogue, in declaration order.
    QList<TADOStatement *> statements() const;

    TADOConnection *adcCadProd = nullptr;
    TADOQuery *adqImposto = nullptr;
    TADOQuery *adqUnidade = nullptr;
    TDataSetProvider *dspImposto = nullptr;
    TDataSetProvider *dspUnidade = nullptr;
    TADOQuery *adqProduto = nullptr;
    TADOQuery *adqItemPreco = nullptr;
    TADOQuery *adqAliqImpFis = nullptr;
    TADOQuery *adqProdLoja = nullptr;
    // The product list in one statement over the four tables (getProduto);
    // the four queries above merge it row by row.
    TADOQuery *adqProdutoLista = nullptr;
    // Locks one product's rows in the four tables for the transaction, so
    // that no other writer changes them between an edit's check and its
    // write (on SQLite the write lock of the transaction already does).
    TADOQuery *adqTravaProduto = nullptr;
    TClientDataSet *cdsProdutoServ = nullptr;
    TADOSqlStorage *assItemPreco = nullptr;
    TADOCommand *acmInsProd = nullptr;
    TADOCommand *acmInsItemPrec = nullptr;
    TADOCommand *acmInsAliq = nullptr;
    TADOCommand *acmInsProdLoja = nullptr;
    TADOCommand *acmUpdProd = nullptr;
    TADOCommand *acmUpdItemPrec = nullptr;
    TADOCommand *acmUpdAliq = nullptr;
    TADOCommand *acmUpdProdLoja = nullptr;
    TADOQuery *adqVd_Produto = nullptr;
    TDataSetProvider *dspVd_Produto = nullptr;
    TADOCommand *acmDelProd = nullptr;
    TADOCommand *acmDelItemPrec = nullptr;
    TADOCommand *acmDelAliq = nullptr;
    TADOCommand *acmDelProdLoja = nullptr;
    TADOQuery *adqVd_DelProd = nullptr;
    TADOQuery *adqVd_ProdConfTe = nullptr;
    TDataSetProvider *dspVd_ProdConfTe = nullptr;
    TADOSqlStorage *assProduto = nullptr;
    class TSentencasProprias *proprias = nullptr;  // the module's own declared statements (StatementCatalogue.h)

private:
    void loadDesign();
    void linkComponents();
    void bindMembers();
    QObject *required(const QString &name) const;  // raises when the design lacks it
    QList<QObject *> m_components;
};

// Sets the declared parameter `name` of one of the module's statements
// (raises when the statement declares none of that name).
inline void setParam(TADOStatement *st, const char *name, const QVariant &v)
{
    st->Parameters.ParamByName(QLatin1String(name)).Value = v;
}

// The one data module; empty while no screen (or tool) has it open.
extern TrdmCadProd *rdmCadProd;

// Path of the stored design inside the module.
QString rdmCadProdDesignPath();
