#include "search/KsSearchRunner.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"

#include <QDeadlineTimer>
#include <QThread>

#include <atomic>
#include <mutex>
#include <utility>

namespace ks {

namespace detail {

// What the worker and the runner share. The worker fills it under the lock
// and, when there is something new and no wake-up is on its way, posts one
// to the runner; the runner takes everything out under the lock.
struct SearchShared {
    std::mutex mutex;
    QObject *receiver = nullptr; // the runner, while it listens
    std::vector<ResultRow> rows;
    QStringList lines;
    int statement = 0;
    int statements = 0;
    bool wakePosted = false;
    bool ended = false;
    SearchOutcome outcome = SearchOutcome::Done;
    std::exception_ptr error;
    std::atomic<bool> stop = false;

    // The open connection, for a cancel from the runner's thread; entered
    // once it is open and taken out before it closes, under its own lock.
    std::mutex connectionMutex;
    Connection *connection = nullptr;

    // Under `mutex`.
    void wakeReceiver()
    {
        if (wakePosted || !receiver)
            return;
        wakePosted = true;
        auto *runner = static_cast<SearchRunner *>(receiver);
        // A runner that goes away takes the posted call with it; it cannot
        // go while this lock is held.
        QMetaObject::invokeMethod(
            receiver, [runner] { runner->wake(); }, Qt::QueuedConnection);
    }
};

} // namespace detail

namespace {

std::atomic<int> g_runningWorkers = 0;

// Keeps the connection where a cancel can reach it while it is open.
class CancelReach {
public:
    CancelReach(detail::SearchShared &shared, Connection &connection)
        : m_shared(shared)
    {
        const std::lock_guard lock(m_shared.connectionMutex);
        m_shared.connection = &connection;
    }
    ~CancelReach()
    {
        const std::lock_guard lock(m_shared.connectionMutex);
        m_shared.connection = nullptr;
    }
    CancelReach(const CancelReach &) = delete;
    CancelReach &operator=(const CancelReach &) = delete;

private:
    detail::SearchShared &m_shared;
};

} // namespace

// ---------------------------------------------------------------------------
// SearchContext

SearchContext::SearchContext(detail::SearchShared &shared, Connection &connection)
    : m_shared(shared)
    , m_connection(connection)
{
}

void SearchContext::addRow(ResultRow row)
{
    throwIfStopped();
    const std::lock_guard lock(m_shared.mutex);
    m_shared.rows.push_back(std::move(row));
    m_shared.wakeReceiver();
}

void SearchContext::addLine(const QString &line)
{
    throwIfStopped();
    const std::lock_guard lock(m_shared.mutex);
    m_shared.lines.append(line);
    m_shared.wakeReceiver();
}

void SearchContext::statementStarted(int statement, int statements)
{
    throwIfStopped();
    // Shown with the next batch or progress tick; no wake-up of its own.
    const std::lock_guard lock(m_shared.mutex);
    m_shared.statement = statement;
    m_shared.statements = statements;
}

bool SearchContext::stopRequested() const
{
    return m_shared.stop.load(std::memory_order_relaxed);
}

void SearchContext::throwIfStopped() const
{
    if (stopRequested())
        throw SearchStopped();
}

std::function<void(ResultRow)> SearchContext::rowSink()
{
    return [this](ResultRow row) { addRow(std::move(row)); };
}

StatementProgress SearchContext::progressSink()
{
    return [this](int statement, int statements) { statementStarted(statement, statements); };
}

// ---------------------------------------------------------------------------
// SearchRunner

void SearchRunner::runWorker(detail::SearchShared &shared, const QString &connectionString, const SearchTask &task)
{
    SearchOutcome outcome = SearchOutcome::Done;
    std::exception_ptr error;
    try {
        // As every operation does: a failed open is told by the first statement.
        const ConnectionPtr connection = OpenConnection(connectionString, QString(), QString());
        {
            const CancelReach reach(shared, *connection);
            SearchContext context(shared, *connection);
            context.throwIfStopped();
            task(context);
        }
        connection->close();
        // A search told to stop may have lost a statement to it without a
        // word (the Designer search skips failed statements).
        if (shared.stop)
            outcome = SearchOutcome::Stopped;
    } catch (const SearchStopped &) {
        outcome = SearchOutcome::Stopped;
    } catch (...) {
        // A stopped statement fails with the engine's message; that is no error.
        if (shared.stop) {
            outcome = SearchOutcome::Stopped;
        } else {
            outcome = SearchOutcome::Failed;
            error = std::current_exception();
        }
    }
    --g_runningWorkers;
    const std::lock_guard lock(shared.mutex);
    shared.ended = true;
    shared.outcome = outcome;
    shared.error = error;
    shared.wakePosted = false;
    shared.wakeReceiver();
}

SearchRunner::SearchRunner(QObject *parent)
    : QObject(parent)
{
    m_deliveryTimer.setSingleShot(true);
    m_deliveryTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_deliveryTimer, &QTimer::timeout, this, [this] {
        if (isRunning())
            pump();
    });
    m_progressTimer.setInterval(ProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { tick(); });
}

