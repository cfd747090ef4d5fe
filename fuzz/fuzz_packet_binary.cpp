// The binary packet decoder. Property: decoding is strict, so whatever
// decodes encodes back to the very same bytes; the JSON reader takes the
// JSON form of any packet the binary decoder takes; a client dataset holds
// the packet unchanged.

#include "DataSet.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray in = fuzzBytes(data, size);
    TDataPacket p;
    try {
        p = TDataPacket::decode(in);
    } catch (const EPacketError &) {
        return 0;
    }
    QUL_FUZZ_CHECK(p.encode() == in, "decode then encode gives the input back");

    try {
        const TDataPacket j = TDataPacket::fromJson(p.toJson());
        QUL_FUZZ_CHECK(j.rows.size() == p.rows.size() && j.fields.size() == p.fields.size(),
                       "the JSON form keeps every field and row");
    } catch (const EPacketError &) {
        QUL_FUZZ_CHECK(false, "the JSON reader takes what the binary decoder took");
    }

    TClientDataSet cds;
    cds.SetData(p);
    QUL_FUZZ_CHECK(cds.Data().encode() == in, "a client dataset holds the packet unchanged");
    return 0;
}
