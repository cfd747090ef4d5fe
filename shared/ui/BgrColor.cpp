#include "BgrColor.h"

#include <iterator>

namespace {

// Windows system colours in the classic scheme, as RGB, by index nn. Files
// store them as 0x800000nn, or, from newer tools, as 0xFF0000nn (negative
// when read as a signed integer: -16777201 is the button face).
constexpr quint32 kSystemColours[] = {
    0xC0C0C0,  // 0  scroll bar
    0x008080,  // 1  desktop
    0x000080,  // 2  active caption
    0x808080,  // 3  inactive caption
    0xC0C0C0,  // 4  menu
    0xFFFFFF,  // 5  window
    0x000000,  // 6  window frame
    0x000000,  // 7  menu text
    0x000000,  // 8  window text
    0xFFFFFF,  // 9  caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x000080,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xDFDFDF,  // 22 3D light
    0x000000,  // 23 tooltip text
    0xFFFFE1,  // 24 tooltip background
};

}  // namespace

QColor colorFromBGR(quint32 bgr)
{
    const quint32 high = bgr & 0xFF000000u;
    if (high == 0x80000000u || high == 0xFF000000u) {
        const quint32 idx = bgr & 0xFFu;
        const quint32 rgb = idx < std::size(kSystemColours) ? kSystemColours[idx] : 0xC0C0C0u;
        return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 colorToBGR(const QColor &c)
{
    if (!c.isValid())
        return 0;
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

