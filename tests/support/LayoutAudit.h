#pragma once
// What a user would see wrong in a window's layout: captions cut short and
// controls lying on top of one another.

#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace ks::test {

// The room a control needs to show its caption whole, measured from its
// font and style; an invalid size for controls without a caption.
QSize captionNeeds(const QWidget *control);

// Every problem found in `window` and the visible widgets inside it, one line
// each, naming the widgets by their paths of object names:
// - a label, check box, radio button or button narrower or lower than its
//   caption needs;
// - two visible sibling widgets that overlap;
// - a visible widget that reaches outside its parent, which cuts it off.
// Separate windows inside (popups, dialogs) and MDI children, which overlap
// by design, are left to audits of their own.
QStringList layoutProblems(const QWidget *window);

} // namespace ks::test
