#pragma once
// Writes a catalogue file (an SQLite file of catalogue tables) so that it
// appears whole or not at all: everything goes into a temporary file beside
// the target, which takes the target's name only when it is complete. A
// writer given up (an error, a stop, a crash) leaves no file behind, and an
// older file of that name stays as it was. The file tells what it is in its
// snapshot table (see KsSnapshotInfo.h).

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace ks {

class CatalogueWriter {
public:
    // Creates the temporary file beside `target`; raises ks::Error naming the
    // folder when it cannot be written.
    explicit CatalogueWriter(const QString &target);
    // Removes the temporary file unless commit() made it the target.
    ~CatalogueWriter();
    CatalogueWriter(const CatalogueWriter &) = delete;
    CatalogueWriter &operator=(const CatalogueWriter &) = delete;

    // Runs statements separated by ";" (a script of CREATE and INSERT
    // statements, comments allowed); raises ks::Error with SQLite's message.
    void runScript(const QString &script);
    // The tables the file holds now, in the order they were created, without
    // SQLite's own and the snapshot table.
    QStringList tables() const;
    // The columns of a table, in their order.
    QStringList columns(const QString &table) const;

    // Starts writing the rows of `table` into `columns` (replacing the rows
    // the table holds); add() writes one row, its values in that order.
    void beginRows(const QString &table, const QStringList &columns);
    void add(const QVariantList &values);
    qint64 rowsAdded() const { return m_rows; }

    // Writes the snapshot table (each pair a name and its value), lets SQLite
    // study the tables for its planner, and gives the file the target's name,
    // in place of any file of that name.
    void commit(const QList<std::pair<QString, QString>> &description);

private:
    QSqlQuery run(const QString &sql) const;
    // Closes the file and removes it unless commit() gave it the target's name.
    void release();

    QString m_target;
    QString m_temporary;
    QString m_connectionName;
    QSqlDatabase m_db;
    std::optional<QSqlQuery> m_insert;
    qint64 m_rows = 0;
    bool m_committed = false;
};

} // namespace ks
