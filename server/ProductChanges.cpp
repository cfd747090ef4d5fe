#include "ProductChanges.h"

#include "ServiceCall.h"
#include "StatementCatalogue.h"
#include "StoreChanges.h"
#include "StoreCheck.h"
#include "Srv_qul00002.h"

#include <QPointer>

namespace {

// The watcher getProdutoMudou answers from, owned by the data module it
// watches (so it goes with it).
QPointer<TMudancasExternas> g_vigia;

// A watcher of the product tables on the data module's connection:
// SQLite's data version, the PostgreSQL channel, or through ODBC to
// PostgreSQL a fingerprint of the four tables' row versions (xmin) and
// counts.
TMudancasExternas *vigiaProdutos(TrdmCadProd &dm)
{
    std::function<QVariant()> impressao;
    TADOConnection *c = dm.adcCadProd;
    if (c->Dialect() == TDialect::PostgreSQL && c->DriverName() == QLatin1String("QODBC")) {
        // Every insert or update gives its rows the writing transaction's
        // id and every delete lowers a count: the pair changes with any
        // committed change of the four tables.
        TADOQuery *q = sentencasProprias(dm).adqImpressaoProdutos.get();
        impressao = [q] {
            q->Close();
            q->Open();
            const QVariant v = q->FieldByName(QStringLiteral("IMPRESSAO"))->Value();
            q->Close();
            return v;
        };
    }
    return new TMudancasExternas(c, kCanalProdutos, impressao, &dm);
}

}  // namespace

void avisaProdutosAlterados(TrdmCadProd &dm)
{
    if (dm.adcCadProd->Dialect() != TDialect::PostgreSQL)
        return;
    // pg_notify rather than NOTIFY: a statement the driver can prepare.
    sentencasProprias(dm).acmAvisaProdutos->Execute();
}

extern "C" int32_t getProdutoMudou(const char16_t *operation, QVariant *out)
{
    return readService(
        out,
        [&]() -> QVariant {
            TrdmCadProd &dm = dataModule();
            const QString op = argText(operation);
            if (op == QLatin1String("I")) {
                delete g_vigia.data();
                g_vigia = vigiaProdutos(dm);
                return QVariant();
            }
            if (op != QLatin1String("M") && op != QLatin1String("V") && op != QLatin1String("VM"))
                throw EDatabaseError(QStringLiteral("getProdutoMudou: operação '%1' desconhecida.").arg(op.left(10)));
            if (!g_vigia || g_vigia->parent() != &dm)
                throw EDatabaseError(QStringLiteral("getProdutoMudou: a lista de produtos não é vigiada (operação I)."));
            if (op == QLatin1String("M")) {
                g_vigia->Marca();
                return QVariant();
            }
            if (op == QLatin1String("VM"))
                return g_vigia->MudouEMarca();
            return g_vigia->Mudou();
        },
        [](const std::exception &e) {
            const QString falta = explicacaoDaFalha(e);  // the tables the watcher reads may be missing
            return falta.isEmpty() ? exceptionMessage(e) : falta;
        });
}
