#pragma once
// The SQL dialect of the catalogue files of the Oracle provider (data
// dictionaries and Designer repositories): Oracle's LIKE (letter case counts;
// LIKE ... ESCAPE refuses what Oracle refuses), UPPER and LOWER of every
// letter, INITCAP, TO_CHAR with and without a format, NVL. The functions work
// on SQLite's UTF-8 directly, ASCII text the shortest way.

struct sqlite3;

namespace ks::oracle {

// A ks::FileDialect: registers the functions on an open catalogue file.
void installFileDialect(sqlite3 *handle);

} // namespace ks::oracle
