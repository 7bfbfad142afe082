#pragma once
// Oracle catalogues of any size for the benchmarks: tables, columns, views,
// PL/SQL units and triggers with made-up but plausible names and texts,
// spread over a few owners. The same sizes and seed always give the same
// catalogue.

#include <QtGlobal>

class QSqlDatabase;

namespace ks::tools {

struct CatalogueSizes {
    int columns = 0; // columns of the users' tables; SYS.DUAL and the views' columns come on top
    int views = 0;
    int sources = 0; // PL/SQL units besides the triggers' own source
    int triggers = 0;
    quint64 seed = 1;
};

struct CatalogueCounts {
    int users = 0;
    int tables = 0;
    int tableColumns = 0;
    int views = 0;
    int viewColumns = 0;
    int sourceUnits = 0;
    int sourceLines = 0;
    int triggers = 0;
    int objects = 0;
};

// Fills a database that holds the empty Oracle dictionary (see
// data/oracle-dictionary.sql), in one transaction. Raises ScriptError.
CatalogueCounts generateCatalogue(QSqlDatabase &db, const CatalogueSizes &sizes);

} // namespace ks::tools
