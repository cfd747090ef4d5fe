// Touch controls of the shared package: the drawn shape and the rounded
// touch buttons.

#include "BlendedControls.h"

#include "BgrColor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

// ---------------------------------------------------------------- TBlendedShape

TBlendedShape::TBlendedShape(QWidget *parent) : QWidget(parent) {}

QColor TBlendedShape::brushColor() const { return m_brush; }

void TBlendedShape::setBrushColor(const QColor &c)
{
    if (m_brush == c)
        return;
    m_brush = c;
    update();
}

bool TBlendedShape::penVisible() const { return m_pen; }

void TBlendedShape::setPenVisible(bool on)
{
    m_pen = on;
    update();
}

int TBlendedShape::shape() const { return m_shape; }

void TBlendedShape::setShape(int s)
{
    m_shape = s == 1 ? 1 : 0;
    update();
}

qreal TBlendedShape::cornerRadius() const
{
    if (m_shape == 1)
        return 0;
    return qMin(qMin(width(), height()) / 4.0, 20.0);
}

void TBlendedShape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    QRectF r = rect();
    if (m_pen) {
        p.setPen(QPen(Qt::black, 1));
        r.adjust(0.5, 0.5, -0.5, -0.5);
    } else {
        p.setPen(Qt::NoPen);
    }
    p.setBrush(m_brush);
    const qreal rad = cornerRadius();
    if (rad > 0)
        p.drawRoundedRect(r, rad, rad);
    else
        p.drawRect(r);
}

void TBlendedShape::mousePressEvent(QMouseEvent *e)
{
    e->accept();  // keeps the release for this shape
}

void TBlendedShape::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
}

// ---------------------------------------------------------------- TBlendedButton

TBlendedButton::TBlendedButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
}

QString TBlendedButton::caption() const { return text(); }

void TBlendedButton::setCaption(const QString &s)
{
    setText(s);
    // A caption is plain text (an entry field shows what was typed): no
    // '&' mnemonic becomes a keyboard shortcut.
    setShortcut(QKeySequence());
    updateGeometry();
    update();
}

int TBlendedButton::tag() const { return m_tag; }
void TBlendedButton::setTag(int t) { m_tag = t; }

#define QUL_COLOUR_PROP(getter, setter, member)           \
    QColor TBlendedButton::getter() const { return member; } \
    void TBlendedButton::setter(const QColor &c)             \
    {                                                        \
        member = c;                                          \
        update();                                            \
    }

QUL_COLOUR_PROP(color, setColor, m_color)
QUL_COLOUR_PROP(fontColor, setFontColor, m_fontColor)
QUL_COLOUR_PROP(downColor, setDownColor, m_downColor)
QUL_COLOUR_PROP(downFontColor, setDownFontColor, m_downFontColor)
QUL_COLOUR_PROP(disabledColor, setDisabledColor, m_disabledColor)
QUL_COLOUR_PROP(disabledFontColor, setDisabledFontColor, m_disabledFontColor)
#undef QUL_COLOUR_PROP

QPixmap TBlendedButton::glyph() const { return m_glyph; }

void TBlendedButton::setGlyph(const QPixmap &p)
{
    m_glyph = p;
    updateGeometry();
    update();
}

int TBlendedButton::glyphLayout() const { return m_layout; }

void TBlendedButton::setGlyphLayout(int l)
{
    m_layout = qBound(0, l, 3);
    update();
}

int TBlendedButton::margin() const { return m_margin; }

void TBlendedButton::setMargin(int m)
{
    m_margin = m < 0 ? -1 : m;
    update();
}

int TBlendedButton::spacing() const { return m_spacing; }

void TBlendedButton::setSpacing(int s)
{
    m_spacing = qMax(0, s);
    update();
}

int TBlendedButton::radius() const { return m_radius; }

void TBlendedButton::setRadius(int r)
{
    m_radius = qMax(0, r);
    update();
}

QColor TBlendedButton::currentFaceColor() const
{
    if (!isEnabled())
        return m_disabledColor;
    if (isDown() || (isCheckable() && isChecked()))
        return m_downColor;
    return m_color;
}

QColor TBlendedButton::currentFontColor() const
{
    if (!isEnabled())
        return m_disabledFontColor;
    if (isDown() || (isCheckable() && isChecked()))
        return m_downFontColor;
    return m_fontColor;
}

namespace {

// Caption lines: "\n" (or "\r\n") breaks the caption.
QStringList captionLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines;
}

QSize textBlockSize(const QFontMetrics &fm, const QString &text)
{
    if (text.isEmpty())
        return QSize(0, 0);
    const QStringList lines = captionLines(text);
    int w = 0;
    for (const QString &l : lines)
        w = qMax(w, fm.horizontalAdvance(l));
    return QSize(w, int(lines.size()) * fm.height());
}

