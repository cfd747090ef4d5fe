// Touch controls, glyphs, message catalogue, theming and the small entries
// of the shared user-interface package.

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
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage render(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Bounding box of the pixels that are not the background colour.
QRect inkBox(const QImage &img, const QColor &background)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() > 128 && (qAbs(c.red() - background.red()) + qAbs(c.green() - background.green())
                                    + qAbs(c.blue() - background.blue())) > 60)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

int opaqueInRow(const QImage &img, int y)
{
    int n = 0;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, y).alpha() > 128)
            ++n;
    return n;
}

QPixmap solid(int w, int h, const QColor &c)
{
    QPixmap pm(w, h);
    pm.fill(c);
    return pm;
}

}  // namespace

class TstSharedUi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    // ---- colours
    void colours_bgrToQColorAndBack();
    void colours_systemColours();

    // ---- message catalogue
    void messages_firstLineWithExactKey();
    void messages_loadFromFile();

    // ---- shape
    void shape_clickOnlyInside();
    void shape_roundCornersAndBrush();

    // ---- buttons
    void button_neverTakesFocusAndCaptionIsText();
    void button_stateColoursArePainted();
    void button_glyphLayouts();
    void button_multiLineCaption();
    void button_propertiesAsADesignSetsThem();
    void button_ampersandIsPlainText();
    void button_subclassDefaults();

    // ---- glyphs
    void glyphs_everyNameDraws();
    void glyphs_arrowsPointTheRightWay();
    void glyphs_tickIsTheGreenMark();

    // ---- theming, footer, fonts, entries
    void coloreTela_paintsTheTreeAsDocumented();
    void coloreTela_nullForm();
    void rodape_isStable();
    void fonts_substitutionsAndRepeatCall();
    void relFiscais_defaultAndHook();
    void errorReport_hook();

    // ---- stored designs
    void designLoader_extraProperties();
};

void TstSharedUi::init()
{
    SetMensagemHook([](const QString &texto, const QString &, const QString &, const QString &, int, const QString &,
                       const QString &, int, TDataSet *) -> bool {
        qWarning("unexpected message: %s", qPrintable(texto));
        return false;
    });
}

void TstSharedUi::cleanup()
{
    SetMensagemHook({});
    SetRelFiscaisHook({});
    SetErrorReportHook({});
}

// ---------------------------------------------------------------- colours

void TstSharedUi::colours_bgrToQColorAndBack()
{
    QCOMPARE(colorFromBGR(0x0000FF), QColor(255, 0, 0));
    QCOMPARE(colorFromBGR(0x800000), QColor(0, 0, 128));       // navy
    QCOMPARE(colorFromBGR(6736127), QColor(0xFF, 0xC8, 0x66));  // grid title colour 0x66C8FF
    QCOMPARE(colorFromBGR(12960962), QColor(0xC2, 0xC4, 0xC5));
    for (quint32 v : {0u, 0xFFFFFFu, 0x84807Bu, 0x6CD9A8u, 0xE7E7CFu, 255u})
        QCOMPARE(colorToBGR(colorFromBGR(v)), v);
    QCOMPARE(colorToBGR(QColor(0, 0, 128)), 0x800000u);
    QCOMPARE(colorToBGR(QColor()), 0u);
}

void TstSharedUi::colours_systemColours()
{
    QCOMPARE(colorFromBGR(0x8000000F), QColor(192, 192, 192));  // clBtnFace
    QCOMPARE(colorFromBGR(quint32(-16777201)), QColor(192, 192, 192));  // the same, as newer files store it
    QCOMPARE(colorFromBGR(0x80000005), QColor(Qt::white));      // clWindow
    QCOMPARE(colorFromBGR(0x80000003), QColor(128, 128, 128));  // clInactiveCaption
    QVERIFY(colorFromBGR(0x800000FF).isValid());                // unknown index: still a colour
}

// ---------------------------------------------------------------- catalogue

