// The SQL Server connection window driven through its controls against the
// demo catalogue file (the server is the file's path, any database name):
// connecting from the menu, the search bar, searching, double-clicks,
// Duplicate and errors.

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "kinds/mssql/DKsConnMsSql.h"
#include "kinds/mssql/FConnectMsSql.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/ResultListDriving.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeView>
#include <QtTest>

using ks::test::doubleClickRow;
using ks::test::listedRows;
using ks::test::memoText;

namespace {

QString demoCatalogue()
{
    const QString fromCtest = qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE");
    return fromCtest.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../data/mssql-demo.qmcat")
                               : fromCtest;
}

// A copy of the demo catalogue with `sql` run in it.
QString alteredCopy(const QString &directory, const QString &name, const QString &sql)
{
    const QString copy = directory + u'/' + name;
    QFile::remove(copy);
    if (!QFile::copy(demoCatalogue(), copy))
        return {};
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(copy);
        if (!db.open() || !QSqlQuery(db).exec(sql))
            return {};
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return copy;
}

} // namespace

class TestMsSqlWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo::exists(demoCatalogue()), qPrintable(demoCatalogue() + " is missing"));
    }

    void init()
    {
        m_config = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
        m_config.reset();
    }

    void connectsFromTheMenu()
    {
        bool helpShown = true;
        ks::test::whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            helpShown = dialog->btnHelp->isVisible();
            QTest::keyClicks(dialog->cbServer->lineEdit(), demoCatalogue());
            QTest::keyClicks(dialog->cbDatabase->lineEdit(), QStringLiteral("Shop"));
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QTest::keyClick(m_main.get(), Qt::Key_M, Qt::ControlModifier);
        auto *window = qobject_cast<TfrmConnectionMsSql *>(m_main->activeChild());
        QVERIFY(window);
        QVERIFY(!helpShown);
        QCOMPARE(window->objectName(), QStringLiteral("frmConnectionMsSql"));
        QCOMPARE(window->caption(), QStringLiteral("Shop @ ") + demoCatalogue() + QStringLiteral(" (MsSql)"));
        QCOMPARE(window->connectionString(),
            ks::BuildMsSqlConnectionString(demoCatalogue(), QStringLiteral("Shop"), QString(), QString()));
        QStringList bar;
        for (const QAction *action : m_main->menuBar()->actions()) {
            if (action->isVisible())
                bar << action->text();
        }
        QCOMPARE(bar, (QStringList {"&File", "&Connection", "&Windows", "&Help"}));
        QCOMPARE(m_main->connectCommand(QStringLiteral("miNewMSSQLServerConnection"))->text(),
            QStringLiteral("Connect to &MS SQL Server..."));
    }

    void cancelledDialogOpensNothing()
    {
        ks::test::whenDialogShows<TdlgKsConnectMsSql>(
            this, [](TdlgKsConnectMsSql *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        m_main->connectCommand(QStringLiteral("miNewMSSQLServerConnection"))->trigger();
        QVERIFY(m_main->childWindows().isEmpty());
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void searchBarAndList()
    {
        m_main->resize(1000, 700);
        QTRY_VERIFY(m_main->mdiArea()->viewport()->width() > 637);
        // Opening the window reads nothing from the database.
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        TfrmConnectionMsSql *window = open();
        QCOMPARE(statements, 0);
        const QSize least = window->subWindow()->minimumSizeHint();
        QCOMPARE(window->subWindow()->size(), QSize(std::max(637, least.width()), std::max(382, least.height())));
        QVERIFY(window->cbIncTSql->isChecked());
        QCOMPARE(window->cbIncTSql->text(), QStringLiteral("T-SQL Code"));
        QVERIFY(window->cbIncComments->isChecked());
        QVERIFY(!window->cbIncComments->isVisibleTo(window));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("Find"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("Include"));
        QVERIFY(!window->btnFind->isEnabled());
        QVERIFY(window->paTop->height() >= 57);
        QStringList captions;
        for (int column = 0; column < 4; ++column)
            captions << window->lvResult->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList {"Name", "Type", "Owner", "Comment"}));
        QHeaderView *header = window->lvResult->header();
        QCOMPARE(QList<int>({header->sectionSize(0), header->sectionSize(1), header->sectionSize(2)}),
            QList<int>({200, 100, 100}));

        // The search box ends two pixels short of Find's panel at any width.
        for (int width : {least.width(), std::max(637, least.width()), 900}) {
            window->subWindow()->resize(width, 382);
            QCoreApplication::processEvents();
            const int findPanelLeft = window->paTopRight->mapTo(window->paTop, QPoint(0, 0)).x();
            QCOMPARE(window->edFind->x() + window->edFind->width() + 2, findPanelLeft);
            QCOMPARE(window->paTopRight->geometry().right(), window->paTop->contentsRect().right());
        }
    }

    void designPositionsWhereTheFontAllows()
    {
        QFont small = m_main->font();
        small.setPixelSize(8);
        m_main->setFont(small);
        m_main->resize(1000, 700);
        QTRY_VERIFY(m_main->mdiArea()->viewport()->width() > 637);
        TfrmConnectionMsSql *window = open();
        QCOMPARE(window->subWindow()->size(), QSize(637, 382));
        const auto at = [window](QWidget *control) { return control->mapTo(window->paTop, QPoint(0, 0)); };
        QCOMPARE(at(window->edFind).x(), 80);
        QCOMPARE(at(window->cbIncTSql).x(), 80);
        QVERIFY(window->cbIncTSql->width() >= 89);
        QCOMPARE(at(window->findChild<QWidget *>(QStringLiteral("Label3"))).x(), 8);
        QCOMPARE(at(window->findChild<QWidget *>(QStringLiteral("Label4"))).x(), 8);
        QCOMPARE(window->paTop->height(), 57);
        QCOMPARE(window->paTopRight->width(), 89);
        QCOMPARE(window->btnFind->geometry(), QRect(8, window->btnFind->y(), 75, 21));
        QCOMPARE(at(window->btnFind).y(), at(window->edFind).y());
        // The box reaches from 80 to 2 pixels short of Find's panel at the right edge.
        QCOMPARE(window->edFind->x() + window->edFind->width() + 2, window->paTopRight->x());
        QCOMPARE(window->paTopRight->x() + 89, window->paTop->contentsRect().right() + 1);
    }

    void tabOrder()
    {
        TfrmConnectionMsSql *window = open();
        window->edFind->setText(QStringLiteral("Orders")); // enables Find
        QTRY_VERIFY(window->isActiveWindow());
        window->edFind->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window->edFind);
        QStringList order {QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList {"edFind", "btnFind", "cbIncTSql", "lvResult"}));
    }

    void findEnablingAndEnter()
    {
        TfrmConnectionMsSql *window = open();
        QTest::keyClicks(window->edFind, QStringLiteral(" \t "));
        QVERIFY(!window->btnFind->isEnabled());
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QCOMPARE(statements, 0);
        QTest::keyClicks(window->edFind, QStringLiteral("MyNotes"));
        QVERIFY(window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QVERIFY(ks::test::searchEnds(window));
        QCOMPARE(statements, 11);
        QCOMPARE(listedRows(window),
            (QStringList {"vMyNotes|View|O'Neil|View Definition|2", "vMyNotes|View|O'Neil|View Name|1"}));
    }

    void searchListsRowsInNameOrder_data()
    {
        QTest::addColumn<bool>("tsql");
        QTest::addColumn<int>("statements");
        QTest::addColumn<QStringList>("rows");
        // eight, and three for text cut between syscomments pieces
        QTest::newRow("names and T-SQL code")
            << true << 11
            << QStringList {"fn_CustomerOrders|Function|dbo|Function Definition|2",
                   "fn_CustomerOrders|Function|dbo|Function Name|1", "vCustomerOrders|View|dbo|View Definition|2",
                   "vCustomerOrders|View|dbo|View Name|1",
                   "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Definition|3",
                   "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"};
        QTest::newRow("names only") << false << 5
                                    << QStringList {"fn_CustomerOrders|Function|dbo|Function Name|1",
                                           "vCustomerOrders|View|dbo|View Name|1",
                                           "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"};
    }

    void searchListsRowsInNameOrder()
    {
        QFETCH(bool, tsql);
        QFETCH(int, statements);
        QFETCH(QStringList, rows);
        TfrmConnectionMsSql *window = open();
        window->edFind->setText(QStringLiteral("  CustomerOrders "));
        if (!tsql)
            QTest::mouseClick(window->cbIncTSql, Qt::LeftButton, {}, QPoint(4, window->cbIncTSql->height() / 2));
        QStringList sent;
        {
            ks::ScopedStatementObserver observer([&](const QString &sql) { sent << sql; });
            QTest::mouseClick(window->btnFind, Qt::LeftButton);
            // The wait cursor shows over the list alone, and only while it fills.
            QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::WaitCursor);
            QVERIFY(!QApplication::overrideCursor());
            QVERIFY(ks::test::searchEnds(window));
        }
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(sent.size(), statements);
        QVERIFY(sent.constFirst().contains(QStringLiteral("AND sysobjects.name LIKE '%CustomerOrders%' ")));
        QCOMPARE(listedRows(window), rows);
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void nothingFoundListsOneRow()
    {
        TfrmConnectionMsSql *window = searched(QStringLiteral("no such thing anywhere"));
        QCOMPARE(listedRows(window), QStringList {"no results found||||0"});
        QCOMPARE(window->resultModel()->row(0).subItems, 0);
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QVERIFY(doubleClickRow(window, QStringLiteral("no results found"), QString()));
        QCOMPARE(statements, 0);
        QCOMPARE(m_main->childWindows().size(), 1);
    }

    void doubleClickShowsDefinitions_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("begins");
        QTest::newRow("view") << "CustomerOrders"
                              << "vCustomerOrders"
                              << "View Definition"
                              << "dbo"
                              << "Definition of vCustomerOrders in %1"
                              << "CREATE VIEW dbo.vCustomerOrders\nAS\n-- one row per order with its customer; ";
        QTest::newRow("trigger of a view")
            << "CustomerOrders"
            << "vCustomerOrders.trg_vCustomerOrders_Insert"
            << "Trigger Definition"
            << "dbo"
            << "Definition of vCustomerOrders.trg_vCustomerOrders_Insert in %1"
            << "CREATE TRIGGER dbo.trg_vCustomerOrders_Insert ON dbo.vCustomerOrders\nINSTEAD OF INSERT\n";
        QTest::newRow("column default of one owner")
            << "Österreich"
            << "Customers.Country: DF_Customers_Country"
            << "Column Default Definition"
            << "sales"
            << "Column Default of Customers.Country: DF_Customers_Country in %1"
            << "(N'Österreich')";
    }

    void doubleClickShowsDefinitions()
    {
        QFETCH(QString, search);
        QFETCH(QString, name);
        QFETCH(QString, comment);
        QFETCH(QString, owner);
        QFETCH(QString, caption);
        QFETCH(QString, begins);
        TfrmConnectionMsSql *window = searched(search);
        QVERIFY(doubleClickRow(window, name, comment, owner));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QCOMPARE(viewer->caption(), caption.arg(window->caption()));
        QVERIFY(ks::test::fetchEnds(viewer));
        const QString text = memoText(viewer);
        QVERIFY2(text.startsWith(begins), qPrintable(text));
        // CR LF and bare LF both give one line each, never an empty line between.
        QVERIFY(!text.contains(QStringLiteral("\n\n")));
        QVERIFY(!text.contains(u'\r'));
    }

    void viewerMarksWhatTheSearchLookedFor()
    {
        TfrmConnectionMsSql *window = searched(QStringLiteral("customerorders"));
        window->edFind->setText(QStringLiteral("zzz"));
        QVERIFY(doubleClickRow(window, QStringLiteral("vCustomerOrders"), QStringLiteral("View Definition")));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(viewer->frKsTextViewer()->searchHighlight(),
            ks::SearchHighlight::msSqlSearch(QStringLiteral("customerorders")));
        // Letter case is ignored, as the server's collation ignores it.
        const QTextCursor cursor = viewer->frKsTextViewer()->memo()->textCursor();
        QCOMPARE(cursor.selectedText(), QStringLiteral("CustomerOrders"));
        QCOMPARE(cursor.selectionStart(), memoText(viewer).indexOf(QStringLiteral("CustomerOrders")));
    }

    void rowsWithoutDefinitionOpenNothing()
    {
        TfrmConnectionMsSql *window = searched(QStringLiteral("CustomerOrders"));
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QVERIFY(doubleClickRow(window, QStringLiteral("vCustomerOrders"), QStringLiteral("View Name")));
        QVERIFY(doubleClickRow(window, QStringLiteral("fn_CustomerOrders"), QStringLiteral("Function Name")));
        QCOMPARE(statements, 0);
        QCOMPARE(m_main->childWindows().size(), 1);
    }

    void duplicateOpensFreshWindow()
    {
        TfrmConnectionMsSql *window = searched(QStringLiteral("Orders"));
        window->edFind->setFocus();
        QTest::keyClick(window->edFind, Qt::Key_D, Qt::ControlModifier);
        auto *copy = qobject_cast<TfrmConnectionMsSql *>(m_main->activeChild());
        QVERIFY(copy);
        QVERIFY(copy != window);
        QCOMPARE(copy->caption(), window->caption());
        QCOMPARE(copy->connectionString(), window->connectionString());
        QCOMPARE(copy->resultModel()->rowCount(), 0);
        QCOMPARE(copy->edFind->text(), QString());
    }

    void errorMidSearchKeepsEarlierRows()
    {
        // Without the index table the seventh statement fails; what the first
        // six found stays listed.
        const QString broken
            = alteredCopy(m_dir.path(), QStringLiteral("noindexes.qmcat"), QStringLiteral("DROP TABLE sysindexes"));
        QVERIFY(!broken.isEmpty());
        TfrmConnectionMsSql *window = open(broken);
        window->edFind->setText(QStringLiteral("CustomerOrders"));
        QVERIFY(ks::test::findAndWait(window));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("sysindexes")),
            qPrintable(m_seams->messages.shown.constFirst()));
        QCOMPARE(listedRows(window),
            (QStringList {"fn_CustomerOrders|Function|dbo|Function Name|1", "vCustomerOrders|View|dbo|View Name|1",
                "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Definition|3",
                "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"}));
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window->isVisible());
    }

    void definitionErrorLeavesViewerOpen()
    {
        const QString changing
            = alteredCopy(m_dir.path(), QStringLiteral("changing.qmcat"), QStringLiteral("SELECT 1"));
        QVERIFY(!changing.isEmpty());
        TfrmConnectionMsSql *window = open(changing);
        window->edFind->setText(QStringLiteral("MyNotes"));
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(m_seams->messages.shown.isEmpty());
        // The definitions go away between the search and the double-click.
        QVERIFY(!alteredCopy(m_dir.path(), QStringLiteral("changing.qmcat"), QStringLiteral("DROP TABLE syscomments"))
                     .isEmpty());
        QVERIFY(doubleClickRow(window, QStringLiteral("vMyNotes"), QStringLiteral("View Definition")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(QStringLiteral("syscomments")));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QCOMPARE(viewer->caption(), QStringLiteral("Definition of vMyNotes in ") + window->caption());
        QCOMPARE(memoText(viewer), QString());
    }

private:
    TfrmConnectionMsSql *open(const QString &catalogue = {})
    {
        return TfrmConnectionMsSql::open(m_main.get(),
            ks::BuildMsSqlConnectionString(
                catalogue.isEmpty() ? demoCatalogue() : catalogue, QStringLiteral("Shop"), QString(), QString()));
    }

    TfrmConnectionMsSql *searched(const QString &text)
    {
        TfrmConnectionMsSql *window = open();
        window->edFind->setText(text);
        if (!ks::test::findAndWait(window))
            qWarning("the search did not end");
        return window;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestMsSqlWindow)
#include "tst_mssqlwindow.moc"
