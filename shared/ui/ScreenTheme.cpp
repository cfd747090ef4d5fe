#include "ScreenTheme.h"

#include "BgrColor.h"
#include "BlendedControls.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>

// Theme mapping (the six colours come from the screen's colour file):
//
//   the form's own background (palette Window) ............ cor1
//   TBlendedShape named "blsBorda*" (outer borders, the
//     option frames and the field frames blsBorda1..10,
//     which the form repaints right after) ................ cor3
//   TBlendedShape named "blsFundo*" (backgrounds) ......... cor1
//   TBlendedShape named "blsCabec*" or "BlendedShape2"
//     (title bars) ........................................ cor2
//   any other TBlendedShape (button panels "blsBotoes",
//     keyboard "blsKeyBoard", grid frame "BlendedShape1") . cor4
//   QLabel text (palette WindowText) ...................... cor6
//   TBlendedButton / TBlendedBitBtn face .................. cor5
//   TBlendedButton / TBlendedBitBtn caption ............... cor6
//
// Left as designed: entry fields (buttons named "edt*", whose grey face and
// black text are the look of a field) and picker buttons (TdxfColorButton,
// whose colour marks them as pickers); pressed and disabled colours.
void ColoreTela(QWidget *form, quint32 cor1, quint32 cor2, quint32 cor3, quint32 cor4, quint32 cor5, quint32 cor6)
{
    if (!form)
        return;
    const QColor c1 = colorFromBGR(cor1), c2 = colorFromBGR(cor2), c3 = colorFromBGR(cor3),
                 c4 = colorFromBGR(cor4), c5 = colorFromBGR(cor5), c6 = colorFromBGR(cor6);

    QPalette fp = form->palette();
    fp.setColor(QPalette::Window, c1);
    form->setPalette(fp);
    form->setAutoFillBackground(true);

    const QList<QWidget *> children = form->findChildren<QWidget *>();
    for (QWidget *w : children) {
        const QString name = w->objectName();
        if (auto *shape = qobject_cast<TBlendedShape *>(w)) {
            if (name.startsWith(QLatin1String("blsBorda")))
                shape->setBrushColor(c3);
            else if (name.startsWith(QLatin1String("blsFundo")))
                shape->setBrushColor(c1);
            else if (name.startsWith(QLatin1String("blsCabec")) || name == QLatin1String("BlendedShape2"))
                shape->setBrushColor(c2);
            else
                shape->setBrushColor(c4);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, c6);
            label->setPalette(p);
        } else if (auto *button = qobject_cast<TBlendedButton *>(w)) {
            if (qobject_cast<TdxfColorButton *>(w) || name.startsWith(QLatin1String("edt")))
                continue;
            button->setColor(c5);
            button->setFontColor(c6);
        }
    }
    form->update();
}

// "<CODE> v1.0": the screen code (upper case) and the product line's
// version. With the flag off only the code.
QString MontaRodapeGeral(bool flag, const QString &codigoTela, const QString &)
{
    const QString code = codigoTela.trimmed().toUpper();
    if (!flag)
        return code;
    return QStringLiteral("%1 v1.0").arg(code);
}

void InstallProductLineFonts()
{
    static bool done = false;
    if (done || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    done = true;
    for (const char *file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
    // Bitmap fonts of the layouts that Debian does not ship, drawn at the
    // same pixel size by a scalable sans.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Small Fonts"), QStringLiteral("Liberation Sans"));
}
