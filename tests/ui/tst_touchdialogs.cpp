// The touch message dialog and the touch search dialog, driven as the
// operator would: keys and touches, always from a timer, with a watchdog
// that closes any dialog left open so that no test can hang.

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

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Runs `action` on the modal dialog as soon as one is up. If none turns up,
// or the action leaves it open, the watchdog rejects it after a few seconds
// and records the failure.
class DialogDriver : public QObject {
public:
    explicit DialogDriver(std::function<void(QDialog *)> action) : m_action(std::move(action))
    {
        connect(&m_poll, &QTimer::timeout, this, &DialogDriver::poll);
        m_poll.start(10);
        m_clock.start();
    }
    bool acted() const { return m_acted; }
    bool timedOut() const { return m_timedOut; }
    QString seenName() const { return m_name; }

private:
    void poll()
    {
        auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dlg && !m_acted) {
            m_acted = true;
            m_name = dlg->objectName();
            QPointer<QDialog> guard(dlg);
            m_action(dlg);
            if (!guard || !guard->isVisible())
                m_poll.stop();
            return;
        }
        if (m_clock.elapsed() > 5000) {
            m_timedOut = true;
            if (dlg)
                dlg->reject();
            m_poll.stop();
        }
    }

    std::function<void(QDialog *)> m_action;
    QTimer m_poll;
    QElapsedTimer m_clock;
    bool m_acted = false, m_timedOut = false;
    QString m_name;
};

void key(QWidget *w, Qt::Key k, const QString &text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::KeyAction::Click, w, k, text, mods);
}

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        key(w, Qt::Key_unknown, QString(c));
}

void touch(QDialog *dlg, const QString &button)
{
    auto *b = dlg->findChild<QAbstractButton *>(button);
    QVERIFY2(b, qPrintable(button));
    QTest::mouseClick(b, Qt::LeftButton);
}

QString filterShown(QDialog *dlg)
{
    auto *l = dlg->findChild<QLabel *>(QStringLiteral("lblFiltro"));
    return l ? l->text() : QStringLiteral("<none>");
}

QTableView *grid(QDialog *dlg)
{
    return dlg->findChild<QTableView *>(QStringLiteral("dbgPesquisa"));
}

// The units list as the pickers hand it over: abbreviation, description,
// and a hidden order column.
std::unique_ptr<TClientDataSet> makeUnits()
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("cdsUnidade"));
    ds->AddField(QStringLiteral("SGUNIDADE"), TFieldType::ftString, 3, true, QStringLiteral("Sigla"));
    ds->AddField(QStringLiteral("DSUNIDADE"), TFieldType::ftString, 30, true, QStringLiteral("Descrição"));
    ds->AddField(QStringLiteral("VRFATOR"), TFieldType::ftFloat, 0, true, QStringLiteral("Fator"));
    ds->AddField(QStringLiteral("CDORDEM"), TFieldType::ftInteger, 0, false);
    ds->CreateDataSet();
    const struct {
        const char *sg, *ds;
        double f;
    } rows[] = {{"UN", "Unidade", 1},       {"KG", "Quilograma", 1000},    {"CX", "Caixa com 12", 12},
                {"PC", "Peça", 1},          {"LT", "Litro", 1.5},          {"AC", "Açúcar a granel", 2.25},
                {"DZ", "Dúzia", 12},        {"MT", "Metro", 1}};
    int n = 0;
    for (const auto &r : rows) {
        ds->Append();
        ds->FieldByName(QStringLiteral("SGUNIDADE"))->SetValue(QString::fromUtf8(r.sg));
        ds->FieldByName(QStringLiteral("DSUNIDADE"))->SetValue(QString::fromUtf8(r.ds));
        ds->FieldByName(QStringLiteral("VRFATOR"))->SetValue(r.f);
        ds->FieldByName(QStringLiteral("CDORDEM"))->SetValue(++n);
        ds->Post();
    }
    ds->First();
    return ds;
}

bool pesquisa(TClientDataSet *ds)
{
    return PesquisaTouch(ds, 0, QStringLiteral("S"), 12960962, 14737632, 8683643, 15658734, 0);
}

QString currentSigla(TDataSet *ds)
{
    return ds->FieldByName(QStringLiteral("SGUNIDADE"))->AsString();
}

}  // namespace

class TstTouchDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    // ---- message dialog
    void mensagem_questionKeys();
    void mensagem_questionTouches();
    void mensagem_otherKindsHaveOk();
    void mensagem_installedBehindMensagem();
    void mensagem_errorReportDefault();
    void mensagem_handsTheKeyboardBack();

    // ---- search dialog: bad input
    void pesquisa_nullClosedOrEmptyDataSet();

    // ---- search dialog: picking
    void pesquisa_showsVisibleFieldsUnderLabels();
    void pesquisa_enterPicksTheCurrentRow();
    void pesquisa_typingNarrowsIgnoringCaseAndAccents();
    void pesquisa_arrowsMoveThenEnterPicks();
    void pesquisa_touchingARowPicksIt();
    void pesquisa_onScreenKeyboard();
    void pesquisa_formattedNumbersMatch();
    void pesquisa_escapeAndSairCancel();
    void pesquisa_noMatchEnterDoesNothing();
    void pesquisa_keepsTheCallersFilter();
    void pesquisa_hookReplacesTheDialog();
};

void TstTouchDialogs::initTestCase()
{
    InstallProductLineFonts();
}

void TstTouchDialogs::cleanup()
{
    SetMensagemHook({});
    SetPesquisaHook({});
    SetErrorReportHook({});
    // Nothing may stay open between tests.
    while (QWidget *w = QApplication::activeModalWidget())
        w->close();
}

// ---------------------------------------------------------------- message

void TstTouchDialogs::mensagem_questionKeys()
{
    {
        DialogDriver d([](QDialog *dlg) {
            QVERIFY(dlg->findChild<QAbstractButton *>(QStringLiteral("sbtSim")));
            QVERIFY(dlg->findChild<QAbstractButton *>(QStringLiteral("sbtNao")));
            QVERIFY(!dlg->findChild<QAbstractButton *>(QStringLiteral("sbtOk")));
            QCOMPARE(dlg->findChild<QLabel *>(QStringLiteral("lblMensagem"))->text(),
                     QStringLiteral("Deseja cancelar a operação?"));
            QVERIFY(dlg->windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(!dlg->mask().isEmpty());
            key(dlg, Qt::Key_Return);
        });
        QVERIFY(MensagemTouch(QStringLiteral("Deseja cancelar a operação?"), QString(), QStringLiteral("N"),
                              QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0, nullptr));
        QVERIFY(d.acted());
        QCOMPARE(d.seenName(), QStringLiteral("frmMensagemTouch"));
    }
    {
        DialogDriver d([](QDialog *dlg) {
            typeText(dlg, QStringLiteral("x"));  // stray keys do not answer
            QVERIFY(dlg->isVisible());
            key(dlg, Qt::Key_Escape);
        });
        QVERIFY(!MensagemTouch(QStringLiteral("Deseja excluir o Produto?"), QString(), QStringLiteral("N"),
                               QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0, nullptr));
        QVERIFY(d.acted() && !d.timedOut());
    }
    {
        DialogDriver d([](QDialog *dlg) { key(dlg, Qt::Key_Enter, QString(), Qt::KeypadModifier); });
        QVERIFY(MensagemTouch(QStringLiteral("?"), QString(), QStringLiteral("N"), QStringLiteral("S"), 1, QString(),
                              QString(), 0, nullptr));
    }
}

void TstTouchDialogs::mensagem_questionTouches()
{
    for (const char *button : {"sbtSim", "sbtNao"}) {
        DialogDriver d([button](QDialog *dlg) { touch(dlg, QString::fromLatin1(button)); });
        const bool answer = MensagemTouch(QStringLiteral("Pergunta"), QString(), QStringLiteral("N"),
                                          QStringLiteral("S"), 1, QString(), QStringLiteral("002"), 0, nullptr);
        QCOMPARE(answer, qstrcmp(button, "sbtSim") == 0);
        QVERIFY(d.acted() && !d.timedOut());
    }
}

void TstTouchDialogs::mensagem_otherKindsHaveOk()
{
    for (int kind : {0, 2, 3}) {
        const QString long_ = QStringLiteral(
            "Produto está incluso em uma configuração de tela. Para excluí-lo volte ao menu principal e entre na "
            "tela de configuração de vendas, então o exclua do grupo BEBIDAS.");
        DialogDriver d([&](QDialog *dlg) {
            QVERIFY(!dlg->findChild<QAbstractButton *>(QStringLiteral("sbtSim")));
            auto *text = dlg->findChild<QLabel *>(QStringLiteral("lblMensagem"));
            QCOMPARE(text->text(), long_);
            QVERIFY(text->geometry().bottom() < dlg->findChild<QAbstractButton *>(QStringLiteral("sbtOk"))->y());
            touch(dlg, QStringLiteral("sbtOk"));
        });
        QVERIFY(MensagemTouch(long_, QString(), QStringLiteral("N"), QStringLiteral("N"), kind, QString(),
                              QStringLiteral("002"), 0, nullptr));
        QVERIFY(d.acted() && !d.timedOut());
    }
    DialogDriver d([](QDialog *dlg) { key(dlg, Qt::Key_Escape); });
    QVERIFY(!MensagemTouch(QStringLiteral("Informação"), QString(), QStringLiteral("N"), QStringLiteral("N"), 0,
                           QString(), QStringLiteral("002"), 0, nullptr));
}

void TstTouchDialogs::mensagem_installedBehindMensagem()
{
    InstallTouchMensagem();
    QVERIFY(MensagemHook());
    DialogDriver d([](QDialog *dlg) { touch(dlg, QStringLiteral("sbtSim")); });
    QVERIFY(Mensagem(QStringLiteral("Deseja excluir o Produto?"), QString(), QStringLiteral("N"), QStringLiteral("S"),
                     1, QString(), QStringLiteral("002"), 0, nullptr));
    QCOMPARE(d.seenName(), QStringLiteral("frmMensagemTouch"));
}

void TstTouchDialogs::mensagem_errorReportDefault()
{
    QString shown;
    DialogDriver d([&](QDialog *dlg) {
        shown = dlg->findChild<QLabel *>(QStringLiteral("lblMensagem"))->text();
        key(dlg, Qt::Key_Return);
    });
    ShowErrorReport(QStringLiteral("Erro inesperado: tabela PRODUTO inexistente"));
    QVERIFY(d.acted());
    QCOMPARE(shown, QStringLiteral("Erro inesperado: tabela PRODUTO inexistente"));
}

// ---------------------------------------------------------------- search: bad input

// With no window manager X would leave the focus on the root window when a
// dialog closes: the window that opened it gets the keyboard back.
void TstTouchDialogs::mensagem_handsTheKeyboardBack()
{
    QWidget janela;
    janela.setObjectName(QStringLiteral("janela"));
    janela.show();
    janela.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&janela));
    DialogDriver d([](QDialog *dlg) {
        QWidget outra;  // the focus wanders off while the dialog is up
        outra.show();
        outra.activateWindow();
        dlg->accept();
    });
    MensagemTouch(QStringLiteral("Aviso"), QString(), MensagemArg::Nao, MensagemArg::Nao, mtAviso, QString(),
                  MensagemArg::CodigoTela, 0, nullptr);
    QVERIFY(d.acted());
    QTRY_COMPARE(QApplication::activeWindow(), &janela);
}

