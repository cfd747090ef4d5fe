#pragma once
// Loads libqul00002.so the way a host does and resolves its entries by name.

#include <QString>

class ModuleLoader {
public:
    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;

    // Loads the module from `path`, or from beside the running program
    // when empty. Returns false and sets error() on failure.
    bool load(const QString &path = QString());
    void *resolve(const char *name);  // nullptr and error() when missing
    const QString &error() const { return m_error; }
    static QString defaultPath();

private:
    void *m_handle = nullptr;
    QString m_error;
};
