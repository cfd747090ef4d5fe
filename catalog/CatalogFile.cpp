#include "CatalogFile.h"

#include "CatalogJson.h"
#include "CatalogSheet.h"
#include "DataPacket.h"
#include "ProductPacket.h"
#include "StoreLocale.h"

#include <QFile>
#include <QTemporaryFile>
#include <cstdio>

const QLocale &localCatalogo()
{
    static const QLocale local = [] {
        QLocale l = localLoja();  // the store's numbers, without thousands separators
        l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return l;
    }();
    return local;
}

QString textoNumero(double v)
{
    return localCatalogo().toString(v, 'f', QLocale::FloatingPointShortest);
}

bool campoCodigo(const QString &nome)
{
    static const QStringList codigos{QStringLiteral("CDPRODUTO"), QStringLiteral("CDARVPROD"),
                                     QStringLiteral("CDPRODINTE"), QStringLiteral("CDBARPRODUTO"),
                                     QStringLiteral("CDIMPOSTO")};
    return codigos.contains(nome);
}

QString campoCatalogo(const TFieldDef &campo, const QString &texto)
{
    if (campo.type == TFieldType::ftFloat)
        return campoCsv(texto);
    return campoCsv(textoSemFormula(texto), campoCodigo(campo.name));
}

QString dicaNumero(const QString &valor)
{
    if (!valor.contains(QLatin1Char('.')))
        return QString();
    QString mostrado = valor.trimmed().left(20);
    for (QChar &c : mostrado)
        if (c.category() == QChar::Other_Control || c.isSurrogate())
            c = QLatin1Char('?');  // the text goes to a terminal
    return QStringLiteral(" \"%1\": use vírgula como separador decimal e nenhum separador de milhar (ex.: 1234,5).")
        .arg(mostrado);
}

QList<int> TFonteCatalogo::colunas() const
{
    QList<int> todas;
    for (int i = 0; i < productPacketFields().size(); ++i)
        todas.append(i);
    return todas;
}

namespace {

// Spaces around a value are the spreadsheet's, not the product's: every
// value is trimmed but a name written between quotes (a name's own spaces
// survive the export, which quotes them, and the import).
QString semEspacos(int campo, const QString &valor, bool entreAspas)
{
    static const int nome = [] {
        const QList<TFieldDef> &f = productPacketFields();
        for (int i = 0; i < f.size(); ++i)
            if (f[i].name == QLatin1String("NMPRODUTO"))
                return i;
        return -1;
    }();
    return campo == nome && entreAspas ? valor : valor.trimmed();
}

QString outroSeparador(QChar sep)
{
    return QStringLiteral("o cabeçalho não tem ';': o arquivo separa as colunas com '%1', e elas devem vir separadas "
                          "por ';' (ponto e vírgula); na planilha, salve em CSV com ';' como separador de campos.")
        .arg(sep == QLatin1Char(',') ? QStringLiteral(",") : QStringLiteral("tabulação"));
}

// Why a row has values under no column name: a spreadsheet that took the
// decimal comma for a column separator when it opened a CSV ("15,9" made
// two columns), and saved the rows wider than the header.
QString explicaSeparacao()
{
    return QStringLiteral(" As linhas têm mais campos do que o cabeçalho tem nomes: a planilha tomou a vírgula decimal "
                          "por separador de colunas (\"15,9\" virou \"15\" e \"9\"). No LibreOffice Calc, abra o CSV "
                          "de novo e, na janela de importação de texto, deixe marcado só \"Ponto e vírgula\" como "
                          "separador (sem \"Vírgula\"); depois salve-o em CSV com ';'.");
}

// Whether `campos`, a row under the header `nomes`, has a value in a
// column without a name.
bool valorSemNome(const QStringList &nomes, const QStringList &campos)
{
    for (qsizetype i = 0; i < campos.size(); ++i)
        if (!campos[i].trimmed().isEmpty() && nomes.value(i).trimmed().isEmpty())
            return true;
    return false;
}

// Which packet field each column holds; unknown or repeated names are an error.
bool mapeiaCabecalho(const QStringList &nomes, QList<int> *colunas, QString *erro)
{
    const QList<TFieldDef> &campos = productPacketFields();
    QStringList desconhecidas, repetidas;
    for (const QString &nome : nomes) {
        int i = -1;
        for (int k = 0; k < campos.size() && i < 0; ++k)
            if (campos[k].name.compare(nome.trimmed(), Qt::CaseInsensitive) == 0)
                i = k;
        if (i < 0)
            desconhecidas.append(nome.trimmed().isEmpty() ? QStringLiteral("(sem nome)") : nome.left(40));
        else if (colunas->contains(i))
            repetidas.append(nome);
        colunas->append(i);
    }
    // A spreadsheet that wrote its columns with another separator: the
    // header is then one column holding the names.
    if (nomes.size() == 1)
        for (const QChar sep : {QLatin1Char(','), QLatin1Char('\t')})
            if (nomes[0].split(sep).size() > 1) {
                *erro = outroSeparador(sep);
                return false;
            }
    if (!desconhecidas.isEmpty())
        *erro = QStringLiteral("colunas desconhecidas: %1 (as colunas são os campos do pacote de produto).")
                    .arg(desconhecidas.join(QStringLiteral(", ")));
    else if (!repetidas.isEmpty())
        *erro = QStringLiteral("colunas repetidas: %1.").arg(repetidas.join(QStringLiteral(", ")));
    return erro->isEmpty();
}

[[noreturn]] void ilegivel(const QString &texto)
{
    throw Exception(texto + QStringLiteral(" Nada foi gravado."));
}

// A file read from its start as often as asked: a regular file is sought
// back; standard input or a pipe is first copied to a temporary file.
class TFonteArquivo : public TFonteCatalogo {
public:
    TFonteArquivo(const QString &caminho, std::optional<TFormatoCatalogo> formato, TCodificacao codificacao)
        : m_caminho(caminho), m_codificacao(codificacao)
    {
        const bool entrada = caminho == QLatin1String("-");
        const bool ok = entrada ? m_arquivo.open(stdin, QIODevice::ReadOnly)
                                : (m_arquivo.setFileName(caminho), m_arquivo.open(QIODevice::ReadOnly));
        if (!ok)
            ilegivel(QStringLiteral("não foi possível ler %1: %2.").arg(caminho, m_arquivo.errorString()));
        if (entrada || m_arquivo.isSequential())
            copia();
        m_dispositivo = m_copia ? static_cast<QIODevice *>(m_copia.get()) : &m_arquivo;
        try {
            m_formato = reconheceFormato(*m_dispositivo, caminho, formato);
            if (m_formato == TFormatoCatalogo::Xlsx || m_formato == TFormatoCatalogo::Ods)
                m_planilha = abrePlanilha(*m_dispositivo, m_formato, caminho);
        } catch (const Exception &e) {
            ilegivel(e.Message());
        }
        reinicia();
    }

