#include "SheetWrite.h"

#include "CsvText.h"
#include "Exceptions.h"

#include <quazipnewinfo.h>

QString textoCelula(const QList<TFieldDef> &campos, const QVariantList &valores, qsizetype campo)
{
    const QString t = valores.value(campo).toString();
    for (const QChar c : t)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n')
            throw Exception(QStringLiteral("o produto %1 tem no campo %2 um caractere de controle (U+%3), que a planilha "
                                           "não guarda; exporte em CSV ou JSON.")
                                .arg(valores.value(0).toString(), campos[campo].name)
                                .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    return t.startsWith(u'\'') ? textoSemFormula(t) : t;
}

TEscritaPlanilha::TEscritaPlanilha(const QList<TFieldDef> &campos, const QString &caminho)
    : m_campos(campos), m_pacote(std::make_unique<TPacoteZip>(caminho))
{
}

TEscritaPlanilha::~TEscritaPlanilha() = default;

void TEscritaPlanilha::linha(const QVariantList &valores)
{
    if (m_linhas >= kMaxProdutosPlanilha)
        throw Exception(QStringLiteral("são mais de %1 produtos, e uma planilha guarda no máximo %1 abaixo do cabeçalho; "
                                       "exporte em CSV ou JSON.")
                            .arg(kMaxProdutosPlanilha));
    ++m_linhas;
    escreveLinha(valores);
}

void TEscritaPlanilha::fecha()
{
    terminaFolha();
    m_xml->writeEndDocument();
    m_pacote->verifica(*m_xml);
    m_xml.reset();
    m_pacote->fecha();
}

double larguraColuna(const TFieldDef &f)
{
    return std::clamp<double>(std::max<double>(f.size, f.name.size()) + 2, 10, 40);
}

TPacoteZip::TPacoteZip(const QString &caminho) : m_caminho(caminho), m_zip(caminho)
{
    if (!m_zip.open(QuaZip::mdCreate))
        falha(m_zip.getZipError());
    m_entrada.setZip(&m_zip);
}

QuaZipFile &TPacoteZip::entrada(const char *nome, bool guardada)
{
    fechaEntrada();
    // A fixed time (the format's first day): the same catalogue gives the same file.
    QuaZipNewInfo info(QString::fromLatin1(nome));
    info.dateTime = QDateTime(QDate(1980, 1, 1), QTime(0, 0));
    if (!m_entrada.open(QIODevice::WriteOnly, info, nullptr, 0,
                        guardada ? 0 : Z_DEFLATED, guardada ? 0 : Z_DEFAULT_COMPRESSION))
        falha(m_entrada.getZipError());
    return m_entrada;
}

void TPacoteZip::verifica(const QXmlStreamWriter &x) const
{
    if (x.hasError())
        falha(m_entrada.getZipError() != ZIP_OK ? m_entrada.getZipError() : ZIP_ERRNO);
}

void TPacoteZip::fecha()
{
    fechaEntrada();
    m_zip.close();
    if (m_zip.getZipError() != ZIP_OK)
        falha(m_zip.getZipError());
}

void TPacoteZip::falha(int erro) const
{
    throw Exception(QStringLiteral("não foi possível gravar a planilha %1 (erro %2 do zip).").arg(m_caminho).arg(erro));
}

void TPacoteZip::fechaEntrada()
{
    if (!m_entrada.isOpen())
        return;
    m_entrada.close();
    if (m_entrada.getZipError() != ZIP_OK)
        falha(m_entrada.getZipError());
}
