// Searches that never freeze the program, on the SQL Server window against
// the TDS test server through FreeTDS: rows that arrive slowly show as they
// come, Find reads Stop meanwhile and stops the statement on a server that
// has paused, the status bar tells how far the search has come and how it
// ended, other windows and short-cuts go on working, two windows search at
// once, and closing a window, a new Find, Duplicate or Exit stop the search
// and leave no worker behind. A definition fetch follows the same rules.

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "kinds/mssql/FConnectMsSql.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "settings/SettingsTestSupport.h"
#include "shell/KsWebHelp.h"
#include "support/ResultListDriving.h"
#include "support/TdsTestServer.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using ks::test::KnobGuard;
using ks::test::listedRows;
using ks::test::memoText;
using ks::test::TdsTestServer;

namespace {

const QString kDatabase = QStringLiteral("shop");
const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("secret");

// The stop is answered within a second; this bound only keeps a machine
// under load from failing the test.
constexpr int kStopBoundMs = 3000;

QStringList memoLines(const TfrmKsTextViewer *viewer)
{
    return memoText(viewer).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestBackgroundSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase() { m_server.reset(); }

    void rowsShowAsTheyArriveInNameOrder();
    void stopOnPausedServerKeepsTheRows_data();
    void stopOnPausedServerKeepsTheRows();
    void stopBeforeAnyRowListsNothing();
    void programGoesOnWhileASearchWaits();
    void twoWindowsSearchAtOnce();
    void statusBarFollowsTheActiveWindow();
    void sortChosenDuringSearchIsKept();
    void newFindStopsTheRunningSearch();
    void duplicateStopsTheRunningSearch();
    void closingMidSearchLeavesNothingRunning();
    void exitMidSearchLeavesNothingRunning();
    void errorMidSearchIsToldApart();
    void definitionArrivesLineByLineAndClosingStopsIt();

private:
    QString serverName() const { return QStringLiteral("127.0.0.1,%1").arg(m_server->port()); }
    TfrmConnectionMsSql *openOnServer()
    {
        return TfrmConnectionMsSql::open(
            m_main.get(), ks::BuildMsSqlConnectionString(serverName(), kDatabase, kUser, kPassword));
    }
    TfrmConnectionMsSql *openOnFile()
    {
        return TfrmConnectionMsSql::open(
            m_main.get(), ks::BuildMsSqlConnectionString(m_file, kDatabase, QString(), QString()));
    }
    // Types the text and clicks Find; the search goes on in the background.
    static void startSearch(TfrmConnectionMsSql *window, const QString &text)
    {
        window->edFind->setText(text);
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
    }
    // What the same window lists from the catalogue file itself.
    QStringList listedFromFile(const QString &text)
    {
        TfrmConnectionMsSql *window = openOnFile();
        window->edFind->setText(text);
        if (!ks::test::findAndWait(window))
            return {QStringLiteral("<the search did not end>")};
        const QStringList rows = listedRows(window);
        window->subWindow()->close();
        return rows;
    }
    QString statusBar() const { return m_main->lbStatus->text(); }

    QString m_file;
    std::unique_ptr<TdsTestServer> m_server;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

void TestBackgroundSearch::initTestCase()
{
    if (const QString why = ks::test::freeTdsUnavailable(true); !why.isEmpty())
        QSKIP(qPrintable(why));
    m_file = qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE");
    QVERIFY2(QFileInfo::exists(m_file), qPrintable(m_file + QStringLiteral(" is missing: build mssql_demo_catalogue")));
    m_server = std::make_unique<TdsTestServer>(m_file, kUser, kPassword);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestBackgroundSearch::init()
{
    m_config = std::make_unique<ks::test::ConfigHome>();
    m_seams = std::make_unique<ks::test::SeamsInPlace>();
    m_main = std::make_unique<TfrmMain>();
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestBackgroundSearch::cleanup()
{
    m_main.reset();
    // Whatever a test left running ended with its window.
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    m_seams.reset();
    m_config.reset();
}

void TestBackgroundSearch::rowsShowAsTheyArriveInNameOrder()
{
    const QStringList all = listedFromFile(QStringLiteral("Order"));
    QVERIFY(all.size() > 10);

    const KnobGuard guard(*m_server);
    m_server->setRowDelay(20);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QCOMPARE(window->btnFind->text(), QStringLiteral("&Stop"));
    QVERIFY(window->btnFind->isEnabled());
    QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::WaitCursor);
    QVERIFY(!QApplication::overrideCursor());
    // Rows show while the search still runs, and the status bar says where it is.
    QTRY_VERIFY(window->resultModel()->rowCount() >= 2 && window->isSearching());
    QVERIFY2(statusBar().startsWith(QStringLiteral("Searching: statement ")), qPrintable(statusBar()));
    QVERIFY2(statusBar().contains(QStringLiteral(" of 11, ")), qPrintable(statusBar()));
    // What is listed so far stands in Name order.
    const QStringList sofar = listedRows(window);
    QStringList sorted = sofar;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const QString &a, const QString &b) { return a.section(u'|', 0, 0) < b.section(u'|', 0, 0); });
    QCOMPARE(sofar, sorted);

    QVERIFY(ks::test::searchEnds(window));
    QCOMPARE(window->btnFind->text(), QStringLiteral("&Find"));
    QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(listedRows(window), all);
    QVERIFY2(
        statusBar().startsWith(QStringLiteral("Search done: %1 rows in ").arg(all.size())), qPrintable(statusBar()));
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestBackgroundSearch::stopOnPausedServerKeepsTheRows_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Stop") << false;
    QTest::newRow("Esc") << true;
}

void TestBackgroundSearch::stopOnPausedServerKeepsTheRows()
{
    QFETCH(bool, escape);
    const KnobGuard guard(*m_server);
    // Every result sends two rows and then keeps the client waiting.
    m_server->setPauseAfterRows(2);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_COMPARE(window->resultModel()->rowCount(), 2);
    QVERIFY(window->isSearching());
    const QStringList kept = listedRows(window);
    const int attentions = m_server->attentions();

    QElapsedTimer stopping;
    stopping.start();
    if (escape)
        QTest::keyClick(window->edFind, Qt::Key_Escape);
    else
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isSearching(), kStopBoundMs);
    QVERIFY2(stopping.elapsed() < kStopBoundMs, qPrintable(QString::number(stopping.elapsed())));
    // The statement was stopped at the server, not left to run.
    QVERIFY(m_server->attentions() > attentions);
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    // The rows so far stay, with no "no results found" after them, and the
    // status bar says it was stopped and when.
    QCOMPARE(listedRows(window), kept);
    QVERIFY2(statusBar().startsWith(QStringLiteral("Stopped after 2 rows, ")), qPrintable(statusBar()));
    QVERIFY2(statusBar().endsWith(QStringLiteral(" s")), qPrintable(statusBar()));
    QCOMPARE(window->btnFind->text(), QStringLiteral("&Find"));
    QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestBackgroundSearch::stopBeforeAnyRowListsNothing()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(0);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_VERIFY(statusBar().startsWith(QStringLiteral("Searching: statement 1 of 11")));
    QTest::mouseClick(window->btnFind, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isSearching(), kStopBoundMs);
    // A stopped search found nothing yet; it did not find that nothing exists.
    QCOMPARE(window->resultModel()->rowCount(), 0);
    QVERIFY2(statusBar().startsWith(QStringLiteral("Stopped after 0 rows, ")), qPrintable(statusBar()));
}

