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

// As LikeMatch, after turning every letter of both into its upper case, one
// character for one, as the dialect's UPPER does (ks::changeCase): so
// "café" finds "CAFÉ" and "Café", and "ß" stays "ß".
bool LikeMatchIgnoreCase(const QString &text, const QString &pattern);

} // namespace ks
