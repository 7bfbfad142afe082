#include "kinds/mssql/MsSqlKind.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "db/KsFileDialect.h"
#include "kinds/mssql/MsSqlFileDialect.h"
#include "search/KsPreparedSearch.h"

#include <QFile>
#include <QUrl>

namespace ks::mssql {

namespace {

const QList<SearchOption> &options()
{
    static const QList<SearchOption> list {
        {QStringLiteral("code"), SearchOption::Type::Switch, QStringLiteral("search T-SQL code"), QStringLiteral("1"),
            true, QStringLiteral("cbIncTSql")},
    };
    return list;
}

class MsSqlKind final : public CatalogueKind {
public:
    MsSqlKind()
    {
        registerFileDialect(QStringLiteral("sqloledb"), &installFileDialect);
        registerCatalogueFileKind(
            {id(), QStringLiteral("a SQL Server catalogue"), {QStringLiteral("sysobjects")}, kTellsFirst});
    }

    QString id() const override { return QStringLiteral("mssql"); }
    QString displayName() const override { return QStringLiteral("MS SQL Server"); }
    QString caption(const QString &connectionString) const override { return connectionCaption(connectionString); }
    QList<SearchOption> searchOptions() const override { return options(); }
    // The tables of the catalogue files, which carry the server's names and
    // columns.
    QString snapshotSchema() const override
    {
        QFile schema(QStringLiteral(":/kinds/mssql/mssql-catalogue.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("The SQL Server catalogue tables are missing from the program."));
        return QString::fromUtf8(schema.readAll());
    }
    // No snapshotTransaction(): SQL Server keeps no versions of its system
    // metadata, not even under snapshot isolation, so a consistent read of
    // the catalogue would have to lock it against every other session's DDL
    // for the whole capture. Each table is read as it stands.
    QString serverVersionStatement() const override { return QStringLiteral("SELECT @@VERSION"); }
    std::shared_ptr<const PreparedSearch> prepareSearch(const SearchSettings &settings) const override
    {
        SearchRequest request;
        request.searchText = settings.text;
        request.mode = settings.mode;
        request.includeTSql = settingSwitch(options(), settings, QStringLiteral("code"));
        return mssql::prepareSearch(request);
    }
    // mssql://user@host:port/database; without a user, Windows authentication.
    ConnectionAddress resolveAddress(const QUrl &address) const override
    {
        refusePasswordInAddress(address);
        QString server = address.host();
        if (address.port() >= 0)
            server += u',' + QString::number(address.port());
        const QString database = address.path(QUrl::FullyDecoded).mid(1);
        if (server.isEmpty() || database.isEmpty() || database.contains(u'/'))
            throw Error(QStringLiteral("%1 names no server or no database: write mssql://user@host:port/database.")
                            .arg(address.toString()));
        return {BuildMsSqlConnectionString(server, database, address.userName(QUrl::FullyDecoded), QString()), {}};
    }
    // The database of a catalogue file is the one it holds.
    QString fileConnectionString(const QString &path) const override
    {
        return BuildMsSqlConnectionString(path, QString(), QString(), QString());
    }
};

class MsSqlSearch final : public PreparedSearch {
public:
    // Raises ks::Error for a regular expression that does not compile.
    explicit MsSqlSearch(const SearchRequest &request)
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
    SearchHighlight highlight() const override
    {
        return m_matcher.highlight(SearchHighlight::msSqlSearch(m_request.searchText));
    }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        return definitionFetch(definitionFor(row, windowCaption), &writeDefinition);
    }

private:
    SearchRequest m_request;
    SearchMatcher m_matcher;
};

} // namespace

std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request)
{
    return std::make_shared<MsSqlSearch>(request);
}

const CatalogueKind &catalogueKind()
{
    static const MsSqlKind kind;
    return kind;
}

} // namespace ks::mssql
