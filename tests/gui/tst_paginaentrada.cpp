// The entry page driven as an operator drives it, through the entry points a
// physical key or a touch reaches: the field cycle, the typing rules of every
// field, the case rule with Caps Lock and a pending shift, erasing, the
// on-screen keys, the pickers, and every row of the key-down table.

#include "GuiFixture.h"
#include "VirtualKeys.h"

#include <QLabel>
#include <QStackedWidget>

namespace {

QString letrasDaTela(TfrmCadProd *f)
{
    return legenda(f, "sbtA") + legenda(f, "sbtCCdil");
}

// A key as the window system delivers it, with explicit text (Qt Test's own
// key clicks neither upper-case shifted letters nor carry non-ASCII text).
void tecla(TfrmCadProd *f, Qt::Key k, const QString &texto, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Press, f, k, texto, m);
    QTest::sendKeyEvent(QTest::Release, f, k, texto, m);
}

// Entry page of a new product, with field `n` current and no case state.
void campoLimpo(TfrmCadProd *f, int n, const QString &texto = QString())
{
    f->sbtIncluirClick(nullptr);
    f->sbtShiftClick(nullptr);  // the page opens with a pending shift: end it
    f->FCampoAtual = n;
    f->Campo(n)->setCaption(texto);
}

}  // namespace

