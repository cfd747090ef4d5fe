// The product list read in one statement against the row-by-row merge it
// replaced: random stores with every edge case of the merge mixed in, read
// by both and compared whole, on every engine; and the statements a call
// runs, whatever the number of products.
//
// QUL_LOJAS_ALEATORIAS sets the number of random stores (default 24) and
// QUL_SEMENTE the first seed, to replay a failure.

#include "ModuleFixture.h"
#include "ProductList.h"
#include "ProductListRowByRow.h"
#include "ProductPacket.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Prepared inserts on the test's own connection, one transaction per store.
class Inserts {
public:
    explicit Inserts(QSqlDatabase db) : m_db(db) {}
    void run(const QString &sql, const QVariantList &values)
    {
        QSqlQuery *&q = m_queries[sql];
        if (!q) {
            q = new QSqlQuery(m_db);
            if (!q->prepare(sql))
                QTest::qFail(qPrintable(sql + QStringLiteral(": ") + q->lastError().text()), __FILE__, __LINE__);
        }
        for (int i = 0; i < values.size(); ++i)
            q->bindValue(i, values[i]);
        if (!q->exec())
            QTest::qFail(qPrintable(sql + QStringLiteral(": ") + q->lastError().text()), __FILE__, __LINE__);
    }
    ~Inserts() { qDeleteAll(m_queries); }

private:
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery *> m_queries;
};

const QString kProduto = QStringLiteral(
    "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, SGUNIDADE, VRPREUNIT, "
    "IDPESAPROD, QTTARAPROD, DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, IDORIGPRODPR) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, '2020-05-06 07:08:09', 'P', '1', 'P')");
const QString kPreco = QStringLiteral(
    "INSERT INTO ITEMPRECO (CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, VRPRECITEM) "
    "VALUES (?, ?, ?, ?, ?, ?)");
const QString kAliquota = QStringLiteral(
    "INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, IDTPIMPOSFIS) VALUES (?, ?, ?, ?, ?)");
const QString kLoja = QStringLiteral(
    "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD) VALUES (?, ?, ?, ?)");
const QString kImposto = QStringLiteral(
    "INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES (?, ?, ?, ?)");

QVariant nulo() { return QVariant(QMetaType::fromType<QString>()); }
QVariant nuloNumero() { return QVariant(QMetaType::fromType<double>()); }

// A random store: a few hundred products with their side rows, every case
// the merge has to handle mixed in. Returns the codes of its products.
class LojaAleatoria {
public:
    explicit LojaAleatoria(quint32 semente) : m_rng(semente) {}

    bool semChave = false;        // ALIQIMPFIS without its key: several rates per product
    bool codigoInvalido = false;  // one reduced code that is not a number
    QStringList codigos;

    void gera(const TestDb::Fresh &db)
    {
        semChave = sorte(50);
        codigoInvalido = sorte(12);
        recriaAliquotas(db);
        for (const char *t : {"ITEMPRECO", "PRODLOJA", "PRODUTO", "IMPOSTO"})
            db.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(t)));
        QSqlDatabase d = db.db();
        QVERIFY(d.transaction());
        Inserts ins(d);
        ins.run(kImposto, {QStringLiteral("00"), QStringLiteral("Tributado"), QStringLiteral("TRIB"), QStringLiteral("T")});
        ins.run(kImposto, {QStringLiteral("03"), QStringLiteral("ICMS 18%"), QStringLiteral("T18"), QStringLiteral("T")});
        ins.run(kImposto, {QStringLiteral("II"), QStringLiteral("Isento"), nulo(), nulo()});
        ins.run(kImposto, {QStringLiteral("ÇA"), QStringLiteral("Substituição"), QStringLiteral("SUBST_TRIB_LONGO"),
                           QStringLiteral("F")});
        const int n = 200 + escolhe(150);
        for (int k = 0; k < n; ++k)
            produto(ins, k, n);
        if (codigoInvalido)
            ins.run(QStringLiteral("UPDATE PRODUTO SET CDPRODINTE = '12A' WHERE CDPRODUTO = ?"),
                    {codigos[escolhe(int(codigos.size()))]});
        QVERIFY(d.commit());
    }

    int escolhe(int n) { return int(m_rng.bounded(n)); }
    bool sorte(int porcento) { return escolhe(100) < porcento; }

