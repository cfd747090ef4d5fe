// The .xlsx export: the workbook's package of an Office Open XML
// spreadsheet, its one sheet streamed into its zip entry row by row, texts
// as inline strings (a table of shared texts would have to be held whole),
// code columns and the header with the built-in text format (49, "@").

#include "CatalogFile.h"
#include "CatalogSheet.h"
#include "SheetWrite.h"

#include <functional>

namespace {

const QLatin1String kPrincipal("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QLatin1String kRelacoesPacote("http://schemas.openxmlformats.org/package/2006/relationships");
const QLatin1String kRelacoes("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// Cell formats of styles.xml, by their place in cellXfs.
enum { kFormatoGeral = 0, kFormatoTexto = 1, kFormatoCabecalho = 2 };

// The parts of the package besides the sheet, as they stand.
const char *const kTiposConteudo =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";

const char *const kEstilos =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font>)"
    R"(<font><b/><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="49" fontId="1" fillId="0" borderId="0" xfId="0" applyNumberFormat="1" applyFont="1"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

void escreve(TPacoteZip &pacote, const char *nome, const char *texto)
{
    QuaZipFile &f = pacote.entrada(nome);
    if (f.write(texto) != qint64(qstrlen(texto)))
        pacote.falha(f.getZipError());
}

void relacao(QXmlStreamWriter &x, const char *id, const QString &tipo, const char *alvo)
{
    x.writeEmptyElement(QStringLiteral("Relationship"));
    x.writeAttribute(QStringLiteral("Id"), QLatin1String(id));
    x.writeAttribute(QStringLiteral("Type"), tipo);
    x.writeAttribute(QStringLiteral("Target"), QLatin1String(alvo));
}

void relacoes(TPacoteZip &pacote, const char *nome, const std::function<void(QXmlStreamWriter &)> &corpo)
{
    QXmlStreamWriter x(&pacote.entrada(nome));
    x.writeStartDocument();
    x.writeStartElement(QStringLiteral("Relationships"));
    x.writeDefaultNamespace(kRelacoesPacote);
    corpo(x);
    x.writeEndDocument();
    pacote.verifica(x);
}

// A text as a sheet holds it: "_xHHHH_" is how a sheet writes a character
// XML cannot hold, so a text that holds such a sequence has its "_" written
// "_x005F_".
QString comEscapes(const QString &t)
{
    if (!t.contains(QLatin1String("_x")))
        return t;
    QString r;
    for (qsizetype i = 0; i < t.size(); ++i) {
        bool sequencia = t.at(i) == u'_' && i + 6 < t.size() && t.at(i + 1) == u'x' && t.at(i + 6) == u'_';
        for (qsizetype k = i + 2; sequencia && k < i + 6; ++k)
            sequencia = t.at(k).isDigit() || (t.at(k).toLower() >= u'a' && t.at(k).toLower() <= u'f');
        r += sequencia ? QStringLiteral("_x005F_") : QString(t.at(i));
    }
    return r;
}

void celulaTexto(QXmlStreamWriter &x, const QString &ref, const QString &t, int formato)
{
    x.writeStartElement(QStringLiteral("c"));
    x.writeAttribute(QStringLiteral("r"), ref);
    if (formato != kFormatoGeral)
        x.writeAttribute(QStringLiteral("s"), QString::number(formato));
    x.writeAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
    x.writeStartElement(QStringLiteral("is"));
    x.writeStartElement(QStringLiteral("t"));
    if (t.trimmed().size() != t.size())
        x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    x.writeCharacters(comEscapes(t));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
}

// What comes before the products: the frozen first row, the columns'
// widths and formats, the header row.
void comecaFolha(QXmlStreamWriter &x, const QList<TFieldDef> &campos, const QStringList &colunas)
{
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeStartElement(QStringLiteral("worksheet"));
    x.writeDefaultNamespace(kPrincipal);
    x.writeStartElement(QStringLiteral("sheetViews"));
    x.writeStartElement(QStringLiteral("sheetView"));
    x.writeAttribute(QStringLiteral("workbookViewId"), QStringLiteral("0"));
    x.writeEmptyElement(QStringLiteral("pane"));  // the first row frozen
    x.writeAttribute(QStringLiteral("ySplit"), QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("topLeftCell"), QStringLiteral("A2"));
    x.writeAttribute(QStringLiteral("activePane"), QStringLiteral("bottomLeft"));
    x.writeAttribute(QStringLiteral("state"), QStringLiteral("frozen"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("cols"));
    for (qsizetype c = 0; c < campos.size(); ++c) {
        x.writeEmptyElement(QStringLiteral("col"));
        x.writeAttribute(QStringLiteral("min"), QString::number(c + 1));
        x.writeAttribute(QStringLiteral("max"), QString::number(c + 1));
        x.writeAttribute(QStringLiteral("width"), QString::number(larguraColuna(campos[c])));
        x.writeAttribute(QStringLiteral("customWidth"), QStringLiteral("1"));
        if (campoCodigo(campos[c].name))
            x.writeAttribute(QStringLiteral("style"), QString::number(kFormatoTexto));
    }
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("sheetData"));
    x.writeStartElement(QStringLiteral("row"));
    x.writeAttribute(QStringLiteral("r"), QStringLiteral("1"));
    for (qsizetype c = 0; c < campos.size(); ++c)
        celulaTexto(x, colunas[c] + QLatin1Char('1'), campos[c].name, kFormatoCabecalho);
    x.writeEndElement();
}

class TEscritaXlsx : public TEscritaPlanilha {
public:
    TEscritaXlsx(const QList<TFieldDef> &campos, const QString &caminho) : TEscritaPlanilha(campos, caminho)
    {
        TPacoteZip &pacote = *m_pacote;
        escreve(pacote, "[Content_Types].xml", kTiposConteudo);
        relacoes(pacote, "_rels/.rels", [](QXmlStreamWriter &x) {
            relacao(x, "rId1", kRelacoes + QStringLiteral("/officeDocument"), "xl/workbook.xml");
        });
        {
            QXmlStreamWriter x(&pacote.entrada("xl/workbook.xml"));
            x.writeStartDocument(QStringLiteral("1.0"), true);
            x.writeStartElement(QStringLiteral("workbook"));
            x.writeDefaultNamespace(kPrincipal);
            x.writeNamespace(kRelacoes, QStringLiteral("r"));
            x.writeStartElement(QStringLiteral("sheets"));
            x.writeEmptyElement(QStringLiteral("sheet"));
            x.writeAttribute(QStringLiteral("name"), QStringLiteral("Produtos"));
            x.writeAttribute(QStringLiteral("sheetId"), QStringLiteral("1"));
            x.writeAttribute(kRelacoes, QStringLiteral("id"), QStringLiteral("rId1"));
            x.writeEndDocument();
            pacote.verifica(x);
        }
        relacoes(pacote, "xl/_rels/workbook.xml.rels", [](QXmlStreamWriter &x) {
            relacao(x, "rId1", kRelacoes + QStringLiteral("/worksheet"), "worksheets/sheet1.xml");
            relacao(x, "rId2", kRelacoes + QStringLiteral("/styles"), "styles.xml");
        });
        escreve(pacote, "xl/styles.xml", kEstilos);
        for (qsizetype c = 0; c < m_campos.size(); ++c)
            m_colunas.append(nomeColuna(int(c)));
        m_xml = std::make_unique<QXmlStreamWriter>(&pacote.entrada("xl/worksheets/sheet1.xml"));
        comecaFolha(*m_xml, m_campos, m_colunas);
    }

private:
    void escreveLinha(const QVariantList &valores) override
    {
        QXmlStreamWriter &x = *m_xml;
        const QString linha = QString::number(m_linhas + 1);
        x.writeStartElement(QStringLiteral("row"));
        x.writeAttribute(QStringLiteral("r"), linha);
        for (qsizetype c = 0; c < m_campos.size(); ++c) {
            const QVariant &v = valores.value(c);
            const TFieldDef &f = m_campos[c];
            if (!v.isValid())
                continue;
            if (f.type == TFieldType::ftFloat || f.type == TFieldType::ftInteger) {
                x.writeStartElement(QStringLiteral("c"));
                x.writeAttribute(QStringLiteral("r"), m_colunas[c] + linha);
                x.writeTextElement(QStringLiteral("v"), QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest));
                x.writeEndElement();
            } else if (const QString t = textoCelula(m_campos, valores, c); !t.isEmpty()) {
                celulaTexto(x, m_colunas[c] + linha, t, campoCodigo(f.name) ? kFormatoTexto : kFormatoGeral);
            }
        }
        x.writeEndElement();
    }
    void terminaFolha() override {}

    QStringList m_colunas;  // the columns' letters
};

}  // namespace

std::unique_ptr<TEscritaPlanilha> novaEscritaXlsx(const QList<TFieldDef> &campos, const QString &caminho)
{
    return std::make_unique<TEscritaXlsx>(campos, caminho);
}
