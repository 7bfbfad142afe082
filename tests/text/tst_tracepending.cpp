// The pending trace lines between producer threads and the trace window: no
// line lost or shown twice while many threads write and the window opens and
// closes meanwhile; one event on its way at a time; the switches, and the
// log file. Built once more under ThreadSanitizer by scripts/test.sh.

#include "db/KsTrace.h"
#include "text/RlFTrace.h"

#include <QAction>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Counts the pending-lines events it receives.
class Receiver : public QObject {
public:
    int events = 0;
    bool event(QEvent *event) override
    {
        if (event->type() == ks::trace::pendingEventType()) {
            ++events;
            return true;
        }
        return QObject::event(event);
    }
};

// Every line a producer writes: its thread and its number.
QString lineOf(int thread, int number)
{
    return QStringLiteral("thread %1 line %2").arg(thread).arg(number);
}

// Checks that `seen` holds every line of every thread exactly once, each
// thread's lines in the order written.
void checkEveryLineOnce(const QStringList &seen, int threads, int lines)
{
    QCOMPARE(seen.size(), qsizetype(threads) * lines);
    std::vector<int> next(std::size_t(threads), 0);
    static const QRegularExpression pattern(QStringLiteral("^thread (\\d+) line (\\d+)$"));
    for (const QString &line : seen) {
        const QRegularExpressionMatch match = pattern.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const int thread = match.captured(1).toInt();
        QVERIFY(thread >= 0 && thread < threads);
        QCOMPARE(match.captured(2).toInt(), next[std::size_t(thread)]);
        ++next[std::size_t(thread)];
    }
}

// Restores the switches and empties the list whatever a test did.
struct CleanState {
    ~CleanState()
    {
        ks::trace::setLogToFile(false);
        ks::trace::setOffline(false);
        ks::trace::takePending();
    }
};

} // namespace