void TestBackgroundSearch::programGoesOnWhileASearchWaits()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *waiting = openOnServer();
    startSearch(waiting, QStringLiteral("Order"));
    QTRY_COMPARE(waiting->resultModel()->rowCount(), 1);

    // The event loop turns: timers fire, another window opens and searches
    // to its end, the waiting window can be moved.
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
    timer.start();
    QTRY_VERIFY(ticks >= 5);
    TfrmConnectionMsSql *other = openOnFile();
    other->edFind->setText(QStringLiteral("MyNotes"));
    QVERIFY(ks::test::findAndWait(other));
    QCOMPARE(listedRows(other),
        (QStringList {"vMyNotes|View|O'Neil|View Definition|2", "vMyNotes|View|O'Neil|View Name|1"}));
    const QPoint before = waiting->subWindow()->pos();
    waiting->subWindow()->move(before + QPoint(7, 5));
    QCOMPARE(waiting->subWindow()->pos(), before + QPoint(7, 5));
    QVERIFY(waiting->isSearching());
    QCOMPARE(waiting->resultModel()->rowCount(), 1);

    // Short-cuts of the main window and of the active child's merged menu
    // are served meanwhile: F1 (its item is hidden) and Ctrl+D.
    const ks::WebHelpBaseScope helpBase;
    m_main->mdiArea()->setActiveSubWindow(waiting->subWindow());
    QTest::keyClick(m_main.get(), Qt::Key_F1);
    QTRY_COMPARE(m_seams->browser.opened.size(), 1);
    QVERIFY(m_seams->browser.addresses().constFirst().endsWith(QStringLiteral("&ctx=") + waiting->objectName()));
    QVERIFY(waiting->isSearching());
    waiting->stopSearch();
    QTRY_VERIFY_WITH_TIMEOUT(!waiting->isSearching(), kStopBoundMs);
}

