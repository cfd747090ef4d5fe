#pragma once
// The statements the module declares beside the stored design's
// components (section "statements" of TrdmCadProd.json), made on demand.
//
// A statement's "sql" (and "sql_oracle", "sql_mssql", "sql_sqlite",
// "sql_postgresql") is a list whose entries are
//   - a line, as it stands;
//   - {"fragment": NAME}: the lines of fragment NAME (section
//     "fragments") for the dialect being built, else its stored ones;
//   - {"repeat": [lines], "separator": S, "params": [...]}: a group
//     written `copies` times, S after every copy but the last, with "{n}"
//     in its lines and parameter names standing for the copy's number
//     from 0 (":P_C{n}" is P_C0, P_C1, ...).
// A text is built for every dialect that the statement or one of its
// fragments names; a statement that names dialects only (no "sql") has no
// text elsewhere. Parameters: the statement's own first, then the
// group's, copy by copy in declaration order. "fieldsOf" takes the fields
// of a component of the stored design.

#include "ADOQuery.h"

#include <QObject>
#include <QStringList>
#include <memory>

class QJsonObject;
class TrdmCadProd;

// The type a field or parameter of the module's design declares ("type");
// raises, naming `owner`, on a type the runtime has not.
TFieldType designFieldType(const QJsonObject &o, const QString &owner);

// Statement `name` with its repeated group `copies` times (at least 1), on
// no connection. Raises when the catalogue has no such statement or it is
// of the other kind.
std::unique_ptr<TADOQuery> catalogueQuery(const QString &name, int copies = 1);
std::unique_ptr<TADOCommand> catalogueCommand(const QString &name, int copies = 1);

// The statement declared as `model`'s rows repeated ("rowsOf"): several
// rows of a one-row INSERT in one statement. Empty when none is.
QString catalogueRowsOf(const QString &model);

// Every statement of the section, in declaration order, for tests and
// tools: built with `copies` copies of their groups.
QList<std::shared_ptr<TADOStatement>> catalogueStatements(int copies);

// The declared statements the data module runs itself, made on first use
// and kept for it (so each is prepared once per connection).
class TSentencasProprias : public QObject {
public:
    explicit TSentencasProprias(QObject *owner);
    ~TSentencasProprias() override;
    std::unique_ptr<TADOQuery> adqProdutoAtual;       // the list filtered on one product key
    std::unique_ptr<TADOQuery> adqCodigosReduzidos;   // every product's reduced code
    std::unique_ptr<TADOQuery> adqPosicaoNaLista;     // how many products the list puts before one
    std::unique_ptr<TADOQuery> adqProdutosDoReduzido;  // the products of one reduced code
    std::unique_ptr<TADOCommand> acmAvisaProdutos;    // PostgreSQL: notifies the product channel
    std::unique_ptr<TADOQuery> adqImpressaoProdutos;  // PostgreSQL: the product tables' fingerprint
};

// The data module's own declared statements, on its connection.
TSentencasProprias &sentencasProprias(TrdmCadProd &dm);
