#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

constexpr qint64 kMaxIniSize = 1024 * 1024;

[[noreturn]] void fail(const QString &path, const QString &what)
{
    throw EConfigError(QStringLiteral("Arquivo de configuração %1: %2").arg(path, what));
}

[[noreturn]] void failAt(const QString &path, int line, const QString &what)
{
    fail(path, QStringLiteral("linha %1: %2").arg(line).arg(what));
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// The whole file as text; empty with *exists false when there is no file.
QString readText(const QString &path, bool *exists)
{
    const QFileInfo info(path);
    *exists = info.exists();  // a dangling link counts as no file
    if (!*exists)
        return QString();
    // Directories, devices and pipes (a pipe would block the reader).
    if (!info.isFile())
        fail(path, QStringLiteral("não é um arquivo comum."));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path)) {  // removed in between
            *exists = false;
            return QString();
        }
        fail(path, QStringLiteral("não foi possível ler (%1).").arg(f.errorString()));
    }
    const QByteArray bytes = f.read(kMaxIniSize + 1);
    if (f.error() != QFileDevice::NoError)
        fail(path, QStringLiteral("não foi possível ler (%1).").arg(f.errorString()));
    if (bytes.size() > kMaxIniSize)
        fail(path, QStringLiteral("grande demais (mais de 1 MiB)."));
    if (bytes.contains('\0'))
        fail(path, QStringLiteral("não é um arquivo de texto (contém bytes nulos)."));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        fail(path, QStringLiteral("não está codificado em UTF-8."));
    return text;
}

}  // namespace

QString readIniValue(const QString &path, const QString &section, const QString &key)
{
    return lookUpIniValue(path, section, key).value;
}

IniLookup lookUpIniValue(const QString &path, const QString &section, const QString &key)
{
    IniLookup result;
    const QString text = readText(path, &result.fileExists);
    if (!result.fileExists)
        return result;

    const QStringList lines = text.split(QLatin1Char('\n'));
    bool inSection = false;
    bool found = false;
    int foundAt = 0;
    QString value;
    for (int n = 0; n < lines.size(); ++n) {
        const int lineNo = n + 1;
        const QString line = lines.at(n).trimmed();  // also drops the '\r' of CRLF files
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')) || line.size() < 3)
                failAt(path, lineNo, QStringLiteral("seção sem nome ou sem ']'."));
            inSection = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            failAt(path, lineNo, QStringLiteral("esperava [seção], chave=valor ou comentário."));
        const QString name = line.left(eq).trimmed();
        if (name.isEmpty())
            failAt(path, lineNo, QStringLiteral("chave sem nome antes do '='."));
        if (!inSection || name.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        if (found)
            failAt(path, lineNo,
                   QStringLiteral("a chave %1 da seção [%2] já foi dada na linha %3.").arg(key, section).arg(foundAt));
        found = true;
        foundAt = lineNo;
        value = line.mid(eq + 1).trimmed();
        if (!value.isEmpty() && isQuote(value.front())) {
            if (value.size() < 2 || value.back() != value.front())
                failAt(path, lineNo, QStringLiteral("o valor da chave %1 abre aspas e não as fecha no fim da linha.")
                                         .arg(key));
            value = value.mid(1, value.size() - 2);
        }
    }
    result.keyFound = found;
    result.line = foundAt;
    result.value = value;
    return result;
}
