#pragma once
// Loads libqul00002.so the way a host does and resolves its entries by
// name, with the entry's type taken from the public header:
//
//   auto get = QUL_ENTRY(modulo, getProduto);   // decltype(getProduto) *
//
// A host without a screen asks for the services part: the core library
// libqul00002-services.so (the services, the catalogue and the entries
// without widgets, loading no Qt Gui nor Widgets), else the whole module.
// The screen's module links the core; the core beside it is loaded first.

#include <QLibrary>
#include <QString>
#include <QStringList>

class ModuleLoader {
public:
    enum class Part {
        Screen,    // libqul00002.so
        Services,  // libqul00002-services.so, else libqul00002.so
    };
    explicit ModuleLoader(Part part = Part::Screen) : m_part(part) {}

    // Loads the module from `path`, or, when empty, from the first of
    // searchPaths() that exists. Returns false and sets error() on failure.
    bool load(const QString &path = QString());
    const QString &error() const { return m_error; }

    // Where the module (its soname, libqul00002.so.1) is looked for, in
    // this order: beside the running program (the build tree, a
    // self-contained folder), then the library folder of the installation
    // the program belongs to (../lib/x86_64-linux-gnu from /usr/bin). The
    // loader's own search path is never used, so that a program never
    // picks up the module of another installation.
    // For the services part, the services library is looked for before the
    // module in each folder.
    static QStringList searchPaths(Part part = Part::Screen);

    // The entry `name` as a pointer to `Fn`; nullptr (and error()) when
    // the module does not export it.
    template <typename Fn>
    Fn *entry(const char *name)
    {
        return reinterpret_cast<Fn *>(resolve(name));
    }

private:
    QFunctionPointer resolve(const char *name);
    // The module stays loaded until the process ends: variants and Qt
    // metatypes it registered may still point into it.
    QLibrary m_library;
    QLibrary m_core;  // the core library the screen's module links
    QString m_error;
    Part m_part;
};

#define QUL_ENTRY(loader, name) (loader).entry<decltype(name)>(#name)
