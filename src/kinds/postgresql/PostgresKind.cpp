#include "kinds/postgresql/PostgresKind.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "search/KsPreparedSearch.h"

#include <QUrl>

namespace ks::postgresql {

namespace {

class PostgresKind final : public CatalogueKind {
public:
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
        return user + QStringLiteral(" @ ") + host + QStringLiteral(" (PostgreSQL)");
    }
    // There are no PostgreSQL catalogue files; the server is always asked.
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::Unknown; }
};

class PostgresSearch final : public PreparedSearch {
public:
    explicit PostgresSearch(const SearchRequest &request)
        : m_request(request)
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
        return highlight;
    }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        const std::optional<QString> sql = definitionStatement(row);
        if (!sql)
            return std::nullopt;
        const QString what = row.rowKind == CommentRow ? QStringLiteral("Comment on ") : QString();
        return DefinitionFetch {what + row.type + u' ' + row.name + QStringLiteral(" in ") + windowCaption,
            definitionTask([sql = *sql](Connection &connection, TKsStringOutput &output) {
                writeDefinition(connection, sql, output);
            })};
    }

private:
    SearchRequest m_request;
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
