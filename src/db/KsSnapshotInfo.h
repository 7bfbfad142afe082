#pragma once
// What a catalogue snapshot says of itself: a table "quillmere_snapshot" of
// names and values beside the catalogue tables.

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace ks {

inline constexpr int kSnapshotFormat = 1; // the newest form this program reads and writes
inline constexpr const char *kSnapshotTable = "quillmere_snapshot";

struct SnapshotInfo {
    QString kind; // the catalogue kind's id
    QString source; // the server, database and user it was taken from; never a password
    QString serverVersion;
    QString takenUtc; // ISO 8601, UTC
    QString programVersion;
    int format = 0;
    QList<std::pair<QString, qint64>> rowCounts; // of each table, in table order

    // The pairs the snapshot table holds.
    QList<std::pair<QString, QString>> pairs() const;
    // "snapshot of <source>, taken <date time> UTC"
    QString description() const;
};

// What the snapshot table of `path` says, or none for a catalogue file
// without one (or no SQLite file at all). Raises ks::Error naming the file
// when a newer program wrote it in a form this one cannot read.
std::optional<SnapshotInfo> readSnapshotInfo(const QString &path);

// The same from the pairs of a snapshot table; raises ks::Error as above,
// naming `path`.
SnapshotInfo snapshotInfoFromPairs(const QString &path, const QList<std::pair<QString, QString>> &pairs);

} // namespace ks
