// The product registration screen driven through CriaTelaQul00002 and its
// modal loop: start-up, colours, placement, the list page commands and the
// release of the form and the data module on every way out.

#include "GuiFixture.h"
#include "Cp1252.h"
#include "DataSetTableModel.h"
#include "VirtualKeys.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <algorithm>
#include <unistd.h>

namespace {

const quint32 kPadrao[6] = {0xC5C4C2, 0xE0E0E0, 0x84807B, 0x808080, 0xEEEEEE, 0x800000};

QList<quint32> cores(TfrmCadProd *f)
{
    return {f->FCor1, f->FCor2, f->FCor3, f->FCor4, f->FCor5, f->FCor6};
}

QStringList portas(TfrmCadProd *f)
{
    QStringList r;
    TClientDataSet *p = f->cdsPortaImp;
    for (p->First(); !p->Eof(); p->Next())
        r << p->FieldByName(QStringLiteral("CDPORTAIMPNF"))->AsString();
    return r;
}

// Three products, listed in this order (reduced codes 1, 2, 3).
void insereTresProdutos(const TestDb::Fresh &db)
{
    insereImpostos(db);
    ProdutoTeste a = produto(QStringLiteral("11"), QStringLiteral("1"));
    a.nome = QStringLiteral("Queijo Prato Fatiado");
    a.barras = QStringLiteral("7891234");
    a.unidade = QStringLiteral("KG");
    a.preco = 1234.5;
    a.tara = 0;
    a.aliquota = 18;
    a.imposto = QStringLiteral("03");
    a.tipoImposto = QStringLiteral("T");
    a.porta = QStringLiteral("0");
    a.pesado = QStringLiteral("S");
    insereProduto(db, a);

    ProdutoTeste b = produto(QStringLiteral("12"), QStringLiteral("2"));
    b.nome = QStringLiteral("Pao de Forma");
    b.preco = 98765.4;
    b.tara = 1.5;
    b.aliquota = 0;
    b.imposto = QStringLiteral("II");
    b.tipoImposto = QStringLiteral("I");
    b.porta = QString();
    b.pesado = QStringLiteral("s");
    insereProduto(db, b);

    ProdutoTeste c = produto(QStringLiteral("13"), QStringLiteral("3"));
    c.nome = QStringLiteral("Agua Mineral");
    c.preco = 2;
    c.porta = QStringLiteral("COM3");
    c.pesado = QString();
    insereProduto(db, c);
}

QString codigoAtual(TfrmCadProd *f)
{
    return f->cdsProduto->FieldByName(QStringLiteral("CDPRODUTO"))->AsString();
}

int linhaDaGrade(TfrmCadProd *f)
{
    return f->dbgProduto->currentIndex().row();
}

bool marcadoSim(TfrmCadProd *f)
{
    return !f->imgSim->pixmap().isNull() && f->imgNao->pixmap().isNull();
}

bool marcadoNao(TfrmCadProd *f)
{
    return f->imgSim->pixmap().isNull() && !f->imgNao->pixmap().isNull();
}

}  // namespace

