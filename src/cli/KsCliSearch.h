#pragma once
// The search quillmere-search runs: every connection on a runner and a
// connection of its own, all at once, each with the search its window would
// run with the same settings. Rows are written as the request's format asks,
// errors are told on the standard error naming their connection, and the end
// comes with grep's exit status.

#include "cli/KsCliConnection.h"
#include "cli/KsCliOptions.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultFormat.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace ks::cli {

// Where the program writes, and what it knows of its terminal.
struct CliOutput {
    std::function<void(const QByteArray &)> out; // the rows; flushed by each call
    std::function<void(const QByteArray &)> err; // messages, warnings and progress
    bool progress = false; // progress lines on err while the search runs
    bool outIsTerminal = false;
    int width = 0; // of the table, 0: no limit
};

class CliSearch : public QObject {
    Q_OBJECT

public:
    CliSearch(CliRequest request, CliOutput output, QObject *parent = nullptr);
    ~CliSearch() override;
    CliSearch(const CliSearch &) = delete;
    CliSearch &operator=(const CliSearch &) = delete;

    // Resolves the connections, asks for passwords, and starts every search;
    // finished() may come before this returns (nothing left to run).
    void start();
    // Stops every search, as Stop does in the windows; finished() then says
    // Interrupted.
    void interrupt();

Q_SIGNALS:
    void finished(int status);

private:
    struct Job;

    void prepare(Job &job);
    void startSearch(Job &job);
    void startDefinitions(Job &job);
    void addRows(Job &job, std::vector<ResultRow> rows);
    void addDefinitionLines(Job &job, const QStringList &lines);
    void searchEnded(Job &job, SearchOutcome outcome, const std::exception_ptr &error);
    void timedOut(Job &job);
    void jobDone(Job &job);
    void finishIfDone();
    void writeResults();
    void writeRecord(const Job &job, const ResultRow &row, const QString *definition);
    void message(const QString &text);
    void showProgress();
    void clearProgress();

    CliRequest m_request;
    CliOutput m_output;
    OutputFormat m_format;
    std::unique_ptr<RecordWriter> m_writer; // for rows written as they arrive
    QByteArray m_buffer; // their text on its way out
    std::vector<std::unique_ptr<Job>> m_jobs;
    QTimer m_progressTimer;
    qint64 m_total = 0;
    bool m_interrupted = false;
    bool m_finished = false;
    bool m_progressShown = false;
};

// The output format the request asks for, or its default on this output.
OutputFormat effectiveFormat(const CliRequest &request, bool outIsTerminal);

} // namespace ks::cli
