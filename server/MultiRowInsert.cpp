#include "MultiRowInsert.h"

#include <QRegularExpression>

namespace {

// The statement of `n` rows of `modelo`, made once and kept as its child,
// so that the batches of one import prepare it once.
TADOCommand *comandoDeLinhas(TADOCommand *modelo, int n)
{
    const QString nome = QStringLiteral("%1Lote%2").arg(modelo->objectName()).arg(n);
    if (auto *c = modelo->findChild<TADOCommand *>(nome, Qt::FindDirectChildrenOnly))
        return c;
    // "INSERT INTO T (columns) VALUES" then the row's tuple, whose markers
    // get the row's number.
    const QStringList linhas = modelo->effectiveLines();
    const qsizetype v = linhas.indexOf(QStringLiteral("VALUES"));
    if (v < 0)
        throw EDatabaseError(QStringLiteral("%1: sem VALUES para inserir várias linhas.").arg(modelo->objectName()));
    const QString tupla = linhas.mid(v + 1).join(QLatin1Char('\n'));
    static const QRegularExpression marcador(QStringLiteral(":(P_[A-Za-z0-9_]+)"));
    QStringList texto = linhas.mid(0, v + 1);
    auto *c = new TADOCommand(modelo);
    c->setObjectName(nome);
    c->CommandTimeout = modelo->CommandTimeout;
    for (int k = 0; k < n; ++k) {
        QString t = tupla;
        t.replace(marcador, QStringLiteral(":\\1_%1").arg(k));
        texto.append(k + 1 < n ? t + QLatin1Char(',') : t);
        for (const TParameter &p : modelo->Parameters.items())
            c->Parameters.Add(QStringLiteral("%1_%2").arg(p.Name).arg(k), p.DataType, p.Size);
    }
    c->SetCommandText(texto);
    return c;
}

}  // namespace

TInsercoesEmLote::TInsercoesEmLote(const QList<TADOCommand *> &comandos) : m_comandos(comandos)
{
    for (TADOCommand *c : comandos)
        m_linhas.insert(c, {});
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
        // Declared row by row, in the model's order.
        const qsizetype m = modelo->Parameters.items().size();
        for (int k = 0; k < n; ++k)
            for (qsizetype i = 0; i < m; ++i)
                comando->Parameters.at(k * m + i).Value = linhas[k][i];
        const int inseridas = comando->Execute();
        if (inseridas != n)
            throw EDatabaseError(
                QStringLiteral("%1: %2 de %3 linhas inseridas.").arg(modelo->objectName()).arg(inseridas).arg(n));
    }
}
