#include "db/KsEngines.h"

#include "base/KsStrings.h"
#include "db/KsConnectionTarget.h"
#include "db/KsOdbcRecordset.h"
#include "db/KsRecordset.h"
#include "db/KsSnapshotInfo.h"
#include "db/KsFileDialect.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace ks {

namespace {

QString errorText(const QSqlError &error)
{
    if (!error.databaseText().isEmpty())
        return error.databaseText();
    if (!error.driverText().isEmpty())
        return error.driverText();
    return error.text();
}

// The rows of a query of a Qt SQL driver that reads its values correctly
// (QOCI), walked with next().
class SqlRecordset : public RowRecordset {
public:
    explicit SqlRecordset(QSqlQuery query)
        : m_query(std::move(query))
    {
        QStringList names;
        const QSqlRecord record = m_query.record();
        for (int i = 0; i < record.count(); ++i)
            names << record.fieldName(i);
        start(names);
    }

protected:
    bool fetchRow(QVariantList &row) override
    {
        if (!m_query.isActive() || !m_query.isSelect())
            return false;
        if (!m_query.next()) {
            if (m_query.lastError().isValid())
                throw Error(errorText(m_query.lastError()));
            return false;
        }
        row.clear();
        const int count = fieldCount();
        for (int i = 0; i < count; ++i) {
            const QVariant value = m_query.value(i);
            row << (value.isNull() ? QVariant() : value);
        }
        return true;
    }

    void release() override { m_query = QSqlQuery(); }

private:
    QSqlQuery m_query;
};

sqlite3 *sqliteHandleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("The catalogue connection is not an SQLite connection."));
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

// ---------------------------------------------------------------------------
// QtSqlEngine

class GuardedRecordset;

struct QtSqlEngine::Handouts {
    std::vector<GuardedRecordset *> recordsets;
};

// What execute() hands out: the engine's record set, closed by the engine
// when the engine goes first.
class GuardedRecordset : public Recordset {
public:
    GuardedRecordset(std::unique_ptr<Recordset> inner, const std::shared_ptr<QtSqlEngine::Handouts> &handouts)
        : m_inner(std::move(inner))
        , m_handouts(handouts)
    {
        handouts->recordsets.push_back(this);
    }
    ~GuardedRecordset() override
    {
        if (const auto handouts = m_handouts.lock())
            std::erase(handouts->recordsets, this);
    }
    GuardedRecordset(const GuardedRecordset &) = delete;
    GuardedRecordset &operator=(const GuardedRecordset &) = delete;

    bool eof() const override { return !m_inner || m_inner->eof(); }
    void moveNext() override { inner().moveNext(); }
    int fieldCount() const override { return inner().fieldCount(); }
    int fieldIndex(const QString &name) const override { return inner().fieldIndex(name); }
    QVariant value(int index) const override { return inner().value(index); }
    QString text(int index) const override { return inner().text(index); }
    QString strictText(int index) const override { return inner().strictText(index); }
    void close() override { m_inner.reset(); }

private:
    Recordset &inner() const
    {
        if (!m_inner)
            throw Error(QStringLiteral("Operation is not allowed when the record set is closed."));
        return *m_inner;
    }

    std::unique_ptr<Recordset> m_inner;
    std::weak_ptr<QtSqlEngine::Handouts> m_handouts;
};

QtSqlEngine::QtSqlEngine(const ConnectionTarget &target, const Login &login)
    : m_handouts(std::make_shared<Handouts>())
{
    static std::atomic<quint64> counter {0};
    const QString name = QStringLiteral("ks-connection-%1").arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(target.qtDriver, name);
        if (!db.isValid()) {
            failure = QStringLiteral("Qt's SQL driver %1 cannot be loaded.").arg(target.qtDriver);
        } else {
            db.setDatabaseName(target.databaseName);
            db.setUserName(login.userName);
            db.setPassword(login.password);
            db.setConnectOptions(target.connectOptions);
            if (!db.open()) {
                failure = errorText(db.lastError());
                if (failure.isEmpty())
                    failure = QStringLiteral("The connection cannot be opened.");
            }
        }
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        throw Error(failure);
    }
    m_name = name;
}

