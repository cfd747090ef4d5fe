#include "CsvText.h"

#include "Cp1252.h"

#include <algorithm>
#include <utility>

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

QString campoCsv(const QString &valor, bool aspas)
{
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

// Whether `valor` from `i` on is "'"s (any number) then a character a
// spreadsheet starts a formula with.
bool formulaDesde(const QString &valor, qsizetype i)
{
    while (i < valor.size() && valor[i] == QLatin1Char('\''))
        ++i;
    return i < valor.size()
           && (valor[i] == QLatin1Char('=') || valor[i] == QLatin1Char('+') || valor[i] == QLatin1Char('-')
               || valor[i] == QLatin1Char('@'));
}

}  // namespace

QString textoSemFormula(const QString &valor)
{
    return formulaDesde(valor, 0) ? QLatin1Char('\'') + valor : valor;
}

QString textoDeFormula(const QString &campo)
{
    return campo.startsWith(QLatin1Char('\'')) && formulaDesde(campo, 1) ? campo.mid(1) : campo;
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

// How many bytes follow `b[i]` as a well-formed UTF-8 character of more
// than one byte (no overlong form, no surrogate); 0 when it is not one,
// -1 when the bytes end before it does.
int utf8Seguintes(const QByteArray &b, qsizetype i)
{
    const auto u = [&b](qsizetype k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char c = u(i);
    const int n = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
    if (n == 0)
        return 0;
    const unsigned char baixo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char alto = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    for (int k = 1; k <= n; ++k) {
        if (i + k >= b.size())
            return -1;
        if (u(i + k) < (k == 1 ? baixo : 0x80) || u(i + k) > (k == 1 ? alto : 0xBF))
            return 0;
    }
    return n;
}

// Where the first byte lies that no UTF-8 text holds, from `inicio` on; -1
// when there is none (a character cut by the end of the bytes is not one).
qsizetype primeiroInvalido(const QByteArray &b, qsizetype inicio)
{
    for (qsizetype i = inicio; i < b.size(); ++i) {
        if (static_cast<unsigned char>(b[i]) < 0x80)
            continue;
        const int n = utf8Seguintes(b, i);
        if (n < 0)
            return -1;
        if (n == 0)
            return i;
        i += n;
    }
    return -1;
}

// The line breaks in b[0, fim) as the reader counts them (CRLF one); `crAntes`:
// the bytes before ended with a CR.
int quebras(const QByteArray &b, qsizetype fim, bool crAntes)
{
    int n = 0;
    for (qsizetype i = 0; i < fim; ++i)
        if (b[i] == '\r' || (b[i] == '\n' && !(i == 0 ? crAntes : b[i - 1] == '\r')))
            ++n;
    return n;
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
    // The line the new bytes begin on: every text before them has been
    // read (more is loaded only then), but a CR just read waits for the
    // next byte to know whether a LF follows it, not yet counted.
    const QByteArray anterior = std::exchange(m_fimAnterior, bytes.right(4));
    const bool crAntes = anterior.endsWith('\r');
    const int linhaDosBytes = m_linha + (crAntes ? 1 : 0);
    m_texto.remove(0, m_pos);
    m_pos = 0;
    if (m_codificacao == TCodificacao::Utf8) {
        m_texto += m_utf8.decode(bytes);
        if (m_utf8.hasError()) {
            // The line of the first byte that is not UTF-8 (one of a
            // character cut between two reads is on the line it began).
            qsizetype resto = 0;  // the end of a character the bytes before began
            while (utf8Cortado(anterior) && resto < std::min<qsizetype>(3, bytes.size())
                   && (static_cast<unsigned char>(bytes[resto]) & 0xC0) == 0x80)
                ++resto;
            const qsizetype i = std::max<qsizetype>(0, primeiroInvalido(bytes, resto));
            m_erro = QStringLiteral("linha %1: o arquivo não é texto UTF-8 válido (o byte 0x%2 não é UTF-8; se "
                                    "ele vem de uma planilha antiga, em Windows-1252, importe-o com --encoding "
                                    "cp1252).")
                         .arg(linhaDosBytes + quebras(bytes, i, crAntes))
                         .arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0'));
            return false;
        }
    } else {
        // Accented letters written in UTF-8 read in code page 1252 as two
        // or three characters ("ã" as "Ã£"), which no text of that code
        // page is likely to hold.
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (static_cast<unsigned char>(bytes[i]) >= 0x80 && utf8Seguintes(bytes, i) > 0) {
                const int n = utf8Seguintes(bytes, i);
                m_erro = QStringLiteral("linha %1: o arquivo parece ser UTF-8, não Windows-1252 (\"%2\" é \"%3\" "
                                        "em UTF-8): importe-o sem --encoding cp1252.")
                             .arg(linhaDosBytes + quebras(bytes, i, crAntes))
                             .arg(cp1252ToString(bytes.mid(i, n + 1)), QString::fromUtf8(bytes.mid(i, n + 1)));
                return false;
            }
        m_texto += cp1252ToString(bytes);
    }
    return true;
}

bool TLeitorCsv::proximo(QStringList &campos, int &linha, QList<bool> *aspas)
{
    campos.clear();
    if (aspas)
        aspas->clear();
    const auto acrescenta = [&](const QString &campo, bool citado) {
        campos.append(campo);
        if (aspas)
            aspas->append(citado);
    };
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
            acrescenta(campo, fechouAspas);
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
            acrescenta(campo, fechouAspas);
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
            acrescenta(campo, fechouAspas);
            return true;
        } else if (c == QLatin1Char('"') && campo.isEmpty() && !fechouAspas) {
            entreAspas = true;
            algo = true;
        } else if (fechouAspas) {
            m_aposAspas = c;
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
