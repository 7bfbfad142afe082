#include "kinds/mssql/MsSqlKind.h"

#include "kinds/mssql/MsSqlSearch.h"

namespace ks::mssql {

namespace {

class MsSqlKind final : public CatalogueKind {
public:
    QString id() const override { return QStringLiteral("mssql"); }
    QString displayName() const override { return QStringLiteral("MS SQL Server"); }
    QString caption(const QString &connectionString) const override { return connectionCaption(connectionString); }
    CatalogueFileKind fileKind() const override { return CatalogueFileKind::MsSqlCatalogue; }
};

} // namespace

const CatalogueKind &catalogueKind()
{
    static const MsSqlKind kind;
    return kind;
}

} // namespace ks::mssql