private:
    template <typename T>
    T umDe(std::initializer_list<T> l) { return *(l.begin() + escolhe(int(l.size()))); }

    void recriaAliquotas(const TestDb::Fresh &db)
    {
        db.exec(QStringLiteral("DROP TABLE ALIQIMPFIS"));
        db.exec(QStringLiteral("CREATE TABLE ALIQIMPFIS (CDFILIAL VARCHAR(4) NOT NULL, CDPRODUTO VARCHAR(10) NOT NULL, "
                               "CDIMPOSTO VARCHAR(2), VRPEALIMPFIS DOUBLE PRECISION, DTULTATUALIF TIMESTAMP, "
                               "IDTPIMPOSFIS VARCHAR(4)%1)")
                    .arg(semChave ? QString() : QStringLiteral(", PRIMARY KEY (CDFILIAL, CDPRODUTO)")));
        if (semChave)
            db.exec(QStringLiteral("CREATE INDEX IX_ALIQIMPFIS_PRODUTO ON ALIQIMPFIS (CDFILIAL, CDPRODUTO)"));
    }

    QVariant texto(int porcentoNulo, std::initializer_list<const char *> opcoes)
    {
        if (sorte(porcentoNulo))
            return nulo();
        return QString::fromUtf8(umDe(opcoes));
    }

    QVariant numero(int porcentoNulo)
    {
        if (sorte(porcentoNulo))
            return nuloNumero();
        return double(escolhe(100000)) / 100.0;
    }

    void produto(Inserts &ins, int k, int n)
    {
        // Codes of several forms: their text order is not their number order.
        const QString codigo = umDe<QString>({QString::number(k + 1), QStringLiteral("P%1").arg(k),
                                              QStringLiteral("%1").arg(k, 6, 10, QLatin1Char('0'))});
        codigos.append(codigo);
        // Reduced codes: "2" before "10", equal numbers ("7" and "007"), repeats.
        QVariant reduzido = QString::number(1 + escolhe(n));
        if (sorte(10))
            reduzido = umDe<QString>({QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("7"), QStringLiteral("007"),
                                      QStringLiteral(" 12 "), QStringLiteral("0")});
        else if (sorte(2))
            reduzido = nulo();
        const QString longo = QStringLiteral("Pão de queijo mineiro com requeijão cremoso e orégano (embalagem família)");
        QVariant nome = texto(8, {"Açúcar cristal", "Feijão carioca", "Café torrado e moído", "Maçã gala", "", "X"});
        if (sorte(10))
            nome = longo;
        ins.run(kProduto,
                {codigo, sorte(10) ? QVariant(QStringLiteral("ARVORE-DE-PRODUTO-MUITO-LONGA")) : texto(8, {"A1", "B.2.3", ""}),
                 reduzido, nome,
                 texto(10, {"", "0001234", "7891000100103", "789100010010378910001001037891000"}),
                 texto(8, {"UN", "KG", "LT", "UNIDADE_LONGA"}), numero(30), texto(10, {"S", "N", "s", "", "SN"}),
                 numero(10)});

        // Prices: none, one or several start dates on both sides of the
        // text filter, and rows that are not the product's price.
        static const char *const inicios[] = {"2010-03-15 00:00:00", "2010-01-01 00:00:00", "2011-01-01 00:00:00",
                                              "2009-12-31 00:00:00", "2012-06-30 10:00:00", "2010-01-05 00:00:00"};
        const int nPrecos = umDe({0, 1, 1, 2, 3});
        const int primeiro = escolhe(6);
        for (int i = 0; i < nPrecos; ++i)
            ins.run(kPreco, {QStringLiteral("9999"), QStringLiteral("001"), QString::fromLatin1(inicios[(primeiro + i) % 6]),
                             codigo, codigo, numero(10)});
        if (sorte(10))
            ins.run(kPreco, {QStringLiteral("9999"), QStringLiteral("002"), QString::fromLatin1(inicios[0]), codigo, codigo, 77.0});
        if (sorte(10))
            ins.run(kPreco, {QStringLiteral("0001"), QStringLiteral("001"), QString::fromLatin1(inicios[2]), codigo, codigo, 66.0});
        if (sorte(10))
            ins.run(kPreco, {QStringLiteral("9999"), QStringLiteral("001"), QString::fromLatin1(inicios[2]), codigo,
                             QStringLiteral("OUTRO"), 55.0});

        // Rates: none, one, one whose tax is missing, several (without the
        // key), and rates of another branch.
        const int nAliquotas = semChave ? umDe({0, 1, 2, 3}) : umDe({0, 1, 1});
        QStringList impostos{QStringLiteral("00"), QStringLiteral("03"), QStringLiteral("II"), QStringLiteral("ÇA"),
                             QStringLiteral("ZZ")};
        for (int i = 0; i < nAliquotas; ++i) {
            const QString imposto = impostos.takeAt(escolhe(int(impostos.size())));
            ins.run(kAliquota, {QStringLiteral("9999"), codigo, imposto, numero(10), texto(10, {"T", "I", "F", "TX"})});
        }
        if (sorte(15))
            ins.run(kAliquota, {QStringLiteral("0001"), codigo, QStringLiteral("03"), 12.0, QStringLiteral("T")});

        // Store row: none, one, and rows of another store or branch.
        if (sorte(85))
            ins.run(kLoja, {QStringLiteral("9999"), QStringLiteral("01"), codigo, texto(10, {"COM1", "0", "", "LPT1-LONGA"})});
        if (sorte(10))
            ins.run(kLoja, {QStringLiteral("9999"), QStringLiteral("02"), codigo, QStringLiteral("COM9")});
        if (sorte(10))
            ins.run(kLoja, {QStringLiteral("0001"), QStringLiteral("01"), codigo, QStringLiteral("COM8")});
    }

    QRandomGenerator m_rng;
};

