#include "CatalogJson.h"

#include <QJsonDocument>

namespace {

bool espaco(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

[[noreturn]] void falha(const QString &texto)
{
    throw EPacketError(texto);
}

// A member's value that is not read must still be JSON.
void valida(const QByteArray &valor, const QString &nome)
{
    QJsonParseError e;
    if (!QJsonDocument::fromJson("[" + valor + "]", &e).isArray())
        falha(QStringLiteral("\"%1\": %2.").arg(nome.left(40), e.errorString()));
}

QString mostraByte(char c)
{
    return c >= 0x20 && c < 0x7F ? QStringLiteral("'%1'").arg(QLatin1Char(c))
                                 : QStringLiteral("o byte %1").arg(quint8(c), 2, 16, QLatin1Char('0'));
}

}  // namespace

bool TLeitorJson::le(char &c)
{
    if (m_pos >= m_buffer.size()) {
        m_buffer = m_dispositivo.read(1 << 16);
        m_pos = 0;
        if (m_buffer.isEmpty())
            return false;
    }
    c = m_buffer.at(m_pos++);
    return true;
}

char TLeitorJson::proximoSinal()
{
    char c;
    do {
        if (!le(c))
            falha(QStringLiteral("o arquivo termina antes do fim do pacote (arquivo cortado?)."));
    } while (espaco(c));
    return c;
}

QByteArray TLeitorJson::trecho(char primeiro, const QString &onde)
{
    QByteArray t(1, primeiro);
    const bool composto = primeiro == '[' || primeiro == '{';
    bool texto = primeiro == '"', escape = false;
    int nivel = composto ? 1 : 0;
    if (!composto && !texto) {
        // A number, true, false or null: up to the next separator.
        char c;
        while (le(c)) {
            if (espaco(c) || c == ',' || c == ']' || c == '}') {
                --m_pos;
                break;
            }
            t.append(c);
            if (t.size() > kMaxTrecho)
                falha(QStringLiteral("valor com mais de %1 MiB %2.").arg(kMaxTrecho >> 20).arg(onde));
        }
        return t;
    }
    char c;
    while (texto || nivel > 0) {
        if (!le(c))
            falha(QStringLiteral("o arquivo termina antes do fim do pacote, %1 (arquivo cortado?).").arg(onde));
        t.append(c);
        if (t.size() > kMaxTrecho)
            falha(QStringLiteral("valor com mais de %1 MiB %2.").arg(kMaxTrecho >> 20).arg(onde));
        if (texto) {
            if (escape)
                escape = false;
            else if (c == '\\')
                escape = true;
            else if (c == '"')
                texto = false;
        } else if (c == '"') {
            texto = true;
        } else if (c == '[' || c == '{') {
            ++nivel;
        } else if (c == ']' || c == '}') {
            --nivel;
        }
    }
    return t;
}

bool TLeitorJson::membro(QString &nome)
{
    char c = proximoSinal();
    if (c == '}')
        return false;
    if (m_membros > 0) {
        if (c != ',')
            falha(QStringLiteral("esperada ',' ou '}' entre os membros do objeto; encontrado %1.").arg(mostraByte(c)));
        c = proximoSinal();
    }
    if (c != '"')
        falha(QStringLiteral("esperado o nome de um membro do objeto; encontrado %1.").arg(mostraByte(c)));
    const QByteArray t = trecho(c, QStringLiteral("num nome de membro"));
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson("[" + t + "]", &e);
    if (!d.isArray())
        falha(QStringLiteral("nome de membro inválido: %1.").arg(e.errorString()));
    nome = d.array().at(0).toString();
    if (const char dois = proximoSinal(); dois != ':')
        falha(QStringLiteral("esperado ':' depois de \"%1\"; encontrado %2.").arg(nome.left(40), mostraByte(dois)));
    ++m_membros;
    return true;
}

QList<TFieldDef> TLeitorJson::campos()
{
    if (const char c = proximoSinal(); c != '{')
        falha(QStringLiteral("não é um objeto."));
    const QString fields = QStringLiteral("fields"), rows = QStringLiteral("rows");
    QString nome;
    while (membro(nome)) {
        const char c = proximoSinal();
        if (nome == rows) {
            if (!m_temCampos)
                falha(QStringLiteral("\"rows\" antes de \"fields\": as definições de campo vêm primeiro."));
            if (c != '[')
                falha(QStringLiteral("\"rows\" não é uma lista."));
            return m_campos;
        }
        const QByteArray v = trecho(c, QStringLiteral("em \"%1\"").arg(nome.left(40)));
        if (nome != fields) {
            valida(v, nome);
            continue;
        }
        if (m_temCampos)
            falha(QStringLiteral("\"fields\" repetido."));
        QJsonParseError e;
        const QJsonDocument d = QJsonDocument::fromJson("{\"fields\":" + v + "}", &e);
        if (!d.isObject())
            falha(QStringLiteral("\"fields\": %1.").arg(e.errorString()));
        m_campos = TDataPacket::fromJson(d.object()).fields;
        m_camposJson = d.object().value(fields).toArray();
        m_temCampos = true;
    }
    if (!m_temCampos)
        TDataPacket::fromJson(QJsonObject());  // raises: no "fields"
    m_fim = true;
    fimDoObjeto();
    return m_campos;
}

bool TLeitorJson::proxima(QVariantList &valores)
{
    if (m_fim)
        return false;
    char c = proximoSinal();
    if (c == ']') {
        m_fim = true;
        fimDoObjeto();
        return false;
    }
    if (m_linha > 0) {
        if (c != ',')
            falha(QStringLiteral("esperada ',' ou ']' depois da linha %1 de \"rows\"; encontrado %2.")
                      .arg(m_linha)
                      .arg(mostraByte(c)));
        c = proximoSinal();
    }
    ++m_linha;
    const QString linha = QStringLiteral("linha %1 de \"rows\"").arg(m_linha);
    if (c != '[')
        falha(QStringLiteral("a %1 não é uma lista.").arg(linha));
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(trecho(c, QStringLiteral("na ") + linha), &e);
    if (!d.isArray())
        falha(QStringLiteral("%1: %2.").arg(linha, e.errorString()));
    try {
        const TDataPacket p = TDataPacket::fromJson(
            QJsonObject{{QStringLiteral("fields"), m_camposJson}, {QStringLiteral("rows"), QJsonArray{d.array()}}});
        valores = p.rows.first();
    } catch (const EPacketError &ex) {
        falha(QStringLiteral("%1: %2").arg(linha, exceptionMessage(ex)));
    }
    return true;
}

void TLeitorJson::fimDoObjeto()
{
    QString nome;
    while (membro(nome)) {
        if (nome == QLatin1String("fields") || nome == QLatin1String("rows"))
            falha(QStringLiteral("\"%1\" repetido.").arg(nome));
        valida(trecho(proximoSinal(), QStringLiteral("em \"%1\"").arg(nome.left(40))), nome);
    }
    char c;
    while (le(c))
        if (!espaco(c))
            falha(QStringLiteral("texto depois do fim do pacote."));
}
