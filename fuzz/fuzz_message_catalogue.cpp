// The message catalogue file (lines "KEY|Text", UTF-8). Property: loading
// leaves no empty line and no line break inside a line; the lines saved
// again as an editor saves them (byte-order mark, CR LF) load to the same
// lines; a key finds the text of its first line.

#include "FuzzCheck.h"
#include "TMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    TMessages msg;
    QUL_FUZZ_CHECK(msg.loadFromFile(fuzzScratchFile("catalogo", fuzzBytes(data, size))), "a readable file loads");
    const QStringList lines = msg.messages();
    for (const QString &line : lines) {
        QUL_FUZZ_CHECK(!line.isEmpty(), "no empty line");
        QUL_FUZZ_CHECK(!line.contains(QLatin1Char('\n')), "no line break inside a line");
    }

    TMessages again;
    // The mark and an empty first line: a mark that begins the first line
    // stays part of it, as it was in the file.
    const QString saved = QChar(0xFEFF) + QLatin1String("\r\n") + lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
    again.loadFromFile(fuzzScratchFile("catalogo", saved.toUtf8()));
    QUL_FUZZ_CHECK(again.messages() == lines, "saved lines load to the same lines");

    for (qsizetype n = 0; n < lines.size(); ++n) {
        const qsizetype bar = lines[n].indexOf(QLatin1Char('|'));
        if (bar < 0)
            continue;
        const QString key = lines[n].left(bar);
        bool earlier = false;
        for (qsizetype m = 0; m < n && !earlier; ++m)
            earlier = lines[m].startsWith(key + QLatin1Char('|'));
        if (!earlier)
            QUL_FUZZ_CHECK(msg.Msg(key) == lines[n].mid(bar + 1), "a key finds the text of its first line");
    }
    return 0;
}
