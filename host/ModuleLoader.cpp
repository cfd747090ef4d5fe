#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QStringList names(ModuleLoader::Part part)
{
    if (part == ModuleLoader::Part::Services)
        return {QStringLiteral(QUL_SERVICES_SONAME), QStringLiteral(QUL_MODULE_SONAME)};
    return {QStringLiteral(QUL_MODULE_SONAME)};
}

}  // namespace

QStringList ModuleLoader::searchPaths(Part part)
{
    const QDir program(QCoreApplication::applicationDirPath());
    QStringList paths;
    for (const QString &folder : {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(QUL_BIN_TO_LIBDIR)))})
        for (const QString &name : names(part))
            paths.append(QDir(folder).filePath(name));
    return paths;
}

bool ModuleLoader::load(const QString &path)
{
    QString p = path;
    if (p.isEmpty()) {
        const QStringList candidates = searchPaths(m_part);
        for (const QString &c : candidates) {
            if (QFileInfo(c).isFile()) {
                p = c;
                break;
            }
        }
        if (p.isEmpty()) {
            m_error = QStringLiteral("Módulo %1 não encontrado; procurado em: %2.")
                          .arg(names(m_part).join(QStringLiteral(" ou ")), candidates.join(QStringLiteral(", ")));
            return false;
        }
    }
    // The screen's module links the core library, which lives beside it:
    // loaded first from that same folder, it is the one the module finds,
    // wherever the folder is (an installation unpacked elsewhere, the
    // build tree), without the loader's own search path.
    if (m_part == Part::Screen) {
        const QString core = QFileInfo(p).dir().filePath(QStringLiteral(QUL_SERVICES_SONAME));
        m_core.setFileName(core);
        if (QFileInfo(core).isFile() && !m_core.load()) {
            m_error = QStringLiteral("Não foi possível carregar a biblioteca %1: %2").arg(core, m_core.errorString());
            return false;
        }
    }
    m_library.setFileName(p);
    // The screen's module is bound whole when loaded; the services library
    // as its calls come, so that a short command binds only what it calls.
    m_library.setLoadHints(m_part == Part::Services ? QLibrary::LoadHints() : QLibrary::ResolveAllSymbolsHint);
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
