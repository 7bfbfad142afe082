#pragma once
// Layout helpers for windows drawn to design sizes: a design size is where a
// control starts, and it grows where the font needs more room to show its
// caption or content whole. Each follows later changes of font and style.

#include <QSize>

class QPushButton;
class QWidget;

namespace ks {

// The room a push button needs to show its caption whole: the text (with an
// icon, if any), the style's button margin and the frame. Styles may prefer
// wider buttons (80 pixels for any caption); that is no need of the caption.
QSize buttonCaptionSize(const QPushButton *button);

// Holds `button` at `design`, or larger where its caption needs more room.
void setDesignSize(QPushButton *button, const QSize &design);

// Keeps `control` at least `design` (a 0 leaves that direction alone) and at
// least its own minimum size hint: what its caption needs, or for a panel
// what the controls laid out in it need. Setting a plain minimum size instead
// would let a layout squeeze the captions.
void setDesignMinimum(QWidget *control, const QSize &design);

// A box that takes the width its layout gives it, at least `design`,
// whatever its content would like (an edit box, or a combo box whose list
// holds long entries).
void setDesignWidth(QWidget *control, int design);

} // namespace ks