SearchRunner::~SearchRunner()
{
    abandon();
}

int SearchRunner::runningWorkers()
{
    return g_runningWorkers.load();
}

QString SearchRunner::errorText(const std::exception_ptr &error)
{
    if (!error)
        return QString();
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

void SearchRunner::start(const QString &connectionString, SearchTask task, SearchSinks sinks)
{
    if (isRunning())
        finish();
    auto shared = std::make_shared<detail::SearchShared>();
    shared->receiver = this;
    m_sinks = std::move(sinks);
    m_progress = SearchProgress();
    m_delivered = false;
    m_clock.start();

    // The worker keeps the shared part alive for as long as it runs, also
    // after the runner has let it go.
    std::unique_ptr<QThread> thread(QThread::create(
        [shared, connectionString, task = std::move(task)] { runWorker(*shared, connectionString, task); }));
    thread->setObjectName(QStringLiteral("search worker"));
    m_shared = std::move(shared);
    m_thread = std::move(thread);
    ++g_runningWorkers;
    m_thread->start();
    m_progressTimer.start();
}

bool SearchRunner::isStopping() const
{
    return m_shared && m_shared->stop;
}

void SearchRunner::stop()
{
    if (!m_shared)
        return;
    m_shared->stop = true;
    cancelEngine();
}

void SearchRunner::cancelEngine()
{
    const std::lock_guard lock(m_shared->connectionMutex);
    if (m_shared->connection)
        m_shared->connection->cancel();
}

bool SearchRunner::waitForWorker()
{
    // A cancel that came between two statements found none to stop; the
    // next one is stopped by the cancel sent again.
    const QDeadlineTimer deadline(StopWaitMs);
    while (!m_thread->wait(QDeadlineTimer(std::min<qint64>(20, deadline.remainingTime())))) {
        if (deadline.hasExpired())
            return false;
        cancelEngine();
    }
    return true;
}

bool SearchRunner::finish()
{
    if (!m_shared)
        return true;
    stop();
    if (waitForWorker()) {
        complete();
        return true;
    }
    // The worker is left to end on its own; what it found so far is shown.
    std::vector<ResultRow> rows;
    QStringList lines;
    {
        const std::lock_guard lock(m_shared->mutex);
        rows.swap(m_shared->rows);
        lines.swap(m_shared->lines);
    }
    leaveWorker();
    m_progress.elapsedMs = m_clock.elapsed();
    deliverLast(std::move(rows), std::move(lines), SearchOutcome::Stopped, nullptr);
    return false;
}

bool SearchRunner::abandon()
{
    m_sinks = {};
    return finish();
}

void SearchRunner::leaveWorker()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = nullptr;
    }
    m_shared.reset();
    m_deliveryTimer.stop();
    m_progressTimer.stop();
    QThread *thread = m_thread.release();
    // Deleted once its worker has ended, on this thread's event loop.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
}