void TstTouchDialogs::pesquisa_nullClosedOrEmptyDataSet()
{
    DialogDriver d([](QDialog *dlg) { dlg->reject(); });  // would catch a dialog that must not appear
    QVERIFY(!pesquisa(nullptr));
    TClientDataSet closed;
    closed.AddField(QStringLiteral("A"), TFieldType::ftString, 5);
    QVERIFY(!pesquisa(&closed));
    TClientDataSet empty;
    empty.AddField(QStringLiteral("A"), TFieldType::ftString, 5);
    empty.CreateDataSet();
    QVERIFY(!pesquisa(&empty));
    TClientDataSet noFields;
    QVERIFY(!pesquisa(&noFields));
    auto units = makeUnits();
    units->Close();
    QVERIFY(!pesquisa(units.get()));
    QTest::qWait(50);
    QVERIFY(!d.acted());
}

// ---------------------------------------------------------------- search: picking

void TstTouchDialogs::pesquisa_showsVisibleFieldsUnderLabels()
{
    auto ds = makeUnits();
    QStringList titles;
    int rows = -1;
    QString firstPrice;
    DialogDriver d([&](QDialog *dlg) {
        QTableView *g = grid(dlg);
        QVERIFY(g);
        for (int c = 0; c < g->model()->columnCount(); ++c)
            titles << g->model()->headerData(c, Qt::Horizontal).toString();
        rows = g->model()->rowCount();
        firstPrice = g->model()->index(1, 2).data().toString();
        QCOMPARE(dlg->size(), QSize(760, 560));
        QCOMPARE(g->focusPolicy(), Qt::NoFocus);
        key(dlg, Qt::Key_Escape);
    });
    QVERIFY(!pesquisa(ds.get()));
    QCOMPARE(titles, (QStringList{QStringLiteral("Sigla"), QStringLiteral("Descrição"), QStringLiteral("Fator")}));
    QCOMPARE(rows, 8);
    QCOMPARE(firstPrice, QStringLiteral("1.000,00"));
}