class TestTracePending : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void activeOnlyWithSomewhereToGo_data()
    {
        QTest::addColumn<bool>("window");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("active");
        QTest::newRow("nothing listens") << false << false << false << false;
        QTest::newRow("window") << true << false << false << true;
        QTest::newRow("file") << false << true << false << true;
        QTest::newRow("window, offline") << true << false << true << false;
        QTest::newRow("both, offline") << true << true << true << false;
    }

    void activeOnlyWithSomewhereToGo()
    {
        QFETCH(bool, window);
        QFETCH(bool, file);
        QFETCH(bool, offline);
        QFETCH(bool, active);
        const CleanState clean;
        QTemporaryDir cache;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        Receiver receiver;
        ks::trace::attachWindow(&receiver, window);
        ks::trace::setLogToFile(file);
        ks::trace::setOffline(offline);
        QCOMPARE(ks::trace::active(), active);
        ks::trace::write(QStringLiteral("a line"));
        QCOMPARE(ks::trace::pendingCount(), window && !offline ? 1 : 0);
        ks::trace::setLogToFile(false); // closes the file
        QCOMPARE(QFile::exists(ks::trace::logFilePath()), file && !offline);
        ks::trace::detachWindow(&receiver);
        QVERIFY(!ks::trace::active());
    }

    void logFileGetsTimeStampedLines()
    {
        const CleanState clean;
        QTemporaryDir cache;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        QVERIFY(ks::trace::logFilePath().startsWith(cache.path()));
        QVERIFY(ks::trace::logFilePath().endsWith(QStringLiteral("/quillmere-trace.log")));
        ks::trace::setLogToFile(true);
        ks::trace::write(QStringLiteral("first"));
        ks::trace::write(QStringLiteral("Größe"));
        ks::trace::setLogToFile(false);
        ks::trace::write(QStringLiteral("not logged"));
        ks::trace::setLogToFile(true);
        ks::trace::write(QStringLiteral("appended"));
        ks::trace::setLogToFile(false);
        QFile file(ks::trace::logFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (.*)$"));
        QStringList texts;
        for (const QString &line : lines) {
            const QRegularExpressionMatch match = stamp.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            texts << match.captured(1);
        }
        QCOMPARE(texts, (QStringList {"first", "Größe", "appended"}));
    }

    void oneEventOnItsWayAtATime()
    {
        const CleanState clean;
        Receiver receiver;
        ks::trace::attachWindow(&receiver, true);
        for (int i = 0; i < 100; ++i)
            ks::trace::addPending(QStringLiteral("line %1").arg(i));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 1);
        QCOMPARE(ks::trace::takePending().size(), 100);
        ks::trace::addPending(QStringLiteral("after taking"));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 2);
        ks::trace::detachWindow(&receiver);
        ks::trace::addPending(QStringLiteral("while detached"));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 2);
        // Attaching with lines waiting posts at once.
        ks::trace::takePending();
        ks::trace::addPending(QStringLiteral("waiting"));
        ks::trace::attachWindow(&receiver, true);
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 3);
        ks::trace::detachWindow(&receiver);
    }

    // Producers and a consumer thread, without any window or event loop.
    void consumerThreadTakesEveryLineOnce()
    {
        const CleanState clean;
        constexpr int Threads = 6;
        constexpr int Lines = 4000;
        std::atomic<int> running {Threads};
        QStringList seen;
        std::thread consumer([&] {
            for (;;) {
                const bool last = running.load() == 0;
                seen += ks::trace::takePending();
                if (last)
                    break;
                std::this_thread::yield();
            }
        });
        std::vector<std::thread> producers;
        for (int t = 0; t < Threads; ++t) {
            producers.emplace_back([t, &running] {
                // In batches of up to three lines.
                for (int i = 0; i < Lines; i += 3) {
                    QStringList batch;
                    for (int k = i; k < std::min(i + 3, int(Lines)); ++k)
                        batch << lineOf(t, k);
                    ks::trace::addPending(batch);
                }
                --running;
            });
        }
        for (std::thread &producer : producers)
            producer.join();
        consumer.join();
        checkEveryLineOnce(seen, Threads, Lines);
    }

    // Many threads write while the trace window opens and closes, by the
    // toggle and by Exit, forty times; every line is shown by exactly one
    // window, each thread's lines in the order written.
    void windowsOpeningAndClosingShowEveryLineOnce()
    {
        const CleanState clean;
        constexpr int Threads = 8;
        constexpr int MaxLines = 50000;
        constexpr int Cycles = 40;
        QWidget owner;
        QStringList seen;
        std::atomic<bool> stop {false};
        std::vector<int> written(Threads, 0);
        std::vector<std::thread> producers;
        for (int t = 0; t < Threads; ++t) {
            producers.emplace_back([t, &stop, &written] {
                int i = 0;
                while (!stop.load() && i < MaxLines) {
                    ks::trace::addPending(lineOf(t, i++));
                    if (i % 50 == 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(200)); // pace, not wait
                }
                written[std::size_t(t)] = i;
            });
        }
        const auto openWindow = [&] {
            ShowTraceWindow(&owner, true);
            connect(
                TraceWindow(), &TfrmRlTrace::linesShown, &owner, [&seen](const QStringList &lines) { seen += lines; });
        };
        for (int cycle = 0; cycle < Cycles; ++cycle) {
            openWindow();
            for (int turn = 0; turn < 3; ++turn)
                QCoreApplication::processEvents();
            if (cycle % 2 == 0)
                TraceWindow()->miExit->trigger();
            else
                ShowTraceWindow(&owner, false);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        stop = true;
        for (std::thread &producer : producers)
            producer.join();
        // What was written while no window was open arrives in the next one.
        openWindow();
        QTRY_COMPARE(ks::trace::pendingCount(), 0);
        QCoreApplication::processEvents();
        ShowTraceWindow(&owner, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        qsizetype total = 0;
        for (int t = 0; t < Threads; ++t)
            total += written[std::size_t(t)];
        QCOMPARE(seen.size(), total);
        std::vector<int> next(Threads, 0);
        static const QRegularExpression pattern(QStringLiteral("^thread (\\d+) line (\\d+)$"));
        for (const QString &line : std::as_const(seen)) {
            const QRegularExpressionMatch match = pattern.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            const std::size_t thread = match.captured(1).toUInt();
            QVERIFY(thread < std::size_t(Threads));
            QCOMPARE(match.captured(2).toInt(), next[thread]);
            ++next[thread];
        }
        QVERIFY(total > Threads);
    }
};

QTEST_MAIN(TestTracePending)
#include "tst_tracepending.moc"
