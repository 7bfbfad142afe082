// What writing the rows costs quillmere-search: the same search of about
// 100,000 rows on the large generated Oracle catalogue, once written as JSON
// lines and once only counted (--count), run as the program in turn. The
// goal is at most 1.1 times: formatting costs at most a tenth.
//
//   bench_cli_output [catalogue] [search text]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <sys/resource.h>
#include <vector>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif
#ifndef QUILLMERE_SEARCH
#define QUILLMERE_SEARCH ""
#endif

namespace {

constexpr int Runs = 15;

struct Times {
    qint64 wallMs = -1; // -1: the run did not end with status 0
    qint64 processorMs = 0; // user and system time of both threads
};

qint64 childrenProcessorMs()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &time) { return qint64(time.tv_sec) * 1000 + time.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// What one run takes, its standard output thrown away.
Times timedRun(const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    const qint64 processorBefore = childrenProcessorMs();
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QUILLMERE_SEARCH), arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return {clock.elapsed(), childrenProcessorMs() - processorBefore};
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file = args.size() > 1 ? args.at(1) : QStringLiteral(QUILLMERE_LARGE_CATALOGUE);
    const QString text = args.size() > 2 ? args.at(2) : QStringLiteral("O");
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "no catalogue: build the oracle_large_catalogue target or name a file\n");
        return 1;
    }
    const QStringList search {QStringLiteral("--dictionary=all"), QStringLiteral("--names-only"), text, file};

    QProcess counter;
    counter.start(QStringLiteral(QUILLMERE_SEARCH), QStringList {QStringLiteral("--count")} << search);
    counter.waitForFinished(600000);
    const qint64 rows = counter.readAllStandardOutput().trimmed().toLongLong();

    // Wall and processor times of each output, the runs taking turns.
    std::vector<qint64> wall[2];
    std::vector<qint64> processor[2];
    const QStringList outputs[2] {{QStringLiteral("--count")}, {QStringLiteral("--format=jsonl")}};
    for (int run = 0; run < Runs; ++run) {
        for (int output = 0; output < 2; ++output) {
            const Times times = timedRun(QStringList(outputs[output]) << search);
            if (times.wallMs < 0) {
                std::fprintf(stderr, "a run failed\n");
                return 1;
            }
            wall[output].push_back(times.wallMs);
            processor[output].push_back(times.processorMs);
        }
    }
    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "search: " << search.join(u' ') << ", " << rows << " rows; median of " << Runs
        << " runs in turn; processor time is both threads'\n\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("output"), -8)
               .arg(QStringLiteral("wall ms"), 8)
               .arg(QStringLiteral("rows/s"), 10)
               .arg(QStringLiteral("processor ms"), 13);
    for (int output = 0; output < 2; ++output) {
        const qint64 ms = median(wall[output]);
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(output == 0 ? QStringLiteral("--count") : QStringLiteral("jsonl"), -8)
                   .arg(ms, 8)
                   .arg(qint64(rows * 1000 / std::max<qint64>(ms, 1)), 10)
                   .arg(median(processor[output]), 13);
    }
    const auto ratio = [](const std::vector<qint64> *times) {
        return QString::number(double(median(times[1])) / double(std::max<qint64>(median(times[0]), 1)), 'f', 3);
    };
    out << "\njsonl / count: " << ratio(wall) << " wall time (goal at most 1.1), " << ratio(processor)
        << " processor time\n";
    return 0;
}
