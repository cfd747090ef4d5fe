#include "CatalogFile.h"

#include "DataPacket.h"
#include "ProductPacket.h"

#include <QFile>
#include <QJsonDocument>
#include <cstdio>

bool formatoPorNome(const QString &nome, TFormatoCatalogo *out)
{
    const QString n = nome.toLower();
    if (n == QLatin1String("csv"))
        *out = TFormatoCatalogo::Csv;
    else if (n == QLatin1String("json"))
        *out = TFormatoCatalogo::Json;
    else
        return false;
    return true;
}

const QLocale &localCatalogo()
{
    static const QLocale local = [] {
        QLocale l(QLocale::Portuguese, QLocale::Brazil);
        l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return l;
    }();
    return local;
}

QString textoNumero(double v)
{
    return localCatalogo().toString(v, 'f', QLocale::FloatingPointShortest);
}

namespace {

bool abre(QFile &f, const QString &caminho, QString *erro)
{
    const bool ok = caminho == QLatin1String("-") ? f.open(stdin, QIODevice::ReadOnly)
                                                  : (f.setFileName(caminho), f.open(QIODevice::ReadOnly));
    if (!ok)
        *erro = QStringLiteral("não foi possível ler %1: %2").arg(caminho, f.errorString());
    return ok;
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
    if (!desconhecidas.isEmpty())
        *erro = QStringLiteral("colunas desconhecidas: %1 (as colunas são os campos do pacote de produto).")
                    .arg(desconhecidas.join(QStringLiteral(", ")));
    else if (!repetidas.isEmpty())
        *erro = QStringLiteral("colunas repetidas: %1.").arg(repetidas.join(QStringLiteral(", ")));
    return erro->isEmpty();
}

void leCsv(QFile &f, TCodificacao codificacao, TArquivoCatalogo &a)
{
    TLeitorCsv leitor(f, codificacao);
    QStringList campos;
    int linha = 0;
    if (!leitor.proximo(campos, linha)) {
        a.erro = leitor.erro().isEmpty() ? QStringLiteral("arquivo vazio: falta a linha de cabeçalho.") : leitor.erro();
        return;
    }
    QList<int> colunas;
    if (!mapeiaCabecalho(campos, &colunas, &a.erro))
        return;
    const int nCampos = int(productPacketFields().size());
    while (leitor.proximo(campos, linha)) {
        if (campos.size() != colunas.size()) {
            a.recusas.append(QStringLiteral("linha %1: a linha tem %2 campos; o cabeçalho tem %3.")
                                 .arg(linha)
                                 .arg(campos.size())
                                 .arg(colunas.size()));
            continue;
        }
        TLinhaCatalogo l;
        l.linha = linha;
        l.valores = QList<QString>(nCampos);
        for (int c = 0; c < colunas.size(); ++c)
            l.valores[colunas[c]] = campos[c];
        a.linhas.append(std::move(l));
    }
    if (!leitor.erro().isEmpty())
        a.erro = leitor.erro();
}

void leJson(QFile &f, TArquivoCatalogo &a)
{
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &e);
    if (!doc.isObject()) {
        a.erro = QStringLiteral("pacote JSON inválido: %1")
                     .arg(e.error == QJsonParseError::NoError ? QStringLiteral("não é um objeto") : e.errorString());
        return;
    }
    TDataPacket p;
    try {
        p = TDataPacket::fromJson(doc.object());
    } catch (const std::exception &ex) {
        a.erro = QStringLiteral("pacote JSON inválido: %1").arg(exceptionMessage(ex));
        return;
    }
    QStringList nomes;
    for (const TFieldDef &d : std::as_const(p.fields))
        nomes.append(d.name);
    QList<int> colunas;
    if (!mapeiaCabecalho(nomes, &colunas, &a.erro))
        return;
    const int nCampos = int(productPacketFields().size());
    for (int r = 0; r < p.rows.size(); ++r) {
        TLinhaCatalogo l;
        l.linha = r + 1;
        l.valores = QList<QString>(nCampos);
        for (int c = 0; c < colunas.size(); ++c) {
            const QVariant &v = p.rows[r].at(c);
            const int tipo = v.metaType().id();
            if (!v.isValid())
                continue;
            l.valores[colunas[c]] = tipo == QMetaType::Double ? textoNumero(v.toDouble()) : v.toString();
        }
        a.linhas.append(std::move(l));
    }
}

}  // namespace

TArquivoCatalogo leCatalogo(const QString &caminho, TFormatoCatalogo formato, TCodificacao codificacao)
{
    TArquivoCatalogo a;
    QFile f;
    if (!abre(f, caminho, &a.erro))
        return a;
    if (formato == TFormatoCatalogo::Csv)
        leCsv(f, codificacao, a);
    else
        leJson(f, a);
    return a;
}
