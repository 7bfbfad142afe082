#pragma once
// The program's own icon, drawn from the picture built into the program, for
// its windows and the about box.

#include <QIcon>

namespace ks {

// Where the icon's picture lies among the program's resources.
inline const QString kAppIconResource = QStringLiteral(":/quillmere/quillmere.svg");

// The icon at the sizes desktops ask for; a null icon only if the picture
// could not be read.
QIcon applicationIcon();

} // namespace ks
