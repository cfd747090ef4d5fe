#pragma once
// The store's numbers: prices, rates and tares are typed, shown and read in
// Brazilian Portuguese (decimal comma, thousands point) whatever LANG or
// LC_ALL say on the machine (Debian's minimal systems run with C.UTF-8).

#include <QLocale>

// Portuguese (Brazil), as an object of its own: the module never calls
// QLocale::setDefault, which would change its host's locale too.
const QLocale &localLoja();
