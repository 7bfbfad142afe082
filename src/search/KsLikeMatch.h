#pragma once
// The program-side pattern match for texts the dictionary keeps in LONG
// columns (view texts, trigger bodies), which the database cannot search.

#include <QString>

namespace ks {

// Matches the whole text against the whole pattern: "%" stands for any run of
// characters (the empty run too), every other character, "_" included, stands
// for itself. An empty pattern matches every text. Case-sensitive.
// Runs in time close to linear in the text whatever the number of "%".
bool LikeMatch(const QString &text, const QString &pattern);

// As LikeMatch, after turning the ASCII letters a to z of both into A to Z;
// no other character changes case.
bool LikeMatchIgnoreCase(const QString &text, const QString &pattern);

} // namespace ks