void TstSharedUi::messages_firstLineWithExactKey()
{
    TMessages m;
    m.setMessages({QStringLiteral("SAIR|Deseja cancelar a operação?"),
                   QStringLiteral("NENHUMA|Nenhuma"),
                   QStringLiteral("sair|minúsculas"),
                   QStringLiteral("SEMBARRA"),
                   QStringLiteral("PROD|a|b"),
                   QStringLiteral("NENHUMA|segunda"),
                   QStringLiteral("VAZIO|"),
                   QStringLiteral("NENHUMA_X|outra")});
    QCOMPARE(m.Msg(QStringLiteral("SAIR")), QStringLiteral("Deseja cancelar a operação?"));
    QCOMPARE(m.Msg(QStringLiteral("sair")), QStringLiteral("minúsculas"));  // keys are case-sensitive
    QCOMPARE(m.Msg(QStringLiteral("NENHUMA")), QStringLiteral("Nenhuma"));  // the first line wins
    QCOMPARE(m.Msg(QStringLiteral("PROD")), QStringLiteral("a|b"));         // text after the first bar
    QCOMPARE(m.Msg(QStringLiteral("SEMBARRA")), QString());
    QCOMPARE(m.Msg(QStringLiteral("VAZIO")), QString());
    QCOMPARE(m.Msg(QStringLiteral("NENHUM")), QString());  // a prefix of a key is not the key
    QCOMPARE(m.Msg(QStringLiteral("AUSENTE")), QString());
    QCOMPARE(m.Msg(QString()), QString());
    QCOMPARE(m.property("messages").toStringList().size(), 8);
}

void TstSharedUi::messages_loadFromFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("msg.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBFUNIDADE_NCAD|Unidade deve ser informada.\r\n\r\n"
            "PORTA_NCAD|Porta de Impress\xC3\xA3o deve ser informada.\r\n");
    f.close();
    TMessages m;
    QVERIFY(m.loadFromFile(path));
    QCOMPARE(m.messages().size(), 2);
    QCOMPARE(m.Msg(QStringLiteral("UNIDADE_NCAD")), QStringLiteral("Unidade deve ser informada."));
    QCOMPARE(m.Msg(QStringLiteral("PORTA_NCAD")), QStringLiteral("Porta de Impressão deve ser informada."));

    QVERIFY(!m.loadFromFile(dir.filePath(QStringLiteral("nao-existe.txt"))));
    QCOMPARE(m.messages().size(), 2);  // a missing file leaves the catalogue as it was
}

// ---------------------------------------------------------------- shape

void TstSharedUi::shape_clickOnlyInside()
{
    QWidget top;
    top.resize(200, 200);
    auto *s = new TBlendedShape(&top);
    s->setGeometry(10, 10, 100, 50);
    top.show();
    QSignalSpy clicked(s, &TBlendedShape::clicked);
    QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(50, 25));
    QCOMPARE(clicked.count(), 1);
    // Pressed inside, released outside: no click.
    QTest::mousePress(s, Qt::LeftButton, {}, QPoint(50, 25));
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(150, 25));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(s, Qt::RightButton, {}, QPoint(50, 25));
    QCOMPARE(clicked.count(), 1);
}

void TstSharedUi::shape_roundCornersAndBrush()
{
    TBlendedShape s;
    s.resize(120, 40);
    QCOMPARE(s.cornerRadius(), 10.0);  // a quarter of the smaller side
    s.resize(791, 591);
    QCOMPARE(s.cornerRadius(), 20.0);  // capped
    s.resize(120, 40);
    s.setBrushColor(QColor(0, 128, 0));
    QCOMPARE(s.property("brushColor").value<QColor>(), QColor(0, 128, 0));
    QImage img = render(&s);
    QCOMPARE(img.pixelColor(60, 20), QColor(0, 128, 0));
    QVERIFY(img.pixelColor(0, 0) != QColor(0, 128, 0));  // the corner is cut away
    s.setShape(1);                              // stRectangle
    QCOMPARE(s.cornerRadius(), 0.0);
    img = render(&s);
    QCOMPARE(img.pixelColor(0, 0), QColor(0, 128, 0));
    s.setShape(0);
    s.setPenVisible(true);
    img = render(&s);
    QVERIFY(img.pixelColor(60, 0).red() < 60 && img.pixelColor(60, 0).green() < 60);  // black outline
    QCOMPARE(img.pixelColor(60, 20), QColor(0, 128, 0));
}

// ---------------------------------------------------------------- buttons

void TstSharedUi::button_neverTakesFocusAndCaptionIsText()
{
    TBlendedButton b;
    QCOMPARE(b.focusPolicy(), Qt::NoFocus);
    b.setCaption(QStringLiteral("F2 - Incluir"));
    QCOMPARE(b.text(), QStringLiteral("F2 - Incluir"));
    b.setText(QStringLiteral("Sair"));
    QCOMPARE(b.caption(), QStringLiteral("Sair"));
    b.setTag(65);
    QCOMPARE(b.property("tag").toInt(), 65);
}