QString mostra(const QVariant &v)
{
    if (!v.isValid())
        return QStringLiteral("nulo");
    return QStringLiteral("%1:'%2'").arg(QString::fromLatin1(v.metaType().name()), v.toString());
}

QString linha(const TDataPacket &p, int r)
{
    QStringList out;
    for (int i = 0; i < p.fields.size(); ++i)
        out << p.fields[i].name + QLatin1Char('=') + mostra(p.rows[r].value(i));
    return out.join(QStringLiteral(", "));
}

// Empty when the packets are the same field by field and row by row
// (names, types, widths, nulls, value types and values, order); else the
// first difference.
QString primeiraDiferenca(const TDataPacket &conjunto, const TDataPacket &referencia)
{
    if (conjunto.fields != referencia.fields)
        return QStringLiteral("campos diferentes");
    const int n = int(std::min(conjunto.rows.size(), referencia.rows.size()));
    for (int r = 0; r < n; ++r) {
        for (int i = 0; i < conjunto.fields.size(); ++i) {
            const QVariant a = conjunto.rows[r].value(i), b = referencia.rows[r].value(i);
            const bool igual = a.isValid() == b.isValid()
                               && (!a.isValid() || (a.metaType() == b.metaType() && a == b));
            if (!igual || conjunto.rows[r].size() != referencia.rows[r].size())
                return QStringLiteral("linha %1, campo %2:\n  um comando:   %3\n  linha a linha: %4")
                    .arg(r)
                    .arg(conjunto.fields[i].name, linha(conjunto, r), linha(referencia, r));
        }
    }
    if (conjunto.rows.size() != referencia.rows.size())
        return QStringLiteral("%1 linhas contra %2 da referência; primeira a mais: %3")
            .arg(conjunto.rows.size())
            .arg(referencia.rows.size())
            .arg(conjunto.rows.size() > n ? linha(conjunto, n) : linha(referencia, n));
    return QString();
}

// Both readings of one code: the service (one statement) and the reference.
// Empty when they agree; both failing counts as agreeing.
QString compara(const QString &codigo, int *linhas = nullptr)
{
    QVariant out;
    if (getProduto(w(codigo).c_str(), &out) != 0)
        return QStringLiteral("getProduto devolveu status de falha");
    TDataPacket referencia;
    QString falhaReferencia;
    try {
        referencia = readProductListRowByRow(*rdmCadProd, codigo);
    } catch (const std::exception &e) {
        falhaReferencia = exceptionMessage(e);
    }
    if (!isDataPacket(out)) {
        if (falhaReferencia.isEmpty())
            return QStringLiteral("um comando falhou (%1), linha a linha não").arg(out.toString());
        return QString();
    }
    if (!falhaReferencia.isEmpty())
        return QStringLiteral("linha a linha falhou (%1), um comando não").arg(falhaReferencia);
    const TDataPacket conjunto = toDataPacket(out);
    if (linhas)
        *linhas = int(conjunto.rows.size());
    // The same statement taken row by row, as the export reads it.
    if (const QString d = primeiraDiferenca(readProductList(*rdmCadProd, codigo), referencia); !d.isEmpty())
        return QStringLiteral("por linha: ") + d;
    return primeiraDiferenca(conjunto, referencia);
}

}  // namespace

class TstProductList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { TestDb::addEngines(); }

    void randomStoresReadAlikeByBothPaths();
    void statementsPerCallBounded_data();
    void statementsPerCallBounded();
};

