// The spreadsheet readers, as the import opens a file: its format
// recognised from its bytes, then, of an .xlsx or .ods, its first sheet read
// row by row, twice. Property: a bad file raises Exception (never anything
// else, never a crash); rows come in increasing order within the sheet's
// limits, none wider than the limit set after the first; the second
// reading gives the same rows.

#include "CatalogSheet.h"
#include "FuzzCheck.h"

#include <QFile>

namespace {

// Rows read of one input at most, so that a row written once for a
// million keeps a run short.
constexpr int kLinhas = 5000;

QList<TLinhaPlanilha> le(TLeitorPlanilha &p)
{
    QList<TLinhaPlanilha> linhas;
    p.reinicia();
    TLinhaPlanilha l;
    while (linhas.size() < kLinhas && p.proxima(l)) {
        QUL_FUZZ_CHECK(l.linha >= 1 && l.linha <= TLeitorPlanilha::kMaxLinhas, "a row within the sheet");
        QUL_FUZZ_CHECK(linhas.isEmpty() || l.linha > linhas.constLast().linha, "rows in increasing order");
        QUL_FUZZ_CHECK(l.celulas.size() == l.textos.size(), "a kind for each cell");
        QUL_FUZZ_CHECK(!l.celulas.isEmpty() || !l.alem.isEmpty(), "a row given holds a value");
        if (linhas.isEmpty())
            p.limita(3);
        else
            QUL_FUZZ_CHECK(l.celulas.size() <= 3, "no cell past the limit");
        linhas.append(l);
    }
    return linhas;
}

bool iguais(const QList<TLinhaPlanilha> &a, const QList<TLinhaPlanilha> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].linha != b[i].linha || a[i].celulas != b[i].celulas || a[i].textos != b[i].textos || a[i].alem != b[i].alem)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QFile arquivo(fuzzScratchFile("planilha", fuzzBytes(data, size)));
    if (!arquivo.open(QIODevice::ReadOnly))
        std::abort();
    try {
        const TFormatoCatalogo f = reconheceFormato(arquivo, arquivo.fileName(), std::nullopt);
        if (f != TFormatoCatalogo::Xlsx && f != TFormatoCatalogo::Ods)
            return 0;
        const std::unique_ptr<TLeitorPlanilha> p = abrePlanilha(arquivo, f, arquivo.fileName());
        const QList<TLinhaPlanilha> primeira = le(*p);
        QUL_FUZZ_CHECK(iguais(le(*p), primeira), "read again, the same rows");
    } catch (const Exception &) {
        return 0;
    } catch (...) {
        QUL_FUZZ_CHECK(false, "a bad file raises Exception");
    }
    return 0;
}