void TstSharedUi::button_stateColoursArePainted()
{
    QWidget top;
    auto *b = new TBlendedButton(&top);
    b->setGeometry(0, 0, 135, 52);
    b->setColor(QColor(192, 192, 192));
    b->setFontColor(QColor(0, 0, 128));
    b->setDownColor(Qt::black);
    b->setDownFontColor(Qt::white);
    b->setDisabledColor(QColor(160, 160, 160));
    b->setDisabledFontColor(QColor(96, 96, 96));
    top.show();
    QSignalSpy clicked(b, &QAbstractButton::clicked);

    QCOMPARE(b->currentFaceColor(), QColor(192, 192, 192));
    QCOMPARE(render(b).pixelColor(8, 26), QColor(192, 192, 192));

    b->setDown(true);
    QCOMPARE(b->currentFaceColor(), QColor(Qt::black));
    QCOMPARE(b->currentFontColor(), QColor(Qt::white));
    QCOMPARE(render(b).pixelColor(8, 26), QColor(Qt::black));
    b->setDown(false);

    b->setEnabled(false);
    QCOMPARE(b->currentFaceColor(), QColor(160, 160, 160));
    QCOMPARE(b->currentFontColor(), QColor(96, 96, 96));
    QCOMPARE(render(b).pixelColor(8, 26), QColor(160, 160, 160));
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 0);
    b->setEnabled(true);

    // The caption is drawn in the font colour.
    b->setCaption(QStringLiteral("MMMM"));
    const QImage img = render(b);
    const QRect ink = inkBox(img, QColor(192, 192, 192));
    QVERIFY(!ink.isEmpty());
    bool navyFound = false;
    for (int x = ink.left(); x <= ink.right() && !navyFound; ++x)
        for (int y = ink.top(); y <= ink.bottom() && !navyFound; ++y)
            navyFound = img.pixelColor(x, y).blue() > 100 && img.pixelColor(x, y).red() < 60;
    QVERIFY(navyFound);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void TstSharedUi::button_glyphLayouts()
{
    TBlendedButton b;
    b.resize(135, 100);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(13);
    b.setFont(f);
    b.setCaption(QStringLiteral("Incluir"));
    b.setGlyph(solid(20, 20, Qt::red));
    b.setSpacing(4);
    const QRect area(0, 0, 135, 100);
    QRect g, t;

    b.setGlyphLayout(0);  // left
    b.layoutContent(area, &g, &t);
    QCOMPARE(g.size(), QSize(20, 20));
    QCOMPARE(t.left(), g.right() + 1 + 4);
    QVERIFY(qAbs((g.left() - area.left()) - (area.right() - t.right())) <= 1);  // block centred

    b.setGlyphLayout(3);  // right
    b.layoutContent(area, &g, &t);
    QCOMPARE(g.left(), t.right() + 1 + 4);

    b.setGlyphLayout(1);  // top
    b.layoutContent(area, &g, &t);
    QCOMPARE(t.top(), g.bottom() + 1 + 4);
    QVERIFY(qAbs(g.center().x() - t.center().x()) <= 1);

    b.setGlyphLayout(2);  // bottom
    b.layoutContent(area, &g, &t);
    QCOMPARE(g.top(), t.bottom() + 1 + 4);

    b.setGlyphLayout(0);  // left with a margin: the glyph sits at the margin
    b.setMargin(6);
    b.layoutContent(area, &g, &t);
    QCOMPARE(g.left(), 6);
    QVERIFY(t.left() > g.right());

    // The glyph is really painted where the layout puts it.
    b.setMargin(-1);
    b.setGlyphLayout(1);
    b.layoutContent(b.rect().adjusted(2, 2, -2, -2), &g, &t);
    const QImage img = render(&b);
    QCOMPARE(img.pixelColor(g.center()), QColor(Qt::red));

    // No caption: the glyph alone is centred (the arrow buttons).
    b.setCaption(QString());
    b.layoutContent(area, &g, &t);
    QVERIFY(t.isNull());
    QVERIFY(qAbs(g.center().x() - 67) <= 1 && qAbs(g.center().y() - 49) <= 1);
}

void TstSharedUi::button_multiLineCaption()
{
    TBlendedButton b;
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(9);
    f.setBold(true);
    b.setFont(f);
    const QRect area(0, 0, 94, 51);
    QRect g, t1, t2;
    b.setCaption(QStringLiteral("Confirmar"));
    b.layoutContent(area, &g, &t1);
    b.setCaption(QStringLiteral("Ctrl+Enter\nConfirmar"));
    b.layoutContent(area, &g, &t2);
    QCOMPARE(t2.height(), 2 * t1.height());
    b.setCaption(QStringLiteral("Ctrl+Enter\r\nConfirmar"));
    QRect t3;
    b.layoutContent(area, &g, &t3);
    QCOMPARE(t3, t2);
    QVERIFY(b.sizeHint().height() >= t2.height());
}