QtSqlEngine::~QtSqlEngine()
{
    // Queries must be gone before their Qt SQL connection is removed.
    for (GuardedRecordset *recordset : m_handouts->recordsets)
        recordset->close();
    m_handouts->recordsets.clear();
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase QtSqlEngine::database() const
{
    return QSqlDatabase::database(m_name, false);
}

std::unique_ptr<Recordset> QtSqlEngine::execute(const QString &sql)
{
    return std::make_unique<GuardedRecordset>(run(sql), m_handouts);
}

QSqlQuery QtSqlEngine::execQuery(const QString &sql) const
{
    QSqlQuery query(database());
    // Forward only before exec: QODBC reads a scrollable cursor wrongly.
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw Error(errorText(query.lastError()));
    return query;
}

// ---------------------------------------------------------------------------
// The engines

namespace {

// A snapshot that a newer program wrote in a form this one cannot read is
// refused before anything searches it.
void refuseNewerSnapshot(const QSqlDatabase &db, const QString &path)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name, value FROM %1").arg(QLatin1StringView(kSnapshotTable))))
        return; // no snapshot table: a catalogue file made another way
    QList<std::pair<QString, QString>> pairs;
    while (query.next())
        pairs.append({query.value(0).toString(), query.value(1).toString()});
    snapshotInfoFromPairs(path, pairs);
}

} // namespace

CatalogueEngine::CatalogueEngine(const ConnectionTarget &target)
    : QtSqlEngine(target, {})
{
    // A failure here leaves the base to close the connection again.
    const QSqlDatabase db = database();
    refuseNewerSnapshot(db, target.databaseName);
    installFileDialect(db, target.dialect);
    sqlite3 *handle = sqliteHandleOf(db);
    m_textStorage = sqliteTextStorage(handle);
    m_handle = handle;
}

bool CatalogueEngine::cancel()
{
    sqlite3 *handle = m_handle.load();
    if (!handle)
        return false;
    sqlite3_interrupt(handle);
    return true;
}

std::unique_ptr<Recordset> CatalogueEngine::run(const QString &sql)
{
    return std::make_unique<SqliteRecordset>(m_handle.load(), sql, m_textStorage);
}

OdbcEngine::OdbcEngine(const ConnectionTarget &target)
    : QtSqlEngine(target, {})
    , m_running(std::make_shared<OdbcRunningStatement>())
{
    // A failure here leaves the base to close the connection again.
    const QSqlDatabase db = database();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(void *)
        || !*static_cast<void *const *>(handle.constData()))
        throw Error(QStringLiteral("The ODBC connection handle is not available."));
    m_connection = *static_cast<void *const *>(handle.constData());
}

bool OdbcEngine::cancel()
{
    return m_running->cancel();
}

std::unique_ptr<Recordset> OdbcEngine::run(const QString &sql)
{
    return std::make_unique<OdbcRecordset>(m_connection, sql, m_running);
}

OciEngine::OciEngine(const ConnectionTarget &target)
    : QtSqlEngine(target, {target.userName, target.password})
{
}

std::unique_ptr<Recordset> OciEngine::run(const QString &sql)
{
    return std::make_unique<SqlRecordset>(execQuery(sql));
}

PostgresEngine::PostgresEngine(const ConnectionTarget &target)
    : QtSqlEngine(target, {target.userName, target.password})
{
    // A failure here leaves the base to close the connection again.
    const QSqlDatabase db = database();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt declares the handle as an opaque PGconn pointer.
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(void *)
        || !*static_cast<void *const *>(handle.constData()))
        throw Error(QStringLiteral("The PostgreSQL connection handle is not available."));
    // Made now, on the connection's own thread: PQcancel may then use it
    // from any other thread.
    m_cancel = PQgetCancel(*static_cast<PGconn *const *>(handle.constData()));
    if (!m_cancel)
        throw Error(QStringLiteral("The PostgreSQL connection cannot be cancelled."));
}

PostgresEngine::~PostgresEngine()
{
    PQfreeCancel(m_cancel);
}

bool PostgresEngine::cancel()
{
    char message[256] = {};
    return PQcancel(m_cancel, message, int(sizeof message)) == 1;
}

std::unique_ptr<Recordset> PostgresEngine::run(const QString &sql)
{
    return std::make_unique<SqlRecordset>(execQuery(sql));
}

std::unique_ptr<Engine> openEngine(const ConnectionTarget &target)
{
    switch (target.kind) {
    case ConnectionTarget::Kind::CatalogueFile:
        return std::make_unique<CatalogueEngine>(target);
    case ConnectionTarget::Kind::Odbc:
        return std::make_unique<OdbcEngine>(target);
    case ConnectionTarget::Kind::Oci:
        return std::make_unique<OciEngine>(target);
    case ConnectionTarget::Kind::Postgres:
        return std::make_unique<PostgresEngine>(target);
    }
    throw Error(QStringLiteral("The connection target names no engine."));
}

} // namespace ks
