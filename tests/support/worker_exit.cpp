// worker_exit <catalogue-file> <release-file>: abandons a search that runs
// statements, ignoring its stop, until the file exists, and ends as
// quillmere does.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "search/KsSearchRunner.h"
#include "support/TestCatalogue.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <cstdio>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString release = arguments.at(2);
    std::atomic<bool> running = false;
    ks::SearchRunner runner;
    runner.start(ks::test::oracleConnectionString(arguments.at(1)),
        [&running, release](ks::SearchContext &context) {
            running = true;
            while (!QFileInfo::exists(release)) {
                try {
                    ks::ExecuteSql(context.connection(), QStringLiteral("SELECT 1"));
                } catch (const ks::Error &) {
                    // Interrupted by the stop: on all the same.
                }
            }
            std::fputs("worker ended\n", stdout);
            std::fflush(stdout);
        },
        {});
    while (!running)
        QThread::yieldCurrentThread();
    // The runner gives up waiting for the stop and lets the worker go.
    runner.abandon();
    std::fputs("exiting\n", stdout);
    std::fflush(stdout);
    return ks::exitStatusAfterWorkers(0);
}
