#pragma once
// The Oracle kind of catalogue, as the rest of the program sees it.

#include "search/KsCatalogueKind.h"

namespace ks {
struct KindWindows;
} // namespace ks

namespace ks::oracle {

const CatalogueKind &catalogueKind();
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::oracle
