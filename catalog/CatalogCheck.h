#pragma once
// A catalogue's rows checked as the entry page checks a confirmed product,
// against what the store holds and against each other, and turned into
// the packet rows that insert and update them.

#include "CatalogFile.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

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

// Codes with the line each was first seen on, kept small, since a file
// may hold a million rows: a code of ASCII digits (as codes are) packs
// into 16 bytes with its length, so "01" and "1" stay apart; any other
// text is kept as it is.
class TCodigosCatalogo {
public:
    int linha(const QString &codigo) const;  // 0 when absent
    bool contem(const QString &codigo) const { return linha(codigo) != 0; }
    void insere(const QString &codigo, int linha);  // a code already there keeps its line
    bool contemTodos(const QStringList &codigos) const;

private:
    struct TChave {
        quint64 alto = 0, baixo = 0;
        bool operator==(const TChave &) const = default;
        friend size_t qHash(const TChave &k, size_t seed = 0) { return qHashMulti(seed, k.alto, k.baixo); }
    };
    static bool compacta(const QString &codigo, TChave *out);
    QHash<TChave, int> m_compactos;
    QHash<QString, int> m_textos;
};

// The catalogue texts by key (the screen's message catalogue).
QString textoCatalogo(const char *chave);

// The rows of one reading of a file, checked in file order against the
// store and against the rows before them. What is kept per row is its
// codes (product, reduced, bar code) with its line.
//
// A product the file updates gives up its codes to the file's rows. When
// `alterados` (the products the whole file updates) is given, that is
// known from the first row on; without it, the products are learnt as the
// rows come, and a code a stored product holds is taken as given up until
// the last row tells whether the file updates that product: refazer().
class TVerificadorCatalogo {
public:
    explicit TVerificadorCatalogo(const TLojaCatalogo &loja, std::optional<TCodigosCatalogo> alterados = std::nullopt);
    ~TVerificadorCatalogo();

    // The row's refusal ("linha N: CAMPO: texto"); or an empty text, and
    // in `linha` its product packet row (CDPRODUTO null: a new product).
    QString verifica(const TLinhaCatalogo &l, QVariantList *linha);

    // After the last row: whether a row passed by taking a code from a
    // stored product that the file turned out not to update; then the
    // reading must be done again, given alterados().
    bool refazer() const;
    TCodigosCatalogo &alterados();

private:
    struct TEstado;
    std::unique_ptr<TEstado> d;
};
