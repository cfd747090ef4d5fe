#include "MultiRowInsert.h"

#include <QRegularExpression>

#include <map>

namespace {

// The statement of n rows of a model, kept while the model lives, so that
// the batches of one import prepare it once.
struct TComandoDeLote {
    QPointer<TADOCommand> modelo;
    int linhas = 0;
    std::unique_ptr<TADOCommand> comando;
};
std::map<const TADOCommand *, TComandoDeLote> g_comandos;

}  // namespace

bool TInsercaoMultipla::aceita(const TADOConnection *c)
{
    // Where each statement is a round trip to a server: PostgreSQL. SQLite
    // runs in the process, where one-row statements are as fast; the
    // PostgreSQL ODBC driver loses its way in a statement of thousands of
    // parameters.
    return c && c->Connected() && c->Database().driverName() == QLatin1String("QPSQL");
}

void TInsercaoMultipla::acrescenta()
{
    QVariantList valores;
    for (const TParameter &p : m_modelo->Parameters.items())
        valores.append(p.Value);
    m_linhas.append(std::move(valores));
}

void TInsercaoMultipla::executa()
{
    const int n = int(m_linhas.size());
    if (n == 0)
        return;
    TComandoDeLote &guardado = g_comandos[m_modelo];
    if (!guardado.modelo || guardado.linhas != n || !guardado.comando) {
        // "INSERT INTO T (columns) VALUES" then the row's tuple, whose
        // markers get the row's number.
        const QStringList linhas = m_modelo->effectiveLines();
        const qsizetype v = linhas.indexOf(QStringLiteral("VALUES"));
        if (v < 0)
            throw EDatabaseError(QStringLiteral("%1: sem VALUES para inserir várias linhas.").arg(m_modelo->objectName()));
        const QString tupla = linhas.mid(v + 1).join(QLatin1Char('\n'));
        static const QRegularExpression marcador(QStringLiteral(":(P_[A-Za-z0-9_]+)"));
        QStringList texto = linhas.mid(0, v + 1);
        auto c = std::make_unique<TADOCommand>();
        c->setObjectName(m_modelo->objectName() + QStringLiteral("Lote"));
        c->Connection = m_modelo->Connection;
        c->CommandTimeout = m_modelo->CommandTimeout;
        for (int k = 0; k < n; ++k) {
            QString t = tupla;
            t.replace(marcador, QStringLiteral(":\\1_%1").arg(k));
            texto.append(k + 1 < n ? t + QLatin1Char(',') : t);
            for (const TParameter &p : m_modelo->Parameters.items())
                c->Parameters.Add(QStringLiteral("%1_%2").arg(p.Name).arg(k), p.DataType, p.Size);
        }
        c->SetCommandText(texto);
        guardado = {m_modelo, n, std::move(c)};
    }
    TADOCommand *comando = guardado.comando.get();
    comando->Connection = m_modelo->Connection;
    // Declared row by row, in the model's order.
    const qsizetype m = m_modelo->Parameters.items().size();
    for (int k = 0; k < n; ++k)
        for (qsizetype i = 0; i < m; ++i)
            comando->Parameters.at(k * m + i).Value = m_linhas[k][i];
    m_linhas.clear();
    const int inseridas = comando->Execute();
    if (inseridas != n)
        throw EDatabaseError(QStringLiteral("%1: %2 de %3 linhas inseridas.").arg(m_modelo->objectName()).arg(inseridas).arg(n));
}
