#pragma once
// The touch controls of the shared package: the drawn shape, the rounded
// touch buttons and the picker button.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QWidget>

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
