#include "kinds/designer/DesignerKind.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
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

class DesignerKind final : public CatalogueKind {
public:
    QString id() const override { return QStringLiteral("designer"); }
    QString displayName() const override { return QStringLiteral("Oracle Designer"); }
    QString caption(const QString &connectionString) const override
    {
        return userAtDataSourceCaption(connectionString, QStringLiteral("Designer"));
    }
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::DesignerRepository; }
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
