#include "CatalogImport.h"

#include "CatalogBackup.h"
#include "CatalogPreview.h"
#include "CatalogStatistics.h"
#include "CatalogStored.h"
#include "ProductWrite.h"
#include "StoredDesign.h"
#include "TdtmQulProxCodigo.h"
#include "TrdmCadProd.h"
#include "UnidadeTrabalho.h"

#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>

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

    const std::unique_ptr<TADOQuery> p = catalogueQuery(QStringLiteral("adqProdutosDaLoja"));
    p->Connection = dm.adcCadProd;
    p->Stream([&loja](QVector<QVariant> &&r) {
        loja.insereProduto(r[0].toString(), r[1].toString(), r[3].toString(), r[2].toString());
    });
    return loja;
}

// The file's rows a batch at a time, each with the stored row of the
// product it updates: one statement per batch reads them, and only a
// batch's rows and stored rows are held.
class TLotesArquivo {
public:
    TLotesArquivo(TFonteCatalogo &fonte, const TLojaCatalogo &loja, TProdutosGuardados &guardados)
        : m_fonte(fonte), m_loja(loja), m_guardados(guardados)
    {
        m_linhas.resize(TProdutosGuardados::kMaxProdutos);
    }

    // Back before the first row.
    void reinicia()
    {
        m_fonte.reinicia();
        m_n = 0;
        m_lidas = 0;
        m_informado = 0;
    }

    // The readings from now on are of `etapa`: a check tells its progress
    // by the file's bytes, the writing by the file's rows, `linhas` of them.
    void passaA(TEtapaImportacao etapa, qint64 linhas = 0)
    {
        m_etapa = etapa;
        m_totalLinhas = linhas;
    }

    // The next batch; false after the last row.
    bool proximo()
    {
        informa(false);
        QStringList codigos;
        QSet<QString> vistos;
        m_n = 0;
        while (m_n < m_linhas.size() && m_fonte.proxima(m_linhas[m_n])) {
            const TLinhaCatalogo &l = m_linhas[m_n++];
            ultima = l.linha;
            const QString c = l.recusa.isEmpty() ? l.valores.first().trimmed() : QString();
            if (!c.isEmpty() && m_loja.produtos.contem(c) && !vistos.contains(c)) {
                vistos.insert(c);
                codigos.append(c);
            }
        }
        m_guardados.le(codigos);
        m_lidas += m_n;
        if (m_n == 0 && m_etapa != TEtapaImportacao::Gravacao)
            informa(true);
        return m_n > 0;
    }

    // Where the reading is, to `progresso`: the rows handed out before
    // this batch, or the bytes read; `fim`, the whole.
    void informa(bool fim)
    {
        if (!progresso)
            return;
        const bool porLinhas = m_etapa == TEtapaImportacao::Gravacao;
        const qint64 total = porLinhas ? m_totalLinhas : m_fonte.tamanho();
        const qint64 feitos = fim ? total : std::min(total, porLinhas ? m_lidas : m_fonte.lidos());
        m_informado = std::max(m_informado, feitos);
        progresso(m_etapa, m_informado, total);
    }

    qsizetype tamanho() const { return m_n; }
    const TLinhaCatalogo &linha(qsizetype i) const { return m_linhas.at(i); }
    const QVariantList *guardado(const TLinhaCatalogo &l) const
    {
        return l.recusa.isEmpty() ? m_guardados.linha(l.valores.first().trimmed()) : nullptr;
    }

    int ultima = 0;  // the line of the last row read
    TProgressoEtapa progresso;

private:
    TFonteCatalogo &m_fonte;
    const TLojaCatalogo &m_loja;
    TProdutosGuardados &m_guardados;
    QList<TLinhaCatalogo> m_linhas;
    qsizetype m_n = 0;
    TEtapaImportacao m_etapa = TEtapaImportacao::Verificacao;
    qint64 m_lidas = 0, m_totalLinhas = 0, m_informado = 0;
};

// What a row that passed writes, given its product.
enum TEscrita { Nada, Alteracao, Inclusao, InclusaoComCodigo };

TEscrita escrita(const std::optional<TProduto> &produto, const TLojaCatalogo &loja)
{
    if (!produto)
        return Nada;
    if (produto->cdProduto.isEmpty())
        return Inclusao;
    return loja.produtos.contem(produto->cdProduto) ? Alteracao : InclusaoComCodigo;
}

