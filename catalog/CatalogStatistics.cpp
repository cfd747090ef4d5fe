#include "CatalogStatistics.h"

#include "StoredDesign.h"
#include "TrdmCadProd.h"

#include <QSqlQuery>

bool pedeEstatisticas(qint64 gravadas, qint64 antes)
{
    return gravadas > 0 && (gravadas >= kLinhasEstatisticas || gravadas * 10 >= antes);
}

QString atualizaEstatisticas(TrdmCadProd &dm, qint64 gravadas, qint64 antes)
{
    TADOConnection *c = dm.adcCadProd;
    if (!pedeEstatisticas(gravadas, antes) || c->Dialect() != TDialect::PostgreSQL || c->InTransaction())
        return QString();
    try {
        const std::unique_ptr<TADOCommand> analisa = catalogueCommand(QStringLiteral("acmAnalisaProdutos"));
        analisa->Connection = c;
        // Run as it stands: a prepared statement cannot be an ANALYZE.
        c->UseStatementTimeout(analisa->CommandTimeout);
        QSqlQuery q(c->Database());
        ++c->StatementCount;
        if (!q.exec(analisa->effectiveText()))
            c->raise(q.lastError(), q);
        q.finish();
    } catch (const std::exception &e) {
        return QStringLiteral("aviso: a importação foi gravada, mas as estatísticas das tabelas de produtos não foram "
                              "atualizadas (%1); até o próximo ANALYZE do banco, a próxima importação pode demorar mais.")
            .arg(QString::fromUtf8(e.what()));
    }
    return QString();
}
