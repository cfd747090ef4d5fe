#pragma once
// Whether the store database holds what the module's statements use: every
// table they read or write and the columns they name, taken from the
// statement catalogue in the connected engine's SQL (StatementTables.h)
// and looked for with one reading of no rows per table. What is missing
// is said in Portuguese with the way to create it: the schema file this
// installation ships for the engine and the command that runs it.
// `qulsvc verifica` asks it (QulVerificaBanco), and the screen when its
// list cannot be read.

#include "ConnectionTarget.h"

#include <QString>
#include <QStringList>
#include <exception>

class TADOConnection;
class TrdmCadProd;

struct TUsoDoBanco;

// What the module's statements use, in their texts for dialect `d`.
TUsoDoBanco usoDasSentencas(TrdmCadProd &dm, TDialect d);

struct TFaltasNoBanco {
    QStringList tabelas;    // tables the store lacks
    QStringList colunas;    // "TABELA.COLUNA"; a column named alone in a statement over several tables
                            // as "COLUNA (TABELA1 ou TABELA2)"
    QStringList ilegiveis;  // "TABELA: the engine's text", tables that exist but could not be read
    int tabelasUsadas = 0;
    bool nada() const { return tabelas.isEmpty() && colunas.isEmpty() && ilegiveis.isEmpty(); }
};

// Looks for every table and column the statements use on the data
// module's open connection. Raises when the connection is closed or lost,
// or a transaction is open (a failed reading would end it on PostgreSQL).
TFaltasNoBanco verificaBanco(TrdmCadProd &dm);

// What is missing, and how to create it, for the store `conexao` leads to.
QString explicaFaltas(const TFaltasNoBanco &faltas, const TADOConnection &conexao);

// For a reading that failed with `e` on the data module: the explanation
// of what the store lacks, when the failure came from the database (not a
// lost connection, a busy store or a time-out) and a check finds something
// missing; else empty.
QString explicacaoDaFalha(const std::exception &e);

// The schema file of this installation for engine `d` (beside the
// programs, ../share/qul00002/schema/, else the installed folder); empty
// for an engine it ships none for.
QString arquivoDoEsquema(TDialect d);
