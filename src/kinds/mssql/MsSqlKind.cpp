#include "kinds/mssql/MsSqlKind.h"

#include "search/KsPreparedSearch.h"

namespace ks::mssql {

namespace {

class MsSqlKind final : public CatalogueKind {
public:
    QString id() const override { return QStringLiteral("mssql"); }
    QString displayName() const override { return QStringLiteral("MS SQL Server"); }
    QString caption(const QString &connectionString) const override { return connectionCaption(connectionString); }
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::MsSqlCatalogue; }
};

class MsSqlSearch final : public PreparedSearch {
public:
    explicit MsSqlSearch(const SearchRequest &request)
        : m_request(request)
    {
    }
    SearchTask task() const override
    {
        return [request = m_request](SearchContext &context) {
            runSearch(context.connection(), request, context.rowSink(), context.progressSink());
        };
    }
    SearchHighlight highlight() const override { return SearchHighlight::msSqlSearch(m_request.searchText); }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        return definitionFetch(definitionFor(row, windowCaption), &writeDefinition);
    }

private:
    SearchRequest m_request;
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
