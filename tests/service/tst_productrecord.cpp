// The product record read from a packet by field name, and refused when
// the packet lacks a field or carries one of another type.
#include "PacketRows.h"
#include "ProductRecord.h"

#include <QtTest>
#include <functional>

namespace {

// Every value its own, so a value read into another field shows.
TProduto exemplo()
{
    return {"12", "12", "789", "ARROZ", "KG", 1.5, "S", 0.25, "34", 9.75, "03", "2", 18.5, "ICMS", "T"};
}

using TMuda = std::function<void(TDataPacket &)>;

void tira(TDataPacket &p, const char *nome)
{
    const int i = p.fieldIndex(QLatin1String(nome));
    p.fields.removeAt(i);
    for (QVariantList &r : p.rows)
        r.removeAt(i);
}

}  // namespace

class TstProductRecord : public QObject {
    Q_OBJECT
private slots:
    void recordReadByName();
    void packetRefused_data();
    void packetRefused();
};

void TstProductRecord::recordReadByName()
{
    const TProduto p = exemplo();
    // The packet as the services build it, by field name.
    const QVariantMap valores{{"CDPRODUTO", "12"},    {"CDARVPROD", "12"},   {"CDBARPRODUTO", "789"},
                              {"NMPRODUTO", "ARROZ"}, {"SGUNIDADE", "KG"},   {"VRPREUNIT", 1.5},
                              {"IDPESAPROD", "S"},    {"QTTARAPROD", 0.25},  {"CDPRODINTE", "34"},
                              {"VRPRECITEM", 9.75},   {"CDIMPOSTO", "03"},   {"CDPORIMPPROD", "2"},
                              {"VRPEALIMPFIS", 18.5}, {"SGIMPOSTO", "ICMS"}, {"IDTPIMPOSFIS", "T"}};
    QCOMPARE(produtosDoPacote(productPacket({valores})), QList<TProduto>{p});
    QCOMPARE(pacoteDeProdutos({p}), productPacket({valores}));
    // Fields in another order and letter case, a number as an integer.
    QList<TFieldDef> campos = productPacketFields();
    std::reverse(campos.begin(), campos.end());
    TDataPacket outra;
    outra.fields = campos;
    outra.rows.append(linhaDoProduto(p, campos));
    outra.fields[0].name = outra.fields[0].name.toLower();
    const int preco = outra.fieldIndex(QStringLiteral("VRPRECITEM"));
    outra.fields[preco].type = TFieldType::ftInteger;
    outra.rows[0][preco] = qint64(9);
    TProduto esperado = p;
    esperado.vrPrecItem = 9;
    QCOMPARE(produtosDoPacote(outra), QList<TProduto>{esperado});
    // Nulls read as empty and zero; a text cut to its width.
    TDataPacket nulos = pacoteDeProdutos({p});
    nulos.rows[0] = QVariantList(nulos.fields.size());
    nulos.rows[0][nulos.fieldIndex(QStringLiteral("NMPRODUTO"))] = QString(60, u'A');
    TProduto vazio;
    vazio.nmProduto = QString(50, u'A');
    QCOMPARE(produtosDoPacote(nulos), QList<TProduto>{vazio});
    // A record made elsewhere (the import's) cut the same way.
    TProduto longo;
    longo.nmProduto = QString(51, u'A');
    QCOMPARE(produtoNasLarguras(longo), vazio);
}

void TstProductRecord::packetRefused_data()
{
    QTest::addColumn<TMuda>("muda");
    QTest::addColumn<QString>("texto");
    QTest::addRow("sem campo") << TMuda([](TDataPacket &p) { tira(p, "IDPESAPROD"); })
                               << "cdsInsProd: Campo 'IDPESAPROD' não encontrado.";
    // Read in the insert dataset's order: NMPRODUTO before CDBARPRODUTO.
    QTest::addRow("sem dois") << TMuda([](TDataPacket &p) { tira(p, "CDBARPRODUTO"), tira(p, "NMPRODUTO"); })
                              << "cdsInsProd: Campo 'NMPRODUTO' não encontrado.";
    QTest::addRow("tipo") << TMuda([](TDataPacket &p) {
        p.fields[p.fieldIndex(QStringLiteral("QTTARAPROD"))].type = TFieldType::ftString;
    }) << "cdsInsProd: tipo incompatível no campo 'QTTARAPROD' (float esperado, string recebido).";
    QTest::addRow("texto num número") << TMuda([](TDataPacket &p) {
        p.rows[0][p.fieldIndex(QStringLiteral("VRPEALIMPFIS"))] = QStringLiteral("abc");
    }) << "'abc' não é um valor numérico válido. (campo VRPEALIMPFIS)";
}

void TstProductRecord::packetRefused()
{
    QFETCH(TMuda, muda);
    QFETCH(QString, texto);
    TDataPacket p = pacoteDeProdutos({exemplo()});
    muda(p);
    try {
        produtosDoPacote(p);
        QFAIL("aceito");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), texto);
    }
    // A row of a field that is not the product's, or not of its type.
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, linhaDoProduto(exemplo(), {{QStringLiteral("CDLOJA")}}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                             linhaDoProduto(exemplo(), {{QStringLiteral("VRPRECITEM"), TFieldType::ftString, 10}}));
}

QTEST_GUILESS_MAIN(TstProductRecord)
#include "tst_productrecord.moc"