void TstSharedUi::button_propertiesAsADesignSetsThem()
{
    // A form design sets the promoted widget's properties by name.
    TBlendedBitBtn b;
    const QVariantMap props = {{"caption", QStringLiteral("F3 - Editar")},
                               {"color", QColor(Qt::gray)},
                               {"fontColor", QColor(Qt::black)},
                               {"downColor", colorFromBGR(15198159)},
                               {"downFontColor", QColor(Qt::white)},
                               {"disabledColor", QColor(Qt::darkGray)},
                               {"disabledFontColor", QColor(Qt::lightGray)},
                               {"glyphLayout", 1},
                               {"margin", 4},
                               {"spacing", 2},
                               {"radius", 6},
                               {"tag", 13}};
    for (auto it = props.begin(); it != props.end(); ++it) {
        QVERIFY2(b.setProperty(qPrintable(it.key()), it.value()), qPrintable(it.key()));
        QCOMPARE(b.property(qPrintable(it.key())), it.value());
    }
    QVERIFY(b.setProperty("glyph", solid(8, 8, Qt::blue)));
    QCOMPARE(b.glyph().size(), QSize(8, 8));
    QCOMPARE(b.text(), QStringLiteral("F3 - Editar"));

    TBlendedShape s;
    QVERIFY(s.setProperty("brushColor", colorFromBGR(14079702)));
    QVERIFY(s.setProperty("penVisible", false));
    QVERIFY(s.setProperty("shape", 0));
    QCOMPARE(colorToBGR(s.brushColor()), 14079702u);
}

void TstSharedUi::button_ampersandIsPlainText()
{
    QWidget top;
    auto *b = new TBlendedButton(&top);
    b->setGeometry(0, 0, 100, 30);
    b->setCaption(QStringLiteral("P&G"));
    QVERIFY(b->shortcut().isEmpty());
    QCOMPARE(b->caption(), QStringLiteral("P&G"));
}

void TstSharedUi::button_subclassDefaults()
{
    TdxfColorButton dxf;
    QCOMPARE(dxf.glyphLayout(), 2);  // glyph below the caption
    QCOMPARE(dxf.focusPolicy(), Qt::NoFocus);
    TBlendedBitBtn bit;
    QCOMPARE(bit.glyphLayout(), 0);
    QVERIFY(qobject_cast<TBlendedButton *>(&bit));
    // Out-of-range values are clamped, not stored.
    dxf.setGlyphLayout(9);
    QCOMPARE(dxf.glyphLayout(), 3);
    dxf.setMargin(-7);
    QCOMPARE(dxf.margin(), -1);
    dxf.setSpacing(-3);
    QCOMPARE(dxf.spacing(), 0);
}

// ---------------------------------------------------------------- glyphs

void TstSharedUi::glyphs_everyNameDraws()
{
    const QStringList required = {"seta_cima", "seta_baixo", "incluir", "editar", "excluir",
                                  "pesquisar", "sair",       "confirmar", "lupa", "tick"};
    for (const QString &n : required)
        QVERIFY2(qulGlyphNames().contains(n), qPrintable(n));
    for (const QString &n : qulGlyphNames()) {
        const QPixmap pm = qulGlyph(n);
        QVERIFY2(!pm.isNull(), qPrintable(n));
        const QImage img = pm.toImage();
        int ink = 0;
        for (int y = 0; y < img.height(); ++y)
            ink += opaqueInRow(img, y);
        QVERIFY2(ink > 20, qPrintable(n));                          // something is drawn
        QVERIFY2(ink < img.width() * img.height(), qPrintable(n));  // on a transparent ground
    }
    QVERIFY(qulGlyph(QStringLiteral("nao_existe")).isNull());
    QVERIFY(qulGlyph(QString()).isNull());
}

