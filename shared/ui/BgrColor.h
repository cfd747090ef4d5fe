#pragma once
// Colours as the product line stores them: 0x00BBGGRR, or a Windows system
// colour (0x800000NN, or 0xFF0000NN as newer files write it).

#include <QColor>

QColor colorFromBGR(quint32 bgr);
quint32 colorToBGR(const QColor &c);
