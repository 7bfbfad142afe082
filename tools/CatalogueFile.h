#pragma once
// A catalogue file being written. The SQLite database lives under a
// temporary name next to the destination and takes the destination's place
// only when the writer says it is complete; otherwise the temporary file is
// removed and an existing destination stays as it was.

#include <QSqlDatabase>
#include <QString>

namespace ks::tools {

class NewCatalogueFile {
public:
    // Creates the temporary database; raises ScriptError when it cannot.
    explicit NewCatalogueFile(const QString &path);
    ~NewCatalogueFile();
    NewCatalogueFile(const NewCatalogueFile &) = delete;
    NewCatalogueFile &operator=(const NewCatalogueFile &) = delete;

    // The open database. Copies must be gone before commit().
    QSqlDatabase database() const;

    // Closes the database and moves it to the destination; raises ScriptError.
    void commit();

private:
    void closeConnection();

    QString m_path;
    QString m_partPath;
    QString m_connectionName;
    bool m_connected = false;
    bool m_committed = false;
};

} // namespace ks::tools
