#pragma once
// The tables a statement's text reads and writes, and the columns it names
// in each: what the store must hold for the statement to run. Read from the
// statements' own texts, so that the statement catalogue stays the one
// list of what the module uses.
//
// Tables are the names after FROM (and its commas), JOIN, INTO, UPDATE and
// DELETE; a name a WITH clause gives is not a table. Columns are the words
// named as the store names columns (a kind prefix, CD, NM, DS, SG, VR, QT,
// ID, DT or NR, then letters): written `alias.COLUMN`, the column belongs
// to the alias's table (none for a derived table, whose own text names
// its columns); written alone, to the statement's one table or, in a
// statement over several, to one of them.

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

struct TUsoDoBanco {
    QMap<QString, QSet<QString>> colunas;             // table: the columns named as its own
    QMap<QStringList, QSet<QString>> colunasDeUmaDe;  // the tables of a statement: columns named alone in it

    // Adds what the statement text `sql` uses.
    void soma(const QString &sql);
    // Every table, in alphabetical order.
    QStringList tabelas() const { return colunas.keys(); }
};
