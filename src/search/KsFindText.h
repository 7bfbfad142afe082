#pragma once
// The search text as the catalogue statements take it.

#include <QString>

namespace ks {

// The search text as it enters the catalogue statements: trimmed as the
// search boxes trim it, every apostrophe doubled, "%", "_" and "[" left as
// they are.
QString quotedFind(const QString &searchText);

} // namespace ks
