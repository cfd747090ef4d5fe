// The entries through which tools and hosts without the screen create and
// free the data module. Each runs only on the thread that may use the
// module (ServiceThread.h): another thread is refused, and the module left
// as it is.
#include "ServiceCall.h"
#include "Srv_qul00002.h"

#include <memory>

extern "C" int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error)
{
    try {
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty()) {
            if (error)
                *error = chamada.recusa();
            return kServiceFailure;
        }
        registerDataPacketType();
        if (rdmCadProd) {
            if (error)
                *error = QStringLiteral("O módulo de dados de produtos já está criado.");
            return kServiceFailure;
        }
        const QString cs = argText(connectionString);
        SetStringConexQul(cs);
        auto dm = std::make_unique<TrdmCadProd>(nullptr);
        dm->adcCadProd->Open();
        rdmCadProd = dm.release();
        return 0;
    } catch (const std::exception &e) {
        if (error)
            *error = exceptionMessage(e);
        return kServiceFailure;
    } catch (...) {
        if (error)
            *error = QStringLiteral("Falha desconhecida ao criar o módulo de dados.");
        return kServiceFailure;
    }
}

extern "C" int32_t QulAbreModuloDados(QVariant *error)
{
    try {
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty()) {
            if (error)
                *error = chamada.recusa();
            return kServiceFailure;
        }
        registerDataPacketType();
        std::unique_ptr<TrdmCadProd> novo;
        if (!rdmCadProd)
            novo = std::make_unique<TrdmCadProd>(nullptr);
        (novo ? novo.get() : rdmCadProd)->adcCadProd->Open();
        if (novo)
            rdmCadProd = novo.release();
        return 0;
    } catch (const std::exception &e) {
        if (error)
            *error = exceptionMessage(e);
        return kServiceFailure;
    } catch (...) {
        if (error)
            *error = QStringLiteral("Falha desconhecida ao criar o módulo de dados.");
        return kServiceFailure;
    }
}

extern "C" int32_t QulLiberaModuloDados(void)
{
    try {
        const TChamadaNaLinha chamada;
        if (!chamada.recusa().isEmpty())
            return kServiceFailure;
        try {
            delete rdmCadProd;
        } catch (...) {
            rdmCadProd = nullptr;
            return kServiceFailure;
        }
        rdmCadProd = nullptr;
        return 0;
    } catch (...) {
        return kServiceFailure;
    }
}
