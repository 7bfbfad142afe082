#pragma once
// The PostgreSQL kind of catalogue, as the rest of the program sees it.

#include "kinds/postgresql/PgSearch.h"
#include "search/KsCatalogueKind.h"

#include <memory>

namespace ks {
class PreparedSearch;
struct KindWindows;
} // namespace ks

namespace ks::postgresql {

const CatalogueKind &catalogueKind();
// The search the bar asks for.
std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request);
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::postgresql
