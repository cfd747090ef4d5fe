#pragma once
// A catalogue's rows checked as the entry page checks a confirmed product,
// against what the store holds and against each other, and turned into
// the products (ProductRecord.h) that insert and update them.

#include "CatalogCodes.h"
#include "CatalogFile.h"
#include "ProductRecord.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVarLengthArray>
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
    TCodigosCatalogo produtos;               // the stored products' CDPRODUTO
    // The stored texts of the typed fields of a product that has one the
    // keyboard could not have typed (another tool wrote it), by CDPRODUTO:
    // an update that leaves it as it is stores what the screen's Editar
    // would keep. A text that could be typed passes the checks as it is.
    struct TGuardado {
        QString reduzido, nome, barras;
    };
    QHash<QString, TGuardado> atipicos;
    TDonosCodigo porReduzido, porBarras;  // code: the products holding it

    void insereProduto(const QString &codigo, const QString &reduzido, const QString &nome, const QString &barras);
};

// The fields (their places in camposProduto()) whose stored values, of the
// product packet row `guardado`, writing `produto` over it would change:
// none, and the update is not written.
QList<int> camposAlterados(const TProduto &produto, const QVariantList &guardado);

// What an import may do beyond what the entry page would.
struct TOpcoesCatalogo {
    // A CDPRODUTO of digits that the store does not hold is a new product
    // under that code (another store's catalogue), not a refused row.
    bool inserirAusentes = false;
    // A name with letters the keyboard cannot type has its accents taken
    // off (Ç and ç kept), each change reported.
    bool ajustarNomes = false;
};

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
    explicit TVerificadorCatalogo(const TLojaCatalogo &loja, TOpcoesCatalogo opcoes = {},
                                  std::optional<TCodigosCatalogo> alterados = std::nullopt);
    ~TVerificadorCatalogo();

    // The row's refusal ("linha N: CAMPO: texto"); or an empty text, and
    // in `produto` what it writes (CDPRODUTO empty: a new product under a
    // generated code; one the store does not hold: a new product under
    // that code; no product at all: an update that changes nothing).
    // `guardado`: the stored row (TProdutosGuardados) of the product the
    // row updates, if it names a stored one. `ajustes`, when given, gets
    // what was adjusted in the row that passed, its name
    // ("linha N: NMPRODUTO: \"antes\" -> \"depois\"") and its tax code
    // ("linha N: CDIMPOSTO: \"3\" -> \"03\"").
    QString verifica(const TLinhaCatalogo &l, const QVariantList *guardado, std::optional<TProduto> *produto,
                     QStringList *ajustes = nullptr);

    // After the last row: whether a row passed by taking a code from a
    // stored product that the file turned out not to update; then the
    // reading must be done again, given alterados().
    bool refazer() const;
    TCodigosCatalogo &alterados();

private:
    struct TEstado;
    struct TLinha;
    std::unique_ptr<TEstado> d;
};
