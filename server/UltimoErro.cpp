#include "UltimoErro.h"

#include "Srv_qul00002.h"

namespace {

struct TUltimoErro {
    QString texto;
    bool informado = false;
};

TUltimoErro &doThread()
{
    thread_local TUltimoErro erro;
    return erro;
}

}  // namespace

void defineUltimoErro(const QString &texto, bool informado)
{
    doThread() = {texto, informado};
}

const QString &ultimoErro()
{
    return doThread().texto;
}

bool ultimoErroInformado()
{
    return doThread().informado;
}

void marcaUltimoErroInformado()
{
    doThread().informado = true;
}

extern "C" const char16_t *QulUltimoErro(void)
{
    return reinterpret_cast<const char16_t *>(doThread().texto.utf16());  // never null
}
