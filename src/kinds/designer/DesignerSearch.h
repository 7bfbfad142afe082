#pragma once
// The Designer repository search without any window: which kind of repository
// answers, the element tables and text columns it holds, its application
// systems, and the statements a search runs, one per searchable column. A
// window (or a background job) drives it through two callbacks, one for the
// result rows and one for the log of the statements run.

#include "search/KsResultModel.h"
#include "search/KsSearchMatcher.h"
#include "search/KsSearchProgress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace ks {
class Connection;
} // namespace ks

namespace ks::designer {

// Which probe statements the repository answers: none; only its schema
// version (older repositories, which list application systems as
// "name.version"); or its repository version too (plain names).
enum RepositoryKind : int {
    NoRepository = 0,
    SchemaVersionOnly = 1,
    WithRepositoryVersion = 2,
};

// The catalogue statement that finds the element tables and their text columns.
extern const QString kDiscoveryStatement;

// Runs "select schema_version ..." and then "select repository_version ..."
// on rm$repositories; the first failing probe ends the sequence silently.
RepositoryKind probeRepository(Connection &connection);

// The element tables in ascending name order, each with its searchable
// columns in ascending name order (RepoTableNames and RepoColumnNames).
struct RepositoryTables {
    QStringList tableNames;
    QList<QStringList> columnNames; // parallel to tableNames

    bool isEmpty() const { return tableNames.isEmpty(); }
    void clear();
    // Takes one record of the discovery statement: records of a table whose
    // name does not really begin with "CI_" are skipped (the statement's LIKE
    // reads "_" as a wildcard); a new table name opens a new entry.
    void addRecord(const QString &tableName, const QString &columnName);
};

// Runs the discovery statement and appends its records to `tables`; what was
// read before an error stays in `tables`, and the error propagates.
void discoverTables(Connection &connection, RepositoryTables &tables);

// One line per table for the user to read: "CI_ENTITIES: NAME, PLURAL, ...".
QStringList describeTables(const RepositoryTables &tables);

// One application system of the list.
struct ApplicationSystem {
    QString entry; // as listed: the name, or "name.version" in older repositories
    QString version; // where other entries share the name: this one's version
    // What the list shows: the entry, and the version after a shared name: "HR (2)".
    QString caption() const;
};

// The application system that `wanted` names: an entry written the same, or
// a name and its version as "name.version", or a name only one entry has.
// Raises ks::Error naming the choices when none or several fit.
ApplicationSystem chooseApplicationSystem(const QList<ApplicationSystem> &systems, const QString &wanted);

// The statement that lists the application systems for a kind of repository;
// plain names come with their versions, which tell entries of one name apart.
QString applicationSystemsStatement(RepositoryKind kind);

// The application systems in the order returned; a NULL name raises the
// strict conversion's error. Errors propagate.
QList<ApplicationSystem> listApplicationSystems(Connection &connection, RepositoryKind kind);

// The statement that reads the id of the chosen application system. For a
// repository that lists "name.version" the entry is split at its last point,
// since a name may itself contain points while the version never does. A
// plain name that several entries share is read with the chosen one's
// `version`.
QString idStatement(RepositoryKind kind, const QString &applicationSystem, const QString &version = QString());

// The Include boxes of the search bar.
struct IncludeOptions {
    bool userDefinedProperties = false;
    bool createdChangedBy = false;
    bool owningUser = false;
};

// Whether a column is searched with these options: USER_DEFINED_PROPERTY...,
// CREATED_BY... / CHANGED_BY... and OWNING_USER... only when asked for
// (exact, case-sensitive prefixes).
bool columnIncluded(const QString &column, const IncludeOptions &options);

// The statement that searches one column of one element table for the
// prepared search text (trimmed, apostrophes doubled). Ignoring case, the
// column is compared through UPPER with the text upper-cased letter by
// letter, as the database's UPPER maps them.
// `escape` (an ESCAPE clause, or empty) follows the LIKE.
QString columnStatement(const QString &table, const QString &column, const QString &applicationSystemId,
    const QString &quotedFind, bool ignoreCase, const QString &escape = QString());

// Lower-cases the text by the locale's rules and upper-cases the first
// character of every word; words are separated by controls, blanks and
// " ' ( ) , . / : ; [ \ ] ` { }.
QString CapitalizeWords(const QString &text);

// The element type shown for a table: CI_APPLICATION_SYSTEMS gives
// "Application Systems".
QString typeCaption(const QString &table);
// The property shown for a column: REMARK_TEXT_2 gives "Remark Text 2".
QString propertyCaption(const QString &column);

// What the user chose in the search bar when Find was pressed.
struct SearchRequest {
    QString applicationSystem; // the entry chosen in the list
    QString version; // its version, where other entries share its name
    QString searchText; // the search box, as typed
    MatchMode mode = MatchMode::Pattern;
    bool ignoreCase = true;
    IncludeOptions include;
};

// Runs the search: the id statement, whose errors end the search, then one
// statement per table and included column, whose errors are skipped. Each
// statement goes to `logLine` before it runs; each matching record becomes a
// row for `addRow` (Name, Type, Property in the Schema place, Value in the
// Comment place). `progress`, if given, hears of each statement before it is
// logged; what it throws ends the search, whatever the statement. Returns the
// number of rows handed over.
int runSearch(Connection &connection, RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request,
    const std::function<void(ResultRow)> &addRow, const std::function<void(const QString &)> &logLine,
    const StatementProgress &progress = {});

} // namespace ks::designer
