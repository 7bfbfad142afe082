#include "db/KsCatalogueWriter.h"

#include "base/KsStrings.h"
#include "db/KsSnapshotInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QTemporaryFile>
#include <QUuid>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace ks {

namespace {

QString quotedName(const QString &name)
{
    QString doubled = name;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

} // namespace

CatalogueWriter::CatalogueWriter(const QString &target)
    : m_target(QFileInfo(target).absoluteFilePath())
    , m_connectionName(QStringLiteral("quillmere-writer-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    const QFileInfo file(m_target);
    if (file.isDir())
        throw Error(QStringLiteral("%1 is a folder, not a catalogue file").arg(m_target));
    // The name is taken at once, so no other writer picks it meanwhile.
    QTemporaryFile temporary(file.absolutePath() + u'/' + file.fileName() + QStringLiteral(".XXXXXX.part"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        throw Error(QStringLiteral("%1 cannot be written: %2").arg(m_target, temporary.errorString()));
    m_temporary = temporary.fileName();
    temporary.close();

    try {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_db.setDatabaseName(m_temporary);
        if (!m_db.open())
            throw Error(QStringLiteral("%1 cannot be written: %2").arg(m_target, m_db.lastError().text()));
        // The file is whole only once it is renamed, so SQLite need not guard
        // it against a crash meanwhile; commit() writes it through to the disk.
        run(QStringLiteral("PRAGMA journal_mode = OFF"));
        run(QStringLiteral("PRAGMA synchronous = OFF"));
        // The rows are what the source holds, even where the tables' checks
        // would judge otherwise.
        run(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
        run(QStringLiteral("BEGIN"));
    } catch (...) {
        release();
        throw;
    }
}

CatalogueWriter::~CatalogueWriter()
{
    release();
}

void CatalogueWriter::release()
{
    m_insert.reset();
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    if (!m_committed && !m_temporary.isEmpty())
        QFile::remove(m_temporary);
}

QSqlQuery CatalogueWriter::run(const QString &sql) const
{
    QSqlQuery query(m_db);
    if (!query.exec(sql))
        throw Error(QStringLiteral("%1: %2").arg(m_target, query.lastError().text()));
    return query;
}

void CatalogueWriter::runScript(const QString &script)
{
    const QVariant handle = m_db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("%1: not an SQLite connection").arg(m_target));
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    char *message = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        throw Error(QStringLiteral("%1: %2").arg(m_target, text));
    }
}

QStringList CatalogueWriter::tables() const
{
    QSqlQuery query = run(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                         "AND substr(name, 1, 7) <> 'sqlite_' AND name <> '%1' ORDER BY rowid")
                              .arg(QLatin1StringView(kSnapshotTable)));
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QStringList CatalogueWriter::columns(const QString &table) const
{
    QSqlQuery query = run(QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table)));
    QStringList names;
    while (query.next())
        names << query.value(1).toString();
    return names;
}

void CatalogueWriter::beginRows(const QString &table, const QStringList &columns)
{
    run(QStringLiteral("DELETE FROM ") + quotedName(table));
    QStringList names;
    QStringList marks;
    for (const QString &column : columns) {
        names << quotedName(column);
        marks << QStringLiteral("?");
    }
    m_insert.emplace(m_db);
    if (!m_insert->prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quotedName(table), names.join(u','), marks.join(u','))))
        throw Error(QStringLiteral("%1: %2").arg(m_target, m_insert->lastError().text()));
}

void CatalogueWriter::add(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        m_insert->bindValue(i, values.at(i));
    if (!m_insert->exec())
        throw Error(QStringLiteral("%1: %2").arg(m_target, m_insert->lastError().text()));
    ++m_rows;
}

void CatalogueWriter::commit(const QList<std::pair<QString, QString>> &description)
{
    m_insert.reset();
    run(QStringLiteral("CREATE TABLE %1 (name TEXT PRIMARY KEY, value TEXT)").arg(QLatin1StringView(kSnapshotTable)));
    QSqlQuery insert(m_db);
    insert.prepare(QStringLiteral("INSERT INTO %1 (name, value) VALUES (?, ?)").arg(QLatin1StringView(kSnapshotTable)));
    for (const auto &[name, value] : description) {
        insert.bindValue(0, name);
        insert.bindValue(1, value);
        if (!insert.exec())
            throw Error(QStringLiteral("%1: %2").arg(m_target, insert.lastError().text()));
    }
    insert.clear();
    run(QStringLiteral("COMMIT"));
    // The planner then knows, as the server's does, which indexes narrow most.
    run(QStringLiteral("ANALYZE"));
    m_db.close();

    // On the disk before it takes the name, so that a crash leaves the old
    // file or the new one, whole.
    QFile written(m_temporary);
    if (!written.open(QIODevice::ReadWrite) || ::fsync(written.handle()) != 0)
        throw Error(QStringLiteral("%1 cannot be written: %2").arg(m_target, written.errorString()));
    written.close();
    std::error_code error;
    std::filesystem::rename(
        QFile::encodeName(m_temporary).toStdString(), QFile::encodeName(m_target).toStdString(), error);
    if (error)
        throw Error(QStringLiteral("%1 cannot be written: %2").arg(m_target, QString::fromStdString(error.message())));
    m_committed = true;
}

} // namespace ks
