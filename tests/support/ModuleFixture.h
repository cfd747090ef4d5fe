#pragma once
// The product data module opened on a test database, as the screen opens
// it: created with no owner, connected through the shared connection
// string, released at the end.

#include "DataPacket.h"
#include "QulShared.h"
#include "TrdmCadProd.h"
#include "TestDb.h"
#include "Srv_qul00002.h"

#include <QtTest>

struct Modulo {
    explicit Modulo(const QString &connectionString)
    {
        registerDataPacketType();
        SetStringConexQul(connectionString);
        rdmCadProd = new TrdmCadProd(nullptr);
        rdmCadProd->adcCadProd->Open();
    }
    ~Modulo()
    {
        delete rdmCadProd;
        rdmCadProd = nullptr;
        SetStringConexQul(QString());
    }
    Modulo(const Modulo &) = delete;
    Modulo &operator=(const Modulo &) = delete;
};

// A product with its three side rows, written straight into the tables.
struct ProdutoTeste {
    QString codigo, reduzido, nome = QStringLiteral("Produto"), barras, unidade = QStringLiteral("UN");
    QString pesado = QStringLiteral("N");
    double tara = 0, preco = 1.5, aliquota = 18;
    QString imposto = QStringLiteral("03"), tipoImposto = QStringLiteral("T"), porta = QStringLiteral("COM1");
    QString inicioPreco = QStringLiteral("2011-01-01 00:00:00");
    bool comPreco = true, comAliquota = true, comLoja = true;
};

inline QString sqlText(const QString &s)
{
    QString q = s;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// The four tables a product is written to, and its rows there (every product's with `todos`).
inline constexpr const char *kTabelas[] = {"PRODUTO", "ITEMPRECO", "ALIQIMPFIS", "PRODLOJA"};
inline int linhasDoProduto(const TestDb::Fresh &db, const QString &codigo = QString(), bool todos = false)
{
    int n = 0;
    for (const char *t : kTabelas)
        n += todos ? db.count(QLatin1String(t)) : db.count(QLatin1String(t), QStringLiteral("CDPRODUTO = '%1'").arg(codigo));
    return n;
}
inline int totalLinhas(const TestDb::Fresh &db) { return linhasDoProduto(db, QString(), true); }

inline void insereImpostos(const TestDb::Fresh &db)
{
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('00', 'Tributado Livre', 'TRIB', 'T')"));
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('03', 'ICMS 18%', 'T18', 'T')"));
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('II', 'Isento', 'I', 'I')"));
    db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTPIMPOSFIS) VALUES ('01', 'ICMS 7%', 'T07', 'T')"));
}

inline void insereProduto(const TestDb::Fresh &db, const ProdutoTeste &p)
{
    db.exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, CDPRODINTE, NMPRODUTO, CDBARPRODUTO, SGUNIDADE, "
                           "VRPREUNIT, IDPESAPROD, QTTARAPROD, DTULTATUPROD, IDPRODPROPTERC, CDNVPRODUTO, IDORIGPRODPR) "
                           "VALUES (%1, %1, %2, %3, %4, %5, 9.99, %6, %7, '2020-05-06 07:08:09', 'P', '1', 'P')")
                .arg(sqlText(p.codigo), sqlText(p.reduzido), sqlText(p.nome), sqlText(p.barras), sqlText(p.unidade),
                     sqlText(p.pesado))
                .arg(p.tara));
    if (p.comPreco)
        db.exec(QStringLiteral("INSERT INTO ITEMPRECO (CDFILIAL, CDTABEPREC, DTINIVGPREC, CDPRODUTO, CDPRPAITABPR, VRPRECITEM, "
                               "DTULTATUITPR) VALUES ('9999', '001', %1, %2, %2, %3, '2020-05-06 07:08:09')")
                    .arg(sqlText(p.inicioPreco), sqlText(p.codigo))
                    .arg(p.preco));
    if (p.comAliquota)
        db.exec(QStringLiteral("INSERT INTO ALIQIMPFIS (CDFILIAL, CDPRODUTO, CDIMPOSTO, VRPEALIMPFIS, DTULTATUALIF, IDTPIMPOSFIS) "
                               "VALUES ('9999', %1, %2, %3, '2020-05-06 07:08:09', %4)")
                    .arg(sqlText(p.codigo), sqlText(p.imposto))
                    .arg(p.aliquota)
                    .arg(sqlText(p.tipoImposto)));
    if (p.comLoja)
        db.exec(QStringLiteral("INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD, DTULTATUPLOJ) "
                               "VALUES ('9999', '01', %1, %2, '2020-05-06 07:08:09')")
                    .arg(sqlText(p.codigo), sqlText(p.porta)));
}

inline ProdutoTeste produto(const QString &codigo, const QString &reduzido)
{
    ProdutoTeste p;
    p.codigo = codigo;
    p.reduzido = reduzido;
    p.nome = QStringLiteral("Produto ") + codigo;
    p.barras = QStringLiteral("789000000") + codigo.rightJustified(4, QLatin1Char('0'));
    return p;
}

// Copies of the packet's first row until it has `linhas`, each with codes
// of its own (from `serie` on), as distinct products must have.
inline void acrescentaCopias(TDataPacket &p, int linhas, int serie = 100000)
{
    const int red = p.fieldIndex(QStringLiteral("CDPRODINTE")), bar = p.fieldIndex(QStringLiteral("CDBARPRODUTO"));
    for (int k = 0; k < p.rows.size(); ++k, ++serie) {
        p.rows[k][red] = QString::number(serie);
        p.rows[k][bar] = QStringLiteral("78900%1").arg(serie, 8, 10, QLatin1Char('0'));
    }
    while (p.rows.size() < linhas) {
        p.rows.append(p.rows.first());
        p.rows.last()[red] = QString::number(serie);
        p.rows.last()[bar] = QStringLiteral("78900%1").arg(serie++, 8, 10, QLatin1Char('0'));
    }
}

// Value of field `name` in row `row` of a packet.
inline QVariant valor(const TDataPacket &p, int row, const QString &name)
{
    const int i = p.fieldIndex(name);
    if (i < 0 || row >= p.rows.size())
        return QVariant(QStringLiteral("<ausente>"));
    return p.rows[row].value(i);
}

inline std::u16string w(const QString &s)
{
    return s.toStdU16String();
}
