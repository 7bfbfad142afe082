#pragma once
// The fixed-pitch font of the viewer and the printer. "Courier New" is asked
// for first; where the desktop resolves it to a font whose letters are not all
// equally wide, the next font that really is evenly spaced takes its place.

#include <QFont>
#include <QString>
#include <QStringList>

namespace ks {

// Whether every printable ASCII character of `font`, regular and bold, has
// the same advance, and the font's average character width is that advance.
bool hasOneAdvance(const QFont &font);

// The first of `families` that, at 10 pt, resolves to a font with one advance
// for every character; the empty text when none does.
QString firstEvenlySpacedFamily(const QStringList &families);

// "Courier New" 10 pt, or the first evenly spaced 10 pt font in its place.
// The choice is made once per run.
QFont courierNew10();

} // namespace ks
