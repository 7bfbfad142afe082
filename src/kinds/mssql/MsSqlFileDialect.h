#pragma once
// The SQL dialect of SQL Server catalogue files: LIKE with letter case
// ignored and "[...]" sets, UPPER and LOWER of every letter, and SUBSTRING,
// DATALENGTH and STUFF as SQL Server has them. The functions work on SQLite's
// UTF-8 directly, ASCII text the shortest way.

struct sqlite3;

namespace ks::mssql {

// A ks::FileDialect: registers the functions on an open catalogue file.
void installFileDialect(sqlite3 *handle);

} // namespace ks::mssql
