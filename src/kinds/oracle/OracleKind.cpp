#include "kinds/oracle/OracleKind.h"

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

} // namespace

const CatalogueKind &catalogueKind()
{
    static const OracleKind kind;
    return kind;
}

} // namespace ks::oracle
