#pragma once
// What an import would change, as its check finds it, row by row: each
// field an update changes counted, and, when a report is asked for, every
// change written there (CSV for a spreadsheet) before anything is written
// to the store, so that a manager sees a price a spreadsheet rounded or a
// name it cut before importing.

#include "ProductRecord.h"

#include <QStringList>
#include <QVariantList>
#include <memory>

class TArquivoCsv;

class TPreviaImportacao {
public:
    // The new products described by novos().
    static constexpr int kMaxNovos = 100;

    // `relatorio` empty: the changes are counted only.
    explicit TPreviaImportacao(const QString &relatorio);
    ~TPreviaImportacao();

    // A reading of the file begun (again): what the one before found forgotten.
    void recomeca();
    // A row at `linha` whose `produto` updates the stored product
    // `guardado` (its product packet row), changing `campos` (their places
    // in camposProduto(): camposAlterados()).
    void alteracao(int linha, const TProduto &produto, const QVariantList &guardado, const QList<int> &campos);
    // A row at `linha` whose `produto` is a new one.
    void inclusao(int linha, const TProduto &produto);
    // The report written whole; raises on a file error.
    void conclui();

    // "CAMPO: N", the products each changed field changes, most first.
    QStringList porCampo() const;
    // The first kMaxNovos new products: "linha N: CDPRODINTE \"X\", NOME".
    const QStringList &novos() const { return m_novos; }

private:
    // One line, of a changed field or of a new product's.
    void escreve(int linha, const QString &produto, const QString &nome, int campo, const QString &guardado,
                 const QString &novo, bool novoProduto);

    QString m_caminho;
    std::unique_ptr<TArquivoCsv> m_arquivo;
    QList<qint64> m_contagem;  // by field
    QStringList m_novos;
};
