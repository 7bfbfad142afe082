#pragma once
// The PostgreSQL catalogue search without any window: the read-only
// statements on pg_catalog a search runs, the result rows their records
// become, and the definition behind a double-clicked row.

#include "search/KsResultModel.h"
#include "search/KsSearchMatcher.h"
#include "search/KsSearchProgress.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace ks {
class Connection;
class TKsStringOutput;
} // namespace ks

namespace ks::postgresql {

// Result row kinds of the PostgreSQL window: what matched.
enum RowKind : int {
    NoResults = 0,
    NameRow = 1,
    DefinitionRow = 2,
    CommentRow = 3,
};

// What the user chose in the search bar when Find was pressed.
struct SearchRequest {
    QString searchText; // as typed
    MatchMode mode = MatchMode::Pattern;
    QString schema; // one schema, or empty for all
    bool systemSchemas = false; // pg_catalog, information_schema and pg_toast too
    bool ignoreCase = true; // ILIKE instead of LIKE
    bool definitions = true;
    bool comments = true;
};

// The schemas a user may choose, in name order; system schemas only when asked for.
QStringList listSchemas(Connection &connection, bool systemSchemas);

// A statement of a search and the kind of the rows it finds.
struct PlannedStatement {
    RowKind rowKind;
    QString sql;
};

// The statements a search runs, in the order they run: names, then
// definitions and comments when asked for; one statement each. On a server
// they read pg_catalog; on a catalogue file (`fromFile`) its snapshot
// tables, and find the same rows in the same order.
// Where the program decides the match (Word, Regular Expression), each
// statement also hands back the name or text it narrowed by LIKE.
QList<PlannedStatement> searchStatements(const SearchRequest &request, bool fromFile = false);

// How the request's text matches; ILIKE's letter case rule.
SearchMatcher searchMatcher(const SearchRequest &request);

// What a row with something behind it keeps for its definition.
struct ObjectKey {
    QString catalogue; // the system catalogue of the object, e.g. "pg_proc"
    QString oid;
    QString subId; // the column number, or 0
    // What to show: "view", "function", "aggregate", "trigger", "constraint",
    // "index", "rule", "policy", "default" or "comment".
    QString what;
    QString schema;
};

// Runs the search on an open connection, handing each result row to addRow
// and telling `progress`, if given, of each statement before it runs.
void runSearch(Connection &connection, const SearchRequest &request, const std::function<void(ResultRow)> &addRow,
    const StatementProgress &progress = {});

// The statement whose one text column is the definition behind a row, or
// none for rows that have none (tables, columns, sequences, types); on a
// catalogue file (`fromFile`) the text a snapshot kept of it.
std::optional<QString> definitionStatement(const ResultRow &row, bool fromFile = false);

// The tables of a PostgreSQL catalogue file, as SQLite statements: the rows
// every search statement can find, with what its file form narrows and
// orders them by, the schemas, and the definition behind every row.
QString snapshotSchema();
// The statement that reads a table of snapshotSchema() from a server, its
// `columns` in that order; none for a table it does not know.
std::optional<QString> snapshotStatement(const QString &table, const QStringList &columns);

// Writes the texts the statement returns, their line ends as CR LF.
void writeDefinition(Connection &connection, const QString &sql, TKsStringOutput &output);

} // namespace ks::postgresql
