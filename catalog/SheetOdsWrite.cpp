// The .ods export: the OpenDocument package (its "mimetype" first and
// stored, as the format asks), content.xml streamed into its zip entry row
// by row; the first row frozen by the view settings Calc reads
// (settings.xml).

#include "CatalogFile.h"
#include "SheetWrite.h"

#include <QXmlStreamWriter>

namespace {

const char *const kTipo = "application/vnd.oasis.opendocument.spreadsheet";
const char *const kFolha = "Produtos";

const QLatin1String kNamespaces[][2] = {
    {QLatin1String("xmlns:office"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:office:1.0")},
    {QLatin1String("xmlns:style"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:style:1.0")},
    {QLatin1String("xmlns:text"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:text:1.0")},
    {QLatin1String("xmlns:table"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:table:1.0")},
    {QLatin1String("xmlns:number"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")},
    {QLatin1String("xmlns:fo"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")},
    {QLatin1String("xmlns:config"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:config:1.0")},
    {QLatin1String("xmlns:manifest"), QLatin1String("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0")},
};

void comecaDocumento(QXmlStreamWriter &x, const char *raiz)
{
    x.writeStartDocument();
    x.writeStartElement(QLatin1String(raiz));
    for (const auto &[nome, uri] : kNamespaces)
        x.writeAttribute(nome, uri);
    x.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.2"));
}

// A text in a paragraph: spaces at its ends and a run of them as
// <text:s text:c="N"/> (XML readers of the format collapse them), tabs and
// line breaks as their elements.
void escreveTexto(QXmlStreamWriter &x, const QString &t)
{
    x.writeStartElement(QStringLiteral("text:p"));
    QString trecho;
    for (qsizetype i = 0; i < t.size();) {
        const QChar c = t.at(i);
        if (c == u' ') {
            qsizetype fim = i;
            while (fim < t.size() && t.at(fim) == u' ')
                ++fim;
            if (fim - i == 1 && i > 0 && fim < t.size()) {
                trecho += c;
            } else {
                x.writeCharacters(trecho);
                trecho.clear();
                x.writeEmptyElement(QStringLiteral("text:s"));
                x.writeAttribute(QStringLiteral("text:c"), QString::number(fim - i));
            }
            i = fim;
            continue;
        }
        if (c == u'\t' || c == u'\n') {
            x.writeCharacters(trecho);
            trecho.clear();
            x.writeEmptyElement(c == u'\t' ? QStringLiteral("text:tab") : QStringLiteral("text:line-break"));
        } else {
            trecho += c;
        }
        ++i;
    }
    x.writeCharacters(trecho);
    x.writeEndElement();
}

void celulaTexto(QXmlStreamWriter &x, const QString &t, const char *estilo)
{
    x.writeStartElement(QStringLiteral("table:table-cell"));
    if (estilo)
        x.writeAttribute(QStringLiteral("table:style-name"), QLatin1String(estilo));
    x.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("string"));
    escreveTexto(x, t);
    x.writeEndElement();
}

// content.xml up to the products: the styles, the columns, the header row.
void comecaConteudo(QXmlStreamWriter &x, const QList<TFieldDef> &campos)
{
    comecaDocumento(x, "office:document-content");
    x.writeStartElement(QStringLiteral("office:automatic-styles"));
    x.writeStartElement(QStringLiteral("number:text-style"));  // "@": what is typed stays text
    x.writeAttribute(QStringLiteral("style:name"), QStringLiteral("N100"));
    x.writeEmptyElement(QStringLiteral("number:text-content"));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("style:style"));
    x.writeAttribute(QStringLiteral("style:name"), QStringLiteral("texto"));
    x.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-cell"));
    x.writeAttribute(QStringLiteral("style:data-style-name"), QStringLiteral("N100"));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("style:style"));
    x.writeAttribute(QStringLiteral("style:name"), QStringLiteral("cabecalho"));
    x.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-cell"));
    x.writeAttribute(QStringLiteral("style:data-style-name"), QStringLiteral("N100"));
    x.writeEmptyElement(QStringLiteral("style:text-properties"));
    x.writeAttribute(QStringLiteral("fo:font-weight"), QStringLiteral("bold"));
    x.writeEndElement();
    for (qsizetype c = 0; c < campos.size(); ++c) {
        x.writeStartElement(QStringLiteral("style:style"));
        x.writeAttribute(QStringLiteral("style:name"), QStringLiteral("co%1").arg(c));
        x.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-column"));
        x.writeEmptyElement(QStringLiteral("style:table-column-properties"));
        x.writeAttribute(QStringLiteral("style:column-width"),
                         QStringLiteral("%1cm").arg(larguraColuna(campos[c]) * 0.2, 0, 'f', 2));
        x.writeEndElement();
    }
    x.writeEndElement();  // office:automatic-styles
    x.writeStartElement(QStringLiteral("office:body"));
    x.writeStartElement(QStringLiteral("office:spreadsheet"));
    x.writeStartElement(QStringLiteral("table:table"));
    x.writeAttribute(QStringLiteral("table:name"), QLatin1String(kFolha));
    for (qsizetype c = 0; c < campos.size(); ++c) {
        x.writeEmptyElement(QStringLiteral("table:table-column"));
        x.writeAttribute(QStringLiteral("table:style-name"), QStringLiteral("co%1").arg(c));
        if (campoCodigo(campos[c].name))
            x.writeAttribute(QStringLiteral("table:default-cell-style-name"), QStringLiteral("texto"));
    }
    x.writeStartElement(QStringLiteral("table:table-row"));
    for (const TFieldDef &f : campos)
        celulaTexto(x, f.name, "cabecalho");
    x.writeEndElement();
}

// The view settings: the sheet's first row frozen (split mode 2 at row 1).
void escreveAjustes(QXmlStreamWriter &x)
{
    comecaDocumento(x, "office:document-settings");
    x.writeStartElement(QStringLiteral("office:settings"));
    x.writeStartElement(QStringLiteral("config:config-item-set"));
    x.writeAttribute(QStringLiteral("config:name"), QStringLiteral("ooo:view-settings"));
    x.writeStartElement(QStringLiteral("config:config-item-map-indexed"));
    x.writeAttribute(QStringLiteral("config:name"), QStringLiteral("Views"));
    x.writeStartElement(QStringLiteral("config:config-item-map-entry"));
    const auto item = [&x](const char *nome, const char *tipo, const char *valor) {
        x.writeStartElement(QStringLiteral("config:config-item"));
        x.writeAttribute(QStringLiteral("config:name"), QLatin1String(nome));
        x.writeAttribute(QStringLiteral("config:type"), QLatin1String(tipo));
        x.writeCharacters(QLatin1String(valor));
        x.writeEndElement();
    };
    item("ViewId", "string", "view1");
    x.writeStartElement(QStringLiteral("config:config-item-map-named"));
    x.writeAttribute(QStringLiteral("config:name"), QStringLiteral("Tables"));
    x.writeStartElement(QStringLiteral("config:config-item-map-entry"));
    x.writeAttribute(QStringLiteral("config:name"), QLatin1String(kFolha));
    item("HorizontalSplitMode", "short", "0");
    item("VerticalSplitMode", "short", "2");
    item("HorizontalSplitPosition", "int", "0");
    item("VerticalSplitPosition", "int", "1");
    item("ActiveSplitRange", "short", "2");
    item("PositionLeft", "int", "0");
    item("PositionRight", "int", "0");
    item("PositionTop", "int", "0");
    item("PositionBottom", "int", "1");
    item("ActiveTable", "string", kFolha);
    x.writeEndDocument();
}

void escreveManifesto(QXmlStreamWriter &x)
{
    comecaDocumento(x, "manifest:manifest");
    const auto arquivo = [&x](const char *caminho, const char *tipo) {
        x.writeEmptyElement(QStringLiteral("manifest:file-entry"));
        x.writeAttribute(QStringLiteral("manifest:full-path"), QLatin1String(caminho));
        x.writeAttribute(QStringLiteral("manifest:media-type"), QLatin1String(tipo));
    };
    arquivo("/", kTipo);
    arquivo("content.xml", "text/xml");
    arquivo("settings.xml", "text/xml");
    x.writeEndDocument();
}

class TEscritaOds : public TEscritaPlanilha {
public:
    TEscritaOds(const QList<TFieldDef> &campos, const QString &caminho) : TEscritaPlanilha(campos, caminho)
    {
        TPacoteZip &pacote = *m_pacote;
        QuaZipFile &tipo = pacote.entrada("mimetype", true);
        if (tipo.write(kTipo) != qint64(qstrlen(kTipo)))
            pacote.falha(tipo.getZipError());
        for (const auto &[nome, escreve] : {std::pair{"META-INF/manifest.xml", &escreveManifesto},
                                            std::pair{"settings.xml", &escreveAjustes}}) {
            QXmlStreamWriter x(&pacote.entrada(nome));
            escreve(x);
            pacote.verifica(x);
        }
        m_xml = std::make_unique<QXmlStreamWriter>(&pacote.entrada("content.xml"));
        comecaConteudo(*m_xml, m_campos);
    }

private:
    void escreveLinha(const QVariantList &valores) override
    {
        QXmlStreamWriter &x = *m_xml;
        x.writeStartElement(QStringLiteral("table:table-row"));
        for (qsizetype c = 0; c < m_campos.size(); ++c) {
            const QVariant &v = valores.value(c);
            const TFieldDef &f = m_campos[c];
            const bool numero = f.type == TFieldType::ftFloat || f.type == TFieldType::ftInteger;
            const QString t = !v.isValid() || numero ? QString() : textoCelula(m_campos, valores, c);
            if (numero && v.isValid()) {
                x.writeStartElement(QStringLiteral("table:table-cell"));
                x.writeAttribute(QStringLiteral("office:value-type"), QStringLiteral("float"));
                x.writeAttribute(QStringLiteral("office:value"),
                                 QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest));
                escreveTexto(x, textoNumero(v.toDouble()));
                x.writeEndElement();
            } else if (!t.isEmpty()) {
                celulaTexto(x, t, campoCodigo(f.name) ? "texto" : nullptr);
            } else {
                x.writeEmptyElement(QStringLiteral("table:table-cell"));
            }
        }
        x.writeEndElement();
    }
    void terminaFolha() override
    {
        m_xml->writeEndElement();  // table:table
        m_xml->writeEndElement();  // office:spreadsheet
        m_xml->writeEndElement();  // office:body
    }
};

}  // namespace

std::unique_ptr<TEscritaPlanilha> novaEscritaOds(const QList<TFieldDef> &campos, const QString &caminho)
{
    return std::make_unique<TEscritaOds>(campos, caminho);
}
