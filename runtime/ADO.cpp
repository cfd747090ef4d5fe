#include "ADO.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include <libpq-fe.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

namespace {

QAtomicInt g_connectionSerial;

// The engine's own handle behind a Qt connection. Drivers name the type
// differently ("sqlite3*", "pg_conn*", "SQLHANDLE"); the caller knows the
// driver, so any pointer-typed handle is taken.
template <typename T>
T handleOf(const QSqlDatabase &db, const char *)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || !(v.metaType().flags() & QMetaType::IsPointer) || v.metaType().sizeOf() != sizeof(void *))
        return nullptr;
    return *static_cast<const T *>(v.constData());
}

// TO_NUMBER for SQLite: the numeric value of a text, or an error that ends
// the statement when the text is not a number (as the server engines do).
void sqliteToNumber(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    }
    if (t == SQLITE_FLOAT) {
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        return;
    }
    const QString s = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0]))).trimmed();
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(s).hasMatch()) {
        const QByteArray msg = QStringLiteral("TO_NUMBER: número inválido '%1'").arg(s.left(40)).toUtf8();
        sqlite3_result_error(ctx, msg.constData(), int(msg.size()));
        return;
    }
    bool isInt = false;
    const qlonglong n = s.toLongLong(&isInt);
    if (isInt)
        sqlite3_result_int64(ctx, n);
    else
        sqlite3_result_double(ctx, s.toDouble());
}

QString errorText(const QSqlError &err)
{
    QString t = err.databaseText().trimmed();
    if (t.isEmpty())
        t = err.text().trimmed();
    if (t.isEmpty())
        t = err.driverText().trimmed();
    return t;
}

}  // namespace

QString dialectName(TDialect d)
{
    switch (d) {
    case TDialect::Oracle: return QStringLiteral("Oracle");
    case TDialect::SQLServer: return QStringLiteral("SQL Server");
    case TDialect::SQLite: return QStringLiteral("SQLite");
    case TDialect::PostgreSQL: return QStringLiteral("PostgreSQL");
    case TDialect::Unknown: break;
    }
    return QStringLiteral("desconhecido");
}

TConnectionTarget resolveConnectionString(const QString &connectionString)
{
    const TConnectionString cs = TConnectionString::parse(connectionString);
    TConnectionTarget t;
    const QString provider = cs.value(QStringLiteral("Provider")).trimmed();
    const QString p = provider.toLower();
    const QString source = cs.value(QStringLiteral("Data Source"));
    t.userName = cs.value(QStringLiteral("User ID"), cs.value(QStringLiteral("UID")));
    t.password = cs.value(QStringLiteral("Password"), cs.value(QStringLiteral("PWD")));
    const QString catalog = cs.value(QStringLiteral("Initial Catalog"), cs.value(QStringLiteral("Database")));
    const auto portOf = [&](int fallback) {
        const QString ps = cs.value(QStringLiteral("Port")).trimmed();
        if (ps.isEmpty())
            return fallback;
        bool ok = false;
        const int port = ps.toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            throw EADOError(QStringLiteral("Cadeia de conexão inválida: porta '%1'.").arg(ps));
        return port;
    };
    const auto odbcPairs = [&](const QStringList &skip) {
        QStringList parts;
        for (const auto &pr : cs.pairs()) {
            if (skip.contains(pr.first.trimmed(), Qt::CaseInsensitive))
                continue;
            QString v = pr.second;
            if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('}')) || v.contains(QLatin1Char('{')))
                v = QLatin1Char('{') + v.replace(QLatin1Char('}'), QStringLiteral("}}")) + QLatin1Char('}');
            parts.append(pr.first.trimmed() + QLatin1Char('=') + v);
        }
        return parts.join(QLatin1Char(';'));
    };

    if (p == QLatin1String("sqlite")) {
        if (source.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão SQLite sem 'Data Source'."));
        t.driver = QStringLiteral("QSQLITE");
        t.dialect = TDialect::SQLite;
        t.databaseName = source;
    } else if (p == QLatin1String("postgresql") || p == QLatin1String("postgres")) {
        t.driver = QStringLiteral("QPSQL");
        t.dialect = TDialect::PostgreSQL;
        t.hostName = source.isEmpty() ? QStringLiteral("127.0.0.1") : source;
        t.port = portOf(5432);
        t.databaseName = catalog;
        if (t.databaseName.isEmpty())
            throw EADOError(QStringLiteral("Cadeia de conexão PostgreSQL sem 'Initial Catalog'."));
    } else if (p == QLatin1String("sqloledb") || p == QLatin1String("msoledbsql") || p.startsWith(QLatin1String("sqlncli"))) {
        t.driver = QStringLiteral("QODBC");
        t.dialect = TDialect::SQLServer;
        const QString driver = cs.value(QStringLiteral("Driver"), QStringLiteral("FreeTDS"));
        QString server = source;
        const int port = portOf(-1);
        QStringList parts{QStringLiteral("Driver={%1}").arg(driver), QStringLiteral("Server=%1").arg(server)};
        if (port > 0)
            parts.append(QStringLiteral("Port=%1").arg(port));
        if (!catalog.isEmpty())
            parts.append(QStringLiteral("Database=%1").arg(catalog));
        t.databaseName = parts.join(QLatin1Char(';'));
    } else if (p == QLatin1String("msdaora.1") || p == QLatin1String("msdaora") || p == QLatin1String("oraoledb.oracle")) {
        t.dialect = TDialect::Oracle;
        if (QSqlDatabase::isDriverAvailable(QStringLiteral("QOCI"))) {
            t.driver = QStringLiteral("QOCI");
            t.databaseName = source;
        } else {
            t.driver = QStringLiteral("QODBC");
            const QString driver = cs.value(QStringLiteral("Driver"), QStringLiteral("Oracle"));
            t.databaseName = QStringLiteral("Driver={%1};DBQ=%2").arg(driver, source);
        }
    } else if (p == QLatin1String("msdasql") || (p.isEmpty() && (cs.contains(QStringLiteral("Driver")) || cs.contains(QStringLiteral("DSN"))))) {
        t.driver = QStringLiteral("QODBC");
        t.dialectFromServer = true;
        t.databaseName = odbcPairs({QStringLiteral("Provider"), QStringLiteral("User ID"), QStringLiteral("UID"),
                                    QStringLiteral("Password"), QStringLiteral("PWD")});
    } else if (provider.isEmpty()) {
        throw EADOError(QStringLiteral("Cadeia de conexão sem 'Provider'."));
    } else {
        throw EADOError(QStringLiteral("Provedor '%1' não suportado.").arg(provider));
    }
    return t;
}

