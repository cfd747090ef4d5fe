#include "DataLinkFile.h"

#include "Exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Far above any real data link; a bigger file is not one.
constexpr qint64 MaxDataLinkSize = 64 * 1024;

[[noreturn]] void notADataLink(const QString &path, const QString &why)
{
    throw EADOError(QStringLiteral("O arquivo '%1' não é um vínculo de dados (.udl): %2.").arg(path, why));
}

}  // namespace

QString readDataLinkFile(const QString &path)
{
    if (path.trimmed().isEmpty())
        throw EADOError(QStringLiteral("Cadeia de conexão inválida: 'File Name' vazio."));
    const QFileInfo info(path);
    if (!info.exists())
        throw EADOError(QStringLiteral("Arquivo de vínculo de dados não encontrado: '%1'.").arg(path));
    if (!info.isFile())
        notADataLink(path, QStringLiteral("não é um arquivo comum"));
    if (info.size() > MaxDataLinkSize)
        notADataLink(path, QStringLiteral("grande demais"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EADOError(QStringLiteral("Não foi possível ler o arquivo de vínculo de dados '%1': %2.").arg(path, f.errorString()));
    const QByteArray bytes = f.read(MaxDataLinkSize + 1);
    if (f.error() != QFileDevice::NoError)
        throw EADOError(QStringLiteral("Não foi possível ler o arquivo de vínculo de dados '%1': %2.").arg(path, f.errorString()));

    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringDecoder::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringDecoder::Utf16BE;
    else if (bytes.size() > 1 && (bytes[0] == '\0' || bytes[1] == '\0'))
        notADataLink(path, QStringLiteral("texto UTF-16 sem a marca de ordem de bytes"));
    QStringDecoder decode(encoding);  // drops the byte order mark
    const QString text = decode(bytes);
    if (decode.hasError() || text.contains(QChar(0)))
        notADataLink(path, QStringLiteral("o texto não é UTF-16 nem UTF-8 válido"));

    bool inSection = false;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (!inSection) {
            if (line.compare(QLatin1String("[oledb]"), Qt::CaseInsensitive) != 0)
                notADataLink(path, QStringLiteral("a primeira linha não é [oledb]"));
            inSection = true;
            continue;
        }
        if (line.startsWith(QLatin1Char(';')))
            continue;
        return line;
    }
    notADataLink(path, inSection ? QStringLiteral("não há cadeia de conexão após [oledb]") : QStringLiteral("arquivo vazio"));
}
