#pragma once
// Work on a connection of its own, on a worker thread: the connection is
// opened there from a string, used there and closed there (a Qt SQL
// connection belongs to the thread that opened it), and how the work ended is
// told on the thread the worker object lives in, so that a window never waits
// for a login or a statement. A cancel reaches the engine from the owner's
// thread; a worker that is let go of ends on its own, unheard. Every worker
// of the program is counted until it has ended, so that the program can wait
// for the workers still running before it exits.

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class QThread;

namespace ks {

class Connection;

namespace detail {
struct WorkerRun;
} // namespace detail

class ConnectionWorker : public QObject {
    Q_OBJECT

public:
    // Runs on the worker with the connection opened for it. An open that
    // failed leaves the connection closed: Connection::openError() says why,
    // and its first statement reports it.
    using Work = std::function<void(Connection &)>;
    // Told on the owner's thread once the work has returned and its
    // connection is closed, with what the work raised, if anything.
    using Ended = std::function<void(std::exception_ptr)>;

    // How often wait() sends the cancel again: a cancel that came between two
    // statements found none to stop.
    static constexpr int CancelRepeatMs = 20;

    explicit ConnectionWorker(QObject *parent = nullptr);
    // Lets a worker that still runs go.
    ~ConnectionWorker() override;
    ConnectionWorker(const ConnectionWorker &) = delete;
    ConnectionWorker &operator=(const ConnectionWorker &) = delete;

    // Runs `work` on a new worker thread; a worker still running is let go first.
    void start(const QString &connectionString, Work work, Ended ended);
    bool isRunning() const { return m_run != nullptr; }
    // Asks the engine to stop the statement running on the worker's
    // connection; returns at once. A login cannot be stopped.
    void cancel();
    // Waits until `deadline` for the worker to end, sending the cancel again
    // meanwhile when `cancelling`. A worker that ended in time has been told
    // of (its Ended called) before this returns true; true also when none runs.
    bool wait(QDeadlineTimer deadline, bool cancelling);
    // Asks the engine to stop and lets the worker end on its own: nothing
    // more of it is told.
    void abandon();

    // Workers of the program that have not ended yet, let go of or not.
    static int runningWorkers();
    // Waits until every worker of the program has ended or the deadline has
    // passed; whether all have.
    static bool waitForAll(QDeadlineTimer deadline);
    // The message of an error a work ended with.
    static QString errorText(const std::exception_ptr &error);

private:
    void workerEnded(const std::shared_ptr<detail::WorkerRun> &run);
    void tellEnd();

    std::shared_ptr<detail::WorkerRun> m_run;
    std::unique_ptr<QThread> m_thread;
    Ended m_ended;
};

// How long the program waits at its end for workers that still run.
inline constexpr int kExitWaitMs = 2000;

// The program's end, once its windows are gone: waits up to kExitWaitMs for
// the workers that still run and returns `status` when all have ended. One
// that has not (a driver call that never returns) must not be inside the
// driver while the application and the static objects go: the output is
// flushed and the process ends here with `status`, without running the
// static destructors.
int exitStatusAfterWorkers(int status);

} // namespace ks
