#pragma once
// New products' rows gathered per catalogue INSERT and sent as one
// statement per table: the statement the catalogue declares as the
// command's rows repeated ("rowsOf"), its VALUES group written once per
// row, each with parameters of its own. For writes of many products at once
// (a catalogue import) on PostgreSQL, where every statement is a round
// trip; the screen's saves keep the catalogue's one-row statements.

#include "ADOQuery.h"

#include <QHash>

class TInsercoesEmLote {
public:
    // The commands whose rows are gathered, in the order they are sent.
    // Raises when the catalogue declares no statement of several rows for
    // one of them.
    explicit TInsercoesEmLote(const QList<TADOCommand *> &comandos);
    // Whether the connection's engine takes it.
    static bool aceita(const TADOConnection *c);
    // Runs `c` now, or, when it is gathered (`lote` given), keeps the row
    // its present parameter values make.
    static void executa(TInsercoesEmLote *lote, TADOCommand *c);
    // Inserts the rows held, command by command, and forgets them.
    void envia();

private:
    QList<TADOCommand *> m_comandos;
    QHash<TADOCommand *, QList<QVariantList>> m_linhas;  // values in the model's declaration order
};
