#include "CatalogExport.h"

#include "Cp1252.h"
#include "ProductList.h"
#include "ProductPacket.h"
#include "SheetWrite.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What is at the destination (nothing: empty), refused when it is a
// symbolic link of another user: in a folder others can write to, such a
// link would send the export over a file of the user exporting (the
// kernel's protected_symlinks refuses to follow it for the same reason).
std::optional<struct stat> linkPermitido(const QString &caminho)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(caminho).constData(), &st) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode) && st.st_uid != ::geteuid())
        throw Exception(QStringLiteral("não foi possível gravar %1: é um link simbólico de outro usuário; "
                                       "apague-o ou escolha outro destino.")
                            .arg(caminho));
    return st;
}

// Bytes to a file through a buffer of its own; a failed write raises. A
// named file appears only whole, when fecha() is reached (until then the
// text goes to a temporary file beside it); "-" is standard output.
class TSaida {
public:
    explicit TSaida(const QString &caminho) : m_caminho(caminho)
    {
        bool ok;
        if (caminho == QLatin1String("-")) {
            auto *f = new QFile;
            m_arquivo.reset(f);
            ok = f->open(stdout, QIODevice::WriteOnly);
        } else {
            const std::optional<struct stat> antes = linkPermitido(caminho);
            auto *f = new QSaveFile(caminho);
            m_arquivo.reset(f);
            ok = f->open(QIODevice::WriteOnly);
            // The destination as the save file found it: the same one.
            const std::optional<struct stat> depois = ok ? linkPermitido(caminho) : std::nullopt;
            if (ok && (antes.has_value() != depois.has_value()
                       || (antes && (antes->st_dev != depois->st_dev || antes->st_ino != depois->st_ino)))) {
                f->cancelWriting();
                throw Exception(QStringLiteral("não foi possível gravar %1: o destino foi trocado enquanto era aberto.")
                                    .arg(caminho));
            }
        }
        if (!ok)
            throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(caminho, m_arquivo->errorString()));
    }
    void escreve(const char *bytes, qsizetype n)
    {
        m_buffer.append(bytes, n);
        if (m_buffer.size() >= (1 << 16))
            descarrega();
    }
    void escreve(const QByteArray &b) { escreve(b.constData(), b.size()); }
    void descarrega()
    {
        if (!m_buffer.isEmpty() && m_arquivo->write(m_buffer) != m_buffer.size())
            throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, m_arquivo->errorString()));
        m_buffer.clear();
    }
    void fecha()
    {
        descarrega();
        auto *salvo = qobject_cast<QSaveFile *>(m_arquivo.get());
        const bool ok = salvo ? salvo->commit() : static_cast<QFile *>(m_arquivo.get())->flush();
        if (!ok)
            throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, m_arquivo->errorString()));
    }

private:
    QString m_caminho;
    std::unique_ptr<QFileDevice> m_arquivo;
    QByteArray m_buffer;
};

QString textoValor(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    return v.metaType().id() == QMetaType::Double ? textoNumero(v.toDouble()) : v.toString();
}

// A product whose text code page 1252 cannot hold, checked before a byte is written.
void verificaCp1252(const TDataPacket &p)
{
    for (const QVariantList &linha : p.rows)
        for (qsizetype i = 0; i < linha.size(); ++i)
            if (linha[i].metaType().id() == QMetaType::QString)
                for (const QChar c : linha[i].toString()) {
                    bool ok = false;
                    unicodeToCp1252(c, &ok);
                    if (!ok)
                        throw Exception(QStringLiteral("o produto %1 tem no campo %2 um caractere que cp1252 não tem "
                                                       "(U+%3); exporte em UTF-8.")
                                            .arg(linha.value(0).toString(), p.fields[i].name)
                                            .arg(c.unicode(), 4, 16, QLatin1Char('0')));
                }
}

// A refusal's line, column (empty: the row as a whole) and text.
struct TRecusaLida {
    int linha = 0;
    QString coluna, texto;
};

TRecusaLida leRecusa(const QString &recusa)
{
    TRecusaLida r;
    r.texto = recusa;
    if (!recusa.startsWith(QLatin1String("linha ")))
        return r;
    const qsizetype fim = recusa.indexOf(QLatin1String(": "));
    r.linha = recusa.mid(6, fim - 6).toInt();
    r.texto = recusa.mid(fim + 2);
    const qsizetype campo = r.texto.indexOf(QLatin1String(": "));
    for (const TFieldDef &f : productPacketFields())
        if (campo > 0 && r.texto.left(campo) == f.name) {
            r.coluna = f.name;
            r.texto = r.texto.mid(campo + 2);
            break;
        }
    return r;
}

void escreveCsv(const TDataPacket &p, TSaida &saida, TCodificacao codificacao)
{
    const auto bytes = [codificacao](const QString &s) {
        return codificacao == TCodificacao::Utf8 ? s.toUtf8() : stringToCp1252(s);
    };
    if (codificacao == TCodificacao::Utf8)
        saida.escreve("\xEF\xBB\xBF", 3);
    saida.escreve(bytes(cabecalhoCsv(p.fields) + QStringLiteral("\r\n")));
    QString linha;
    for (const QVariantList &r : p.rows) {
        linha = linhaCsv(p.fields, r);
        linha += QStringLiteral("\r\n");
        saida.escreve(bytes(linha));
    }
}

