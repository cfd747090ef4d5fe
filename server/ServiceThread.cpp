#include "ServiceThread.h"

#include "FailureLog.h"
#include "TrdmCadProd.h"

#include <QThread>
#include <atomic>

namespace {

// The thread whose call is running (null when none is). Whoever holds it
// is the only one that reads or replaces `rdmCadProd`.
std::atomic<QThread *> g_emCurso{nullptr};
// The thread of the data module that exists (null when none does): a call
// of another thread is refused by it alone, without taking the services
// from their thread for a moment.
std::atomic<QThread *> g_linhaDoModulo{nullptr};

const QString &recusaDeOutraLinha()
{
    static const QString texto =
        QStringLiteral("Chamada recusada: o módulo de dados de produtos pertence a outra linha de execução "
                       "(thread). Os serviços só podem ser chamados na linha que criou o módulo de dados.");
    return texto;
}

}  // namespace

void notaLinhaDoModulo(QThread *linha)
{
    if (linha)
        g_linhaDoModulo.store(linha);
    else {
        QThread *aqui = QThread::currentThread();
        g_linhaDoModulo.compare_exchange_strong(aqui, nullptr);
    }
}

TChamadaNaLinha::TChamadaNaLinha()
{
    QThread *const aqui = QThread::currentThread();
    QThread *emCurso = nullptr;
    const QThread *const doModulo = g_linhaDoModulo.load();
    if (doModulo && doModulo != aqui)
        m_recusa = recusaDeOutraLinha();
    else if (g_emCurso.compare_exchange_strong(emCurso, aqui, std::memory_order_acquire)) {
        m_tomou = true;
    } else if (emCurso != aqui) {
        m_recusa = QStringLiteral("Chamada recusada: outra linha de execução (thread) está usando os serviços de "
                                  "produtos. Os serviços não podem ser chamados de duas linhas ao mesmo tempo; "
                                  "chame-os somente na linha que criou o módulo de dados.");
    }
    if (m_recusa.isEmpty() && rdmCadProd && rdmCadProd->thread() != aqui)
        m_recusa = recusaDeOutraLinha();  // one created as this call began
    if (!m_recusa.isEmpty()) {
        registraFalha(QStringLiteral("serviço chamado de outra linha de execução"), m_recusa);
        if (m_tomou) {
            g_emCurso.store(nullptr, std::memory_order_release);
            m_tomou = false;
        }
    }
}

TChamadaNaLinha::~TChamadaNaLinha()
{
    if (m_tomou)
        g_emCurso.store(nullptr, std::memory_order_release);
}
