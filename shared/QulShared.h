#pragma once
// The product line's shared services used by the data side of the module:
// the connection string, the registered database session, readable
// exception messages, the empty-text test and the reporting of failures
// that a service returns in its result.

#include "ADO.h"
#include "QulHooks.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

// Directory of the host executable (where qul.ini, the demo database and
// the colour file live). Tests and tools may point it elsewhere.
QString ProgramDir();
void SetProgramDir(const QString &dir);  // empty: back to the executable's directory

// Name of the demo store database beside the host executable, and the
// connection string that names it.
QString DemoDatabasePath();
QString DemoConnectionString();

// The store database's connection string: the environment variable
// QUL_CONNECTION; else key Connection of section [Database] in qul.ini
// beside the host executable, then in /etc/qul/qul.ini; else the demo
// SQLite database beside the host executable.
QString _GetStringConexQul(const QString &unused);
// A connection string chosen by the host itself (command line): when set,
// it comes before every other source. Empty clears it.
void SetStringConexQul(const QString &connectionString);

// Reads key `key` of section `section` of an INI file as raw text (values
// keep their ';', '=' and quotes). Empty when the file, section or key is
// missing.
QString readIniValue(const QString &path, const QString &section, const QString &key);

// The connection that the shared services (the code generator) work on.
void SetADODBSession(TADOConnection *connection);
TADOConnection *ADODBSession();

// A readable message for a failed database operation; never contains the
// connection's password.
QString ADOExceptionMessage(const std::exception &e, TADOConnection *connection, const QString &context);

// True when the text holds nothing but blanks.
bool EmptyString(const QString &s);

// The message presenter (arguments in QulHooks.h). The screen installs the
// touch dialog here; tests install scripted answers.
//
// The fixed arguments as the screens pass them: the layout flag, the
// question flag, the screen code, and the message kinds.
namespace MensagemArg {
inline const QString Nao = QStringLiteral("N");
inline const QString Sim = QStringLiteral("S");
inline const QString CodigoTela = QStringLiteral("002");
}  // namespace MensagemArg
enum TMensagemTipo { mtInformacao = 0, mtPergunta = 1, mtAviso = 2, mtErro = 3 };
void SetMensagemHook(TMensagemHook hook);
TMensagemHook MensagemHook();
bool Mensagem(const QString &texto, const QString &titulo, const QString &layout, const QString &pergunta, int tipo,
              const QString &detalhe, const QString &codigoTela, int numero, TDataSet *dataSet);

// Hands back a service's result. A failure text in it is reported through
// Mensagem, naming the service and the calling unit, and the caller is
// ended with EAbort; anything else is returned unchanged.
QVariant MensagemMetodo(const QVariant &resultado, bool flag, int numero, const QString &servico,
                        const QString &unidade, const QString &argumento, const QString &detalhe);

// The failure text that a service result holds, if it holds one.
bool isFailureText(const QVariant &v);
