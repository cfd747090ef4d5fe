// The exported catalogue entries: arguments taken from UTF-16, the data
// module reached through its global instance, no exception let out.
#include "Cat_qul00002.h"

#include "CatalogExport.h"
#include "CatalogImport.h"
#include "ServiceCall.h"

#include <QElapsedTimer>
#include <QVariantMap>

namespace {

void opcoes(const char16_t *format, const char16_t *encoding, TFormatoCatalogo *formato, TCodificacao *codificacao)
{
    const QString f = argText(format), c = argText(encoding);
    if (!f.isEmpty() && !formatoPorNome(f, formato))
        throw Exception(QStringLiteral("formato desconhecido: %1 (csv ou json).").arg(f));
    if (!c.isEmpty() && !codificacaoPorNome(c, codificacao))
        throw Exception(QStringLiteral("codificação desconhecida: %1 (utf8 ou cp1252).").arg(c));
}

QString mensagem(const std::exception &e)
{
    return ADOExceptionMessage(e, rdmCadProd ? rdmCadProd->adcCadProd : nullptr, QString());
}

}  // namespace

extern "C" int32_t QulExportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      QVariant *out)
{
    const QString arquivo = argText(file);
    return readService(
        out,
        [&] {
            TFormatoCatalogo formato = TFormatoCatalogo::Csv;
            TCodificacao codificacao = TCodificacao::Utf8;
            opcoes(format, encoding, &formato, &codificacao);
            QElapsedTimer relogio;
            relogio.start();
            const qint64 n = exportaCatalogo(dataModule(), arquivo, formato, codificacao);
            return QVariant(QVariantMap{{QStringLiteral("produtos"), n},
                                        {QStringLiteral("segundos"), relogio.elapsed() / 1000.0}});
        },
        mensagem);
}

extern "C" int32_t QulImportaProdutos(const char16_t *file, const char16_t *format, const char16_t *encoding,
                                      int32_t checkOnly, TQulProgressoImportacao progress, void *context,
                                      QVariant *out)
{
    const QString arquivo = argText(file);
    return readService(
        out,
        [&] {
            TFormatoCatalogo formato = TFormatoCatalogo::Csv;
            TCodificacao codificacao = TCodificacao::Utf8;
            opcoes(format, encoding, &formato, &codificacao);
            QElapsedTimer relogio;
            relogio.start();
            const TArquivoCatalogo a = leCatalogo(arquivo, formato, codificacao);
            if (!a.erro.isEmpty())
                throw Exception(a.erro + QStringLiteral(" Nada foi gravado."));
            const TResumoImportacao r = importaCatalogo(
                dataModule(), a, checkOnly != 0,
                [&](qint64 feitas, qint64 total) {
                    if (progress)
                        progress(feitas, total, context);
                });
            return QVariant(QVariantMap{{QStringLiteral("inseridos"), r.inseridos},
                                        {QStringLiteral("alterados"), r.alterados},
                                        {QStringLiteral("recusados"), int(r.recusas.size())},
                                        {QStringLiteral("recusas"), r.recusas},
                                        {QStringLiteral("segundos"), relogio.elapsed() / 1000.0}});
        },
        mensagem);
}
