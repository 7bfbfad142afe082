#include "db/KsConnection.h"

#include "db/KsConnectionTarget.h"
#include "db/KsEngine.h"
#include "shell/KsStrings.h"

#include <utility>

namespace ks {

namespace {

StatementObserver &statementObserver()
{
    static StatementObserver observer;
    return observer;
}

} // namespace

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::open(const QString &connectionString, const QString &userId, const QString &password)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    m_openError.clear();
    try {
        openTarget(translateConnectionString(connectionString, userId, password, DriverEnvironment::system()));
    } catch (const Error &error) {
        m_openError = error.message();
        throw;
    }
}

void Connection::openTarget(const ConnectionTarget &target)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    try {
        m_engine = openEngine(target);
    } catch (const Error &error) {
        m_openError = error.message();
        throw;
    }
    m_openError.clear();
}

std::unique_ptr<Recordset> Connection::execute(const QString &sql)
{
    if (const StatementObserver &observer = statementObserver())
        observer(sql);
    if (!isOpen()) {
        if (m_openError.isEmpty())
            throw Error(QStringLiteral("The connection is not open."));
        throw Error(QStringLiteral("The connection is not open. Opening it failed: ") + m_openError);
    }
    return m_engine->execute(sql);
}

bool Connection::cancel()
{
    return m_engine && m_engine->cancel();
}

void Connection::close()
{
    m_engine.reset();
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
