#include "kinds/KsKinds.h"

namespace ks {

const CatalogueKind *catalogueKind(const QString &id)
{
    for (const CatalogueKind *kind : catalogueKinds()) {
        if (kind->id() == id)
            return kind;
    }
    return nullptr;
}

} // namespace ks
