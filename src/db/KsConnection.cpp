#include "db/KsConnection.h"

#include "base/KsStrings.h"
#include "db/KsConnectionTarget.h"
#include "db/KsConnectionTrace.h"
#include "db/KsEngine.h"
#include "db/KsTrace.h"

#include <QElapsedTimer>

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

Connection::~Connection() noexcept
{
    try {
        close();
    } catch (...) {
        // Nothing a caller could still do about it.
    }
}

void Connection::open(const QString &connectionString, const QString &userId, const QString &password)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    m_openError.clear();
    ConnectionTarget target;
    try {
        target = translateConnectionString(connectionString, userId, password, DriverEnvironment::system());
    } catch (const Error &error) {
        // Nothing here can open the string: traced with what it names.
        m_openError = error.message();
        if (trace::active())
            traceOpenFailed(connectionString, userId, m_openError);
        throw;
    }
    try {
        openTarget(target);
    } catch (const Error &error) {
        m_openError = error.message();
        throw;
    }
}

void Connection::openTarget(const ConnectionTarget &target)
{
    if (isOpen())
        throw Error(QStringLiteral("The connection is already open."));
    const bool tracing = trace::active();
    QElapsedTimer timer;
    if (tracing)
        timer.start();
    try {
        m_engine = openEngine(target);
    } catch (const Error &error) {
        m_openError = error.message();
        if (tracing)
            traceOpenFailed(target, timer, m_openError);
        throw;
    }
    m_openError.clear();
    m_target = std::make_unique<ConnectionTarget>(target);
    if (tracing)
        traceOpened(target, timer);
}

bool Connection::isCatalogueFile() const
{
    return isOpen() && m_target && m_target->kind == ConnectionTarget::Kind::CatalogueFile;
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
    // While nobody traces, one relaxed load is all this costs.
    if (!trace::active())
        return m_engine->execute(sql);
    return executeTraced(*m_engine, sql);
}

bool Connection::cancel()
{
    return m_engine && m_engine->cancel();
}

void Connection::close()
{
    if (!m_engine)
        return;
    m_engine.reset();
    if (trace::active() && m_target)
        traceClosed(*m_target);
    m_target.reset();
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
