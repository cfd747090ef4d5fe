#pragma once
// The look every screen of the product line shares: theme colours, the
// footer text that identifies a screen, and the fonts.

#include <QString>
#include <QWidget>

// Paints the form's shapes, labels and buttons in the six theme colours
// (mapping documented in the implementation).
void ColoreTela(QWidget *form, quint32 cor1, quint32 cor2, quint32 cor3, quint32 cor4, quint32 cor5, quint32 cor6);

// The footer text that identifies a screen, e.g. for ("QUL00002").
QString MontaRodapeGeral(bool flag, const QString &codigoTela, const QString &opcao);

// Loads Tahoma from fonts-wine and maps the bitmap fonts the layouts name
// ("MS Sans Serif", "Small Fonts") onto scalable ones. Safe to call twice.
void InstallProductLineFonts();
