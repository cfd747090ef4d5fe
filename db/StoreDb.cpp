#include "StoreDb.h"

#include "Exceptions.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>


// The scripts live in the library's resources; a static library must pull
// its resource object in explicitly, or the linker leaves it out.
static void initStoreDbResources()
{
    Q_INIT_RESOURCE(db);
}

namespace StoreDb {
namespace {

struct Statement {
    QString text;
    int line = 0; // line of the script where the statement starts
};

QString schemaPath(Engine engine)
{
    return engine == Engine::SQLite ? QStringLiteral(":/db/sqlite/schema.sql")
                                    : QStringLiteral(":/db/postgresql/schema.sql");
}

QString readScript(const QString &path)
{
    initStoreDbResources();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("cannot read script %1: %2")
                                     .arg(path, f.errorString()));
    return QString::fromUtf8(f.readAll());
}

// A statement ends with ';' at the end of a line. Blank lines and lines
// that start with "--" are skipped.
QList<Statement> splitScript(const QString &script)
{
    QList<Statement> out;
    QStringList pending;
    int start = 0;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        if (pending.isEmpty())
            start = i + 1;
        if (trimmed.endsWith(QLatin1Char(';'))) {
            QString last = line;
            last.truncate(last.lastIndexOf(QLatin1Char(';')));
            pending << last;
            out.append({pending.join(QLatin1Char('\n')).trimmed(), start});
            pending.clear();
        } else {
            pending << line;
        }
    }
    if (!pending.isEmpty())
        out.append({pending.join(QLatin1Char('\n')).trimmed(), start});
    return out;
}

QString shortened(const QString &sql)
{
    QString s = sql.simplified();
    if (s.size() > 200)
        s = s.left(197) + QLatin1String("...");
    return s;
}

[[noreturn]] void fail(const QString &what, const QSqlError &err)
{
    QString msg = what;
    const QString driverText = err.text().simplified();
    if (!driverText.isEmpty())
        msg += QLatin1String(": ") + driverText;
    throw EDatabaseError(msg);
}

void requireOpen(const QSqlDatabase &db)
{
    if (!db.isValid())
        throw EDatabaseError(QStringLiteral("store database: invalid connection"));
    if (!db.isOpen())
        throw EDatabaseError(
            QStringLiteral("store database: connection \"%1\" is not open")
                .arg(db.connectionName()));
}

// Runs the statements in one transaction. SQLite begins with BEGIN
// IMMEDIATE so that two writers queue on the lock instead of deadlocking
// on a deferred lock upgrade.
void runInTransaction(QSqlDatabase &db, Engine engine, const QString &origin,
                      const QList<Statement> &statements)
{
    requireOpen(db);
    const bool sqlite = engine == Engine::SQLite;
    {
        QSqlQuery begin(db);
        const bool ok = sqlite ? begin.exec(QStringLiteral("BEGIN IMMEDIATE")) : db.transaction();
        if (!ok)
            fail(QStringLiteral("%1: cannot begin a transaction").arg(origin),
                 sqlite ? begin.lastError() : db.lastError());
    }
    auto rollback = [&] {
        if (sqlite)
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        else
            db.rollback();
    };
    for (const Statement &st : statements) {
        QSqlQuery q(db);
        if (!q.exec(st.text)) {
            const QSqlError err = q.lastError();
            q.finish();
            rollback();
            fail(QStringLiteral("%1, line %2: statement failed [%3]")
                     .arg(origin).arg(st.line).arg(shortened(st.text)),
                 err);
        }
    }
    QSqlQuery commit(db);
    const bool ok = sqlite ? commit.exec(QStringLiteral("COMMIT")) : db.commit();
    if (!ok) {
        const QSqlError err = sqlite ? commit.lastError() : db.lastError();
        rollback();
        fail(QStringLiteral("%1: commit failed").arg(origin), err);
    }
}

void runScript(QSqlDatabase &db, Engine engine, const QString &path)
{
    const QList<Statement> statements = splitScript(readScript(path));
    runInTransaction(db, engine, path.mid(2), statements); // drop the ":/"
}

} // namespace

void createSchema(QSqlDatabase db, Engine engine)
{
    runScript(db, engine, schemaPath(engine));
}

void loadDemoData(QSqlDatabase db, Engine engine)
{
    runScript(db, engine, QStringLiteral(":/db/demo.sql"));
}

void dropSchema(QSqlDatabase db, Engine engine)
{
    // The tables are those the schema script creates, dropped in reverse order.
    static const QRegularExpression createTable(
        QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString path = schemaPath(engine);
    QList<Statement> drops;
    for (const Statement &st : splitScript(readScript(path))) {
        const QRegularExpressionMatch m = createTable.match(st.text);
        if (m.hasMatch())
            drops.prepend({QStringLiteral("DROP TABLE IF EXISTS %1").arg(m.captured(1)), st.line});
    }
    // PostgreSQL reports each missing table as a notice on stderr; keep quiet.
    if (engine == Engine::PostgreSQL)
        drops.prepend({QStringLiteral("SET LOCAL client_min_messages = warning"), 0});
    runInTransaction(db, engine, QStringLiteral("drop of %1").arg(path.mid(2)), drops);
}

} // namespace StoreDb
