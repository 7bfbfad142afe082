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
#include <vector>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif
#ifndef QUILLMERE_SEARCH
#define QUILLMERE_SEARCH ""
#endif

namespace {

constexpr int Runs = 9;

// The milliseconds one run takes, its standard output thrown away; -1 when
// it does not end with status 0.
qint64 timedRun(const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QUILLMERE_SEARCH), arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return clock.elapsed();
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

    std::vector<qint64> counted;
    std::vector<qint64> written;
    for (int run = 0; run < Runs; ++run) {
        counted.push_back(timedRun(QStringList {QStringLiteral("--count")} << search));
        written.push_back(timedRun(QStringList {QStringLiteral("--format=jsonl")} << search));
        if (counted.back() < 0 || written.back() < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    const qint64 countMs = median(counted);
    const qint64 jsonlMs = median(written);
    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "search: " << search.join(u' ') << ", " << rows << " rows; wall time, median of " << Runs
        << " runs in turn\n\n";
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("output"), -8)
               .arg(QStringLiteral("ms"), 8)
               .arg(QStringLiteral("rows/s"), 10);
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("--count"), -8)
               .arg(countMs, 8)
               .arg(qint64(rows * 1000 / std::max<qint64>(countMs, 1)), 10);
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("jsonl"), -8)
               .arg(jsonlMs, 8)
               .arg(qint64(rows * 1000 / std::max<qint64>(jsonlMs, 1)), 10);
    const double ratio = double(jsonlMs) / double(std::max<qint64>(countMs, 1));
    out << "\njsonl / count: " << QString::number(ratio, 'f', 3) << " (goal at most 1.1)\n";
    return 0;
}
