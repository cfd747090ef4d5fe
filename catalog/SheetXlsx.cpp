// An Excel workbook (.xlsx, as Excel, LibreOffice Calc and openpyxl write
// it): the first sheet of xl/workbook.xml, found through the workbook's
// relationships, read row by row; the shared texts (xl/sharedStrings.xml)
// held, read once.

#include "SheetZip.h"

#include <QDir>

namespace {

// The most shared texts and characters held (the file's words, not ours).
constexpr qsizetype kMaxTextos = 1 << 22;
constexpr qsizetype kMaxCaracteres = qsizetype(1) << 27;

// Characters an XML text cannot hold are written "_xHHHH_" ("_x000D_" a
// CR, "_x005F_" the "_" of a text that holds such a sequence itself).
QString semEscapes(const QString &t)
{
    if (!t.contains(QLatin1String("_x")))
        return t;
    QString r;
    r.reserve(t.size());
    const auto hexa = [](QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    for (qsizetype i = 0; i < t.size(); ++i) {
        bool escape = i + 6 < t.size() && t.at(i) == u'_' && t.at(i + 1) == u'x' && t.at(i + 6) == u'_';
        for (qsizetype k = i + 2; escape && k < i + 6; ++k)
            escape = hexa(t.at(k));
        if (escape) {
            r.append(QChar(char16_t(QStringView(t).sliced(i + 2, 4).toUInt(nullptr, 16))));
            i += 6;
        } else {
            r.append(t.at(i));
        }
    }
    return r;
}

class TPlanilhaXlsx : public TPlanilhaZip {
public:
    TPlanilhaXlsx(QIODevice &arquivo, const QString &nome) : TPlanilhaZip(arquivo, nome)
    {
        QString textos;
        m_folha = primeiraFolha(&textos);
        if (!textos.isEmpty() && tem(textos))
            leTextos(textos);
        reinicia();
    }

    void reinicia() override
    {
        abre(m_folha);
        m_limite = kMaxColunas;
        m_ultima = 0;
        m_fim = false;
    }

    bool proxima(TLinhaPlanilha &l) override
    {
        while (!m_fim) {
            const QXmlStreamReader::TokenType t = avanca();
            if (t == QXmlStreamReader::StartElement && m_xml.name() == QLatin1String("row")) {
                const QStringView r = m_xml.attributes().value(QLatin1String("r"));
                bool ok = true;
                const qint64 linha = r.isEmpty() ? m_ultima + 1 : r.toLongLong(&ok);
                if (!ok || linha <= m_ultima)
                    falha(QStringLiteral("%1: a linha \"%2\" vem fora de ordem").arg(m_folha, r.left(20).toString()));
                m_ultima = linha;
                leLinha(linha);
                if (linhaComValor()) {
                    l = std::move(m_linha);
                    return true;
                }
            } else if ((t == QXmlStreamReader::EndElement && m_xml.name() == QLatin1String("sheetData"))
                       || t == QXmlStreamReader::EndDocument) {
                m_fim = true;
                terminaEntrada();
            }
        }
        return false;
    }

private:
    // The entry of the workbook's first sheet, and in `textos` that of its
    // shared texts (empty when it has none).
    QString primeiraFolha(QString *textos)
    {
        abre(QStringLiteral("xl/workbook.xml"));
        QString id;
        while (id.isEmpty() && avanca() != QXmlStreamReader::EndDocument)
            if (m_xml.isStartElement() && m_xml.name() == QLatin1String("sheet"))
                for (const QXmlStreamAttribute &a : m_xml.attributes())
                    if (a.name() == QLatin1String("id") && a.namespaceUri().endsWith(QLatin1String("/relationships")))
                        id = a.value().toString();
        if (id.isEmpty())
            falha(QStringLiteral("xl/workbook.xml não tem nenhuma folha"));
        QString folha;
        if (tem(QStringLiteral("xl/_rels/workbook.xml.rels"))) {
            abre(QStringLiteral("xl/_rels/workbook.xml.rels"));
            while (avanca() != QXmlStreamReader::EndDocument) {
                if (!m_xml.isStartElement() || m_xml.name() != QLatin1String("Relationship"))
                    continue;
                const QXmlStreamAttributes a = m_xml.attributes();
                const QString alvo = a.value(QLatin1String("Target")).toString();
                // A target is relative to xl/, or from the package's root when it begins with "/".
                const QString entrada = alvo.startsWith(u'/') ? QDir::cleanPath(alvo.mid(1))
                                                              : QDir::cleanPath(QStringLiteral("xl/") + alvo);
                if (a.value(QLatin1String("Id")) == id)
                    folha = entrada;
                else if (a.value(QLatin1String("Type")).endsWith(QLatin1String("/sharedStrings")))
                    *textos = entrada;
            }
        }
        if (folha.isEmpty())
            falha(QStringLiteral("a primeira folha (%1) não está em xl/_rels/workbook.xml.rels").arg(id.left(20)));
        return folha;
    }

    void leTextos(const QString &entrada)
    {
        abre(entrada);
        qsizetype caracteres = 0;
        while (avanca() != QXmlStreamReader::EndDocument) {
            if (!m_xml.isStartElement() || m_xml.name() != QLatin1String("si"))
                continue;
            m_textos.append(textoRico());
            caracteres += m_textos.constLast().size();
            if (m_textos.size() > kMaxTextos || caracteres > kMaxCaracteres)
                falha(QStringLiteral("%1 tem textos demais").arg(entrada));
        }
    }

    // The text of a shared or inline string (<si>, <is>): its <t>, or the
    // <t> of its runs, without the phonetic guides (<rPh>).
    QString textoRico()
    {
        QString texto;
        for (int nivel = 1; nivel > 0;) {
            const QXmlStreamReader::TokenType t = avanca();
            if (t == QXmlStreamReader::StartElement && m_xml.name() == QLatin1String("t"))
                texto += textoElemento();
            else if (t == QXmlStreamReader::StartElement && m_xml.name() == QLatin1String("rPh"))
                pula();
            else
                nivel += t == QXmlStreamReader::StartElement ? 1 : t == QXmlStreamReader::EndElement ? -1 : 0;
            if (texto.size() > TLeitorCsv::kMaxCampo)
                falha(QStringLiteral("um texto com mais de %1 caracteres").arg(TLeitorCsv::kMaxCampo));
        }
        return semEscapes(texto);
    }

    // The column of a cell's reference ("C7": 2), checked against its row.
    qint64 coluna(QStringView ref, qint64 linha)
    {
        qint64 c = 0;
        qsizetype i = 0;
        for (; i < ref.size() && i < 4 && ref.at(i).isLetter() && ref.at(i).unicode() < 128; ++i)
            c = c * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
        bool ok = i > 0 && c <= kMaxColunas;
        if (ok && i < ref.size())
            ok = ref.sliced(i).toLongLong() == linha;
        if (!ok)
            falha(QStringLiteral("%1: célula \"%2\" inválida na linha %3").arg(m_folha, ref.left(20).toString()).arg(linha));
        return c - 1;
    }

    // The cells of a <row>, up to its end.
    void leLinha(qint64 linha)
    {
        comecaLinha(linha);
        qint64 proxima = 0;
        for (;;) {
            const QXmlStreamReader::TokenType t = avanca();
            if (t == QXmlStreamReader::EndElement)
                return;  // </row>
            if (t != QXmlStreamReader::StartElement)
                continue;
            if (m_xml.name() != QLatin1String("c")) {
                pula();
                continue;
            }
            const QXmlStreamAttributes a = m_xml.attributes();
            const QStringView ref = a.value(QLatin1String("r"));
            const qint64 c = ref.isEmpty() ? proxima : coluna(ref, linha);
            if (c < proxima)
                falha(QStringLiteral("%1: célula \"%2\" fora de ordem na linha %3").arg(m_folha, ref.toString()).arg(linha));
            proxima = c + 1;
            const QString tipo = a.value(QLatin1String("t")).toString();
            QString valor;
            bool texto = false;
            while (avanca() != QXmlStreamReader::EndElement) {  // </c>
                if (!m_xml.isStartElement())
                    continue;
                if (m_xml.name() == QLatin1String("v")) {
                    valor = textoElemento();
                } else if (m_xml.name() == QLatin1String("is")) {
                    valor = textoRico();
                    texto = true;
                } else {
                    pula();  // the formula (its value is in <v>), extensions
                }
            }
            if (tipo == QLatin1String("s")) {
                bool ok = false;
                const qsizetype i = valor.toLongLong(&ok);
                if (!ok || i < 0 || i >= m_textos.size())
                    falha(QStringLiteral("%1: a célula %2%3 aponta um texto compartilhado que não existe")
                              .arg(m_folha, nomeColuna(int(c)))
                              .arg(linha));
                valor = m_textos.at(i);
                texto = true;
            } else if (tipo == QLatin1String("str")) {
                valor = semEscapes(valor);  // a formula's text
                texto = true;
            } else if (tipo == QLatin1String("b") && !valor.isEmpty()) {
                valor = valor.trimmed() == QLatin1String("1") ? QStringLiteral("VERDADEIRO") : QStringLiteral("FALSO");
            } else if (tipo.isEmpty() || tipo == QLatin1String("n")) {
                valor = numero(valor);
            }  // "e" an error ("#N/D"), "d" a date: their text
            celula(c, 1, valor, texto);
        }
    }

    QString m_folha;
    QStringList m_textos;
    qint64 m_ultima = 0;
    bool m_fim = false;
};

}  // namespace

std::unique_ptr<TLeitorPlanilha> novaPlanilhaXlsx(QIODevice &arquivo, const QString &nome)
{
    return std::make_unique<TPlanilhaXlsx>(arquivo, nome);
}
