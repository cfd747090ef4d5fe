#pragma once
// A catalogue written into the store all or nothing: one transaction, the
// terminals' lock, the store's codes read once, every row of the file
// checked, then the file read again and its rows written through the save
// in batches as they come.

#include "CatalogCheck.h"

#include <functional>

class TrdmCadProd;

struct TResumoImportacao {
    int inseridos = 0, alterados = 0;
    int inalterados = 0;  // updates whose values were the stored ones: not written
    QStringList recusas;  // "linha N: CAMPO: texto"; any of them and nothing was written
    QStringList ajustes;  // names adjusted (TOpcoesCatalogo::ajustarNomes), tax codes given their zeros back
    QStringList porCampo; // "CAMPO: N": how many products the updates change each field of, most first
    QStringList novos;    // the first new products (TPreviaImportacao::novos)
    QString copia;        // the copy written of the products updated (TAcompanhamento::copia); empty: none
    QStringList avisos;   // of what failed after the rows were kept (the statistics' refresh)
};

// Rows written so far, of how many.
using TProgressoImportacao = std::function<void(qint64 feitas, qint64 total)>;

// An import's stages, as its progress tells them.
enum class TEtapaImportacao { Verificacao = 1, NovaVerificacao = 2, Gravacao = 3 };
// How far a stage is, of how far it goes, never going back: a check (the
// rows checked again, when a row took a code from a product the file
// turned out not to update) by the file's bytes (TFonteCatalogo::lidos),
// the writing by the file's rows. Each stage ends with `feitos` == `total`.
using TProgressoEtapa = std::function<void(TEtapaImportacao etapa, qint64 feitos, qint64 total)>;

// What an import does beside checking and writing.
struct TAcompanhamento {
    // Where the changes the check found are written (TPreviaImportacao),
    // unless a row is refused; empty: nowhere.
    QString previa;
    // Where the stored rows of the products updated are kept before
    // anything is written (TCopiaImportacao); empty, or a check: not kept.
    QString copia;
    TProgressoEtapa progresso;
};

// Imports the rows (or, when `soVerifica`, only checks them, writing
// nothing). Raises on a database error, or a file that cannot be read
// whole, after rolling back.
TResumoImportacao importaCatalogo(TrdmCadProd &dm, TFonteCatalogo &fonte, bool soVerifica,
                                  const TProgressoImportacao &progresso, TOpcoesCatalogo opcoes = {},
                                  const TAcompanhamento &acompanhamento = {});
