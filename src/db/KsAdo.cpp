#include "db/KsAdo.h"

#include "db/KsConnectionTarget.h"
#include "db/KsOdbcRecordset.h"
#include "db/KsSqliteDialect.h"
#include "shell/KsStrings.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace ks {

// ---------------------------------------------------------------------------
// Connection strings and field values

QString GetConnectionValue(const QString &connectionString, const QString &key)
{
    // Only a to z change case, so positions in the upper-cased text and in the
    // string itself agree (H carries one extra ";" at its front).
    const QString haystack = u';' + asciiUpper(connectionString);
    const QString needle = u';' + asciiUpper(key) + u'=';
    const qsizetype found = haystack.indexOf(needle);
    if (found < 0)
        return {};
    const QString rest = connectionString.mid(found + needle.size() - 1);
    const qsizetype end = rest.indexOf(u';');
    return end < 0 ? rest : rest.left(end);
}

QString QuoteSqlText(const QString &text, const QString &quoteChar, const QString &replacement)
{
    QString result;
    result.reserve(text.size() + 2);
    qsizetype from = 0;
    if (!quoteChar.isEmpty()) {
        for (qsizetype at = text.indexOf(quoteChar); at >= 0; at = text.indexOf(quoteChar, from)) {
            result += QStringView(text).mid(from, at - from);
            result += replacement;
            from = at + quoteChar.size();
        }
    }
    result += QStringView(text).mid(from);
    return quoteChar + result + quoteChar;
}

QString BuildMsSqlConnectionString(
    const QString &server, const QString &database, const QString &userName, const QString &password)
{
    QString result
        = QStringLiteral("Provider=sqloledb;Data Source=") + server + QStringLiteral(";Initial Catalog=") + database;
    if (!userName.isEmpty())
        result += QStringLiteral(";User Id=") + userName + QStringLiteral(";Password=") + password;
    else
        result += QStringLiteral(";Integrated Security=SSPI");
    return result;
}

QString fieldText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QString fieldTextStrict(const QVariant &value)
{
    if (value.isNull())
        throw Error(QStringLiteral("Invalid variant type conversion"));
    return value.toString();
}

// ---------------------------------------------------------------------------
// RowRecordset

void RowRecordset::start(QStringList names)
{
    m_names = std::move(names);
    m_closed = false;
    m_eof = !fetchRow(m_row);
}

void RowRecordset::requireOpen() const
{
    if (m_closed)
        throw Error(QStringLiteral("Operation is not allowed when the record set is closed."));
}

void RowRecordset::moveNext()
{
    requireOpen();
    if (m_eof)
        throw Error(QStringLiteral("There is no current row: the end of the record set has been reached."));
    m_eof = !fetchRow(m_row);
    if (m_eof)
        m_row.clear();
}

QVariant RowRecordset::value(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_names.size())
        throw Error(
            QStringLiteral("Field %1 does not exist: the record set has %2 fields.").arg(index).arg(m_names.size()));
    if (m_eof)
        throw Error(QStringLiteral("There is no current row: the end of the record set has been reached."));
    return m_row.at(index);
}

QVariant RowRecordset::value(const QString &name) const
{
    requireOpen();
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return value(int(i));
    }
    throw Error(QStringLiteral("Field \"%1\" does not exist in the record set.").arg(name));
}

void RowRecordset::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_eof = true;
    m_row.clear();
    release();
}

namespace {

QString errorText(const QSqlError &error)
{
    if (!error.databaseText().isEmpty())
        return error.databaseText();
    if (!error.driverText().isEmpty())
        return error.driverText();
    return error.text();
}

// The rows of a query of any Qt SQL driver that reads its values correctly
// (QSQLITE, QOCI), walked with next().
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

StatementObserver &statementObserver()
{
    static StatementObserver observer;
    return observer;
}

} // namespace

// ---------------------------------------------------------------------------
// Connection

class GuardedRecordset;

class ConnectionPrivate {
public:
    QString name; // Qt SQL connection name while open
    bool odbc = false;
    QString openError;
    std::vector<GuardedRecordset *> recordsets;
};

// What execute() hands out: the engine's record set, which the connection
// closes when it closes itself, so that no query outlives its Qt SQL connection.
class GuardedRecordset : public Recordset {
public:
    GuardedRecordset(std::unique_ptr<Recordset> inner, const std::shared_ptr<ConnectionPrivate> &owner)
        : m_inner(std::move(inner))
        , m_owner(owner)
    {
        owner->recordsets.push_back(this);
    }
    ~GuardedRecordset() override
    {
        if (const auto owner = m_owner.lock())
            std::erase(owner->recordsets, this);
    }
    GuardedRecordset(const GuardedRecordset &) = delete;
    GuardedRecordset &operator=(const GuardedRecordset &) = delete;

    bool eof() const override { return !m_inner || m_inner->eof(); }
    void moveNext() override { inner().moveNext(); }
    int fieldCount() const override { return inner().fieldCount(); }
    QVariant value(int index) const override { return inner().value(index); }
    QVariant value(const QString &name) const override { return inner().value(name); }
    void close() override { m_inner.reset(); }

