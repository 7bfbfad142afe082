#pragma once
// Every catalogue kind of the program, in the order src/kinds/CMakeLists.txt
// lists them (which is the order of their connect commands). The lists are
// filled once, on first use, by the registration the build makes of that list.

#include "search/KsCatalogueKind.h"

#include <vector>

namespace ks {

struct KindWindows;

// The kinds, for every part of the program that works without windows.
const std::vector<const CatalogueKind *> &catalogueKinds();
// The kind of that id, or null.
const CatalogueKind *catalogueKind(const QString &id);

// The window side of each kind, in the same order; in the gui library.
const std::vector<KindWindows> &kindWindows();

} // namespace ks
