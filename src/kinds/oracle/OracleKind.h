#pragma once
// The Oracle kind of catalogue, as the rest of the program sees it.

#include "kinds/oracle/OracleSearch.h"
#include "search/KsCatalogueKind.h"

#include <memory>

namespace ks {
class PreparedSearch;
struct KindWindows;
} // namespace ks

namespace ks::oracle {

const CatalogueKind &catalogueKind();
// The search the bar asks for, with the state its definitions build on.
std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request);
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::oracle
