#pragma once
// A spreadsheet's first sheet (.xlsx or .ods) read a row at a time: the
// zip entry read as a stream and its XML as it comes, so that only the
// row being read is held (and, of an .xlsx, its table of shared texts).
// A cell gives its text as the CSV path would: a text cell its text, a
// number the fewest digits that read back as the same number, with a
// decimal comma (textoNumero).

#include "CatalogFormat.h"
#include "Exceptions.h"

#include <QList>
#include <QStringList>
#include <memory>

// A sheet that cannot be read (a damaged zip entry or XML, a row past the
// last a spreadsheet holds, ...): its message names the file.
class EPlanilha : public Exception {
public:
    using Exception::Exception;
};

struct TLinhaPlanilha {
    int linha = 0;          // the sheet's row number, from 1
    QStringList celulas;    // by column from A, up to the last one holding a value (at most the limit)
    QList<bool> textos;     // of each cell: a text cell (a number, a truth value, ... is not)
    QString alem;           // the first cell holding a value past the limit ("L7"), else empty
};

class TLeitorPlanilha {
public:
    // The most rows and columns a spreadsheet has (Excel's and Calc's).
    static constexpr int kMaxLinhas = 1048576;
    static constexpr int kMaxColunas = 16384;

    virtual ~TLeitorPlanilha() = default;
    // Back before the first row, without a limit (kMaxColunas).
    virtual void reinicia() = 0;
    // The next row holding a value, its cells up to the limit; false after the last.
    virtual bool proxima(TLinhaPlanilha &l) = 0;
    // Cells past the first `colunas` columns are only told of (TLinhaPlanilha::alem).
    void limita(int colunas) { m_limite = colunas; }

protected:
    int m_limite = kMaxColunas;
};

// The first sheet of the workbook in `arquivo` (open, seekable; read
// through its own zip reader), `formato` Xlsx or Ods, `nome` the file's
// name for messages. Raises EPlanilha when it cannot be opened.
std::unique_ptr<TLeitorPlanilha> abrePlanilha(QIODevice &arquivo, TFormatoCatalogo formato, const QString &nome);

// "A", ..., "Z", "AA", ... for columns 0, 1, ...
QString nomeColuna(int coluna);
