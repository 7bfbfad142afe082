#pragma once
// SQL Server catalogues of any size for the benchmarks: tables with their
// columns, keys, defaults, checks and indexes (statistics and hypothetical
// ones among them), views, procedures, functions and triggers whose
// definitions often take several syscomments records, spread over a few
// owners. The same sizes and seed always give the same catalogue.

#include "MsSqlCatalogueWriter.h"

class QSqlDatabase;

namespace ks::tools {

struct MsSqlSizes {
    int columns = 0; // columns of the users' tables; the views' columns come on top
    int views = 0;
    int sources = 0; // procedures and functions
    int triggers = 0;
    int indexes = 0; // besides the primary keys' indexes
    int defaults = 0;
    quint64 seed = 1;
};

// Fills a database that holds the empty catalogue (see
// data/mssql-catalogue.sql), in one transaction. Raises ScriptError.
MsSqlCounts generateMsSqlCatalogue(QSqlDatabase &db, const MsSqlSizes &sizes);

} // namespace ks::tools
