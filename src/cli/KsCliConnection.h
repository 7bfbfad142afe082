#pragma once
// What a CONNECTION argument of quillmere-search names: its catalogue kind,
// the connection string a window would open, and the search options it
// carries. Passwords never come from the command line: one in an argument is
// refused, and needed ones are asked for (see KsCliPassword.h).

#include "search/KsCatalogueKind.h"

#include <QHash>
#include <QString>

#include <vector>

namespace ks::cli {

struct ResolvedConnection {
    QString argument; // as given; every row names its connection so
    const CatalogueKind *kind = nullptr;
    QString connectionString; // without a password
    QHash<QString, QString> values; // search options the address carries
};

// Reads `argument` as, in turn: "KIND:connection string" (KIND a kind's id),
// an address whose scheme is a kind's id, a catalogue file (its kind read from
// the file), or a connection string as the windows make them (its kind from
// its provider, or from the file it names). Raises ks::Error saying why an
// argument names none or carries a password.
ResolvedConnection resolveConnection(const QString &argument, const std::vector<const CatalogueKind *> &kinds);

} // namespace ks::cli