void TstProductList::randomStoresReadAlikeByBothPaths()
{
    QUL_FRESH_DB(db, false);
    if (db.onPostgreSQL()) {
        // Room for texts longer than the packet's widths, as SQLite allows.
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN NMPRODUTO TYPE VARCHAR(90)"));
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN CDARVPROD TYPE VARCHAR(40)"));
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN CDBARPRODUTO TYPE VARCHAR(40)"));
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN SGUNIDADE TYPE VARCHAR(20)"));
        db.exec(QStringLiteral("ALTER TABLE PRODUTO ALTER COLUMN IDPESAPROD TYPE VARCHAR(4)"));
        db.exec(QStringLiteral("ALTER TABLE PRODLOJA ALTER COLUMN CDPORIMPPROD TYPE VARCHAR(20)"));
        db.exec(QStringLiteral("ALTER TABLE IMPOSTO ALTER COLUMN SGIMPOSTO TYPE VARCHAR(20)"));
    }
    const int lojas = qEnvironmentVariableIsSet("QUL_LOJAS_ALEATORIAS")
                          ? qEnvironmentVariableIntValue("QUL_LOJAS_ALEATORIAS") : 24;
    const quint32 primeira = qEnvironmentVariableIsSet("QUL_SEMENTE")
                                 ? quint32(qEnvironmentVariableIntValue("QUL_SEMENTE")) : 20240610u;
    int falhas = 0, produtos = 0;
    for (int l = 0; l < lojas; ++l) {
        const quint32 semente = primeira + quint32(l);
        LojaAleatoria loja(semente);
        loja.gera(db);
        if (QTest::currentTestFailed())
            return;
        Modulo m(db.connectionString());
        const auto falha = [&](const QString &codigo, const QString &diferenca) {
            return QStringLiteral("semente %1 (QUL_SEMENTE=%1 QUL_LOJAS_ALEATORIAS=1), código \"%2\": %3")
                .arg(semente)
                .arg(codigo, diferenca)
                .toUtf8();
        };
        int linhas = -1;
        const QString todos = compara(QStringLiteral("T"), &linhas);
        QVERIFY2(todos.isEmpty(), falha(QStringLiteral("T"), todos).constData());
        if (loja.codigoInvalido) {
            QCOMPARE(linhas, -1);  // the whole call failed on both paths
            ++falhas;
            continue;
        }
        QCOMPARE(linhas, int(loja.codigos.size()));  // one row per product, none left out
        produtos += linhas;
        // Single products, and a code that does not exist.
        QStringList amostra{QStringLiteral("NAOEXISTE")};
        for (int i = 0; i < 3; ++i)
            amostra << loja.codigos[loja.escolhe(int(loja.codigos.size()))];
        for (const QString &codigo : std::as_const(amostra)) {
            const QString uma = compara(codigo, &linhas);
            QVERIFY2(uma.isEmpty(), falha(codigo, uma).constData());
            QCOMPARE(linhas, codigo == QLatin1String("NAOEXISTE") ? 0 : 1);
        }
    }
    qInfo("%d lojas, %d produtos comparados, %d lojas com código reduzido inválido", lojas, produtos, falhas);
}

void TstProductList::statementsPerCallBounded_data()
{
    QTest::addColumn<int>("produtos");
    QTest::newRow("1 produto") << 1;
    QTest::newRow("2000 produtos") << 2000;
}

void TstProductList::statementsPerCallBounded()
{
    QFETCH(int, produtos);
    QUL_FRESH_DB(db, false);
    {
        QSqlDatabase d = db.db();
        QVERIFY(d.transaction());
        Inserts ins(d);
        ins.run(kImposto, {QStringLiteral("03"), QStringLiteral("ICMS 18%"), QStringLiteral("T18"), QStringLiteral("T")});
        for (int k = 1; k <= produtos; ++k) {
            const QString c = QString::number(k);
            ins.run(kProduto, {c, c, c, QStringLiteral("Produto %1").arg(k), QStringLiteral("789%1").arg(k), QStringLiteral("UN"), 1.0,
                               QStringLiteral("N"), 0.0});
            ins.run(kPreco, {QStringLiteral("9999"), QStringLiteral("001"), QStringLiteral("2011-01-01 00:00:00"), c, c, 2.5});
            ins.run(kAliquota, {QStringLiteral("9999"), c, QStringLiteral("03"), 18.0, QStringLiteral("T")});
            ins.run(kLoja, {QStringLiteral("9999"), QStringLiteral("01"), c, QStringLiteral("COM1")});
        }
        QVERIFY(d.commit());
    }
    Modulo m(db.connectionString());
    TADOConnection *con = rdmCadProd->adcCadProd;
    for (int chamada = 0; chamada < 2; ++chamada) {  // the first call also prepares
        const quint64 antes = con->StatementCount;
        QVariant out;
        QCOMPARE(getProduto(w(QStringLiteral("T")).c_str(), &out), 0);
        QVERIFY2(isDataPacket(out), qPrintable(out.toString()));
        QCOMPARE(toDataPacket(out).rows.size(), produtos);
        const quint64 comandos = con->StatementCount - antes;
        QVERIFY2(comandos <= 5, qPrintable(QStringLiteral("%1 comandos").arg(comandos)));
    }
}

QTEST_GUILESS_MAIN(TstProductList)
#include "tst_productlist.moc"
