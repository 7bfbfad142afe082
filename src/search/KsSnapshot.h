#pragma once
// Catalogue snapshots: a catalogue file made from what a connection sees,
// holding exactly the catalogue tables and columns that its kind's searches
// and definitions read, so that every search and definition on the file
// gives what the source gives. The file says what it is (KsSnapshotInfo.h).

#include "search/KsSearchRunner.h"

#include <QString>

namespace ks {

class CatalogueKind;

// The task, for the background runner, that writes a snapshot of the
// connection `connectionString` of `kind` to `target`. The source, server or
// catalogue file, is read into the kind's catalogue-file tables
// (CatalogueKind::snapshotSchema), a table a statement; a catalogue file of
// a kind without them is copied whole. Each table is a
// statement of the progress; a stop or an error leaves no file, and an
// older file of the name stays until the new one is whole. It only reads
// the source.
SearchTask snapshotTask(const CatalogueKind &kind, const QString &connectionString, const QString &target);

} // namespace ks
