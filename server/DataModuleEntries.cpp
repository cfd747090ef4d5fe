// The entries through which tools and hosts without the screen create and
// free the data module.
#include "ServiceCall.h"
#include "Srv_qul00002.h"

#include <memory>

extern "C" int32_t QulCriaModuloDados(const char16_t *connectionString, QVariant *error)
{
    try {
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
        delete rdmCadProd;
        rdmCadProd = nullptr;
        return 0;
    } catch (...) {
        rdmCadProd = nullptr;
        return kServiceFailure;
    }
}
