// No SQL Server or Oracle server runs here, so every text of the statement
// catalogue for those two dialects goes through sqlfluff's parser (dialects
// tsql and oracle) with its parameter markers bound to literals: a text
// that does not parse fails. The module's own declared statements are
// built as the loader builds them, their repeated groups twice.

#include "NamedParameters.h"
#include "StatementCatalogue.h"
#include "StatementTables.h"
#include "StoreCheck.h"
#include "TrdmCadProd.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The text a statement runs on a dialect: its own text for it, else the
// stored one.
QString textFor(TADOStatement *st, TDialect d)
{
    const QStringList lines = st->DialectSQL.value(d);
    return (lines.isEmpty() ? st->sqlLines() : lines).join(QLatin1Char('\n'));
}

QString literalFor(const TParameter &p)
{
    switch (p.DataType) {
    case TFieldType::ftFloat: return QStringLiteral("1.5");
    case TFieldType::ftInteger:
    case TFieldType::ftBoolean: return QStringLiteral("1");
    case TFieldType::ftDateTime: return QStringLiteral("'2011-01-01 00:00:00'");
    case TFieldType::ftString: break;
    }
    return QStringLiteral("'T'");
}

// The text with every marker replaced by a literal of its parameter's type.
QString bound(TADOStatement *st, const QString &text, QString *error)
{
    const TParsedSql parsed = parseNamedParameters(text);
    const QStringList parts = parsed.text.split(QLatin1Char('?'));
    if (parts.size() != parsed.occurrences.size() + 1) {
        *error = QStringLiteral("'?' fora de um marcador de parâmetro");
        return QString();
    }
    QString out = parts[0];
    for (int i = 0; i < parsed.occurrences.size(); ++i) {
        const TParameter *p = st->Parameters.FindParam(parsed.occurrences[i]);
        if (!p) {
            *error = QStringLiteral("parâmetro %1 não declarado").arg(parsed.occurrences[i]);
            return QString();
        }
        out += literalFor(*p) + parts[i + 1];
    }
    return out;
}

bool hasUnparsable(const QJsonValue &v, QString *raw)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("unparsable")) {
                *raw = QString::fromUtf8(QJsonDocument(QJsonArray{it.value()}).toJson(QJsonDocument::Compact)).left(300);
                return true;
            }
            if (hasUnparsable(it.value(), raw))
                return true;
        }
    } else if (v.isArray()) {
        for (const QJsonValue &e : v.toArray())
            if (hasUnparsable(e, raw))
                return true;
    }
    return false;
}

}  // namespace

class TstDialectSql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueParses_data();
    void catalogueParses();
    void repeatedGroups_data();
    void repeatedGroups();
    void listFilteredOnOneKey();
    void textsWrittenDown();
    void storeCheckReadsTexts_data();
    void storeCheckReadsTexts();
};

void TstDialectSql::catalogueParses_data()
{
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("sqlfluffDialect");
    QTest::newRow("sqlserver") << int(TDialect::SQLServer) << QStringLiteral("tsql");
    QTest::newRow("oracle") << int(TDialect::Oracle) << QStringLiteral("oracle");
}

void TstDialectSql::catalogueParses()
{
    QFETCH(int, dialect);
    QFETCH(QString, sqlfluffDialect);
    const QString sqlfluff = QStandardPaths::findExecutable(QStringLiteral("sqlfluff"));
    QVERIFY2(!sqlfluff.isEmpty(), "sqlfluff não encontrado (scripts/install-deps.sh o instala)");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TrdmCadProd dm;
    QList<TADOStatement *> all = dm.statements();
    const QList<std::shared_ptr<TADOStatement>> declared = catalogueStatements(2);
    for (const auto &st : declared)
        if (!textFor(st.get(), TDialect(dialect)).isEmpty())  // not one for PostgreSQL only
            all.append(st.get());
    QStringList files;
    for (TADOStatement *st : all) {
        const QString name = dynamic_cast<QObject *>(st)->objectName();
        QString error;
        QString text = bound(st, textFor(st, TDialect(dialect)), &error);
        if (TDialect(dialect) == TDialect::Oracle)  // sqlfluff's Oracle grammar has no locking clause
            text.replace(QRegularExpression(QStringLiteral("\\s+FOR UPDATE$")), QString());
        QVERIFY2(error.isEmpty(), qPrintable(name + QStringLiteral(": ") + error));
        QFile f(dir.filePath(name + QStringLiteral(".sql")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8() + '\n');
        files << f.fileName();
    }
    QCOMPARE(files.size(), 23 + 10);  // the stored design's, the declared ones but two for PostgreSQL
    // The store check finds in these texts the tables it finds in those of the engines it runs on.
    QCOMPARE(usoDasSentencas(dm, TDialect(dialect)).tabelas(), usoDasSentencas(dm, TDialect::SQLite).tabelas());

    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(sqlfluff, {QStringLiteral("parse"), QStringLiteral("--dialect"), sqlfluffDialect, QStringLiteral("--templater"),
                       QStringLiteral("raw"), QStringLiteral("--ignore-local-config"), QStringLiteral("--format"),
                       QStringLiteral("json"), dir.path()});
    QVERIFY2(p.waitForFinished(240000), "sqlfluff não terminou");
    const QByteArray err = p.readAllStandardError();
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &perr);
    QVERIFY2(doc.isArray(), qPrintable(perr.errorString() + QLatin1Char(' ') + QString::fromUtf8(err)));
    QStringList seen, failures;
    for (const QJsonValue &v : doc.array()) {
        const QJsonObject o = v.toObject();
        const QString file = QFileInfo(o.value(QStringLiteral("filepath")).toString()).completeBaseName();
        seen << file;
        QString raw;
        if (!o.value(QStringLiteral("segments")).isObject())
            failures << file + QStringLiteral(": nada reconhecido");
        else if (hasUnparsable(o.value(QStringLiteral("segments")), &raw))
            failures << file + QStringLiteral(": ") + raw;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(seen.size(), files.size());  // every text was parsed
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, err.constData());
}

