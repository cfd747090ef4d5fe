#pragma once
// After an import that wrote many rows, the engine's statistics of the
// product tables taken again, so that the next reading of the store (the
// next import's check, the list) is planned on what the tables now hold:
// PostgreSQL plans a 200,000-row store still as the empty one it was until
// its statistics catch up, and an import's check then takes several times
// as long.

#include <QString>

class TrdmCadProd;

// Rows written from which the statistics are taken again whatever the
// store's size; below it, when they are a tenth of the products the store
// held before.
constexpr qint64 kLinhasEstatisticas = 10000;

// Whether `gravadas` rows written into a store of `antes` products call
// for new statistics.
bool pedeEstatisticas(qint64 gravadas, qint64 antes);

// On PostgreSQL, after the import's commit (outside its transaction),
// when pedeEstatisticas(): ANALYZE of the four product tables. Returns
// empty, or the warning of one that failed: the import stays written.
QString atualizaEstatisticas(TrdmCadProd &dm, qint64 gravadas, qint64 antes);
