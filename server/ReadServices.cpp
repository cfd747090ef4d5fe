// The read services: taxes, units, the product list and the code clash check.
#include "ProductList.h"
#include "ProductPacket.h"
#include "ServiceCall.h"
#include "Srv_qul00002.h"
#include "StoreCheck.h"

extern "C" int32_t getImposto(QVariant *out)
{
    return readService(
        out,
        [] {
            TrdmCadProd &dm = dataModule();
            dm.adqImposto->Close();
            dm.adqImposto->Parameters.ParamByName(QStringLiteral("P_SGIMPOSTO")).Value = QStringLiteral("T");
            dm.adqImposto->Open();
            return fromDataPacket(dm.dspImposto->GetData());
        },
        [](const std::exception &e) { return exceptionMessage(e); });
}

extern "C" int32_t getUnidade(QVariant *out)
{
    return readService(
        out,
        [] {
            TrdmCadProd &dm = dataModule();
            dm.adqUnidade->Close();
            dm.adqUnidade->Open();
            return fromDataPacket(dm.dspUnidade->GetData());
        },
        [](const std::exception &e) { return exceptionMessage(e); });
}

extern "C" int32_t getProduto(const char16_t *code, QVariant *out)
{
    const QString codigo = argText(code);
    return readService(
        out, [&] { return fromDataPacket(readProductListByColumn(dataModule(), codigo)); },
        [](const std::exception &e) {
            // A store without the module's tables gets what it lacks and how to create it.
            const QString falta = explicacaoDaFalha(e);
            return !falta.isEmpty() ? falta : ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
        });
}

extern "C" int32_t getProdutoNaLista(const char16_t *code, const char16_t *reducedCode, QVariant *out)
{
    const QString dado = argText(code), reduzido = argText(reducedCode);
    return readService(
        out,
        [&] {
            TrdmCadProd &dm = dataModule();
            const auto resposta = [](const TDataPacket &linha, qint64 antes) {
                return QVariant(QVariantList{fromDataPacket(linha), antes});
            };
            QString codigo = dado;
            if (codigo.isEmpty()) {
                const QStringList achados = productsOfReducedCode(dm, reduzido);
                if (achados.size() != 1) {
                    TDataPacket vazio;
                    vazio.fields = productPacketFields();
                    return resposta(vazio, achados.isEmpty() ? -1 : -2);
                }
                codigo = achados.constFirst();
            }
            // The place first: a reduced code that is not a number fails
            // here as the list fails.
            const qint64 antes = productListPosition(dm, codigo);
            TDataPacket linha = readStoredProduct(dm, codigo);
            if (linha.rows.isEmpty())
                return resposta(linha, antes == -2 ? -2 : -1);
            if (antes < 0) {  // written between the two readings: no place to give
                linha.rows.clear();
                return resposta(linha, -2);
            }
            return resposta(linha, antes);
        },
        [](const std::exception &e) {
            return ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
        });
}

extern "C" int32_t getVd_Produto(const char16_t *code, const char16_t *barCode, const char16_t *reducedCode,
                                 QVariant *out)
{
    const QString codigo = argText(code), barras = argText(barCode), reduzido = argText(reducedCode);
    return readService(
        out,
        [&] {
            TrdmCadProd &dm = dataModule();
            TADOQuery *q = dm.adqVd_Produto;
            q->Close();
            q->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = codigo;
            q->Parameters.ParamByName(QStringLiteral("P_CDPRODINTE")).Value = reduzido;
            q->Parameters.ParamByName(QStringLiteral("P_CDBARPRODUTO")).Value = barras;
            q->Open();
            return fromDataPacket(dm.dspVd_Produto->GetData());
        },
        [](const std::exception &e) { return exceptionMessage(e); });
}
