#include "kinds/oracle/OracleKind.h"

#include "search/KsPreparedSearch.h"

namespace ks::oracle {

namespace {

class OracleKind final : public CatalogueKind {
public:
    QString id() const override { return QStringLiteral("oracle"); }
    QString displayName() const override { return QStringLiteral("Oracle"); }
    QString caption(const QString &connectionString) const override
    {
        return userAtDataSourceCaption(connectionString, QStringLiteral("Oracle"));
    }
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::OracleDictionary; }
};

class OracleSearch final : public PreparedSearch {
public:
    explicit OracleSearch(const SearchRequest &request)
        : m_request(request)
        , m_state(makeSearchState(request))
    {
    }
    SearchTask task() const override
    {
        return [state = m_state, request = m_request](SearchContext &context) {
            runSearch(context.connection(), state, request, context.rowSink(), context.progressSink());
        };
    }
    SearchHighlight highlight() const override
    {
        return SearchHighlight::oracleSearch(m_request.searchText, m_request.ignoreCase);
    }
    std::optional<DefinitionFetch> definition(const ResultRow &row, const QString &windowCaption) const override
    {
        return definitionFetch(definitionFor(row, m_state, windowCaption), &writeDefinition);
    }

private:
    SearchRequest m_request;
    SearchState m_state;
};

} // namespace

std::shared_ptr<const PreparedSearch> prepareSearch(const SearchRequest &request)
{
    return std::make_shared<OracleSearch>(request);
}

const CatalogueKind &catalogueKind()
{
    static const OracleKind kind;
    return kind;
}

} // namespace ks::oracle
