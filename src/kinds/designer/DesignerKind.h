#pragma once
// The Oracle Designer kind of catalogue, as the rest of the program sees it.

#include "kinds/designer/DesignerSearch.h"
#include "search/KsCatalogueKind.h"

#include <memory>

namespace ks {
class PreparedSearch;
struct KindWindows;
} // namespace ks

namespace ks::designer {

const CatalogueKind &catalogueKind();
// The search the bar asks for, on the repository as the window read it. Its
// log lines go to the window as they are written; its rows show nothing.
std::shared_ptr<const PreparedSearch> prepareSearch(
    RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request);
// Its connect command and windows; in the kind's gui library.
KindWindows kindWindows();

} // namespace ks::designer
