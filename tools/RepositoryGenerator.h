#pragma once
// Designer repositories of any size for the benchmarks: element tables with
// made-up but plausible names, text properties and values, owned by a few
// application systems. The same sizes and seed always give the same
// repository.

#include <QtGlobal>

class QSqlDatabase;

namespace ks::tools {

struct RepositorySizes {
    int tables = 0; // generated element tables, on top of the demo schema's empty ones
    int textColumns = 25; // searchable text columns per table, NAME, creators and properties included
    int elements = 0; // rows in all generated element tables together
    int applicationSystems = 8;
    bool olderKind = false; // rm$repositories without repository_version
    quint64 seed = 1;
};

struct RepositoryCounts {
    int tables = 0;
    int textColumns = 0; // in all generated tables
    int elements = 0;
    int applicationSystems = 0;
};

// Fills a database that holds the demo schema (data/designer-schema.sql) in
// one transaction; the caller then derives the column catalogue
// (data/designer-columns.sql). Raises ScriptError, also for sizes it cannot
// make (no tables, fewer than one text column, no application system).
RepositoryCounts generateRepository(QSqlDatabase &db, const RepositorySizes &sizes);

} // namespace ks::tools
