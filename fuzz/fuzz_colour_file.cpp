// The colour file, read as the screen reads it: the packet loaded from the
// file into a client dataset, then INCOR1 to INCOR6 of its first row as
// numbers. Property: a bad file raises one of the runtime's own failures
// (never anything else); a file that loads is held unchanged, and saved and
// loaded again gives the same packet.

#include "DataSet.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray in = fuzzBytes(data, size);
    TClientDataSet cds;
    cds.setObjectName(QStringLiteral("cdsParametrosQul"));
    try {
        cds.LoadFromFile(fuzzScratchFile("cores", in));
    } catch (const EDatabaseError &) {
        return 0;
    } catch (...) {
        QUL_FUZZ_CHECK(false, "a bad colour file raises EDatabaseError");
    }
    QUL_FUZZ_CHECK(cds.Data().encode() == in, "the colour file is held unchanged");
    const QString copy = fuzzScratchFile("cores-copia", QByteArray());
    cds.SaveToFile(copy);
    TClientDataSet back;
    back.LoadFromFile(copy);
    QUL_FUZZ_CHECK(back.Data().encode() == in, "saved and loaded again, the same packet");

    try {
        cds.Open();
        cds.First();
        for (int i = 1; i <= 6; ++i)
            if (TField *f = cds.FindField(QStringLiteral("INCOR%1").arg(i)); f && !cds.IsEmpty())
                (void)f->AsInteger();
    } catch (const EConvertError &) {
        // a colour that is no whole number: the screen reports it
    } catch (...) {
        QUL_FUZZ_CHECK(false, "reading a colour raises EConvertError at most");
    }
    return 0;
}
