// The entries through which tools and hosts without the screen create and
// free the data module. Each runs only on the thread that may use the
// module (ServiceThread.h): another thread is refused, and the module left
// as it is. Each leaves why it failed as the thread's last error
// (UltimoErro.h), emptied when it succeeds.
#include "ServiceCall.h"
#include "Srv_qul00002.h"
#include "UltimoErro.h"

#include <memory>

namespace {

// Runs `abre` on the module's own thread; a refusal or a failure goes to
// `error` and to the last error as a readable text.
template <typename Abre>
int32_t entradaDoModulo(QVariant *error, Abre abre)
{
    const auto falha = [error](const QString &texto) {
        defineUltimoErro(texto);
        if (error)
            *error = texto;
        return kServiceFailure;
    };
    try {
        defineUltimoErro(QString());
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty())
            return falha(chamada.recusa());
        registerDataPacketType();
        return abre(falha);
    } catch (const std::exception &e) {
        return falha(exceptionMessage(e));
    } catch (...) {
        return falha(QStringLiteral("Falha desconhecida ao criar o módulo de dados."));
    }
}

} // namespace

extern "C" int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error)
{
    return entradaDoModulo(error, [connectionString](const auto &falha) {
        if (rdmCadProd)
            return falha(QStringLiteral("O módulo de dados de produtos já está criado."));
        SetStringConexQul(argText(connectionString));
        auto dm = std::make_unique<TrdmCadProd>(nullptr);
        dm->adcCadProd->Open();
        rdmCadProd = dm.release();
        return 0;
    });
}

extern "C" int32_t QulAbreModuloDados(QVariant *error)
{
    return entradaDoModulo(error, [](const auto &) {
        std::unique_ptr<TrdmCadProd> novo;
        if (!rdmCadProd)
            novo = std::make_unique<TrdmCadProd>(nullptr);
        (novo ? novo.get() : rdmCadProd)->adcCadProd->Open();
        if (novo)
            rdmCadProd = novo.release();
        return 0;
    });
}

extern "C" int32_t QulLiberaModuloDados(void)
{
    try {
        defineUltimoErro(QString());
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty()) {
            defineUltimoErro(chamada.recusa());
            return kServiceFailure;
        }
        try {
            delete rdmCadProd;
        } catch (...) {
            rdmCadProd = nullptr;
            defineUltimoErro(QStringLiteral("O módulo de dados de produtos foi liberado com uma falha ao fechar a conexão."));
            return kServiceFailure;
        }
        rdmCadProd = nullptr;
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}
