#pragma once
// One unit of work on the data module: the transaction of a write, begun
// when the unit is made and rolled back when it goes out of scope without
// a commit. Every write of products (the save, the edit checked against
// what was read, the delete, the catalogue import) runs in one.

#include <memory>

class TrdmCadProd;
class TdtmQulProxCodigo;

class TUnidadeTrabalho {
public:
    enum TTrava { SemTrava, ComTrava };

    // Opens a lost connection again, then begins on the data module's
    // connection; with ComTrava takes the terminals' lock too. Raises when
    // a transaction is already open on the connection: a unit never joins
    // one that someone else began (nor one left open by an earlier call),
    // since its rollback would undo their writes and their commit keep its
    // own.
    explicit TUnidadeTrabalho(TrdmCadProd &dm, TTrava trava = SemTrava);
    // Rolls back what was not committed. A rollback that fails is not
    // raised here (the unit may be ending because of another failure): the
    // transaction it leaves open is what the service call reports.
    ~TUnidadeTrabalho();
    TUnidadeTrabalho(const TUnidadeTrabalho &) = delete;
    TUnidadeTrabalho &operator=(const TUnidadeTrabalho &) = delete;

    TrdmCadProd &dm() const { return m_dm; }
    // The code generator of this transaction (the terminals' lock is its
    // own). Freed after the transaction ends: PostgreSQL refuses to free
    // its statements inside an aborted transaction.
    TdtmQulProxCodigo &gerador();
    // Takes the terminals' lock now (once per unit).
    void trava();
    bool travada() const { return m_travada; }

    // Keeps the writes; raises when the engine kept nothing.
    void commit();
    // Ends the unit with nothing written (a refusal found before any
    // write); raises when the rollback fails.
    void desfaz();
    // Begun and not yet committed nor rolled back.
    bool aberta() const { return m_aberta; }

private:
    void termina() noexcept;  // the destructor's rollback
    TrdmCadProd &m_dm;
    std::unique_ptr<TdtmQulProxCodigo> m_gerador;  // destroyed after the rollback
    bool m_aberta = false;
    bool m_travada = false;
};
