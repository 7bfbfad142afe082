// The background runner of searches against catalogue files: rows reach the
// window's sinks in arrival order and in batches no closer than the update
// interval (the first at once), progress says which statement runs, a stop
// interrupts the engine's statement and keeps what was found, errors end the
// run with the engine's message, and no worker outlives what waits for it.

#include "db/KsAdo.h"
#include "search/KsSearchRunner.h"
#include "search/KsSearchStatus.h"
#include "support/TestCatalogue.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace {

// Counts far beyond what finishes while a test waits: only a stop ends it.
const QString kEndless = QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                                        "WHERE x < 4000000000) SELECT count(*) FROM n");

// Far beyond any run of these tests, even under a sanitizer.
constexpr int kTimeoutMs = 60000;

// Everything the sinks of one run were handed, with when.
struct Recorded {
    std::vector<int> rowNames; // the rows' names as numbers, in arrival order
    QList<qint64> batchTimes; // ms since the start, one per batch of rows
    QList<qsizetype> batchSizes;
    QStringList lines;
    QList<ks::SearchProgress> progress;
    std::optional<ks::SearchOutcome> outcome;
    ks::SearchProgress last;
    QString error;
    int finishedCalls = 0;
    QElapsedTimer clock;

    ks::SearchSinks sinks()
    {
        clock.start();
        ks::SearchSinks sinks;
        sinks.rows = [this](std::vector<ks::ResultRow> rows) {
            batchTimes << clock.elapsed();
            batchSizes << qsizetype(rows.size());
            for (const ks::ResultRow &row : rows)
                rowNames.push_back(row.name.toInt());
        };
        sinks.lines = [this](const QStringList &more) { lines << more; };
        sinks.progress = [this](const ks::SearchProgress &p) { progress << p; };
        sinks.finished = [this](ks::SearchOutcome o, const ks::SearchProgress &p, std::exception_ptr e) {
            outcome = o;
            last = p;
            error = ks::SearchRunner::errorText(e);
            ++finishedCalls;
        };
        return sinks;
    }
};

ks::ResultRow numberedRow(const QString &name)
{
    ks::ResultRow row;
    row.name = name;
    return row;
}

// Hands every row of `sql` (its first column) to the window as a row.
ks::SearchTask rowsOf(const QString &sql)
{
    return [sql](ks::SearchContext &context) {
        context.statementStarted(1, 1);
        const auto records = ks::ExecuteSql(context.connection(), sql);
        for (; !records->eof(); records->moveNext())
            context.addRow(numberedRow(records->text(0)));
    };
}

QString counting(int rows)
{
    return QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                          "SELECT x FROM n")
        .arg(rows);
}

} // namespace

class TestSearchRunner : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void rowsArriveInOrderInSpacedBatches();
    void progressNamesEachStatement();
    void linesArriveInOrder();
    void stopInterruptsRunningStatementAndKeepsRows();
    void stopBetweenStatementsStopsTheNext();
    void errorEndsTheRunWithEngineMessage();
    void failedOpenIsToldByFirstStatement();
    void finishWaitsAndTellsTheEndAtOnce();
    void abandonedRunTellsNothing();
    void destroyedRunnerLeavesNoWorker();
    void newStartFinishesTheRunningSearchFirst();
    void twoRunnersSearchAtOnce();
    void statusTexts_data();
    void statusTexts();

private:
    QString connectionString() const { return ks::test::oracleConnectionString(m_file); }

    QTemporaryDir m_dir;
    QString m_file;
};

