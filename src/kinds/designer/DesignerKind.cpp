#include "kinds/designer/DesignerKind.h"

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

} // namespace

const CatalogueKind &catalogueKind()
{
    static const DesignerKind kind;
    return kind;
}

} // namespace ks::designer