class TstTelaProduto : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerDataPacketType(); }

    void init()
    {
        instalaGanchosQueFalham();
        SetTelaHook({});
    }

    void cleanup()
    {
        // Whatever happened, nothing of the screen survives a call.
        QVERIFY(frmCadProd == nullptr);
        QVERIFY(rdmCadProd == nullptr);
        SetTelaHook({});
        instalaGanchosQueFalham();
    }

    void formataValor()
    {
        QCOMPARE(TfrmCadProd::FormataValor(1234.5), QStringLiteral("1.234,50"));
        QCOMPARE(TfrmCadProd::FormataValor(0), QStringLiteral("0,00"));
        // Every decimal the value holds: what goes back untouched is unchanged.
        QCOMPARE(TfrmCadProd::FormataValor(0.015), QStringLiteral("0,015"));
        QCOMPARE(TfrmCadProd::FormataValor(999.999), QStringLiteral("999,999"));
        QCOMPARE(TfrmCadProd::FormataValor(1234567.891), QStringLiteral("1.234.567,891"));
        QCOMPARE(TfrmCadProd::FormataValor(-12.3), QStringLiteral("-12,30"));
        QCOMPARE(TfrmCadProd::FormataValor(12), QStringLiteral("12,00"));
    }

    void posicaoNaTela_data()
    {
        QTest::addColumn<QRect>("tela");
        QTest::addColumn<QPoint>("esperado");
        QTest::newRow("640x480") << QRect(0, 0, 640, 480) << QPoint(-80, -60);
        QTest::newRow("799x600") << QRect(0, 0, 799, 600) << QPoint(0, 0);
        QTest::newRow("800x599") << QRect(0, 0, 800, 599) << QPoint(0, 0);
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << QPoint(0, 0);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QPoint(112, 84);
        QTest::newRow("segunda tela") << QRect(1024, 100, 640, 480) << QPoint(944, 40);
        QTest::newRow("segunda tela") << QRect(1024, 0, 640, 480) << QPoint(944, -60);
    }

    void posicaoNaTela()
    {
        QFETCH(QRect, tela);
        QFETCH(QPoint, esperado);
        QCOMPARE(TfrmCadProd::PosicaoNaTela(tela, QSize(800, 600)), esperado);
    }

    void regiaoArredondada()
    {
        const QRegion r = TfrmCadProd::RegiaoArredondada(800, 600);
        QCOMPARE(r.boundingRect(), QRect(0, 0, 800, 600));
        for (const QPoint &fora : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 599), QPoint(799, 599), QPoint(3, 3),
                                   QPoint(796, 596)})
            QVERIFY2(!r.contains(fora), qPrintable(QStringLiteral("%1,%2").arg(fora.x()).arg(fora.y())));
        for (const QPoint &dentro : {QPoint(400, 300), QPoint(20, 0), QPoint(0, 20), QPoint(779, 0), QPoint(799, 300),
                                     QPoint(400, 599), QPoint(20, 20), QPoint(780, 580)})
            QVERIFY2(r.contains(dentro), qPrintable(QStringLiteral("%1,%2").arg(dentro.x()).arg(dentro.y())));
    }

    void inicioSemArquivoCores()
    {
        Ambiente amb(true);
        QVERIFY(amb.db.ok());
        const int produtos = amb.db.count(QStringLiteral("PRODUTO"));
        QVERIFY(produtos > 3);
        bool passou = false;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QCOMPARE(f->nbkProduto->currentWidget()->objectName(), QStringLiteral("Pagina1"));
            QCOMPARE(f->windowTitle(), QStringLiteral("Travela - Dados do Produto"));
            QVERIFY(f->windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(f->size(), QSize(800, 600));
            QVERIFY(f->isModal());

            for (int i = 0; i < 6; ++i)
                QCOMPARE(cores(f).at(i), kPadrao[i]);
            QCOMPARE(f->FCampoAtual, 2);
            QCOMPARE(corMoldura(f, 2), 255u);
            for (int n : {1, 3, 4, 5, 6, 7, 8, 9, 10})
                QCOMPARE(corMoldura(f, n), f->FCor2);
            QVERIFY(!f->FCapsLock);
            QVERIFY(!f->FShift);
            QVERIFY(f->FOperacao.isEmpty());

            // The notebook stays white whatever the theme did to the form.
            QCOMPARE(f->nbkProduto->palette().color(QPalette::Window), QColor(Qt::white));
            QVERIFY(f->nbkProduto->autoFillBackground());

            QStringList esperado;
            for (int i = 1; i <= 9; ++i)
                esperado << QStringLiteral("COM%1").arg(i);
            for (int i = 1; i <= 9; ++i)
                esperado << QStringLiteral("LPT%1").arg(i);
            esperado << QStringLiteral("Nenhuma");
            QCOMPARE(portas(f), esperado);
            QVERIFY(f->cdsPortaImp->Locate(QStringLiteral("CDPORTAIMPNF"), QStringLiteral("Nenhuma")));
            QCOMPARE(f->cdsPortaImp->FieldByName(QStringLiteral("CDORDEM"))->AsInteger(), 1);
            QVERIFY(f->cdsPortaImp->Locate(QStringLiteral("CDPORTAIMPNF"), QStringLiteral("LPT9")));
            QCOMPARE(f->cdsPortaImp->FieldByName(QStringLiteral("CDORDEM"))->AsInteger(), 19);
            QVERIFY(!f->cdsPortaImp->FieldByName(QStringLiteral("CDORDEM"))->Visible);
            QCOMPARE(f->cdsPortaImp->FieldByName(QStringLiteral("CDPORTAIMPNF"))->DisplayLabel, QStringLiteral("Porta"));

            QCOMPARE(f->lblCodTela->text(), MontaRodapeGeral(true, QStringLiteral("QUL00002"), QStringLiteral("S")));
            QCOMPARE(f->findChild<QLabel *>(QStringLiteral("lblCodTela2"))->text(), QStringLiteral("Qul00002"));
            QVERIFY(!f->edtCodigo->isEnabled());
            QVERIFY(f->edtCodRed->isEnabled());

            // The rounded region is the window's.
            QCOMPARE(f->mask(), TfrmCadProd::RegiaoArredondada(800, 600));
            QVERIFY(!f->mask().contains(QPoint(0, 0)));

            // The list: every product, first row current, three columns.
            QCOMPARE(f->cdsProduto->RecordCount(), produtos);
            QCOMPARE(f->cdsProduto->RecNo(), 1);
            QAbstractItemModel *m = f->dbgProduto->model();
            QCOMPARE(m->rowCount(), produtos);
            QCOMPARE(m->columnCount(), 3);
            QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cód. Interno"));
            QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Cód. Reduzido"));
            QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Nome do Produto"));
            QCOMPARE(f->dbgProduto->columnWidth(0), 119);
            QCOMPARE(f->dbgProduto->columnWidth(1), 133);
            QCOMPARE(f->dbgProduto->columnWidth(2), 470);
            QCOMPARE(m->data(m->index(0, 0)).toString(), codigoAtual(f));
            QCOMPARE(linhaDaGrade(f), 0);
            QCOMPARE(f->dbgProduto->geometry(), QRect(-1, -4, 651, 553));
            QVERIFY(f->dbgProduto->editTriggers() == QAbstractItemView::NoEditTriggers);
            QCOMPARE(f->dbgProduto->selectionBehavior(), QAbstractItemView::SelectRows);
            QVERIFY(!f->dbgProduto->showGrid());
            QVERIFY(!f->dbgProduto->verticalHeader()->isVisible());
            passou = true;
        }));
        QVERIFY(passou);
    }

    void inicioComArquivoCores()
    {
        Ambiente amb(true);
        // Named in lower case, as files copied from the stores' platform may
        // be; the button face colour stored as a system colour (0xFF00000F).
        const QString arquivo = amb.dir.filePath(QStringLiteral("parametrosqul.cds"));
        gravaArquivoCores(arquivo, {{0x010203, 0x111111, 0x222222, 0x333333, 0x444444, -16777201},
                                    {1, 2, 3, 4, 5, 6}});
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QCOMPARE(cores(f), (QList<quint32>{0x010203, 0x111111, 0x222222, 0x333333, 0x444444, 0xFF00000Fu}));
            QCOMPARE(corMoldura(f, 2), 255u);
            for (int n : {1, 3, 4, 5, 6, 7, 8, 9, 10})
                QCOMPARE(corMoldura(f, n), 0x111111u);
            QCOMPARE(f->nbkProduto->palette().color(QPalette::Window), QColor(Qt::white));
            // Buttons in colour 5 with captions in colour 6.
            QCOMPARE(botao(f, "sbtIncluir")->color(), colorFromBGR(0x444444));
            QCOMPARE(botao(f, "sbtIncluir")->fontColor(), QColor(192, 192, 192));
        }));
    }

    void arquivoCoresSemRegistro()
    {
        Ambiente amb(true);
        gravaArquivoCores(amb.arquivoCores(), {});
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            for (int i = 0; i < 6; ++i)
                QCOMPARE(cores(f).at(i), kPadrao[i]);
        }));
    }

    void arquivoCoresCorrompido()
    {
        Ambiente amb(true);
        QFile arq(amb.arquivoCores());
        QVERIFY(arq.open(QIODevice::WriteOnly));
        arq.write("QULP\x01\xff\xff\xff\xff garbage");
        arq.close();
        bool abriu = false;
        QVERIFY_THROWS_EXCEPTION(std::exception, abreTela([&](TfrmCadProd *) { abriu = true; }));
        QVERIFY(!abriu);
        QVERIFY(frmCadProd == nullptr);
        QVERIFY(rdmCadProd == nullptr);
    }

    void arquivoCoresSemCampo()
    {
        Ambiente amb(true);
        gravaArquivoCores(amb.arquivoCores(), {{1, 2, 3, 4, 5}}, 5);
        try {
            abreTela([](TfrmCadProd *) { QTest::qFail("a tela não devia abrir", __FILE__, __LINE__); });
            QFAIL("nenhuma exceção");
        } catch (const Exception &e) {
            QVERIFY2(e.Message().contains(QStringLiteral("INCOR6")), qPrintable(e.Message()));
        }
        QVERIFY(frmCadProd == nullptr);
        QVERIFY(rdmCadProd == nullptr);
    }

    void arquivoCoresIlegivel()
    {
        if (::geteuid() == 0)
            QSKIP("root lê qualquer arquivo");
        Ambiente amb(true);
        gravaArquivoCores(amb.arquivoCores(), {{1, 2, 3, 4, 5, 6}});
        QFile::setPermissions(amb.arquivoCores(), QFileDevice::Permissions());
        QVERIFY_THROWS_EXCEPTION(Exception, abreTela([](TfrmCadProd *) {}));
    }

    void bancoAusente()
    {
        Ambiente amb(true);
        SetStringConexQul(QStringLiteral("Provider=SQLite;Data Source=%1").arg(amb.dir.filePath(QStringLiteral("nada.db"))));
        try {
            abreTela([](TfrmCadProd *) { QTest::qFail("a tela não devia abrir", __FILE__, __LINE__); });
            QFAIL("nenhuma exceção");
        } catch (const Exception &e) {
            QVERIFY2(e.Message().contains(QStringLiteral("nada.db")), qPrintable(e.Message()));
        }
        QVERIFY(frmCadProd == nullptr);
        QVERIFY(rdmCadProd == nullptr);
        QVERIFY(!QFile::exists(amb.dir.filePath(QStringLiteral("nada.db"))));
    }

    void bancoSemTabelas()
    {
        // getProduto reports its failure in its result: MensagemMetodo
        // shows it and the opening ends silently (EAbort) for the caller.
        Ambiente amb(false);
        amb.db.exec(QStringLiteral("DROP TABLE PRODUTO"));
        QStringList mostradas;
        SetMensagemHook([&](const QString &texto, const QString &, const QString &, const QString &, int tipo,
                            const QString &, const QString &, int, TDataSet *) {
            mostradas << texto;
            return false;
        });
        QVERIFY_THROWS_EXCEPTION(EAbort, abreTela([](TfrmCadProd *) {}));
        QCOMPARE(mostradas.size(), 1);
        QVERIFY2(mostradas.first().contains(QStringLiteral("getProduto")), qPrintable(mostradas.first()));
    }

    void posicionamento_data()
    {
        QTest::addColumn<QRect>("tela");
        QTest::addColumn<QPoint>("esperado");
        QTest::newRow("640x480") << QRect(0, 0, 640, 480) << QPoint(-80, -60);
        QTest::newRow("799x600") << QRect(0, 0, 799, 600) << QPoint(0, 0);
        QTest::newRow("800x600") << QRect(0, 0, 800, 600) << QPoint(0, 0);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QPoint(112, 84);
        QTest::newRow("segunda tela") << QRect(1024, 100, 640, 480) << QPoint(944, 40);
    }

    void posicionamento()
    {
        QFETCH(QRect, tela);
        QFETCH(QPoint, esperado);
        Ambiente amb(false);
        SetTelaHook([tela] { return tela; });
        QPoint visto(-9999, -9999);
        QVERIFY(abreTela([&](TfrmCadProd *f) { visto = f->pos(); }));
        QCOMPARE(visto, esperado);
    }

    void desenhoDoTeclado()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            const char *const linhas[4][10] = {
                {"sbt1", "sbt2", "sbt3", "sbt4", "sbt5", "sbt6", "sbt7", "sbt8", "sbt9", "sbt0"},
                {"sbtQ", "sbtW", "sbtE", "sbtR", "sbtT", "sbtY", "sbtU", "sbtI", "sbtO", "sbtP"},
                {"sbtA", "sbtS", "sbtD", "sbtF", "sbtG", "sbtH", "sbtJ", "sbtK", "sbtL", "sbtCCdil"},
                {"sbtZ", "sbtX", "sbtC", "sbtV", "sbtB", "sbtN", "sbtM", "sbtVirgula", "sbtPonto", "sbtBarra"}};
            const QString legendas[4] = {QStringLiteral("1234567890"), QStringLiteral("qwertyuiop"),
                                         QStringLiteral("asdfghjklç"), QStringLiteral("zxcvbnm,./")};
            const int tags[4][10] = {{49, 50, 51, 52, 53, 54, 55, 56, 57, 48},
                                     {81, 87, 69, 82, 84, 89, 85, 73, 79, 80},
                                     {65, 83, 68, 70, 71, 72, 74, 75, 76, 231},
                                     {90, 88, 67, 86, 66, 78, 77, 44, 46, 47}};
            const int topos[4] = {329, 378, 427, 476};
            const int esquerdas[10] = {16, 83, 150, 217, 284, 351, 418, 485, 552, 619};
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 10; ++c) {
                    TBlendedButton *b = botao(f, linhas[r][c]);
                    QVERIFY2(b, linhas[r][c]);
                    QCOMPARE(b->geometry(), QRect(esquerdas[c], topos[r], 62, 46));
                    QCOMPARE(b->caption(), QString(legendas[r].at(c)));
                    QCOMPARE(b->tag(), tags[r][c]);
                    QCOMPARE(b->font().pixelSize(), 21);
                    QVERIFY(b->font().bold());
                    QCOMPARE(b->font().family(), QStringLiteral("Tahoma"));
                    QCOMPARE(b->parentWidget()->objectName(), QStringLiteral("Pagina2"));
                }
            struct Funcao {
                const char *nome;
                QRect geo;
                const char *legenda;
                int tag;
            } funcoes[] = {
                {"sbtBackSpace", {686, 330, 93, 51}, "Backspace", 8},
                {"sbtEnter", {686, 383, 93, 138}, "Enter", 13},
                {"sbtSair2", {16, 524, 92, 51}, "Esc - Sair", 0},
                {"sbtShift", {113, 524, 92, 51}, "Shift", 16},
                {"sbtEspaco", {210, 524, 257, 51}, "", 32},
                {"sbtCapsLock", {472, 524, 101, 51}, "Caps Lock", 20},
                {"sbtLimpar", {578, 524, 103, 51}, "Limpar", 46},
                {"sbtConfirmar", {686, 524, 94, 51}, "Ctrl+Enter\nConfirmar", 0},
            };
            for (const Funcao &k : funcoes) {
                TBlendedButton *b = botao(f, k.nome);
                QVERIFY2(b, k.nome);
                QCOMPARE(b->geometry(), k.geo);
                QCOMPARE(b->caption(), QString::fromUtf8(k.legenda));
                QCOMPARE(b->tag(), k.tag);
            }
            for (const char *n : {"sbtSair2", "sbtLimpar", "sbtConfirmar"})
                QVERIFY2(!botao(f, n)->glyph().isNull(), n);
            QVERIFY(qobject_cast<TBlendedBitBtn *>(botao(f, "sbtConfirmar")));

            // Entry fields and their frames.
            struct Campo {
                const char *nome;
                QRect moldura, campo;
            } campos[] = {
                {"edtCodigo", {160, 61, 213, 30}, {162, 63, 209, 26}},
                {"edtCodRed", {605, 61, 158, 30}, {607, 63, 153, 26}},
                {"edtNomeProd", {160, 98, 601, 30}, {162, 100, 596, 26}},
                {"edtUnidade", {160, 135, 162, 30}, {162, 137, 158, 26}},
                {"edtPrecoUnit", {604, 135, 157, 30}, {606, 137, 153, 26}},
                {"edtImposto", {160, 172, 215, 30}, {162, 174, 211, 26}},
                {"edtAliq", {604, 172, 157, 30}, {606, 174, 153, 26}},
                {"edtCodBarra", {161, 208, 236, 30}, {163, 210, 232, 26}},
                {"edtPortaImp", {607, 209, 121, 30}, {609, 211, 117, 26}},
                {"edtTara", {384, 242, 98, 30}, {386, 244, 94, 26}},
            };
            for (int n = 1; n <= 10; ++n) {
                const Campo &c = campos[n - 1];
                auto *m = f->findChild<TBlendedShape *>(QStringLiteral("blsBorda%1").arg(n));
                QVERIFY(m);
                QCOMPARE(m->geometry(), c.moldura);
                TBlendedButton *e = botao(f, c.nome);
                QVERIFY2(e, c.nome);
                QCOMPARE(e->geometry(), c.campo);
                QCOMPARE(e->font().pixelSize(), 13);
                // Frames lie under their fields.
                QVERIFY(m->parentWidget()->children().indexOf(m) < e->parentWidget()->children().indexOf(e));
            }
            QCOMPARE(f->findChild<QWidget *>(QStringLiteral("dxfUnidade"))->geometry(), QRect(307, 129, 45, 39));
            QCOMPARE(f->findChild<QWidget *>(QStringLiteral("dxfImposto"))->geometry(), QRect(355, 168, 45, 39));
            QCOMPARE(f->findChild<QWidget *>(QStringLiteral("dxfPortaImp"))->geometry(), QRect(715, 204, 45, 39));
            QCOMPARE(f->imgSim->geometry(), QRect(166, 244, 41, 26));
            QCOMPARE(f->imgNao->geometry(), QRect(246, 244, 39, 26));
            QCOMPARE(f->imgPadrao->pixmap().size(), QSize(45, 28));
            QVERIFY(f->imgPadrao1->pixmap().isNull());
            QVERIFY(f->imgPadrao->x() >= 800 && f->imgPadrao1->x() >= 800);
            QCOMPARE(f->findChild<QLabel *>(QStringLiteral("lblInstrucao"))->text(),
                     QStringLiteral("Tecla \"ENTER\" muda para a próxima informação   -   \"SHIFT+ENTER \" volta para "
                                    "a informação anterior  -  \"F9\"  Botão de Pesquisa"));

            // List page buttons.
            QCOMPARE(legenda(f, "sbtIncluir"), QStringLiteral("F2 - Incluir"));
            QCOMPARE(legenda(f, "sbtEditar"), QStringLiteral("F3 - Editar"));
            QCOMPARE(legenda(f, "sbtExcluir"), QStringLiteral("F4 - Excluir"));
            QCOMPARE(legenda(f, "sbtLocaliza"), QStringLiteral("F5 - Pesquisar"));
            QCOMPARE(legenda(f, "sbtSair"), QStringLiteral("Sair"));
            QCOMPARE(botao(f, "sbtSair")->geometry(), QRect(16, 528, 135, 52));
            QCOMPARE(botao(f, "sbtAntDest")->geometry(), QRect(16, 235, 135, 52));
            QVERIFY(legenda(f, "sbtAntDest").isEmpty() && !botao(f, "sbtAntDest")->glyph().isNull());
            QVERIFY(legenda(f, "sbtProxDest").isEmpty() && !botao(f, "sbtProxDest")->glyph().isNull());
        }));
    }

    void incluir()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->FCapsLock = true;
            f->FCampoAtual = 7;
            f->MudaCor();
            QTest::keyClick(f, Qt::Key_F2);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->FOperacao, QStringLiteral("I"));
            QCOMPARE(f->FCampoAtual, 2);
            QCOMPARE(corMoldura(f, 2), 255u);
            QCOMPARE(corMoldura(f, 7), f->FCor2);
            QVERIFY(!f->FCapsLock);
            QVERIFY(f->FShift);
            QCOMPARE(legenda(f, "sbtQ"), QStringLiteral("Q"));
            QCOMPARE(legenda(f, "sbtM"), QStringLiteral("M"));
            QCOMPARE(legenda(f, "sbtCCdil"), QStringLiteral("Ç"));
            QCOMPARE(legenda(f, "sbt1"), QStringLiteral("1"));
            QCOMPARE(textosCampos(f), (QStringList{QString(), QString(), QString(), QString(), QString(), QString(),
                                                   QString(), QString(), QStringLiteral("Nenhuma"), QString()}));
            QVERIFY(marcadoNao(f));
            QVERIFY(!f->ProdutoPesado());
            // The list page keys do nothing on the entry page.
            QTest::keyClick(f, Qt::Key_F3);
            QCOMPARE(f->FOperacao, QStringLiteral("I"));
        }));
    }

    void editar()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        int perguntas = 0;
        SetMensagemHook([&](const QString &texto, const QString &titulo, const QString &p3, const QString &pergunta,
                            int tipo, const QString &p6, const QString &p7, int p8, TDataSet *ds) {
            ++perguntas;
            [&] {
                QCOMPARE(texto, QStringLiteral("Deseja cancelar a operação?"));
                QVERIFY(titulo.isEmpty() && p6.isEmpty() && ds == nullptr && p8 == 0);
                QCOMPARE(p3, QStringLiteral("N"));
                QCOMPARE(pergunta, QStringLiteral("S"));
                QCOMPARE(tipo, 1);
                QCOMPARE(p7, QStringLiteral("002"));
            }();
            return true;
        });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QCOMPARE(codigoAtual(f), QStringLiteral("11"));
            QTest::keyClick(f, Qt::Key_F3);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->FOperacao, QStringLiteral("E"));
            QCOMPARE(textosCampos(f),
                     (QStringList{QStringLiteral("11"), QStringLiteral("1"), QStringLiteral("Queijo Prato Fatiado"),
                                  QStringLiteral("KG"), QStringLiteral("1.234,50"), QStringLiteral("T18"),
                                  QStringLiteral("18,00"), QStringLiteral("7891234"), QStringLiteral("Nenhuma"),
                                  QStringLiteral("0,00")}));
            QCOMPARE(f->FCdImposto, QStringLiteral("03"));
            QCOMPARE(f->FIdTpImposFis, QStringLiteral("T"));
            QCOMPARE(f->FSgUnidade, QStringLiteral("KG"));
            QVERIFY(marcadoSim(f));
            QVERIFY(f->ProdutoPesado());
            QVERIFY(f->FShift);
            QCOMPARE(legenda(f, "sbtA"), QStringLiteral("A"));
            QCOMPARE(f->FCampoAtual, 2);
            QCOMPARE(corMoldura(f, 2), 255u);

            // Leaving the entry page (ESC, answered yes), then the next product.
            QTest::keyClick(f, Qt::Key_Escape);
            QCOMPARE(perguntas, 1);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QVERIFY(!f->FShift);
            QVERIFY(f->isVisible());
            QTest::mouseClick(botao(f, "sbtProxDest"), Qt::LeftButton);
            QCOMPARE(codigoAtual(f), QStringLiteral("12"));
            f->sbtEditarClick(botao(f, "sbtEditar"));
            QCOMPARE(textosCampos(f),
                     (QStringList{QStringLiteral("12"), QStringLiteral("2"), QStringLiteral("Pao de Forma"),
                                  QStringLiteral("UN"), QStringLiteral("98.765,40"), QStringLiteral("I"),
                                  QStringLiteral("0,00"), QStringLiteral("7890000000012"), QString(),
                                  QStringLiteral("1,50")}));
            QCOMPARE(f->FCdImposto, QStringLiteral("II"));
            QCOMPARE(f->FIdTpImposFis, QStringLiteral("I"));
            QVERIFY(marcadoNao(f));  // "s" is not "S"

            // Incluir after editing a weighed product: Não, empty fields.
            f->sbtSair2Click(botao(f, "sbtSair2"));
            f->sbtAntDestClick(nullptr);
            f->sbtEditarClick(nullptr);
            QVERIFY(marcadoSim(f));
            f->sbtSair2Click(nullptr);
            QTest::mouseClick(botao(f, "sbtIncluir"), Qt::LeftButton);
            QVERIFY(marcadoNao(f));
            QCOMPARE(textosCampos(f), (QStringList{QString(), QString(), QString(), QString(), QString(), QString(),
                                                   QString(), QString(), QStringLiteral("Nenhuma"), QString()}));
            // Pickers' state is left as Editar set it.
            QCOMPARE(f->FCdImposto, QStringLiteral("03"));

            // The third product: empty flag shows Não, the port as stored.
            f->sbtSair2Click(nullptr);
            f->sbtProxDestClick(nullptr);
            f->sbtProxDestClick(nullptr);
            f->sbtEditarClick(nullptr);
            QCOMPARE(textosCampos(f).at(8), QStringLiteral("COM3"));
            QVERIFY(marcadoNao(f));
        }));
        QCOMPARE(perguntas, 4);
    }

    void sair2RespondidoNao()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        SetMensagemHook([](const QString &, const QString &, const QString &, const QString &, int, const QString &,
                           const QString &, int, TDataSet *) { return false; });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtEditarClick(nullptr);
            f->FCampoAtual = 5;
            f->MudaCor();
            const QStringList antes = textosCampos(f);
            QTest::mouseClick(botao(f, "sbtSair2"), Qt::LeftButton);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(textosCampos(f), antes);
            QCOMPARE(f->FCampoAtual, 5);
            QVERIFY(f->FShift);
        }));
    }

    void editarListaVazia()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QCOMPARE(f->cdsProduto->RecordCount(), 0);
            QTest::keyClick(f, Qt::Key_F3);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
            QCOMPARE(f->FOperacao, QStringLiteral("E"));
            QCOMPARE(textosCampos(f),
                     (QStringList{QString(), QString(), QString(), QString(), QStringLiteral("0,00"), QString(),
                                  QStringLiteral("0,00"), QString(), QString(), QStringLiteral("0,00")}));
            QVERIFY(marcadoNao(f));
        }));
    }

    void shiftDaTela()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QCOMPARE(legenda(f, "sbtQ"), QStringLiteral("q"));
            QTest::mouseClick(botao(f, "sbtShift"), Qt::LeftButton);
            QVERIFY(f->FShift);
            QCOMPARE(legenda(f, "sbtZ"), QStringLiteral("Z"));
            QCOMPARE(legenda(f, "sbtCCdil"), QStringLiteral("Ç"));
            QTest::mouseClick(botao(f, "sbtCapsLock"), Qt::LeftButton);
            QVERIFY(!f->FShift);
            QVERIFY(f->FCapsLock);
            QCOMPARE(legenda(f, "sbtZ"), QStringLiteral("Z"));
            f->sbtShiftClick(nullptr);  // caps lock and shift: lower case
            QCOMPARE(legenda(f, "sbtZ"), QStringLiteral("z"));
            QCOMPARE(legenda(f, "sbtCCdil"), QStringLiteral("ç"));
            QCOMPARE(legenda(f, "sbtPonto"), QStringLiteral("."));
            QCOMPARE(legenda(f, "sbt5"), QStringLiteral("5"));
            QCOMPARE(legenda(f, "sbtShift"), QStringLiteral("Shift"));
        }));
    }

    void escolhaProdutoPesado()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtIncluirClick(nullptr);
            QTest::mouseClick(f->imgSim, Qt::LeftButton);
            QVERIFY(marcadoSim(f));
            QTest::mouseClick(f->findChild<QWidget *>(QStringLiteral("lblNao")), Qt::LeftButton);
            QVERIFY(marcadoNao(f));
            QTest::mouseClick(f->findChild<QWidget *>(QStringLiteral("blsBordaSim")), Qt::LeftButton);
            QTest::mouseClick(f->findChild<QWidget *>(QStringLiteral("Label12")), Qt::LeftButton);
            QVERIFY(marcadoSim(f));
            // The mark is a copy of imgPadrao's picture.
            QCOMPARE(f->imgSim->pixmap().toImage(), f->imgPadrao->pixmap().toImage());
        }));
    }

    void pesquisaEscolhe()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        int chamadas = 0;
        SetPesquisaHook([&](TClientDataSet *ds, int p2, const QString &p3, quint32 c1, quint32 c2, quint32 c3,
                            quint32 c5, int p8) {
            ++chamadas;
            [&] {
                QCOMPARE(ds, frmCadProd->cdsPesqProd);
                QCOMPARE(p2, 0);
                QCOMPARE(p3, QStringLiteral("S"));
                QCOMPARE(p8, 0);
                QCOMPARE((QList<quint32>{c1, c2, c3, c5}), (QList<quint32>{0x0A, 0x0B, 0x0C, 0x0E}));
                QCOMPARE(ds->RecordCount(), 3);
                QCOMPARE(ds->RecNo(), 1);  // the list's position is not copied
                QCOMPARE(ds->FieldByName(QStringLiteral("CDPRODUTO"))->DisplayLabel, QStringLiteral("Código Interno"));
                QCOMPARE(ds->FieldByName(QStringLiteral("CDPRODINTE"))->DisplayLabel, QStringLiteral("Código Reduzido"));
                QCOMPARE(ds->FieldByName(QStringLiteral("NMPRODUTO"))->DisplayLabel, QStringLiteral("Nome do Produto"));
                QStringList visiveis;
                for (int i = 0; i < ds->FieldCount(); ++i)
                    if (ds->Fields(i)->Visible)
                        visiveis << ds->Fields(i)->FieldName();
                QCOMPARE(visiveis, (QStringList{QStringLiteral("CDPRODUTO"), QStringLiteral("CDPRODINTE"),
                                                QStringLiteral("NMPRODUTO")}));
                QCOMPARE(ds->FieldCount(), 15);
            }();
            ds->Last();
            return true;
        });
        gravaArquivoCores(amb.arquivoCores(), {{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}});
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtProxDestClick(nullptr);
            QTest::keyClick(f, Qt::Key_F5);
            QCOMPARE(chamadas, 1);
            QCOMPARE(codigoAtual(f), QStringLiteral("13"));
            QCOMPARE(linhaDaGrade(f), 2);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
        }));
    }

    void pesquisaCancela()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        SetPesquisaHook([](TClientDataSet *ds, int, const QString &, quint32, quint32, quint32, quint32, int) {
            ds->Last();
            return false;
        });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtProxDestClick(nullptr);
            QTest::mouseClick(botao(f, "sbtLocaliza"), Qt::LeftButton);
            QCOMPARE(codigoAtual(f), QStringLiteral("12"));
            QCOMPARE(linhaDaGrade(f), 1);
        }));
    }

    void pesquisaListaVazia()
    {
        Ambiente amb(false);
        QStringList vistas;
        SetMensagemHook([&](const QString &texto, const QString &titulo, const QString &p3, const QString &pergunta,
                            int tipo, const QString &p6, const QString &p7, int p8, TDataSet *ds) {
            vistas << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                          .arg(texto, titulo, p3, pergunta)
                          .arg(tipo)
                          .arg(p6, p7)
                          .arg(p8)
                          .arg(ds ? 1 : 0);
            return true;
        });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QTest::keyClick(f, Qt::Key_F5);
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
        }));
        QCOMPARE(vistas, (QStringList{QStringLiteral("Nenhum produto cadastrado.||N|N|3||002|0|0")}));
    }

    void limitesDaLista()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QTest::mouseClick(botao(f, "sbtAntDest"), Qt::LeftButton);
            QCOMPARE(f->cdsProduto->RecNo(), 1);
            QCOMPARE(linhaDaGrade(f), 0);
            for (int i = 0; i < 5; ++i)
                QTest::mouseClick(botao(f, "sbtProxDest"), Qt::LeftButton);
            QCOMPARE(f->cdsProduto->RecNo(), 3);
            QCOMPARE(codigoAtual(f), QStringLiteral("13"));
            QCOMPARE(linhaDaGrade(f), 2);
            f->sbtAntDestClick(nullptr);
            QCOMPARE(codigoAtual(f), QStringLiteral("12"));
            QCOMPARE(linhaDaGrade(f), 1);
            // Touching a row makes it current.
            const QRect r = f->dbgProduto->visualRect(f->dbgProduto->model()->index(0, 2));
            QTest::mouseClick(f->dbgProduto->viewport(), Qt::LeftButton, {}, r.center());
            QCOMPARE(codigoAtual(f), QStringLiteral("11"));
        }));
    }

    void limitesDaListaVazia()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtProxDestClick(nullptr);
            f->sbtAntDestClick(nullptr);
            QCOMPARE(f->cdsProduto->RecNo(), 0);
        }));
    }

    void tecladoDaLista_data()
    {
        QTest::addColumn<QString>("teclas");  // by name (F2 opens the entry page); "F5: TEXT" searches TEXT
        QTest::addColumn<int>("intervalo");   // ms between keys; 0: unstamped, as Qt Test sends them
        QTest::addColumn<int>("linha");       // the list's row after, of 40 (the grid shows 30 whole)
        QTest::addColumn<QString>("mensagem");
        const QString lido = QStringLiteral("7 8 9 6 0 7 1 0 0 7 1 2 2 Return"), nenhum = QString(lido).replace(24, 1, u'3');
        QTest::newRow("End Down Up Up Down") << "End Down Up Up Down" << 0 << 39 << "";
        QTest::newRow("PgDown Down PgUp") << "PgDown Down PgUp" << 0 << 2 << "";
        QTest::newRow("End na entrada") << "F2 End PgDown" << 0 << 1 << "";
        QTest::newRow("três dígitos, leitor") << "1 2 2 Return " + lido << 4 << 25 << "";
        QTest::newRow("quatro dígitos, leitor") << "1 2 3 4 Return" << 4 << 1 << "Produto não encontrado: código de barras 1234.|3|N|002";
        QTest::newRow("leitor, produto ausente") << nenhum << 50 << 1 << "Produto não encontrado: código de barras 7896071007123.|3|N|002";
        QTest::newRow("leitor na entrada") << "F2 " + nenhum << 4 << 1 << "";
        QTest::newRow("digitado") << lido << 51 << 1 << "";
        QTest::newRow("Home, leitor sem carimbo") << "Down Home " + lido << 0 << 1 << "";
        QTest::newRow("F5 pelo código de barras") << "F5: 7896071007122" << 0 << 25 << "";
    }

    void tecladoDaLista()
    {
        QFETCH(QString, teclas);
        QFETCH(int, intervalo);
        QFETCH(int, linha);
        QFETCH(QString, mensagem);
        Ambiente amb(true);
        Mensagens msgs;
        SetPesquisaHook([&](TClientDataSet *ds, auto &&...) {  // the real search dialog
            QTimer::singleShot(0, [&] {  // ENTER picks what was found; closing leaves when nothing was
                QWidget *d = QApplication::activeModalWidget();
                QTest::keyClicks(d, teclas.mid(4) + QLatin1Char('\r'));
                d->close();
            });
            return PesquisaTouch(ds, 0, QString(), 0, 0, 0, 0, 0);
        });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            quint64 t = 1000;
            for (const QString &k : teclas.section(QLatin1Char(':'), 0, 0).split(QLatin1Char(' '))) {
                QKeyEvent e(QEvent::KeyPress, QKeySequence::fromString(k)[0].key(), {}, k == "Return" ? "\r" : k.left(k.size() == 1));
                e.setTimestamp(intervalo ? t += intervalo : 0);
                QApplication::sendEvent(f->dbgProduto, &e);
            }
            QCOMPARE(linhaDaGrade(f), linha - 1);
        }));
        QCOMPARE(msgs.vistas.join(QLatin1Char(',')), mensagem);
    }

    void sairPeloBotao()
    {
        Ambiente amb(false);
        bool fechou = false;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QTest::mouseClick(botao(f, "sbtSair"), Qt::LeftButton);
            fechou = !f->isVisible();
        }));
        QVERIFY(fechou);
    }

    void sairPeloEsc()
    {
        Ambiente amb(false);
        bool fechou = false;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QTest::keyClick(f->dbgProduto, Qt::Key_Escape);
            fechou = !f->isVisible();
        }));
        QVERIFY(fechou);
    }

    void altF4NaoFecha()
    {
        Ambiente amb(false);
        // On the list page F4 with any modifier is the delete command first.
        SetMensagemHook([](const QString &, const QString &, const QString &, const QString &, int, const QString &,
                           const QString &, int, TDataSet *) { return false; });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            int tecla = VK_F4;
            f->FormKeyDown(f, tecla, ssAlt);
            QCOMPARE(tecla, 0);
            QVERIFY(f->isVisible());
        }));
    }

    void reaberturaComTelaAberta()
    {
        Ambiente amb(false);
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            TrdmCadProd *dm = rdmCadProd;
            QVariant io;
            QVERIFY(Cli_Qul00002::CriaTelaQul00002({}, io));
            QCOMPARE(frmCadProd, f);
            QCOMPARE(rdmCadProd, dm);
            QVERIFY(f->isVisible());
            const QWidgetList janelas = QApplication::topLevelWidgets();
            QCOMPARE(std::count_if(janelas.begin(), janelas.end(),
                                   [](QWidget *w) { return qobject_cast<TfrmCadProd *>(w) != nullptr; }),
                     1);
        }));
    }

    void duasAberturasSeguidas()
    {
        Ambiente amb(false);
        TrdmCadProd *primeiro = nullptr;
        QVERIFY(abreTela([&](TfrmCadProd *) { primeiro = rdmCadProd; }));
        QVERIFY(primeiro);
        bool abriu = false;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            abriu = true;
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina1"));
            QVERIFY(rdmCadProd->adcCadProd->Connected());
        }));
        QVERIFY(abriu);
    }

    void excecaoNoManipulador()
    {
        Ambiente amb(false);
        insereTresProdutos(amb.db);
        QStringList relatorios;
        SetErrorReportHook([&](const QString &m) { relatorios << m; });
        int vez = 0;
        SetPesquisaHook([&](TClientDataSet *, int, const QString &, quint32, quint32, quint32, quint32, int) -> bool {
            if (++vez == 1)
                throw Exception(QStringLiteral("falha na pesquisa"));
            throw EAbort();
        });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QTest::keyClick(f, Qt::Key_F5);
            QTest::mouseClick(botao(f, "sbtLocaliza"), Qt::LeftButton);
            QVERIFY(f->isVisible());
            QCOMPARE(codigoAtual(f), QStringLiteral("11"));
        }));
        QCOMPARE(vez, 2);
        QCOMPARE(relatorios, QStringList{QStringLiteral("falha na pesquisa")});
    }
};

QTEST_MAIN(TstTelaProduto)
#include "tst_telaproduto.moc"
