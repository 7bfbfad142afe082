#include "kinds/postgresql/PostgresKind.h"

#include "base/KsStrings.h"
#include "db/KsConnection.h"
#include "db/KsConnectionString.h"
#include "db/KsFileDialect.h"
#include "search/KsPreparedSearch.h"

#include <QUrl>

namespace ks::postgresql {

namespace {

const QList<SearchOption> &options()
{
    using Type = SearchOption::Type;
    static const QList<SearchOption> list {
        {QStringLiteral("schema"), Type::Value, QStringLiteral("search that schema only"), QString(), false,
            QStringLiteral("cbSchema")},
        {QStringLiteral("system-schemas"), Type::Switch,
            QStringLiteral("search pg_catalog, information_schema and pg_toast too"), QStringLiteral("0"), false,
            QStringLiteral("cbSystemSchemas")},
        {QStringLiteral("ignore-case"), Type::Switch, QStringLiteral("ignore letter case (ILIKE)"), QStringLiteral("1"),
            false, QStringLiteral("cbIgnoreCase")},
        {QStringLiteral("definitions"), Type::Switch,
            QStringLiteral("search definitions: views, function bodies, triggers, constraints, defaults, indexes"),
            QStringLiteral("1"), true, QStringLiteral("cbIncDefinitions")},
        {QStringLiteral("comments"), Type::Switch, QStringLiteral("search comments"), QStringLiteral("1"), true,
            QStringLiteral("cbIncComments")},
    };
    return list;
}

// The snapshot files' statements (PgSearch.cpp) use SQLite's own functions
// only: GLOB compares as PostgreSQL's LIKE and ILIKE do on the catalogue.
void installFileDialect(sqlite3 *)
{
}

class PostgresKind final : public CatalogueKind {
public:
    PostgresKind()
    {
        registerFileDialect(QStringLiteral("PostgreSQL"), &installFileDialect);
        registerCatalogueFileKind(
            {id(), QStringLiteral("a PostgreSQL catalogue"), {QStringLiteral("pgcat_names")}, kTellsFirst});
    }

    QString id() const override { return QStringLiteral("postgresql"); }
    QString displayName() const override { return QStringLiteral("PostgreSQL"); }
    // "user @ host/database (PostgreSQL)"; of an address only its user,
    // host and database, never its password.
    QString caption(const QString &connectionString) const override
    {
        QString user = GetConnectionValue(connectionString, QStringLiteral("user id"));
        QString host = GetConnectionValue(connectionString, QStringLiteral("data source")).trimmed();
        QString database = GetConnectionValue(connectionString, QStringLiteral("initial catalog"));
        if (host.startsWith(QStringLiteral("postgres"), Qt::CaseInsensitive) && host.contains(QStringLiteral("://"))) {
            const QUrl url(host);
            if (user.isEmpty())
                user = url.userName();
            if (database.isEmpty())
                database = url.path().mid(1);
            host = url.host();
        }
        if (!database.isEmpty())
            host += u'/' + database;
        // A catalogue file has no user.
        return (user.isEmpty() ? host : user + QStringLiteral(" @ ") + host) + QStringLiteral(" (PostgreSQL)");
    }
    // Snapshots of servers; their tables are not the server's (see PgSearch.h).
    QString fileConnectionString(const QString &path) const override
    {
        return QStringLiteral("Provider=PostgreSQL;Data Source=") + connectionStringValue(path);
    }
    QString snapshotSchema() const override { return postgresql::snapshotSchema(); }
    // A server's tables are read through what its search statements find; a
    // file's as they are.
    QString snapshotSelect(const QString &table, const QStringList &columns, bool fromFile) const override
    {
        if (fromFile)
            return CatalogueKind::snapshotSelect(table, columns, fromFile);
        const std::optional<QString> statement = snapshotStatement(table, columns);
        if (!statement)
            throw Error(QStringLiteral("A PostgreSQL snapshot has no table %1.").arg(table));
        return *statement;
    }
    // The capture's statements all see the catalogue as it was when the first began.
    QString snapshotTransaction() const override
    {
        return QStringLiteral("START TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    }
    QString serverVersionStatement() const override { return QStringLiteral("SELECT version()"); }
    QList<SearchOption> searchOptions() const override { return options(); }
    std::shared_ptr<const PreparedSearch> prepareSearch(const SearchSettings &settings) const override
    {
        SearchRequest request;
        request.searchText = settings.text;
        request.mode = settings.mode;
        request.schema = settingValue(options(), settings, QStringLiteral("schema")).trimmed();
        request.systemSchemas = settingSwitch(options(), settings, QStringLiteral("system-schemas"));
        request.ignoreCase = settingSwitch(options(), settings, QStringLiteral("ignore-case"));
        request.definitions = settingSwitch(options(), settings, QStringLiteral("definitions"));
        request.comments = settingSwitch(options(), settings, QStringLiteral("comments"));
        return postgresql::prepareSearch(request);
    }
    // postgresql://user@host:port/database, taken whole as the connect
    // dialog takes an address typed as its host.
    ConnectionAddress resolveAddress(const QUrl &address) const override
    {
        refusePasswordInAddress(address);
        return {QStringLiteral("Provider=PostgreSQL;Data Source=") + connectionStringValue(address.toString()), {}};
    }
    // The client library finds a password itself (~/.pgpass, PGPASSWORD, a
    // service file), and asks for none it lacks.
    bool needsPassword(const QString &) const override { return false; }
};

class PostgresSearch final : public PreparedSearch {
public:
    // Raises ks::Error for a regular expression that does not compile.
    explicit PostgresSearch(const SearchRequest &request)
        : m_request(request)
        , m_matcher(searchMatcher(request))
    {
    }
    SearchTask task() const override
    {
        return [request = m_request](SearchContext &context) {
            runSearch(context.connection(), request, context.rowSink(), context.progressSink());
        };
    }
    // LIKE's wildcards; ILIKE compares the lower-cased texts.
    SearchHighlight highlight() const override
    {
        SearchHighlight highlight;
        highlight.text = trimControl(m_request.searchText);
        highlight.caseRule = m_request.ignoreCase ? MatchCase::CaseFolded : MatchCase::Exact;
        highlight.wildcards = true;
        return m_matcher.highlight(highlight);
    }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        const std::optional<QString> sql = definitionStatement(row);
        if (!sql)
            return std::nullopt;
        const QString what = row.rowKind == CommentRow ? QStringLiteral("Comment on ") : QString();
        return DefinitionFetch {what + row.type + u' ' + row.name + QStringLiteral(" in ") + windowCaption,
            definitionTask([row](Connection &connection, TKsStringOutput &output) {
                writeDefinition(connection, *definitionStatement(row, connection.isCatalogueFile()), output);
            })};
    }

private:
    SearchRequest m_request;
    SearchMatcher m_matcher;
};

} // namespace

std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request)
{
    return std::make_shared<PostgresSearch>(request);
}

const CatalogueKind &catalogueKind()
{
    static const PostgresKind kind;
    return kind;
}

} // namespace ks::postgresql
