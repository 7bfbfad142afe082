#include "search/KsSearchStatus.h"

namespace ks {

namespace {

QString rows(qint64 count)
{
    return count == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(count);
}

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

QString firstLineOf(const QString &error)
{
    return error.section(u'\n', 0, 0).trimmed();
}

} // namespace

QString snapshotRunningStatus(const SearchProgress &progress)
{
    if (progress.statement <= 0)
        return QStringLiteral("Saving snapshot: opening the connection, ") + seconds(progress.elapsedMs);
    return QStringLiteral("Saving snapshot: table %1 of %2, %3")
        .arg(progress.statement)
        .arg(progress.statements)
        .arg(seconds(progress.elapsedMs));
}

QString snapshotEndStatus(
    SearchOutcome outcome, const SearchProgress &progress, const QString &file, const QString &error)
{
    switch (outcome) {
    case SearchOutcome::Done:
        return QStringLiteral("Snapshot saved to %1 in %2").arg(file, seconds(progress.elapsedMs));
    case SearchOutcome::Stopped:
        return QStringLiteral("Snapshot stopped after %1; nothing written").arg(seconds(progress.elapsedMs));
    case SearchOutcome::Failed:
        break;
    }
    return QStringLiteral("Snapshot failed after %1: %2").arg(seconds(progress.elapsedMs), firstLineOf(error));
}

QString runningStatus(const SearchProgress &progress)
{
    if (progress.statement <= 0)
        return QStringLiteral("Searching: opening the connection, ") + seconds(progress.elapsedMs);
    QString statement = QStringLiteral("statement %1").arg(progress.statement);
    if (progress.statements > 0)
        statement += QStringLiteral(" of %1").arg(progress.statements);
    return QStringLiteral("Searching: %1, %2, %3").arg(statement, rows(progress.rows), seconds(progress.elapsedMs));
}

QString endStatus(SearchOutcome outcome, const SearchProgress &progress, const QString &error)
{
    switch (outcome) {
    case SearchOutcome::Done:
        return QStringLiteral("Search done: %1 in %2").arg(rows(progress.rows), seconds(progress.elapsedMs));
    case SearchOutcome::Stopped:
        return QStringLiteral("Stopped after %1, %2").arg(rows(progress.rows), seconds(progress.elapsedMs));
    case SearchOutcome::Failed:
        break;
    }
    // The message box has the whole text; one line of it fits the bar.
    return QStringLiteral("Search failed after %1, %2: %3")
        .arg(rows(progress.rows), seconds(progress.elapsedMs), firstLineOf(error));
}

} // namespace ks
