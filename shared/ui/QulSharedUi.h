#pragma once
// The product line's shared user-interface package: touch controls, the
// message dialog, the search dialog, the screen theming helpers, the footer
// text and the fiscal-reports entry. Dialogs go through replaceable hooks
// (the host or the tests may put their own presenters there).

#include "DataSet.h"
#include "QulHooks.h"

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <functional>

// Colours are kept as the product line stores them: 0x00BBGGRR.
QColor colorFromBGR(quint32 bgr);
quint32 colorToBGR(const QColor &c);

// A drawn shape (rounded rectangle); clicking it emits clicked().
class TBlendedShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
    Q_PROPERTY(bool penVisible READ penVisible WRITE setPenVisible)
    Q_PROPERTY(int shape READ shape WRITE setShape)  // 0 = stRoundRect, 1 = stRectangle
public:
    explicit TBlendedShape(QWidget *parent = nullptr);
    QColor brushColor() const;
    void setBrushColor(const QColor &c);
    bool penVisible() const;
    void setPenVisible(bool on);
    int shape() const;
    void setShape(int s);
    // Corner radius of the round rectangle: a quarter of the smaller side,
    // at most 20 pixels (the corner of the rounded screen window); 0 for
    // stRectangle.
    qreal cornerRadius() const;
Q_SIGNALS:
    void clicked();
protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
private:
    QColor m_brush = Qt::white;
    bool m_pen = false;
    int m_shape = 0;
};

// A rounded touch button. Its caption is also the text of an entry field.
// Never takes keyboard focus (the form handles every key).
class TBlendedButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(int tag READ tag WRITE setTag)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor fontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(QColor downColor READ downColor WRITE setDownColor)
    Q_PROPERTY(QColor downFontColor READ downFontColor WRITE setDownFontColor)
    Q_PROPERTY(QColor disabledColor READ disabledColor WRITE setDisabledColor)
    Q_PROPERTY(QColor disabledFontColor READ disabledFontColor WRITE setDisabledFontColor)
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int glyphLayout READ glyphLayout WRITE setGlyphLayout)  // 0 left, 1 top, 2 bottom, 3 right
    Q_PROPERTY(int margin READ margin WRITE setMargin)                // -1: centred
    Q_PROPERTY(int spacing READ spacing WRITE setSpacing)
    Q_PROPERTY(int radius READ radius WRITE setRadius)
public:
    explicit TBlendedButton(QWidget *parent = nullptr);
    QString caption() const;
    void setCaption(const QString &s);  // same as setText
    int tag() const;
    void setTag(int t);
    QColor color() const;
    void setColor(const QColor &c);
    QColor fontColor() const;
    void setFontColor(const QColor &c);
    QColor downColor() const;
    void setDownColor(const QColor &c);
    QColor downFontColor() const;
    void setDownFontColor(const QColor &c);
    QColor disabledColor() const;
    void setDisabledColor(const QColor &c);
    QColor disabledFontColor() const;
    void setDisabledFontColor(const QColor &c);
    QPixmap glyph() const;
    void setGlyph(const QPixmap &p);
    int glyphLayout() const;
    void setGlyphLayout(int l);
    int margin() const;
    void setMargin(int m);
    int spacing() const;
    void setSpacing(int s);
    int radius() const;
    void setRadius(int r);
    // Colours the button paints with in its present state (normal,
    // pressed or disabled).
    QColor currentFaceColor() const;
    QColor currentFontColor() const;
    // Where the glyph and the caption block go inside `r` for this layout.
    void layoutContent(const QRect &r, QRect *glyphRect, QRect *textRect) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
protected:
    void paintEvent(QPaintEvent *) override;
    bool event(QEvent *e) override;
private:
    int m_tag = 0;
    QColor m_color = QColor(192, 192, 192), m_fontColor = Qt::black;
    QColor m_downColor = Qt::black, m_downFontColor = Qt::white;
    QColor m_disabledColor = QColor(160, 160, 160), m_disabledFontColor = QColor(96, 96, 96);
    QPixmap m_glyph;
    int m_layout = 0, m_margin = -1, m_spacing = 4, m_radius = 10;
};

class TBlendedBitBtn : public TBlendedButton {
    Q_OBJECT
public:
    explicit TBlendedBitBtn(QWidget *parent = nullptr);
};

// A picker button (colour face, glyph below the caption by default).
class TdxfColorButton : public TBlendedButton {
    Q_OBJECT
public:
    explicit TdxfColorButton(QWidget *parent = nullptr);
};

// Glyphs drawn in code, by name: "seta_cima", "seta_baixo", "incluir",
// "editar", "excluir", "pesquisar", "sair", "confirmar", "lupa", "tick"
// (the 45 x 28 green mark picture), "limpar", "apagar", "info",
// "pergunta", "aviso", "erro". An unknown name gives a null pixmap.
QPixmap qulGlyph(const QString &name);
QStringList qulGlyphNames();

// The message catalogue: lines "KEY|Text".
class TMessages : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList messages READ messages WRITE setMessages)
public:
    explicit TMessages(QObject *parent = nullptr);
    QStringList messages() const;
    void setMessages(const QStringList &lines);
    bool loadFromFile(const QString &path);  // lines KEY|Text, UTF-8
    // The text after the bar in the first line whose key is `key`; empty when none.
    QString Msg(const QString &key) const;
private:
    QStringList m_lines;
};

// The touch message dialog (large buttons; ENTER confirms, ESC cancels).
// InstallTouchMensagem() makes it the presenter behind Mensagem().
bool MensagemTouch(const QString &texto, const QString &titulo, const QString &p3, const QString &pergunta, int tipo,
                   const QString &p6, const QString &p7, int p8, TDataSet *dataSet);
void InstallTouchMensagem();

// The search dialog: shows the visible fields of `dataSet` under their
// display labels; typing (on-screen keyboard or physical keys) narrows the
// rows; arrows move; ENTER or a touch picks; ESC leaves. True when a row
// was picked, and the dataset is then positioned on it.
bool Pesquisa(TClientDataSet *dataSet, int p2, const QString &p3, quint32 cor1, quint32 cor2, quint32 cor3,
              quint32 cor5, int p8);
void SetPesquisaHook(TPesquisaHook hook);  // empty: back to the touch search dialog
bool PesquisaTouch(TClientDataSet *dataSet, int p2, const QString &p3, quint32 cor1, quint32 cor2, quint32 cor3,
                   quint32 cor5, int p8);

// The fiscal reports entry. The default tells the operator that no fiscal
// reports are installed.
void RelFiscais();
void SetRelFiscaisHook(TRelFiscaisHook hook);  // empty: back to the default

// The platform error report shown for an exception that reached an event
// handler. Replaceable for tests.
void ShowErrorReport(const QString &message);
void SetErrorReportHook(TErrorReportHook hook);  // empty: back to the default

// Paints the form's shapes, labels and buttons in the six theme colours
// (mapping documented in the implementation).
void ColoreTela(QWidget *form, quint32 cor1, quint32 cor2, quint32 cor3, quint32 cor4, quint32 cor5, quint32 cor6);

// The footer text that identifies a screen, e.g. for ("QUL00002").
QString MontaRodapeGeral(bool flag, const QString &codigoTela, const QString &p3);

// Loads Tahoma from fonts-wine and maps the bitmap fonts the layouts name
// ("MS Sans Serif", "Small Fonts") onto scalable ones. Safe to call twice.
void InstallProductLineFonts();
