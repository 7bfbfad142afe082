#pragma once
// The Oracle dictionary search without any window: which dictionary families
// answer, the catalogue statements a search runs, the result rows their
// records become, and the statement behind a double-clicked row.

#include "search/KsResultModel.h"
#include "search/KsSearchMatcher.h"
#include "search/KsSearchProgress.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace ks {
class Connection;
class Recordset;
class TKsStringOutput;
} // namespace ks

namespace ks::oracle {

// The dictionary families, in the order they are probed and listed.
inline const QStringList kDictPrefixes = {QStringLiteral("USER"), QStringLiteral("ALL"), QStringLiteral("DBA")};

// Result row kinds of the Oracle window; they say what a double-click shows.
enum RowKind : int {
    NoResults = 0,
    ObjectName = 1,
    ViewText = 2,
    Source = 3,
    ColumnName = 4,
    CommentText = 5,
    TriggerBody = 6,
};

// Which families answer "select username from <P>_users": USER, ALL, DBA.
// A family whose probe fails is left out without a message.
std::array<bool, 3> probeDictionaries(Connection &connection);

// The user names of the widest family available (DBA, else ALL), in the order
// the database returns them; none when neither answered. Errors propagate.
QStringList listSchemas(Connection &connection, const std::array<bool, 3> &available);

// What the user chose in the search bar when Find was pressed.
struct SearchRequest {
    QString prefix; // text of the dictionary box
    QString searchText; // text of the search box, as typed
    MatchMode mode = MatchMode::Pattern;
    QString schema; // text of the selected schema entry
    int schemaIndex = -1; // its index; 0 is "(all)"
    bool ignoreCase = true;
    bool viewDefinitions = true;
    bool plSqlCode = true;
    bool comments = true;
    bool triggerCode = true;
};

// The state a search leaves behind; the definition display builds on it.
struct SearchState {
    QString searchPrefix;
    QString quotedFind;
    bool ignoreCaseFlag = false;
    bool hasOwner = false;
    bool schemaFilter = false;
    QString schema;
    std::shared_ptr<const SearchMatcher> matcher;
};

// Raises ks::Error for a regular expression that does not compile.
SearchState makeSearchState(const SearchRequest &request);

enum class Statement {
    ObjectNames,
    ViewTexts,
    ColumnNames,
    TableComments,
    ColumnComments,
    TriggerDescriptions,
    SourceText,
    TriggerBodies,
};

struct PlannedStatement {
    Statement statement;
    QString sql;
};

// The statements a search runs, in the order they run, with their SQL text.
QList<PlannedStatement> searchStatements(const SearchState &state, const SearchRequest &request);

// The result row for the current record of `statement`, or none when the
// record does not match (view texts and trigger bodies are matched here).
std::optional<ResultRow> mapRow(Statement statement, const Recordset &record, const SearchState &state);

// Runs the search on an open connection, handing each result row to addRow
// and telling `progress`, if given, of each statement before it runs. An
// error ends the search at once; rows already handed over stay handed over.
void runSearch(Connection &connection, const SearchState &state, const SearchRequest &request,
    const std::function<void(ResultRow)> &addRow, const StatementProgress &progress = {});

// The text shown for a double-clicked row: the viewer's caption, the
// statement, and the field (by name or position) whose text is written.
struct Definition {
    QString caption;
    QString sql;
    std::variant<int, QString> field;
    // Each record is one line that carries its own line end (stored source);
    // that end is dropped so the viewer does not show an empty line after it.
    bool recordIsLine = false;
};

// None for rows that show nothing (no results, object and column names, a
// comment row of an unknown type).
std::optional<Definition> definitionFor(
    const ResultRow &row, const SearchState &lastSearch, const QString &windowCaption);

// Writes every returned text, one WriteLn per record, with every LF that no
// CR stands before turned into CR LF (texts stored with CR LF keep theirs).
void writeDefinition(Connection &connection, const Definition &definition, TKsStringOutput &output);

} // namespace ks::oracle
