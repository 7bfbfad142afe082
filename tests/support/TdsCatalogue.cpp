#include "support/TdsCatalogue.h"

#include "base/KsStrings.h"
#include "db/KsConnectionTarget.h"
#include "db/KsFileDialect.h"
#include "kinds/mssql/MsSqlFileDialect.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace ks::tds {

namespace {

ServerMessage engineError(const QSqlError &error)
{
    ServerMessage message;
    bool numeric = false;
    message.number = error.nativeErrorCode().toInt(&numeric);
    if (!numeric)
        message.number = 1; // SQLITE_ERROR
    message.text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return message;
}

} // namespace

Catalogue::Catalogue()
{
    static std::atomic<int> counter {0};
    m_connectionName = QStringLiteral("ks-tds-catalogue-%1").arg(++counter);
}

Catalogue::~Catalogue()
{
    close();
}

bool Catalogue::open(const QString &file, QString &error)
{
    if (!isSqliteDatabaseFile(file)) {
        error = QStringLiteral("\"%1\" is not a catalogue file (an SQLite database).").arg(file);
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            try {
                mssql::installFileDialect(sqliteHandle(db));
                return true;
            } catch (const Error &failure) {
                error = failure.message();
            }
        } else {
            error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    return false;
}

void Catalogue::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

Outcome Catalogue::execute(const QString &sql) const
{
    Outcome outcome;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        outcome.error = engineError(query.lastError());
        return outcome;
    }
    const QSqlRecord record = query.record();
    QStringList names;
    QList<QMetaType> declared;
    for (int i = 0; i < record.count(); ++i) {
        names << record.fieldName(i);
        declared << record.field(i).metaType();
    }
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        rows << row;
    }
    if (query.lastError().isValid())
        outcome.error = engineError(query.lastError());
    outcome.result.emplace(names, declared, std::move(rows));
    return outcome;
}

bool isSessionStatement(const QString &sql)
{
    static const QRegularExpression session(QStringLiteral(R"(^\s*(SET|USE|BEGIN\s+TRAN(SACTION)?|COMMIT|ROLLBACK)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return session.match(sql).hasMatch();
}

} // namespace ks::tds
