#include "FieldRules.h"

#include "Cp1252.h"

#include <algorithm>

namespace {

// Field 8 takes as many digits as the bar-code column holds (30): EAN-13 and
// longer codes must reach the database whole.
const TRegraCampo kRegras[10] = {
    {1, "edtCodigo", TAceitos::Digitos, 10, false, true},
    {2, "edtCodRed", TAceitos::Digitos, 10, false, true},
    {3, "edtNomeProd", TAceitos::Nome, 50, true, true},
    {4, "edtUnidade", TAceitos::Nada, 0, false, false},
    {5, "edtPrecoUnit", TAceitos::Numero, 10, true, true},
    {6, "edtImposto", TAceitos::Nada, 0, false, false},
    {7, "edtAliq", TAceitos::Numero, 10, false, true},
    {8, "edtCodBarra", TAceitos::Digitos, 30, false, true},
    {9, "edtPortaImp", TAceitos::Nada, 0, false, false},
    {10, "edtTara", TAceitos::Numero, 10, false, true},
};

bool aceita(TAceitos aceitos, unsigned char c)
{
    const bool digito = c >= '0' && c <= '9';
    switch (aceitos) {
    case TAceitos::Nada: return false;
    case TAceitos::Digitos: return digito;
    case TAceitos::Numero: return digito || c == ',' || c == '.';
    case TAceitos::Nome:
        return digito || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || c == ',' || c == '.'
               || c == '/' || c == 199 || c == 231;  // Ç, ç
    }
    return false;
}

// The name takes a letter with an accent as the letter alone; every other
// character as it comes (and then the field's own test refuses it or not).
unsigned char semAcento(TAceitos aceitos, unsigned char c)
{
    if (aceitos != TAceitos::Nome || aceita(aceitos, c))
        return c;
    const QString letra = semAcentos(QString(cp1252ToUnicode(char(c))));
    bool ok = false;
    const char sem = letra.size() == 1 ? unicodeToCp1252(letra.at(0), &ok) : 0;
    return ok ? static_cast<unsigned char>(sem) : c;
}

}  // namespace

QString semAcentos(const QString &texto)
{
    QString r;
    r.reserve(texto.size());
    for (const QChar c : texto) {
        if (c == u'ç' || c == u'Ç' || c.decompositionTag() != QChar::Canonical) {
            r.append(c);
            continue;
        }
        for (const QChar d : QString(c).normalized(QString::NormalizationForm_D))
            if (d.category() != QChar::Mark_NonSpacing)
                r.append(d);
    }
    return r;
}

const TRegraCampo *regraCampo(int numero)
{
    return numero >= 1 && numero <= 10 ? &kRegras[numero - 1] : nullptr;
}

QChar aplicaCaso(QChar c, bool maiuscula)
{
    const char16_t u = c.unicode();
    if (maiuscula && u >= 'a' && u <= 'z')
        return QChar(char16_t(u - 'a' + 'A'));
    if (!maiuscula && u >= 'A' && u <= 'Z')
        return QChar(char16_t(u - 'A' + 'a'));
    return c;
}

TDigitacao digitaCaractere(int numero, const QString &texto, char ch, bool capsLock, bool shift)
{
    TDigitacao d;
    const TRegraCampo *r = regraCampo(numero);
    const unsigned char c = r ? semAcento(r->aceitos, static_cast<unsigned char>(ch)) : 0;
    if (!r || !aceita(r->aceitos, c))
        return d;
    if (texto.size() >= r->limite) {
        d.acao = TDigitacao::Engolido;
        return d;
    }
    d.acao = TDigitacao::Anexado;
    d.anexo = cp1252ToUnicode(char(c));
    if (r->regraCaso) {
        d.anexo = aplicaCaso(d.anexo, capsLock != shift);
        d.usouShift = shift;
    }
    return d;
}

bool soAlgarismos(QStringView texto)
{
    return !texto.isEmpty() && std::all_of(texto.begin(), texto.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
