#pragma once
// The SQL dialect of a catalogue file's session: the functions an Oracle or a
// SQL Server catalogue statement expects, registered on the SQLite handle of
// one open connection (functions belong to the connection, not to the file).

#include "db/KsOracleFormat.h"

class QSqlDatabase;

namespace ks {

enum class CatalogueDialect { Oracle, MsSql };

// Registers the dialect's functions on the open QSQLITE connection `db`.
// Oracle: SQLite's own LIKE made case-sensitive ("%" "_"), a LIKE with ESCAPE
// that refuses what Oracle refuses, upper and lower for every letter,
// initcap, to_char with and without a format, nvl.
// SQL Server: like (letter case ignored, with "[...]" sets), upper and lower.
// The functions work on SQLite's UTF-8 directly, ASCII text the shortest way.
// Raises ks::Error when `db` is not an open SQLite connection.
void installCatalogueDialect(const QSqlDatabase &db, CatalogueDialect dialect);

} // namespace ks
