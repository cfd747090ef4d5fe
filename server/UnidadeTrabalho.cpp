#include "UnidadeTrabalho.h"

#include "TdtmQulProxCodigo.h"
#include "TrdmCadProd.h"

TUnidadeTrabalho::TUnidadeTrabalho(TrdmCadProd &dm, TTrava trava) : m_dm(dm)
{
    TADOConnection *c = dm.adcCadProd;
    c->ReconnectIfLost();
    if (c->InTransaction())
        throw EDatabaseError(QStringLiteral("Já há uma transação aberta na conexão de produtos; a gravação não "
                                            "entra nela. Nada foi gravado."));
    dm.StartTrans();
    m_aberta = true;
    if (trava == ComTrava) {
        try {
            this->trava();
        } catch (...) {
            termina();  // no destructor runs for a unit that was never made
            throw;
        }
    }
}

TUnidadeTrabalho::~TUnidadeTrabalho()
{
    termina();
}

void TUnidadeTrabalho::termina() noexcept
{
    if (m_aberta) {
        m_aberta = false;
        try {
            m_dm.RollbackTrans();
        } catch (const std::exception &) {
            // Left to the service call: the transaction is over (a
            // connection that is gone has nothing left to undo) or still
            // open, which it reports.
        }
    }
}

TdtmQulProxCodigo &TUnidadeTrabalho::gerador()
{
    if (!m_gerador)
        m_gerador = std::make_unique<TdtmQulProxCodigo>(nullptr);
    return *m_gerador;
}

void TUnidadeTrabalho::trava()
{
    gerador().Trava();
    m_travada = true;
}

void TUnidadeTrabalho::commit()
{
    m_dm.CommitTrans();
    m_aberta = false;
}

void TUnidadeTrabalho::desfaz()
{
    m_aberta = false;
    m_dm.RollbackTrans();
}