// One reading of the whole file: its refusals and adjusted names, and how
// many rows insert, how many update and how many would change nothing.
struct TLeitura {
    QStringList recusas, ajustes;
    qint64 inclusoes = 0, alteracoes = 0, inalteradas = 0;
    QString maiorCodigo;  // of the products inserted under the file's own codes
    qint64 linhas() const { return inclusoes + alteracoes + inalteradas; }
    // Counts a row that passed.
    void conta(TEscrita e, const std::optional<TProduto> &produto)
    {
        ++(e == Nada ? inalteradas : e == Alteracao ? alteracoes : inclusoes);
        if (e == InclusaoComCodigo && (maiorCodigo.isEmpty() || codigoMaior(produto->cdProduto, maiorCodigo)))
            maiorCodigo = produto->cdProduto;
    }
};

// What a check reading tells of the rows that change the store: the
// changes, and the stored rows of the products updated.
struct TRegistro {
    TPreviaImportacao &previa;
    TCopiaImportacao *copia;  // none: not kept

    void recomeca()
    {
        previa.recomeca();
        if (copia)
            copia->recomeca();
    }
    void conta(int linha, TEscrita e, const TProduto &produto, const QVariantList *guardado)
    {
        if (e == Alteracao) {
            previa.alteracao(linha, produto, *guardado, camposAlterados(produto, *guardado));
            if (copia)
                copia->guarda(*guardado);
        } else if (e != Nada) {
            previa.inclusao(linha, produto);
        }
    }
};

TLeitura confere(TLotesArquivo &lotes, TVerificadorCatalogo &verificador, const TLojaCatalogo &loja,
                 TEtapaImportacao etapa, TRegistro &registro)
{
    TLeitura r;
    lotes.passaA(etapa);
    lotes.reinicia();
    registro.recomeca();
    std::optional<TProduto> produto;
    QStringList ajustes;
    while (lotes.proximo()) {
        for (qsizetype i = 0; i < lotes.tamanho(); ++i) {
            const TLinhaCatalogo &l = lotes.linha(i);
            const QString recusa =
                l.recusa.isEmpty() ? verificador.verifica(l, lotes.guardado(l), &produto, &ajustes) : l.recusa;
            if (!recusa.isEmpty()) {
                r.recusas.append(recusa);
                continue;
            }
            const TEscrita e = escrita(produto, loja);
            r.conta(e, produto);
            r.ajustes += ajustes;
            if (e != Nada)
                registro.conta(l.linha, e, *produto, lotes.guardado(l));
        }
    }
    return r;
}

[[noreturn]] void arquivoMudou(int linha)
{
    throw Exception(QStringLiteral("o arquivo mudou durante a importação (linha %1). Nada foi gravado.").arg(linha));
}

// Every row checked; and again, knowing now every product the file
// updates, when a row passed by taking a code from a stored product that
// the file turned out not to update. `alterados` gets those products.
TLeitura confereTudo(TLotesArquivo &lotes, const TLojaCatalogo &loja, TOpcoesCatalogo opcoes,
                     TCodigosCatalogo *alterados, TRegistro &registro)
{
    auto verificador = std::make_unique<TVerificadorCatalogo>(loja, opcoes);
    TLeitura leitura = confere(lotes, *verificador, loja, TEtapaImportacao::Verificacao, registro);
    if (verificador->refazer()) {
        TCodigosCatalogo conhecidos = std::move(verificador->alterados());
        verificador = std::make_unique<TVerificadorCatalogo>(loja, opcoes, std::move(conhecidos));
        leitura = confere(lotes, *verificador, loja, TEtapaImportacao::NovaVerificacao, registro);
    }
    *alterados = std::move(verificador->alterados());
    return leitura;
}

// The products to write, gathered by what they write and written a
// batch at a time, each batch reported to `progresso`.
class TLotesGravacao {
public:
    TLotesGravacao(TrdmCadProd &dm, TdtmQulProxCodigo &gerador, qint64 total, const TProgressoImportacao &progresso)
        : m_dm(dm), m_gerador(gerador), m_total(total), m_progresso(progresso)
    {
    }

    void acrescenta(TEscrita e, TProduto &&produto)
    {
        m_lotes[e].append(std::move(produto));
        if (m_lotes[e].size() >= kMaxLinhasInclusao)
            grava(e);
    }

    // What is left, updates first.
    void gravaRestantes()
    {
        grava(Alteracao);
        grava(InclusaoComCodigo);
        grava(Inclusao);
    }

private:
    void grava(TEscrita e)
    {
        QList<TProduto> &lote = m_lotes[e];
        if (lote.isEmpty())
            return;
        gravaProdutos(m_dm, lote, e != Alteracao, m_gerador, false, e == InclusaoComCodigo);
        m_feitas += lote.size();
        lote.clear();
        if (m_progresso)
            m_progresso(m_feitas, m_total);
    }

    TrdmCadProd &m_dm;
    TdtmQulProxCodigo &m_gerador;
    const qint64 m_total;
    const TProgressoImportacao &m_progresso;
    qint64 m_feitas = 0;
    QList<TProduto> m_lotes[4];  // by TEscrita
};

