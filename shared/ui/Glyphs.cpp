// Button pictures of the product line, drawn in code so that no image file
// has to travel with the module.

#include "Glyphs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 150, 0);
const QColor kDarkGreen(0, 100, 0);
const QColor kRed(200, 0, 0);
const QColor kBlue(0, 70, 190);

QPixmap canvas(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void begin(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
}

QPixmap arrow(bool up)
{
    QPixmap pm = canvas(32, 32);
    QPainter p(&pm);
    begin(p);
    QPainterPath path;
    if (up) {
        path.moveTo(16, 3);
        path.lineTo(29, 17);
        path.lineTo(21, 17);
        path.lineTo(21, 29);
        path.lineTo(11, 29);
        path.lineTo(11, 17);
        path.lineTo(3, 17);
    } else {
        path.moveTo(16, 29);
        path.lineTo(29, 15);
        path.lineTo(21, 15);
        path.lineTo(21, 3);
        path.lineTo(11, 3);
        path.lineTo(11, 15);
        path.lineTo(3, 15);
    }
    path.closeSubpath();
    p.setPen(QPen(kNavy.darker(130), 1.2));
    p.setBrush(kNavy);
    p.drawPath(path);
    return pm;
}

QPixmap plus()
{
    QPixmap pm = canvas(24, 24);
    QPainter p(&pm);
    begin(p);
    p.setPen(QPen(kDarkGreen, 1));
    p.setBrush(kGreen);
    p.drawRoundedRect(QRectF(9, 2, 6, 20), 1.5, 1.5);
    p.drawRoundedRect(QRectF(2, 9, 20, 6), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(9.5, 9.5, 5, 5));
    return pm;
}

QPixmap pencil()
{
    QPixmap pm = canvas(24, 24);
    QPainter p(&pm);
    begin(p);
    p.translate(12, 12);
    p.rotate(-45);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawRect(QRectF(-7, -3, 14, 6));           // body
    p.setBrush(QColor(230, 120, 120));
    p.drawRect(QRectF(7, -3, 3, 6));             // eraser
    QPainterPath tip;
    tip.moveTo(-7, -3);
    tip.lineTo(-11, 0);
    tip.lineTo(-7, 3);
    tip.closeSubpath();
    p.setBrush(QColor(245, 220, 170));
    p.drawPath(tip);
    return pm;
}

QPixmap cross(const QColor &c, int size, qreal width)
{
    QPixmap pm = canvas(size, size);
    QPainter p(&pm);
    begin(p);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
    const qreal m = size * 0.2;
    p.drawLine(QPointF(m, m), QPointF(size - m, size - m));
    p.drawLine(QPointF(size - m, m), QPointF(m, size - m));
    return pm;
}

QPixmap magnifier(int size)
{
    QPixmap pm = canvas(size, size);
    QPainter p(&pm);
    begin(p);
    const qreal s = size / 24.0;
    p.scale(s, s);
    p.setPen(QPen(kNavy, 2.5));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QRectF(3, 3, 12, 12));
    p.setPen(QPen(kNavy, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(21, 21));
    return pm;
}

QPixmap exitDoor()
{
    QPixmap pm = canvas(24, 24);
    QPainter p(&pm);
    begin(p);
    p.setPen(QPen(QColor(90, 50, 20), 1));
    p.setBrush(QColor(160, 100, 50));
    p.drawRect(QRectF(3, 2, 11, 20));
    p.setBrush(QColor(230, 200, 60));
    p.drawEllipse(QRectF(11, 11, 2, 2));
    QPainterPath a;
    a.moveTo(23, 12);
    a.lineTo(17, 6);
    a.lineTo(17, 9.5);
    a.lineTo(9, 9.5);
    a.lineTo(9, 14.5);
    a.lineTo(17, 14.5);
    a.lineTo(17, 18);
    a.closeSubpath();
    p.setPen(QPen(kDarkGreen, 1));
    p.setBrush(kGreen);
    p.drawPath(a);
    return pm;
}

QPixmap tick(int w, int h, qreal width)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    begin(p);
    QPainterPath path;
    path.moveTo(w * 0.22, h * 0.52);
    path.lineTo(w * 0.42, h * 0.86);
    path.lineTo(w * 0.80, h * 0.14);
    p.setPen(QPen(kGreen, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    return pm;
}

QPixmap eraser()
{
    QPixmap pm = canvas(24, 24);
    QPainter p(&pm);
    begin(p);
    p.translate(12, 12);
    p.rotate(-30);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 120, 140));
    p.drawRoundedRect(QRectF(-9, -5, 10, 10), 1.5, 1.5);
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(QRectF(1, -5, 9, 10), 1.5, 1.5);
    return pm;
}

