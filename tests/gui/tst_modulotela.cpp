// The screen as a host reaches it: the built libqul00002.so loaded with
// dlopen, its exports resolved by name, the module's own hooks set through
// its setters, the screen driven by finding its window among the
// application's top-level widgets. Also the qulhost program's failures.

#include "DataSet.h"
#include "ScreenOpening.h"
#include "SystemLog.h"
#include "TestDb.h"
#include "qul00002.h"

#include <QApplication>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <dlfcn.h>
#include <functional>

namespace {

using VoidFn = void (*)();
using CriaFn = bool (*)(const QVariantList *, QVariant *);
using ErroFn = const char16_t *(*)();
using TextoFn = void (*)(const char16_t *);
using InfoFn = const TQulPackageInfo *(*)();
using MensagemFn = void (*)(const TMensagemHook *);
using PesquisaFn = void (*)(const TPesquisaHook *);
using RelatorioFn = void (*)(const TErrorReportHook *);

QWidget *janelaDaTela()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("TfrmCadProd") && w->isVisible())
            return w;
    return nullptr;
}

}  // namespace

class TstModuloTela : public QObject {
    Q_OBJECT

    void *m_mod = nullptr;
    VoidFn m_initialize = nullptr, m_finalize = nullptr;
    CriaFn m_cria = nullptr, m_criaQualificado = nullptr;
    ErroFn m_erro = nullptr;
    TextoFn m_conexao = nullptr, m_dir = nullptr;
    InfoFn m_info = nullptr;
    MensagemFn m_mensagem = nullptr;
    PesquisaFn m_pesquisa = nullptr;
    RelatorioFn m_relatorio = nullptr;
    QStringList m_inesperados;
    QByteArrayList m_registro;  // the lines the host's log handler sent on

    template <class F>
    F resolve(const char *nome)
    {
        return reinterpret_cast<F>(dlsym(m_mod, nome));
    }

    // The module's dialogs fail the test unless a test scripted them.
    void ganchosQueFalham()
    {
        const TMensagemHook m = [this](const QString &texto, const QString &, const QString &, const QString &,
                                          int, const QString &, const QString &, int, TDataSet *) {
            m_inesperados << texto;
            return false;
        };
        m_mensagem(&m);
        const TPesquisaHook p = [this](TClientDataSet *, int, const QString &, quint32, quint32, quint32, quint32,
                                          int) {
            m_inesperados << QStringLiteral("Pesquisa");
            return false;
        };
        m_pesquisa(&p);
        const TErrorReportHook r = [this](const QString &msg) { m_inesperados << msg; };
        m_relatorio(&r);
    }