    void reinicia() override
    {
        if (m_noInicio)
            return;
        if (m_planilha) {
            reiniciaPlanilha();
            return;
        }
        if (!m_dispositivo->seek(0))
            ilegivel(QStringLiteral("não foi possível reler %1: %2.").arg(m_caminho, m_dispositivo->errorString()));
        m_colunas.clear();
        QString erro;
        if (m_formato == TFormatoCatalogo::Csv) {
            m_json.reset();
            m_csv = std::make_unique<TLeitorCsv>(*m_dispositivo, m_codificacao);
            QStringList nomes;
            int linha = 0;
            if (!m_csv->proximo(nomes, linha)) {
                // Names between quotes, split on another separator.
                const QChar apos = m_csv->aposAspas();
                ilegivel(m_csv->erro().isEmpty() ? QStringLiteral("arquivo vazio: falta a linha de cabeçalho.")
                         : apos == QLatin1Char(',') || apos == QLatin1Char('\t') ? outroSeparador(apos)
                                                                                 : m_csv->erro());
            }
            if (!mapeiaCabecalho(nomes, &m_colunas, &erro)) {
                QStringList campos;
                for (int n = 0, linha = 0; n < 100 && m_csv->proximo(campos, linha); ++n)
                    if (valorSemNome(nomes, campos)) {
                        erro += explicaSeparacao();
                        break;
                    }
                ilegivel(erro);
            }
        } else {
            m_csv.reset();
            m_json = std::make_unique<TLeitorJson>(*m_dispositivo);
            QStringList nomes;
            try {
                for (const TFieldDef &d : m_json->campos())
                    nomes.append(d.name);
            } catch (const std::exception &e) {
                ilegivel(QStringLiteral("pacote JSON inválido: %1").arg(exceptionMessage(e)));
            }
            if (!mapeiaCabecalho(nomes, &m_colunas, &erro))
                ilegivel(erro);
        }
        m_noInicio = true;
    }

    bool proxima(TLinhaCatalogo &l) override
    {
        m_noInicio = false;
        l.recusa.clear();
        l.valores = QStringList(productPacketFields().size());
        l.colunas = 0;
        for (const int c : std::as_const(m_colunas))
            l.colunas |= 1u << c;
        return m_planilha ? proximaPlanilha(l) : m_csv ? proximaCsv(l) : proximaJson(l);
    }

    QList<int> colunas() const override { return m_colunas; }
    qint64 lidos() const override { return m_dispositivo->pos(); }
    qint64 tamanho() const override { return m_dispositivo->size(); }

private:
    void copia()
    {
        m_copia = std::make_unique<QTemporaryFile>();
        if (!m_copia->open())
            ilegivel(QStringLiteral("não foi possível criar um arquivo temporário para a entrada: %1")
                         .arg(m_copia->errorString()));
        for (;;) {
            QByteArray bytes = m_arquivo.read(1 << 16);
            if (bytes.isEmpty() && !m_arquivo.atEnd() && m_arquivo.waitForReadyRead(-1))
                bytes = m_arquivo.read(1 << 16);
            if (bytes.isEmpty())
                break;
            if (m_copia->write(bytes) != bytes.size())
                ilegivel(QStringLiteral("não foi possível copiar a entrada para %1: %2")
                             .arg(m_copia->fileName(), m_copia->errorString()));
        }
        m_arquivo.close();
    }

