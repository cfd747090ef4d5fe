#include "ProductChanges.h"

#include "StoreChanges.h"
#include "TrdmCadProd.h"

namespace {

// A statement of this file's own, made on first use as a child of the data
// module (so it goes with it).
template <class T>
T *comando(TrdmCadProd &dm, const char *nome, const QStringList &sql)
{
    T *s = dm.findChild<T *>(QLatin1String(nome), Qt::FindDirectChildrenOnly);
    if (!s) {
        s = new T(&dm);
        s->setObjectName(QLatin1String(nome));
        s->DialectSQL.insert(TDialect::PostgreSQL, sql);
    }
    s->Connection = dm.adcCadProd;
    return s;
}

}  // namespace

void avisaProdutosAlterados(TrdmCadProd &dm)
{
    if (dm.adcCadProd->Dialect() != TDialect::PostgreSQL)
        return;
    // pg_notify rather than NOTIFY: a statement the driver can prepare.
    comando<TADOCommand>(dm, "acmAvisaProdutos", {QStringLiteral("SELECT pg_notify('%1', '')").arg(kCanalProdutos)})
        ->Execute();
}

TMudancasExternas *vigiaProdutos(TrdmCadProd &dm, QObject *owner)
{
    std::function<QVariant()> impressao;
    TADOConnection *c = dm.adcCadProd;
    if (c->Dialect() == TDialect::PostgreSQL && c->DriverName() == QLatin1String("QODBC")) {
        // Every insert or update gives its rows the writing transaction's
        // id and every delete lowers a count: the pair changes with any
        // committed change of the four tables.
        auto *q = comando<TADOQuery>(
            dm, "adqImpressaoProdutos",
            {QStringLiteral("SELECT CAST(COUNT(*) AS VARCHAR(20)) || ':' ||"),
             QStringLiteral("       CAST(COALESCE(SUM(CAST(CAST(xmin AS TEXT) AS BIGINT)), 0) AS VARCHAR(30)) AS IMPRESSAO"),
             QStringLiteral("  FROM (SELECT xmin FROM PRODUTO UNION ALL SELECT xmin FROM ITEMPRECO"),
             QStringLiteral("        UNION ALL SELECT xmin FROM ALIQIMPFIS UNION ALL SELECT xmin FROM PRODLOJA) T")});
        if (!q->FindField(QStringLiteral("IMPRESSAO")))
            q->AddField(QStringLiteral("IMPRESSAO"), TFieldType::ftString, 60);
        impressao = [q] {
            q->Close();
            q->Open();
            const QVariant v = q->FieldByName(QStringLiteral("IMPRESSAO"))->Value();
            q->Close();
            return v;
        };
    }
    return new TMudancasExternas(c, kCanalProdutos, impressao, owner);
}
