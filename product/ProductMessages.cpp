#include "ProductMessages.h"

#include "TMessages.h"

// The catalogue lives in this library's resources (a static library's
// resources are registered by hand).
static void iniciaRecursosProduto()
{
    Q_INIT_RESOURCE(product);
}

QStringList linhasMensagensPadrao()
{
    iniciaRecursosProduto();
    TMessages m;
    if (!m.loadFromFile(QStringLiteral(":/product/msgPadrao.txt")))
        return {};
    return m.messages();
}

QString textoCatalogo(const char *chave)
{
    static const TMessages *const catalogo = [] {
        auto *m = new TMessages(nullptr);
        m->setMessages(linhasMensagensPadrao());
        return m;
    }();
    return catalogo->Msg(QLatin1String(chave));
}
