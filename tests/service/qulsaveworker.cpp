// A terminal that saves new products as fast as it can, for the
// concurrency test: connects, says READY, waits for the barrier file, then
// inserts COUNT products through setProduto and exits 0 when every save
// succeeded.
//   qulsaveworker CONNECTION COUNT BARRIER TAG

#include "QulShared.h"
#include "Srv_qul00002.h"
#include "qul00002.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 5) {
        std::fputs("uso: qulsaveworker CONEXAO QUANTIDADE BARREIRA ETIQUETA\n", stderr);
        return 2;
    }
    registerDataPacketType();
    SetStringConexQul(a[1]);
    const int count = a[2].toInt();
    try {
        rdmCadProd = new TrdmCadProd(nullptr);
        rdmCadProd->adcCadProd->Open();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "conexão: %s\n", e.what());
        return 1;
    }
    std::puts("READY");
    std::fflush(stdout);
    for (int i = 0; i < 6000 && !QFileInfo::exists(a[3]); ++i)
        QThread::msleep(5);

    TDataPacket p;
    for (const auto &[n, t, s] : {std::tuple{"CDPRODUTO", TFieldType::ftString, 10}, {"CDARVPROD", TFieldType::ftString, 20},
                                  {"CDPRODINTE", TFieldType::ftString, 20}, {"NMPRODUTO", TFieldType::ftString, 50},
                                  {"CDBARPRODUTO", TFieldType::ftString, 30}, {"SGUNIDADE", TFieldType::ftString, 10},
                                  {"IDPESAPROD", TFieldType::ftString, 1}, {"QTTARAPROD", TFieldType::ftFloat, 0},
                                  {"VRPREUNIT", TFieldType::ftFloat, 0}, {"VRPRECITEM", TFieldType::ftFloat, 0},
                                  {"CDIMPOSTO", TFieldType::ftString, 2}, {"SGIMPOSTO", TFieldType::ftString, 10},
                                  {"IDTPIMPOSFIS", TFieldType::ftString, 1}, {"VRPEALIMPFIS", TFieldType::ftFloat, 0},
                                  {"CDPORIMPPROD", TFieldType::ftString, 5}})
        p.fields.append(TFieldDef{QLatin1String(n), t, s});
    int failures = 0;
    const std::u16string op = u"I";
    for (int i = 0; i < count; ++i) {
        const QString red = a[4] + QString::number(i);
        p.rows = {QVariantList{QString(), QString(), red, QStringLiteral("Produto %1").arg(red), red, QStringLiteral("UN"),
                               QStringLiteral("N"), 0.0, QVariant(), 1.0 + i, QStringLiteral("03"), QStringLiteral("T18"),
                               QStringLiteral("T"), 18.0, QStringLiteral("0")}};
        const QVariant v = fromDataPacket(p);
        QVariant out;
        if (setProduto(&v, op.c_str(), &out) != 0 || out.isValid()) {
            ++failures;
            std::fprintf(stderr, "save %d: %s\n", i, out.toString().toLocal8Bit().constData());
        }
    }
    delete rdmCadProd;
    rdmCadProd = nullptr;
    return failures == 0 ? 0 : 1;
}
