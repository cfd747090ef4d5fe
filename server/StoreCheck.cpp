#include "StoreCheck.h"

#include "OdbcCalls.h"
#include "ServiceCall.h"
#include "StatementCatalogue.h"
#include "StatementTables.h"
#include "Srv_qul00002.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariantMap>
#include <algorithm>

namespace {

// The engine's answer to a reading of a table that does not exist.
bool tabelaInexistente(const QString &driver, const QSqlQuery &q)
{
    const QSqlError err = q.lastError();
    if (driver == QLatin1String("QSQLITE"))
        return err.databaseText().startsWith(QLatin1String("no such table"));
    QString codigo = err.nativeErrorCode();
    if (driver == QLatin1String("QODBC") && q.result()) {
        // Qt's ODBC driver gives the driver's own number: the SQLSTATE is on the statement.
        const QVariant h = q.result()->handle();
        char estado[6] = {0};
        if (h.isValid() && (h.metaType().flags() & QMetaType::IsPointer))
            codigo = QString::fromLatin1(odbcStatementState(*static_cast<void *const *>(h.constData()), estado));
    }
    return codigo.contains(QLatin1String("42P01")) || codigo.contains(QLatin1String("42S02"))
           || codigo == QLatin1String("942");  // Oracle's ORA-00942, natively
}

// A word of a shell command, quoted when it needs to be.
QString palavraDoShell(const QString &w)
{
    static const QRegularExpression simples(QStringLiteral("^[A-Za-z0-9_./:=@%+-]+$"));
    if (simples.match(w).hasMatch())
        return w;
    return QLatin1Char('\'') + QString(w).replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

// "a tabela X" or "as tabelas X, Y".
QString lista(const QStringList &nomes, const char *uma, const char *varias)
{
    return QString::fromUtf8(nomes.size() == 1 ? uma : varias) + nomes.join(QStringLiteral(", "));
}

// The command that runs `esquema` on the store of `t`.
QString comandoDoEsquema(const TConnectionTarget &t, TDialect d, const QString &esquema)
{
    if (d == TDialect::SQLite)
        return QStringLiteral("sqlite3 %1 < %2").arg(palavraDoShell(t.databaseName), palavraDoShell(esquema));
    if (t.driver != QLatin1String("QPSQL"))  // through ODBC: the data source's server, database and user
        return QStringLiteral("psql -h SERVIDOR -p PORTA -U USUARIO -d BANCO -f %1").arg(palavraDoShell(esquema));
    QString c = QStringLiteral("psql -h %1 -p %2").arg(palavraDoShell(t.hostName), t.ports.isEmpty() ? QString::number(t.port) : t.ports);
    if (!t.userName.isEmpty())
        c += QStringLiteral(" -U ") + palavraDoShell(t.userName);
    return c + QStringLiteral(" -d %1 -f %2").arg(palavraDoShell(t.databaseName), palavraDoShell(esquema));
}

}  // namespace

TUsoDoBanco usoDasSentencas(TrdmCadProd &dm, TDialect d)
{
    TUsoDoBanco uso;
    const auto soma = [&](TADOStatement &s) { uso.soma(s.DialectSQL.value(d, s.sqlLines()).join(QLatin1Char('\n'))); };
    for (TADOStatement *s : dm.statements())
        soma(*s);
    for (const std::shared_ptr<TADOStatement> &s : catalogueStatements(1))
        soma(*s);
    return uso;
}

QString arquivoDoEsquema(TDialect d)
{
    const QString nome = d == TDialect::PostgreSQL ? QStringLiteral("postgresql.sql")
                         : d == TDialect::SQLite   ? QStringLiteral("sqlite.sql")
                                                   : QString();
    if (nome.isEmpty())
        return QString();
    const QString aoLado = QDir::cleanPath(QDir(ProgramDir()).filePath(QStringLiteral(QUL_BIN_TO_SCHEMADIR "/") + nome));
    return QFileInfo(aoLado).isFile() ? aoLado : QStringLiteral(QUL_SCHEMA_DIR "/") + nome;
}

TFaltasNoBanco verificaBanco(TrdmCadProd &dm)
{
    TADOConnection &c = *dm.adcCadProd;
    if (!c.Connected() || c.ConnectionLost())
        throw EDatabaseError(QStringLiteral("Conexão com o banco de dados fechada."));
    if (c.InTransaction())
        throw EDatabaseError(QStringLiteral("O banco de dados não é verificado com uma gravação em andamento."));
    const TUsoDoBanco uso = usoDasSentencas(dm, c.Dialect());
    TFaltasNoBanco f;
    f.tabelasUsadas = int(uso.colunas.size());
    QHash<QString, QSet<QString>> existentes;  // each table found: its columns
    for (const QString &tabela : uso.tabelas()) {
        QSqlQuery q(c.Database());
        ++c.StatementCount;
        // The name comes from the module's own statements, never from outside.
        if (q.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(tabela))) {
            QSet<QString> &colunas = existentes[tabela];
            for (int i = 0; i < q.record().count(); ++i)
                colunas.insert(q.record().fieldName(i).toUpper());
        } else if (tabelaInexistente(c.DriverName(), q)) {
            f.tabelas.append(tabela);
        } else {
            try {
                c.raise(q.lastError(), q);
            } catch (const EADOError &e) {
                if (e.Transient())  // the connection, not the table
                    throw;
                f.ilegiveis.append(QStringLiteral("%1: %2").arg(tabela, e.Message()));
            }
        }
    }
    for (auto it = uso.colunas.cbegin(); it != uso.colunas.cend(); ++it)
        if (existentes.contains(it.key()))
            for (const QString &coluna : it.value())
                if (!existentes[it.key()].contains(coluna))
                    f.colunas.append(it.key() + QLatin1Char('.') + coluna);
    for (auto it = uso.colunasDeUmaDe.cbegin(); it != uso.colunasDeUmaDe.cend(); ++it) {
        if (!std::all_of(it.key().cbegin(), it.key().cend(), [&](const QString &t) { return existentes.contains(t); }))
            continue;  // a missing table is said already
        for (const QString &coluna : it.value())
            if (std::none_of(it.key().cbegin(), it.key().cend(), [&](const QString &t) { return existentes[t].contains(coluna); }))
                f.colunas.append(QStringLiteral("%1 (%2)").arg(coluna, it.key().join(QStringLiteral(" ou "))));
    }
    f.colunas.sort();
    f.colunas.removeDuplicates();
    return f;
}

