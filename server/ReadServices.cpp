// The read services: taxes, units, the product list and the code clash check.
#include "ServiceCall.h"
#include "Srv_qul00002.h"

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
        out,
        [&] {
            TrdmCadProd &dm = dataModule();
            TADOQuery *prod = dm.adqProduto;
            prod->Close();
            prod->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = codigo;
            prod->Open();
            TClientDataSet *cds = dm.cdsProdutoServ;
            cds->EmptyDataSet();
            TField *pCod = prod->FieldByName(QStringLiteral("CDPRODUTO"));
            TField *pArv = prod->FieldByName(QStringLiteral("CDARVPROD"));
            TField *pBar = prod->FieldByName(QStringLiteral("CDBARPRODUTO"));
            TField *pNome = prod->FieldByName(QStringLiteral("NMPRODUTO"));
            TField *pUni = prod->FieldByName(QStringLiteral("SGUNIDADE"));
            TField *pPesa = prod->FieldByName(QStringLiteral("IDPESAPROD"));
            TField *pTara = prod->FieldByName(QStringLiteral("QTTARAPROD"));
            TField *pRed = prod->FieldByName(QStringLiteral("CDPRODINTE"));
            TParameter &precoCod = dm.adqItemPreco->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            TParameter &aliqCod = dm.adqAliqImpFis->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            TParameter &lojaCod = dm.adqProdLoja->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO"));
            // Declared fields outlive Close/Open: look them up once.
            const auto f = [](TDataSet *ds, const char *n) { return ds->FieldByName(QLatin1String(n)); };
            TField *preco = f(dm.adqItemPreco, "VRPRECITEM");
            TADOQuery *al = dm.adqAliqImpFis;
            TField *alImposto = f(al, "CDIMPOSTO"), *alSigla = f(al, "SGIMPOSTO"), *alAliq = f(al, "VRPEALIMPFIS"),
                   *alTipo = f(al, "IDTPIMPOSFIS");
            TField *porta = f(dm.adqProdLoja, "CDPORIMPPROD");
            TField *sCod = f(cds, "CDPRODUTO"), *sArv = f(cds, "CDARVPROD"), *sBar = f(cds, "CDBARPRODUTO"),
                   *sNome = f(cds, "NMPRODUTO"), *sUni = f(cds, "SGUNIDADE"), *sPesa = f(cds, "IDPESAPROD"),
                   *sTara = f(cds, "QTTARAPROD"), *sRed = f(cds, "CDPRODINTE"), *sPreco = f(cds, "VRPRECITEM"),
                   *sImposto = f(cds, "CDIMPOSTO"), *sSigla = f(cds, "SGIMPOSTO"), *sAliq = f(cds, "VRPEALIMPFIS"),
                   *sTipo = f(cds, "IDTPIMPOSFIS"), *sPorta = f(cds, "CDPORIMPPROD");
            if (!prod->IsEmpty()) {
                prod->First();
                while (!prod->Eof()) {
                    const QString cdProduto = pCod->AsString();
                    dm.adqItemPreco->Close();
                    precoCod.Value = cdProduto;
                    dm.adqItemPreco->Open();
                    al->Close();
                    aliqCod.Value = cdProduto;
                    al->Open();
                    dm.adqProdLoja->Close();
                    lojaCod.Value = cdProduto;
                    dm.adqProdLoja->Open();

                    // A sub-query without rows, or a null column, gives an
                    // empty text or 0; texts are cut to the field's width.
                    cds->Insert();
                    sCod->SetAsString(cdProduto);
                    sArv->SetAsString(pArv->AsString());
                    sBar->SetAsString(pBar->AsString());
                    sNome->SetAsString(pNome->AsString());
                    sUni->SetAsString(pUni->AsString());
                    sPesa->SetAsString(pPesa->AsString());
                    sTara->SetAsFloat(pTara->AsFloat());
                    sRed->SetAsString(pRed->AsString());
                    sPreco->SetAsFloat(preco->AsFloat());
                    sImposto->SetAsString(alImposto->AsString());
                    sSigla->SetAsString(alSigla->AsString());
                    sAliq->SetAsFloat(alAliq->AsFloat());
                    sTipo->SetAsString(alTipo->AsString());
                    sPorta->SetAsString(porta->AsString());
                    cds->Post();
                    prod->Next();
                }
            }
            return fromDataPacket(cds->Data());
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
