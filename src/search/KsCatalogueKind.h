#pragma once
// A kind of catalogue the program searches (the Oracle dictionary, a SQL
// Server catalogue, a Designer repository): what the rest of the program asks
// of it without naming it. Each kind lives in a folder of its own under
// src/kinds, with its statements, row mapping, connect dialog and window, and
// is listed once, in src/kinds/CMakeLists.txt; src/kinds/KsKinds.h hands out
// the list.

#include "db/KsConnectionTarget.h"

#include <QString>

namespace ks {

class CatalogueKind {
public:
    virtual ~CatalogueKind() = default;

    // Its short name, as command lines, addresses and files write it ("oracle").
    virtual QString id() const = 0;
    // What users call it ("Oracle").
    virtual QString displayName() const = 0;
    // The caption of a window on the connection string.
    virtual QString caption(const QString &connectionString) const = 0;
    // What a catalogue file of this kind holds; a file that holds another
    // kind is refused before anything is opened.
    virtual CatalogueFileKind fileKind() const = 0;

protected:
    CatalogueKind() = default;
    CatalogueKind(const CatalogueKind &) = delete;
    CatalogueKind &operator=(const CatalogueKind &) = delete;
};

// "user @ data source (suffix)", or "user (suffix)" without a data source:
// the caption of a kind whose connection names a user and a data source.
QString userAtDataSourceCaption(const QString &connectionString, const QString &suffix);

} // namespace ks