void TestBackgroundSearch::twoWindowsSearchAtOnce()
{
    const QStringList orders = listedFromFile(QStringLiteral("Order"));
    const QStringList customers = listedFromFile(QStringLiteral("Customer"));
    const KnobGuard guard(*m_server);
    m_server->setRowDelay(15);
    TfrmConnectionMsSql *one = openOnServer();
    TfrmConnectionMsSql *two = openOnServer();
    startSearch(one, QStringLiteral("Order"));
    startSearch(two, QStringLiteral("Customer"));
    // Both lists fill while both searches run.
    QTRY_VERIFY(one->isSearching() && two->isSearching() && one->resultModel()->rowCount() > 0
        && two->resultModel()->rowCount() > 0);
    QVERIFY(ks::test::searchEnds(one));
    QVERIFY(ks::test::searchEnds(two));
    QCOMPARE(listedRows(one), orders);
    QCOMPARE(listedRows(two), customers);
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestBackgroundSearch::statusBarFollowsTheActiveWindow()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *waiting = openOnServer();
    startSearch(waiting, QStringLiteral("Order"));
    QTRY_VERIFY(statusBar().startsWith(QStringLiteral("Searching: statement ")));
    // A window in front that has nothing to say of its own (it has not
    // searched, as a text viewer never does) shows nothing.
    TfrmConnectionMsSql *done = openOnFile();
    QCOMPARE(m_main->activeChild(), done);
    QCOMPARE(statusBar(), QString());
    done->edFind->setText(QStringLiteral("MyNotes"));
    QVERIFY(ks::test::findAndWait(done));
    QVERIFY2(statusBar().startsWith(QStringLiteral("Search done: 2 rows in ")), qPrintable(statusBar()));
    // The elapsed time of the waiting search goes on while nothing arrives,
    // unseen while the other window is in front.
    const QString shown = statusBar();
    const QString waited = waiting->statusText();
    QTRY_VERIFY(waiting->statusText() != waited);
    QCOMPARE(statusBar(), shown);
    m_main->mdiArea()->setActiveSubWindow(waiting->subWindow());
    QTRY_COMPARE(statusBar(), waiting->statusText());
    QVERIFY(statusBar().startsWith(QStringLiteral("Searching: statement ")));
    waiting->stopSearch();
    QTRY_VERIFY_WITH_TIMEOUT(statusBar().startsWith(QStringLiteral("Stopped after 1 row, ")), kStopBoundMs);
}

void TestBackgroundSearch::sortChosenDuringSearchIsKept()
{
    const QStringList all = listedFromFile(QStringLiteral("Order"));
    const KnobGuard guard(*m_server);
    m_server->setRowDelay(10);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_VERIFY(window->resultModel()->rowCount() >= 3 && window->isSearching());
    // The user sorts by Type while rows are still coming.
    window->lvResult->header()->sectionClicked(ks::KsResultModel::TypeColumn);
    QVERIFY(window->isSearching());
    QVERIFY(ks::test::searchEnds(window));

    // Every row arrived, and all of them, the later ones too, stand in the
    // Type column's order.
    const ks::KsResultModel &model = *window->resultModel();
    QCOMPARE(model.sortColumn(), int(ks::KsResultModel::TypeColumn));
    for (int i = 1; i < model.rowCount(); ++i)
        QVERIFY2(ks::compareRows(model.row(i - 1), model.row(i), ks::KsResultModel::TypeColumn) <= 0,
            qPrintable(QStringLiteral("row %1: %2 after %3").arg(i).arg(model.row(i).name, model.row(i - 1).name)));
    QStringList sortedAll = all;
    QStringList listed = listedRows(window);
    sortedAll.sort();
    listed.sort();
    QCOMPARE(listed, sortedAll);

    // A new search starts in Name order again.
    m_server->setRowDelay(0);
    startSearch(window, QStringLiteral("Order"));
    QVERIFY(ks::test::searchEnds(window));
    QCOMPARE(listedRows(window), all);
}

void TestBackgroundSearch::newFindStopsTheRunningSearch()
{
    const QStringList customers = listedFromFile(QStringLiteral("CustomerOrders"));
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_COMPARE(window->resultModel()->rowCount(), 1);
    const int attentions = m_server->attentions();

    // Enter with another text searches anew: the running search is stopped
    // first, and only the new search's rows are listed.
    m_server->setPauseAfterRows(-1);
    window->edFind->setText(QStringLiteral("CustomerOrders"));
    QTest::keyClick(window->edFind, Qt::Key_Return);
    QVERIFY(m_server->attentions() > attentions);
    QVERIFY(ks::test::searchEnds(window));
    QCOMPARE(listedRows(window), customers);
    QVERIFY2(statusBar().startsWith(QStringLiteral("Search done: ")), qPrintable(statusBar()));
}

