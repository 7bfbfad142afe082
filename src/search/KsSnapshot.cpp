#include "search/KsSnapshot.h"

#include "base/KsStrings.h"
#include "base/KsVersionInfo.h"
#include "db/KsCatalogueWriter.h"
#include "db/KsConnection.h"
#include "db/KsConnectionString.h"
#include "db/KsConnectionTarget.h"
#include "db/KsRecordset.h"
#include "db/KsSnapshotInfo.h"
#include "search/KsCatalogueKind.h"

#include <QDateTime>

#include <utility>

namespace ks {

namespace {

// How often a long table's copy looks whether it was told to stop.
constexpr qint64 kStopCheckRows = 4096;

struct SchemaObject {
    QString type;
    QString sql;
};

// The tables, then the views and indexes, of a catalogue file.
QList<SchemaObject> fileSchema(Connection &source)
{
    const std::unique_ptr<Recordset> records = source.execute(
        QStringLiteral("SELECT type, sql FROM sqlite_master WHERE sql IS NOT NULL AND substr(name, 1, 7) <> 'sqlite_' "
                       "AND name <> '%1' ORDER BY CASE type WHEN 'table' THEN 0 ELSE 1 END, rowid")
            .arg(QLatin1StringView(kSnapshotTable)));
    QList<SchemaObject> objects;
    for (; !records->eof(); records->moveNext())
        objects.append({records->text(0), records->text(1)});
    return objects;
}

QString serverVersion(Connection &source, const CatalogueKind &kind)
{
    const QString statement = kind.serverVersionStatement();
    if (statement.isEmpty())
        return {};
    try {
        const std::unique_ptr<Recordset> records = source.execute(statement);
        return records->eof() ? QString() : records->text(0).trimmed();
    } catch (const Error &) {
        return {}; // the version is told where the server tells it
    }
}

// The capture's read-only transaction on a server, where the kind has one:
// rolled back unless the capture commits it, so that a failed capture
// leaves the connection as it found it for the searches that follow.
class ReadTransaction {
public:
    ReadTransaction(Connection &source, const QString &begin)
        : m_source(begin.isEmpty() ? nullptr : &source)
    {
        if (m_source)
            m_source->execute(begin);
    }
    ~ReadTransaction()
    {
        if (!m_source)
            return;
        try {
            m_source->execute(QStringLiteral("ROLLBACK"));
        } catch (const Error &) {
            // a dropped connection ends its transaction itself
        }
    }
    void commit()
    {
        if (m_source)
            std::exchange(m_source, nullptr)->execute(QStringLiteral("COMMIT"));
    }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    Connection *m_source;
};

} // namespace

SearchTask snapshotTask(const CatalogueKind &kind, const QString &connectionString, const QString &target)
{
    return [&kind, connectionString, target](SearchContext &context) {
        Connection &source = context.connection();
        if (!source.isOpen())
            throw Error(source.openError());
        const QString dataSource = GetConnectionValue(connectionString, QStringLiteral("data source"));
        const std::optional<SnapshotInfo> sourceSnapshot = readSnapshotInfo(dataSource);
        const bool fromFile = isSqliteDatabaseFile(dataSource);
        if (fromFile)
            requireCatalogueKind(dataSource, kind.fileKind());

        SnapshotInfo info;
        info.format = kSnapshotFormat;
        info.kind = kind.id();
        info.programVersion = programVersion();
        info.takenUtc = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
        // A snapshot of a snapshot keeps what the first one was taken of.
        info.source = sourceSnapshot ? sourceSnapshot->source : kind.caption(connectionString);
        info.serverVersion = sourceSnapshot ? sourceSnapshot->serverVersion
            : fromFile                      ? QStringLiteral("catalogue file")
                                            : serverVersion(source, kind);

        // From here on every read sees the same state of a server, the
        // reads that tell a kind's tables too.
        ReadTransaction transaction(source, fromFile ? QString() : kind.snapshotTransaction());
        // The kind's own tables where it has them, read through the same
        // statements from a server and from a file; a file of a kind without
        // them is copied as it is.
        const QString schema = kind.snapshotSchema(source);
        if (schema.isEmpty() && !fromFile)
            throw Error(QStringLiteral("A snapshot of a %1 server cannot be taken yet.").arg(kind.displayName()));
        CatalogueWriter writer(target);
        QList<SchemaObject> laterObjects;
        if (!schema.isEmpty()) {
            writer.runScript(schema);
        } else {
            for (const SchemaObject &object : fileSchema(source)) {
                if (object.type == QStringLiteral("table"))
                    writer.runScript(object.sql);
                else
                    laterObjects.append(object); // indexes are quicker made over the rows
            }
        }

        const QStringList tables = writer.tables();
        for (int i = 0; i < tables.size(); ++i) {
            context.statementStarted(i + 1, int(tables.size()));
            const QString &table = tables.at(i);
            const QStringList columns = writer.columns(table);
            writer.beginRows(table, columns);
            const qint64 before = writer.rowsAdded();
            const std::unique_ptr<Recordset> records = source.execute(kind.snapshotSelect(table, columns, fromFile));
            QVariantList values;
            values.reserve(columns.size());
            for (; !records->eof(); records->moveNext()) {
                values.clear();
                for (int column = 0; column < columns.size(); ++column)
                    values.append(records->value(column));
                writer.add(values);
                if ((writer.rowsAdded() - before) % kStopCheckRows == 0)
                    context.throwIfStopped();
            }
            info.rowCounts.append({table, writer.rowsAdded() - before});
        }
        context.throwIfStopped();
        transaction.commit();
        for (const SchemaObject &object : std::as_const(laterObjects))
            writer.runScript(object.sql);
        writer.commit(info.pairs());
    };
}

} // namespace ks
