#include "CatalogBackup.h"

#include "CatalogExport.h"
#include "Exceptions.h"
#include "ProductPacket.h"

#include <QDir>
#include <QFileInfo>

TCopiaImportacao::TCopiaImportacao(const QString &caminho) : m_caminho(caminho) {}

TCopiaImportacao::~TCopiaImportacao() = default;

void TCopiaImportacao::recomeca()
{
    m_arquivo.reset();  // what was written disappears
    m_erro.clear();
    m_produtos = 0;
}

void TCopiaImportacao::guarda(const QVariantList &guardado)
{
    ++m_produtos;
    if (!m_erro.isEmpty())
        return;
    try {
        if (!m_arquivo) {
            m_arquivo = std::make_unique<TArquivoCsv>(m_caminho);
            m_arquivo->linha(cabecalhoCsv(productPacketFields()));
        }
        m_arquivo->linha(linhaCsv(productPacketFields(), guardado));
    } catch (const Exception &e) {
        m_erro = e.Message();
        m_arquivo.reset();
    }
}

void TCopiaImportacao::conclui()
{
    try {
        if (m_erro.isEmpty() && m_arquivo)
            m_arquivo->fecha();
    } catch (const Exception &e) {
        m_erro = e.Message();
    }
    if (!m_erro.isEmpty())
        throw Exception(QStringLiteral("%1%2 A cópia dos produtos a alterar é gravada antes da importação; nada foi "
                                       "gravado. Escolha outro arquivo com --copia.")
                            .arg(m_erro, m_erro.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")));
}

QString caminhoCopia(const QString &arquivo, const QDateTime &quando)
{
    const QDir pasta = arquivo == QLatin1String("-") ? QDir::current() : QFileInfo(arquivo).absoluteDir();
    const QString base = QStringLiteral("qul-antes-") + quando.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString caminho = pasta.filePath(base + QStringLiteral(".csv"));
    for (int n = 2; QFileInfo::exists(caminho) || QFileInfo(caminho).isSymLink(); ++n)
        caminho = pasta.filePath(base + QStringLiteral("-%1.csv").arg(n));
    return caminho;
}