void TstDialectSql::repeatedGroups_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("rows");
    for (const char *m : {"acmInsProd", "acmInsItemPrec", "acmInsAliq", "acmInsProdLoja"})
        for (int n : {1, 1000})  // one row, and an import's full batch
            QTest::addRow("%s %d", m, n) << QString::fromLatin1(m) << n;
}

// A statement of n rows is the model's INSERT with its VALUES tuple n
// times, row k's markers named with "_k".
void TstDialectSql::repeatedGroups()
{
    QFETCH(QString, model);
    QFETCH(int, rows);
    TrdmCadProd dm;
    auto *one = qobject_cast<TADOCommand *>(dm.component(model));
    QVERIFY(one);
    const QString name = catalogueRowsOf(model);
    QVERIFY(!name.isEmpty());
    const std::unique_ptr<TADOCommand> many = catalogueCommand(name, rows);
    const QStringList head = one->sqlLines().mid(0, one->sqlLines().indexOf(QStringLiteral("VALUES")) + 1);
    QCOMPARE(many->sqlLines().mid(0, head.size()), head);
    const TParsedSql single = parseNamedParameters(one->CommandText());
    const TParsedSql batch = parseNamedParameters(many->CommandText());
    QStringList expected;
    for (int k = 0; k < rows; ++k)
        for (const QString &p : single.occurrences)
            expected << QStringLiteral("%1_%2").arg(p).arg(k);
    QCOMPARE(batch.occurrences, expected);
    const QList<TParameter> &params = many->Parameters.items();
    QCOMPARE(params.size(), one->Parameters.items().size() * rows);
    for (qsizetype i = 0; i < params.size(); ++i) {
        const TParameter &p = one->Parameters.items().at(i % one->Parameters.items().size());
        QCOMPARE(params[i].Name, QStringLiteral("%1_%2").arg(p.Name).arg(i / one->Parameters.items().size()));
        QCOMPARE(params[i].DataType, p.DataType);
    }
    // Tuples joined by commas, the last one ending the statement.
    QCOMPARE(batch.text.count(QStringLiteral("),\n(")), rows - 1);
    QVERIFY(batch.text.endsWith(QLatin1Char(')')));
}

// The one-product reading and an import's batch reading are the list's
// statement, dialect by dialect, with their own filter (and the batch's
// own order).
void TstDialectSql::listFilteredOnOneKey()
{
    TrdmCadProd dm;
    const std::unique_ptr<TADOQuery> one = catalogueQuery(QStringLiteral("adqProdutoAtual"));
    const std::unique_ptr<TADOQuery> batch = catalogueQuery(QStringLiteral("adqProdutosDoLote"), 3);
    QCOMPARE(one->fieldDefs(), dm.adqProdutoLista->fieldDefs());
    QCOMPARE(batch->fieldDefs(), dm.adqProdutoLista->fieldDefs());
    QCOMPARE(batch->Parameters.items().size(), 3);
    for (TDialect d : {TDialect::Oracle, TDialect::SQLServer, TDialect::SQLite, TDialect::PostgreSQL}) {
        QStringList list = dm.adqProdutoLista->DialectSQL.value(d, dm.adqProdutoLista->sqlLines());
        const QStringList mine = one->DialectSQL.value(d, one->sqlLines());
        const qsizetype where = list.indexOf(QStringLiteral(" WHERE (P.CDPRODUTO = :P_CDPRODUTO OR :P_CDPRODUTO = 'T')"));
        QVERIFY(where > 0);
        list[where] = QStringLiteral(" WHERE P.CDPRODUTO = :P_CDPRODUTO");
        QCOMPARE(mine, list);
        list = list.mid(0, where);
        list << QStringLiteral(" WHERE P.CDPRODUTO IN (") << QStringLiteral("       :P_C0,") << QStringLiteral("       :P_C1,")
             << QStringLiteral("       :P_C2") << QStringLiteral("       )")
             << QStringLiteral(" ORDER BY P.CDPRODUTO, IP.DTINIVGPREC, AL.CDIMPOSTO");
        QCOMPARE(batch->DialectSQL.value(d, batch->sqlLines()), list);
    }
}

