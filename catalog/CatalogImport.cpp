#include "CatalogImport.h"

#include "CatalogCheck.h"
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
        const QString codigo = r[0].toString();
        loja.produtos.insert(codigo, {r[1].toString(), r[3].toString(), r[2].toString()});
        loja.porReduzido[r[1].toString()].append(codigo);
        if (const QString barras = r[2].toString(); !barras.isEmpty())
            loja.porBarras[barras].append(codigo);
    });
    return loja;
}

// Rows [inicio, inicio + n) of a packet.
TDataPacket lote(const TDataPacket &p, qsizetype inicio, qsizetype n)
{
    TDataPacket l;
    l.fields = p.fields;
    l.rows = p.rows.mid(inicio, n);
    return l;
}

}  // namespace

TResumoImportacao importaCatalogo(TrdmCadProd &dm, const TArquivoCatalogo &arquivo, bool soVerifica,
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
        const TPlanoCatalogo plano = verificaCatalogo(arquivo.linhas, leLoja(dm));
        resumo.recusas = arquivo.recusas + plano.recusas;
        if (!resumo.recusas.isEmpty() || soVerifica) {
            dm.RollbackTrans();
            if (soVerifica && resumo.recusas.isEmpty()) {
                resumo.inseridos = int(plano.inclusoes.rows.size());
                resumo.alterados = int(plano.alteracoes.rows.size());
            }
        } else {
            const qint64 total = plano.alteracoes.rows.size() + plano.inclusoes.rows.size();
            qint64 feitas = 0;
            for (const bool insercao : {false, true}) {
                const TDataPacket &p = insercao ? plano.inclusoes : plano.alteracoes;
                for (qsizetype i = 0; i < p.rows.size(); i += kMaxLinhasInclusao) {
                    const TDataPacket l = lote(p, i, kMaxLinhasInclusao);
                    gravaProdutos(dm, l, insercao, *gerador, false);
                    feitas += l.rows.size();
                    if (progresso)
                        progresso(feitas, total);
                }
            }
            dm.CommitTrans();
            resumo.inseridos = int(plano.inclusoes.rows.size());
            resumo.alterados = int(plano.alteracoes.rows.size());
        }
    } catch (...) {
        rollBackFailedWrite(dm);
        throw;
    }
    gerador.reset();
    return resumo;
}