void TestSearchRunner::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("runner.qmcat"));
    ks::test::makeCatalogue(m_file,
        {QStringLiteral("CREATE TABLE t (x INTEGER)"),
            QStringLiteral("INSERT INTO t WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                           "WHERE x < 5) SELECT x FROM n")});
}

void TestSearchRunner::cleanup()
{
    // No test leaves a worker behind.
    QTRY_COMPARE_WITH_TIMEOUT(ks::SearchRunner::runningWorkers(), 0, kTimeoutMs);
}

void TestSearchRunner::rowsArriveInOrderInSpacedBatches()
{
    constexpr int rows = 300000;
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(connectionString(), rowsOf(counting(rows)), seen.sinks());
    QVERIFY(runner.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Done);
    QCOMPARE(seen.finishedCalls, 1);
    QVERIFY(!runner.isRunning());

    // Every row once, in the order the statement gave them.
    QCOMPARE(seen.rowNames.size(), std::size_t(rows));
    for (int i = 0; i < rows; ++i) {
        if (seen.rowNames[std::size_t(i)] != i + 1)
            QFAIL(qPrintable(QStringLiteral("row %1 is %2").arg(i).arg(seen.rowNames[std::size_t(i)])));
    }
    QCOMPARE(seen.last.rows, qint64(rows));
    // The first rows go at once and alone, not with a full batch after them;
    // then no two batches come closer than the update interval (the last,
    // handed over with the end, may).
    QVERIFY2(seen.batchSizes.size() >= 2, qPrintable(QString::number(seen.batchSizes.size())));
    QVERIFY2(seen.batchSizes.constFirst() < rows / 2, qPrintable(QString::number(seen.batchSizes.constFirst())));
    for (qsizetype i = 1; i + 1 < seen.batchTimes.size(); ++i) {
        const qint64 gap = seen.batchTimes.at(i) - seen.batchTimes.at(i - 1);
        QVERIFY2(gap >= ks::SearchRunner::UpdateIntervalMs - 1,
            qPrintable(QStringLiteral("batch %1 came %2 ms after the one before").arg(i).arg(gap)));
    }
}

void TestSearchRunner::progressNamesEachStatement()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            for (int i = 1; i <= 3; ++i) {
                context.statementStarted(i, 3);
                const auto records = ks::ExecuteSql(context.connection(), QStringLiteral("SELECT %1").arg(i));
                context.addRow(numberedRow(records->text(0)));
            }
        },
        seen.sinks());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Done);
    QCOMPARE(seen.rowNames, (std::vector<int> {1, 2, 3}));
    QCOMPARE(seen.last.statement, 3);
    QCOMPARE(seen.last.statements, 3);
    QCOMPARE(seen.last.rows, 3);
    QVERIFY(seen.last.elapsedMs >= 0);
    // What progress told never goes back.
    for (qsizetype i = 1; i < seen.progress.size(); ++i) {
        QVERIFY(seen.progress.at(i).statement >= seen.progress.at(i - 1).statement);
        QVERIFY(seen.progress.at(i).rows >= seen.progress.at(i - 1).rows);
    }
}

void TestSearchRunner::linesArriveInOrder()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            ks::SearchLineOutput output(context);
            const auto records = ks::ExecuteSql(context.connection(), counting(2000));
            for (; !records->eof(); records->moveNext()) {
                output.Write(QStringLiteral("line "));
                output.WriteLn(records->text(0));
            }
        },
        seen.sinks());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Done);
    QCOMPARE(seen.lines.size(), 2000);
    QCOMPARE(seen.lines.constFirst(), QStringLiteral("line 1"));
    QCOMPARE(seen.lines.constLast(), QStringLiteral("line 2000"));
    QVERIFY(seen.rowNames.empty());
}

void TestSearchRunner::stopInterruptsRunningStatementAndKeepsRows()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            context.statementStarted(1, 2);
            context.addRow(numberedRow(QStringLiteral("7")));
            context.statementStarted(2, 2);
            // Runs until the engine is told to stop it.
            ks::ExecuteSql(context.connection(), kEndless);
        },
        seen.sinks());
    QTRY_COMPARE_WITH_TIMEOUT(seen.rowNames.size(), std::size_t(1), kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(runner.progress().statement, 2, kTimeoutMs);
    QVERIFY(runner.isRunning());
    QElapsedTimer stopping;
    stopping.start();
    runner.stop();
    QVERIFY(runner.isStopping());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    // Generous: the benchmark measures how quickly.
    QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Stopped);
    // The engine's "interrupted" is the stop, not an error.
    QCOMPARE(seen.error, QString());
    QCOMPARE(seen.rowNames, std::vector<int> {7});
    QCOMPARE(seen.last.rows, 1);
}