QPixmap backspace()
{
    QPixmap pm = canvas(28, 20);
    QPainter p(&pm);
    begin(p);
    QPainterPath path;
    path.moveTo(2, 10);
    path.lineTo(9, 2);
    path.lineTo(26, 2);
    path.lineTo(26, 18);
    path.lineTo(9, 18);
    path.closeSubpath();
    p.setPen(QPen(kNavy, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setPen(QPen(kNavy, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 6), QPointF(21, 14));
    p.drawLine(QPointF(21, 6), QPointF(13, 14));
    return pm;
}

// Round badge with a letter: the message dialog's kinds.
QPixmap badge(const QColor &c, const QString &letter, bool triangle)
{
    QPixmap pm = canvas(48, 48);
    QPainter p(&pm);
    begin(p);
    p.setPen(QPen(c.darker(150), 1.5));
    p.setBrush(c);
    if (triangle) {
        QPainterPath t;
        t.moveTo(24, 3);
        t.lineTo(45, 43);
        t.lineTo(3, 43);
        t.closeSubpath();
        p.drawPath(t);
    } else {
        p.drawEllipse(QRectF(3, 3, 42, 42));
    }
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(triangle ? 26 : 30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(triangle ? Qt::black : Qt::white);
    p.drawText(QRectF(0, triangle ? 10 : 0, 48, triangle ? 34 : 48), Qt::AlignCenter, letter);
    return pm;
}

}  // namespace

QStringList qulGlyphNames()
{
    return {QStringLiteral("seta_cima"), QStringLiteral("seta_baixo"), QStringLiteral("incluir"),
            QStringLiteral("editar"),    QStringLiteral("excluir"),    QStringLiteral("pesquisar"),
            QStringLiteral("sair"),      QStringLiteral("confirmar"),  QStringLiteral("lupa"),
            QStringLiteral("tick"),      QStringLiteral("limpar"),     QStringLiteral("apagar"),
            QStringLiteral("info"),      QStringLiteral("pergunta"),   QStringLiteral("aviso"),
            QStringLiteral("erro")};
}

QPixmap qulGlyph(const QString &name)
{
    // Pixmaps need the GUI side of the application.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QPixmap();
    if (name == QLatin1String("seta_cima"))
        return arrow(true);
    if (name == QLatin1String("seta_baixo"))
        return arrow(false);
    if (name == QLatin1String("incluir"))
        return plus();
    if (name == QLatin1String("editar"))
        return pencil();
    if (name == QLatin1String("excluir"))
        return cross(kRed, 24, 4);
    if (name == QLatin1String("pesquisar"))
        return magnifier(24);
    if (name == QLatin1String("lupa"))
        return magnifier(20);
    if (name == QLatin1String("sair"))
        return exitDoor();
    if (name == QLatin1String("confirmar"))
        return tick(24, 24, 4);
    if (name == QLatin1String("tick"))
        return tick(45, 28, 5);
    if (name == QLatin1String("limpar"))
        return eraser();
    if (name == QLatin1String("apagar"))
        return backspace();
    if (name == QLatin1String("info"))
        return badge(kBlue, QStringLiteral("i"), false);
    if (name == QLatin1String("pergunta"))
        return badge(kBlue, QStringLiteral("?"), false);
    if (name == QLatin1String("aviso"))
        return badge(QColor(250, 200, 0), QStringLiteral("!"), true);
    if (name == QLatin1String("erro"))
        return badge(kRed, QStringLiteral("X"), false);
    return QPixmap();
}
