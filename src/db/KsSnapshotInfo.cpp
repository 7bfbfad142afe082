#include "db/KsSnapshotInfo.h"

#include "base/KsStrings.h"
#include "db/KsConnectionTarget.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace ks {

namespace {

constexpr QLatin1StringView kRowsPrefix("rows.");

} // namespace

QList<std::pair<QString, QString>> SnapshotInfo::pairs() const
{
    QList<std::pair<QString, QString>> list {{QStringLiteral("format"), QString::number(format)},
        {QStringLiteral("kind"), kind}, {QStringLiteral("source"), source},
        {QStringLiteral("server_version"), serverVersion}, {QStringLiteral("taken_utc"), takenUtc},
        {QStringLiteral("program_version"), programVersion}};
    for (const auto &[table, count] : rowCounts)
        list.append({kRowsPrefix + table, QString::number(count)});
    return list;
}

QString SnapshotInfo::description() const
{
    const QDateTime taken = QDateTime::fromString(takenUtc, Qt::ISODate);
    const QString when = taken.isValid() ? taken.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : takenUtc;
    return QStringLiteral("snapshot of %1, taken %2 UTC").arg(source, when);
}

SnapshotInfo snapshotInfoFromPairs(const QString &path, const QList<std::pair<QString, QString>> &pairs)
{
    SnapshotInfo info;
    for (const auto &[name, value] : pairs) {
        if (name == QStringLiteral("format"))
            info.format = value.toInt();
        else if (name == QStringLiteral("kind"))
            info.kind = value;
        else if (name == QStringLiteral("source"))
            info.source = value;
        else if (name == QStringLiteral("server_version"))
            info.serverVersion = value;
        else if (name == QStringLiteral("taken_utc"))
            info.takenUtc = value;
        else if (name == QStringLiteral("program_version"))
            info.programVersion = value;
        else if (name.startsWith(kRowsPrefix))
            info.rowCounts.append({name.mid(kRowsPrefix.size()), value.toLongLong()});
    }
    if (info.format > kSnapshotFormat || info.format < 1)
        throw Error(
            QStringLiteral("%1 is a catalogue snapshot in form %2, written by quillmere %3; this version "
                           "reads form %4 and older. Open it with a newer quillmere.")
                .arg(path, QString::number(info.format), info.programVersion, QString::number(kSnapshotFormat)));
    return info;
}

std::optional<SnapshotInfo> readSnapshotInfo(const QString &path)
{
    if (!isSqliteDatabaseFile(path))
        return std::nullopt;
    QList<std::pair<QString, QString>> pairs;
    bool found = false;
    const QString connection
        = QStringLiteral("quillmere-snapshot-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT name, value FROM %1").arg(QLatin1StringView(kSnapshotTable)))) {
                found = true;
                while (query.next())
                    pairs.append({query.value(0).toString(), query.value(1).toString()});
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!found)
        return std::nullopt;
    return snapshotInfoFromPairs(path, pairs);
}

} // namespace ks