// ---------------------------------------------------------------- TADOConnection

TADOConnection::TADOConnection(QObject *owner)
    : QObject(owner), m_name(QStringLiteral("qul_adc_%1").arg(g_connectionSerial.fetchAndAddRelaxed(1)))
{
}

TADOConnection::~TADOConnection()
{
    try {
        Close();
    } catch (...) {
    }
}

QSqlDatabase TADOConnection::Database() const
{
    return QSqlDatabase::database(m_name, false);
}

QString TADOConnection::redact(const QString &message) const
{
    QString m = message;
    if (m_password.size() >= 1)
        m.replace(m_password, QStringLiteral("***"));
    return m;
}

void TADOConnection::raise(const QString &what, const QSqlError &err) const
{
    QString t = errorText(err);
    throw EADOError(redact(what.isEmpty() ? t : (t.isEmpty() ? what : what + QStringLiteral(": ") + t)));
}

void TADOConnection::Open()
{
    if (m_open)
        return;
    if (BeforeConnect)
        BeforeConnect(this);
    const TConnectionTarget t = resolveConnectionString(ConnectionString);
    m_password = t.password;
    if (!QSqlDatabase::isDriverAvailable(t.driver))
        throw EADOError(QStringLiteral("O driver de banco de dados %1 não está instalado.").arg(t.driver));
    if (t.driver == QLatin1String("QSQLITE") && t.databaseName != QLatin1String(":memory:")
        && !QFileInfo(t.databaseName).isFile())
        throw EADOError(QStringLiteral("Banco de dados não encontrado: %1").arg(t.databaseName));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(t.driver, m_name);
        db.setDatabaseName(t.databaseName);
        if (!t.hostName.isEmpty())
            db.setHostName(t.hostName);
        if (t.port > 0)
            db.setPort(t.port);
        if (!t.userName.isEmpty())
            db.setUserName(t.userName);
        if (!t.password.isEmpty())
            db.setPassword(t.password);
        if (t.driver == QLatin1String("QSQLITE"))
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        else if (t.driver == QLatin1String("QPSQL"))
            db.setConnectOptions(QStringLiteral("connect_timeout=10"));
        if (!db.open()) {
            const QSqlError err = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            raise(QStringLiteral("Não foi possível conectar ao banco de dados"), err);
        }
        m_dialect = t.dialect;
        if (t.driver == QLatin1String("QSQLITE")) {
            sqlite3 *h = handleOf<sqlite3 *>(db, "sqlite3*");
            if (!h || sqlite3_create_function(h, "TO_NUMBER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                              sqliteToNumber, nullptr, nullptr) != SQLITE_OK) {
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(m_name);
                throw EADOError(QStringLiteral("Não foi possível preparar a conexão SQLite."));
            }
        } else if (t.dialectFromServer) {
            SQLHANDLE h = handleOf<SQLHANDLE>(db, "SQLHANDLE");
            SQLCHAR name[256] = {0};
            SQLSMALLINT len = 0;
            if (h && SQL_SUCCEEDED(SQLGetInfo(h, SQL_DBMS_NAME, name, sizeof name, &len))) {
                const QString dbms = QString::fromLatin1(reinterpret_cast<const char *>(name)).toLower();
                if (dbms.contains(QLatin1String("sql server")))
                    m_dialect = TDialect::SQLServer;
                else if (dbms.contains(QLatin1String("oracle")))
                    m_dialect = TDialect::Oracle;
                else if (dbms.contains(QLatin1String("postgres")))
                    m_dialect = TDialect::PostgreSQL;
                else if (dbms.contains(QLatin1String("sqlite")))
                    m_dialect = TDialect::SQLite;
            }
        }
    }
    m_open = true;
    m_odbcInTrans = false;
    if (AfterConnect) {
        try {
            AfterConnect(this);
        } catch (...) {
            Close();
            throw;
        }
    }
}

