#include "cli/KsCliSearch.h"

#include "base/KsStrings.h"
#include "cli/KsCliPassword.h"
#include "cli/KsCliTable.h"
#include "db/KsConnectionString.h"
#include "kinds/KsKinds.h"
#include "search/KsSnapshot.h"

#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <optional>

namespace ks::cli {

namespace {

// Ends each definition among the lines of the task that fetches them all:
// a noncharacter, which no catalogue text holds.
const QString kDefinitionEnd = QString(QChar(0xFDD0));

constexpr qsizetype kWriteChunk = 1 << 16;

// A message on one line: its lines joined, blank ones left out.
QString oneLine(const QString &text)
{
    QStringList parts;
    for (const QString &line : text.split(u'\n')) {
        if (const QString part = trimControl(line); !part.isEmpty())
            parts << part;
    }
    return parts.join(u' ');
}

} // namespace

struct CliSearch::Job {
    ResolvedConnection connection;
    QString caption;
    QString connectionString; // with the password, where one was given
    std::shared_ptr<const PreparedSearch> search;
    SearchRunner *runner = nullptr;
    QTimer timeout;
    std::vector<ResultRow> rows; // kept unless written at once
    std::vector<std::optional<QString>> definitions; // in the order of rows, as they arrive
    std::vector<bool> hasDefinition;
    QStringList definitionLines; // of the definition arriving
    bool fetchingDefinitions = false;
    SearchProgress progress;
    QString error;
    bool timedOut = false;
    bool done = false;
};

OutputFormat effectiveFormat(const CliRequest &request, bool outIsTerminal)
{
    if (request.format)
        return *request.format;
    return outIsTerminal ? OutputFormat::Table : OutputFormat::Tsv;
}

CliSearch::CliSearch(CliRequest request, CliOutput output, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_output(std::move(output))
    , m_format(effectiveFormat(m_request, m_output.outIsTerminal))
{
    if (m_format == OutputFormat::Jsonl)
        m_writer = makeRecordWriter(RecordFormat::Jsonl, resultColumns(m_request.withDefinition));
    m_progressTimer.setInterval(SearchRunner::ProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { showProgress(); });
}

CliSearch::~CliSearch()
{
    // Nothing a worker still finds may reach a search being destroyed.
    for (const auto &job : m_jobs) {
        if (job->runner)
            job->runner->abandon();
    }
}

void CliSearch::start()
{
    const std::vector<const CatalogueKind *> &kinds = catalogueKinds();
    // Each option some connection's kind lacks, with those connections.
    QMap<QString, QStringList> ignored;
    for (const QString &argument : m_request.connections) {
        auto job = std::make_unique<Job>();
        job->connection.argument = argument;
        try {
            job->connection = resolveConnection(argument, kinds);
            if (!m_request.snapshot.isEmpty()) {
                m_jobs.push_back(std::move(job));
                continue; // a snapshot takes no search options
            }
            const KindSettings settings = settingsFor(*job->connection.kind, m_request, job->connection.values);
            for (const QString &name : settings.ignored)
                ignored[name] << QStringLiteral("%1 (%2)").arg(argument, job->connection.kind->displayName());
            job->search = job->connection.kind->prepareSearch(settings.settings);
        } catch (const std::exception &) {
            job->error = ConnectionWorker::errorText(std::current_exception());
        }
        m_jobs.push_back(std::move(job));
    }
    for (auto it = ignored.cbegin(); it != ignored.cend(); ++it)
        message(QStringLiteral("--%1 is ignored for %2, whose kind has no such option.")
                    .arg(it.key(), it.value().join(QStringLiteral(", "))));
    // Every password is asked for before any search starts, so that the
    // prompts do not mix with progress.
    for (const auto &job : m_jobs) {
        if (job->error.isEmpty())
            prepare(*job);
    }
    for (const auto &job : m_jobs) {
        if (job->error.isEmpty())
            startSearch(*job);
        else {
            message(job->connection.argument + QStringLiteral(": ") + oneLine(job->error));
            job->done = true;
        }
    }
    if (m_output.progress)
        m_progressTimer.start();
    finishIfDone();
}

void CliSearch::prepare(Job &job)
{
    const CatalogueKind &kind = *job.connection.kind;
    job.caption = kind.caption(job.connection.connectionString);
    job.connectionString = job.connection.connectionString;
    const std::optional<QString> fromEnvironment = environmentPassword();
    if (kind.needsPassword(job.connectionString)) {
        std::optional<QString> password = fromEnvironment;
        if (!password)
            password = promptPassword(QStringLiteral("Password for %1: ").arg(job.caption));
        if (!password) {
            job.error = QStringLiteral("Needs a password: set QUILLMERE_PASSWORD, or run on a terminal to type it.");
            return;
        }
        job.connectionString = kind.withPassword(job.connectionString, *password);
    } else if (fromEnvironment
        && !QFileInfo(GetConnectionValue(job.connectionString, QStringLiteral("data source"))).isFile()
        && GetConnectionValue(job.connectionString, QStringLiteral("integrated security")).isEmpty()) {
        // A client with its own sources (~/.pgpass) takes the one given too.
        job.connectionString = kind.withPassword(job.connectionString, *fromEnvironment);
    }
}

void CliSearch::startSearch(Job &job)
{
    job.runner = new SearchRunner(this);
    SearchSinks sinks;
    sinks.rows = [this, &job](std::vector<ResultRow> rows) { addRows(job, std::move(rows)); };
    sinks.progress = [&job](const SearchProgress &progress) { job.progress = progress; };
    sinks.finished = [this, &job](SearchOutcome outcome, const SearchProgress &progress, std::exception_ptr error) {
        job.progress = progress;
        searchEnded(job, outcome, error);
    };
    if (m_request.timeoutMs > 0) {
        job.timeout.setSingleShot(true);
        connect(&job.timeout, &QTimer::timeout, this, [this, &job] { timedOut(job); });
        job.timeout.start(m_request.timeoutMs);
    }
    job.runner->start(job.connectionString,
        m_request.snapshot.isEmpty() ? job.search->task()
                                     : snapshotTask(*job.connection.kind, job.connectionString, m_request.snapshot),
        std::move(sinks));
}

void CliSearch::addRows(Job &job, std::vector<ResultRow> rows)
{
    const bool keep = m_format != OutputFormat::Jsonl || m_request.withDefinition;
    QByteArray &out = m_buffer;
    for (ResultRow &row : rows) {
        // The window's "no results found" line is no row.
        if (row.rowKind == 0)
            continue;
        if (!m_request.types.isEmpty()
            && !m_request.types.contains(row.subItems >= 1 ? row.type : QString(), Qt::CaseInsensitive))
            continue;
        ++m_total;
        if (m_request.count)
            continue;
        if (keep) {
            job.rows.push_back(std::move(row));
            continue;
        }
        m_writer->writeRow(job.connection.argument, row, out);
        // Written in pieces that stay in the processor's cache, through one
        // buffer that keeps its room.
        if (out.size() >= kWriteChunk) {
            clearProgress();
            m_output.out(out);
            out.resize(0);
        }
    }
    if (!out.isEmpty()) {
        clearProgress();
        m_output.out(out);
        out.resize(0);
    }
}

void CliSearch::searchEnded(Job &job, SearchOutcome outcome, const std::exception_ptr &error)
{
    if (!job.fetchingDefinitions) {
        // The rows in the window's order: by name, rows of equal names as they came.
        std::stable_sort(job.rows.begin(), job.rows.end(),
            [](const ResultRow &a, const ResultRow &b) { return compareRows(a, b, 0) < 0; });
    }
    if (job.timedOut) {
        job.error = QStringLiteral("No answer within %1 s; stopped.").arg(m_request.timeoutMs / 1000.0);
    } else if (outcome == SearchOutcome::Failed) {
        job.error = SearchRunner::errorText(error);
    } else if (outcome == SearchOutcome::Done && !job.fetchingDefinitions && m_request.withDefinition
        && !m_request.count && !job.rows.empty() && !m_interrupted) {
        startDefinitions(job);
        return;
    }
    if (!job.error.isEmpty())
        message(job.connection.argument + QStringLiteral(": ") + oneLine(job.error));
    jobDone(job);
}

void CliSearch::startDefinitions(Job &job)
{
    // One task fetches every definition on one connection, each followed by
    // a line that ends it.
    std::vector<SearchTask> fetches;
    for (const ResultRow &row : job.rows) {
        std::optional<DefinitionFetch> fetch = job.search->definition(row, job.caption);
        job.hasDefinition.push_back(fetch.has_value());
        fetches.push_back(fetch ? std::move(fetch->task) : SearchTask());
    }
    job.fetchingDefinitions = true;
    SearchSinks sinks;
    sinks.lines = [this, &job](const QStringList &lines) { addDefinitionLines(job, lines); };
    sinks.progress = [&job](const SearchProgress &progress) { job.progress = progress; };
    sinks.finished = [this, &job](SearchOutcome outcome, const SearchProgress &, std::exception_ptr error) {
        searchEnded(job, outcome, error);
    };
    job.runner->start(
        job.connectionString,
        [fetches = std::move(fetches)](SearchContext &context) {
            for (const SearchTask &fetch : fetches) {
                if (fetch)
                    fetch(context);
                context.addLine(kDefinitionEnd);
            }
        },
        std::move(sinks));
}

void CliSearch::addDefinitionLines(Job &job, const QStringList &lines)
{
    for (const QString &line : lines) {
        if (line != kDefinitionEnd) {
            job.definitionLines << line;
            continue;
        }
        const std::size_t at = job.definitions.size();
        if (at >= job.rows.size())
            continue;
        job.definitions.push_back(
            job.hasDefinition.at(at) ? std::optional(job.definitionLines.join(u'\n')) : std::nullopt);
        job.definitionLines.clear();
        if (m_format == OutputFormat::Jsonl)
            writeRecord(job, job.rows.at(at), job.definitions.back() ? &*job.definitions.back() : nullptr);
    }
}

void CliSearch::timedOut(Job &job)
{
    if (job.done || !job.runner)
        return;
    job.timedOut = true;
    job.runner->stop();
    // A server that ignores the cancel is left behind.
    QTimer::singleShot(SearchRunner::StopWaitMs, this, [this, &job] {
        if (job.done)
            return;
        job.runner->abandon();
        searchEnded(job, SearchOutcome::Stopped, nullptr);
    });
}

void CliSearch::interrupt()
{
    if (m_interrupted || m_finished)
        return;
    m_interrupted = true;
    for (const auto &job : m_jobs) {
        if (!job->done && job->runner)
            job->runner->stop();
    }
    QTimer::singleShot(SearchRunner::StopWaitMs, this, [this] {
        for (const auto &job : m_jobs) {
            if (!job->done) {
                job->runner->abandon();
                jobDone(*job);
            }
        }
    });
}

void CliSearch::jobDone(Job &job)
{
    job.done = true;
    job.timeout.stop();
    finishIfDone();
}

void CliSearch::finishIfDone()
{
    if (m_finished)
        return;
    for (const auto &job : m_jobs) {
        if (!job->done)
            return;
    }
    m_finished = true;
    m_progressTimer.stop();
    clearProgress();
    // A snapshot written is a success; it lists no rows.
    int status = m_total > 0 || !m_request.snapshot.isEmpty() ? Found : NothingFound;
    if (m_interrupted) {
        status = Interrupted;
    } else {
        if (m_request.snapshot.isEmpty())
            writeResults();
        for (const auto &job : m_jobs) {
            if (!job->error.isEmpty())
                status = Failed;
        }
    }
    // Told from the event loop, which start() may not have entered yet.
    QTimer::singleShot(0, this, [this, status] { emit finished(status); });
}

void CliSearch::writeRecord(const Job &job, const ResultRow &row, const QString *definition)
{
    QByteArray out;
    m_writer->writeRow(job.connection.argument, row, out, definition);
    clearProgress();
    m_output.out(out);
}

void CliSearch::writeResults()
{
    if (m_request.count) {
        m_output.out(QByteArray::number(m_total) + '\n');
        return;
    }
    if (m_format == OutputFormat::Jsonl) {
        // Rows without their definition, where fetching them failed.
        for (const auto &job : m_jobs) {
            for (std::size_t i = job->definitions.size(); m_request.withDefinition && i < job->rows.size(); ++i)
                writeRecord(*job, job->rows.at(i), nullptr);
        }
        return;
    }
    const QStringList columns = resultColumns(m_request.withDefinition);
    const auto definitionOf = [](const Job &job, std::size_t i) {
        return i < job.definitions.size() && job.definitions.at(i) ? &*job.definitions.at(i) : nullptr;
    };
    const auto recordOf = [this, &definitionOf](const Job &job, std::size_t i) {
        QStringList values = resultRecord(job.connection.argument, job.rows.at(i));
        if (m_request.withDefinition)
            values << (definitionOf(job, i) ? *definitionOf(job, i) : QString());
        return values;
    };
    if (m_format == OutputFormat::Table) {
        QList<QStringList> records;
        for (const auto &job : m_jobs) {
            for (std::size_t i = 0; i < job->rows.size(); ++i)
                records << recordOf(*job, i);
        }
        if (!records.isEmpty())
            m_output.out(formatTable(columns, records, m_output.width));
        return;
    }
    const RecordFormat format = m_format == OutputFormat::Csv ? RecordFormat::Csv
        : m_format == OutputFormat::Json                      ? RecordFormat::Json
                                                              : RecordFormat::Tsv;
    const std::unique_ptr<RecordWriter> writer = makeRecordWriter(format, columns);
    QByteArray out = writer->begin();
    for (const auto &job : m_jobs) {
        for (std::size_t i = 0; i < job->rows.size(); ++i) {
            writer->writeRow(job->connection.argument, job->rows.at(i), out, definitionOf(*job, i));
            if (out.size() >= kWriteChunk) {
                m_output.out(out);
                out.resize(0);
            }
        }
    }
    out += writer->end();
    m_output.out(out);
}

void CliSearch::message(const QString &text)
{
    clearProgress();
    m_output.err((kProgramName + QStringLiteral(": ") + text + u'\n').toUtf8());
}

void CliSearch::showProgress()
{
    QStringList parts;
    for (const auto &job : m_jobs) {
        const SearchProgress &p = job->progress;
        QString state;
        if (job->done)
            state = job->error.isEmpty() ? QStringLiteral("done") : QStringLiteral("failed");
        else if (p.statement == 0)
            state = QStringLiteral("connecting");
        else
            state = QStringLiteral("%1 %2 of %3")
                        .arg(m_request.snapshot.isEmpty() ? QStringLiteral("statement") : QStringLiteral("table"))
                        .arg(p.statement)
                        .arg(p.statements);
        parts << QStringLiteral("%1: %2, %3 rows, %4 s")
                     .arg(job->connection.argument, state)
                     .arg(p.rows)
                     .arg(double(p.elapsedMs) / 1000.0, 0, 'f', 1);
    }
    QString line = parts.join(QStringLiteral("; "));
    if (m_output.width > 1 && line.size() >= m_output.width)
        line = line.left(m_output.width - 1);
    m_output.err(("\r" + line + QStringLiteral("\x1b[K")).toUtf8());
    m_progressShown = true;
}

void CliSearch::clearProgress()
{
    if (!m_progressShown)
        return;
    m_progressShown = false;
    m_output.err(QByteArrayLiteral("\r\x1b[K"));
}

} // namespace ks::cli
