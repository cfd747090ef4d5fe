#pragma once
// The product line's shared services used by the data side of the module:
// the connection string, the registered database session, readable
// exception messages, the empty-text test and the reporting of failures
// that a service returns in its result.

#include "QulCoreExport.h"
#include "ADO.h"
#include "IniFile.h"
#include "QulHooks.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

// Directory of the host executable (where the first qul.ini and the colour
// file live). Tests and tools may point it elsewhere.
QUL_CORE_EXPORT QString ProgramDir();
void SetProgramDir(const QString &dir);  // empty: back to the executable's directory

// Folder of the module's library file, set by the module when it is
// loaded; empty in a program that links these services in.
void SetModuleDir(const QString &dir);

// The system-wide configuration file, /etc/qul/qul.ini. Tests point it
// elsewhere; empty puts the default back.
QString SystemConfigPath();
void SetSystemConfigPath(const QString &path);

// The demo store database "qul-demo.db", and the connection string that
// names it. It lives beside the host executable when the module is there
// too (the build tree, a self-contained folder) or when ProgramDir was
// set; an installed module (library folder apart from the programs) keeps
// it in the user's data folder, $XDG_DATA_HOME/qul00002 (by default
// ~/.local/share/qul00002), since /usr/bin is no place for a database.
QString DemoDatabasePath();
QString DemoConnectionString();

// The store database's connection string, from the first source that
// exists: the string the host chose (SetStringConexQul, UseDemoDatabase);
// the environment variable QUL_CONNECTION; key Connection of section
// [Database] in qul.ini beside the host executable, then in
// /etc/qul/qul.ini. The first of those files that exists must give the
// key a value: one that is empty, lacks the key or leaves it empty (or
// commented out) raises EConfigError naming it, as does one that cannot
// be read or parsed. With no source at all, a build tree falls back on the
// demo database; anywhere else EConfigError says that no connection is
// configured and how to give one.
QString _GetStringConexQul(const QString &unused);
// A connection string chosen by the host itself (command line): when set,
// it comes before every other source. Empty clears it.
void SetStringConexQul(const QString &connectionString);
// The host asked for the demo store (qulhost --demo): its string becomes
// the host's choice.
void UseDemoDatabase();

// True when the host executable runs from a CMake build tree (the parent
// of ProgramDir holds CMakeCache.txt), where developers run the programs
// with nothing configured.
bool InBuildTree();

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
QUL_CORE_EXPORT void SetMensagemHook(TMensagemHook hook);
QUL_CORE_EXPORT TMensagemHook MensagemHook();
QUL_CORE_EXPORT bool Mensagem(const QString &texto, const QString &titulo, const QString &layout, const QString &pergunta, int tipo,
              const QString &detalhe, const QString &codigoTela, int numero, TDataSet *dataSet);

// Hands back a service's result. A failure text in it is reported through
// Mensagem, naming the service and the calling unit, and the caller is
// ended with EAbort; anything else is returned unchanged. While the
// session's connection is lost (or waits to be opened again) the report is
// the lost connection's own sentence alone: what happened and what to do.
QUL_CORE_EXPORT QVariant MensagemMetodo(const QVariant &resultado, bool flag, int numero, const QString &servico,
                        const QString &unidade, const QString &argumento, const QString &detalhe);

// The failure text that a service result holds, if it holds one.
QUL_CORE_EXPORT bool isFailureText(const QVariant &v);
