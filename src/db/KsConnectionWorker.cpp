#include "db/KsConnectionWorker.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace ks {

namespace detail {

// What a worker and its owner share. The owner stops listening under the
// lock; the worker posts its end under the same lock.
struct WorkerRun {
    std::mutex mutex;
    ConnectionWorker *owner = nullptr; // while it listens
    std::exception_ptr error;

    // The open connection, for a cancel from the owner's thread; entered
    // once it is open and taken out before it closes, under its own lock.
    std::mutex connectionMutex;
    Connection *connection = nullptr;
};

} // namespace detail

namespace {

// Every worker of the program. Never destroyed: a worker that outlives
// main() (the exit gave up waiting for it) still reports its end here.
struct Registry {
    std::mutex mutex;
    std::condition_variable allEnded;
    int running = 0;
    // Threads let go of while they ran, deleted once they have finished.
    std::vector<std::unique_ptr<QThread>> letGo;

    // Under `mutex`.
    void prune()
    {
        std::erase_if(letGo, [](const std::unique_ptr<QThread> &thread) { return thread->isFinished(); });
    }
};

Registry &registry()
{
    static Registry &instance = *new Registry;
    return instance;
}

// Keeps the connection where a cancel can reach it while it is open.
class CancelReach {
public:
    CancelReach(detail::WorkerRun &run, Connection &connection)
        : m_run(run)
    {
        const std::lock_guard lock(m_run.connectionMutex);
        m_run.connection = &connection;
    }
    ~CancelReach()
    {
        const std::lock_guard lock(m_run.connectionMutex);
        m_run.connection = nullptr;
    }
    CancelReach(const CancelReach &) = delete;
    CancelReach &operator=(const CancelReach &) = delete;

private:
    detail::WorkerRun &m_run;
};

} // namespace

ConnectionWorker::ConnectionWorker(QObject *parent)
    : QObject(parent)
{
}

ConnectionWorker::~ConnectionWorker()
{
    abandon();
}

void ConnectionWorker::start(const QString &connectionString, Work work, Ended ended)
{
    abandon();
    auto run = std::make_shared<detail::WorkerRun>();
    run->owner = this;
    // The thread keeps the run alive for as long as it runs, also after the
    // owner has let it go.
    std::unique_ptr<QThread> thread(QThread::create([run, connectionString, work = std::move(work)] {
        std::exception_ptr error;
        try {
            // As every operation does: a failed open is told by the first statement.
            const ConnectionPtr connection = OpenConnection(connectionString, QString(), QString());
            {
                const CancelReach reach(*run, *connection);
                work(*connection);
            }
            connection->close();
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(run->mutex);
            run->error = error;
            // An owner that goes away takes the posted call with it; it
            // cannot go while this lock is held.
            if (ConnectionWorker *owner = run->owner)
                QMetaObject::invokeMethod(
                    owner, [owner, run] { owner->workerEnded(run); }, Qt::QueuedConnection);
        }
        Registry &workers = registry();
        const std::lock_guard lock(workers.mutex);
        if (--workers.running == 0)
            workers.allEnded.notify_all();
    }));
    thread->setObjectName(QStringLiteral("connection worker"));
    {
        Registry &workers = registry();
        const std::lock_guard lock(workers.mutex);
        ++workers.running;
    }
    m_run = std::move(run);
    m_thread = std::move(thread);
    m_ended = std::move(ended);
    m_thread->start();
}

void ConnectionWorker::cancel()
{
    if (!m_run)
        return;
    const std::lock_guard lock(m_run->connectionMutex);
    if (m_run->connection)
        m_run->connection->cancel();
}

bool ConnectionWorker::wait(QDeadlineTimer deadline, bool cancelling)
{
    if (!m_run)
        return true;
    for (;;) {
        const qint64 remaining = deadline.remainingTime(); // -1: for ever
        const qint64 slice = remaining < 0 ? CancelRepeatMs : std::min<qint64>(CancelRepeatMs, remaining);
        if (m_thread->wait(QDeadlineTimer(slice)))
            break;
        if (deadline.hasExpired())
            return false;
        if (cancelling)
            cancel();
    }
    tellEnd();
    return true;
}

void ConnectionWorker::abandon()
{
    if (!m_run)
        return;
    cancel();
    {
        const std::lock_guard lock(m_run->mutex);
        m_run->owner = nullptr;
    }
    m_run.reset();
    m_ended = {};
    Registry &workers = registry();
    const std::lock_guard lock(workers.mutex);
    workers.letGo.push_back(std::move(m_thread));
    workers.prune();
}

void ConnectionWorker::workerEnded(const std::shared_ptr<detail::WorkerRun> &run)
{
    // A run that wait() has told of already, or one let go of.
    if (run != m_run)
        return;
    tellEnd();
}

void ConnectionWorker::tellEnd()
{
    // The worker has said its last word; its thread is about to end.
    m_thread->wait();
    std::exception_ptr error;
    {
        const std::lock_guard lock(m_run->mutex);
        error = m_run->error;
        m_run->owner = nullptr;
    }
    m_run.reset();
    m_thread.reset();
    // Idle before the owner hears of the end, so that it may start the next
    // work from there.
    const Ended ended = std::exchange(m_ended, {});
    if (ended)
        ended(error);
}

int ConnectionWorker::runningWorkers()
{
    Registry &workers = registry();
    const std::lock_guard lock(workers.mutex);
    return workers.running;
}

bool ConnectionWorker::waitForAll(QDeadlineTimer deadline)
{
    Registry &workers = registry();
    std::unique_lock lock(workers.mutex);
    const auto ended = [&workers] { return workers.running == 0; };
    if (deadline.isForever())
        workers.allEnded.wait(lock, ended);
    else if (!workers.allEnded.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), ended))
        return false;
    // Their work has returned; their threads are leaving Qt's code, which
    // must be over before the application goes.
    for (const std::unique_ptr<QThread> &thread : workers.letGo) {
        if (!thread->wait(deadline))
            return false;
    }
    workers.prune();
    return true;
}

QString ConnectionWorker::errorText(const std::exception_ptr &error)
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

int exitStatusAfterWorkers(int status)
{
    if (ConnectionWorker::waitForAll(QDeadlineTimer(kExitWaitMs)))
        return status;
    std::fflush(nullptr);
    std::quick_exit(status);
}

} // namespace ks
