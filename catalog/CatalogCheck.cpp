#include "CatalogCheck.h"

#include "FieldRules.h"
#include "ProductChecks.h"
#include "ProductPacket.h"
#include "TMessages.h"

#include <algorithm>
#include <optional>

static void iniciaRecursosTela()
{
    Q_INIT_RESOURCE(client);
}

QString textoCatalogo(const char *chave)
{
    static TMessages *const catalogo = [] {
        iniciaRecursosTela();
        auto *m = new TMessages(nullptr);
        m->loadFromFile(QStringLiteral(":/client/msgPadrao.txt"));
        return m;
    }();
    return catalogo->Msg(QLatin1String(chave));
}

namespace {

// The product packet's fields, in productPacketFields() order.
enum Campo {
    CDPRODUTO, CDARVPROD, CDBARPRODUTO, NMPRODUTO, SGUNIDADE, VRPREUNIT, IDPESAPROD, QTTARAPROD, CDPRODINTE,
    VRPRECITEM, CDIMPOSTO, CDPORIMPPROD, VRPEALIMPFIS, SGIMPOSTO, IDTPIMPOSFIS,
};

// The packet field an entry field stands for.
Campo campoDoNumero(int numero)
{
    switch (numero) {
    case 2: return CDPRODINTE;
    case 3: return NMPRODUTO;
    case 4: return SGUNIDADE;
    case 5: return VRPRECITEM;
    case 6: return CDIMPOSTO;
    case 7: return VRPEALIMPFIS;
    case 8: return CDBARPRODUTO;
    default: return QTTARAPROD;
    }
}

QString nomeCampo(Campo c)
{
    return productPacketFields().at(c).name;
}

QString descricaoAceitos(const TRegraCampo &r)
{
    switch (r.aceitos) {
    case TAceitos::Digitos: return QStringLiteral("só algarismos");
    case TAceitos::Nome: return QStringLiteral("letras sem acento, Ç, ç, algarismos, espaço, vírgula, ponto e barra");
    case TAceitos::Numero: return QStringLiteral("algarismos, vírgula e ponto");
    case TAceitos::Nada: break;
    }
    return QStringLiteral("nada digitado");
}

// A value of the file quoted in a refusal: at most `n` characters, control
// characters shown as "?" (the text goes to a terminal).
QString mostra(const QString &v, int n = 20)
{
    QString s = v.left(n);
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control || c.isSurrogate())
            c = QLatin1Char('?');
    return v.size() > n ? s + QStringLiteral("...") : s;
}

struct TRecusa {
    Campo campo;
    QString texto;
};

}  // namespace

struct TVerificadorCatalogo::TEstado {
    TEstado(const TLojaCatalogo &loja, std::optional<TCodigosCatalogo> &&alterados)
        : m_loja(loja), m_conhecidos(alterados.has_value())
    {
        if (alterados)
            m_alterados = std::move(*alterados);
    }

    // The row checked and, when it passes, its packet row.
    std::optional<TRecusa> verifica(const TLinhaCatalogo &l, QVariantList *linha);

    // Another product keeps `codigo` after the import: one in the store
    // that the file does not update, or an earlier row of the file.
    std::optional<QString> conflito(const QHash<QString, QStringList> &loja, TCodigosCatalogo &arquivo,
                                    const QString &codigo, const QString &produto, int linha, const char *chave);

    const TLojaCatalogo &m_loja;
    const bool m_conhecidos;
    TCodigosCatalogo m_alterados;  // the products the file updates: their present codes give way to the file's
    QStringList m_supostos;        // stored products taken as updated further on
    TCodigosCatalogo m_produtos, m_reduzidos, m_barras;
};

std::optional<QString> TVerificadorCatalogo::TEstado::conflito(const QHash<QString, QStringList> &loja,
                                                               TCodigosCatalogo &arquivo, const QString &codigo,
                                                               const QString &produto, int linha, const char *chave)
{
    for (const QString &outro : loja.value(codigo)) {
        if (outro == produto || m_alterados.contem(outro))
            continue;
        if (m_conhecidos)
            return textoCatalogo(chave);
        m_supostos.append(outro);  // unless the file updates it further on
    }
    if (const int antes = arquivo.linha(codigo))
        return textoCatalogo(chave) + QStringLiteral(" (também na linha %1 do arquivo)").arg(antes);
    arquivo.insere(codigo, linha);
    return std::nullopt;
}