// A spreadsheet, made by its writer in a temporary file (in TMPDIR: the
// writers take a file's name), then copied to the destination as any
// export is written.
void escrevePlanilha(const TDataPacket &p, TSaida &saida, TFormatoCatalogo formato)
{
    QTemporaryFile temporario(QDir::tempPath() + QStringLiteral("/qul-exportacao-XXXXXX.") + nomeFormato(formato));
    if (!temporario.open())
        throw Exception(QStringLiteral("não foi possível criar um arquivo temporário para a planilha: %1")
                            .arg(temporario.errorString()));
    (formato == TFormatoCatalogo::Xlsx ? escreveXlsx : escreveOds)(p, temporario.fileName());
    QFile feita(temporario.fileName());
    if (!feita.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("não foi possível reler a planilha feita em %1: %2")
                            .arg(feita.fileName(), feita.errorString()));
    for (QByteArray bytes; !(bytes = feita.read(1 << 16)).isEmpty();)
        saida.escreve(bytes);
    if (feita.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("não foi possível reler a planilha feita em %1: %2")
                            .arg(feita.fileName(), feita.errorString()));
}

}  // namespace

QString cabecalhoCsv(const QList<TFieldDef> &campos)
{
    QStringList nomes;
    for (const TFieldDef &f : campos)
        nomes.append(campoCsv(f.name));
    return nomes.join(QLatin1Char(';'));
}

QString linhaCsv(const QList<TFieldDef> &campos, const QVariantList &valores)
{
    QString linha;
    for (qsizetype i = 0; i < valores.size(); ++i) {
        if (i > 0)
            linha += QLatin1Char(';');
        linha += campoCatalogo(campos[i], textoValor(valores[i]));
    }
    return linha;
}

struct TArquivoCsv::TDados {
    TSaida saida;
};

TArquivoCsv::TArquivoCsv(const QString &caminho) : d(new TDados{TSaida(caminho)})
{
    d->saida.escreve("\xEF\xBB\xBF", 3);
}

TArquivoCsv::~TArquivoCsv() = default;

void TArquivoCsv::linha(const QString &texto)
{
    d->saida.escreve((texto + QStringLiteral("\r\n")).toUtf8());
}

void TArquivoCsv::fecha()
{
    d->saida.fecha();
}

qint64 exportaCatalogo(TrdmCadProd &dm, const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao)
{
    const TDataPacket p = readProductList(dm, QStringLiteral("T"));
    if (formato == TFormatoCatalogo::Csv && codificacao == TCodificacao::Cp1252)
        verificaCp1252(p);
    if (formato == TFormatoCatalogo::Xlsx || formato == TFormatoCatalogo::Ods)
        verificaTamanho(p);
    TSaida saida(caminho);
    if (formato == TFormatoCatalogo::Csv)
        escreveCsv(p, saida, codificacao);
    else if (formato == TFormatoCatalogo::Json)
        p.writeJsonText([&saida](const char *b, qsizetype n) { saida.escreve(b, n); });
    else
        escrevePlanilha(p, saida, formato);
    if (formato == TFormatoCatalogo::Json)
        saida.escreve("\n", 1);
    saida.fecha();
    return p.rows.size();
}

void escreveRelatorio(const QString &caminho, TFonteCatalogo &fonte, const QStringList &recusas)
{
    const QList<TFieldDef> &campos = productPacketFields();
    const QList<int> colunas = fonte.colunas();
    TSaida saida(caminho);
    QString linha = QStringLiteral("\xFEFFlinha;coluna;texto");
    for (const int c : colunas)
        linha += QLatin1Char(';') + campoCsv(campos[c].name);
    saida.escreve((linha + QStringLiteral("\r\n")).toUtf8());
    fonte.reinicia();
    TLinhaCatalogo l;
    bool haLinha = fonte.proxima(l);
    for (const QString &recusa : recusas) {
        const TRecusaLida r = leRecusa(recusa);
        while (haLinha && l.linha < r.linha)
            haLinha = fonte.proxima(l);
        linha = QString::number(r.linha) + QLatin1Char(';') + r.coluna + QLatin1Char(';') + campoCsv(r.texto);
        if (haLinha && l.linha == r.linha) {
            // A row refused as read holds its fields as they came, as many as there were.
            const bool porCampo = l.recusa.isEmpty();
            for (qsizetype i = 0; i < (porCampo ? colunas.size() : l.valores.size()); ++i) {
                const TFieldDef simples{QString(), TFieldType::ftString, 0};
                const TFieldDef &f = i < colunas.size() ? campos[colunas[i]] : simples;
                linha += QLatin1Char(';') + campoCatalogo(f, l.valores.value(porCampo ? colunas[i] : i));
            }
        }
        saida.escreve((linha + QStringLiteral("\r\n")).toUtf8());
    }
    saida.fecha();
}