void TstSharedUi::glyphs_arrowsPointTheRightWay()
{
    // An arrow is a point at its tip and a full shaft at its other end.
    const QImage up = qulGlyph(QStringLiteral("seta_cima")).toImage();
    const QImage down = qulGlyph(QStringLiteral("seta_baixo")).toImage();
    auto ends = [](const QImage &img) {
        int first = -1, last = -1;
        for (int y = 0; y < img.height(); ++y)
            if (opaqueInRow(img, y) > 0) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return std::make_pair(opaqueInRow(img, first), opaqueInRow(img, last));
    };
    const auto [upTop, upBottom] = ends(up);
    const auto [downTop, downBottom] = ends(down);
    QVERIFY2(upTop * 2 < upBottom, qPrintable(QStringLiteral("%1 %2").arg(upTop).arg(upBottom)));
    QVERIFY2(downBottom * 2 < downTop, qPrintable(QStringLiteral("%1 %2").arg(downTop).arg(downBottom)));
}

void TstSharedUi::glyphs_tickIsTheGreenMark()
{
    const QPixmap pm = qulGlyph(QStringLiteral("tick"));
    QCOMPARE(pm.size(), QSize(45, 28));
    const QImage img = pm.toImage();
    int green = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() > 200 && c.green() > 100 && c.red() < 60 && c.blue() < 60)
                ++green;
        }
    QVERIFY(green > 60);
}

// ---------------------------------------------------------------- theming

void TstSharedUi::coloreTela_paintsTheTreeAsDocumented()
{
    QWidget form;
    auto *page = new QWidget(&form);  // shapes sit on notebook pages, not on the form itself
    auto shape = [page](const char *name) {
        auto *s = new TBlendedShape(page);
        s->setObjectName(QString::fromLatin1(name));
        s->setBrushColor(QColor(1, 2, 3));
        return s;
    };
    TBlendedShape *borda = shape("blsBorda"), *borda5 = shape("blsBorda5"), *bordaDados = shape("blsBordaDados"),
                  *fundo = shape("blsFundoTela"), *fundo2 = shape("blsFundo2"), *cabec = shape("blsCabec"),
                  *bs2 = shape("BlendedShape2"), *botoes = shape("blsBotoes"), *teclado = shape("blsKeyBoard"),
                  *bs1 = shape("BlendedShape1");
    auto *lbl = new QLabel(QStringLiteral("Produtos"), page);
    lbl->setObjectName(QStringLiteral("lblCabec1"));
    auto *sbt = new TBlendedBitBtn(page);
    sbt->setObjectName(QStringLiteral("sbtIncluir"));
    auto *tecla = new TBlendedButton(page);
    tecla->setObjectName(QStringLiteral("sbtA"));
    auto *edt = new TBlendedButton(page);
    edt->setObjectName(QStringLiteral("edtNomeProd"));
    edt->setColor(QColor(Qt::gray));
    edt->setFontColor(Qt::black);
    auto *dxf = new TdxfColorButton(page);
    dxf->setObjectName(QStringLiteral("dxfUnidade"));
    dxf->setColor(colorFromBGR(7133608));
    sbt->setDownColor(Qt::black);

    const quint32 c1 = 0x0000C1, c2 = 0x0000C2, c3 = 0x0000C3, c4 = 0x0000C4, c5 = 0x0000C5, c6 = 0x0000C6;
    ColoreTela(&form, c1, c2, c3, c4, c5, c6);

    QCOMPARE(form.palette().color(QPalette::Window), colorFromBGR(c1));
    for (TBlendedShape *s : {borda, borda5, bordaDados})
        QCOMPARE(colorToBGR(s->brushColor()), c3);
    for (TBlendedShape *s : {fundo, fundo2})
        QCOMPARE(colorToBGR(s->brushColor()), c1);
    for (TBlendedShape *s : {cabec, bs2})
        QCOMPARE(colorToBGR(s->brushColor()), c2);
    for (TBlendedShape *s : {botoes, teclado, bs1})
        QCOMPARE(colorToBGR(s->brushColor()), c4);
    QCOMPARE(colorToBGR(lbl->palette().color(QPalette::WindowText)), c6);
    for (TBlendedButton *b : {static_cast<TBlendedButton *>(sbt), tecla}) {
        QCOMPARE(colorToBGR(b->color()), c5);
        QCOMPARE(colorToBGR(b->fontColor()), c6);
    }
    QCOMPARE(sbt->downColor(), QColor(Qt::black));  // pressed look untouched
    QCOMPARE(edt->color(), QColor(Qt::gray));       // entry fields keep their look
    QCOMPARE(edt->fontColor(), QColor(Qt::black));
    QCOMPARE(colorToBGR(dxf->color()), 7133608u);   // pickers keep theirs

    // With the default theme the labels come out navy, as designed.
    ColoreTela(&form, 12960962, 14737632, 8683643, 8421504, 15658734, 8388608);
    QCOMPARE(lbl->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(colorToBGR(borda->brushColor()), 8683643u);
}

void TstSharedUi::coloreTela_nullForm()
{
    ColoreTela(nullptr, 1, 2, 3, 4, 5, 6);
    QWidget empty;
    ColoreTela(&empty, 1, 2, 3, 4, 5, 6);
    QCOMPARE(colorToBGR(empty.palette().color(QPalette::Window)), 1u);
}

void TstSharedUi::rodape_isStable()
{
    const QString a = MontaRodapeGeral(true, QStringLiteral("QUL00002"), QStringLiteral("S"));
    QCOMPARE(a, QStringLiteral("QUL00002 v1.0"));
    QCOMPARE(MontaRodapeGeral(true, QStringLiteral("qul00002"), QStringLiteral("S")), a);
    QCOMPARE(MontaRodapeGeral(false, QStringLiteral("QUL00002"), QStringLiteral("S")), QStringLiteral("QUL00002"));
}

void TstSharedUi::fonts_substitutionsAndRepeatCall()
{
    InstallProductLineFonts();
    InstallProductLineFonts();
    QCOMPARE(QFont::substitute(QStringLiteral("MS Sans Serif")).toLower(), QStringLiteral("liberation sans"));
    QCOMPARE(QFont::substitute(QStringLiteral("Small Fonts")).toLower(), QStringLiteral("liberation sans"));
    if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("Tahoma")));
}