// The second reading: the same rows as the check found (`leitura`), each
// as it found it, written.
void escreveArquivo(TLotesArquivo &lotesArquivo, TVerificadorCatalogo &verificador, const TLojaCatalogo &loja,
                    const TLeitura &leitura, TLotesGravacao &gravacao)
{
    TLeitura escritas;
    lotesArquivo.reinicia();
    while (lotesArquivo.proximo()) {
        for (qsizetype i = 0; i < lotesArquivo.tamanho(); ++i) {
            const TLinhaCatalogo &l = lotesArquivo.linha(i);
            std::optional<TProduto> produto;
            if (!l.recusa.isEmpty() || !verificador.verifica(l, lotesArquivo.guardado(l), &produto).isEmpty()
                || escritas.linhas() >= leitura.linhas())
                arquivoMudou(l.linha);
            const TEscrita e = escrita(produto, loja);
            escritas.conta(e, produto);
            if (e != Nada)  // else an update that changes nothing
                gravacao.acrescenta(e, std::move(*produto));
        }
    }
    if (escritas.inclusoes != leitura.inclusoes || escritas.alteracoes != leitura.alteracoes
        || escritas.inalteradas != leitura.inalteradas)
        arquivoMudou(lotesArquivo.ultima);
    gravacao.gravaRestantes();
}

}  // namespace

// Two readings, so that only the codes of the rows are held: the first
// checks every row (a refused one anywhere means nothing is written), the
// second writes them. Writing as the rows come and rolling back on a
// refusal would read once, but a row may take a code from a stored product
// that only a later row updates, and every refused import would cost the
// writes of its rows and hold the store's tables while it ran.
TResumoImportacao importaCatalogo(TrdmCadProd &dm, TFonteCatalogo &fonte, bool soVerifica,
                                  const TProgressoImportacao &progresso, TOpcoesCatalogo opcoes,
                                  const TAcompanhamento &acompanhamento)
{
    TResumoImportacao resumo;
    // A failure anywhere rolls back as the unit goes; a rollback that
    // fails leaves the transaction open, which the entry reports.
    TUnidadeTrabalho ut(dm, TUnidadeTrabalho::ComTrava);
    {  // the readings' statements freed before the unit ends
        const TLojaCatalogo loja = leLoja(dm);
        TProdutosGuardados guardados(dm);
        TLotesArquivo lotesArquivo(fonte, loja, guardados);
        lotesArquivo.progresso = acompanhamento.progresso;
        TPreviaImportacao previa(acompanhamento.previa);
        std::optional<TCopiaImportacao> copia;
        if (!soVerifica && !acompanhamento.copia.isEmpty())
            copia.emplace(acompanhamento.copia);
        TRegistro registro{previa, copia ? &*copia : nullptr};
        TCodigosCatalogo alterados;
        const TLeitura leitura = confereTudo(lotesArquivo, loja, opcoes, &alterados, registro);
        resumo.recusas = leitura.recusas;
        resumo.ajustes = leitura.ajustes;
        if (!resumo.recusas.isEmpty()) {
            ut.desfaz();
            return resumo;
        }
        previa.conclui();
        resumo.porCampo = previa.porCampo();
        resumo.novos = previa.novos();
        if (soVerifica) {
            ut.desfaz();
        } else {
            // Kept whole before the first write, or nothing is written.
            if (copia && copia->produtos() > 0) {
                copia->conclui();
                resumo.copia = copia->caminho();
            }
            TVerificadorCatalogo verificador(loja, opcoes, std::move(alterados));
            // The codes generated come after the file's own, whichever is written first.
            if (!leitura.maiorCodigo.isEmpty())
                ut.gerador().Reserva(leitura.maiorCodigo);
            TLotesGravacao gravacao(dm, ut.gerador(), leitura.inclusoes + leitura.alteracoes, progresso);
            lotesArquivo.passaA(TEtapaImportacao::Gravacao, leitura.linhas());
            escreveArquivo(lotesArquivo, verificador, loja, leitura, gravacao);
            if (acompanhamento.progresso)
                acompanhamento.progresso(TEtapaImportacao::Gravacao, leitura.linhas(), leitura.linhas());
            ut.commit();
            const QString aviso =
                atualizaEstatisticas(dm, leitura.inclusoes + leitura.alteracoes, loja.produtos.tamanho());
            if (!aviso.isEmpty())
                resumo.avisos.append(aviso);
        }
        resumo.inseridos = int(leitura.inclusoes);
        resumo.alterados = int(leitura.alteracoes);
        resumo.inalterados = int(leitura.inalteradas);
    }
    return resumo;
}
