#pragma once
// The SQL dialect of a catalogue file's session: the functions that a kind's
// statements expect of its engine, registered on the SQLite handle of one
// open connection (functions belong to the connection, not to the file).
// Each kind that reads catalogue files registers the dialect of its
// provider's files when it is made (src/kinds); the connection layer installs
// it on every catalogue file of that provider it opens. The building blocks
// in ks::sqlfn are what the dialects are made of.

#include "base/KsStrings.h"
#include "db/KsSqlLike.h"

#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <memory>
#include <string_view>

class QSqlDatabase;

namespace ks {

// Installs a dialect's functions on an open catalogue-file handle; raises
// ks::Error when SQLite refuses one.
using FileDialect = void (*)(sqlite3 *handle);

// Registers the dialect of the catalogue files that connection strings of
// `provider` (the value of "Provider=", letter case aside) open. A second
// registration for the provider replaces the first.
void registerFileDialect(const QString &provider, FileDialect dialect);

// Whether a kind registered a dialect for `provider`: whether its data
// sources may name catalogue files.
bool hasFileDialect(const QString &provider);

// Installs the dialect registered for `provider` on the open QSQLITE
// connection `db`. Raises ks::Error when no kind registered one, or when `db`
// is not an open SQLite connection.
void installFileDialect(const QSqlDatabase &db, const QString &provider);

// The SQLite handle of the open QSQLITE connection `db`; raises ks::Error
// for any other connection.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

namespace sqlfn {

QString argText(sqlite3_value *value);
// A number as a number, text as text, NULL as an invalid QVariant.
QVariant argValue(sqlite3_value *value);
// A text argument as SQLite holds it in UTF-8 (numbers turned into text).
std::string_view utf8Arg(sqlite3_value *value);

void resultText(sqlite3_context *context, const QString &text);
void resultError(sqlite3_context *context, const QString &message);
bool anyNull(int argc, sqlite3_value **argv);

// Runs a function body: NULL for a NULL argument, as the engines' own
// functions give; an exception becomes the statement's error, since it must
// not unwind through SQLite.
template <typename Body> void guarded(sqlite3_context *context, int argc, sqlite3_value **argv, Body body)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    try {
        body();
    } catch (const Error &error) {
        resultError(context, error.message());
    } catch (const std::exception &error) {
        resultError(context, QString::fromLocal8Bit(error.what()));
    }
}

using Buffer = std::unique_ptr<char, decltype(&sqlite3_free)>;
// A buffer from SQLite's allocator for `bytes` bytes and a terminating NUL.
Buffer buffer(size_t bytes);
// Hands `buffer`, holding `bytes` bytes of UTF-8, to SQLite as the result.
void resultBuffer(sqlite3_context *context, Buffer buffer, size_t bytes);

using Function = void (*)(sqlite3_context *, int, sqlite3_value **);
// Registers a deterministic UTF-8 function; raises ks::Error when SQLite refuses.
void create(sqlite3 *handle, const char *name, int argc, Function function, void *userData = nullptr);

// "text LIKE pattern" and "... ESCAPE c" of the flavour (see LikePattern).
// The Oracle flavour is SQLite's own LIKE told to respect letter case where
// the build allows, the fastest there is, with the flavour's LIKE ... ESCAPE.
void installLike(sqlite3 *handle, LikeFlavour flavour);
// UPPER and LOWER of every letter, not only a to z as SQLite's own.
void installLetterCase(sqlite3 *handle);

} // namespace sqlfn
} // namespace ks
