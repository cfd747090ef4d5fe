#pragma once
// Shared pieces of the screen tests: a store database and a program
// directory of the test's own, dialog hooks that fail the test unless a
// test scripted them, and the opening of the screen through its modal loop.

#include "Cli_qul00002.h"
#include "DataSet.h"
#include "ModuleFixture.h"
#include "QulShared.h"
#include "BgrColor.h"
#include "BlendedControls.h"
#include "DesignLoader.h"
#include "ErrorReport.h"
#include "Glyphs.h"
#include "Pkg_Vrt00002.h"
#include "ScreenTheme.h"
#include "TMessages.h"
#include "TouchDialogs.h"
#include "TrdmCadProd.h"
#include "TestDb.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

// Dialog hooks that no test asked for: each call fails the current test
// and answers at once, so an unanswered dialog never hangs a run.
inline void instalaGanchosQueFalham()
{
    SetMensagemHook([](const QString &texto, const QString &, const QString &, const QString &, int tipo,
                       const QString &, const QString &, int, TDataSet *) {
        QTest::qFail(qPrintable(QStringLiteral("Mensagem inesperada (tipo %1): %2").arg(tipo).arg(texto)), __FILE__,
                     __LINE__);
        return false;
    });
    SetPesquisaHook([](TClientDataSet *ds, int, const QString &, quint32, quint32, quint32, quint32, int) {
        QTest::qFail(qPrintable(QStringLiteral("Pesquisa inesperada em %1").arg(ds ? ds->objectName() : QString())),
                     __FILE__, __LINE__);
        return false;
    });
    SetErrorReportHook([](const QString &m) {
        QTest::qFail(qPrintable(QStringLiteral("Relatório de erro inesperado: %1").arg(m)), __FILE__, __LINE__);
    });
    SetRelFiscaisHook([] { QTest::qFail("RelFiscais inesperado", __FILE__, __LINE__); });
}

// A store database and a program directory of this test's own.
struct Ambiente {
    explicit Ambiente(bool demo = false, TestDb::Engine engine = TestDb::Engine::SQLite) : db(engine, demo)
    {
        SetStringConexQul(db.connectionString());
        SetProgramDir(dir.path());
    }
    ~Ambiente()
    {
        SetStringConexQul(QString());
        SetProgramDir(QString());
    }
    QString arquivoCores() const { return dir.filePath(QLatin1String(kArquivoCores)); }

    TestDb::Fresh db;
    QTemporaryDir dir;
};

// An environment on the current engine's database, or the end of the test.
#define QUL_AMBIENTE(var, demo)                                                                  \
    Ambiente var(demo, TestDb::currentEngine());                                                 \
    do {                                                                                         \
        if (!var.db.ok()) {                                                                      \
            if (!TestDb::required(TestDb::currentEngine()))                                       \
                QSKIP(qPrintable(var.db.error()));                                               \
            QFAIL(qPrintable(var.db.error()));                                                   \
        }                                                                                        \
    } while (0)

// Every Mensagem as "texto|tipo|pergunta|codigoTela"; questions are
// answered with `resposta`, and `aoMostrar` runs while the message shows.
struct Mensagens {
    QStringList vistas;
    bool resposta = false;
    std::function<void(const QString &texto)> aoMostrar;
    Mensagens()
    {
        SetMensagemHook([this](const QString &texto, const QString &, const QString &, const QString &pergunta,
                               int tipo, const QString &, const QString &codigoTela, int, TDataSet *) {
            vistas << QStringLiteral("%1|%2|%3|%4").arg(texto).arg(tipo).arg(pergunta, codigoTela);
            if (aoMostrar)
                aoMostrar(texto);
            return resposta;
        });
    }
    ~Mensagens() { instalaGanchosQueFalham(); }
    QString ultima() const { return vistas.isEmpty() ? QString() : vistas.last(); }
};

// Every Pesquisa as "dataset|busca|linhas"; `escolhe` answers (it may move
// the dataset to the row it picks); no function: left without a pick.
struct Pesquisas {
    QStringList vistas;
    std::function<bool(TClientDataSet *)> escolhe;
    Pesquisas()
    {
        SetPesquisaHook([this](TClientDataSet *ds, int, const QString &busca, quint32, quint32, quint32, quint32, int) {
            vistas << QStringLiteral("%1|%2|%3").arg(ds->objectName(), busca).arg(ds->RecordCount());
            return escolhe ? escolhe(ds) : false;
        });
    }
    ~Pesquisas() { instalaGanchosQueFalham(); }
};

// A colour file whose records hold the given six colours each.
inline void gravaArquivoCores(const QString &path, const QList<QList<qint64>> &registros,
                              int campos = 6)
{
    TClientDataSet cds;
    cds.AddField(QStringLiteral("CDPARAM"), TFieldType::ftString, 10);
    for (int i = 1; i <= campos; ++i)
        cds.AddField(QStringLiteral("INCOR%1").arg(i), TFieldType::ftInteger);
    cds.CreateDataSet();
    for (const QList<qint64> &r : registros) {
        cds.Append();
        cds.FieldByName(QStringLiteral("CDPARAM"))->SetAsString(QStringLiteral("QUL"));
        for (int i = 1; i <= campos; ++i)
            cds.FieldByName(QStringLiteral("INCOR%1").arg(i))->SetAsInteger(r.value(i - 1));
        cds.Post();
    }
    cds.SaveToFile(path);
}

// Opens the screen with CriaTelaQul00002 and runs `passo` from inside its
// modal loop; closes the screen afterwards if `passo` left it open (also
// when a check in `passo` failed). Exceptions of the opening reach the
// caller, as they reach a host.
inline bool abreTela(const std::function<void(TfrmCadProd *)> &passo)
{
    QTimer t;
    t.setSingleShot(true);
    t.setInterval(0);
    QObject::connect(&t, &QTimer::timeout, [&] {
        TfrmCadProd *f = frmCadProd;
        if (!f || !f->isVisible()) {
            QTest::qFail("a tela não está aberta", __FILE__, __LINE__);
            return;
        }
        passo(f);
        if (frmCadProd && frmCadProd->isVisible())
            frmCadProd->sbtSairClick(nullptr);
    });
    t.start();
    QVariant inout;
    return Cli_Qul00002::CriaTelaQul00002(QVariantList(), inout);
}

// Frame colour of field n, as 0x00BBGGRR.
inline quint32 corMoldura(TfrmCadProd *f, int n)
{
    auto *s = f->findChild<TBlendedShape *>(QStringLiteral("blsBorda%1").arg(n));
    return s ? colorToBGR(s->brushColor()) : 0xFFFFFFFFu;
}

inline TBlendedButton *botao(TfrmCadProd *f, const char *nome)
{
    return f->findChild<TBlendedButton *>(QLatin1String(nome));
}

inline QString legenda(TfrmCadProd *f, const char *nome)
{
    TBlendedButton *b = botao(f, nome);
    return b ? b->caption() : QStringLiteral("<sem %1>").arg(QLatin1String(nome));
}

// The ten entry fields' texts, in field order.
inline QStringList textosCampos(TfrmCadProd *f)
{
    QStringList t;
    for (const char *n : {"edtCodigo", "edtCodRed", "edtNomeProd", "edtUnidade", "edtPrecoUnit", "edtImposto",
                          "edtAliq", "edtCodBarra", "edtPortaImp", "edtTara"})
        t << legenda(f, n);
    return t;
}