void TestSearchRunner::stopBetweenStatementsStopsTheNext()
{
    // The stop comes while no statement runs, so the cancel that goes with it
    // stops nothing; the statement that starts afterwards is stopped all the
    // same, by the cancel sent again while the worker has not ended.
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            while (!context.stopRequested())
                QThread::yieldCurrentThread();
            ks::ExecuteSql(context.connection(), kEndless);
        },
        seen.sinks());
    runner.stop();
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Stopped);
}

void TestSearchRunner::errorEndsTheRunWithEngineMessage()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            const auto records = ks::ExecuteSql(context.connection(), QStringLiteral("SELECT x FROM t ORDER BY x"));
            for (; !records->eof(); records->moveNext())
                context.addRow(numberedRow(records->text(0)));
            ks::ExecuteSql(context.connection(), QStringLiteral("SELECT * FROM no_such_table"));
            context.addRow(numberedRow(QStringLiteral("99")));
        },
        seen.sinks());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Failed);
    QVERIFY2(seen.error.contains(QStringLiteral("no such table: no_such_table")), qPrintable(seen.error));
    QCOMPARE(seen.rowNames, (std::vector<int> {1, 2, 3, 4, 5}));
}

void TestSearchRunner::failedOpenIsToldByFirstStatement()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(ks::test::oracleConnectionString(m_dir.filePath(QStringLiteral("missing/none.qmcat"))),
        rowsOf(QStringLiteral("SELECT 1")), seen.sinks());
    QTRY_VERIFY_WITH_TIMEOUT(seen.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Failed);
    QVERIFY2(seen.error.startsWith(QStringLiteral("The connection is not open. Opening it failed: ")),
        qPrintable(seen.error));
}

