// The exported catalogue entries: arguments taken from UTF-16, the data
// module reached through its global instance, no exception let out.
#include "Cat_qul00002.h"

#include "CatalogBackup.h"
#include "CatalogExport.h"
#include "CatalogImport.h"
#include "ServiceCall.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QVariantMap>

namespace {

void opcoes(const char16_t *format, const char16_t *encoding, std::optional<TFormatoCatalogo> *formato,
            TCodificacao *codificacao)
{
    const QString f = argText(format), c = argText(encoding);
    TFormatoCatalogo lido;
    if (!f.isEmpty() && !formatoPorNome(f, &lido))
        throw Exception(QStringLiteral("formato desconhecido: %1 (csv, json, xlsx ou ods).").arg(f));
    if (!f.isEmpty())
        *formato = lido;
    if (!c.isEmpty() && !codificacaoPorNome(c, codificacao))
        throw Exception(QStringLiteral("codificação desconhecida: %1 (utf8 ou cp1252).").arg(c));
}

QString mensagem(const std::exception &e)
{
    return ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
}

// An entry's body run as a read service: `corpo(formato, codificacao)`
// gives the summary, to which the seconds it took are added. `formato` is
// the one asked for, if any.
template <typename Corpo>
int32_t entrada(QVariant *out, const char16_t *format, const char16_t *encoding, Corpo corpo,
                const std::source_location onde = std::source_location::current())
{
    return readService(
        out,
        [&] {
            std::optional<TFormatoCatalogo> formato;
            TCodificacao codificacao = TCodificacao::Utf8;
            opcoes(format, encoding, &formato, &codificacao);
            QElapsedTimer relogio;
            relogio.start();
            QVariantMap resumo = corpo(formato, codificacao);
            resumo.insert(QStringLiteral("segundos"), relogio.elapsed() / 1000.0);
            return QVariant(resumo);
        },
        mensagem, onde);
}

// An import through any of the entries: the older ones give `progresso`
// (rows written) and keep no copy; QulImportaProdutosCopia gives
// `acompanhamento`. A report or copy named as the file imported is refused:
// it would be written over the file.
int32_t importa(const char16_t *file, const char16_t *format, const char16_t *encoding, const char16_t *report,
                int32_t opcoes, const TProgressoImportacao &progresso, TAcompanhamento acompanhamento, QVariant *out,
                const std::source_location onde = std::source_location::current())
{
    const QString arquivo = argText(file), relatorio = argText(report);
    return entrada(out, format, encoding, [&](std::optional<TFormatoCatalogo> formato, TCodificacao codificacao) {
        constexpr int32_t conhecidas = QUL_IMPORTA_SO_VERIFICA | QUL_IMPORTA_INSERIR_AUSENTES | QUL_IMPORTA_AJUSTAR_NOMES;
        if (opcoes & ~conhecidas)
            throw Exception(QStringLiteral("opções de importação desconhecidas: %1.").arg(opcoes & ~conhecidas));
        for (const QString &saida : {relatorio, acompanhamento.copia})
            if (const QFileInfo i(saida), a(arquivo);
                !saida.isEmpty() && i.exists() && a.exists() && i.canonicalFilePath() == a.canonicalFilePath())
                throw Exception(QStringLiteral("o relatório (--relatorio) e a cópia (--copia) não podem ser o arquivo "
                                               "importado, %1. Nada foi gravado.")
                                    .arg(arquivo));
        const std::unique_ptr<TFonteCatalogo> fonte = abreCatalogo(arquivo, formato, codificacao);
        acompanhamento.previa = relatorio;
        const TResumoImportacao r = importaCatalogo(
            dataModule(), *fonte, opcoes & QUL_IMPORTA_SO_VERIFICA, progresso,
            {bool(opcoes & QUL_IMPORTA_INSERIR_AUSENTES), bool(opcoes & QUL_IMPORTA_AJUSTAR_NOMES)}, acompanhamento);
        if (!relatorio.isEmpty() && !r.recusas.isEmpty())  // else the changes are there
            escreveRelatorio(relatorio, *fonte, r.recusas);
        return QVariantMap{{QStringLiteral("inseridos"), r.inseridos},
                           {QStringLiteral("alterados"), r.alterados},
                           {QStringLiteral("inalterados"), r.inalterados},
                           {QStringLiteral("recusados"), int(r.recusas.size())},
                           {QStringLiteral("recusas"), r.recusas},
                           {QStringLiteral("ajustes"), r.ajustes},
                           {QStringLiteral("campos"), r.porCampo},
                           {QStringLiteral("novos"), r.novos},
                           {QStringLiteral("copia"), r.copia},
                           {QStringLiteral("avisos"), r.avisos}};
    }, onde);
}

}  // namespace

extern "C" int32_t QulExportaProdutosProgresso(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                               TQulProgressoExportacao progress, void *context, QVariant *out)
{
    const QString arquivo = argText(file);
    return entrada(out, format, encoding, [&](std::optional<TFormatoCatalogo> formato, TCodificacao codificacao) {
        // Without one, the format the file's name ends in; CSV for another name.
        const TFormatoCatalogo f = formato.value_or(formatoDaExtensao(arquivo).value_or(TFormatoCatalogo::Csv));
        const qint64 produtos = exportaCatalogo(dataModule(), arquivo, f, codificacao, [&](qint64 feitos) {
            if (progress)
                progress(feitos, context);
        });
        return QVariantMap{{QStringLiteral("produtos"), produtos}};
    });
}

extern "C" int32_t QulExportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      QVariant *out)
{
    return QulExportaProdutosProgresso(file, format, encoding, nullptr, nullptr, out);
}

extern "C" int32_t QulImportaProdutosCopia(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                           const char16_t *report, const char16_t *copia, int32_t opcoes,
                                           TQulEtapaImportacao progress, void *context, QVariant *out)
{
    TAcompanhamento a;
    a.copia = argText(copia);
    if (a.copia.isEmpty())
        a.copia = caminhoCopia(argText(file), QDateTime::currentDateTime());
    if (progress)
        a.progresso = [progress, context](TEtapaImportacao etapa, qint64 feitos, qint64 total) {
            progress(int32_t(etapa), feitos, total, context);
        };
    return importa(file, format, encoding, report, opcoes, {}, a, out);
}

extern "C" int32_t QulImportaProdutosOpcoes(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                            const char16_t *report, int32_t opcoes,
                                            TQulProgressoImportacao progress, void *context, QVariant *out)
{
    return importa(
        file, format, encoding, report, opcoes,
        [&](qint64 feitas, qint64 total) {
            if (progress)
                progress(feitas, total, context);
        },
        {}, out);
}

extern "C" int32_t QulImportaProdutosRelatorio(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                               const char16_t *report, int32_t checkOnly,
                                               TQulProgressoImportacao progress, void *context, QVariant *out)
{
    return QulImportaProdutosOpcoes(file, format, encoding, report, checkOnly != 0 ? QUL_IMPORTA_SO_VERIFICA : 0,
                                    progress, context, out);
}

extern "C" int32_t QulImportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      int32_t checkOnly, TQulProgressoImportacao progress, void *context,
                                      QVariant *out)
{
    return QulImportaProdutosRelatorio(file, format, encoding, nullptr, checkOnly, progress, context, out);
}
