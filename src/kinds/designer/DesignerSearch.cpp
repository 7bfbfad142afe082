#include "kinds/designer/DesignerSearch.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsUtf8.h"
#include "search/KsFindText.h"

#include <QHash>
#include <QLocale>

#include <algorithm>

namespace ks::designer {

const QString kDiscoveryStatement = QStringLiteral(
    "select table_name, column_name from user_tab_columns where table_name in (select table_name from "
    "user_tab_columns where table_name like 'CI%' and table_name not like 'CI_APP_SYS%' and column_name='NAME') "
    "and data_type='VARCHAR2' and data_length>2 order by table_name, column_name");

namespace {

QString literal(const QString &text)
{
    return QuoteSqlText(text, QStringLiteral("'"), QStringLiteral("''"));
}

bool isWordDelimiter(char32_t code)
{
    if (code <= 32)
        return true;
    switch (code) {
    case U'"':
    case U'\'':
    case U'(':
    case U')':
    case U',':
    case U'.':
    case U'/':
    case U':':
    case U';':
    case U'[':
    case U'\\':
    case U']':
    case U'`':
    case U'{':
    case U'}':
        return true;
    default:
        return false;
    }
}

// Whether the probe statement runs; its values are never read.
bool answers(Connection &connection, const QString &sql)
{
    try {
        auto records = ExecuteSql(connection, sql);
        records->close();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

RepositoryKind probeRepository(Connection &connection)
{
    if (!answers(connection, QStringLiteral("select schema_version from rm$repositories")))
        return NoRepository;
    if (!answers(connection, QStringLiteral("select repository_version from rm$repositories")))
        return SchemaVersionOnly;
    return WithRepositoryVersion;
}

void RepositoryTables::clear()
{
    tableNames.clear();
    columnNames.clear();
}

void RepositoryTables::addRecord(const QString &tableName, const QString &columnName)
{
    if (!tableName.startsWith(QStringLiteral("CI_")))
        return;
    if (tableNames.isEmpty() || tableNames.constLast() != tableName) {
        tableNames.append(tableName);
        columnNames.append(QStringList());
    }
    columnNames.last().append(columnName);
}

void discoverTables(Connection &connection, RepositoryTables &tables)
{
    auto records = ExecuteSql(connection, kDiscoveryStatement);
    for (; !records->eof(); records->moveNext()) {
        const QString tableName = records->strictText(QStringLiteral("table_name"));
        tables.addRecord(tableName, records->text(QStringLiteral("column_name")));
    }
    records->close();
}

QStringList describeTables(const RepositoryTables &tables)
{
    QStringList lines;
    for (qsizetype t = 0; t < tables.tableNames.size(); ++t)
        lines << tables.tableNames.at(t) + QStringLiteral(": ") + tables.columnNames.at(t).join(QStringLiteral(", "));
    return lines;
}

QString ApplicationSystem::caption() const
{
    if (version.isEmpty())
        return entry;
    return entry + QStringLiteral(" (") + version + u')';
}

ApplicationSystem chooseApplicationSystem(const QList<ApplicationSystem> &systems, const QString &wanted)
{
    const qsizetype point = wanted.lastIndexOf(u'.');
    QList<ApplicationSystem> named;
    QStringList choices;
    for (const ApplicationSystem &system : systems) {
        if (point > 0 && !system.version.isEmpty() && system.entry == wanted.left(point)
            && system.version == wanted.mid(point + 1))
            return system;
        if (system.entry == wanted)
            named.append(system);
        choices.append(system.version.isEmpty() ? system.entry : system.entry + u'.' + system.version);
    }
    if (named.size() == 1)
        return named.front();
    if (named.isEmpty())
        throw Error(QStringLiteral("No application system \"%1\"; the repository has: %2.")
                        .arg(wanted, choices.join(QStringLiteral(", "))));
    QStringList versions;
    for (const ApplicationSystem &system : std::as_const(named))
        versions.append(system.entry + u'.' + system.version);
    throw Error(QStringLiteral("Several application systems are named \"%1\"; name one with its version: %2.")
                    .arg(wanted, versions.join(QStringLiteral(", "))));
}

QString applicationSystemsStatement(RepositoryKind kind)
{
    if (kind == SchemaVersionOnly)
        return QStringLiteral("select name || '.' || to_char(version) from ci_application_systems order by 1");
    return QStringLiteral("select name, to_char(version) from ci_application_systems order by name, version");
}

QList<ApplicationSystem> listApplicationSystems(Connection &connection, RepositoryKind kind)
{
    QList<ApplicationSystem> systems;
    QHash<QString, int> listed; // how often each entry is listed
    auto records = ExecuteSql(connection, applicationSystemsStatement(kind));
    for (; !records->eof(); records->moveNext()) {
        systems.append({records->strictText(0), kind == SchemaVersionOnly ? QString() : records->text(1)});
        ++listed[systems.constLast().entry];
    }
    records->close();
    // A name listed once shows as it is; the version tells the others apart.
    for (ApplicationSystem &system : systems) {
        if (listed.value(system.entry) == 1)
            system.version.clear();
    }
    return systems;
}

QString idStatement(RepositoryKind kind, const QString &applicationSystem, const QString &version)
{
    QString sql = QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE ");
    if (kind == SchemaVersionOnly) {
        // An entry without any point (which the list never gives) keeps the
        // whole text as its version, as splitting at a missing point does.
        const qsizetype point = applicationSystem.lastIndexOf(u'.');
        const QString name = point < 0 ? QString() : applicationSystem.left(point);
        return sql + QStringLiteral("NAME = ") + literal(name) + QStringLiteral(" AND VERSION = ")
            + applicationSystem.mid(point + 1);
    }
    sql += QStringLiteral("NAME = ") + literal(applicationSystem);
    if (!version.isEmpty())
        sql += QStringLiteral(" AND VERSION = ") + version;
    return sql;
}

bool columnIncluded(const QString &column, const IncludeOptions &options)
{
    if (!options.userDefinedProperties && column.startsWith(QStringLiteral("USER_DEFINED_PROPERTY")))
        return false;
    if (!options.createdChangedBy
        && (column.startsWith(QStringLiteral("CREATED_BY")) || column.startsWith(QStringLiteral("CHANGED_BY"))))
        return false;
    if (!options.owningUser && column.startsWith(QStringLiteral("OWNING_USER")))
        return false;
    return true;
}

QString columnStatement(const QString &table, const QString &column, const QString &applicationSystemId,
    const QString &quotedFind, bool ignoreCase)
{
    QString sql = QStringLiteral("SELECT NAME, ") + column + QStringLiteral(" FROM ") + table
        + QStringLiteral(" WHERE APPLICATION_SYSTEM_OWNED_BY = ") + applicationSystemId + QStringLiteral(" AND ");
    if (ignoreCase)
        return sql + QStringLiteral("UPPER(") + column + QStringLiteral(") LIKE '%")
            + changeCase(quotedFind, true) + QStringLiteral("%'");
    return sql + column + QStringLiteral(" LIKE '%") + quotedFind + QStringLiteral("%'");
}

QString CapitalizeWords(const QString &text)
{
    const QString lower = QLocale().toLower(text);
    QString result;
    result.reserve(lower.size());
    bool inWord = false;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const QChar c = lower.at(i);
        char32_t code = c.unicode();
        const bool pair = c.isHighSurrogate() && i + 1 < lower.size() && lower.at(i + 1).isLowSurrogate();
        if (pair)
            code = QChar::surrogateToUcs4(c, lower.at(i + 1));
        const bool delimiter = isWordDelimiter(code);
        if (!delimiter && !inWord)
            code = QChar::toUpper(code);
        inWord = !delimiter;
        if (QChar::requiresSurrogates(code)) {
            result += QChar(QChar::highSurrogate(code));
            result += QChar(QChar::lowSurrogate(code));
        } else {
            result += QChar(char16_t(code));
        }
        if (pair)
            ++i;
    }
    return result;
}

QString typeCaption(const QString &table)
{
    return CapitalizeWords(table.mid(3, 255).replace(u'_', u' '));
}

QString propertyCaption(const QString &column)
{
    return CapitalizeWords(QString(column).replace(u'_', u' '));
}

int runSearch(Connection &connection, RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request,
    const std::function<void(ResultRow)> &addRow, const std::function<void(const QString &)> &logLine,
    const StatementProgress &progress)
{
    const QString find = quotedFind(request.searchText);

    // One statement for the id, then one for each column searched.
    int statements = 1;
    int number = 0;
    if (progress) {
        for (const QStringList &columns : tables.columnNames)
            statements += int(std::count_if(columns.cbegin(), columns.cend(),
                [&request](const QString &column) { return columnIncluded(column, request.include); }));
        progress(++number, statements);
    }

    const QString idSql = idStatement(kind, request.applicationSystem, request.version);
    logLine(idSql);
    QString id;
    {
        auto records = ExecuteSql(connection, idSql);
        id = records->strictText(0);
        records->close();
    }

    int rows = 0;
    for (qsizetype t = 0; t < tables.tableNames.size(); ++t) {
        const QString &table = tables.tableNames.at(t);
        const QString type = typeCaption(table);
        for (const QString &column : tables.columnNames.at(t)) {
            if (!columnIncluded(column, request.include))
                continue;
            // Outside the guard below: a search told to end does not go on
            // with the next column.
            if (progress)
                progress(++number, statements);
            try {
                const QString sql = columnStatement(table, column, id, find, request.ignoreCase);
                logLine(sql);
                auto records = ExecuteSql(connection, sql);
                const QString property = propertyCaption(column);
                for (; !records->eof(); records->moveNext()) {
                    ResultRow row;
                    row.name = records->text(0);
                    row.type = type;
                    row.schema = property;
                    row.comment = records->text(1);
                    addRow(std::move(row));
                    ++rows;
                }
                records->close();
            } catch (const std::exception &) {
                // A table without the expected columns, or any other failure
                // of one column, costs only that column's matches.
            }
        }
    }
    return rows;
}

} // namespace ks::designer