std::optional<TRecusa> TVerificadorCatalogo::TEstado::verifica(const TLinhaCatalogo &l, QVariantList *linha)
{
    const QStringList &v = l.valores;
    if (!m_conhecidos)
        if (const QString c = v[CDPRODUTO].trimmed(); !c.isEmpty())
            m_alterados.insere(c, l.linha);
    // What the keyboard could not have typed; a stored text that an update
    // leaves as it is was not typed (Editar keeps it as it stands).
    const auto guardado = m_loja.produtos.constFind(v[CDPRODUTO].trimmed());
    for (const int numero : {2, 3, 8}) {
        const Campo c = campoDoNumero(numero);
        const TRegraCampo &r = *regraCampo(numero);
        if (guardado != m_loja.produtos.constEnd()
            && v[c] == (c == CDPRODINTE ? guardado->reduzido : c == NMPRODUTO ? guardado->nome : guardado->barras))
            continue;
        if (!textoDigitavel(numero, v[c]))
            return TRecusa{c, QStringLiteral("\"%1\" não é aceito: %2, no máximo %3 caracteres.")
                                  .arg(mostra(v[c], 60), descricaoAceitos(r))
                                  .arg(r.limite)};
    }
    const QString pesa = v[IDPESAPROD].trimmed().toUpper();
    if (!pesa.isEmpty() && pesa != QLatin1String("S") && pesa != QLatin1String("N"))
        return TRecusa{IDPESAPROD, QStringLiteral("\"%1\" não é aceito: S (pesado) ou N.").arg(mostra(v[IDPESAPROD]))};
    const bool pesado = pesa == QLatin1String("S");

    // The tax by its code, else by its abbreviation.
    QString cdImposto = v[CDIMPOSTO].trimmed();
    if (cdImposto.isEmpty())
        cdImposto = m_loja.impostoPorSigla.value(v[SGIMPOSTO].trimmed(), v[SGIMPOSTO].trimmed());
    const QString textoImposto = cdImposto.isEmpty() ? v[SGIMPOSTO] : cdImposto;

    // The confirm checks of the entry page.
    const TVerificacaoProduto t = verificaProduto(
        {v[CDPRODINTE], v[NMPRODUTO], v[SGUNIDADE], v[VRPRECITEM], textoImposto, v[VRPEALIMPFIS], v[QTTARAPROD],
         cdImposto, pesado},
        localCatalogo());
    if (!t.ok())
        return TRecusa{campoDoNumero(t.campo), textoCatalogo(t.chave)};

    // What the pickers offer: the store's units and taxes.
    const QString unidade = v[SGUNIDADE].trimmed();
    if (!m_loja.unidades.contains(unidade))
        return TRecusa{SGUNIDADE, QStringLiteral("Unidade \"%1\" não cadastrada.").arg(mostra(unidade))};
    const auto imposto = m_loja.impostos.constFind(cdImposto);
    if (imposto == m_loja.impostos.constEnd())
        return TRecusa{v[CDIMPOSTO].trimmed().isEmpty() ? SGIMPOSTO : CDIMPOSTO,
                       QStringLiteral("Imposto \"%1\" não cadastrado.").arg(mostra(textoImposto))};

    // Numbers the checks do not read are stored as they are: they must be numbers.
    double aliquota = t.aliquota, tara = t.tara;
    if (cdImposto != kImpostoDigitado && !v[VRPEALIMPFIS].trimmed().isEmpty()
        && !converteNumero(v[VRPEALIMPFIS], localCatalogo(), &aliquota))
        return TRecusa{VRPEALIMPFIS, textoCatalogo("VALOR_INV")};
    if (!pesado && !v[QTTARAPROD].trimmed().isEmpty() && !converteNumero(v[QTTARAPROD], localCatalogo(), &tara))
        return TRecusa{QTTARAPROD, textoCatalogo("VALOR_INV")};
    const QString porta = v[CDPORIMPPROD].trimmed();
    const int larguraPorta = productPacketFields().at(CDPORIMPPROD).size;
    if (porta.size() > larguraPorta || !isStorableText(porta))
        return TRecusa{CDPORIMPPROD,
                       QStringLiteral("\"%1\" não é aceito: no máximo %2 caracteres.").arg(mostra(porta)).arg(larguraPorta)};

    // The product it updates, and the codes no other product may keep.
    const QString produto = v[CDPRODUTO].trimmed();
    if (!produto.isEmpty()) {
        if (!m_loja.produtos.contains(produto))
            return TRecusa{CDPRODUTO, QStringLiteral("Produto de código \"%1\" não cadastrado.").arg(mostra(produto))};
        if (const int antes = m_produtos.linha(produto))
            return TRecusa{CDPRODUTO, QStringLiteral("Produto de código \"%1\" também na linha %2 do arquivo.")
                                          .arg(mostra(produto))
                                          .arg(antes)};
        m_produtos.insere(produto, l.linha);
    }
    if (const auto c = conflito(m_loja.porReduzido, m_reduzidos, v[CDPRODINTE], produto, l.linha, "CODRED_JCAD"))
        return TRecusa{CDPRODINTE, *c};
    if (!v[CDBARPRODUTO].isEmpty())
        if (const auto c = conflito(m_loja.porBarras, m_barras, v[CDBARPRODUTO], produto, l.linha, "CODBAR_JCAD"))
            return TRecusa{CDBARPRODUTO, *c};

    const QVariant codigo = produto.isEmpty() ? QVariant() : QVariant(produto);
    *linha = QVariantList{codigo,
                          codigo,
                          v[CDBARPRODUTO],
                          v[NMPRODUTO],
                          unidade,
                          QVariant(),
                          pesado ? QStringLiteral("S") : QStringLiteral("N"),
                          tara,
                          v[CDPRODINTE],
                          t.preco,
                          cdImposto,
                          porta,
                          aliquota,
                          imposto->sigla,
                          imposto->tipo};
    return std::nullopt;
}

