#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>

QString ModuleLoader::defaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libqul00002.so"));
}

bool ModuleLoader::load(const QString &path)
{
    const QString p = path.isEmpty() ? defaultPath() : path;
    m_library.setFileName(p);
    m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!m_library.load()) {
        m_error = QStringLiteral("Não foi possível carregar o módulo %1: %2").arg(p, m_library.errorString());
        return false;
    }
    return true;
}

QFunctionPointer ModuleLoader::resolve(const char *name)
{
    if (!m_library.isLoaded()) {
        m_error = QStringLiteral("Módulo não carregado.");
        return nullptr;
    }
    const QFunctionPointer f = m_library.resolve(name);
    if (!f)
        m_error = QStringLiteral("O módulo não exporta %1.").arg(QLatin1String(name));
    return f;
}
