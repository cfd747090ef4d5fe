// The write services: saving a product and deleting one, each in a unit of
// work of its own (the connection's single transaction).
#include "ProductChanges.h"
#include "ProductVersion.h"
#include "ProductWrite.h"
#include "ServiceCall.h"
#include "Srv_qul00002.h"

extern "C" int32_t setProduto(const QVariant *packet, const char16_t *operation, QVariant *out)
{
    const QString operacao = argText(operation);
    return writeService(out, [&](TUnidadeTrabalho &ut) {
        if (!packet)
            throw EDatabaseError(QStringLiteral("Nenhum pacote de produto recebido."));
        gravaProdutos(ut.dm(), toDataPacket(*packet), operacao == QLatin1String("I"), ut.gerador());
        ut.commit();
    });
}

extern "C" int32_t setAltProduto(const QVariant *packet, const QVariant *loaded, QVariant *out)
{
    return writeService(out, [&](TUnidadeTrabalho &ut) {
        if (!packet || !loaded || !isDataPacket(*loaded))
            throw EDatabaseError(QStringLiteral("Alteração sem o pacote do produto ou sem o produto como foi lido."));
        const TDataPacket novo = toDataPacket(*packet), lido = toDataPacket(*loaded);
        const int codigoNovo = novo.fieldIndex(QStringLiteral("CDPRODUTO"));
        const int codigoLido = lido.fieldIndex(QStringLiteral("CDPRODUTO"));
        for (int r = 0; r < novo.rows.size(); ++r)
            if (codigoNovo < 0 || codigoLido < 0 || r >= lido.rows.size()
                || novo.rows[r].value(codigoNovo).toString() != lido.rows[r].value(codigoLido).toString())
                throw EDatabaseError(QStringLiteral("A linha %1 da alteração não é a do produto lido. Nada foi gravado.").arg(r + 1));
        // The check and the save in the one unit, under the terminals' lock.
        ut.trava();
        if (const std::optional<TDataPacket> atual = produtosMudados(ut, lido)) {
            ut.desfaz();  // nothing was written
            *out = fromDataPacket(*atual);
            return;
        }
        gravaProdutos(ut.dm(), novo, false, ut.gerador());
        ut.commit();
    });
}

extern "C" int32_t setDelProduto(const char16_t *code, QVariant *out)
{
    const QString codigo = argText(code);
    return writeService(out, [&](TUnidadeTrabalho &ut) {
        TrdmCadProd &dm = ut.dm();
        QVariantList resposta{QVariant(), QVariant()};

        TADOQuery *venda = dm.adqVd_DelProd;
        venda->Close();
        setParam(venda, "P_CDPRODUTO", codigo);
        venda->Open();
        if (!venda->IsEmpty()) {
            resposta[0] = QStringLiteral("VENDA");
            ut.desfaz();  // nothing was written
            *out = resposta;
            return;
        }

        TADOQuery *conf = dm.adqVd_ProdConfTe;
        conf->Close();
        setParam(conf, "P_CDPRODUTO", codigo);
        conf->Open();
        if (!conf->IsEmpty()) {
            resposta[0] = QStringLiteral("CONFTE");
            resposta[1] = fromDataPacket(dm.dspVd_ProdConfTe->GetData());
            ut.desfaz();
            *out = resposta;
            return;
        }

        setParam(dm.acmDelItemPrec, "P_CDPRODUTO", codigo);
        setParam(dm.acmDelItemPrec, "P_CDPRPAITABPR", codigo);
        dm.acmDelItemPrec->Execute();
        setParam(dm.acmDelProdLoja, "P_CDPRODUTO", codigo);
        dm.acmDelProdLoja->Execute();
        setParam(dm.acmDelAliq, "P_CDPRODUTO", codigo);
        dm.acmDelAliq->Execute();
        setParam(dm.acmDelProd, "P_CDPRODUTO", codigo);
        dm.acmDelProd->Execute();
        avisaProdutosAlterados(dm);
        ut.commit();
        resposta[0] = QStringLiteral("OK");
        *out = resposta;
    });
}