#include "kinds/designer/DesignerKind.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnectionString.h"
#include "db/KsRecordset.h"
#include "search/KsPreparedSearch.h"

#include <QUrl>

namespace ks::designer {

namespace {

const QList<SearchOption> &options()
{
    using Type = SearchOption::Type;
    static const QList<SearchOption> list {
        {QStringLiteral("app-system"), Type::Value,
            QStringLiteral("NAME[.version]: the application system searched (needed)"), QString(), false,
            QStringLiteral("cbAppSys")},
        {QStringLiteral("ignore-case"), Type::Switch, QStringLiteral("ignore letter case"), QStringLiteral("1"), false,
            QStringLiteral("cbIgnoreCase")},
        {QStringLiteral("user-defined-properties"), Type::Switch, QStringLiteral("search user defined properties"),
            QStringLiteral("0"), true, QStringLiteral("cbIncUserDefs")},
        {QStringLiteral("created-changed-by"), Type::Switch, QStringLiteral("search who created and changed"),
            QStringLiteral("0"), true, QStringLiteral("cbIncCreateChanges")},
        {QStringLiteral("owning-user"), Type::Switch, QStringLiteral("search owning users"), QStringLiteral("0"), true,
            QStringLiteral("cbIncOwningUser")},
    };
    return list;
}

// The column catalogue rows of the repository's tables: what the discovery
// statement reads, and the types the snapshot's tables take.
const QString kColumnCatalogue = QStringLiteral(
    "select table_name, column_name, data_type, data_length from user_tab_columns where table_name like 'CI%'");

// A column's type as the catalogue gives it, for a catalogue file's table:
// VARCHAR2(n), NUMBER and DATE keep text, numbers and dates apart as the
// repository's statements compare them.
QString columnType(const QString &dataType, const QString &dataLength)
{
    return dataType == QStringLiteral("VARCHAR2") ? QStringLiteral("VARCHAR2(%1)").arg(dataLength) : dataType;
}

// CREATE TABLE "name" ("column" type, ...), the columns in the order given.
QString createTable(const QString &table, const QStringList &columns, const QHash<QString, QString> &types)
{
    QStringList definitions;
    for (const QString &column : columns)
        definitions << QStringLiteral("\"%1\" %2").arg(column, types.value(column, QStringLiteral("NUMBER")));
    return QStringLiteral("CREATE TABLE \"%1\" (%2);\n").arg(table, definitions.join(QStringLiteral(", ")));
}

class DesignerKind final : public CatalogueKind {
public:
    // A repository's file carries a few dictionary views of its own; its
    // files speak the Oracle provider's dialect, which the Oracle kind brings.
    DesignerKind()
    {
        registerCatalogueFileKind(
            {id(), QStringLiteral("a Designer repository"), {QStringLiteral("RM$REPOSITORIES")}, kTellsFirst});
    }

