#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <dlfcn.h>

ModuleLoader::~ModuleLoader()
{
    // The module stays mapped until the process ends: variants and Qt
    // metatypes it registered may still point into it.
}

QString ModuleLoader::defaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libqul00002.so"));
}

bool ModuleLoader::load(const QString &path)
{
    const QString p = path.isEmpty() ? defaultPath() : path;
    m_handle = dlopen(QFile::encodeName(p).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char *e = dlerror();
        m_error = QStringLiteral("Não foi possível carregar o módulo %1: %2").arg(p, QString::fromLocal8Bit(e ? e : "?"));
        return false;
    }
    return true;
}

void *ModuleLoader::resolve(const char *name)
{
    if (!m_handle) {
        m_error = QStringLiteral("Módulo não carregado.");
        return nullptr;
    }
    dlerror();
    void *sym = dlsym(m_handle, name);
    if (!sym)
        m_error = QStringLiteral("O módulo não exporta %1.").arg(QLatin1String(name));
    return sym;
}
