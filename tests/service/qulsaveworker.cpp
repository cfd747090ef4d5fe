// A terminal that saves new products as fast as it can, for the
// concurrency test: connects, says READY, waits for the barrier file, then
// inserts COUNT products through setProduto and exits 0 when every save
// succeeded. TAG "=" gives every terminal the same codes: a save refused
// because the other stored the code first is no failure; it prints
// "SAVED n REFUSED m".
//   qulsaveworker CONNECTION COUNT BARRIER TAG

#include "QulShared.h"
#include "PacketRows.h"
#include "TrdmCadProd.h"
#include "Srv_qul00002.h"

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

    int failures = 0, saved = 0, refused = 0;
    const bool same = a[4] == QLatin1String("=");
    const std::u16string op = u"I";
    for (int i = 0; i < count; ++i) {
        const QString red = same ? QString::number(i + 1) : a[4] + QString::number(i);
        const QVariant v = fromDataPacket(productPacket({{{"CDPRODINTE", red},
                                                          {"NMPRODUTO", QStringLiteral("Produto %1").arg(red)},
                                                          {"CDBARPRODUTO", red},
                                                          {"SGUNIDADE", "UN"},
                                                          {"IDPESAPROD", "N"},
                                                          {"QTTARAPROD", 0.0},
                                                          {"VRPRECITEM", 1.0 + i},
                                                          {"CDIMPOSTO", "03"},
                                                          {"SGIMPOSTO", "T18"},
                                                          {"IDTPIMPOSFIS", "T"},
                                                          {"VRPEALIMPFIS", 18.0},
                                                          {"CDPORIMPPROD", "0"}}}));
        QVariant out;
        const bool ok = setProduto(&v, op.c_str(), &out) == 0 && !out.isValid();
        if (ok) {
            ++saved;
        } else if (same && (out.toString() == QStringLiteral("Código Reduzido já cadastrado."))) {
            ++refused;
        } else {
            ++failures;
            std::fprintf(stderr, "save %d: %s\n", i, out.toString().toLocal8Bit().constData());
        }
    }
    if (same)
        std::printf("SAVED %d REFUSED %d\n", saved, refused);
    delete rdmCadProd;
    rdmCadProd = nullptr;
    return failures == 0 ? 0 : 1;
}
