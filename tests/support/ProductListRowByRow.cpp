#include "ProductListRowByRow.h"

#include "TrdmCadProd.h"

TDataPacket readProductListRowByRow(TrdmCadProd &dm, const QString &code)
{
    TADOQuery *prod = dm.adqProduto;
    prod->Close();
    prod->Parameters.ParamByName(QStringLiteral("P_CDPRODUTO")).Value = code;
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
    return cds->Data();
}