void TADOConnection::Close()
{
    if (!m_open)
        return;
    for (TADOStatement *s : std::as_const(m_users))
        s->connectionClosed();
    m_users.clear();
    {
        QSqlDatabase db = Database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_open = false;
    m_odbcInTrans = false;
    m_dialect = TDialect::Unknown;
}

void TADOConnection::attach(TADOStatement *s)
{
    if (!m_users.contains(s))
        m_users.append(s);
}

void TADOConnection::detach(TADOStatement *s)
{
    m_users.removeAll(s);
}

bool TADOConnection::InTransaction() const
{
    if (!m_open)
        return false;
    const QSqlDatabase db = Database();
    if (db.driverName() == QLatin1String("QSQLITE")) {
        sqlite3 *h = handleOf<sqlite3 *>(db, "sqlite3*");
        return h && sqlite3_get_autocommit(h) == 0;
    }
    if (db.driverName() == QLatin1String("QPSQL")) {
        PGconn *c = handleOf<PGconn *>(db, "PGconn*");
        if (!c || PQstatus(c) != CONNECTION_OK)
            return false;  // a lost connection has no transaction left on the server
        const PGTransactionStatusType st = PQtransactionStatus(c);
        return st == PQTRANS_INTRANS || st == PQTRANS_INERROR || st == PQTRANS_ACTIVE;
    }
    return m_odbcInTrans;
}

void TADOConnection::execControl(const char *sql)
{
    QSqlQuery q(Database());
    ++StatementCount;
    if (!q.exec(QString::fromLatin1(sql)))
        raise(QString(), q.lastError());
}

void TADOConnection::BeginTrans()
{
    if (!m_open)
        throw EADOError(QStringLiteral("Conexão com o banco de dados fechada."));
    const QString drv = Database().driverName();
    if (drv == QLatin1String("QSQLITE")) {
        execControl("BEGIN IMMEDIATE");  // the write lock is taken now, not at the first write
    } else if (drv == QLatin1String("QPSQL")) {
        execControl("BEGIN");
    } else {
        QSqlDatabase db = Database();
        ++StatementCount;
        if (!db.transaction())
            raise(QString(), db.lastError());
        m_odbcInTrans = true;
    }
}

void TADOConnection::CommitTrans()
{
    const QString drv = Database().driverName();
    if (drv == QLatin1String("QSQLITE") || drv == QLatin1String("QPSQL")) {
        execControl("COMMIT");
    } else {
        QSqlDatabase db = Database();
        ++StatementCount;
        m_odbcInTrans = false;
        if (!db.commit())
            raise(QString(), db.lastError());
    }
}

void TADOConnection::RollbackTrans()
{
    const QString drv = Database().driverName();
    if (drv == QLatin1String("QSQLITE") || drv == QLatin1String("QPSQL")) {
        execControl("ROLLBACK");
    } else {
        QSqlDatabase db = Database();
        ++StatementCount;
        m_odbcInTrans = false;
        if (!db.rollback())
            raise(QString(), db.lastError());
    }
}

// ---------------------------------------------------------------- parameters

TParameter &TParameters::Add(const QString &name, TFieldType type, int size)
{
    if (TParameter *p = FindParam(name))
        return *p;
    m_items.append(TParameter{name, type, size, QVariant()});
    return m_items.last();
}

TParameter *TParameters::FindParam(const QString &name)
{
    for (TParameter &p : m_items)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

TParameter &TParameters::ParamByName(const QString &name)
{
    if (TParameter *p = FindParam(name))
        return *p;
    throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name));
}