void TestBackgroundSearch::duplicateStopsTheRunningSearch()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_COMPARE(window->resultModel()->rowCount(), 1);
    window->edFind->setFocus();
    QTest::keyClick(window->edFind, Qt::Key_D, Qt::ControlModifier);
    auto *copy = qobject_cast<TfrmConnectionMsSql *>(m_main->activeChild());
    QVERIFY(copy && copy != window);
    QVERIFY(!window->isSearching());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY2(
        window->statusText().startsWith(QStringLiteral("Stopped after 1 row, ")), qPrintable(window->statusText()));
    QCOMPARE(window->resultModel()->rowCount(), 1);
}

void TestBackgroundSearch::closingMidSearchLeavesNothingRunning()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QTRY_COMPARE(window->resultModel()->rowCount(), 1);
    const int attentions = m_server->attentions();
    QPointer<TfrmConnectionMsSql> guardWindow(window);
    QElapsedTimer closing;
    closing.start();
    QVERIFY(window->subWindow()->close());
    // Closing waited for the worker, which stopped the statement at the server.
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY2(closing.elapsed() < kStopBoundMs, qPrintable(QString::number(closing.elapsed())));
    QVERIFY(m_server->attentions() > attentions);
    QTRY_VERIFY(guardWindow.isNull());
    QCOMPARE(m_seams->messages.shown, QStringList());
    QCOMPARE(statusBar(), QString());
}

void TestBackgroundSearch::exitMidSearchLeavesNothingRunning()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(1);
    TfrmConnectionMsSql *one = openOnServer();
    TfrmConnectionMsSql *two = openOnServer();
    startSearch(one, QStringLiteral("Order"));
    startSearch(two, QStringLiteral("Customer"));
    QTRY_VERIFY(one->resultModel()->rowCount() == 1 && two->resultModel()->rowCount() == 1);
    QCOMPARE(ks::SearchRunner::runningWorkers(), 2);
    m_main->miExitClick();
    QVERIFY(!m_main->isVisible());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestBackgroundSearch::errorMidSearchIsToldApart()
{
    const KnobGuard guard(*m_server);
    m_server->setRowDelay(5);
    // The fourth statement fails after one row of its result.
    m_server->failStatements(
        QStringLiteral("sysobjects.type='D'"), QStringLiteral("Transaction (Process ID 51) was deadlocked."), 1);
    TfrmConnectionMsSql *window = openOnServer();
    startSearch(window, QStringLiteral("Order"));
    QVERIFY(ks::test::searchEnds(window));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("was deadlocked")),
        qPrintable(m_seams->messages.shown.constFirst()));
    const int rows = window->resultModel()->rowCount();
    QVERIFY(rows > 0);
    QVERIFY(!listedRows(window).contains(QStringLiteral("no results found||||0")));
    QVERIFY2(
        statusBar().startsWith(QStringLiteral("Search failed after %1 rows, ").arg(rows)), qPrintable(statusBar()));
    QVERIFY2(statusBar().endsWith(QStringLiteral("was deadlocked.")), qPrintable(statusBar()));
}

void TestBackgroundSearch::definitionArrivesLineByLineAndClosingStopsIt()
{
    TfrmConnectionMsSql *window = openOnServer();
    window->edFind->setText(QStringLiteral("CustomerOrders"));
    QVERIFY(ks::test::findAndWait(window));

    const KnobGuard guard(*m_server);
    // The server sends the definition's first record and then keeps the
    // client waiting for the next.
    m_server->setPauseAfterRows(1);
    QVERIFY(ks::test::doubleClickRow(window, QStringLiteral("vCustomerOrders"), QStringLiteral("View Definition")));
    auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
    QVERIFY(viewer);
    // The first record shows while the fetch goes on, and the program with it.
    QTRY_VERIFY(!memoText(viewer).isEmpty());
    QVERIFY(memoLines(viewer).constFirst().startsWith(QStringLiteral("CREATE VIEW dbo.vCustomerOrders")));
    QVERIFY(viewer->findChild<ks::SearchRunner *>());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 1);

    // Closing the viewer stops the fetch at the server; no worker is left,
    // and no message follows.
    const int attentions = m_server->attentions();
    QPointer<TfrmKsTextViewer> guardViewer(viewer);
    viewer->subWindow()->close();
    QTRY_VERIFY(guardViewer.isNull());
    QCOMPARE(ks::SearchRunner::runningWorkers(), 0);
    QVERIFY(m_server->attentions() > attentions);
    QCOMPARE(m_seams->messages.shown, QStringList());
    // The search window is not touched by it.
    QVERIFY(!window->isSearching());
    QVERIFY(window->resultModel()->rowCount() > 0);
}

QTEST_MAIN(TestBackgroundSearch)
#include "tst_backgroundsearch.moc"
