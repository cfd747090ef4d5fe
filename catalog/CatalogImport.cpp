#include "CatalogImport.h"

#include "CatalogCheck.h"
#include "ProductPacket.h"
#include "ProductWrite.h"
#include "ServiceCall.h"
#include "TdtmQulProxCodigo.h"

#include <memory>

namespace {

TLojaCatalogo leLoja(TrdmCadProd &dm)
{
    TLojaCatalogo loja;
    TADOQuery *u = dm.adqUnidade;
    u->Close();
    u->Open();
    for (u->First(); !u->Eof(); u->Next())
        loja.unidades.insert(u->FieldByName(QStringLiteral("SGUNIDADE"))->AsString());
    u->Close();

    TADOQuery *i = dm.adqImposto;
    i->Close();
    i->Parameters.ParamByName(QStringLiteral("P_SGIMPOSTO")).Value = QStringLiteral("T");
    i->Open();
    for (i->First(); !i->Eof(); i->Next()) {
        const QString codigo = i->FieldByName(QStringLiteral("CDIMPOSTO"))->AsString();
        const QString sigla = i->FieldByName(QStringLiteral("SGIMPOSTO"))->AsString();
        loja.impostos.insert(codigo, {sigla, i->FieldByName(QStringLiteral("IDTPIMPOSFIS"))->AsString()});
        if (!loja.impostoPorSigla.contains(sigla))
            loja.impostoPorSigla.insert(sigla, codigo);
    }
    i->Close();

    TADOQuery p(nullptr);
    p.Connection = dm.adcCadProd;
    p.SQL() << QStringLiteral("SELECT CDPRODUTO, CDPRODINTE, CDBARPRODUTO, NMPRODUTO FROM PRODUTO");
    p.AddField(QStringLiteral("CDPRODUTO"), TFieldType::ftString, 10);
    p.AddField(QStringLiteral("CDPRODINTE"), TFieldType::ftString, 20);
    p.AddField(QStringLiteral("CDBARPRODUTO"), TFieldType::ftString, 30);
    p.AddField(QStringLiteral("NMPRODUTO"), TFieldType::ftString, 50);
    p.Stream([&loja](QVector<QVariant> &&r) {
        loja.insereProduto(r[0].toString(), r[1].toString(), r[3].toString(), r[2].toString());
    });
    return loja;
}

// One reading of the whole file: its refusals, and how many rows insert
// and how many update.
struct TLeitura {
    QStringList recusas;
    qint64 inclusoes = 0, alteracoes = 0;
};

TLeitura confere(TFonteCatalogo &fonte, TVerificadorCatalogo &verificador)
{
    TLeitura r;
    fonte.reinicia();
    TLinhaCatalogo l;
    QVariantList linha;
    while (fonte.proxima(l)) {
        const QString recusa = l.recusa.isEmpty() ? verificador.verifica(l, &linha) : l.recusa;
        if (!recusa.isEmpty())
            r.recusas.append(recusa);
        else
            ++(linha.first().isValid() ? r.alteracoes : r.inclusoes);
    }
    return r;
}

[[noreturn]] void arquivoMudou(int linha)
{
    throw Exception(QStringLiteral("o arquivo mudou durante a importação (linha %1). Nada foi gravado.").arg(linha));
}

}  // namespace

// Two readings, so that only the codes of the rows are held: the first
// checks every row (a refused one anywhere means nothing is written), the
// second writes them. Writing as the rows come and rolling back on a
// refusal would read once, but a row may take a code from a stored product
// that only a later row updates, and every refused import would cost the
// writes of its rows and hold the store's tables while it ran.
TResumoImportacao importaCatalogo(TrdmCadProd &dm, TFonteCatalogo &fonte, bool soVerifica,
                                  const TProgressoImportacao &progresso)
{
    TResumoImportacao resumo;
    // Outlives the transaction: its statements are freed only after the
    // commit or the rollback.
    std::unique_ptr<TdtmQulProxCodigo> gerador;
    try {
        dm.adcCadProd->ReconnectIfLost();
        dm.StartTrans();
        gerador = std::make_unique<TdtmQulProxCodigo>(nullptr);
        gerador->Trava();
        const TLojaCatalogo loja = leLoja(dm);
        auto verificador = std::make_unique<TVerificadorCatalogo>(loja);
        TLeitura leitura = confere(fonte, *verificador);
        if (verificador->refazer()) {
            // Knowing now every product the file updates.
            TCodigosCatalogo alterados = std::move(verificador->alterados());
            verificador = std::make_unique<TVerificadorCatalogo>(loja, std::move(alterados));
            leitura = confere(fonte, *verificador);
        }
        TCodigosCatalogo alterados = std::move(verificador->alterados());
        verificador.reset();
        resumo.recusas = leitura.recusas;
        if (!resumo.recusas.isEmpty() || soVerifica) {
            dm.RollbackTrans();
            if (soVerifica && resumo.recusas.isEmpty()) {
                resumo.inseridos = int(leitura.inclusoes);
                resumo.alterados = int(leitura.alteracoes);
            }
        } else {
            TVerificadorCatalogo escrita(loja, std::move(alterados));
            const qint64 total = leitura.inclusoes + leitura.alteracoes;
            qint64 feitas = 0;
            TDataPacket lotes[2];  // updates, inserts
            lotes[0].fields = lotes[1].fields = productPacketFields();
            const auto grava = [&](bool insercao) {
                TDataPacket &p = lotes[insercao];
                if (p.rows.isEmpty())
                    return;
                gravaProdutos(dm, p, insercao, *gerador, false);
                feitas += p.rows.size();
                p.rows.clear();
                if (progresso)
                    progresso(feitas, total);
            };
            fonte.reinicia();
            TLinhaCatalogo l;
            qint64 lidas = 0;
            while (fonte.proxima(l)) {
                QVariantList linha;
                if (!l.recusa.isEmpty() || !escrita.verifica(l, &linha).isEmpty() || ++lidas > total)
                    arquivoMudou(l.linha);
                const bool insercao = !linha.first().isValid();
                lotes[insercao].rows.append(std::move(linha));
                if (lotes[insercao].rows.size() >= kMaxLinhasInclusao)
                    grava(insercao);
            }
            if (lidas != total)
                arquivoMudou(l.linha);
            grava(false);
            grava(true);
            dm.CommitTrans();
            resumo.inseridos = int(leitura.inclusoes);
            resumo.alterados = int(leitura.alteracoes);
        }
    } catch (...) {
        rollBackFailedWrite(dm);
        throw;
    }
    gerador.reset();
    return resumo;
}
