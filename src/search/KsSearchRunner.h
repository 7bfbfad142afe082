#pragma once
// Runs a search, or a definition fetch, on a worker thread with a connection
// of its own (see db/KsConnectionWorker.h), and hands what it finds to the
// window on the window's thread: rows and lines in batches, the first at once
// and then at most one batch every 50 ms; the statement running, the rows so
// far and the time taken; and how it ended. Stop asks the engine to stop its
// statement and ends the search; what was found before stays delivered. The
// worker never touches a window: it fills a buffer that the runner, a QObject
// living with the window, empties into the window's sinks.

#include "db/KsConnectionWorker.h"
#include "search/KsResultModel.h"
#include "search/KsSearchProgress.h"
#include "text/KsStringOutput.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace ks {

class Connection;

// Thrown on the worker once its search has been told to stop. It is no
// std::exception, so a search core's guard against one statement's errors
// lets it pass.
struct SearchStopped { };

namespace detail {
struct SearchShared;
} // namespace detail

// What a task sees of its run, on the worker thread.
class SearchContext {
public:
    // The connection opened for this run. An open that failed leaves it
    // closed, and its first statement reports why.
    Connection &connection() const { return m_connection; }
    // Hands a row, or a line of text, to the window; raises SearchStopped
    // once the search has been told to stop.
    void addRow(ResultRow row);
    void addLine(const QString &line);
    // Statement `statement` (from 1) of `statements` is about to run; raises
    // SearchStopped once the search has been told to stop.
    void statementStarted(int statement, int statements);
    bool stopRequested() const;
    void throwIfStopped() const;

    // The two above as the callbacks the search cores take.
    std::function<void(ResultRow)> rowSink();
    StatementProgress progressSink();

private:
    friend class SearchRunner;
    SearchContext(detail::SearchShared &shared, Connection &connection);

    detail::SearchShared &m_shared;
    Connection &m_connection;
};

using SearchTask = std::function<void(SearchContext &)>;

// A line output for a task: every line written goes to the window through
// the context, so a definition written line by line shows as it arrives.
class SearchLineOutput : public TKsStringOutput {
public:
    explicit SearchLineOutput(SearchContext &context)
        : m_context(context)
    {
    }
    void PutLine(const QString &line) override { m_context.addLine(line); }

private:
    SearchContext &m_context;
};

// Where a search stands, as the window shows it.
struct SearchProgress {
    int statement = 0; // the statement running, from 1; 0 while the connection opens
    int statements = 0; // how many the search runs, where it says so
    qint64 rows = 0; // rows handed to the window so far
    qint64 elapsedMs = 0; // since the search started
};

enum class SearchOutcome { Done, Stopped, Failed };

// What the window is handed, always on its own thread. Each may be empty.
struct SearchSinks {
    std::function<void(std::vector<ResultRow>)> rows;
    std::function<void(QStringList)> lines;
    std::function<void(const SearchProgress &)> progress;
    // Last of all, once the worker has ended; the error for Failed.
    std::function<void(SearchOutcome, const SearchProgress &, std::exception_ptr)> finished;
};

class SearchRunner : public QObject {
    Q_OBJECT

public:
    // At most one batch of rows and lines per this many milliseconds.
    static constexpr int UpdateIntervalMs = 50;
    // Progress, with the elapsed time, is told this often while nothing arrives.
    static constexpr int ProgressIntervalMs = 100;
    // How long finish() and abandon() wait for a worker that was told to stop.
    static constexpr int StopWaitMs = 1000;

    explicit SearchRunner(QObject *parent = nullptr);
    // Abandons a search still running.
    ~SearchRunner() override;
    SearchRunner(const SearchRunner &) = delete;
    SearchRunner &operator=(const SearchRunner &) = delete;

    // Runs `task` on a new worker thread with a connection opened from the
    // string; a search still running is finished first.
    void start(const QString &connectionString, SearchTask task, SearchSinks sinks);
    bool isRunning() const { return m_shared != nullptr; }
    bool isStopping() const;
    // Tells the running search to stop and asks its engine to stop the
    // statement, again until the worker has ended. Returns at once; the
    // sinks hear of the end as usual.
    void stop();
    // Stops the running search and waits up to StopWaitMs for its worker.
    // The rows it found and its end reach the sinks before this returns. A
    // worker that does not end in time (a server that ignores the cancel) is
    // left to end on its own, and nothing more of it reaches the sinks.
    // Returns whether the worker ended in time.
    bool finish();
    // As finish(), but the sinks hear nothing more.
    bool abandon();
    SearchProgress progress() const;

    // Worker threads of the program that have not ended yet.
    static int runningWorkers() { return ConnectionWorker::runningWorkers(); }
    // The message of an error a search ended with.
    static QString errorText(const std::exception_ptr &error) { return ConnectionWorker::errorText(error); }

private:
    friend struct detail::SearchShared;

    // The worker's whole work: run the task and keep how it ended.
    static void runTask(detail::SearchShared &shared, Connection &connection, const SearchTask &task);
    void wake();
    void pump();
    void tick();
    void complete();
    void leaveWorker();
    void deliver(std::vector<ResultRow> rows, QStringList lines);
    // The last rows and lines, then the end, to the sinks, which are let go.
    void deliverLast(
        std::vector<ResultRow> rows, QStringList lines, SearchOutcome outcome, const std::exception_ptr &error);

    std::shared_ptr<detail::SearchShared> m_shared;
    ConnectionWorker m_worker;
    SearchSinks m_sinks;
    QTimer m_deliveryTimer;
    QTimer m_progressTimer;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceDelivery;
    bool m_delivered = false;
    SearchProgress m_progress;
};

} // namespace ks
