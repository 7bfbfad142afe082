#include "search/KsCatalogueKind.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "search/KsPreparedSearch.h"

#include <QUrl>

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

QString CatalogueKind::fileConnectionString(const QString &path) const
{
    return QStringLiteral("Data Source=") + connectionStringValue(path);
}

bool CatalogueKind::needsPassword(const QString &connectionString) const
{
    const QString dataSource = GetConnectionValue(connectionString, QStringLiteral("data source"));
    return !GetConnectionValue(connectionString, QStringLiteral("user id")).isEmpty()
        && GetConnectionValue(connectionString, QStringLiteral("password")).isEmpty()
        && !(looksLikeFilePath(dataSource) || isSqliteDatabaseFile(dataSource));
}

QString CatalogueKind::snapshotSchema(Connection &) const
{
    return snapshotSchema();
}

QString CatalogueKind::snapshotSelect(const QString &table, const QStringList &columns, bool) const
{
    return QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table);
}

QString CatalogueKind::withPassword(const QString &connectionString, const QString &password) const
{
    return withConnectionValue(connectionString, QStringLiteral("Password"), password);
}

void refusePasswordInAddress(const QUrl &address)
{
    if (!address.password().isEmpty())
        throw Error(
            QStringLiteral("An address carries no password: give it in QUILLMERE_PASSWORD, or type it when asked."));
}

QString userAtDataSourceConnectionString(const QUrl &address, const QString &provider, bool pathInSource)
{
    refusePasswordInAddress(address);
    QString source = address.host();
    if (address.port() >= 0)
        source += u':' + QString::number(address.port());
    if (pathInSource && address.path(QUrl::FullyDecoded).size() > 1)
        source += address.path(QUrl::FullyDecoded);
    if (address.userName(QUrl::FullyDecoded).isEmpty() || source.isEmpty())
        throw Error(QStringLiteral("%1 names no user or no data source: write %2://user@data-source.")
                        .arg(address.toString(), address.scheme()));
    return QStringLiteral("provider=") + provider + QStringLiteral(";user id=")
        + connectionStringValue(address.userName(QUrl::FullyDecoded)) + QStringLiteral(";data source=")
        + connectionStringValue(source);
}

std::optional<DefinitionFetch> PreparedSearch::definition(const ResultRow &, const QString &) const
{
    return std::nullopt;
}

} // namespace ks