// Every statement, the stored design's and the declared ones (groups twice),
// against its line in textos-sql.txt: its name, then digests of its stored
// text, of the text it runs on Oracle, SQL Server, SQLite and PostgreSQL,
// and of its parameters. A text changed on purpose changes its line.
void TstDialectSql::textsWrittenDown()
{
    TrdmCadProd dm;
    QList<TADOStatement *> all = dm.statements();
    const QList<std::shared_ptr<TADOStatement>> declared = catalogueStatements(2);
    for (const auto &st : declared)
        all.append(st.get());
    QFile f(QStringLiteral(QUL_TEXTOS_SQL));
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList written = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const auto digest = [](const QString &t) { return QCryptographicHash::hash(t.toUtf8(), QCryptographicHash::Sha1).toHex().left(12); };
    for (qsizetype i = 0; i < all.size(); ++i) {
        QStringList line{dynamic_cast<QObject *>(all[i])->objectName()}, params;
        for (TDialect d : {TDialect::Unknown, TDialect::Oracle, TDialect::SQLServer, TDialect::SQLite, TDialect::PostgreSQL})
            line << digest(textFor(all[i], d));
        for (const TParameter &p : all[i]->Parameters.items())
            params << QStringLiteral("%1:%2:%3").arg(p.Name).arg(int(p.DataType)).arg(p.Size);
        line << digest(params.join(QLatin1Char(' ')));
        QCOMPARE(line.join(QLatin1Char(' ')), written.value(i));
    }
    QCOMPARE(written.size(), all.size());
}

// What the store check reads from a text: "TABLE.COLUMN", and "COLUMN(T1|T2)" for a column named alone
// in a statement over several tables.
void TstDialectSql::storeCheckReadsTexts_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("uso");
    QTest::newRow("a FROM list, aliases") << "SELECT A.CDPRODUTO, P.NMPRODUTO FROM PRODUTO A, IMPOSTO AS P WHERE A.CDX = :P_CDX "
                                             "AND EXISTS (SELECT 1 FROM (SELECT 1 AS N) A)"
                                          << "IMPOSTO.NMPRODUTO PRODUTO.CDPRODUTO PRODUTO.CDX";
    QTest::newRow("WITH names, derived tables") << "WITH P AS (SELECT CDPRODUTO FROM PRODUTO), Q AS (SELECT 1 FROM P) "
                                                   "SELECT X.NRITEM FROM (SELECT NRITEM FROM ITEMVENDA) X JOIN P ON P.CDPRODUTO = 1"
                                                << "ITEMVENDA. PRODUTO. CDPRODUTO(ITEMVENDA|PRODUTO) NRITEM(ITEMVENDA|PRODUTO)";
    QTest::newRow("DELETE, UPDATE, INSERT") << "DELETE ITEMPRECO WHERE CDFILIAL = '9999'; UPDATE PRODLOJA SET CDLOJA = 1; "
                                               "INSERT INTO IMPOSTO (CDIMPOSTO) VALUES (1); SELECT 1 FROM UNIDMEDIDA FOR UPDATE"
                                            << "IMPOSTO. ITEMPRECO. PRODLOJA. UNIDMEDIDA. CDFILIAL(IMPOSTO|ITEMPRECO|PRODLOJA|UNIDMEDIDA) "
                                               "CDIMPOSTO(IMPOSTO|ITEMPRECO|PRODLOJA|UNIDMEDIDA) CDLOJA(IMPOSTO|ITEMPRECO|PRODLOJA|UNIDMEDIDA)";
    QTest::newRow("literals, quoted names, comments, functions, AS")
        << "SELECT TO_CHAR(DTX, 'CDY FROM Z') COLLATE \"C\" AS QTALIAS, IDX(1) FROM ALIQIMPFIS -- FROM W" << "ALIQIMPFIS.DTX";
}

void TstDialectSql::storeCheckReadsTexts()
{
    QFETCH(QString, sql);
    QFETCH(QString, uso);
    TUsoDoBanco u;
    u.soma(sql);
    QStringList lido;
    for (auto it = u.colunas.cbegin(); it != u.colunas.cend(); ++it) {
        QStringList c(it.value().begin(), it.value().end());
        c.sort();
        lido << (c.isEmpty() ? QStringList{it.key() + QLatin1Char('.')} : c.replaceInStrings(QRegularExpression(QStringLiteral("^")), it.key() + QLatin1Char('.')));
    }
    for (auto it = u.colunasDeUmaDe.cbegin(); it != u.colunasDeUmaDe.cend(); ++it) {
        QStringList c(it.value().begin(), it.value().end());
        c.sort();
        for (const QString &coluna : c)
            lido << coluna + QLatin1Char('(') + it.key().join(QLatin1Char('|')) + QLatin1Char(')');
    }
    QCOMPARE(lido.join(QLatin1Char(' ')), uso);
}

QTEST_GUILESS_MAIN(TstDialectSql)
#include "tst_dialectsql.moc"
