#include "StatementTables.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace {

struct Token {
    enum Tipo { Palavra, Parametro, Outro } tipo;
    QString texto;  // words in capitals
};

// Words, parameters (:NAME) and single signs; literals, quoted names and
// comments are one sign each.
QList<Token> tokens(const QString &sql)
{
    QList<Token> out;
    const qsizetype n = sql.size();
    const auto palavra = [&](qsizetype i) {
        while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('_') || sql[i] == QLatin1Char('$')
                         || sql[i] == QLatin1Char('#')))
            ++i;
        return i;
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote inside stands for one: the scan goes on past it.
            qsizetype fim = sql.indexOf(c, i + 1);
            while (fim >= 0 && fim + 1 < n && sql[fim + 1] == c)
                fim = sql.indexOf(c, fim + 2);
            i = fim < 0 ? n : fim + 1;
            out.append({Token::Outro, QString(c)});
        } else if (c == QLatin1Char(':') && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == QLatin1Char('_'))) {
            const qsizetype fim = palavra(i + 1);
            out.append({Token::Parametro, sql.mid(i + 1, fim - i - 1).toUpper()});
            i = fim;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype fim = palavra(i);
            out.append({Token::Palavra, sql.mid(i, fim - i).toUpper()});
            i = fim;
        } else {
            out.append({Token::Outro, QString(c)});
            ++i;
        }
    }
    return out;
}

bool reservada(const QString &w)
{
    static const QSet<QString> palavras{
        QStringLiteral("SELECT"), QStringLiteral("FROM"),   QStringLiteral("WHERE"),   QStringLiteral("AND"),
        QStringLiteral("OR"),     QStringLiteral("NOT"),    QStringLiteral("NULL"),    QStringLiteral("AS"),
        QStringLiteral("ON"),     QStringLiteral("JOIN"),   QStringLiteral("LEFT"),    QStringLiteral("RIGHT"),
        QStringLiteral("INNER"),  QStringLiteral("OUTER"),  QStringLiteral("FULL"),    QStringLiteral("CROSS"),
        QStringLiteral("ORDER"),  QStringLiteral("GROUP"),  QStringLiteral("BY"),      QStringLiteral("HAVING"),
        QStringLiteral("UNION"),  QStringLiteral("ALL"),    QStringLiteral("INTO"),    QStringLiteral("VALUES"),
        QStringLiteral("UPDATE"), QStringLiteral("SET"),    QStringLiteral("DELETE"),  QStringLiteral("INSERT"),
        QStringLiteral("WITH"),   QStringLiteral("FOR"),    QStringLiteral("IN"),      QStringLiteral("EXISTS"),
        QStringLiteral("CASE"),   QStringLiteral("WHEN"),   QStringLiteral("THEN"),    QStringLiteral("ELSE"),
        QStringLiteral("END"),    QStringLiteral("IS"),     QStringLiteral("LIKE"),    QStringLiteral("BETWEEN"),
        QStringLiteral("DISTINCT"), QStringLiteral("COLLATE"), QStringLiteral("LIMIT"), QStringLiteral("ASC"),
        QStringLiteral("DESC")};
    return palavras.contains(w);
}

bool nomeDeColuna(const QString &w)
{
    static const QRegularExpression re(QStringLiteral("^(CD|NM|DS|SG|VR|QT|ID|DT|NR)[A-Z0-9_]+$"));
    return re.match(w).hasMatch();
}

}  // namespace

void TUsoDoBanco::soma(const QString &sql)
{
    const QList<Token> t = tokens(sql);
    const auto em = [&](qsizetype i) { return i >= 0 && i < t.size() ? t[i] : Token{Token::Outro, QString()}; };
    const auto nome = [&](qsizetype i) { return em(i).tipo == Token::Palavra && !reservada(em(i).texto); };

    // The names a WITH clause gives (WITH P AS (...), IP AS (...)).
    QSet<QString> derivadas;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (nome(i) && em(i + 1).texto == QLatin1String("AS") && em(i + 2).texto == QLatin1String("(")
            && (em(i - 1).texto == QLatin1String("WITH") || em(i - 1).texto == QLatin1String(",")))
            derivadas.insert(t[i].texto);

    // Tables, and each alias's table (empty for a derived table).
    QSet<QString> tabelas;
    QHash<QString, QString> apelidos;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QString &w = t[i].texto;
        if (const qsizetype a = i + 1 + (em(i + 1).texto == QLatin1String("AS")); w == QLatin1String(")") && nome(a)) {
            if (!apelidos.contains(em(a).texto))  // a table's own alias wins
                apelidos.insert(em(a).texto, QString());
            continue;
        }
        const bool lista = w == QLatin1String("FROM");
        if (t[i].tipo != Token::Palavra
            || !(lista || w == QLatin1String("JOIN") || w == QLatin1String("INTO") || w == QLatin1String("DELETE")
                 || (w == QLatin1String("UPDATE") && em(i - 1).texto != QLatin1String("FOR"))))
            continue;
        for (qsizetype j = i + 1; nome(j);) {
            const QString tabela = derivadas.contains(t[j].texto) ? QString() : t[j].texto;
            if (!tabela.isEmpty())
                tabelas.insert(tabela);
            apelidos.insert(t[j].texto, tabela);
            j += em(j + 1).texto == QLatin1String("AS") ? 2 : 1;
            if (nome(j))
                apelidos.insert(t[j++].texto, tabela);
            if (!lista || em(j).texto != QLatin1String(","))
                break;
            ++j;
        }
    }
    for (const QString &tabela : std::as_const(tabelas))
        colunas[tabela];

    QStringList todas(tabelas.begin(), tabelas.end());
    std::sort(todas.begin(), todas.end());
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QString &w = t[i].texto;
        if (t[i].tipo != Token::Palavra || !nomeDeColuna(w) || apelidos.contains(w) || em(i - 1).texto == QLatin1String("AS")
            || em(i + 1).texto == QLatin1String("("))
            continue;
        if (em(i - 1).texto == QLatin1String(".")) {
            const QString tabela = apelidos.value(em(i - 2).texto);
            if (!tabela.isEmpty())
                colunas[tabela].insert(w);
        } else if (todas.size() == 1) {
            colunas[todas.first()].insert(w);
        } else if (!todas.isEmpty()) {
            colunasDeUmaDe[todas].insert(w);
        }
    }
}
