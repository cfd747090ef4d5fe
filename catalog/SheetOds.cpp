// An OpenDocument spreadsheet (.ods, as LibreOffice Calc writes it): the
// first table of content.xml read row by row. Calc writes a run of equal
// cells or rows once with its count (number-columns-repeated,
// number-rows-repeated), and a formatted sheet ends in runs of empty cells
// up to its last column and row: a run is never made into cells past the
// header's columns, nor an empty row into anything but a count.

#include "SheetZip.h"

namespace {

const QLatin1String kOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String kTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String kText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

class TPlanilhaOds : public TPlanilhaZip {
public:
    TPlanilhaOds(QIODevice &arquivo, const QString &nome) : TPlanilhaZip(arquivo, nome) { reinicia(); }

    void reinicia() override
    {
        abre(QStringLiteral("content.xml"));
        m_limite = kMaxColunas;
        m_proxima = 1;
        m_repetir = 0;
        m_nivel = -1;
    }

    bool proxima(TLinhaPlanilha &l) override
    {
        if (m_repetir > 0) {  // a row with values written once for several
            --m_repetir;
            l = m_repetida;
            l.linha = int(m_proxima - m_repetir - 1);
            return true;
        }
        while (m_nivel != 0) {
            const QXmlStreamReader::TokenType t = avanca();
            if (t == QXmlStreamReader::EndDocument)
                break;
            if (t == QXmlStreamReader::EndElement) {
                if (m_nivel > 0 && m_xml.name() == QLatin1String("table") && m_xml.namespaceUri() == kTable)
                    --m_nivel;
                continue;
            }
            if (t != QXmlStreamReader::StartElement || m_xml.namespaceUri() != kTable)
                continue;
            if (m_xml.name() == QLatin1String("table")) {
                m_nivel = m_nivel < 0 ? 1 : m_nivel + 1;  // the first table; another is one inside it
            } else if (m_nivel == 1 && m_xml.name() == QLatin1String("table-row")) {
                const qint64 vezes = repeticoes(QLatin1String("number-rows-repeated"));
                const qint64 linha = m_proxima;
                leLinha(linha);
                m_proxima += vezes;
                if (!linhaComValor())
                    continue;  // empty rows only move the count on
                if (linha + vezes - 1 > kMaxLinhas)
                    falha(QStringLiteral("a planilha passa de %1 linhas").arg(kMaxLinhas));
                m_repetir = vezes - 1;
                if (m_repetir > 0)
                    m_repetida = m_linha;
                l = std::move(m_linha);
                return true;
            } else if (m_nivel == 1 && m_xml.name() != QLatin1String("table-header-rows")
                       && m_xml.name() != QLatin1String("table-row-group") && m_xml.name() != QLatin1String("table-rows")) {
                pula();  // columns, shapes, named ranges
            }
        }
        m_nivel = 0;
        terminaEntrada();
        return false;
    }

private:
    // A count attribute of the element m_xml is at the start of (1 when absent).
    qint64 repeticoes(QLatin1String nome)
    {
        const QStringView v = m_xml.attributes().value(kTable, nome);
        if (v.isEmpty())
            return 1;
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        if (!ok || n < 1 || n > qint64(kMaxLinhas) * kMaxColunas)
            falha(QStringLiteral("content.xml: \"%1\" não é uma contagem de repetições, na linha %2 do XML")
                      .arg(v.left(20).toString())
                      .arg(m_xml.lineNumber()));
        return n;
    }

    // The cells of a <table:table-row>, up to its end.
    void leLinha(qint64 linha)
    {
        m_linha = TLinhaPlanilha();
        m_linha.linha = int(std::min<qint64>(linha, kMaxLinhas + 1));  // past it only when empty
        qint64 coluna = 0;
        for (;;) {
            const QXmlStreamReader::TokenType t = avanca();
            if (t == QXmlStreamReader::EndElement)
                return;  // </table:table-row>
            if (t != QXmlStreamReader::StartElement)
                continue;
            if (m_xml.namespaceUri() != kTable
                || (m_xml.name() != QLatin1String("table-cell") && m_xml.name() != QLatin1String("covered-table-cell"))) {
                pula();
                continue;
            }
            const qint64 vezes = repeticoes(QLatin1String("number-columns-repeated"));
            bool texto = false;
            const QString valor = valorCelula(&texto);
            celula(coluna, vezes, valor, texto);
            coluna += vezes;
        }
    }

