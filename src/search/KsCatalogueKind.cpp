#include "search/KsCatalogueKind.h"

#include "db/KsConnectionString.h"
#include "search/KsPreparedSearch.h"

namespace ks {

QString userAtDataSourceCaption(const QString &connectionString, const QString &suffix)
{
    const QString user = GetConnectionValue(connectionString, QStringLiteral("user id"));
    const QString dataSource = GetConnectionValue(connectionString, QStringLiteral("data source"));
    const QString kind = QStringLiteral(" (") + suffix + u')';
    if (dataSource.isEmpty())
        return user + kind;
    return user + QStringLiteral(" @ ") + dataSource + kind;
}

std::optional<DefinitionFetch> PreparedSearch::definition(const ResultRow &, const QString &) const
{
    return std::nullopt;
}

} // namespace ks