    QString id() const override { return QStringLiteral("designer"); }
    QString displayName() const override { return QStringLiteral("Oracle Designer"); }
    QString caption(const QString &connectionString) const override
    {
        return userAtDataSourceCaption(connectionString, QStringLiteral("Designer"));
    }
    QList<SearchOption> searchOptions() const override { return options(); }
    std::shared_ptr<const PreparedSearch> prepareSearch(const SearchSettings &settings) const override;
    // designer://user@alias/APPSYSTEM[.version]
    ConnectionAddress resolveAddress(const QUrl &address) const override
    {
        ConnectionAddress resolved {
            userAtDataSourceConnectionString(address, QStringLiteral("OraOLEDB.Oracle"), false), {}};
        const QString appSystem = address.path(QUrl::FullyDecoded).mid(1);
        if (!appSystem.isEmpty())
            resolved.values.insert(QStringLiteral("app-system"), appSystem);
        return resolved;
    }
    QString fileConnectionString(const QString &path) const override
    {
        return QStringLiteral("provider=OraOLEDB.Oracle;data source=") + connectionStringValue(path);
    }
    // The tables the repository's statements read, with the columns they
    // read: the version probes, the application systems, the column
    // catalogue of the CI tables, and of each element table its name, its
    // owner and its text columns, where the catalogue lists them. A table
    // that lacks one lacks it in the snapshot too, so a search fails there
    // as it fails on the source.
    QString snapshotSchema(Connection &source) const override
    {
        const RepositoryKind kind = probeRepository(source);
        if (kind == NoRepository)
            throw Error(
                QStringLiteral("The connection holds no Designer repository (rm$repositories cannot be read)."));
        QHash<QString, QHash<QString, QString>> types; // by table and column
        for (auto records = ExecuteSql(source, kColumnCatalogue); !records->eof(); records->moveNext())
            types[records->text(0)].insert(records->text(1), columnType(records->text(2), records->text(3)));
        RepositoryTables tables;
        discoverTables(source, tables);

        QString schema = createTable(QStringLiteral("RM$REPOSITORIES"),
            kind == WithRepositoryVersion
                ? QStringList {QStringLiteral("SCHEMA_VERSION"), QStringLiteral("REPOSITORY_VERSION")}
                : QStringList {QStringLiteral("SCHEMA_VERSION")},
            {});
        schema += createTable(QStringLiteral("USER_TAB_COLUMNS"),
            {QStringLiteral("TABLE_NAME"), QStringLiteral("COLUMN_NAME"), QStringLiteral("DATA_TYPE"),
                QStringLiteral("DATA_LENGTH")},
            {{QStringLiteral("TABLE_NAME"), QStringLiteral("VARCHAR2(128)")},
                {QStringLiteral("COLUMN_NAME"), QStringLiteral("VARCHAR2(128)")},
                {QStringLiteral("DATA_TYPE"), QStringLiteral("VARCHAR2(128)")}});
        const QString systems = QStringLiteral("CI_APPLICATION_SYSTEMS");
        QStringList systemColumns {QStringLiteral("ID"), QStringLiteral("NAME"), QStringLiteral("VERSION")};
        for (qsizetype i = 0; i < tables.tableNames.size(); ++i) {
            const QString &table = tables.tableNames.at(i);
            QStringList columns = table == systems ? systemColumns : QStringList {QStringLiteral("NAME")};
            for (const QString &column :
                QStringList {QStringLiteral("APPLICATION_SYSTEM_OWNED_BY")} + tables.columnNames.at(i)) {
                if (!columns.contains(column) && types.value(table).contains(column))
                    columns << column;
            }
            if (table == systems)
                systemColumns = columns;
            else
                schema += createTable(table, columns, types.value(table));
        }
        QHash<QString, QString> systemTypes = types.value(systems);
        systemTypes.insert(
            QStringLiteral("NAME"), systemTypes.value(QStringLiteral("NAME"), QStringLiteral("VARCHAR2(40)")));
        return schema + createTable(systems, systemColumns, systemTypes);
    }
    QString snapshotSelect(const QString &table, const QStringList &columns, bool fromFile) const override
    {
        if (table == QStringLiteral("USER_TAB_COLUMNS"))
            return kColumnCatalogue;
        return CatalogueKind::snapshotSelect(table, columns, fromFile);
    }
    // Every repository table read as of the transaction's start.
    QString snapshotTransaction() const override { return QStringLiteral("SET TRANSACTION READ ONLY"); }
};

// A regular expression that does not compile is refused before anything runs.
void refuseInvalidText(const SearchRequest &request)
{
    SearchMatcher(request.mode, request.searchText, request.ignoreCase, MatchCase::UpperEach);
}

class DesignerSearch final : public PreparedSearch {
public:
    DesignerSearch(RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
        : m_kind(kind)
        , m_tables(tables)
        , m_request(request)
    {
        refuseInvalidText(request);
    }
    SearchTask task() const override
    {
        return [kind = m_kind, tables = m_tables, request = m_request](SearchContext &context) {
            runSearch(
                context.connection(), kind, tables, request, context.rowSink(),
                [&context](const QString &line) { context.addLine(line); }, context.progressSink());
        };
    }

private:
    RepositoryKind m_kind;
    RepositoryTables m_tables;
    SearchRequest m_request;
};

// A search asked for by name: its task reads the repository, as the window
// does when it opens, and finds the application system before it searches.
class NamedSystemSearch final : public PreparedSearch {
public:
    NamedSystemSearch(const QString &appSystem, const SearchRequest &request)
        : m_appSystem(appSystem)
        , m_request(request)
    {
        refuseInvalidText(request);
    }
    SearchTask task() const override
    {
        return [appSystem = m_appSystem, request = m_request](SearchContext &context) mutable {
            Connection &connection = context.connection();
            const RepositoryKind kind = probeRepository(connection);
            if (kind == NoRepository)
                throw Error(QStringLiteral("Repository not found"));
            RepositoryTables tables;
            discoverTables(connection, tables);
            const ApplicationSystem chosen
                = chooseApplicationSystem(listApplicationSystems(connection, kind), appSystem);
            request.applicationSystem = chosen.entry;
            request.version = chosen.version;
            runSearch(
                connection, kind, tables, request, context.rowSink(),
                [&context](const QString &line) { context.addLine(line); }, context.progressSink());
        };
    }

private:
    QString m_appSystem;
    SearchRequest m_request;
};

std::shared_ptr<const PreparedSearch> DesignerKind::prepareSearch(const SearchSettings &settings) const
{
    const QString appSystem = settingValue(options(), settings, QStringLiteral("app-system")).trimmed();
    if (appSystem.isEmpty())
        throw Error(QStringLiteral("A Designer search needs an application system: --app-system NAME[.version]."));
    SearchRequest request;
    request.searchText = settings.text;
    request.mode = settings.mode;
    request.ignoreCase = settingSwitch(options(), settings, QStringLiteral("ignore-case"));
    request.include.userDefinedProperties
        = settingSwitch(options(), settings, QStringLiteral("user-defined-properties"));
    request.include.createdChangedBy = settingSwitch(options(), settings, QStringLiteral("created-changed-by"));
    request.include.owningUser = settingSwitch(options(), settings, QStringLiteral("owning-user"));
    return std::make_shared<NamedSystemSearch>(appSystem, request);
}

} // namespace

std::shared_ptr<const PreparedSearch> prepareSearch(
    RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
{
    return std::make_shared<DesignerSearch>(kind, tables, request);
}

const CatalogueKind &catalogueKind()
{
    static const DesignerKind kind;
    return kind;
}

} // namespace ks::designer