class TstPaginaEntrada : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerDataPacketType(); }
    void init() { instalaGanchosQueFalham(); }
    void cleanup()
    {
        QVERIFY(frmCadProd == nullptr);
        instalaGanchosQueFalham();
    }

    void cicloDeCampos_data()
    {
        QTest::addColumn<int>("inicio");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<int>("vezes");
        QTest::addColumn<int>("fim");
        QTest::newRow("ENTER") << 2 << int(Qt::NoModifier) << 1 << 3;
        QTest::newRow("ENTER no 10") << 10 << int(Qt::NoModifier) << 1 << 2;
        QTest::newRow("nove ENTER") << 2 << int(Qt::NoModifier) << 9 << 2;
        QTest::newRow("SHIFT+ENTER no 2") << 2 << int(Qt::ShiftModifier) << 1 << 10;
        QTest::newRow("SHIFT+ENTER no 7") << 7 << int(Qt::ShiftModifier) << 1 << 6;
        QTest::newRow("Ctrl+ENTER no 5") << 5 << int(Qt::ControlModifier) << 1 << 5;
        QTest::newRow("Ctrl+ENTER no 10") << 10 << int(Qt::ControlModifier) << 1 << 2;
        QTest::newRow("Ctrl+Shift+ENTER") << 5 << int(Qt::ControlModifier | Qt::ShiftModifier) << 1 << 6;
    }

    // On the list page, where Ctrl+ENTER confirms nothing.
    void cicloDeCampos()
    {
        QFETCH(int, inicio);
        QFETCH(int, modificadores);
        QFETCH(int, vezes);
        QFETCH(int, fim);
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->FCampoAtual = inicio;
            for (int i = 0; i < vezes; ++i)
                QTest::keyClick(f, Qt::Key_Return, Qt::KeyboardModifiers(modificadores));
            QCOMPARE(f->FCampoAtual, fim);
            for (int n = 1; n <= 10; ++n)
                QCOMPARE(corMoldura(f, n), n == fim ? 255u : f->FCor2);
        }));
    }

    void digitacao_data()
    {
        QTest::addColumn<int>("campo");
        QTest::addColumn<QString>("antes");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("depois");
        // The 68 name characters, in two rows (the name takes 50).
        const QString nome1 = QStringLiteral(" ,./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        const QString nome2 = QStringLiteral("abcdefghijklmnopqrstuvwxyzÇç");
        QTest::newRow("código reduzido") << 2 << QString() << QStringLiteral("12a3 ,.-9") << QStringLiteral("1239");
        QTest::newRow("11º dígito") << 2 << QStringLiteral("1234567890") << QStringLiteral("1") << QStringLiteral("1234567890");
        QTest::newRow("além do limite") << 2 << QStringLiteral("123456789012") << QStringLiteral("3")
                                        << QStringLiteral("123456789012");
        QTest::newRow("nome: os 68, 1") << 3 << QString() << nome1 << nome1.toLower();
        QTest::newRow("nome: os 68, 2") << 3 << QString() << nome2 << nome2;
        QTest::newRow("nome: sem acento, recusados") << 3 << QStringLiteral("a") << QStringLiteral("á-!ãÉ@Ø´") << QStringLiteral("aaae");
        QTest::newRow("51º caractere") << 3 << QString(50, QLatin1Char('x')) << QStringLiteral("y") << QString(50, QLatin1Char('x'));
        QTest::newRow("unidade") << 4 << QString() << QStringLiteral("1a,") << QString();
        QTest::newRow("preço") << 5 << QString() << QStringLiteral("1,2.3/a ") << QStringLiteral("1,2.3");
        QTest::newRow("preço: 11º") << 5 << QStringLiteral("1234567,89") << QStringLiteral("0") << QStringLiteral("1234567,89");
        QTest::newRow("imposto") << 6 << QString() << QStringLiteral("1") << QString();
        QTest::newRow("alíquota") << 7 << QString() << QStringLiteral("7,5.a") << QStringLiteral("7,5.");
        QTest::newRow("código de barras EAN-13") << 8 << QString() << QStringLiteral("7891000100103") << QStringLiteral("7891000100103");
        QTest::newRow("código de barras: 30") << 8 << QString(29, QLatin1Char('1')) << QStringLiteral("23") << QString(29, QLatin1Char('1')) + QLatin1Char('2');
        QTest::newRow("porta") << 9 << QStringLiteral("COM1") << QStringLiteral("2") << QStringLiteral("COM1");
        QTest::newRow("tara") << 10 << QString() << QStringLiteral("0,5x") << QStringLiteral("0,5");
    }

    // Typed through the on-screen keyboard's route (characters sent to the form).
    void digitacao()
    {
        QFETCH(int, campo);
        QFETCH(QString, antes);
        QFETCH(QString, digitado);
        QFETCH(QString, depois);
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            campoLimpo(f, campo, antes);
            f->PostText(digitado, false, true);
            QCOMPARE(f->Campo(campo)->caption(), depois);
        }));
    }

    void regraDeCaso_data()
    {
        QTest::addColumn<int>("campo");
        QTest::addColumn<bool>("caps");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("caractere");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("capsDepois");
        QTest::addColumn<QString>("letras");
        QTest::newRow("nada") << 3 << false << false << int('a') << QStringLiteral("a") << false << QStringLiteral("aç");
        QTest::newRow("shift") << 3 << false << true << int('a') << QStringLiteral("A") << false << QStringLiteral("aç");
        QTest::newRow("caps") << 3 << true << false << int('A') << QStringLiteral("A") << true << QStringLiteral("AÇ");
        QTest::newRow("caps e shift") << 3 << true << true << int('a') << QStringLiteral("a") << true << QStringLiteral("AÇ");
        QTest::newRow("ç com shift") << 3 << false << true << 231 << QStringLiteral("ç") << false << QStringLiteral("aç");
        QTest::newRow("Ç sem nada") << 3 << false << false << 199 << QStringLiteral("Ç") << false << QStringLiteral("aç");
        QTest::newRow("ã com shift") << 3 << false << true << 0xE3 << QStringLiteral("A") << false << QStringLiteral("aç");
        QTest::newRow("preço: shift usado") << 5 << true << true << int('5') << QStringLiteral("5") << true << QStringLiteral("AÇ");
        QTest::newRow("alíquota: fim do caps") << 7 << true << true << int('5') << QStringLiteral("5") << false << QStringLiteral("aç");
        QTest::newRow("recusado: fim do caps") << 3 << true << true << int('-') << QString() << false << QStringLiteral("aç");
        QTest::newRow("ENTER: fim do caps") << 3 << true << true << 13 << QString() << false << QStringLiteral("aç");
        QTest::newRow("ESC sem shift") << 3 << true << false << 27 << QString() << true << QStringLiteral("AÇ");
    }

    void regraDeCaso()
    {
        QFETCH(int, campo);
        QFETCH(bool, caps);
        QFETCH(bool, shift);
        QFETCH(int, caractere);
        QFETCH(QString, texto);
        QFETCH(bool, capsDepois);
        QFETCH(QString, letras);
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            campoLimpo(f, campo);
            if (caps)
                f->sbtCapsLockClick(nullptr);
            if (shift)
                f->sbtShiftClick(nullptr);
            char c = char(caractere);
            f->FormKeyPress(f, c);
            QCOMPARE(f->Campo(campo)->caption(), texto);
            QVERIFY(!f->FShift);
            QCOMPARE(f->FCapsLock, capsDepois);
            QCOMPARE(letrasDaTela(f), letras);
        }));
    }

    // What the window system delivers: Shift as a key of its own, shifted
    // letters in upper case, "ç" as text, DELETE with the text "\x7f".
    void teclasFisicas()
    {
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            campoLimpo(f, 3);
            tecla(f, Qt::Key_Shift, QString(), Qt::ShiftModifier);
            QVERIFY(f->FShift);
            QCOMPARE(letrasDaTela(f), QStringLiteral("aç"));  // the physical Shift redraws nothing
            tecla(f, Qt::Key_A, QStringLiteral("A"), Qt::ShiftModifier);
            tecla(f, Qt::Key_C, QStringLiteral("c"));
            tecla(f, Qt::Key_unknown, QStringLiteral("ç"));
            tecla(f, Qt::Key_F12, QStringLiteral("x"));
            QCOMPARE(f->edtNomeProd->caption(), QStringLiteral("Acç"));
            QVERIFY(!f->FShift);
            tecla(f, Qt::Key_Delete, QStringLiteral("\x7f"));
            QCOMPARE(f->edtNomeProd->caption(), QString());
            // A scanner: digits and ENTER into the bar code.
            f->FCampoAtual = 8;
            for (const QChar d : QStringLiteral("7891000100103"))
                tecla(f, Qt::Key(Qt::Key_0 + d.digitValue()), QString(d));
            tecla(f, Qt::Key_Return, QStringLiteral("\r"));
            QCOMPARE(f->edtCodBarra->caption(), QStringLiteral("7891000100103"));
            QCOMPARE(f->FCampoAtual, 9);
        }));
    }

    void apagar_data()
    {
        QTest::addColumn<int>("campo");
        QTest::addColumn<QString>("aposBackspace");
        for (int n = 1; n <= 10; ++n) {
            const bool seletor = n == 4 || n == 6 || n == 9;
            QTest::addRow("campo %d", n) << n << (seletor ? QStringLiteral("abc") : QStringLiteral("ab"));
        }
    }

    // BACKSPACE erases where typing is allowed, DELETE empties every field;
    // the on-screen keys send key-downs only and leave a pending shift alone.
    void apagar()
    {
        QFETCH(int, campo);
        QFETCH(QString, aposBackspace);
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            campoLimpo(f, campo, QStringLiteral("abc"));
            f->sbtShiftClick(nullptr);
            QTest::mouseClick(botao(f, "sbtBackSpace"), Qt::LeftButton);
            QCOMPARE(f->Campo(campo)->caption(), aposBackspace);
            QTest::mouseClick(botao(f, "sbtLimpar"), Qt::LeftButton);
            QCOMPARE(f->Campo(campo)->caption(), QString());
            QVERIFY(f->FShift);
            f->Campo(campo)->setCaption(QStringLiteral("x"));
            QTest::keyClick(f, Qt::Key_Backspace);  // the physical key: its character 8 ends the shift
            QVERIFY(!f->FShift);
            QCOMPARE(f->Campo(campo)->caption(), aposBackspace == QStringLiteral("ab") ? QString() : QStringLiteral("x"));
            QTest::keyClick(f, Qt::Key_Delete);
            QCOMPARE(f->Campo(campo)->caption(), QString());
        }));
    }

    void tecladoNaTela_data()
    {
        QTest::addColumn<int>("campo");
        QTest::addColumn<QStringList>("toques");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("letras");
        const auto l = [](const char *s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); };
        QTest::newRow("a") << 3 << l("sbtA") << QStringLiteral("a") << QStringLiteral("aç");
        QTest::newRow("Shift a") << 3 << l("sbtShift sbtA sbtA") << QStringLiteral("Aa") << QStringLiteral("aç");
        QTest::newRow("Caps ç") << 3 << l("sbtCapsLock sbtCCdil") << QStringLiteral("Ç") << QStringLiteral("AÇ");
        QTest::newRow("Caps Shift ç") << 3 << l("sbtCapsLock sbtShift sbtCCdil") << QStringLiteral("ç") << QStringLiteral("AÇ");
        QTest::newRow("espaço e pontuação") << 3 << l("sbtB sbtEspaco sbtVirgula sbtPonto sbtBarra sbt0")
                                          << QStringLiteral("b ,./0") << QStringLiteral("aç");
        QTest::newRow("espaço num número") << 5 << l("sbt1 sbtEspaco sbtVirgula sbt5") << QStringLiteral("1,5")
                                         << QStringLiteral("aç");
        QTest::newRow("dígitos com Caps") << 2 << l("sbtCapsLock sbt7 sbt8") << QStringLiteral("78") << QStringLiteral("AÇ");
        QTest::newRow("Enter não faz nada") << 3 << l("sbtQ sbtEnter sbtW") << QStringLiteral("qw") << QStringLiteral("aç");
    }

    void tecladoNaTela()
    {
        QFETCH(int, campo);
        QFETCH(QStringList, toques);
        QFETCH(QString, texto);
        QFETCH(QString, letras);
        Ambiente amb;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            campoLimpo(f, campo);
            for (const QString &t : toques)
                QTest::mouseClick(botao(f, qPrintable(t)), Qt::LeftButton);
            QCOMPARE(f->Campo(campo)->caption(), texto);
            QCOMPARE(letrasDaTela(f), letras);
            QCOMPARE(f->FCampoAtual, campo);
        }));
    }

    void sair2_data()
    {
        QTest::addColumn<bool>("resposta");
        QTest::newRow("sim") << true;
        QTest::newRow("não") << false;
    }

    void sair2()
    {
        QFETCH(bool, resposta);
        Ambiente amb;
        Mensagens msgs;
        msgs.resposta = resposta;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtIncluirClick(nullptr);
            f->edtNomeProd->setCaption(QStringLiteral("Arroz"));
            QTest::keyClick(f, Qt::Key_Escape);
            QCOMPARE(msgs.vistas, QStringList{QStringLiteral("Deseja cancelar a operação?|1|S|002")});
            QCOMPARE(f->PaginaAtiva(), resposta ? QStringLiteral("Pagina1") : QStringLiteral("Pagina2"));
            QCOMPARE(f->edtNomeProd->caption(), QStringLiteral("Arroz"));
            QVERIFY(f->isVisible());
        }));
    }

    void seletores_data()
    {
        QTest::addColumn<QString>("botao");
        QTest::addColumn<QString>("linha");     // row picked (a value in it), empty: left without a pick
        QTest::addColumn<QString>("visto");     // the Pesquisa call
        QTest::addColumn<QStringList>("campos");  // unidade, imposto, alíquota, porta after
        QTest::addColumn<QString>("estado");     // FSgUnidade|FCdImposto|FIdTpImposFis after
        const QStringList antes{QStringLiteral("Kg"), QStringLiteral("T18"), QStringLiteral("7,5"), QStringLiteral("COM1")};
        QTest::newRow("unidade") << "dxfUnidade" << "UN" << "cdsUnidade|S|3"
                                 << QStringList{QStringLiteral("Unidade"), antes[1], antes[2], antes[3]} << "UN|03|T";
        QTest::newRow("unidade cancelada") << "dxfUnidade" << "" << "cdsUnidade|S|3" << antes << "KG|03|T";
        QTest::newRow("imposto") << "dxfImposto" << "II" << "cdsImposto|N|4"
                                 << QStringList{antes[0], QStringLiteral("I"), QStringLiteral("0,00"), antes[3]}
                                 << "KG|II|I";
        QTest::newRow("imposto 00") << "dxfImposto" << "00" << "cdsImposto|N|4"
                                    << QStringList{antes[0], QStringLiteral("TRIB"), antes[2], antes[3]} << "KG|00|T";
        QTest::newRow("porta Nenhuma") << "dxfPortaImp" << "Nenhuma" << "cdsPortaImp|N|19"
                                       << QStringList{antes[0], antes[1], antes[2], QStringLiteral("Nenhuma")} << "KG|03|T";
        QTest::newRow("porta cancelada") << "dxfPortaImp" << "" << "cdsPortaImp|N|19" << antes << "KG|03|T";
    }

    // A picker neither moves the current field nor needs its field current.
    void seletores()
    {
        QFETCH(QString, botao);
        QFETCH(QString, linha);
        QFETCH(QString, visto);
        QFETCH(QStringList, campos);
        QFETCH(QString, estado);
        Ambiente amb;
        insereImpostos(amb.db);
        for (const char *u : {"'UN', 'Unidade'", "'KG', 'Quilo'", "'CX', 'Caixa'"})
            amb.db.exec(QStringLiteral("INSERT INTO UNIDMEDIDA (SGUNIDADE, DSUNIDADE) VALUES (%1)").arg(QLatin1String(u)));
        Pesquisas pesq;
        QString ultimaPorta;
        pesq.escolhe = [&](TClientDataSet *ds) {
            ds->Last();
            ultimaPorta = ds->Fields(0)->AsString();
            for (int i = 0; i < ds->FieldCount() && !linha.isEmpty(); ++i)
                if (ds->Locate(ds->Fields(i)->FieldName(), linha))
                    return true;
            return false;
        };
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtIncluirClick(nullptr);
            f->FSgUnidade = QStringLiteral("KG");
            f->FCdImposto = QStringLiteral("03");
            f->FIdTpImposFis = QStringLiteral("T");
            for (auto [e, t] : {std::pair{f->edtUnidade, "Kg"}, {f->edtImposto, "T18"}, {f->edtAliq, "7,5"},
                                {f->edtPortaImp, "COM1"}})
                e->setCaption(QString::fromUtf8(t));
            f->FCampoAtual = 2;
            for (TClientDataSet *lista : {f->cdsUnidade, f->cdsImposto, f->cdsPortaImp}) {
                lista->SetFilter([](const TDataSet &, const QVector<QVariant> &) { return false; });
                lista->SetFiltered(true);  // as an earlier search may leave it
            }
            QTest::mouseClick(f->findChild<QWidget *>(botao), Qt::LeftButton);
            QCOMPARE(pesq.vistas, QStringList{visto});
            QCOMPARE((QStringList{f->edtUnidade->caption(), f->edtImposto->caption(), f->edtAliq->caption(),
                                  f->edtPortaImp->caption()}),
                     campos);
            QCOMPARE(QStringList({f->FSgUnidade, f->FCdImposto, f->FIdTpImposFis}).join(QLatin1Char('|')), estado);
            QCOMPARE(f->FCampoAtual, 2);
            QCOMPARE(corMoldura(f, 2), 255u);
        }));
        if (botao == QLatin1String("dxfPortaImp"))
            QCOMPARE(ultimaPorta, QStringLiteral("Nenhuma"));  // the list ends with "Nenhuma"
    }

    void seletoresListaVazia()
    {
        Ambiente amb;
        Mensagens msgs;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            f->sbtIncluirClick(nullptr);
            f->dxfUnidadeClick(nullptr);
            f->dxfImpostoClick(nullptr);
            f->cdsPortaImp->EmptyDataSet();
            f->dxfPortaImpClick(nullptr);
            QCOMPARE(f->edtUnidade->caption(), QString());
        }));
        QCOMPARE(msgs.vistas, (QStringList{QStringLiteral("Unidade deve ser informada.|3|N|002"),
                                           QStringLiteral("Imposto deve ser informado.|3|N|002"),
                                           QStringLiteral("Porta de Impressão deve ser informada.|3|N|002")}));
    }

    void tabelaDeTeclas_data()
    {
        QTest::addColumn<int>("pagina");
        QTest::addColumn<int>("campo");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<QString>("efeito");  // what the key did, as recorded below
        const int nada = int(Qt::NoModifier), alt = int(Qt::AltModifier), ctrl = int(Qt::ControlModifier);
        QTest::newRow("ESC, lista") << 1 << 2 << int(Qt::Key_Escape) << nada << "fechada";
        QTest::newRow("ESC, entrada") << 2 << 2 << int(Qt::Key_Escape) << nada << "msg:Deseja cancelar a operação?";
        QTest::newRow("F2, lista") << 1 << 2 << int(Qt::Key_F2) << ctrl << "pagina2:I";
        QTest::newRow("F3, lista") << 1 << 2 << int(Qt::Key_F3) << nada << "pagina2:E";
        QTest::newRow("F4, lista") << 1 << 2 << int(Qt::Key_F4) << nada << "msg:Deseja excluir o Produto?";
        QTest::newRow("Alt+F4, lista") << 1 << 2 << int(Qt::Key_F4) << alt << "msg:Deseja excluir o Produto?";
        QTest::newRow("F5, lista") << 1 << 2 << int(Qt::Key_F5) << nada << "msg:Nenhum produto cadastrado.";
        QTest::newRow("F2 a F5, entrada") << 2 << 2 << int(Qt::Key_F3) << nada << "";
        QTest::newRow("Alt+F4, entrada") << 2 << 2 << int(Qt::Key_F4) << alt << "";
        QTest::newRow("Ctrl+ENTER, entrada") << 2 << 5 << int(Qt::Key_Return) << ctrl
                                             << "msg:Código Reduzido deve ser informado.";
        QTest::newRow("Ctrl+Shift+ENTER, entrada") << 2 << 5 << int(Qt::Key_Return) << (ctrl | int(Qt::ShiftModifier))
                                                   << "msg:Código Reduzido deve ser informado.";
        QTest::newRow("Ctrl+ENTER, lista") << 1 << 5 << int(Qt::Key_Return) << ctrl << "";
        QTest::newRow("F9 no 4") << 2 << 4 << int(Qt::Key_F9) << nada << "msg:Unidade deve ser informada.";
        QTest::newRow("F9 no 6") << 2 << 6 << int(Qt::Key_F9) << nada << "msg:Imposto deve ser informado.";
        QTest::newRow("F9 no 9") << 2 << 9 << int(Qt::Key_F9) << nada << "pesquisa:cdsPortaImp";
        QTest::newRow("F9 no 5") << 2 << 5 << int(Qt::Key_F9) << nada << "";
        QTest::newRow("F9, lista") << 1 << 4 << int(Qt::Key_F9) << nada << "";
        QTest::newRow("F1, lista") << 1 << 2 << int(Qt::Key_F1) << ctrl << "relfiscais";
        QTest::newRow("F1, entrada") << 2 << 2 << int(Qt::Key_F1) << nada << "relfiscais";
        QTest::newRow("CAPS LOCK") << 2 << 2 << int(Qt::Key_CapsLock) << nada << "caps";
        QTest::newRow("SHIFT") << 1 << 2 << int(Qt::Key_Shift) << nada << "shift";
    }

    // Each row of the key-down table on its page; keys that match two rows
    // (Alt+F4 on the list page, Ctrl+ENTER) do both.
    void tabelaDeTeclas()
    {
        QFETCH(int, pagina);
        QFETCH(int, campo);
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        QFETCH(QString, efeito);
        Ambiente amb;
        Mensagens msgs;
        Pesquisas pesq;
        bool relFiscais = false;
        SetRelFiscaisHook([&] { relFiscais = true; });
        QString visto;
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            if (pagina == 2)
                f->sbtIncluirClick(nullptr);
            f->FShift = false;
            f->FCampoAtual = campo;
            const QString paginaAntes = f->PaginaAtiva();
            QTest::keyClick(f, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
            if (!f->isVisible())
                visto = QStringLiteral("fechada");
            else if (!msgs.vistas.isEmpty())
                visto = QStringLiteral("msg:") + msgs.vistas.first().section(QLatin1Char('|'), 0, 0);
            else if (!pesq.vistas.isEmpty())
                visto = QStringLiteral("pesquisa:") + pesq.vistas.first().section(QLatin1Char('|'), 0, 0);
            else if (relFiscais)
                visto = QStringLiteral("relfiscais");
            else if (f->PaginaAtiva() != paginaAntes)
                visto = QStringLiteral("pagina2:") + f->FOperacao;
            else if (f->FCapsLock)
                visto = letrasDaTela(f) == QStringLiteral("AÇ") ? QStringLiteral("caps") : QStringLiteral("caps?");
            else if (f->FShift)
                visto = letrasDaTela(f) == QStringLiteral("aç") ? QStringLiteral("shift") : QStringLiteral("shift?");
            if (f->isVisible() && tecla == Qt::Key_F4 && modificadores == Qt::AltModifier) {
                int k = VK_F4;
                f->FormKeyDown(f, k, ssAlt);
                QCOMPARE(k, 0);  // the window system must not close the window
            }
        }));
        QCOMPARE(visto, efeito);
    }

    // Only "Sair" closes the screen: a close request from the window manager
    // is refused on both pages, and a key whose handler failed is consumed.
    void fechamento()
    {
        Ambiente amb;
        QStringList erros;
        SetErrorReportHook([&](const QString &m) { erros << m; });
        SetMensagemHook([](const QString &, const QString &, const QString &, const QString &, int, const QString &,
                           const QString &, int, TDataSet *) -> bool { throw Exception(QStringLiteral("falhou")); });
        QVERIFY(abreTela([&](TfrmCadProd *f) {
            QVERIFY(!f->close());
            QVERIFY(f->isVisible());
            f->sbtIncluirClick(nullptr);
            QVERIFY(!f->close());
            QTest::keyClick(f, Qt::Key_Escape);
            QCOMPARE(erros, QStringList{QStringLiteral("falhou")});
            QVERIFY(f->isVisible());
            QCOMPARE(f->PaginaAtiva(), QStringLiteral("Pagina2"));
        }));
    }
};

QTEST_MAIN(TstPaginaEntrada)
#include "tst_paginaentrada.moc"