void TestSearchRunner::finishWaitsAndTellsTheEndAtOnce()
{
    ks::SearchRunner runner;
    Recorded seen;
    std::atomic<bool> added = false;
    runner.start(
        connectionString(),
        [&added](ks::SearchContext &context) {
            context.addRow(numberedRow(QStringLiteral("1")));
            added = true;
            ks::ExecuteSql(context.connection(), kEndless);
        },
        seen.sinks());
    // Waited for without turning the event loop: the row is still on its way.
    QElapsedTimer waiting;
    waiting.start();
    while (!added && waiting.elapsed() < kTimeoutMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QVERIFY(added);
    QVERIFY(seen.rowNames.empty());
    QVERIFY(runner.finish());
    // Before finish() returned: the worker has ended, the rows it found and
    // its end were handed over.
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY(!runner.isRunning());
    QVERIFY(seen.outcome.has_value());
    QCOMPARE(*seen.outcome, ks::SearchOutcome::Stopped);
    QCOMPARE(seen.rowNames, std::vector<int> {1});
    QVERIFY(runner.finish());
    QCOMPARE(seen.finishedCalls, 1);
}

void TestSearchRunner::abandonedRunTellsNothing()
{
    ks::SearchRunner runner;
    Recorded seen;
    runner.start(
        connectionString(),
        [](ks::SearchContext &context) {
            context.addRow(numberedRow(QStringLiteral("1")));
            ks::ExecuteSql(context.connection(), kEndless);
        },
        seen.sinks());
    QTRY_COMPARE_WITH_TIMEOUT(ks::SearchRunner::runningWorkers(), 1, kTimeoutMs);
    const std::size_t before = seen.rowNames.size();
    QVERIFY(runner.abandon());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY(!runner.isRunning());
    // Nothing more arrives, not even once the events have been handled.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!seen.outcome.has_value());
    QCOMPARE(seen.rowNames.size(), before);
}

void TestSearchRunner::destroyedRunnerLeavesNoWorker()
{
    Recorded seen;
    {
        ks::SearchRunner runner;
        runner.start(connectionString(), rowsOf(kEndless), seen.sinks());
        QTRY_COMPARE_WITH_TIMEOUT(ks::SearchRunner::runningWorkers(), 1, kTimeoutMs);
    }
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QCoreApplication::sendPostedEvents();
    QVERIFY(!seen.outcome.has_value());
}

void TestSearchRunner::newStartFinishesTheRunningSearchFirst()
{
    ks::SearchRunner runner;
    Recorded first;
    Recorded second;
    runner.start(connectionString(), rowsOf(kEndless), first.sinks());
    runner.start(connectionString(), rowsOf(QStringLiteral("SELECT x FROM t ORDER BY x")), second.sinks());
    // The first search heard of its stop when the second started.
    QVERIFY(first.outcome.has_value());
    QCOMPARE(*first.outcome, ks::SearchOutcome::Stopped);
    QTRY_VERIFY_WITH_TIMEOUT(second.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*second.outcome, ks::SearchOutcome::Done);
    QCOMPARE(second.rowNames, (std::vector<int> {1, 2, 3, 4, 5}));
    QCOMPARE(first.finishedCalls, 1);
}

void TestSearchRunner::twoRunnersSearchAtOnce()
{
    // Each stops only once it has seen the other's first row: neither could
    // end while the other waited for it.
    std::atomic<int> started = 0;
    const auto task = [&started](ks::SearchContext &context) {
        ++started;
        while (started < 2 && !context.stopRequested())
            QThread::yieldCurrentThread();
        const auto records = ks::ExecuteSql(context.connection(), counting(20000));
        for (; !records->eof(); records->moveNext())
            context.addRow(numberedRow(records->text(0)));
    };
    ks::SearchRunner one;
    ks::SearchRunner two;
    Recorded seenOne;
    Recorded seenTwo;
    one.start(connectionString(), task, seenOne.sinks());
    two.start(connectionString(), task, seenTwo.sinks());
    QTRY_VERIFY_WITH_TIMEOUT(seenOne.outcome.has_value() && seenTwo.outcome.has_value(), kTimeoutMs);
    QCOMPARE(*seenOne.outcome, ks::SearchOutcome::Done);
    QCOMPARE(*seenTwo.outcome, ks::SearchOutcome::Done);
    QCOMPARE(seenOne.rowNames.size(), std::size_t(20000));
    QCOMPARE(seenTwo.rowNames.size(), std::size_t(20000));
}

void TestSearchRunner::statusTexts_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("statement");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("expected");
    QTest::newRow("opening") << true << 0 << 0 << 0 << 120 << ""
                             << "Searching: opening the connection, 0.1 s";
    QTest::newRow("running") << true << 0 << 3 << 120 << 1449 << ""
                             << "Searching: statement 3 of 8, 120 rows, 1.4 s";
    QTest::newRow("one row") << true << 0 << 1 << 1 << 50 << ""
                             << "Searching: statement 1 of 8, 1 row, 0.1 s";
    QTest::newRow("done") << false << int(ks::SearchOutcome::Done) << 8 << 0 << 2000 << ""
                          << "Search done: 0 rows in 2.0 s";
    QTest::newRow("stopped") << false << int(ks::SearchOutcome::Stopped) << 4 << 17 << 300 << ""
                             << "Stopped after 17 rows, 0.3 s";
    QTest::newRow("failed, first line of the error")
        << false << int(ks::SearchOutcome::Failed) << 7 << 1 << 10 << "Invalid object name 'x'.\nmore"
        << "Search failed after 1 row, 0.0 s: Invalid object name 'x'.";
}

void TestSearchRunner::statusTexts()
{
    QFETCH(bool, running);
    QFETCH(int, outcome);
    QFETCH(int, statement);
    QFETCH(int, rows);
    QFETCH(int, elapsed);
    QFETCH(QString, error);
    ks::SearchProgress progress;
    progress.statement = statement;
    progress.statements = 8;
    progress.rows = rows;
    progress.elapsedMs = elapsed;
    const QString text
        = running ? ks::runningStatus(progress) : ks::endStatus(ks::SearchOutcome(outcome), progress, error);
    QTEST(text, "expected");
}

QTEST_GUILESS_MAIN(TestSearchRunner)
#include "tst_searchrunner.moc"
