#pragma once
// getProduto's answer written as JSON while the list's statement hands
// its rows over, for a caller that takes the answer as a stream of bytes
// (the JSON entries, qulsvc): the whole list is never held, however large
// the store. The same answer, byte for byte, as getProduto's packet
// written by QulEscreveJson.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>

using TEscritaBytes = std::function<void(const char *bytes, qsizetype size)>;

// Runs as getProduto(code) runs (one thread, its failure texts): writes
// the packet's JSON through `escreve`, its first byte only once the list's
// statement has answered, and returns 0 with `out` unset; a failure before
// any byte gives getProduto's failure in `out` (status 0 with a text) or
// its failure status. A failure once bytes were written (the connection
// lost half-way) leaves the answer cut: the text is then in `out` and the
// status is a failure.
int32_t escreveListaDeProdutos(const QString &code, const TEscritaBytes &escreve, QVariant *out, bool *comecou);
