#pragma once
// The MS SQL Server kind of catalogue, as the rest of the program sees it.

#include "kinds/mssql/MsSqlSearch.h"
#include "search/KsCatalogueKind.h"

#include <memory>

namespace ks {
class PreparedSearch;
struct KindWindows;
} // namespace ks

namespace ks::mssql {

const CatalogueKind &catalogueKind();
// The search the bar asks for.
std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request);
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::mssql
