#include "kinds/oracle/OracleSearch.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsUtf8.h"
#include "search/KsFindText.h"
#include "search/KsLikeMatch.h"
#include "text/KsStringOutput.h"

namespace ks::oracle {
namespace {

QString literal(const QString &text)
{
    return QuoteSqlText(text, QStringLiteral("'"), QStringLiteral("''"));
}

QString likeTest(const QString &keyword, const QString &column, const SearchState &state)
{
    // The search text upper-cased as UPPER writes the column, every letter
    // (ASCII text reads exactly as with a to z alone).
    if (state.ignoreCaseFlag)
        return keyword + QStringLiteral(" UPPER(") + column + QStringLiteral(") LIKE '%")
            + changeCase(state.quotedFind, true) + QStringLiteral("%' ");
    return keyword + u' ' + column + QStringLiteral(" LIKE '%") + state.quotedFind + QStringLiteral("%' ");
}

bool clientMatch(const QString &text, const SearchState &state)
{
    const QString pattern = u'%' + state.quotedFind + u'%';
    return state.ignoreCaseFlag ? LikeMatchIgnoreCase(text, pattern) : LikeMatch(text, pattern);
}

ResultRow makeRow(int kind, QString name, QString type, QString schema, QString comment)
{
    ResultRow row;
    row.rowKind = kind;
    row.name = std::move(name);
    row.type = std::move(type);
    row.schema = std::move(schema);
    row.comment = std::move(comment);
    return row;
}

} // namespace

std::array<bool, 3> probeDictionaries(Connection &connection)
{
    std::array<bool, 3> available {false, false, false};
    for (int i = 0; i < kDictPrefixes.size(); ++i) {
        try {
            auto records = ExecuteSql(connection,
                QStringLiteral("select username from ") + kDictPrefixes.at(i)
                    + QStringLiteral("_users order by username"));
            records->close();
            available[i] = true;
        } catch (const std::exception &) {
            // A family the user may not read is simply not offered.
        }
    }
    return available;
}

QStringList listSchemas(Connection &connection, const std::array<bool, 3> &available)
{
    QString prefix;
    if (available[2])
        prefix = kDictPrefixes.at(2);
    else if (available[1])
        prefix = kDictPrefixes.at(1);
    else
        return {};
    QStringList names;
    auto records = ExecuteSql(connection, QStringLiteral("select username from ") + prefix + QStringLiteral("_users"));
    for (; !records->eof(); records->moveNext())
        names << records->text(0);
    records->close();
    return names;
}

SearchState makeSearchState(const SearchRequest &request)
{
    SearchState state;
    state.searchPrefix = request.prefix;
    state.quotedFind = quotedFind(request.searchText);
    state.hasOwner = request.prefix != QStringLiteral("USER");
    state.schemaFilter = state.hasOwner && request.schemaIndex > 0;
    state.ignoreCaseFlag = request.ignoreCase;
    state.schema = state.schemaFilter ? request.schema : QString();
    return state;
}

QList<PlannedStatement> searchStatements(const SearchState &state, const SearchRequest &request)
{
    const QString &p = state.searchPrefix;
    const QString oc = state.hasOwner ? QStringLiteral(", OWNER ") : QStringLiteral(", '' ");
    // Schema names are written as literals, so a name with an apostrophe can
    // neither break nor change a statement.
    const QString ownerIs = QStringLiteral("OWNER = ") + literal(state.schema) + u' ';
    const QString filter = state.schemaFilter ? QStringLiteral("WHERE ") + ownerIs : QStringLiteral("WHERE 1=1 ");
    const QString ownerOnly = state.schemaFilter ? QStringLiteral("WHERE ") + ownerIs : QString();

    QList<PlannedStatement> statements;
    statements.append({Statement::ObjectNames,
        QStringLiteral("SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) ") + oc + QStringLiteral("FROM ") + p
            + QStringLiteral("_OBJECTS ") + likeTest(QStringLiteral("WHERE"), QStringLiteral("OBJECT_NAME"), state)
            + (state.schemaFilter ? QStringLiteral("AND ") + ownerIs : QString()) + QStringLiteral("ORDER BY 1, 2")});
    if (request.viewDefinitions)
        statements.append({Statement::ViewTexts,
            QStringLiteral("SELECT VIEW_NAME, TEXT") + oc + QStringLiteral("FROM ") + p + QStringLiteral("_VIEWS ")
                + ownerOnly});
    statements.append({Statement::ColumnNames,
        QStringLiteral("SELECT TABLE_NAME || '.' || COLUMN_NAME") + oc + QStringLiteral("FROM ") + p
            + QStringLiteral("_TAB_COLUMNS ") + filter
            + likeTest(QStringLiteral("AND"), QStringLiteral("COLUMN_NAME"), state) + QStringLiteral("ORDER BY 1")});
    if (request.comments) {
        const QString commentTest = likeTest(QStringLiteral("AND"), QStringLiteral("COMMENTS"), state);
        statements.append({Statement::TableComments,
            QStringLiteral("SELECT TABLE_NAME") + oc + QStringLiteral("FROM ") + p + QStringLiteral("_TAB_COMMENTS ")
                + filter + commentTest + QStringLiteral("ORDER BY 1")});
        statements.append({Statement::ColumnComments,
            QStringLiteral("SELECT TABLE_NAME || '.' || COLUMN_NAME") + oc + QStringLiteral("FROM ") + p
                + QStringLiteral("_COL_COMMENTS ") + filter + commentTest + QStringLiteral("ORDER BY 1")});
        statements.append({Statement::TriggerDescriptions,
            QStringLiteral("SELECT TABLE_NAME || '.' || TRIGGER_NAME") + oc + QStringLiteral("FROM ") + p
                + QStringLiteral("_TRIGGERS ") + filter
                + likeTest(QStringLiteral("AND"), QStringLiteral("DESCRIPTION"), state)
                + QStringLiteral("ORDER BY 1")});
    }
    if (request.plSqlCode)
        statements.append({Statement::SourceText,
            QStringLiteral("SELECT NAME, INITCAP(TYPE)") + oc + QStringLiteral("FROM ") + p + QStringLiteral("_SOURCE ")
                + filter + likeTest(QStringLiteral("AND"), QStringLiteral("TEXT"), state)
                + QStringLiteral("GROUP BY NAME, INITCAP(TYPE)") + oc + QStringLiteral("ORDER BY 1, 2")});
    if (request.triggerCode)
        statements.append({Statement::TriggerBodies,
            QStringLiteral("SELECT TABLE_NAME || '.' || TRIGGER_NAME, TRIGGER_BODY") + oc + QStringLiteral("FROM ") + p
                + QStringLiteral("_TRIGGERS ") + ownerOnly});
    return statements;
}

std::optional<ResultRow> mapRow(Statement statement, const Recordset &record, const SearchState &state)
{
    switch (statement) {
    case Statement::ObjectNames: {
        const QString type = record.text(1);
        return makeRow(ObjectName, record.text(0), type, record.text(2), type + QStringLiteral(" Name"));
    }
    case Statement::ViewTexts:
        if (!clientMatch(record.text(QStringLiteral("TEXT")), state))
            return std::nullopt;
        return makeRow(
            ViewText, record.text(0), QStringLiteral("View"), record.text(2), QStringLiteral("View Definition"));
    case Statement::ColumnNames:
        return makeRow(
            ColumnName, record.text(0), QStringLiteral("Column"), record.text(1), QStringLiteral("Column Name"));
    case Statement::TableComments:
        return makeRow(
            CommentText, record.text(0), QStringLiteral("Table"), record.text(1), QStringLiteral("Table Comment"));
    case Statement::ColumnComments:
        return makeRow(
            CommentText, record.text(0), QStringLiteral("Column"), record.text(1), QStringLiteral("Column Comment"));
    case Statement::TriggerDescriptions:
        return makeRow(CommentText, record.text(0), QStringLiteral("Trigger"), record.text(1),
            QStringLiteral("Trigger Description"));
    case Statement::SourceText: {
        const QString type = record.text(1);
        return makeRow(Source, record.text(0), type, record.text(2), type + QStringLiteral(" Source"));
    }
    case Statement::TriggerBodies:
        if (!clientMatch(record.text(QStringLiteral("TRIGGER_BODY")), state))
            return std::nullopt;
        return makeRow(TriggerBody, record.text(0), QStringLiteral("Trigger"), record.text(2),
            QStringLiteral("Trigger Definition"));
    }
    return std::nullopt;
}

void runSearch(Connection &connection, const SearchState &state, const SearchRequest &request,
    const std::function<void(ResultRow)> &addRow, const StatementProgress &progress)
{
    const QList<PlannedStatement> statements = searchStatements(state, request);
    int number = 0;
    for (const PlannedStatement &planned : statements) {
        if (progress)
            progress(++number, int(statements.size()));
        auto records = ExecuteSql(connection, planned.sql);
        for (; !records->eof(); records->moveNext()) {
            if (std::optional<ResultRow> row = mapRow(planned.statement, *records, state))
                addRow(std::move(*row));
        }
        records->close();
    }
}

std::optional<Definition> definitionFor(
    const ResultRow &row, const SearchState &lastSearch, const QString &windowCaption)
{
    const QString &p = lastSearch.searchPrefix;
    const QString in = QStringLiteral(" in ") + windowCaption;
    // Every kind, trigger bodies included, takes the owner from the row.
    const QString owner = lastSearch.schemaFilter
        ? QStringLiteral("OWNER = ") + literal(row.schema) + QStringLiteral(" AND ")
        : QString();
    const QString name = literal(row.name);

    switch (row.rowKind) {
    case ViewText:
        return Definition {QStringLiteral("View ") + row.name + in,
            QStringLiteral("SELECT VIEW_NAME, TEXT FROM ") + p + QStringLiteral("_VIEWS WHERE ") + owner
                + QStringLiteral("VIEW_NAME = ") + name,
            QStringLiteral("TEXT")};
    case Source:
        return Definition {QStringLiteral("Source of ") + row.type + u' ' + row.name + in,
            QStringLiteral("SELECT TEXT FROM ") + p + QStringLiteral("_SOURCE WHERE ") + owner + QStringLiteral("TYPE=")
                + literal(asciiUpper(row.type)) + QStringLiteral(" AND NAME=") + name
                + QStringLiteral(" ORDER BY LINE"),
            QStringLiteral("TEXT"), true};
    case CommentText: {
        QString sql;
        if (row.type == QStringLiteral("Table"))
            sql = QStringLiteral("SELECT COMMENTS FROM ") + p + QStringLiteral("_TAB_COMMENTS WHERE ") + owner
                + QStringLiteral("TABLE_NAME=") + name;
        else if (row.type == QStringLiteral("Column"))
            sql = QStringLiteral("SELECT COMMENTS FROM ") + p + QStringLiteral("_COL_COMMENTS WHERE ") + owner
                + QStringLiteral("TABLE_NAME || '.' || COLUMN_NAME = ") + name;
        else if (row.type == QStringLiteral("Trigger"))
            sql = QStringLiteral("SELECT DESCRIPTION FROM ") + p + QStringLiteral("_TRIGGERS WHERE ") + owner
                + QStringLiteral("TABLE_NAME || '.' || TRIGGER_NAME = ") + name;
        else
            return std::nullopt;
        return Definition {QStringLiteral("Comment on ") + row.type + u' ' + row.name + in, sql, 0};
    }
    case TriggerBody:
        return Definition {QStringLiteral("Source of ") + row.type + u' ' + row.name + in,
            QStringLiteral("SELECT TRIGGER_BODY FROM ") + p + QStringLiteral("_TRIGGERS WHERE ") + owner
                + QStringLiteral("TABLE_NAME || '.' || TRIGGER_NAME = ") + name,
            0};
    default:
        return std::nullopt;
    }
}

void writeDefinition(Connection &connection, const Definition &definition, TKsStringOutput &output)
{
    auto records = ExecuteSql(connection, definition.sql);
    for (; !records->eof(); records->moveNext()) {
        QString text = std::holds_alternative<int>(definition.field)
            ? records->text(std::get<int>(definition.field))
            : records->text(std::get<QString>(definition.field));
        if (definition.recordIsLine && text.endsWith(u'\n'))
            text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
        output.WriteLn(bareLfToCrLf(text));
    }
    records->close();
}

} // namespace ks::oracle
