#pragma once
// The MS SQL Server kind of catalogue, as the rest of the program sees it.

#include "search/KsCatalogueKind.h"

namespace ks {
struct KindWindows;
} // namespace ks

namespace ks::mssql {

const CatalogueKind &catalogueKind();
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::mssql