void TstTouchDialogs::pesquisa_enterPicksTheCurrentRow()
{
    auto ds = makeUnits();
    ds->SetRecNo(4);  // the dialog starts on the dataset's current row
    DialogDriver d([](QDialog *dlg) {
        QCOMPARE(grid(dlg)->selectionModel()->currentIndex().row(), 3);
        key(dlg, Qt::Key_Return);
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(ds->RecNo(), 4);
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("PC"));
}

void TstTouchDialogs::pesquisa_typingNarrowsIgnoringCaseAndAccents()
{
    auto ds = makeUnits();
    int afterLi = -1, afterAcucar = -1, afterCedilla = -1;
    DialogDriver d([&](QDialog *dlg) {
        typeText(dlg, QStringLiteral("tR"));
        afterLi = grid(dlg)->model()->rowCount();  // "Litro" and "Metro"
        QCOMPARE(filterShown(dlg), QStringLiteral("tR"));
        key(dlg, Qt::Key_Delete);  // clears the typed text
        QCOMPARE(filterShown(dlg), QString());
        QCOMPARE(grid(dlg)->model()->rowCount(), 8);
        typeText(dlg, QStringLiteral("ACUCAR"));
        afterAcucar = grid(dlg)->model()->rowCount();
        for (int i = 0; i < 6; ++i)
            key(dlg, Qt::Key_Backspace);
        typeText(dlg, QStringLiteral("PE"));
        key(dlg, Qt::Key_Ccedilla, QStringLiteral("ç"));  // physical ç with its text
        QCOMPARE(filterShown(dlg), QStringLiteral("PEç"));
        afterCedilla = grid(dlg)->model()->rowCount();     // "Peça" only
        key(dlg, Qt::Key_Return);
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(afterLi, 2);
    QCOMPARE(afterAcucar, 1);
    QCOMPARE(afterCedilla, 1);
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("PC"));
    QCOMPARE(ds->RecNo(), 4);
    QVERIFY(!ds->Filtered());
    QCOMPARE(ds->RecordCount(), 8);
}

void TstTouchDialogs::pesquisa_arrowsMoveThenEnterPicks()
{
    auto ds = makeUnits();
    DialogDriver d([](QDialog *dlg) {
        typeText(dlg, QStringLiteral("u"));  // Unidade, Quilograma, Açúcar, Dúzia
        QCOMPARE(grid(dlg)->model()->rowCount(), 4);
        key(dlg, Qt::Key_Down);
        key(dlg, Qt::Key_Down);
        key(dlg, Qt::Key_Down);
        key(dlg, Qt::Key_Down);  // stops at the last row
        key(dlg, Qt::Key_Up);
        key(dlg, Qt::Key_Return);
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("AC"));

    DialogDriver d2([](QDialog *dlg) {
        touch(dlg, QStringLiteral("sbtDesce"));
        touch(dlg, QStringLiteral("sbtDesce"));
        touch(dlg, QStringLiteral("sbtSobe"));
        touch(dlg, QStringLiteral("sbtConfirmar"));
    });
    ds->First();
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("KG"));
}

void TstTouchDialogs::pesquisa_touchingARowPicksIt()
{
    auto ds = makeUnits();
    DialogDriver d([](QDialog *dlg) {
        QTableView *g = grid(dlg);
        typeText(dlg, QStringLiteral("a"));
        // Third row of what is shown.
        const QModelIndex idx = g->model()->index(2, 1);
        const QString expect = idx.data().toString();
        QCOMPARE(expect, QStringLiteral("Caixa com 12"));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
    });
    QVERIFY(pesquisa(ds.get()));
    QVERIFY(d.acted() && !d.timedOut());
    // "a" shows Unidade, Quilograma, Caixa com 12, Peça, Açúcar, Dúzia: the third is CX.
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("CX"));
}

void TstTouchDialogs::pesquisa_onScreenKeyboard()
{
    auto ds = makeUnits();
    QStringList seen;
    DialogDriver d([&](QDialog *dlg) {
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('M')));
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('X')));
        seen << filterShown(dlg);
        touch(dlg, QStringLiteral("sbtApagar"));
        seen << filterShown(dlg);
        touch(dlg, QStringLiteral("sbtLimpar"));
        seen << filterShown(dlg);
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('C')));
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('O')));
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('M')));
        touch(dlg, QStringLiteral("sbtEspaco"));
        touch(dlg, QStringLiteral("sbtTecla_%1").arg(int('1')));
        seen << filterShown(dlg);
        seen << QString::number(grid(dlg)->model()->rowCount());
        touch(dlg, QStringLiteral("sbtConfirmar"));
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(seen, (QStringList{QStringLiteral("MX"), QStringLiteral("M"), QString(), QStringLiteral("COM 1"),
                                QStringLiteral("1")}));
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("CX"));
}