QString explicaFaltas(const TFaltasNoBanco &f, const TADOConnection &conexao)
{
    TConnectionTarget t;
    try {
        t = resolveConnectionString(conexao.ConnectionString);
    } catch (const std::exception &) {
    }
    const TDialect d = conexao.Dialect();
    QStringList linhas{t.place.isEmpty() ? QStringLiteral("O banco de dados da loja não tem o que o cadastro de produtos usa.")
                                         : QStringLiteral("O banco de dados da loja (%1) não tem o que o cadastro de "
                                                          "produtos usa.").arg(t.place)};
    if (!f.tabelas.isEmpty())
        linhas << lista(f.tabelas, "Falta a tabela ", "Faltam as tabelas ") + QLatin1Char('.');
    if (!f.colunas.isEmpty())
        linhas << lista(f.colunas, "Falta a coluna ", "Faltam as colunas ") + QLatin1Char('.');
    for (const QString &i : f.ilegiveis)
        linhas << QStringLiteral("Não foi possível ler a tabela %1").arg(i);
    const QString esquema = arquivoDoEsquema(d);
    if (esquema.isEmpty()) {
        linhas << QStringLiteral("Este sistema traz o esquema das tabelas para PostgreSQL e SQLite (%1); crie as "
                                 "tabelas e colunas equivalentes neste servidor.").arg(QStringLiteral(QUL_SCHEMA_DIR));
    } else {
        if (!f.tabelas.isEmpty())
            linhas << QStringLiteral("Crie as tabelas com o esquema instalado %1 (as que já existem ficam como "
                                     "estão):").arg(esquema)
                   << QStringLiteral("  ") + comandoDoEsquema(t, d, esquema);
        if (!f.colunas.isEmpty())
            linhas << QStringLiteral("Acrescente as colunas que faltam como o esquema %1 as declara (ALTER TABLE "
                                     "tabela ADD coluna tipo).").arg(esquema);
    }
    if (!f.ilegiveis.isEmpty())
        linhas << QStringLiteral("Dê ao usuário da conexão acesso às tabelas (GRANT SELECT, INSERT, UPDATE, DELETE).");
    linhas << QStringLiteral("Depois, \"qulsvc verifica\" confere o banco de novo; o guia do administrador (%1) "
                             "mostra cada passo.").arg(QStringLiteral(QUL_ADMIN_GUIDE));
    return linhas.join(QLatin1Char('\n'));
}

QString explicacaoDaFalha(const std::exception &e)
{
    const auto *ado = dynamic_cast<const EADOError *>(&e);
    if (!ado || ado->Transient() || !rdmCadProd)
        return QString();
    try {
        const TFaltasNoBanco f = verificaBanco(*rdmCadProd);
        return f.nada() ? QString() : explicaFaltas(f, *rdmCadProd->adcCadProd);
    } catch (const std::exception &) {
        return QString();  // the failure's own text says what happened
    }
}

extern "C" int32_t QulVerificaBanco(QVariant *out)
{
    return readService(
        out,
        [] {
            TrdmCadProd &dm = dataModule();
            const TFaltasNoBanco f = verificaBanco(dm);
            QString lugar;
            try {
                lugar = resolveConnectionString(dm.adcCadProd->ConnectionString).place;
            } catch (const std::exception &) {
            }
            return QVariant(QVariantMap{
                {QStringLiteral("ok"), f.nada()},
                {QStringLiteral("tabelas"), f.tabelasUsadas},
                {QStringLiteral("lugar"), lugar},
                {QStringLiteral("texto"), f.nada() ? QString() : explicaFaltas(f, *dm.adcCadProd)}});
        },
        [](const std::exception &e) { return exceptionMessage(e); });
}
