#include "CatalogueFile.h"

#include "SqlScript.h"

#include <QFile>
#include <QSqlError>
#include <QUuid>

#include <filesystem>
#include <system_error>

namespace ks::tools {

NewCatalogueFile::NewCatalogueFile(const QString &path)
    : m_path(path)
    , m_partPath(path + QStringLiteral(".part"))
    , m_connectionName(QStringLiteral("catalogue-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    // A file left by an earlier run that died must not be added to.
    if (QFile::exists(m_partPath) && !QFile::remove(m_partPath))
        throw ScriptError(QStringLiteral("%1: cannot remove the old file").arg(m_partPath).toStdString());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_connected = true;
    db.setDatabaseName(m_partPath);
    if (!db.open())
        throw ScriptError(QStringLiteral("%1: %2").arg(m_partPath, db.lastError().text()).toStdString());
}

NewCatalogueFile::~NewCatalogueFile()
{
    closeConnection();
    if (!m_committed)
        QFile::remove(m_partPath);
}

QSqlDatabase NewCatalogueFile::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void NewCatalogueFile::commit()
{
    closeConnection();
    // rename() replaces the destination in one step, so a reader never sees half a file.
    std::error_code error;
    std::filesystem::rename(
        std::filesystem::path(m_partPath.toStdU16String()), std::filesystem::path(m_path.toStdU16String()), error);
    if (error)
        throw ScriptError(QStringLiteral("%1: %2").arg(m_path, QString::fromStdString(error.message())).toStdString());
    m_committed = true;
}

void NewCatalogueFile::closeConnection()
{
    if (!m_connected)
        return;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connected = false;
}

} // namespace ks::tools