void TstTouchDialogs::pesquisa_formattedNumbersMatch()
{
    auto ds = makeUnits();
    DialogDriver d([](QDialog *dlg) {
        typeText(dlg, QStringLiteral("2,25"));  // the factor as the grid shows it
        QCOMPARE(grid(dlg)->model()->rowCount(), 1);
        key(dlg, Qt::Key_Return);
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("AC"));
}

void TstTouchDialogs::pesquisa_escapeAndSairCancel()
{
    auto ds = makeUnits();
    ds->SetRecNo(3);
    {
        DialogDriver d([](QDialog *dlg) {
            typeText(dlg, QStringLiteral("kg"));
            key(dlg, Qt::Key_Escape);
        });
        QVERIFY(!pesquisa(ds.get()));
        QVERIFY(d.acted() && !d.timedOut());
    }
    QCOMPARE(ds->RecNo(), 3);  // cancelling leaves the cursor where it was
    {
        DialogDriver d([](QDialog *dlg) {
            key(dlg, Qt::Key_Down);
            touch(dlg, QStringLiteral("sbtSair"));
        });
        QVERIFY(!pesquisa(ds.get()));
        QVERIFY(d.acted() && !d.timedOut());
    }
    QCOMPARE(ds->RecNo(), 3);
    QVERIFY(!ds->Filtered());
}

void TstTouchDialogs::pesquisa_noMatchEnterDoesNothing()
{
    auto ds = makeUnits();
    bool stillOpen = false;
    DialogDriver d([&](QDialog *dlg) {
        typeText(dlg, QStringLiteral("zzz"));
        QCOMPARE(grid(dlg)->model()->rowCount(), 0);
        key(dlg, Qt::Key_Return);
        key(dlg, Qt::Key_Down);
        touch(dlg, QStringLiteral("sbtConfirmar"));
        stillOpen = dlg->isVisible();
        key(dlg, Qt::Key_Escape);
    });
    QVERIFY(!pesquisa(ds.get()));
    QVERIFY(stillOpen);
}

void TstTouchDialogs::pesquisa_keepsTheCallersFilter()
{
    auto ds = makeUnits();
    // The caller shows only the units with factor 1.
    ds->SetFilter([](const TDataSet &, const QVector<QVariant> &row) { return row[2].toDouble() == 1.0; });
    ds->SetFiltered(true);
    QCOMPARE(ds->RecordCount(), 3);
    int shown = -1;
    DialogDriver d([&](QDialog *dlg) {
        shown = grid(dlg)->model()->rowCount();
        typeText(dlg, QStringLiteral("metro"));
        key(dlg, Qt::Key_Return);
    });
    QVERIFY(pesquisa(ds.get()));
    QCOMPARE(shown, 3);
    QVERIFY(ds->Filtered());
    QCOMPARE(ds->RecordCount(), 3);
    QCOMPARE(currentSigla(ds.get()), QStringLiteral("MT"));
}

void TstTouchDialogs::pesquisa_hookReplacesTheDialog()
{
    auto ds = makeUnits();
    QList<QVariant> args;
    SetPesquisaHook([&](TClientDataSet *d, int p2, const QString &p3, quint32 c1, quint32 c2, quint32 c3, quint32 c5,
                        int p8) {
        args = {QVariant::fromValue<void *>(d), p2, p3, c1, c2, c3, c5, p8};
        d->SetRecNo(2);
        return true;
    });
    QVERIFY(Pesquisa(ds.get(), 0, QStringLiteral("N"), 1, 2, 3, 5, 0));
    QCOMPARE(args.size(), 8);
    QCOMPARE(args[0].value<void *>(), static_cast<void *>(ds.get()));
    QCOMPARE(args[2].toString(), QStringLiteral("N"));
    QCOMPARE(args[3].toUInt(), 1u);
    QCOMPARE(args[6].toUInt(), 5u);
    QCOMPARE(ds->RecNo(), 2);

    SetPesquisaHook({});  // back to the touch dialog
    DialogDriver d([](QDialog *dlg) { key(dlg, Qt::Key_Escape); });
    QVERIFY(!Pesquisa(ds.get(), 0, QStringLiteral("N"), 1, 2, 3, 5, 0));
    QCOMPARE(d.seenName(), QStringLiteral("frmPesquisa"));
}

QTEST_MAIN(TstTouchDialogs)
#include "tst_touchdialogs.moc"
