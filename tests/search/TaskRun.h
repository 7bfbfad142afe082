#pragma once
// Running a task on the background runner, as a window runs its search, and
// waiting for its end: for the tests that need no window.

#include "search/KsSearchRunner.h"

#include <QStringList>
#include <QtTest>

#include <iterator>
#include <optional>
#include <vector>

namespace ks::test {

// Far beyond what any search of the tests takes, even under a sanitizer.
constexpr int kBackgroundTimeoutMs = 60000;

// What a task run by the background runner handed over, once it ended.
struct TaskRun {
    std::optional<ks::SearchOutcome> outcome; // none: it did not end in time
    QString error;
    std::vector<ks::ResultRow> rows; // in arrival order
    QStringList lines;
};

// Runs the task on a connection of its own, as a window runs a search, and
// waits for its end; `stopAtOnce` tells it to stop right after the start.
inline TaskRun runTask(const QString &connectionString, ks::SearchTask task, bool stopAtOnce = false)
{
    TaskRun run;
    ks::SearchRunner runner;
    ks::SearchSinks sinks;
    sinks.rows = [&run](std::vector<ks::ResultRow> rows) {
        std::move(rows.begin(), rows.end(), std::back_inserter(run.rows));
    };
    sinks.lines = [&run](const QStringList &lines) { run.lines << lines; };
    sinks.finished = [&run](ks::SearchOutcome outcome, const ks::SearchProgress &, std::exception_ptr error) {
        run.outcome = outcome;
        run.error = ks::SearchRunner::errorText(error);
    };
    runner.start(connectionString, std::move(task), std::move(sinks));
    if (stopAtOnce)
        runner.stop();
    // A run that does not end in time says so by its missing outcome.
    if (!QTest::qWaitFor([&run] { return run.outcome.has_value(); }, kBackgroundTimeoutMs))
        run.error = QStringLiteral("<the task did not end>");
    return run;
}

} // namespace ks::test
