#include "SheetZip.h"

#include "CatalogFile.h"

std::unique_ptr<TLeitorPlanilha> abrePlanilha(QIODevice &arquivo, TFormatoCatalogo formato, const QString &nome)
{
    return formato == TFormatoCatalogo::Xlsx ? novaPlanilhaXlsx(arquivo, nome) : novaPlanilhaOds(arquivo, nome);
}

QString nomeColuna(int coluna)
{
    QString nome;
    for (int c = coluna + 1; c > 0; c = (c - 1) / 26)
        nome.prepend(QChar(u'A' + (c - 1) % 26));
    return nome;
}

TPlanilhaZip::TPlanilhaZip(QIODevice &arquivo, const QString &nome)
    : m_nome(nome == QLatin1String("-") ? QStringLiteral("da entrada padrão") : nome), m_zip(&arquivo)
{
    m_zip.setAutoClose(false);
    if (!m_zip.open(QuaZip::mdUnzip))
        falha(QStringLiteral("o arquivo zip não pode ser lido (erro %1 do zip)").arg(m_zip.getZipError()));
    m_entrada.setZip(&m_zip);
}

bool TPlanilhaZip::tem(const QString &entrada)
{
    fechaEntrada();
    return m_zip.setCurrentFile(entrada, QuaZip::csInsensitive);
}

void TPlanilhaZip::abre(const QString &entrada)
{
    m_nomeEntrada = entrada;
    if (!tem(entrada))
        falha(QStringLiteral("falta %1").arg(entrada));
    if (!m_entrada.open(QIODevice::ReadOnly))
        falha(QStringLiteral("%1 não pode ser lido (erro %2 do zip)").arg(entrada).arg(m_entrada.getZipError()));
    m_xml.setDevice(&m_entrada);
}

void TPlanilhaZip::fechaEntrada()
{
    if (!m_entrada.isOpen())
        return;
    m_entrada.close();
    if (m_entrada.isOpen())  // an entry read whole whose check sum does not match stays open
        corrompida();
}

void TPlanilhaZip::terminaEntrada()
{
    if (!m_entrada.isOpen())
        return;
    QByteArray resto(1 << 16, Qt::Uninitialized);
    while (m_entrada.read(resto.data(), resto.size()) > 0) {
    }
    if (m_entrada.getZipError() != UNZ_OK)
        corrompida();
    fechaEntrada();
}

void TPlanilhaZip::corrompida() const
{
    falha(QStringLiteral("%1 está corrompido (erro %2 do zip)").arg(m_nomeEntrada).arg(m_entrada.getZipError()));
}

QXmlStreamReader::TokenType TPlanilhaZip::avanca()
{
    const QXmlStreamReader::TokenType t = m_xml.readNext();
    if (t != QXmlStreamReader::Invalid)
        return t;
    if (m_entrada.getZipError() != UNZ_OK)
        corrompida();
    const QString como = m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                             ? QStringLiteral("termina antes do fim")
                             : QStringLiteral("não é XML válido (%1)").arg(m_xml.errorString());
    falha(QStringLiteral("%1 %2, na linha %3 do XML").arg(m_nomeEntrada, como).arg(m_xml.lineNumber()));
}

QString TPlanilhaZip::textoElemento()
{
    QString texto;
    for (int nivel = 1; nivel > 0;) {
        switch (avanca()) {
        case QXmlStreamReader::StartElement: ++nivel; break;
        case QXmlStreamReader::EndElement: --nivel; break;
        case QXmlStreamReader::Characters:
            texto += m_xml.text();
            if (texto.size() > TLeitorCsv::kMaxCampo)
                falha(QStringLiteral("linha %1: célula com mais de %2 caracteres")
                          .arg(m_linha.linha)
                          .arg(TLeitorCsv::kMaxCampo));
            break;
        default: break;
        }
    }
    return texto;
}

void TPlanilhaZip::pula()
{
    for (int nivel = 1; nivel > 0;) {
        const QXmlStreamReader::TokenType t = avanca();
        nivel += t == QXmlStreamReader::StartElement ? 1 : t == QXmlStreamReader::EndElement ? -1 : 0;
    }
}

void TPlanilhaZip::falha(const QString &texto) const
{
    throw EPlanilha(QStringLiteral("não foi possível ler a planilha %1: %2.").arg(m_nome, texto));
}

void TPlanilhaZip::comecaLinha(qint64 linha)
{
    if (linha > kMaxLinhas)
        falha(QStringLiteral("a planilha passa de %1 linhas").arg(kMaxLinhas));
    m_linha = TLinhaPlanilha();
    m_linha.linha = int(linha);
}

void TPlanilhaZip::celula(qint64 coluna, qint64 vezes, const QString &valor, bool texto)
{
    if (valor.isEmpty() || vezes <= 0)
        return;
    if (coluna + vezes > m_limite && m_linha.alem.isEmpty())
        m_linha.alem = nomeColuna(int(std::min<qint64>(std::max<qint64>(coluna, m_limite), kMaxColunas)))
                       + QString::number(m_linha.linha);
    for (qint64 c = coluna; c < std::min<qint64>(coluna + vezes, m_limite); ++c) {
        while (m_linha.celulas.size() <= c) {
            m_linha.celulas.append(QString());
            m_linha.textos.append(false);
        }
        m_linha.celulas[c] = valor;
        m_linha.textos[c] = texto;
    }
}

QString TPlanilhaZip::numero(const QString &xml)
{
    bool ok = false;
    const double v = xml.trimmed().toDouble(&ok);  // the C locale, no group separator
    // A cell's formula (a price times a markup) leaves binary noise past the
    // 15 significant digits a spreadsheet shows and keeps; taken as shown.
    return ok ? textoNumero(QString::number(v, 'g', 15).toDouble()) : xml;
}
