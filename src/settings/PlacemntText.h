#pragma once
// The texts in which a window's placement is stored, and the rule that brings
// a stored position back onto a screen that exists now.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

namespace ks {

// "%d,%d,%d,%d": minimized and maximized positions ("MinMaxPos"), or the
// left, top, right and bottom of the normal rectangle ("NormPos").
QString positionText(const std::array<int, 4> &numbers);

// The four comma-separated numbers of such a text; a number that is missing
// or unreadable takes its default.
std::array<int, 4> parsePositionText(const QString &text, const std::array<int, 4> &defaults = {});

// A value name for one screen size: "NormPos" and 1024 by 768 give "NormPos(1024x768)".
QString screenSizeName(const QString &name, const QSize &screen);

// The outer frame of a window as it may be placed: unchanged when enough of
// its caption lies on one of the screens to grab and move it, otherwise moved
// (and shrunk where it is larger) onto the screen it overlaps most, or onto
// the nearest one when it overlaps none.
QRect keepOnScreen(const QRect &frame, const QList<QRect> &screens);

} // namespace ks
