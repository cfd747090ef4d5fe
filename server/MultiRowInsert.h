#pragma once
// Many rows of one catalogue INSERT sent as one statement: the command's
// VALUES list repeated, one copy per row, each with parameters of its own.
// For writes of many products at once (a catalogue import) on PostgreSQL,
// where every statement is a round trip; the screen's saves keep the
// catalogue's one-row statements.

#include "ADOQuery.h"

#include <QPointer>
#include <memory>

class TInsercaoMultipla {
public:
    explicit TInsercaoMultipla(TADOCommand *modelo) : m_modelo(modelo) {}
    // Whether the connection's engine takes it.
    static bool aceita(const TADOConnection *c);
    // The model's present parameter values become the next row.
    void acrescenta();
    // Inserts the rows held, in one statement, and forgets them.
    void executa();

private:
    TADOCommand *m_modelo;
    QList<QVariantList> m_linhas;  // values in the model's declaration order
};
