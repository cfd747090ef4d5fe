#include "StoreLocale.h"

const QLocale &localLoja()
{
    static const QLocale local(QLocale::Portuguese, QLocale::Brazil);
    return local;
}