QSize glyphSize(const QPixmap &pm)
{
    if (pm.isNull())
        return QSize(0, 0);
    return pm.deviceIndependentSize().toSize();
}

}  // namespace

void TBlendedButton::layoutContent(const QRect &r, QRect *glyphRect, QRect *textRect) const
{
    const QSize ts = textBlockSize(QFontMetrics(font()), text());
    const QSize gs = glyphSize(m_glyph);
    const bool hasG = !gs.isEmpty(), hasT = !ts.isEmpty();
    const int gap = hasG && hasT ? m_spacing : 0;
    QRect g(QPoint(), gs), t(QPoint(), ts);

    if (m_layout == 0 || m_layout == 3) {  // glyph left / right of the caption
        const int total = gs.width() + gap + ts.width();
        int x;
        if (m_margin < 0)
            x = r.left() + (r.width() - total) / 2;
        else
            x = m_layout == 0 ? r.left() + m_margin : r.right() + 1 - m_margin - total;
        if (m_layout == 0) {
            g.moveTopLeft(QPoint(x, r.top() + (r.height() - gs.height()) / 2));
            t.moveTopLeft(QPoint(x + gs.width() + gap, r.top() + (r.height() - ts.height()) / 2));
            if (m_margin >= 0 && hasT)  // caption centred in the room the glyph leaves
                t.moveLeft(g.right() + 1 + gap + (r.right() + 1 - (g.right() + 1 + gap) - ts.width()) / 2);
        } else {
            t.moveTopLeft(QPoint(x, r.top() + (r.height() - ts.height()) / 2));
            g.moveTopLeft(QPoint(x + ts.width() + gap, r.top() + (r.height() - gs.height()) / 2));
            if (m_margin >= 0 && hasT)
                t.moveLeft(r.left() + (g.left() - gap - r.left() - ts.width()) / 2);
        }
    } else {  // glyph above / below the caption
        const int total = gs.height() + gap + ts.height();
        int y;
        if (m_margin < 0)
            y = r.top() + (r.height() - total) / 2;
        else
            y = m_layout == 1 ? r.top() + m_margin : r.bottom() + 1 - m_margin - total;
        if (m_layout == 1) {
            g.moveTopLeft(QPoint(r.left() + (r.width() - gs.width()) / 2, y));
            t.moveTopLeft(QPoint(r.left() + (r.width() - ts.width()) / 2, y + gs.height() + gap));
        } else {
            t.moveTopLeft(QPoint(r.left() + (r.width() - ts.width()) / 2, y));
            g.moveTopLeft(QPoint(r.left() + (r.width() - gs.width()) / 2, y + ts.height() + gap));
        }
    }
    if (glyphRect)
        *glyphRect = hasG ? g : QRect();
    if (textRect)
        *textRect = hasT ? t : QRect();
}

QSize TBlendedButton::sizeHint() const
{
    const QSize ts = textBlockSize(QFontMetrics(font()), text());
    const QSize gs = glyphSize(m_glyph);
    const int gap = !ts.isEmpty() && !gs.isEmpty() ? m_spacing : 0;
    QSize s;
    if (m_layout == 0 || m_layout == 3)
        s = QSize(ts.width() + gap + gs.width(), qMax(ts.height(), gs.height()));
    else
        s = QSize(qMax(ts.width(), gs.width()), ts.height() + gap + gs.height());
    return (s + QSize(16, 12)).expandedTo(QSize(40, 30));
}

QSize TBlendedButton::minimumSizeHint() const
{
    return QSize(16, 16);
}

bool TBlendedButton::event(QEvent *e)
{
    // The form handles every key: a mnemonic in a caption never clicks.
    if (e->type() == QEvent::Shortcut)
        return true;
    return QAbstractButton::event(e);
}

void TBlendedButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);

    const QColor face = currentFaceColor();
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal rad = qMin<qreal>(m_radius, qMin(width(), height()) / 2.0);
    p.setPen(QPen(face.darker(140), 1));
    p.setBrush(face);
    p.drawRoundedRect(body, rad, rad);

    QRect g, t;
    layoutContent(rect().adjusted(2, 2, -2, -2), &g, &t);
    if (!g.isNull()) {
        if (!isEnabled())
            p.setOpacity(0.45);
        p.drawPixmap(g, m_glyph);
        p.setOpacity(1.0);
    }
    if (!t.isNull()) {
        p.setPen(currentFontColor());
        p.setFont(font());
        const QFontMetrics fm(font());
        const QStringList lines = captionLines(text());
        int y = t.top();
        for (const QString &line : lines) {
            const QRect lr(t.left(), y, t.width(), fm.height());
            p.drawText(lr, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, line);
            y += fm.height();
        }
    }
}

TBlendedBitBtn::TBlendedBitBtn(QWidget *parent) : TBlendedButton(parent) {}

TdxfColorButton::TdxfColorButton(QWidget *parent) : TBlendedButton(parent)
{
    setGlyphLayout(2);  // dxfGlyphBottom
}