    bool abre(const std::function<void(QWidget *)> &passo, CriaFn cria = nullptr)
    {
        QTimer t;
        t.setSingleShot(true);
        QObject::connect(&t, &QTimer::timeout, [&] {
            QWidget *w = janelaDaTela();
            if (!w) {
                QTest::qFail("a tela não apareceu", __FILE__, __LINE__);
                return;
            }
            passo(w);
            // Only its own "Sair" closes the screen.
            if (QWidget *aberta = janelaDaTela())
                aberta->findChild<QAbstractButton *>(QStringLiteral("sbtSair"))->click();
        });
        t.start(0);
        const QVariantList args{1, QStringLiteral("x")};
        QVariant io(42);
        const bool ok = (cria ? cria : m_cria)(&args, &io);
        if (io != QVariant(42))
            QTest::qFail("o argumento de entrada e saída foi alterado", __FILE__, __LINE__);
        return ok;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_mod = dlopen(QUL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(m_mod, dlerror());
        m_initialize = resolve<VoidFn>("Initialize");
        m_finalize = resolve<VoidFn>("Finalize");
        m_cria = resolve<CriaFn>("CriaTelaQul00002");
        m_criaQualificado = resolve<CriaFn>("Cli_Qul00002_CriaTelaQul00002");
        m_erro = resolve<ErroFn>("QulUltimoErro");
        m_conexao = resolve<TextoFn>("QulSetStringConexQul");
        m_dir = resolve<TextoFn>("QulSetProgramDir");
        m_info = resolve<InfoFn>("GetPackageInfoTable");
        m_mensagem = resolve<MensagemFn>("QulSetMensagemHook");
        m_pesquisa = resolve<PesquisaFn>("QulSetPesquisaHook");
        m_relatorio = resolve<RelatorioFn>("QulSetErrorReportHook");
        QVERIFY(m_initialize && m_finalize && m_cria && m_criaQualificado && m_erro && m_conexao && m_dir && m_info
                && m_mensagem && m_pesquisa && m_relatorio);
        QVERIFY(resolve<void *>("QulSetRelFiscaisHook"));
        // Only the module's entries are exported.
        QVERIFY(!resolve<void *>("frmCadProd"));
        QVERIFY(!resolve<void *>("rdmCadProd"));
        SystemLog::install("tst_modulotela", [this](int, const QByteArray &linha) { m_registro << linha; });
        m_initialize();
        m_initialize();  // counted: the second does nothing
        ganchosQueFalham();
    }

    void cleanupTestCase()
    {
        if (m_finalize) {
            m_finalize();
            m_finalize();
        }
    }

    void init()
    {
        m_inesperados.clear();
        m_registro.clear();
        ganchosQueFalham();
    }

    void cleanup()
    {
        QVERIFY2(m_inesperados.isEmpty(), qPrintable(m_inesperados.join(QLatin1Char('\n'))));
        QVERIFY(!janelaDaTela());
        m_conexao(nullptr);
        m_dir(nullptr);
    }

    void descricaoDoModulo()
    {
        QCOMPARE(reinterpret_cast<void *>(m_cria), reinterpret_cast<void *>(m_criaQualificado));
        const TQulPackageInfo *info = m_info();
        QVERIFY(info);
        QCOMPARE(QLatin1String(info->module), QLatin1String("qul00002"));
        QStringList unidades;
        for (int i = 0; i < info->unitCount; ++i)
            unidades << QLatin1String(info->units[i].name);
        const qsizetype srv = unidades.indexOf(QStringLiteral("Srv_qul00002"));
        const qsizetype vrt = unidades.indexOf(QStringLiteral("Pkg_Vrt00002"));
        const qsizetype cli = unidades.indexOf(QStringLiteral("Cli_qul00002"));
        QVERIFY(srv >= 0 && srv < vrt && vrt < cli);
        QCOMPARE(cli, unidades.size() - 1);
    }

    void abreEFechaPeloSair()
    {
        TestDb::Fresh db(TestDb::Engine::SQLite, true);
        QVERIFY(db.ok());
        QTemporaryDir dir;
        m_conexao(QStringView(db.connectionString()).utf16());
        m_dir(QStringView(dir.path()).utf16());
        int linhas = -1;
        QString pagina;
        QVERIFY(abre([&](QWidget *w) {
            auto *grade = w->findChild<QAbstractItemView *>(QStringLiteral("dbgProduto"));
            QVERIFY(grade);
            linhas = grade->model()->rowCount();
            auto *nbk = w->findChild<QStackedWidget *>(QStringLiteral("nbkProduto"));
            pagina = nbk->currentWidget()->objectName();
            QTest::mouseClick(w->findChild<QAbstractButton *>(QStringLiteral("sbtSair")), Qt::LeftButton);
        }));
        QCOMPARE(linhas, db.count(QStringLiteral("PRODUTO")));
        QCOMPARE(pagina, QStringLiteral("Pagina1"));
        QVERIFY(QString::fromUtf16(m_erro()).isEmpty());
    }

    void pesquisaPeloGanchoDoHospedeiro()
    {
        TestDb::Fresh db(TestDb::Engine::SQLite, true);
        QTemporaryDir dir;
        m_conexao(QStringView(db.connectionString()).utf16());
        m_dir(QStringView(dir.path()).utf16());
        QString escolhido;
        const TPesquisaHook p = [&](TClientDataSet *ds, int, const QString &p3, quint32, quint32, quint32, quint32,
                                       int) {
            ds->Last();
            escolhido = ds->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
            return p3 == QLatin1String("S");
        };
        m_pesquisa(&p);
        int linha = -1, ultima = -2;
        QVERIFY(abre(
            [&](QWidget *w) {
                QTest::keyClick(w, Qt::Key_F5);
                auto *grade = w->findChild<QAbstractItemView *>(QStringLiteral("dbgProduto"));
                linha = grade->currentIndex().row();
                ultima = grade->model()->rowCount() - 1;
                QTest::keyClick(w, Qt::Key_Escape);
            },
            m_criaQualificado));
        QVERIFY(!escolhido.isEmpty());
        QCOMPARE(linha, ultima);
    }

    void falhaChegaAoHospedeiro()
    {
        QTemporaryDir dir;
        m_conexao(QStringView(QStringLiteral("Provider=SQLite;Data Source=%1").arg(dir.filePath(QStringLiteral("falta.db")))).utf16());
        m_dir(QStringView(dir.path()).utf16());
        const QVariantList args;
        QVERIFY(!m_cria(&args, nullptr));
        const QString erro = QString::fromUtf16(m_erro());
        QVERIFY2(erro.contains(QStringLiteral("falta.db")), qPrintable(erro));
        QVERIFY(!janelaDaTela());

        // A corrupt colour file ends the opening the same way; afterwards
        // the module opens again (nothing was left behind).
        TestDb::Fresh db(TestDb::Engine::SQLite, false);
        m_conexao(QStringView(db.connectionString()).utf16());
        QFile cores(dir.filePath(QStringLiteral("PARAMETROSQUL.CDS")));
        QVERIFY(cores.open(QIODevice::WriteOnly));
        cores.write("isto não é um pacote");
        cores.close();
        QVERIFY(!m_cria(nullptr, nullptr));
        QVERIFY(QString::fromUtf16(m_erro()).contains(QStringLiteral("PARAMETROSQUL.CDS")));
        QVERIFY(cores.remove());
        QVERIFY(abre([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); }));
        QVERIFY(QString::fromUtf16(m_erro()).isEmpty());
    }

