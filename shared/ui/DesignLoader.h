#pragma once
// Applies what a stored form design (a Qt Designer file) carries beyond
// Designer's own properties. Dynamic properties read:
//   fontHeight   negative: the font's height in pixels
//   glyphName    the product-line picture of a button or image label
//   autoSize     the label takes the size of its text
//   alignClient  the control fills its parent (a notebook's pages with it)
//   titleFontFamily, titleFontHeight, titleColor, gridColor
//                a data grid's title font, title background and grid colour

class QTableView;
class QWidget;

// fontHeight, glyphName and autoSize of `root` and every widget under it.
void ApplyDesignProperties(QWidget *root);
// Every alignClient control under `root` (and `root` itself) fills its
// parent. Run again whenever the root changes size.
void AlignClientControls(QWidget *root);
// The grid's default colours and title look from its stored properties:
// white body, navy text and selection, the title font on the title colour
// in the title text colour of the grid's first column (white when none).
void SetGridDefaultColors(QTableView *grid);
