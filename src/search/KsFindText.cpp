#include "search/KsFindText.h"

#include "base/KsStrings.h"

namespace ks {

QString quotedFind(const QString &searchText)
{
    return trimControl(searchText).replace(u'\'', QStringLiteral("''"));
}

} // namespace ks
