// Background searches of the Oracle and Designer windows on catalogue files
// whose dictionary holds a view without end, so that a statement runs until
// it is stopped: Stop interrupts SQLite's statement and keeps what the
// earlier statements listed, the Designer's search log fills as its
// statements run, and closing or leaving the program mid-search leaves no
// worker behind. The windows read their option lists on a worker too, and
// the program's end waits for a worker that ignores its stop, for a while.

#include "app/FMain.h"
#include "db/KsConnection.h"
#include "db/KsConnectionWorker.h"
#include "kinds/designer/FConnectDesigner.h"
#include "kinds/oracle/FConnectOracle.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "support/OracleFixture.h"
#include "support/ResultListDriving.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <atomic>
#include <future>

using ks::test::listedRows;
using ks::test::memoText;

namespace {

// Rows without end that match nothing: a statement over them runs until it
// is stopped.
const QString kEndlessRows = QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                                            "WHERE x < 4000000000) ");

// Answered within a second; the bound keeps a loaded machine from failing.
constexpr int kStopBoundMs = 3000;

QStringList memoLines(const TfrmKsTextViewer *viewer)
{
    return memoText(viewer).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSearchStop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stopInterruptsTheCatalogueStatement();
    void closingMidSearchWaitsForTheWorker();
    void exitMidSearchWaitsForTheWorker();
    void designerLogFillsAsStatementsRun();
    void optionListsAreReadOffTheWindowsThread_data();
    void optionListsAreReadOffTheWindowsThread();
    void exitWaitsForWorkersStillRunning_data();
    void exitWaitsForWorkersStillRunning();

private:
    TfrmConnectionOracle *openOracle()
    {
        TfrmConnectionOracle *window
            = TfrmConnectionOracle::open(m_main.get(), ks::test::oracleConnectionString(m_oracle));
        if (!ks::test::optionsRead(window))
            qWarning("the option lists were not read");
        return window;
    }
    TfrmConnectionOracle *startOracleSearch()
    {
        TfrmConnectionOracle *window = openOracle();
        window->edFind->setText(QStringLiteral("emp"));
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
        return window;
    }
    TfrmKsTextViewer *viewer(const QString &caption) const
    {
        for (KsMdiChild *child : m_main->childWindows()) {
            if (auto *textViewer = qobject_cast<TfrmKsTextViewer *>(child); textViewer && child->caption() == caption)
                return textViewer;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
    QString m_oracle;
    QString m_repository;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

void TestSearchStop::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The dictionary of the fixture, with column names that never end: the
    // object and view statements list their rows, the column statement
    // (the third of eight) runs until it is stopped.
    m_oracle = m_dir.filePath(QStringLiteral("endless.qmcat"));
    QStringList oracle = ks::test::oracleFixture();
    oracle << QStringLiteral("DROP VIEW USER_TAB_COLUMNS")
           << QStringLiteral("CREATE VIEW USER_TAB_COLUMNS AS ") + kEndlessRows
            + QStringLiteral("SELECT 'T' || x AS TABLE_NAME, 'C' || x AS COLUMN_NAME, x AS COLUMN_ID FROM n");
    ks::test::makeCatalogue(m_oracle, oracle);

    // A repository of three element tables: entities, one without end, and
    // one after it.
    m_repository = m_dir.filePath(QStringLiteral("repository.qmcat"));
    ks::test::makeCatalogue(m_repository,
        {QStringLiteral("CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION, REPOSITORY_VERSION)"),
            QStringLiteral("INSERT INTO RM$REPOSITORIES VALUES (1, 2)"),
            QStringLiteral("CREATE TABLE USER_TAB_COLUMNS (TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH)"),
            QStringLiteral("INSERT INTO USER_TAB_COLUMNS VALUES ('CI_ENTITIES', 'NAME', 'VARCHAR2', 40), "
                           "('CI_ENTITIES', 'REMARK', 'VARCHAR2', 200), ('CI_SLOW', 'NAME', 'VARCHAR2', 40), "
                           "('CI_ZONES', 'NAME', 'VARCHAR2', 40)"),
            QStringLiteral("CREATE TABLE CI_APPLICATION_SYSTEMS (ID, NAME, VERSION)"),
            QStringLiteral("INSERT INTO CI_APPLICATION_SYSTEMS VALUES (7, 'SHOP', 1)"),
            QStringLiteral("CREATE TABLE CI_ENTITIES (NAME, REMARK, APPLICATION_SYSTEM_OWNED_BY)"),
            QStringLiteral("INSERT INTO CI_ENTITIES VALUES ('ORDER_LINE', 'one line of an order', 7), "
                           "('CUSTOMER', 'places orders', 7), ('STOCK', 'what is kept', 7)"),
            QStringLiteral("CREATE VIEW CI_SLOW AS ") + kEndlessRows
                + QStringLiteral("SELECT 'S' || x AS NAME, 7 AS APPLICATION_SYSTEM_OWNED_BY FROM n"),
            QStringLiteral("CREATE TABLE CI_ZONES (NAME, APPLICATION_SYSTEM_OWNED_BY)"),
            QStringLiteral("INSERT INTO CI_ZONES VALUES ('ORDER_ZONE', 7)")});
}

void TestSearchStop::init()
{
    m_seams = std::make_unique<ks::test::SeamsInPlace>();
    m_main = std::make_unique<TfrmMain>();
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestSearchStop::cleanup()
{
    m_main.reset();
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    m_seams.reset();
}

void TestSearchStop::stopInterruptsTheCatalogueStatement()
{
    TfrmConnectionOracle *window = startOracleSearch();
    // The rows of the first two statements, then the endless third.
    const QStringList found {"EMP|Table||Table Name|1", "EMP_V|View||View Definition|2", "EMP_V|View||View Name|1"};
    QTRY_VERIFY(window->statusText().startsWith(QStringLiteral("Searching: statement 3 of 8, 3 rows, ")));
    QCOMPARE(listedRows(window), found);
    QCOMPARE(m_main->lbStatus->text(), window->statusText());

    QElapsedTimer stopping;
    stopping.start();
    QTest::mouseClick(window->btnFind, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isSearching(), kStopBoundMs);
    QVERIFY2(stopping.elapsed() < kStopBoundMs, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QCOMPARE(listedRows(window), found);
    QVERIFY2(
        window->statusText().startsWith(QStringLiteral("Stopped after 3 rows, ")), qPrintable(window->statusText()));
    // SQLite's "interrupted" is the stop, not an error to show.
    QCOMPARE(m_seams->messages.shown, QStringList());
    QCOMPARE(window->btnFind->text(), QStringLiteral("&Find"));

    // The window searches again as before.
    window->cbIncViewDefs->setChecked(false);
    QTest::mouseClick(window->btnFind, Qt::LeftButton);
    QTRY_VERIFY(window->statusText().startsWith(QStringLiteral("Searching: statement 2 of 7, 2 rows, ")));
    window->stopSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!window->isSearching(), kStopBoundMs);
    QCOMPARE(listedRows(window), (QStringList {"EMP|Table||Table Name|1", "EMP_V|View||View Name|1"}));
}

void TestSearchStop::closingMidSearchWaitsForTheWorker()
{
    TfrmConnectionOracle *window = startOracleSearch();
    QTRY_VERIFY(window->statusText().startsWith(QStringLiteral("Searching: statement 3 of 8")));
    QCOMPARE(ks::SearchRunner::runningWorkers(), 1);
    QPointer<TfrmConnectionOracle> guard(window);
    QVERIFY(window->subWindow()->close());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(m_main->lbStatus->text(), QString());
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestSearchStop::exitMidSearchWaitsForTheWorker()
{
    TfrmConnectionOracle *one = startOracleSearch();
    TfrmConnectionOracle *two = startOracleSearch();
    QTRY_VERIFY(one->statusText().startsWith(QStringLiteral("Searching: statement 3 of 8"))
        && two->statusText().startsWith(QStringLiteral("Searching: statement 3 of 8")));
    QCOMPARE(ks::SearchRunner::runningWorkers(), 2);
    QElapsedTimer exiting;
    exiting.start();
    m_main->miExitClick();
    QVERIFY(!m_main->isVisible());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY2(exiting.elapsed() < 2 * kStopBoundMs, qPrintable(QString::number(exiting.elapsed())));
}

void TestSearchStop::designerLogFillsAsStatementsRun()
{
    auto *window = TfrmConnectionDesigner::open(
        m_main.get(), ks::test::oracleConnectionString(m_repository, QStringLiteral("REPOS")));
    QVERIFY(ks::test::optionsRead(window));
    QCOMPARE(window->cbAppSys->count(), 1);
    window->cbAppSys->setCurrentIndex(0);
    Q_EMIT window->cbAppSys->activated(0);
    window->edFind->setText(QStringLiteral("order"));
    QTest::mouseClick(window->btnFind, Qt::LeftButton);
    TfrmKsTextViewer *log = viewer(QStringLiteral("search for 'order' in ") + window->caption());
    QVERIFY(log);

    // The id statement, the two entity columns, then the endless table: the
    // log holds each statement as it starts, while the search still runs.
    QTRY_COMPARE(memoLines(log).size(), 4);
    QVERIFY(window->isSearching());
    QVERIFY(memoLines(log).constLast().startsWith(QStringLiteral("SELECT NAME, NAME FROM CI_SLOW ")));
    QVERIFY2(window->statusText().startsWith(QStringLiteral("Searching: statement 4 of 5, 3 rows, ")),
        qPrintable(window->statusText()));

    // Stopped there, the search goes no further: no statement for the table
    // after it, though the search skips a failing column's statement.
    // Esc in the window: the log viewer opened in front of it, so the user
    // comes back to the window first.
    m_main->mdiArea()->setActiveSubWindow(window->subWindow());
    window->edFind->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), window->edFind);
    QTest::keyClick(window->edFind, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isSearching(), kStopBoundMs);
    QCOMPARE(memoLines(log).size(), 4);
    QCOMPARE(window->resultModel()->rowCount(), 3);
    QCOMPARE(window->resultModel()->row(0).name, QStringLiteral("CUSTOMER"));
    QVERIFY2(
        window->statusText().startsWith(QStringLiteral("Stopped after 3 rows, ")), qPrintable(window->statusText()));
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestSearchStop::optionListsAreReadOffTheWindowsThread_data()
{
    QTest::addColumn<bool>("designer");
    QTest::addColumn<bool>("closed"); // while it waits for the catalogue
    QTest::addColumn<int>("windows"); // once the reading has ended
    QTest::addColumn<int>("listed"); // in its first list
    QTest::newRow("Oracle") << false << false << 1 << 3;
    // With the viewer of its repository query.
    QTest::newRow("Designer") << true << false << 2 << 1;
    QTest::newRow("Designer closed meanwhile") << true << true << 0 << 0;
}

void TestSearchStop::optionListsAreReadOffTheWindowsThread()
{
    QFETCH(bool, designer);
    QFETCH(bool, closed);
    QFETCH(int, windows);
    QFETCH(int, listed);
    // Every statement off the window's thread waits until the test lets it
    // go; one on the window's thread would hold the window, and is noted.
    std::promise<void> gate;
    std::atomic<bool> onWindowThread = false;
    const ks::ScopedStatementObserver observer([held = gate.get_future().share(), &onWindowThread](const QString &) {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            onWindowThread = true;
        else
            held.wait();
    });
    // Also after a failed check: no worker may reach the observer once it has gone.
    const auto releaseWorkers = [&gate] {
        gate.set_value();
        return ks::ConnectionWorker::waitForAll(QDeadlineTimer(ks::test::kBackgroundTimeoutMs));
    };
    auto release = qScopeGuard(releaseWorkers);

    TfrmConnectionBase *window = designer
        ? static_cast<TfrmConnectionBase *>(TfrmConnectionDesigner::open(
            m_main.get(), ks::test::oracleConnectionString(m_repository, QStringLiteral("REPOS"))))
        : TfrmConnectionOracle::open(m_main.get(), ks::test::oracleConnectionString(m_oracle));
    const QPointer<QComboBox> list = window->findChild<QComboBox *>(designer ? "cbAppSys" : "cbDict");
    QVERIFY(!onWindowThread);
    QVERIFY(window->isVisible() && window->isConnecting());
    QTRY_COMPARE(m_main->lbStatus->text(), QStringLiteral("Connecting..."));
    if (closed) {
        QVERIFY(window->subWindow()->close());
        QTRY_VERIFY(list.isNull());
    }

    release.dismiss();
    QVERIFY(releaseWorkers());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_main->childWindows().size(), windows);
    QCOMPARE(m_seams->messages.shown, QStringList());
    if (!closed) {
        QCOMPARE(list->count(), listed);
        QCOMPARE(m_main->activeChild(), window);
        QCOMPARE(m_main->lbStatus->text(), QString());
    }
}

void TestSearchStop::exitWaitsForWorkersStillRunning_data()
{
    QTest::addColumn<bool>("released");
    QTest::newRow("worker ends while the program waits") << true;
    QTest::newRow("worker never ends") << false;
}

void TestSearchStop::exitWaitsForWorkersStillRunning()
{
    // The program ends with a search running statements, ignoring its stop,
    // until the file is there.
    QFETCH(bool, released);
    const QString release = m_dir.filePath(QStringLiteral("release-%1").arg(int(released)));
    QProcess process;
    process.start(qEnvironmentVariable("QUILLMERE_WORKER_EXIT"), {m_oracle, release});
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT(
        (output += process.readAllStandardOutput()).contains("exiting\n"), ks::test::kBackgroundTimeoutMs);
    if (released) {
        QFile file(release);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(process.waitForFinished(ks::test::kBackgroundTimeoutMs));
    output += process.readAllStandardOutput();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(output.contains("worker ended\n"), released);
}

QTEST_MAIN(TestSearchStop)
#include "tst_searchstop.moc"
