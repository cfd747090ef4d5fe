#include "ProductChecks.h"

#include "Cp1252.h"
#include "FieldRules.h"
#include "QulShared.h"

#include <cmath>
#include <functional>

bool converteNumero(const QString &texto, const QLocale &local, double *valor)
{
    QLocale l = local;
    l.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = l.toDouble(texto, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *valor = v;
    return true;
}

bool campoExigido(int numero, const QString &cdImposto, bool pesado)
{
    switch (numero) {
    case 2: case 3: case 4: case 5: case 6: return true;
    case 7: return cdImposto == kImpostoDigitado;
    case 10: return pesado;
    default: return false;
    }
}

bool numeroDigitavel(int numero, double valor)
{
    // Written out in full, a number below zero keeps its sign and one that
    // is not finite is no number: the field takes neither.
    const TRegraCampo *r = regraCampo(numero);
    return r && r->aceitos == TAceitos::Numero
           && textoDigitavel(numero, QString::number(valor, 'f', QLocale::FloatingPointShortest));
}

TVerificacaoProduto verificaProduto(const TTextosProduto &t, const QLocale &local)
{
    TVerificacaoProduto r;
    const bool comAliquota = campoExigido(7, t.cdImposto, t.pesado);
    const auto vazio = [](const QString &s) { return EmptyString(s); };
    const auto invalido = [&local](const QString &s, double *v) { return !converteNumero(s, local, v); };

    struct TVerificacao {
        int campo;          // the field marked when the check fails
        const char *chave;  // the catalogue text shown
        std::function<bool()> falha;
    };
    const TVerificacao verificacoes[] = {
        {2, "CODRED_NAO", [&] { return vazio(t.codRed); }},
        {3, "NOMEPROD_NAO", [&] { return vazio(t.nome); }},
        {4, "UNIDADE_NCAD", [&] { return vazio(t.unidade); }},
        {5, "PRECOUNI_NAO", [&] { return vazio(t.preco); }},
        {5, "VALOR_INV", [&] { return invalido(t.preco, &r.preco); }},
        {6, "IMPOSTO_NCAD", [&] { return vazio(t.imposto); }},
        {7, "ALIQ_NAO", [&] { return comAliquota && vazio(t.aliquota); }},
        {7, "VALOR_INV", [&] { return comAliquota && invalido(t.aliquota, &r.aliquota); }},
        {10, "TARA_NAO", [&] { return campoExigido(10, t.cdImposto, t.pesado) && vazio(t.tara); }},
        {10, "VALOR_INV", [&] { return campoExigido(10, t.cdImposto, t.pesado) && invalido(t.tara, &r.tara); }},
    };
    for (const TVerificacao &v : verificacoes) {
        if (v.falha()) {
            r.campo = v.campo;
            r.chave = v.chave;
            return r;
        }
    }
    return r;
}

bool textoDigitavel(int numero, const QString &texto)
{
    QString digitado;
    for (const QChar c : texto) {
        bool ok = false;
        const char ch = unicodeToCp1252(c, &ok);
        if (!ok)
            return false;
        const bool maiuscula = c.unicode() >= 'A' && c.unicode() <= 'Z';
        const TDigitacao d = digitaCaractere(numero, digitado, ch, maiuscula, false);
        if (d.acao != TDigitacao::Anexado || d.anexo != c)
            return false;
        digitado.append(d.anexo);
    }
    return true;
}
