#pragma once
// A catalogue's rows checked as the entry page checks a confirmed product,
// against what the store holds and against each other, and turned into
// the packets that insert and update them.

#include "CatalogFile.h"
#include "DataPacket.h"

#include <QHash>
#include <QSet>
#include <QStringList>

// What the checks need to know of the store, read once under the
// terminals' lock.
struct TLojaCatalogo {
    struct TImposto {
        QString sigla, tipo;
    };
    QSet<QString> unidades;
    QHash<QString, TImposto> impostos;      // by CDIMPOSTO
    QHash<QString, QString> impostoPorSigla;  // SGIMPOSTO: its CDIMPOSTO
    // The stored texts of the typed fields by CDPRODUTO: an update that
    // leaves one as it is stores what the screen's Editar would keep.
    struct TGuardado {
        QString reduzido, nome, barras;
    };
    QHash<QString, TGuardado> produtos;
    QHash<QString, QStringList> porReduzido, porBarras;  // code: the products holding it
};

struct TPlanoCatalogo {
    TDataPacket inclusoes, alteracoes;  // product packets, rows in file order
    QStringList recusas;                // "linha N: CAMPO: texto", in file order
};

// The catalogue texts by key (the screen's message catalogue).
QString textoCatalogo(const char *chave);

// Every row checked; a row that passes goes into one of the two packets.
// A row with CDPRODUTO updates that product, one without is a new product.
TPlanoCatalogo verificaCatalogo(const QList<TLinhaCatalogo> &linhas, const TLojaCatalogo &loja);