    bool proximaCsv(TLinhaCatalogo &l)
    {
        if (!m_csv->proximo(m_campos, l.linha, &m_aspas)) {
            if (!m_csv->erro().isEmpty())
                ilegivel(m_csv->erro());
            return false;
        }
        if (m_campos.size() != m_colunas.size()) {
            l.recusa = QStringLiteral("linha %1: a linha tem %2 campos; o cabeçalho tem %3.")
                           .arg(l.linha)
                           .arg(m_campos.size())
                           .arg(m_colunas.size());
            l.valores.clear();
            for (const QString &campo : std::as_const(m_campos))
                l.valores.append(textoDeFormula(campo));
            return true;
        }
        for (int c = 0; c < m_colunas.size(); ++c)
            l.valores[m_colunas[c]] = textoDeFormula(semEspacos(m_colunas[c], m_campos[c], m_aspas[c]));
        return true;
    }

    // The header is the first row holding a value.
    void reiniciaPlanilha()
    {
        m_colunas.clear();
        try {
            m_planilha->reinicia();
            TLinhaPlanilha cabecalho;
            if (!m_planilha->proxima(cabecalho))
                ilegivel(QStringLiteral("planilha vazia: falta a linha de cabeçalho."));
            if (cabecalho.celulas.size() > TLeitorCsv::kMaxCampos)
                ilegivel(QStringLiteral("linha %1: mais de %2 colunas no cabeçalho.")
                             .arg(cabecalho.linha)
                             .arg(TLeitorCsv::kMaxCampos));
            QString erro;
            if (!mapeiaCabecalho(cabecalho.celulas, &m_colunas, &erro)) {
                TLinhaPlanilha l;
                for (int n = 0; n < 100 && m_planilha->proxima(l); ++n)
                    if (valorSemNome(cabecalho.celulas, l.celulas)) {
                        erro += explicaSeparacao();
                        break;
                    }
                ilegivel(erro);
            }
            m_planilha->limita(int(m_colunas.size()));
        } catch (const EPlanilha &e) {
            ilegivel(e.Message());
        }
        m_noInicio = true;
    }

    // A text cell is read as a CSV field between quotes (a name keeps its
    // spaces); its "'" before a formula's character is taken off, as a
    // sheet made from an exported CSV holds it.
    bool proximaPlanilha(TLinhaCatalogo &l)
    {
        TLinhaPlanilha p;
        try {
            if (!m_planilha->proxima(p))
                return false;
        } catch (const EPlanilha &e) {
            ilegivel(e.Message());
        }
        l.linha = p.linha;
        if (!p.alem.isEmpty()) {
            l.recusa = QStringLiteral("linha %1: a célula %2 tem um valor fora das %3 colunas do cabeçalho.")
                           .arg(l.linha)
                           .arg(p.alem)
                           .arg(m_colunas.size())
                       + explicaSeparacao();
            l.valores = p.celulas;
            return true;
        }
        for (int c = 0; c < m_colunas.size(); ++c)
            l.valores[m_colunas[c]] = textoDeFormula(semEspacos(m_colunas[c], p.celulas.value(c), p.textos.value(c)));
        return true;
    }

    bool proximaJson(TLinhaCatalogo &l)
    {
        QVariantList valores;
        try {
            if (!m_json->proxima(valores))
                return false;
        } catch (const std::exception &e) {
            ilegivel(QStringLiteral("pacote JSON inválido: %1").arg(exceptionMessage(e)));
        }
        l.linha = m_json->linha();
        for (int c = 0; c < m_colunas.size(); ++c) {
            const QVariant &v = valores.at(c);
            if (v.isValid())
                l.valores[m_colunas[c]] = v.metaType().id() == QMetaType::Double ? textoNumero(v.toDouble())
                                                                                 : semEspacos(m_colunas[c], v.toString(), true);
        }
        return true;
    }

    QString m_caminho;
    TFormatoCatalogo m_formato = TFormatoCatalogo::Csv;
    TCodificacao m_codificacao;
    QFile m_arquivo;
    std::unique_ptr<QTemporaryFile> m_copia;
    QIODevice *m_dispositivo = nullptr;
    std::unique_ptr<TLeitorCsv> m_csv;
    std::unique_ptr<TLeitorJson> m_json;
    std::unique_ptr<TLeitorPlanilha> m_planilha;
    QList<int> m_colunas;
    QStringList m_campos;
    QList<bool> m_aspas;  // of each field of m_campos: written between quotes
    bool m_noInicio = false;
};

}  // namespace

std::unique_ptr<TFonteCatalogo> abreCatalogo(const QString &caminho, std::optional<TFormatoCatalogo> formato,
                                             TCodificacao codificacao)
{
    return std::make_unique<TFonteArquivo>(caminho, formato, codificacao);
}