    void hospedeiroMostraFalhaNoDialogo_data()
    {
        // The connection (%1: the program's folder, DB: a store's) and a file left empty there; what the
        // dialog and the log say.
        QTest::addColumn<QString>("conexao");
        QTest::addColumn<QString>("vazio");
        QTest::addColumn<QString>("texto");
        QTest::newRow("banco que falta") << "Provider=SQLite;Data Source=%1/falta.db;Password=segredo9" << QString() << "falta.db";
        QTest::newRow("arquivo de cores vazio") << "DB" << "PARAMETROSQUL.CDS" << "PARAMETROSQUL.CDS";
        QTest::newRow("qul.ini vazio") << QString() << "qul.ini" << "qul.ini";
        QTest::newRow("loja sem tabelas") << "Provider=SQLite;Data Source=%1/loja.db" << "loja.db"
                                          << "Faltam as tabelas ALIQIMPFIS, IMPOSTO, ITCOMANDAVEN, ITEMPRECO, ITEMVENDA, "
                                             "ITMENUCONFTE, PRODLOJA, PRODUTO, UNIDMEDIDA.\nCrie as tabelas com o esquema";
    }

    // The failure in the module's dialog, and one line of the log through the host's handler, with the
    // terminal and without the password.
    void hospedeiroMostraFalhaNoDialogo()
    {
        QFETCH(QString, conexao);
        QFETCH(QString, vazio);
        QFETCH(QString, texto);
        QByteArrayList &registro = m_registro;
        QTemporaryDir dir;
        TestDb::Fresh db(TestDb::Engine::SQLite, false);
        m_dir(QStringView(dir.path()).utf16());
        QFile arquivo(dir.filePath(vazio));
        QVERIFY(vazio.isEmpty() || arquivo.open(QIODevice::WriteOnly));
        arquivo.close();
        ModuleLoader modulo;
        QVERIFY2(modulo.load(QStringLiteral(QUL_MODULE_PATH)), qPrintable(modulo.error()));
        ScreenOpening::Options opcoes;
        opcoes.connection = conexao == QLatin1String("DB") ? db.connectionString() : conexao.replace("%1", dir.path());
        QCOMPARE(ScreenOpening::run(modulo, opcoes, "qulhost"), 1);
        QCOMPARE(m_inesperados.size(), 1);
        QVERIFY2(m_inesperados.first().contains(texto), qPrintable(m_inesperados.first()));
        m_inesperados.clear();
        QVERIFY(!registro.isEmpty());
        for (const QByteArray &linha : registro)
            QVERIFY2(linha.startsWith("terminal " + QSysInfo::machineHostName().toUtf8() + ": ") && !linha.contains("segredo9")
                         && !linha.contains('\n'), linha.constData());
        QVERIFY2(registro.join().contains(texto.section(QLatin1Char('\n'), 0, 0).toUtf8()), registro.join('\n').constData());
    }

    void hospedeiroRelataFalha()
    {
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QULHOST_PATH),
                {QStringLiteral("--connection"),
                 QStringLiteral("Provider=SQLite;Data Source=%1").arg(dir.filePath(QStringLiteral("falta.db")))});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("falta.db")), qPrintable(err));

        p.start(QStringLiteral(QULHOST_PATH), {QStringLiteral("--opcao-desconhecida")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
    }
};

QTEST_MAIN(TstModuloTela)
#include "tst_modulotela.moc"
