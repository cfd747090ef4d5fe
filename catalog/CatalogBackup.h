#pragma once
// The stored rows of the products an import updates, kept in a file
// before it writes: CSV as the export writes it, so that importing the
// file (qulsvc import --format csv COPY) puts those products back as they
// were. Made from the stored rows the check reads anyway, batch by batch;
// new products have nothing to keep (to undo them, they are deleted).

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <memory>

class TArquivoCsv;

class TCopiaImportacao {
public:
    explicit TCopiaImportacao(const QString &caminho);
    ~TCopiaImportacao();

    // A reading of the file begun (again): what the one before kept dropped.
    void recomeca();
    // The product packet row of a stored product the import updates. The
    // file is made at the first one; an error is kept for conclui().
    void guarda(const QVariantList &guardado);
    // Before the import writes: the copy written whole. Raises, naming the
    // file, when it could not be written, so that nothing is.
    void conclui();

    const QString &caminho() const { return m_caminho; }
    qint64 produtos() const { return m_produtos; }

private:
    QString m_caminho;
    std::unique_ptr<TArquivoCsv> m_arquivo;
    QString m_erro;
    qint64 m_produtos = 0;
};

// Where the copy of an import of `arquivo` ("-": standard input) made at
// `quando` goes when none is named: beside the file (standard input: the
// current folder), "qul-antes-AAAAMMDD-HHMMSS.csv", with "-2", "-3", ...
// after it when a file has that name.
QString caminhoCopia(const QString &arquivo, const QDateTime &quando);
