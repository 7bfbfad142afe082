#pragma once
// The SQL dialect of a catalogue file's session: the functions an Oracle or a
// SQL Server catalogue statement expects, registered on the SQLite handle of
// one open connection (functions belong to the connection, not to the file).

#include "db/KsOracleFormat.h"

class QSqlDatabase;

namespace ks {

enum class CatalogueDialect { Oracle, MsSql };

// Registers the dialect's functions on the open QSQLITE connection `db`.
// Oracle: like (case-sensitive, "%" "_"), upper and lower for every letter,
// initcap, to_char with and without a format, nvl.
// SQL Server: like (letter case ignored, with "[...]" sets), upper and lower.
// Raises ks::Error when `db` is not an open SQLite connection.
void installCatalogueDialect(const QSqlDatabase &db, CatalogueDialect dialect);

} // namespace ks
