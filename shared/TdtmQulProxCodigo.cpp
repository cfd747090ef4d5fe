#include "TdtmQulProxCodigo.h"

#include "QulShared.h"

#include <cmath>

TdtmQulProxCodigo::TdtmQulProxCodigo(QObject *owner) : QObject(owner)
{
    adqLock = new TADOQuery(this);
    adqLock->setObjectName(QStringLiteral("adqLock"));
    // SQLite: the save's BEGIN IMMEDIATE already holds the database's write
    // lock, so no statement is needed there.
    adqLock->DialectSQL.insert(TDialect::PostgreSQL, {QStringLiteral("SELECT pg_advisory_xact_lock(728200002) AS TRAVA")});
    adqLock->DialectSQL.insert(TDialect::SQLServer,
                               {QStringLiteral("SELECT COUNT(*) AS TRAVA FROM PRODUTO WITH (TABLOCKX, HOLDLOCK)")});
    adqLock->DialectSQL.insert(TDialect::Oracle, {QStringLiteral("LOCK TABLE PRODUTO IN EXCLUSIVE MODE")});

    adqMaxProduto = new TADOQuery(this);
    adqMaxProduto->setObjectName(QStringLiteral("adqMaxProduto"));
    adqMaxProduto->AddField(QStringLiteral("MAXCODIGO"), TFieldType::ftString, 40);
    // Each text reads every code. The key's index cannot give the greatest
    // value in fewer reads: in its order the shorter codes lie among the
    // longer ones ('2' after '1999999999'), so any of its gaps may hold a
    // longer code. An index of the statement's own expression under its own
    // condition (on PostgreSQL and SQLite, whose planners match both) makes
    // the reading one probe; the store's schema has none.
    adqMaxProduto->DialectSQL.insert(
        TDialect::SQLite,
        {QStringLiteral("SELECT CAST(MAX(CAST(CDPRODUTO AS INTEGER)) AS TEXT) AS MAXCODIGO FROM PRODUTO"),
         QStringLiteral(" WHERE CDPRODUTO <> '' AND CDPRODUTO NOT GLOB '*[^0-9]*'")});
    adqMaxProduto->DialectSQL.insert(
        TDialect::PostgreSQL,
        {QStringLiteral("SELECT CAST(MAX(CAST(CDPRODUTO AS NUMERIC)) AS VARCHAR(40)) AS MAXCODIGO FROM PRODUTO"),
         QStringLiteral(" WHERE CDPRODUTO ~ '^[0-9]+$'")});
    adqMaxProduto->DialectSQL.insert(
        TDialect::SQLServer,
        {QStringLiteral("SELECT CAST(MAX(CAST(CDPRODUTO AS DECIMAL(38))) AS VARCHAR(40)) AS MAXCODIGO FROM PRODUTO"),
         QStringLiteral(" WHERE CDPRODUTO <> '' AND CDPRODUTO NOT LIKE '%[^0-9]%'")});
    adqMaxProduto->DialectSQL.insert(
        TDialect::Oracle,
        {QStringLiteral("SELECT TO_CHAR(MAX(TO_NUMBER(CDPRODUTO))) AS MAXCODIGO FROM PRODUTO"),
         QStringLiteral(" WHERE REGEXP_LIKE(CDPRODUTO, '^[0-9]+$')")});
}

TdtmQulProxCodigo::~TdtmQulProxCodigo() = default;

namespace {

// The decimal text plus one; "9" gives "10".
QString maisUm(QString digits)
{
    int i = int(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return digits;
}

QStringView semZeros(QStringView d)
{
    while (d.size() > 1 && d.front() == QLatin1Char('0'))
        d = d.mid(1);
    return d;
}

}  // namespace

bool codigoMaior(QStringView a, QStringView b)
{
    a = semZeros(a);
    b = semZeros(b);
    return a.size() != b.size() ? a.size() > b.size() : a.compare(b) > 0;
}

void TdtmQulProxCodigo::Reserva(const QString &codigo)
{
    if (m_reservado.isEmpty() || codigoMaior(codigo, m_reservado))
        m_reservado = semZeros(codigo).toString();
}

QString TdtmQulProxCodigo::PrxProduto()
{
    return PrxProdutos(1).constFirst();
}

TADOConnection *TdtmQulProxCodigo::sessaoEmTransacao()
{
    TADOConnection *conn = ADODBSession();
    if (!conn || !conn->Connected())
        throw EDatabaseError(QStringLiteral("Gerador de códigos: nenhuma conexão com o banco de dados registrada."));
    if (!conn->InTransaction())
        throw EDatabaseError(QStringLiteral("Gerador de códigos: o código de produto só é gerado dentro de uma transação."));
    adqLock->Connection = conn;
    adqMaxProduto->Connection = conn;
    return conn;
}

void TdtmQulProxCodigo::Trava()
{
    TADOConnection *conn = sessaoEmTransacao();
    if (m_travado)
        return;
    if (conn->Dialect() == TDialect::Oracle) {
        adqLock->ExecSQL();
    } else if (conn->Dialect() != TDialect::SQLite) {
        adqLock->Close();
        adqLock->Open();
        adqLock->Close();
    }
    m_travado = true;
}

QStringList TdtmQulProxCodigo::PrxProdutos(int quantidade)
{
    if (quantidade < 1)
        throw EDatabaseError(QStringLiteral("Gerador de códigos: quantidade de códigos inválida (%1).").arg(quantidade));
    Trava();
    adqMaxProduto->Close();
    adqMaxProduto->Open();
    const QString max = adqMaxProduto->FieldByName(QStringLiteral("MAXCODIGO"))->AsString().trimmed();
    adqMaxProduto->Close();
    // Plain decimal arithmetic on the text: codes are at most ten digits,
    // but a stored all-digit code may be longer than a machine integer.
    QString digits = semZeros(max.isEmpty() ? QStringLiteral("0") : max).toString();
    if (!m_reservado.isEmpty() && codigoMaior(m_reservado, digits))
        digits = m_reservado;
    QStringList codigos;
    codigos.reserve(quantidade);
    for (int k = 0; k < quantidade; ++k) {
        digits = maisUm(digits);
        if (digits.size() > 10)
            throw EDatabaseError(
                QStringLiteral("Gerador de códigos: não há código de produto livre com até 10 caracteres (maior código: %1).")
                    .arg(max));
        codigos.append(digits);
    }
    return codigos;
}
