#pragma once
// The product message catalogue (msgPadrao.txt, lines "KEY|Text"), kept in
// this library's resources so that code without widgets reads the same
// texts the screen shows.

#include "QulCoreExport.h"
#include <QString>
#include <QStringList>

// The catalogue's lines, as TMessages takes them; empty when the resource
// cannot be read.
QUL_CORE_EXPORT QStringList linhasMensagensPadrao();

// The catalogue's text for `chave` (read once); empty when it has none.
QString textoCatalogo(const char *chave);