void TstSharedUi::relFiscais_defaultAndHook()
{
    QStringList shown;
    int kind = -1;
    SetMensagemHook([&](const QString &texto, const QString &, const QString &, const QString &, int tipo,
                        const QString &, const QString &, int, TDataSet *) {
        shown << texto;
        kind = tipo;
        return false;
    });
    RelFiscais();
    QCOMPARE(shown, QStringList{QStringLiteral("Nenhum relatório fiscal instalado.")});
    QCOMPARE(kind, 0);

    int calls = 0;
    SetRelFiscaisHook([&] { ++calls; });
    RelFiscais();
    QCOMPARE(calls, 1);
    QCOMPARE(shown.size(), 1);
    SetRelFiscaisHook({});
    RelFiscais();
    QCOMPARE(shown.size(), 2);
}

void TstSharedUi::errorReport_hook()
{
    QStringList reports;
    SetErrorReportHook([&](const QString &m) { reports << m; });
    ShowErrorReport(QStringLiteral("Falha na conexão"));
    QCOMPARE(reports, QStringList{QStringLiteral("Falha na conexão")});
}

// What a stored design carries beyond Designer's own properties, applied to
// any widget tree; a hidden notebook that fills its parent sizes its pages
// too, so that what fills a page fills the right size before it is shown.
void TstSharedUi::designLoader_extraProperties()
{
    QWidget raiz;
    raiz.resize(300, 200);
    auto *rotulo = new QLabel(QStringLiteral("Texto bem mais comprido"), &raiz);
    rotulo->setGeometry(0, 0, 5, 5);
    rotulo->setProperty("fontHeight", -13);
    rotulo->setProperty("autoSize", true);
    auto *imagem = new QLabel(&raiz);
    imagem->setProperty("glyphName", QStringLiteral("tick"));
    auto *botao = new TBlendedButton(&raiz);
    botao->setProperty("glyphName", QStringLiteral("sair"));
    auto *caderno = new QStackedWidget(&raiz);
    caderno->setProperty("alignClient", true);
    auto *pagina = new QWidget;
    caderno->addWidget(pagina);
    auto *fundo = new QWidget(pagina);
    fundo->setProperty("alignClient", true);

    ApplyDesignProperties(&raiz);
    QCOMPARE(rotulo->font().pixelSize(), 13);
    QVERIFY(rotulo->width() > 5);  // sized after its font
    QCOMPARE(imagem->pixmap().size(), QSize(45, 28));
    QVERIFY(!botao->glyph().isNull());

    AlignClientControls(&raiz);
    QCOMPARE(caderno->geometry(), QRect(0, 0, 300, 200));
    QCOMPARE(pagina->size(), QSize(300, 200));
    QCOMPARE(fundo->geometry(), QRect(0, 0, 300, 200));
    raiz.resize(320, 240);
    AlignClientControls(&raiz);
    QCOMPARE(fundo->size(), QSize(320, 240));
}

QTEST_MAIN(TstSharedUi)
#include "tst_sharedui.moc"
