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

// What `arquivo` holds from where it is, to `escreve` a piece at a time.
void copiaArquivo(QFileDevice &arquivo, const std::function<void(const QByteArray &)> &escreve)
{
    for (QByteArray bytes; !(bytes = arquivo.read(1 << 16)).isEmpty();)
        escreve(bytes);
    if (arquivo.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("não foi possível reler %1: %2").arg(arquivo.fileName(), arquivo.errorString()));
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
            // Standard output gets the text whole too, copied at fecha()
            // from a temporary file (in TMPDIR): a product refused half-way
            // leaves nothing there.
            auto *f = new QTemporaryFile(QDir::tempPath() + QStringLiteral("/qul-exportacao-XXXXXX"));
            m_arquivo.reset(f);
            ok = f->open();
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
        if (auto *salvo = qobject_cast<QSaveFile *>(m_arquivo.get())) {
            if (!salvo->commit())
                throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, salvo->errorString()));
            return;
        }
        QFile saida;
        if (!m_arquivo->seek(0) || !saida.open(stdout, QIODevice::WriteOnly))
            throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, m_arquivo->errorString()));
        copiaArquivo(*m_arquivo, [&saida, this](const QByteArray &b) {
            if (saida.write(b) != b.size())
                throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, saida.errorString()));
        });
        if (!saida.flush())
            throw Exception(QStringLiteral("não foi possível gravar %1: %2").arg(m_caminho, saida.errorString()));
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

// A product whose text code page 1252 cannot hold.
void verificaCp1252(const QList<TFieldDef> &campos, const QVariantList &linha)
{
    for (qsizetype i = 0; i < linha.size(); ++i)
        if (linha[i].metaType().id() == QMetaType::QString)
            for (const QChar c : *static_cast<const QString *>(linha[i].constData())) {
                bool ok = c.unicode() < 0x80;
                if (!ok)
                    unicodeToCp1252(c, &ok);
                if (!ok)
                    throw Exception(QStringLiteral("o produto %1 tem no campo %2 um caractere que cp1252 não tem "
                                                   "(U+%3); exporte em UTF-8.")
                                        .arg(linha.value(0).toString(), campos[i].name)
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


// The list in one format, written a product at a time as the list's
// reading hands them over.
class TEscritaLista {
public:
    virtual ~TEscritaLista() = default;
    virtual void linha(const QVariantList &valores) = 0;
    virtual void fecha() = 0;
};

class TEscritaCsv : public TEscritaLista {
public:
    TEscritaCsv(const QList<TFieldDef> &campos, TSaida &saida, TCodificacao codificacao)
        : m_campos(campos), m_saida(saida), m_codificacao(codificacao)
    {
        if (codificacao == TCodificacao::Utf8)
            saida.escreve("\xEF\xBB\xBF", 3);
        escreve(cabecalhoCsv(campos));
    }
    void linha(const QVariantList &valores) override
    {
        if (m_codificacao == TCodificacao::Cp1252)
            verificaCp1252(m_campos, valores);
        escreve(linhaCsv(m_campos, valores));
    }
    void fecha() override {}

private:
    void escreve(QString linha)
    {
        linha += QStringLiteral("\r\n");
        m_saida.escreve(m_codificacao == TCodificacao::Utf8 ? linha.toUtf8() : stringToCp1252(linha));
    }

    const QList<TFieldDef> &m_campos;
    TSaida &m_saida;
    const TCodificacao m_codificacao;
};

class TEscritaJson : public TEscritaLista {
public:
    TEscritaJson(const QList<TFieldDef> &campos, TSaida &saida)
        : m_saida(saida), m_json(campos, [&saida](const char *b, qsizetype n) { saida.escreve(b, n); })
    {
    }
    void linha(const QVariantList &valores) override { m_json.row(valores); }
    void fecha() override
    {
        m_json.finish();
        m_saida.escreve("\n", 1);
    }

private:
    TSaida &m_saida;
    TPacketJsonWriter m_json;
};

// A spreadsheet, made by its writer in a temporary file (in TMPDIR: the
// writers take a file's name), then copied to the destination as any
// export is written.
class TEscritaPlanilhaLista : public TEscritaLista {
public:
    TEscritaPlanilhaLista(const QList<TFieldDef> &campos, TSaida &saida, TFormatoCatalogo formato)
        : m_saida(saida),
          m_temporario(QDir::tempPath() + QStringLiteral("/qul-exportacao-XXXXXX.") + nomeFormato(formato))
    {
        if (!m_temporario.open())
            throw Exception(QStringLiteral("não foi possível criar um arquivo temporário para a planilha: %1")
                                .arg(m_temporario.errorString()));
        m_folha = (formato == TFormatoCatalogo::Xlsx ? novaEscritaXlsx : novaEscritaOds)(campos, m_temporario.fileName());
    }
    void linha(const QVariantList &valores) override { m_folha->linha(valores); }
    void fecha() override
    {
        m_folha->fecha();
        QFile feita(m_temporario.fileName());
        if (!feita.open(QIODevice::ReadOnly))
            throw Exception(QStringLiteral("não foi possível reler a planilha feita em %1: %2")
                                .arg(feita.fileName(), feita.errorString()));
        copiaArquivo(feita, [this](const QByteArray &b) { m_saida.escreve(b); });
    }

private:
    TSaida &m_saida;
    QTemporaryFile m_temporario;
    std::unique_ptr<TEscritaPlanilha> m_folha;
};

std::unique_ptr<TEscritaLista> novaEscrita(const QList<TFieldDef> &campos, TSaida &saida, TFormatoCatalogo formato,
                                           TCodificacao codificacao)
{
    switch (formato) {
    case TFormatoCatalogo::Csv: return std::make_unique<TEscritaCsv>(campos, saida, codificacao);
    case TFormatoCatalogo::Json: return std::make_unique<TEscritaJson>(campos, saida);
    default: return std::make_unique<TEscritaPlanilhaLista>(campos, saida, formato);
    }
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

qint64 exportaCatalogo(TrdmCadProd &dm, const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao,
                       const std::function<void(qint64 produtos)> &progresso)
{
    // Nothing of the list is held: each product is written as its
    // statement's row comes, and the destination appears only whole.
    const QList<TFieldDef> &campos = productPacketFields();
    TSaida saida(caminho);
    const std::unique_ptr<TEscritaLista> escrita = novaEscrita(campos, saida, formato, codificacao);
    qint64 produtos = 0;
    streamProductList(dm, QStringLiteral("T"), [&](const QVariantList &linha) {
        escrita->linha(linha);
        if (++produtos % 1000 == 0 && progresso)
            progresso(produtos);
    });
    escrita->fecha();
    saida.fecha();
    if (progresso)
        progresso(produtos);
    return produtos;
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
