#include "CatalogFormat.h"

#include "Exceptions.h"

#include <QFileInfo>
#include <quazip.h>
#include <quazipfile.h>

bool formatoPorNome(const QString &nome, TFormatoCatalogo *out)
{
    for (const TFormatoCatalogo f : {TFormatoCatalogo::Csv, TFormatoCatalogo::Json, TFormatoCatalogo::Xlsx,
                                     TFormatoCatalogo::Ods})
        if (nome.compare(nomeFormato(f), Qt::CaseInsensitive) == 0) {
            *out = f;
            return true;
        }
    return false;
}

QString nomeFormato(TFormatoCatalogo formato)
{
    switch (formato) {
    case TFormatoCatalogo::Json: return QStringLiteral("json");
    case TFormatoCatalogo::Xlsx: return QStringLiteral("xlsx");
    case TFormatoCatalogo::Ods: return QStringLiteral("ods");
    case TFormatoCatalogo::Csv: break;
    }
    return QStringLiteral("csv");
}

std::optional<TFormatoCatalogo> formatoDaExtensao(const QString &caminho)
{
    TFormatoCatalogo f;
    if (caminho == QLatin1String("-") || !formatoPorNome(QFileInfo(caminho).suffix(), &f))
        return std::nullopt;
    return f;
}

namespace {

// What the first bytes say a file is.
enum class TConteudo { Texto, Json, Xlsx, Ods, OutroZip, ZipIlegivel, ExcelAntigo };

QString nomeArquivo(const QString &caminho)
{
    return caminho == QLatin1String("-") ? QStringLiteral("da entrada padrão") : caminho;
}

// A zip container: a workbook of Excel (xl/workbook.xml) or an OpenDocument
// spreadsheet (its first entry "mimetype" says so), else another zip.
TConteudo conteudoZip(QIODevice &dispositivo, QString *erro)
{
    QuaZip zip(&dispositivo);
    zip.setAutoClose(false);
    if (!zip.open(QuaZip::mdUnzip)) {
        *erro = QString::number(zip.getZipError());
        return TConteudo::ZipIlegivel;
    }
    TConteudo c = TConteudo::OutroZip;
    if (zip.setCurrentFile(QStringLiteral("mimetype"))) {
        QuaZipFile f(&zip);
        if (f.open(QIODevice::ReadOnly) && f.read(100).trimmed() == "application/vnd.oasis.opendocument.spreadsheet")
            c = TConteudo::Ods;
    }
    if (c == TConteudo::OutroZip && zip.setCurrentFile(QStringLiteral("xl/workbook.xml"), QuaZip::csInsensitive))
        c = TConteudo::Xlsx;
    zip.close();
    return c;
}

TConteudo conteudo(QIODevice &dispositivo, QString *erro)
{
    const QByteArray inicio = dispositivo.peek(512);
    if (inicio.startsWith("PK\x03\x04"))
        return conteudoZip(dispositivo, erro);
    // The compound file of Excel 97-2003 (and of a workbook saved with a password).
    if (inicio.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return TConteudo::ExcelAntigo;
    QByteArrayView resto(inicio);
    if (resto.startsWith("\xEF\xBB\xBF"))
        resto = resto.sliced(3);
    while (!resto.isEmpty() && QChar::isSpace(uchar(resto.front())))
        resto = resto.sliced(1);
    return resto.startsWith('{') ? TConteudo::Json : TConteudo::Texto;
}

QString descricao(TFormatoCatalogo f)
{
    switch (f) {
    case TFormatoCatalogo::Json: return QStringLiteral("um pacote JSON");
    case TFormatoCatalogo::Xlsx: return QStringLiteral("uma planilha .xlsx");
    case TFormatoCatalogo::Ods: return QStringLiteral("uma planilha .ods");
    case TFormatoCatalogo::Csv: break;
    }
    return QStringLiteral("texto (CSV)");
}

}  // namespace

TFormatoCatalogo reconheceFormato(QIODevice &dispositivo, const QString &caminho, std::optional<TFormatoCatalogo> pedido)
{
    QString erroZip;
    const TConteudo c = conteudo(dispositivo, &erroZip);
    if (!dispositivo.seek(0))
        throw Exception(QStringLiteral("não foi possível reler %1: %2.").arg(caminho, dispositivo.errorString()));
    const QString nome = nomeArquivo(caminho);
    switch (c) {
    case TConteudo::ZipIlegivel:
        throw Exception(QStringLiteral("o arquivo %1 começa como um arquivo zip (.xlsx, .ods), mas não pode ser lido: "
                                       "está corrompido ou incompleto (erro %2 do zip).")
                            .arg(nome, erroZip));
    case TConteudo::OutroZip:
        throw Exception(QStringLiteral("o arquivo %1 é um arquivo zip, mas não uma planilha .xlsx nem .ods; salve a "
                                       "planilha como .xlsx, .ods ou CSV.")
                            .arg(nome));
    case TConteudo::ExcelAntigo:
        throw Exception(QStringLiteral("o arquivo %1 é uma planilha do Excel 97-2003 (.xls) ou protegida por senha, "
                                       "que não é lida; salve-a como .xlsx, .ods ou CSV, sem senha.")
                            .arg(nome));
    case TConteudo::Xlsx:
    case TConteudo::Ods:
    case TConteudo::Json: {
        const TFormatoCatalogo e = c == TConteudo::Xlsx ? TFormatoCatalogo::Xlsx
                                   : c == TConteudo::Ods ? TFormatoCatalogo::Ods
                                                         : TFormatoCatalogo::Json;
        if (pedido && *pedido != e)
            throw Exception(QStringLiteral("o arquivo %1 é %2; importe-o sem --format %3 (ou com --format %4).")
                                .arg(nome, descricao(e), nomeFormato(*pedido), nomeFormato(e)));
        return e;
    }
    case TConteudo::Texto:
        break;
    }
    // Text: CSV, unless the option or the name asks for another kind.
    const std::optional<TFormatoCatalogo> f = pedido ? pedido : formatoDaExtensao(caminho);
    if (!f || *f == TFormatoCatalogo::Csv)
        return TFormatoCatalogo::Csv;
    const QString como = pedido ? QStringLiteral("sem --format %1").arg(nomeFormato(*f)) : QStringLiteral("com --format csv");
    if (*f == TFormatoCatalogo::Json)
        throw Exception(QStringLiteral("o arquivo %1 não é um pacote JSON (não começa com '{'); se ele é CSV, importe-o %2.")
                            .arg(nome, como));
    throw Exception(QStringLiteral("o arquivo %1 não é %2: é texto, não um arquivo zip; se ele é CSV, importe-o %3.")
                        .arg(nome, descricao(*f), como));
}
