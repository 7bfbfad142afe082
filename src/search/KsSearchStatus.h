#pragma once
// What the main window's status bar says of a connection window's search:
// the statement running, the rows listed and the time taken while it runs,
// and at its end whether it ran through, was stopped or failed.

#include "search/KsSearchRunner.h"

#include <QString>

namespace ks {

// "Searching: statement 2 of 8, 120 rows, 1.4 s"; before the first
// statement "Searching: opening the connection, 0.1 s".
QString runningStatus(const SearchProgress &progress);

// "Search done: 120 rows in 1.4 s", "Stopped after 120 rows, 1.4 s" or
// "Search failed after 120 rows, 1.4 s: " and the first line of the error.
QString endStatus(SearchOutcome outcome, const SearchProgress &progress, const QString &error);

// "Saving snapshot: table 2 of 9, 1.4 s"; before the first table
// "Saving snapshot: opening the connection, 0.1 s".
QString snapshotRunningStatus(const SearchProgress &progress);

// "Snapshot saved to <file> in 1.4 s", "Snapshot stopped after 1.4 s;
// nothing written" or "Snapshot failed after 1.4 s: " and the first line of
// the error.
QString snapshotEndStatus(
    SearchOutcome outcome, const SearchProgress &progress, const QString &file, const QString &error);

} // namespace ks