    // The value of the cell m_xml is at the start of, read to its end: a
    // number's office:value, a text's paragraphs.
    QString valorCelula(bool *texto)
    {
        const QXmlStreamAttributes a = m_xml.attributes();
        const QStringView tipo = a.value(kOffice, QLatin1String("value-type"));
        QString valor;
        if (tipo == QLatin1String("float") || tipo == QLatin1String("percentage") || tipo == QLatin1String("currency"))
            valor = numero(a.value(kOffice, QLatin1String("value")).toString());
        else if (tipo == QLatin1String("boolean"))
            valor = a.value(kOffice, QLatin1String("boolean-value")) == QLatin1String("true") ? QStringLiteral("VERDADEIRO")
                                                                                                 : QStringLiteral("FALSO");
        else if (tipo == QLatin1String("date"))
            valor = a.value(kOffice, QLatin1String("date-value")).toString();
        else if (tipo == QLatin1String("time"))
            valor = a.value(kOffice, QLatin1String("time-value")).toString();
        else if (a.hasAttribute(kOffice, QLatin1String("string-value")))
            valor = a.value(kOffice, QLatin1String("string-value")).toString();
        const bool numeroOuOutro = !valor.isEmpty() || (!tipo.isEmpty() && tipo != QLatin1String("string"));
        *texto = !numeroOuOutro;
        QString paragrafos;
        int n = 0;
        while (avanca() != QXmlStreamReader::EndElement) {  // </table:table-cell>
            if (!m_xml.isStartElement())
                continue;
            if (m_xml.namespaceUri() == kText && (m_xml.name() == QLatin1String("p") || m_xml.name() == QLatin1String("h"))
                && !numeroOuOutro) {
                if (n++ > 0)
                    paragrafos += u'\n';
                paragrafos += paragrafo();
                if (paragrafos.size() > TLeitorCsv::kMaxCampo)
                    falha(QStringLiteral("linha %1: célula com mais de %2 caracteres")
                              .arg(m_linha.linha)
                              .arg(TLeitorCsv::kMaxCampo));
            } else {
                pula();  // a note (office:annotation), a shape, a number's text as shown
            }
        }
        return numeroOuOutro ? valor : paragrafos;
    }

    // A paragraph's text, read to its end: its spans and links, spaces
    // written as <text:s text:c="N"/>, tabs and line breaks.
    QString paragrafo()
    {
        QString texto;
        for (int nivel = 1; nivel > 0;) {
            switch (avanca()) {
            case QXmlStreamReader::Characters: texto += m_xml.text(); break;
            case QXmlStreamReader::EndElement: --nivel; break;
            case QXmlStreamReader::StartElement:
                if (m_xml.namespaceUri() == kText && m_xml.name() == QLatin1String("s")) {
                    const int n = m_xml.attributes().value(kText, QLatin1String("c")).toInt();
                    texto += QString(std::clamp(n, 1, TLeitorCsv::kMaxCampo + 1), u' ');
                    pula();
                } else if (m_xml.namespaceUri() == kText && m_xml.name() == QLatin1String("tab")) {
                    texto += u'\t';
                    pula();
                } else if (m_xml.namespaceUri() == kText && m_xml.name() == QLatin1String("line-break")) {
                    texto += u'\n';
                    pula();
                } else if (m_xml.name() == QLatin1String("annotation") || m_xml.name() == QLatin1String("note")) {
                    pula();
                } else {
                    ++nivel;  // a span, a link: their text is the paragraph's
                }
                break;
            default: break;
            }
            if (texto.size() > TLeitorCsv::kMaxCampo)
                falha(QStringLiteral("linha %1: célula com mais de %2 caracteres").arg(m_linha.linha).arg(TLeitorCsv::kMaxCampo));
        }
        return texto;
    }

    qint64 m_proxima = 1;    // the sheet's row number of the next <table:table-row>
    qint64 m_repetir = 0;    // the times m_repetida is still to be given
    TLinhaPlanilha m_repetida;
    int m_nivel = -1;        // tables open: -1 before the first, 0 after it
};

}  // namespace

std::unique_ptr<TLeitorPlanilha> novaPlanilhaOds(QIODevice &arquivo, const QString &nome)
{
    return std::make_unique<TPlanilhaOds>(arquivo, nome);
}
