#include "support/TestCatalogue.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <stdexcept>

namespace ks::test {

void makeCatalogue(const QString &path, const QStringList &statements)
{
    QFile::remove(path);
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery query(db);
        for (const QString &sql : statements) {
            if (!query.exec(sql))
                throw std::runtime_error((query.lastError().text() + QStringLiteral(" in: ") + sql).toStdString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString oracleConnectionString(const QString &catalogueFile, const QString &user)
{
    return QStringLiteral("provider=OraOLEDB.Oracle;user id=%1;password=secret;data source=%2")
        .arg(user, catalogueFile);
}

} // namespace ks::test