SearchProgress SearchRunner::progress() const
{
    SearchProgress progress = m_progress;
    if (m_shared)
        progress.elapsedMs = m_clock.elapsed();
    return progress;
}

void SearchRunner::wake()
{
    if (!m_shared)
        return;
    bool ended = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        ended = m_shared->ended;
    }
    if (ended) {
        complete();
        return;
    }
    // The first batch goes at once, so the first row shows as soon as it is
    // found; later ones wait until the interval since the last has passed.
    const qint64 since = m_delivered ? m_sinceDelivery.elapsed() : UpdateIntervalMs;
    if (since >= UpdateIntervalMs)
        pump();
    else if (!m_deliveryTimer.isActive())
        m_deliveryTimer.start(int(UpdateIntervalMs - since));
}

void SearchRunner::pump()
{
    std::vector<ResultRow> rows;
    QStringList lines;
    {
        const std::lock_guard lock(m_shared->mutex);
        rows.swap(m_shared->rows);
        lines.swap(m_shared->lines);
        m_shared->wakePosted = false;
        m_progress.statement = m_shared->statement;
        m_progress.statements = m_shared->statements;
    }
    m_progress.elapsedMs = m_clock.elapsed();
    const bool delivering = !rows.empty() || !lines.isEmpty();
    deliver(std::move(rows), std::move(lines));
    // The interval runs from the end of one update to the start of the next.
    if (delivering) {
        m_delivered = true;
        m_sinceDelivery.start();
    }
    if (m_sinks.progress)
        m_sinks.progress(m_progress);
}

void SearchRunner::deliver(std::vector<ResultRow> rows, QStringList lines)
{
    m_progress.rows += qint64(rows.size());
    if (!lines.isEmpty() && m_sinks.lines)
        m_sinks.lines(std::move(lines));
    if (!rows.empty() && m_sinks.rows)
        m_sinks.rows(std::move(rows));
}

void SearchRunner::tick()
{
    if (!m_shared)
        return;
    // A statement that began after the cancel was sent is stopped too.
    if (m_shared->stop)
        cancelEngine();
    {
        const std::lock_guard lock(m_shared->mutex);
        m_progress.statement = m_shared->statement;
        m_progress.statements = m_shared->statements;
    }
    m_progress.elapsedMs = m_clock.elapsed();
    if (m_sinks.progress)
        m_sinks.progress(m_progress);
}

void SearchRunner::complete()
{
    // The worker has said its last word; its thread is about to end.
    m_thread->wait();
    std::vector<ResultRow> rows;
    QStringList lines;
    SearchOutcome outcome = SearchOutcome::Done;
    std::exception_ptr error;
    {
        const std::lock_guard lock(m_shared->mutex);
        rows.swap(m_shared->rows);
        lines.swap(m_shared->lines);
        m_progress.statement = m_shared->statement;
        m_progress.statements = m_shared->statements;
        outcome = m_shared->outcome;
        error = m_shared->error;
        m_shared->receiver = nullptr;
    }
    m_shared.reset();
    m_thread.reset();
    m_deliveryTimer.stop();
    m_progressTimer.stop();
    m_progress.elapsedMs = m_clock.elapsed();
    // The runner is idle before the window hears of the end, so that the
    // window may start the next search from there.
    deliverLast(std::move(rows), std::move(lines), outcome, error);
}

void SearchRunner::deliverLast(
    std::vector<ResultRow> rows, QStringList lines, SearchOutcome outcome, const std::exception_ptr &error)
{
    // The end is told also when the last rows could not be taken; that
    // failure is raised after it.
    std::exception_ptr deliveryError;
    try {
        deliver(std::move(rows), std::move(lines));
    } catch (...) {
        deliveryError = std::current_exception();
    }
    const SearchSinks sinks = std::exchange(m_sinks, {});
    if (sinks.finished)
        sinks.finished(outcome, m_progress, error);
    if (deliveryError)
        std::rethrow_exception(deliveryError);
}

} // namespace ks
