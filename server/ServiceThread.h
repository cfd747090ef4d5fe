#pragma once
// The services' one thread. The data module, and the Qt SQL connection in
// it, belong to the thread that created it: a service called from another
// thread, or while a call of another thread is running, is refused before
// it touches the module, with a text that says why. A call the running
// thread makes within its own call (a progress callback that reads a
// product) runs as before.

#include <QString>

class QThread;

// The thread a data module was created on, noted by the module as it is
// created (`linha`) and destroyed (null).
void notaLinhaDoModulo(QThread *linha);

class TChamadaNaLinha {
public:
    // Takes the services for this thread's call, or notes why it may not.
    TChamadaNaLinha();
    ~TChamadaNaLinha();
    TChamadaNaLinha(const TChamadaNaLinha &) = delete;
    TChamadaNaLinha &operator=(const TChamadaNaLinha &) = delete;

    // Why the call may not run (empty when it may).
    const QString &recusa() const { return m_recusa; }

private:
    bool m_tomou = false;  // this call took the services (and gives them back)
    QString m_recusa;
};
