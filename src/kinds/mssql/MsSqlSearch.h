#pragma once
// The SQL Server object search without any window: the type names of the
// catalogue's object codes, the window caption, the catalogue statements a
// search runs, the result rows their records become, and the definition
// behind a double-clicked row.

#include "search/KsResultModel.h"
#include "search/KsSearchMatcher.h"
#include "search/KsSearchProgress.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace ks {
class Connection;
class Recordset;
class TKsStringOutput;
} // namespace ks

namespace ks::mssql {

// Result row kinds of the SQL Server window; they say what a double-click shows.
enum RowKind : int {
    NoResults = 0,
    NameMatch = 1, // objects, their parts, columns, defaults and indexes found by name: nothing
    ObjectDefinition = 2, // an object of its own (view, procedure, function) found by its text
    TableObjectDefinition = 3, // an object of a table (check, trigger, default) found by its text
    ColumnDefaultDefinition = 4, // a column default found by its text
};

// The display name of a sysobjects.type code such as "U " or "TR": the code
// is trimmed of blanks and control characters and compared exactly, letter
// case counting; an unknown code gives "Unknown " and the trimmed code.
QString ObjectTypeName(const QString &code);

// The SQL Server window's caption: "<database> @ <server> (MsSql)", with
// "<user> @ " in front when the string names a user.
QString connectionCaption(const QString &connectionString);

// What the user chose in the search bar when Find was pressed.
// The catalogue names a row was made from, which the statement behind its
// double-click reads; empty where the row's statement has no such name.
struct CatalogueNames {
    QString table;
    QString object;
    QString column;
    QString defaultName;
    QString owner;
};

struct SearchRequest {
    QString searchText; // text of the search box, as typed
    bool includeTSql = true; // "T-SQL Code"
    MatchMode mode = MatchMode::Pattern;
};

// The statements of a search, in the order they run.
enum class Statement {
    ObjectNames, // objects that do not belong to a table, by name
    TableObjectNames, // objects that belong to a table, by name
    ColumnNames, // columns of tables and views, by name
    DefaultNames, // column defaults, by name
    DefaultTexts, // column defaults, by definition text (T-SQL only)
    TableObjectTexts, // objects that belong to a table, by definition text (T-SQL only)
    IndexNames, // indexes of user tables, by name
    ObjectTexts, // objects that do not belong to a table, by definition text (T-SQL only)
    // Each right after its text statement, for a search text of two characters
    // or more: what that one finds only across the cut between two syscomments
    // pieces of a definition, leaving out what it lists already.
    DefaultTextSeams,
    TableObjectTextSeams,
    ObjectTextSeams,
};

struct PlannedStatement {
    Statement statement;
    QString sql;
};

// The statements a search runs, in the order they run, with their SQL text.
// A definition holding the search text is found wherever its pieces are cut,
// within 2,000 characters of the cut for a search text with "%".
// The search text enters trimmed, apostrophes doubled, wildcards kept.
// Where the program decides the match (Word, Regular Expression), a text
// statement hands back every piece, in order, of each object whose pieces
// or cuts hold the literal text, and the program joins them.
QList<PlannedStatement> searchStatements(const SearchRequest &request);

// How the request's text matches: SQL Server's letter case rule.
SearchMatcher searchMatcher(const SearchRequest &request);

// The result row for the current record of `statement`; none for a record
// that is not listed (a key constraint among the objects of a table). A NULL
// type code raises "Invalid variant type conversion".
std::optional<ResultRow> mapRow(Statement statement, const Recordset &record);

// Runs the search on an open connection, handing each result row to addRow
// and telling `progress`, if given, of each statement before it runs. An
// error ends the search at once; rows already handed over stay handed over.
// Adding "no results found" is left to the caller.
void runSearch(Connection &connection, const SearchRequest &request, const std::function<void(ResultRow)> &addRow,
    const StatementProgress &progress = {});

// The single row a search that found nothing shows.
ResultRow noResultsRow();

// The text shown for a double-clicked row: the viewer's caption and the
// statement whose "TEXT" field is written, one piece per record.
struct Definition {
    QString caption;
    QString sql;
};

// None for rows that show nothing (name matches, "no results found"). The
// statement is built from the names the row keeps, limited to its owner.
std::optional<Definition> definitionFor(const ResultRow &row, const QString &windowCaption);

// Writes the "TEXT" field of every record with one WriteLn each, a line feed
// without a carriage return before it turned into CR LF. An error ends the
// writing; what was written stays written.
void writeDefinition(Connection &connection, const Definition &definition, TKsStringOutput &output);

} // namespace ks::mssql