    void invalidate() { m_inner.reset(); }

private:
    Recordset &inner() const
    {
        if (!m_inner)
            throw Error(QStringLiteral("Operation is not allowed when the record set is closed."));
        return *m_inner;
    }

    std::unique_ptr<Recordset> m_inner;
    std::weak_ptr<ConnectionPrivate> m_owner;
};

Connection::Connection()
    : d(std::make_shared<ConnectionPrivate>())
{
}

Connection::~Connection()
{
    close();
}

void Connection::open(const QString &connectionString, const QString &userId, const QString &password)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    d->openError.clear();
    try {
        openTarget(translateConnectionString(connectionString, userId, password, DriverEnvironment::system()));
    } catch (const Error &error) {
        d->openError = error.message();
        throw;
    }
}

void Connection::openTarget(const ConnectionTarget &target)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    static std::atomic<quint64> counter {0};
    const QString name = QStringLiteral("ks-connection-%1").arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(target.qtDriver, name);
        if (!db.isValid()) {
            failure = QStringLiteral("Qt's SQL driver %1 cannot be loaded.").arg(target.qtDriver);
        } else {
            db.setDatabaseName(target.databaseName);
            if (target.kind == ConnectionTarget::Kind::Oci) {
                db.setUserName(target.userName);
                db.setPassword(target.password);
            }
            db.setConnectOptions(target.connectOptions);
            if (!db.open()) {
                failure = errorText(db.lastError());
                if (failure.isEmpty())
                    failure = QStringLiteral("The connection cannot be opened.");
            } else if (target.kind == ConnectionTarget::Kind::CatalogueFile) {
                try {
                    installCatalogueDialect(db, target.dialect);
                } catch (const Error &error) {
                    failure = error.message();
                }
            }
            if (!failure.isEmpty())
                db.close();
        }
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        d->openError = failure;
        throw Error(failure);
    }
    d->name = name;
    d->odbc = target.kind == ConnectionTarget::Kind::Odbc;
    d->openError.clear();
}

bool Connection::isOpen() const
{
    return !d->name.isEmpty();
}

std::unique_ptr<Recordset> Connection::execute(const QString &sql)
{
    if (const StatementObserver &observer = statementObserver())
        observer(sql);
    if (!isOpen()) {
        if (d->openError.isEmpty())
            throw Error(QStringLiteral("The connection is not open."));
        throw Error(QStringLiteral("The connection is not open. Opening it failed: ") + d->openError);
    }
    QSqlQuery query(QSqlDatabase::database(d->name, false));
    // Forward only before exec: QODBC reads a scrollable cursor wrongly.
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw Error(errorText(query.lastError()));
    std::unique_ptr<Recordset> rows;
    if (d->odbc)
        rows = std::make_unique<OdbcRecordset>(std::move(query));
    else
        rows = std::make_unique<SqlRecordset>(std::move(query));
    return std::make_unique<GuardedRecordset>(std::move(rows), d);
}

void Connection::close()
{
    if (!isOpen())
        return;
    // Queries must be gone before their Qt SQL connection is removed.
    for (GuardedRecordset *recordset : d->recordsets)
        recordset->invalidate();
    QSqlDatabase::database(d->name, false).close();
    QSqlDatabase::removeDatabase(d->name);
    d->name.clear();
    d->odbc = false;
}

// ---------------------------------------------------------------------------
// Operations

ConnectionPtr CreateConnection()
{
    return std::make_shared<Connection>();
}

ConnectionPtr OpenConnection(const QString &connectionString, const QString &userId, const QString &password)
{
    QString ignored;
    return OpenConnectionReport(connectionString, userId, password, ignored);
}

ConnectionPtr OpenConnectionReport(
    const QString &connectionString, const QString &userId, const QString &password, QString &errorText)
{
    errorText.clear();
    ConnectionPtr connection = CreateConnection();
    try {
        connection->open(connectionString, userId, password);
    } catch (const Error &error) {
        errorText = error.message();
    }
    return connection;
}

ConnectionPtr OpenMsSqlConnection(const QString &server, const QString &database, const QString &userName,
    const QString &password, const std::function<void(const QString &)> &showMessage)
{
    QString failure;
    ConnectionPtr connection = OpenConnectionReport(
        BuildMsSqlConnectionString(server, database, userName, password), userName, password, failure);
    if (!connection->isOpen() && showMessage)
        showMessage(QStringLiteral("Error connecting to database\r\n\r\n") + failure);
    return connection;
}

std::unique_ptr<Recordset> ExecuteSql(Connection &connection, const QString &sql)
{
    return connection.execute(sql);
}

ScopedStatementObserver::ScopedStatementObserver(StatementObserver observer)
    : m_previous(std::exchange(statementObserver(), std::move(observer)))
{
}

ScopedStatementObserver::~ScopedStatementObserver()
{
    statementObserver() = std::move(m_previous);
}

} // namespace ks