TParsedSql parseNamedParameters(const QString &sql)
{
    TParsedSql out;
    out.text.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    const auto isNameStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    const auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal or quoted name, copied as it stands ('' inside is a quote).
            const qsizetype start = i++;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.text.append(QStringView(sql).mid(start, i - start));
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            const qsizetype start = i;
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            out.text.append(QStringView(sql).mid(start, i - start));
        } else if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            out.text.append(QStringLiteral("::"));
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            out.occurrences.append(sql.mid(i + 1, j - i - 1));
            out.text.append(QLatin1Char('?'));
            i = j;
        } else {
            out.text.append(c);
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------- statements

TADOStatement::~TADOStatement()
{
    if (m_attached)
        m_attached->detach(this);
}

const QStringList &TADOStatement::effectiveLines() const
{
    if (Connection) {
        const auto it = DialectSQL.constFind(Connection->Dialect());
        if (it != DialectSQL.constEnd() && !it->isEmpty())
            return *it;
    }
    return m_sql;
}

QSqlQuery &TADOStatement::run(const QString &owner, bool forwardOnly)
{
    if (!Connection || !Connection->Connected())
        throw EADOError(QStringLiteral("%1: conexão com o banco de dados fechada.").arg(owner));
    const QStringList &lines = effectiveLines();
    // Same lines as prepared: usually the very same shared list.
    const bool sameText = lines.constData() == m_preparedLines.constData() || lines == m_preparedLines;
    if (!m_prepared || !sameText || m_attached != Connection) {
        const QString text = lines.join(QLatin1Char('\n'));
        if (m_attached && m_attached != Connection)
            m_attached->detach(this);
        m_prepared.reset();
        const TParsedSql parsed = parseNamedParameters(text);
        for (const QString &name : parsed.occurrences)
            if (!Parameters.FindParam(name))
                throw EDatabaseError(QStringLiteral("%1: parâmetro '%2' não declarado.").arg(owner, name));
        auto q = std::make_unique<QSqlQuery>(Connection->Database());
        q->setForwardOnly(forwardOnly);
        ++Connection->StatementCount;
        if (!q->prepare(parsed.text))
            Connection->raise(QString(), q->lastError());
        m_prepared = std::move(q);
        m_preparedLines = lines;
        ++m_generation;
        m_occurrences = parsed.occurrences;
        m_attached = Connection;
        Connection->attach(this);
    }
    QSqlQuery &q = *m_prepared;
    const TDialect dialect = Connection->Dialect();
    const bool textDates = dialect == TDialect::SQLite || dialect == TDialect::PostgreSQL;
    for (int i = 0; i < m_occurrences.size(); ++i) {
        const TParameter &p = Parameters.ParamByName(m_occurrences[i]);
        QVariant v;
        try {
            v = TDataPacket::coerce(p.Value, p.DataType);
        } catch (const EPacketError &e) {
            throw EConvertError(QStringLiteral("%1: parâmetro %2: %3").arg(owner, p.Name, QString::fromUtf8(e.what())));
        }
        if (!v.isValid()) {
            switch (p.DataType) {
            case TFieldType::ftFloat: v = QVariant(QMetaType::fromType<double>()); break;
            case TFieldType::ftInteger: v = QVariant(QMetaType::fromType<qlonglong>()); break;
            case TFieldType::ftDateTime:
                v = textDates ? QVariant(QMetaType::fromType<QString>()) : QVariant(QMetaType::fromType<QDateTime>());
                break;
            case TFieldType::ftBoolean: v = QVariant(QMetaType::fromType<bool>()); break;
            default: v = QVariant(QMetaType::fromType<QString>()); break;
            }
        } else if (p.DataType == TFieldType::ftDateTime && textDates) {
            v = dateTimeToText(v.toDateTime());
        }
        q.bindValue(i, v);
    }
    ++Connection->StatementCount;
    if (!q.exec())
        Connection->raise(QString(), q.lastError());
    return q;
}

// ---------------------------------------------------------------- TADOQuery

void TADOQuery::Open()
{
    if (Active())
        return;
    QSqlQuery &q = run(objectName(), true);
    QSqlRecord rec;  // read only when the columns must be found
    QList<TFieldDef> defs;
    QVector<int> cols;
    const bool adopt = m_fields.empty();
    if (adopt) {
        rec = q.record();
        for (int c = 0; c < rec.count(); ++c) {
            const QSqlField f = rec.field(c);
            TFieldDef d;
            d.name = f.name().toUpper();
            switch (f.metaType().id()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong: d.type = TFieldType::ftInteger; break;
            case QMetaType::Double:
            case QMetaType::Float: d.type = TFieldType::ftFloat; break;
            case QMetaType::QDateTime:
            case QMetaType::QDate: d.type = TFieldType::ftDateTime; break;
            case QMetaType::Bool: d.type = TFieldType::ftBoolean; break;
            default: d.type = TFieldType::ftString; d.size = f.length() > 0 ? f.length() : 0; break;
            }
            bool dup = false;
            for (const TFieldDef &e : defs)
                dup = dup || e.name == d.name;
            if (dup)
                continue;
            defs.append(d);
            cols.append(c);
        }
        m_fields.clear();
        for (const TFieldDef &d : defs)
            m_fields.push_back(std::make_unique<TField>(this, int(m_fields.size()), d));
    } else if (m_colsFor == m_generation && m_cols.size() == qsizetype(m_fields.size())) {
        cols = m_cols;  // same prepared statement, same result columns
    } else {
        rec = q.record();
        for (const auto &f : m_fields) {
            int col = -1;
            for (int c = 0; c < rec.count() && col < 0; ++c)
                if (rec.fieldName(c).compare(f->FieldName(), Qt::CaseInsensitive) == 0)
                    col = c;
            if (col < 0) {
                q.finish();
                throw EDatabaseError(QStringLiteral("%1: Campo '%2' não encontrado.").arg(objectName(), f->FieldName()));
            }
            cols.append(col);
        }
        m_cols = cols;
        m_colsFor = m_generation;
    }
    std::vector<QVector<QVariant>> rows;
    const qsizetype nf = qsizetype(m_fields.size());
    try {
        while (q.next()) {
            QVector<QVariant> row(nf);
            for (qsizetype k = 0; k < nf; ++k)
                row[k] = m_fields[size_t(k)]->convert(q.value(cols[k]));
            rows.push_back(std::move(row));
        }
    } catch (...) {
        q.finish();
        throw;
    }
    if (q.lastError().isValid()) {
        const QSqlError err = q.lastError();
        q.finish();
        Connection->raise(QString(), err);
    }
    q.finish();
    loadRows({}, std::move(rows), false);
}

void TADOQuery::Close()
{
    TDataSet::Close();
}

int TADOQuery::ExecSQL()
{
    QSqlQuery &q = run(objectName(), true);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

int TADOCommand::Execute()
{
    QSqlQuery &q = run(objectName(), true);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

// ---------------------------------------------------------------- storage, provider

void TADOSqlStorage::SetADOQuery(TADOQuery *q)
{
    m_query = q;
    if (!q)
        return;
    for (TDialect d : {TDialect::Oracle, TDialect::SQLServer, TDialect::SQLite, TDialect::PostgreSQL})
        q->DialectSQL.insert(d, textFor(d));
    q->reset();
}

QStringList TADOSqlStorage::textFor(TDialect d) const
{
    switch (d) {
    case TDialect::Oracle: return SQLORACLE;
    case TDialect::SQLServer: return SQLMSSQL;
    case TDialect::SQLite: return SQLSQLITE;
    case TDialect::PostgreSQL: return SQLPOSTGRESQL;
    case TDialect::Unknown: break;
    }
    return {};
}

TDataPacket TDataSetProvider::GetData() const
{
    if (!DataSet)
        throw EDatabaseError(QStringLiteral("%1: nenhum conjunto de dados ligado.").arg(objectName()));
    if (!DataSet->Active())
        throw EDatabaseError(QStringLiteral("%1: o conjunto de dados está fechado.").arg(objectName()));
    return DataSet->Data();
}
