#include "CsvText.h"

#include "Cp1252.h"

bool codificacaoPorNome(const QString &nome, TCodificacao *out)
{
    const QString n = nome.toLower();
    if (n == QLatin1String("utf8") || n == QLatin1String("utf-8"))
        *out = TCodificacao::Utf8;
    else if (n == QLatin1String("cp1252") || n == QLatin1String("windows-1252"))
        *out = TCodificacao::Cp1252;
    else
        return false;
    return true;
}

QString campoCsv(const QString &valor)
{
    bool aspas = false;
    for (const QChar c : valor)
        aspas = aspas || c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\n')
                || c == QLatin1Char('\r');
    // A leading or trailing space survives a spreadsheet only when quoted.
    aspas = aspas || (!valor.isEmpty() && (valor.front().isSpace() || valor.back().isSpace()));
    if (!aspas)
        return valor;
    QString q = valor;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

namespace {

// Whether the bytes end inside a UTF-8 character: the last lead byte
// announces more bytes than follow it.
bool utf8Cortado(const QByteArray &fim)
{
    for (qsizetype i = fim.size() - 1, seguintes = 0; i >= 0; --i, ++seguintes) {
        const auto b = static_cast<unsigned char>(fim[i]);
        if ((b & 0xC0) == 0x80)
            continue;  // a continuation byte
        const int tamanho = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return seguintes + 1 < tamanho;
    }
    return false;
}

}  // namespace

TLeitorCsv::TLeitorCsv(QIODevice &dispositivo, TCodificacao codificacao)
    : m_dispositivo(dispositivo), m_codificacao(codificacao)
{
}

bool TLeitorCsv::carrega()
{
    if (m_fim || !m_erro.isEmpty())
        return false;
    QByteArray bytes = m_dispositivo.read(1 << 16);
    if (bytes.isEmpty() && !m_dispositivo.atEnd() && m_dispositivo.waitForReadyRead(-1))
        bytes = m_dispositivo.read(1 << 16);
    if (m_inicio) {
        m_inicio = false;
        // A byte order mark makes it UTF-8 whatever was asked.
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            bytes.remove(0, 3);
            m_codificacao = TCodificacao::Utf8;
        }
    }
    if (bytes.isEmpty()) {
        m_fim = true;
        if (m_codificacao == TCodificacao::Utf8 && utf8Cortado(m_fimAnterior))
            m_erro = QStringLiteral("linha %1: o arquivo termina no meio de um caractere UTF-8.").arg(m_linha);
        return false;
    }
    m_fimAnterior = bytes.right(4);
    m_texto.remove(0, m_pos);
    m_pos = 0;
    if (m_codificacao == TCodificacao::Utf8) {
        m_texto += m_utf8.decode(bytes);
        if (m_utf8.hasError()) {
            m_erro = QStringLiteral("linha %1: o arquivo não é texto UTF-8 válido (para arquivos de planilhas "
                                    "antigas use --encoding cp1252).")
                         .arg(m_linha);
            return false;
        }
    } else {
        m_texto += cp1252ToString(bytes);
    }
    return true;
}

bool TLeitorCsv::proximo(QStringList &campos, int &linha)
{
    campos.clear();
    QString campo;
    bool entreAspas = false, algo = false, fechouAspas = false;
    linha = m_linha;
    for (;;) {
        if (m_pos >= m_texto.size() && !carrega()) {
            if (!m_erro.isEmpty())
                return false;
            if (entreAspas) {
                m_erro = QStringLiteral("linha %1: aspas abertas e não fechadas até o fim do arquivo.").arg(linha);
                return false;
            }
            if (!algo)
                return false;
            campos.append(campo);
            return true;
        }
        const QChar c = m_texto.at(m_pos++);
        if (entreAspas) {
            if (c == QLatin1Char('"')) {
                if (m_pos >= m_texto.size())
                    carrega();
                if (m_pos < m_texto.size() && m_texto.at(m_pos) == QLatin1Char('"')) {
                    campo.append(c);
                    ++m_pos;
                } else {
                    entreAspas = false;
                    fechouAspas = true;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++m_linha;
                campo.append(c);
            }
        } else if (c == QLatin1Char(';')) {
            campos.append(campo);
            campo.clear();
            fechouAspas = false;
            algo = true;
            if (campos.size() >= kMaxCampos) {
                m_erro = QStringLiteral("linha %1: mais de %2 campos numa linha.").arg(linha).arg(kMaxCampos);
                return false;
            }
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r')) {
                if (m_pos >= m_texto.size())
                    carrega();
                if (m_pos < m_texto.size() && m_texto.at(m_pos) == QLatin1Char('\n'))
                    ++m_pos;
            }
            ++m_linha;
            if (!algo && campo.isEmpty() && !fechouAspas) {
                linha = m_linha;  // a line holding nothing
                continue;
            }
            campos.append(campo);
            return true;
        } else if (c == QLatin1Char('"') && campo.isEmpty() && !fechouAspas) {
            entreAspas = true;
            algo = true;
        } else if (fechouAspas) {
            m_erro = QStringLiteral("linha %1: texto depois das aspas de fechamento de um campo.").arg(m_linha);
            return false;
        } else {
            campo.append(c);
            algo = true;
        }
        if (campo.size() > kMaxCampo) {
            m_erro = QStringLiteral("linha %1: campo com mais de %2 caracteres.").arg(linha).arg(kMaxCampo);
            return false;
        }
    }
}
