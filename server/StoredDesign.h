#pragma once
// The data module's stored design (TrdmCadProd.json), read once: its
// components and the statements of its section "statements", made from it.
//
// A statement's (or a component's) "sql" is a list whose entries are
//   - a line, as it stands;
//   - {"fragment": NAME}: the lines of fragment NAME (section
//     "fragments") for the dialect being built ("sql_" and the dialect's
//     key, Dialect.h), else its stored ones ("sql");
//   - {"repeat": [lines], "separator": S, "params": [...]}: a group
//     written `copies` times, S after every copy but the last, with "{n}"
//     in its lines and parameter names standing for the copy's number
//     from 0 (":P_C{n}" is P_C0, P_C1, ...).
// A statement has a text of its own for every dialect one of its
// fragments names, and its stored text for the others. A TADOSqlStorage's
// "sql" is built for every dialect and put into its query. Parameters: the
// statement's own first (a name declared again keeps its first type), then
// the group's, copy by copy in declaration order. "fieldsOf" takes the
// fields of a component of the stored design.

#include "ADOQuery.h"

#include <QList>
#include <QObject>
#include <memory>

class QJsonObject;

// The type a field or parameter of the module's design declares ("type");
// raises, naming `owner`, on a type the runtime has not.
TFieldType designFieldType(const QJsonObject &o, const QString &owner);

// Every component of the stored design, in declaration order, made as
// declared with `owner` as parent and named after its declaration. Links
// are left to the caller (designLink). Raises on a kind the runtime has not.
QList<QObject *> makeDesignComponents(QObject *owner);

// The component that component `name` is declared on ("DataSet" of a
// provider, "ADOQuery" of a storage); empty when it declares none.
QString designLink(const QString &name);

// Statement `name` of section "statements" with its repeated group
// `copies` times (at least 1), on no connection. Raises when the section
// has no such statement or it is of the other kind.
std::unique_ptr<TADOQuery> catalogueQuery(const QString &name, int copies = 1);
std::unique_ptr<TADOCommand> catalogueCommand(const QString &name, int copies = 1);

// The statement declared as `model`'s rows repeated ("rowsOf"): several
// rows of a one-row INSERT in one statement. Empty when none is.
QString catalogueRowsOf(const QString &model);

// Every statement of the section, in declaration order, for tests and
// tools: built with `copies` copies of their groups.
QList<std::shared_ptr<TADOStatement>> catalogueStatements(int copies);
