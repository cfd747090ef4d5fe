#include "MultiRowInsert.h"

#include "StatementCatalogue.h"

#include <QPointer>

namespace {

// The catalogue's statement of `n` rows of `modelo`, made once and owned
// by the model (so it goes with it): the batches of an import, one call
// after another, prepare it once.
TADOCommand *comandoDeLinhas(TADOCommand *modelo, int n)
{
    using Feitos = QHash<QPair<TADOCommand *, int>, QPointer<TADOCommand>>;
    static Feitos feitos;
    const auto chave = qMakePair(modelo, n);
    if (TADOCommand *c = feitos.value(chave))
        return c;
    feitos.removeIf([](Feitos::iterator it) { return it.value().isNull(); });  // of models gone
    std::unique_ptr<TADOCommand> novo = catalogueCommand(catalogueRowsOf(modelo->objectName()), n);
    novo->setParent(modelo);
    TADOCommand *c = novo.release();
    feitos.insert(chave, c);
    return c;
}

}  // namespace

TInsercoesEmLote::TInsercoesEmLote(const QList<TADOCommand *> &comandos) : m_comandos(comandos)
{
    for (TADOCommand *c : comandos) {
        if (catalogueRowsOf(c->objectName()).isEmpty())
            throw EDatabaseError(QStringLiteral("%1: sem sentença de várias linhas no desenho do módulo.").arg(c->objectName()));
        m_linhas.insert(c, {});
    }
}

bool TInsercoesEmLote::aceita(const TADOConnection *c)
{
    // Where each statement is a round trip to a server: PostgreSQL. SQLite
    // runs in the process, where one-row statements are as fast; the
    // PostgreSQL ODBC driver loses its way in a statement of thousands of
    // parameters.
    return c && c->Connected() && c->DriverName() == QLatin1String("QPSQL");
}

void TInsercoesEmLote::executa(TInsercoesEmLote *lote, TADOCommand *c)
{
    if (!lote || !lote->m_linhas.contains(c)) {
        c->Execute();
        return;
    }
    QVariantList valores;
    for (const TParameter &p : c->Parameters.items())
        valores.append(p.Value);
    lote->m_linhas[c].append(std::move(valores));
}

void TInsercoesEmLote::envia()
{
    for (TADOCommand *modelo : std::as_const(m_comandos)) {
        QList<QVariantList> linhas = std::exchange(m_linhas[modelo], {});
        const int n = int(linhas.size());
        if (n == 0)
            continue;
        TADOCommand *comando = comandoDeLinhas(modelo, n);
        comando->Connection = modelo->Connection;
        // Row k's copy of a parameter: its name with "_k".
        const QList<TParameter> &doModelo = modelo->Parameters.items();
        for (int k = 0; k < n; ++k)
            for (qsizetype i = 0; i < doModelo.size(); ++i)
                comando->Parameters.ParamByName(QStringLiteral("%1_%2").arg(doModelo[i].Name).arg(k)).Value = linhas[k][i];
        const int inseridas = comando->Execute();
        if (inseridas != n)
            throw EDatabaseError(
                QStringLiteral("%1: %2 de %3 linhas inseridas.").arg(modelo->objectName()).arg(inseridas).arg(n));
    }
}
