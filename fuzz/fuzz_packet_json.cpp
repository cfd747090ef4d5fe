// The JSON packet reader. Property: the two forms agree, so a packet the
// JSON reader takes goes through the binary form unchanged; and its JSON
// form, as an object and as text, reads back to the same packet.

#include "DataPacket.h"
#include "FuzzCheck.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QJsonDocument doc = QJsonDocument::fromJson(fuzzBytes(data, size));
    if (!doc.isObject())
        return 0;
    TDataPacket p;
    try {
        p = TDataPacket::fromJson(doc.object());
    } catch (const EPacketError &) {
        return 0;
    }
    const QByteArray bin = p.encode();
    try {
        QUL_FUZZ_CHECK(TDataPacket::decode(bin).encode() == bin, "binary round trip of a JSON packet");
        QUL_FUZZ_CHECK(TDataPacket::fromJson(p.toJson()).encode() == bin, "JSON object round trip");
        const QJsonDocument text = QJsonDocument::fromJson(QJsonDocument(p.toJson()).toJson());
        QUL_FUZZ_CHECK(TDataPacket::fromJson(text.object()).encode() == bin, "JSON text round trip");
    } catch (const EPacketError &) {
        QUL_FUZZ_CHECK(false, "a packet the JSON reader took is refused in another form");
    }
    return 0;
}
