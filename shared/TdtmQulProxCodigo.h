#pragma once
// The product code generator: hands out the next free product code on the
// registered database session, inside the caller's open transaction.

#include "ADO.h"

#include <QObject>
#include <QStringList>

// Whether the all-digit code `a` is greater in value than `b` ("10" > "9").
bool codigoMaior(QStringView a, QStringView b);

class TdtmQulProxCodigo : public QObject {
    Q_OBJECT
public:
    explicit TdtmQulProxCodigo(QObject *owner = nullptr);
    ~TdtmQulProxCodigo() override;

    // The highest all-digit CDPRODUTO plus one, as plain decimal text.
    // Serialises concurrent terminals with the engine's own lock, held
    // until the caller's transaction ends. Raises when no transaction is
    // open, when the session is missing or when the codes run past ten
    // characters.
    QString PrxProduto();
    // The next `quantidade` free codes in order, from one reading of the
    // highest code (an insert of several products asks once).
    QStringList PrxProdutos(int quantidade);
    // Takes the lock that serialises the terminals' writes of products, as
    // the codes above do, without reading a code: a save that must check
    // what others store (codes in use) takes it before looking. Taken once
    // per generator, so a generator serves one transaction.
    void Trava();
    // A code of digits the caller inserts itself in this transaction: the
    // codes handed out from now on come after it (and after any reserved
    // before), whether or not it is written yet.
    void Reserva(const QString &codigo);

private:
    TADOConnection *sessaoEmTransacao();
    bool m_travado = false;
    QString m_reservado;  // the greatest code reserved, without leading zeros
    TADOQuery *adqLock;
    TADOQuery *adqMaxProduto;
};