TVerificadorCatalogo::TVerificadorCatalogo(const TLojaCatalogo &loja, std::optional<TCodigosCatalogo> alterados)
    : d(std::make_unique<TEstado>(loja, std::move(alterados)))
{
}

TVerificadorCatalogo::~TVerificadorCatalogo() = default;

QString TVerificadorCatalogo::verifica(const TLinhaCatalogo &l, QVariantList *linha)
{
    const auto recusa = d->verifica(l, linha);
    return recusa ? QStringLiteral("linha %1: %2: %3").arg(l.linha).arg(nomeCampo(recusa->campo), recusa->texto)
                  : QString();
}

bool TVerificadorCatalogo::refazer() const
{
    return !d->m_conhecidos && !d->m_alterados.contemTodos(d->m_supostos);
}

TCodigosCatalogo &TVerificadorCatalogo::alterados()
{
    return d->m_alterados;
}

bool TCodigosCatalogo::compacta(const QString &codigo, TChave *out)
{
    // At most 36 digits: below 10^36 < 2^120, with the length above.
    if (codigo.isEmpty() || codigo.size() > 36)
        return false;
    unsigned __int128 v = 0;
    for (const QChar c : codigo) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    v |= static_cast<unsigned __int128>(codigo.size()) << 122;
    out->alto = quint64(v >> 64);
    out->baixo = quint64(v);
    return true;
}

int TCodigosCatalogo::linha(const QString &codigo) const
{
    TChave k;
    return compacta(codigo, &k) ? m_compactos.value(k) : m_textos.value(codigo);
}

void TCodigosCatalogo::insere(const QString &codigo, int linha)
{
    TChave k;
    linha = std::max(linha, 1);
    if (!compacta(codigo, &k))
        m_textos.insert(codigo, m_textos.value(codigo, linha));
    else if (!m_compactos.contains(k))
        m_compactos.insert(k, linha);
}

bool TCodigosCatalogo::contemTodos(const QStringList &codigos) const
{
    for (const QString &c : codigos)
        if (!contem(c))
            return false;
    return true;
}
