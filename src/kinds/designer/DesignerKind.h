#pragma once
// The Oracle Designer kind of catalogue, as the rest of the program sees it.

#include "search/KsCatalogueKind.h"

namespace ks {
struct KindWindows;
} // namespace ks

namespace ks::designer {

const CatalogueKind &catalogueKind();
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::designer
