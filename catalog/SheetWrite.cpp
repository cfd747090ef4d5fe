#include "SheetWrite.h"

#include "CsvText.h"
#include "Exceptions.h"

QString textoCelula(const TDataPacket &p, qsizetype linha, qsizetype campo)
{
    const QString t = p.rows[linha][campo].toString();
    for (const QChar c : t)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n')
            throw Exception(QStringLiteral("o produto %1 tem no campo %2 um caractere de controle (U+%3), que a planilha "
                                           "não guarda; exporte em CSV ou JSON.")
                                .arg(p.rows[linha].value(0).toString(), p.fields[campo].name)
                                .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    return t.startsWith(u'\'') ? textoSemFormula(t) : t;
}

void verificaTamanho(const TDataPacket &p)
{
    if (p.rows.size() > kMaxProdutosPlanilha)
        throw Exception(QStringLiteral("são %1 produtos, e uma planilha guarda no máximo %2 abaixo do cabeçalho; "
                                       "exporte em CSV ou JSON.")
                            .arg(p.rows.size())
                            .arg(kMaxProdutosPlanilha));
}

double larguraColuna(const TFieldDef &f)
{
    return std::clamp<double>(std::max<double>(f.size, f.name.size()) + 2, 10, 40);
}
