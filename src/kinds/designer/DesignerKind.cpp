#include "kinds/designer/DesignerKind.h"

#include "search/KsPreparedSearch.h"

namespace ks::designer {

namespace {

class DesignerKind final : public CatalogueKind {
public:
    QString id() const override { return QStringLiteral("designer"); }
    QString displayName() const override { return QStringLiteral("Oracle Designer"); }
    QString caption(const QString &connectionString) const override
    {
        return userAtDataSourceCaption(connectionString, QStringLiteral("Designer"));
    }
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::DesignerRepository; }
};

class DesignerSearch final : public PreparedSearch {
public:
    DesignerSearch(RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
        : m_kind(kind)
        , m_tables(tables)
        , m_request(request)
    {
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
