// The Oracle connection window driven through its controls against catalogue
// files: connecting from the menu, searching, sorting, double-clicks and
// Enter, the status bar, Duplicate and errors.

#include "app/FMain.h"
#include "db/DKsConnOra.h"
#include "db/KsAdo.h"
#include "kinds/oracle/FConnectOracle.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "support/ModalDialogs.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {

QStringList listed(const TfrmConnectionOracle *window)
{
    QStringList rows;
    const ks::KsResultModel *model = window->resultModel();
    for (int i = 0; i < model->rowCount(); ++i) {
        const ks::ResultRow &row = model->row(i);
        rows << QStringLiteral("%1|%2|%3|%4|%5").arg(row.name, row.type, row.schema, row.comment).arg(row.rowKind);
    }
    return rows;
}

QStringList column(const TfrmConnectionOracle *window, int col)
{
    QStringList values;
    const ks::KsResultModel *model = window->resultModel();
    for (int i = 0; i < model->rowCount(); ++i)
        values << model->index(i, col).data().toString();
    return values;
}

QString memoText(TfrmKsTextViewer *viewer)
{
    return viewer->findChild<QPlainTextEdit *>(QStringLiteral("Memo"))->toPlainText();
}

} // namespace

class TestOracleWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_catalogue = m_dir.filePath(QStringLiteral("fixture.qmcat"));
        ks::test::makeCatalogue(m_catalogue, ks::test::oracleFixture());
    }

    void init()
    {
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
    }

    void connectsThroughTheDialog()
    {
        QTimer::singleShot(0, this, [this] {
            auto *dialog = qobject_cast<TdlgKsConnectOra *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->edUsername, QStringLiteral("SCOTT"));
            QTest::keyClicks(dialog->edPassword, QStringLiteral("tiger"));
            dialog->cbDataSource->setEditText(m_catalogue);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QTest::keyClick(m_main.get(), Qt::Key_O, Qt::ControlModifier);
        auto *window = qobject_cast<TfrmConnectionOracle *>(m_main->activeChild());
        QVERIFY(window);
        QCOMPARE(window->objectName(), QStringLiteral("frmConnectionOracle"));
        QCOMPARE(window->caption(), QStringLiteral("SCOTT @ ") + m_catalogue + QStringLiteral(" (Oracle)"));
        QCOMPARE(window->connectionString(),
            QStringLiteral("provider=OraOLEDB.Oracle;user id=SCOTT;password=tiger;data source=") + m_catalogue);
        // Its menu stands between File and Windows while it is active.
        QStringList bar;
        for (const QAction *action : m_main->menuBar()->actions()) {
            if (action->isVisible())
                bar << action->text();
        }
        QCOMPARE(bar, (QStringList {"&File", "&Connection", "&Windows", "&Help"}));
    }

    void cancelledOrFailedDialogOpensNothing()
    {
        QTimer::singleShot(0, this, [this] {
            auto *dialog = qobject_cast<TdlgKsConnectOra *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->edUsername->setText(QStringLiteral("SCOTT"));
            dialog->edPassword->setText(QStringLiteral("tiger"));
            dialog->cbDataSource->setEditText(QStringLiteral("no-such-tns-alias"));
            QVERIFY(ks::test::clickOkAndWait(dialog));
            QVERIFY(dialog->isVisible());
            dialog->reject();
        });
        m_main->connectCommand(QStringLiteral("miNewOracleConnection"))->trigger();
        QVERIFY(m_main->childWindows().isEmpty());
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().startsWith(QStringLiteral("Failed to open connection:\r\n")));
    }

    void initialisationFillsOptionLists()
    {
        TfrmConnectionOracle *window = open();
        QCOMPARE(items(window->cbDict), (QStringList {"USER", "ALL", "DBA"}));
        QCOMPARE(window->cbDict->currentText(), QStringLiteral("USER"));
        QCOMPARE(items(window->cbSchema), (QStringList {"(all)", "SYS", "SCOTT", "HR", "O'HARA"}));
        QCOMPARE(window->cbSchema->currentIndex(), 0);
        QVERIFY(!window->cbSchema->isEnabled());
        QVERIFY(!window->btnFind->isEnabled());
        for (QCheckBox *box : {window->cbIgnoreCase, window->cbIncViewDefs, window->cbIncPlSql, window->cbIncComments,
                 window->cbIncTriggers})
            QVERIFY(box->isChecked());
        QCOMPARE(window->lvResult->header()->sectionSize(0), 200);
        QCOMPARE(window->lvResult->header()->sectionSize(1), 100);
    }

    void columnsKeepTheirMinimumWidths()
    {
        TfrmConnectionOracle *window = open();
        QHeaderView *header = window->lvResult->header();
        QCOMPARE(header->sectionSize(2), 100);
        const int minimum[] = {100, 50, 0};
        for (int column = 0; column < 3; ++column) {
            header->resizeSection(column, 10);
            QCOMPARE(header->sectionSize(column), std::max(10, minimum[column]));
        }
    }

    void triggerBodyOwnerComesFromTheRow()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("HR"), QStringLiteral("emp"));
        choose(window->cbSchema, QStringLiteral("SCOTT"));
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
        QVERIFY(doubleClick(window, QStringLiteral("EMPLOYEES.EMP_TRG"), QStringLiteral("Trigger Definition")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(sent,
            QStringList {"SELECT TRIGGER_BODY FROM ALL_TRIGGERS WHERE OWNER = 'HR' AND TABLE_NAME || '.' || "
                         "TRIGGER_NAME = 'EMPLOYEES.EMP_TRG'"});
    }

    void searchBarStretchesUpToFind()
    {
        TfrmConnectionOracle *window = open();
        // The window opens at its design size, or wider where the captions
        // of the font need it, and is never smaller than they need.
        const QSize least = window->subWindow()->minimumSizeHint();
        QCOMPARE(window->subWindow()->size(), QSize(std::max(602, least.width()), std::max(341, least.height())));
        for (int width : {least.width(), std::max(602, least.width()), 900}) {
            window->subWindow()->resize(width, 341);
            QCoreApplication::processEvents();
            const int findPanelLeft = window->paTopRight->mapTo(window->paTop, QPoint(0, 0)).x();
            for (QWidget *stretched :
                {static_cast<QWidget *>(window->cbSchema), static_cast<QWidget *>(window->edFind)}) {
                const QRect r = stretched->geometry();
                QCOMPARE(r.x() + r.width() + 2, findPanelLeft);
            }
            QCOMPARE(window->cbSchema->x(), window->edFind->x());
            QCOMPARE(window->paTopRight->geometry().right(), window->paTop->contentsRect().right());
            QVERIFY(window->paTopRight->width() >= 89);
            QVERIFY(window->paTop->height() >= 81);
        }
    }

    void designPositionsWhereTheFontAllows()
    {
        // In a font small enough for the design's room, the bar's controls
        // stand where the design puts them (left edge and width in the bar).
        QFont small = m_main->font();
        small.setPixelSize(8);
        m_main->setFont(small);
        m_main->resize(1000, 700);
        QTRY_VERIFY(m_main->mdiArea()->viewport()->width() > 602);
        TfrmConnectionOracle *window = open();
        QCOMPARE(window->subWindow()->size(), QSize(602, 341));
        const auto columns = [window](QWidget *control) {
            const QPoint at = control->mapTo(window->paTop, QPoint(0, 0));
            return QPoint(at.x(), control->width());
        };
        QCOMPARE(columns(window->cbDict), QPoint(80, 81));
        QCOMPARE(columns(window->cbIgnoreCase), QPoint(80, 81));
        QCOMPARE(columns(window->cbSchema).x(), 168);
        QCOMPARE(columns(window->edFind).x(), 168);
        QCOMPARE(columns(window->cbIncViewDefs), QPoint(80, 97));
        QCOMPARE(columns(window->cbIncPlSql), QPoint(184, 89));
        QCOMPARE(columns(window->cbIncComments), QPoint(280, 73));
        QCOMPARE(columns(window->cbIncTriggers), QPoint(360, 81));
        for (const char *label : {"Label2", "Label3", "Label4"})
            QCOMPARE(columns(window->findChild<QWidget *>(QLatin1String(label))).x(), 8);
        QCOMPARE(window->paTopRight->width(), 89);
        QCOMPARE(window->btnFind->geometry(), QRect(8, window->btnFind->y(), 75, 21));
        QCOMPARE(window->paTop->height(), 81);
        // The wide boxes reach from 168 to 2 pixels short of Find's panel.
        QCOMPARE(window->cbSchema->x() + window->cbSchema->width() + 2, window->paTopRight->x());
        QCOMPARE(window->paTopRight->x() + 89, window->paTop->contentsRect().right() + 1);
    }

    void tabOrderOfTheBar()
    {
        TfrmConnectionOracle *window = open();
        choose(window->cbDict, QStringLiteral("ALL")); // enables cbSchema
        window->edFind->setText(QStringLiteral("emp")); // enables Find
        QTRY_VERIFY(window->isActiveWindow());
        window->cbDict->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window->cbDict);
        QStringList order {QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order,
            (QStringList {"cbDict", "cbSchema", "cbIgnoreCase", "edFind", "btnFind", "cbIncViewDefs", "cbIncPlSql",
                "cbIncComments", "cbIncTriggers", "lvResult"}));
    }

    void captions_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("caption");
        QTest::newRow("user and source") << "provider=OraOLEDB.Oracle;user id=SCOTT;password=x;data source=ORCL"
                                         << "SCOTT @ ORCL (Oracle)";
        QTest::newRow("no source") << "provider=OraOLEDB.Oracle;user id=SCOTT;password=x"
                                   << "SCOTT (Oracle)";
        QTest::newRow("no user") << "provider=OraOLEDB.Oracle;data source=ORCL"
                                 << " @ ORCL (Oracle)";
        QTest::newRow("neither") << "provider=OraOLEDB.Oracle"
                                 << " (Oracle)";
    }

    void captions()
    {
        QFETCH(QString, connection);
        QTEST(TfrmConnectionOracle::captionFor(connection), "caption");
    }

    void findEnablingAndEnter()
    {
        TfrmConnectionOracle *window = open();
        QTest::keyClicks(window->edFind, QStringLiteral("   "));
        QVERIFY(!window->btnFind->isEnabled());
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QCOMPARE(statements, 0);
        QTest::keyClicks(window->edFind, QStringLiteral("emp"));
        QVERIFY(window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QVERIFY(ks::test::searchEnds(window));
        QCOMPARE(statements, 8);
        QVERIFY(window->resultModel()->rowCount() > 0);
    }

    void choosingAllEnablesSchema()
    {
        TfrmConnectionOracle *window = open();
        choose(window->cbDict, QStringLiteral("ALL"));
        QVERIFY(window->cbSchema->isEnabled());
        choose(window->cbSchema, QStringLiteral("HR"));
        choose(window->cbDict, QStringLiteral("USER"));
        QVERIFY(!window->cbSchema->isEnabled());
        QCOMPARE(window->cbSchema->currentText(), QStringLiteral("HR"));
    }

    void searchSendsStatementsAndListsRowsInNameOrder()
    {
        TfrmConnectionOracle *window = open();
        choose(window->cbDict, QStringLiteral("ALL"));
        choose(window->cbSchema, QStringLiteral("SCOTT"));
        window->edFind->setText(QStringLiteral("  emp "));
        QStringList sent;
        {
            ks::ScopedStatementObserver observer([&](const QString &sql) { sent << sql; });
            QTest::mouseClick(window->btnFind, Qt::LeftButton);
            // The wait cursor shows over the list alone, and only while it fills.
            QVERIFY(window->isSearching());
            QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::WaitCursor);
            QVERIFY(!QApplication::overrideCursor());
            QVERIFY(ks::test::searchEnds(window));
        }
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(sent.size(), 8);
        QCOMPARE(sent.at(0),
            QStringLiteral("SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , OWNER FROM ALL_OBJECTS WHERE "
                           "UPPER(OBJECT_NAME) LIKE '%EMP%' AND OWNER = 'SCOTT' ORDER BY 1, 2"));
        QCOMPARE(sent.at(1), QStringLiteral("SELECT VIEW_NAME, TEXT, OWNER FROM ALL_VIEWS WHERE OWNER = 'SCOTT' "));
        QCOMPARE(listed(window),
            (QStringList {
                "EMP|Table|SCOTT|Table Comment|5",
                "EMP|Table|SCOTT|Table Name|1",
                "EMP.EMPNO|Column|SCOTT|Column Name|4",
                "EMP.ENAME|Column|SCOTT|Column Comment|5",
                "EMP_V|View|SCOTT|View Definition|2",
                "EMP_V|View|SCOTT|View Name|1",
                "PAY_PKG|Package|SCOTT|Package Source|3",
                "PAY_PKG|Package Body|SCOTT|Package Body Source|3",
            }));
    }

    void includeBoxesChooseStatements()
    {
        TfrmConnectionOracle *window = open();
        window->edFind->setText(QStringLiteral("emp"));
        for (QCheckBox *box : {window->cbIncViewDefs, window->cbIncPlSql, window->cbIncComments, window->cbIncTriggers})
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        QStringList sent;
        {
            ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
            QVERIFY(ks::test::findAndWait(window));
        }
        QCOMPARE(sent.size(), 2);
        QVERIFY(sent.at(0).contains(QStringLiteral("FROM USER_OBJECTS ")));
        QVERIFY(sent.at(1).contains(QStringLiteral("FROM USER_TAB_COLUMNS ")));
        QTest::mouseClick(window->cbIncTriggers, Qt::LeftButton, {}, QPoint(4, window->cbIncTriggers->height() / 2));
        QTest::mouseClick(window->cbIgnoreCase, Qt::LeftButton, {}, QPoint(4, window->cbIgnoreCase->height() / 2));
        sent.clear();
        {
            ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
            QVERIFY(ks::test::findAndWait(window));
        }
        QCOMPARE(sent.size(), 3);
        QVERIFY(sent.at(0).contains(QStringLiteral("WHERE OBJECT_NAME LIKE '%emp%'")));
        QCOMPARE(sent.at(2),
            QStringLiteral("SELECT TABLE_NAME || '.' || TRIGGER_NAME, TRIGGER_BODY, '' FROM USER_TRIGGERS "));
    }

    void sortsByClickedColumn()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        QHeaderView *header = window->lvResult->header();
        // The header's arrow stands on the column the list is sorted by, always ascending.
        const auto arrowOn = [header](int col) {
            return header->sortIndicatorSection() == col && header->sortIndicatorOrder() == Qt::AscendingOrder;
        };
        QVERIFY(header->isSortIndicatorShown() && arrowOn(0));
        for (int col = 0; col < 4; ++col) {
            header->sectionClicked(col);
            const QStringList values = column(window, col);
            QStringList sorted = values;
            std::stable_sort(sorted.begin(), sorted.end(),
                [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
            QCOMPARE(values, sorted);
            QVERIFY(arrowOn(col));
        }
        QCOMPARE(column(window, 3).constFirst(), QStringLiteral("Column Comment"));
        header->sectionClicked(1);
        const QStringList once = listed(window);
        // A second click on the header itself, which turns its arrow round.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 4, 4));
        QCOMPARE(listed(window), once);
        QVERIFY(arrowOn(1));
        // A new search lists in Name order again.
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(arrowOn(0));
    }

    void headerClickErrorIsReportedAndListStays()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        const QStringList before = listed(window);
        // A header without a column of its own, as a stray click could report.
        Q_EMIT window->lvResult->header()->sectionClicked(7);
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(QStringLiteral("7")));
        QCOMPARE(listed(window), before);
        QVERIFY(window->isVisible());
    }

    void noResultsRow()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("USER"), QString(), QStringLiteral("zzz"));
        QCOMPARE(listed(window), QStringList {"no results found||||0"});
        QCOMPARE(window->resultModel()->row(0).subItems, 0);
    }

    void doubleClickShowsDefinitions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::newRow("view") << "EMP_V"
                              << "View Definition"
                              << "View EMP_V in %1"
                              << "select empno, ename\nfrom emp\nwhere deptno = 10";
        QTest::newRow("source") << "PAY_PKG"
                                << "Package Body Source"
                                << "Source of Package Body PAY_PKG in %1"
                                << "package body pay_pkg is\n  procedure raise_emp(p_empno number) is begin null; "
                                   "end;\nend;";
        QTest::newRow("table comment, two schemas") << "EMP"
                                                    << "Table Comment"
                                                    << "Comment on Table EMP in %1"
                                                    << "Employees of the company\nEmployees, old copy";
        QTest::newRow("column comment") << "EMP.ENAME"
                                        << "Column Comment"
                                        << "Comment on Column EMP.ENAME in %1"
                                        << "Name of the employee";
        QTest::newRow("trigger description") << "EMPLOYEES.EMP_TRG"
                                             << "Trigger Description"
                                             << "Comment on Trigger EMPLOYEES.EMP_TRG in %1"
                                             << "emp_trg before insert on employees";
        QTest::newRow("trigger body") << "EMPLOYEES.EMP_TRG"
                                      << "Trigger Definition"
                                      << "Source of Trigger EMPLOYEES.EMP_TRG in %1"
                                      << "begin\n  :new.employee_id := emp_seq.nextval;\nend;";
    }

    void doubleClickShowsDefinitions()
    {
        QFETCH(QString, name);
        QFETCH(QString, comment);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        QVERIFY(doubleClick(window, name, comment));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QCOMPARE(viewer->caption(), caption.arg(window->caption()));
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(memoText(viewer), text);
    }

    void viewerMarksWhatTheLastSearchLookedFor()
    {
        TfrmConnectionOracle *window = open();
        choose(window->cbDict, QStringLiteral("ALL"));
        choose(window->cbSchema, QStringLiteral("(all)"));
        window->cbIgnoreCase->setChecked(true);
        window->edFind->setText(QStringLiteral("EMP"));
        QVERIFY(ks::test::findAndWait(window));
        // What is changed after the search does not count.
        window->cbIgnoreCase->setChecked(false);
        window->edFind->setText(QStringLiteral("dept"));
        QVERIFY(doubleClick(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(viewer->frKsTextViewer()->searchHighlight(),
            ks::SearchHighlight::oracleSearch(QStringLiteral("EMP"), true));
        // "select empno, ename\nfrom emp...": the first occurrence, letter case ignored, is selected.
        const QTextCursor cursor = viewer->frKsTextViewer()->memo()->textCursor();
        QCOMPARE(cursor.selectedText(), QStringLiteral("emp"));
        QCOMPARE(cursor.selectionStart(), 7);

        // The next search's rule counts for the viewers opened from it.
        window->edFind->setText(QStringLiteral("emp"));
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(doubleClick(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(viewer->frKsTextViewer()->searchHighlight(),
            ks::SearchHighlight::oracleSearch(QStringLiteral("emp"), false));
        QCOMPARE(viewer->frKsTextViewer()->memo()->textCursor().selectionStart(), 7);
    }

    void enterOpensTheRowAsADoubleClickDoes()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        const int row = listed(window).indexOf(QStringLiteral("EMP_V|View|SCOTT|View Definition|2"));
        window->lvResult->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window->lvResult);
        window->lvResult->setCurrentIndex(window->resultModel()->index(row, 0));
        QTest::keyClick(window->lvResult, Qt::Key_Return);
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer && viewer->caption() == QStringLiteral("View EMP_V in ") + window->caption());
        QVERIFY(ks::test::fetchEnds(viewer));
    }

    void statusBarTellsTheActiveWindowOnly()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("USER"), QString(), QStringLiteral("emp"));
        const QString done = window->statusText();
        QVERIFY2(done.startsWith(QStringLiteral("Search done: ")), qPrintable(done));
        open(); // has not searched: nothing to tell
        QCOMPARE(m_main->lbStatus->text(), QString());
        m_main->mdiArea()->setActiveSubWindow(window->subWindow());
        QCOMPARE(m_main->lbStatus->text(), done);
        // The search's words go with its window.
        const QPointer<TfrmConnectionOracle> guard(window);
        window->subWindow()->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(m_main->lbStatus->text(), QString());
    }

    void doubleClickOnRowsWithoutDefinitionOpensNothing()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QVERIFY(doubleClick(window, QStringLiteral("EMP_V"), QStringLiteral("View Name")));
        QVERIFY(doubleClick(window, QStringLiteral("EMP.EMPNO"), QStringLiteral("Column Name")));
        window->lvResult->clearSelection();
        Q_EMIT window->lvResult->doubleClicked(window->resultModel()->index(0, 0));
        QCOMPARE(statements, 0);
        QCOMPARE(m_main->childWindows().size(), 1);
    }

    void definitionFollowsLastSearchNotControls()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("SCOTT"), QStringLiteral("emp"));
        choose(window->cbDict, QStringLiteral("DBA"));
        choose(window->cbSchema, QStringLiteral("HR"));
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
        QVERIFY(doubleClick(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(
            sent, QStringList {"SELECT VIEW_NAME, TEXT FROM ALL_VIEWS WHERE OWNER = 'SCOTT' AND VIEW_NAME = 'EMP_V'"});
    }

    void duplicateOpensFreshWindow()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("USER"), QString(), QStringLiteral("emp"));
        // Typing in the search box, Ctrl+D duplicates the window.
        window->edFind->setFocus();
        QTest::keyClick(window->edFind, Qt::Key_D, Qt::ControlModifier);
        auto *copy = qobject_cast<TfrmConnectionOracle *>(m_main->activeChild());
        QVERIFY(copy);
        QVERIFY(copy != window);
        QVERIFY(ks::test::optionsRead(copy));
        QCOMPARE(copy->caption(), window->caption());
        QCOMPARE(copy->resultModel()->rowCount(), 0);
        QCOMPARE(copy->edFind->text(), QString());
        QCOMPARE(items(copy->cbDict), items(window->cbDict));
    }

    void closingLeavesViewersOpen()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        QVERIFY(doubleClick(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        QPointer<TfrmConnectionOracle> guard(window);
        window->subWindow()->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(m_main->childWindows().size(), 1);
        QVERIFY(qobject_cast<TfrmKsTextViewer *>(m_main->childWindows().constFirst()));
    }

    void errorMidSearchKeepsEarlierRows()
    {
        const QString broken = m_dir.filePath(QStringLiteral("broken.qmcat"));
        QStringList sql = ks::test::oracleFixture();
        sql << QStringLiteral("DROP VIEW USER_TAB_COLUMNS");
        ks::test::makeCatalogue(broken, sql);
        TfrmConnectionOracle *window = open(broken);
        window->edFind->setText(QStringLiteral("emp_v"));
        QVERIFY(ks::test::findAndWait(window));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(QStringLiteral("USER_TAB_COLUMNS")));
        QCOMPARE(listed(window), QStringList {"EMP_V|View||View Name|1"});
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(window->btnFind->text(), QStringLiteral("&Find"));
        // The status bar tells an error from an end and a stop.
        QVERIFY2(window->statusText().startsWith(QStringLiteral("Search failed after 1 row, ")),
            qPrintable(window->statusText()));
    }

    void definitionErrorLeavesViewerOpen()
    {
        // A source view without line numbers: the search finds the unit, the
        // fetch of its source fails.
        const QString odd = m_dir.filePath(QStringLiteral("noline.qmcat"));
        QStringList sql = ks::test::oracleFixture();
        sql << QStringLiteral("DROP VIEW USER_SOURCE")
            << QStringLiteral(
                   "CREATE VIEW USER_SOURCE AS SELECT NAME, TYPE, TEXT FROM DBA_SOURCE WHERE OWNER = 'SCOTT'");
        ks::test::makeCatalogue(odd, sql);
        TfrmConnectionOracle *window = open(odd);
        window->edFind->setText(QStringLiteral("raise_emp"));
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(m_seams->messages.shown.isEmpty());
        QVERIFY(doubleClick(window, QStringLiteral("PAY_PKG"), QStringLiteral("Package Source")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(QStringLiteral("LINE")));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QCOMPARE(viewer->caption(), QStringLiteral("Source of Package PAY_PKG in ") + window->caption());
        QCOMPARE(memoText(viewer), QString());
    }

    void demoCatalogueAnswersASearch()
    {
        const QString demo = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        if (demo.isEmpty() || !QFileInfo::exists(demo))
            QSKIP("the demo catalogue has not been built");
        TfrmConnectionOracle *window = open(demo);
        QCOMPARE(items(window->cbDict), (QStringList {"USER", "ALL", "DBA"}));
        choose(window->cbDict, QStringLiteral("DBA"));
        window->edFind->setText(QStringLiteral("emp"));
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(m_seams->messages.shown.isEmpty());
        QVERIFY(window->resultModel()->rowCount() > 5);
        QVERIFY(window->resultModel()->row(0).rowKind != 0);
    }

private:
    TfrmConnectionOracle *open(const QString &catalogue = {})
    {
        TfrmConnectionOracle *window = TfrmConnectionOracle::open(
            m_main.get(), ks::test::oracleConnectionString(catalogue.isEmpty() ? m_catalogue : catalogue));
        if (!ks::test::optionsRead(window))
            qWarning("the option lists were not read");
        return window;
    }

    TfrmConnectionOracle *searched(const QString &prefix, const QString &schema, const QString &text)
    {
        TfrmConnectionOracle *window = open();
        choose(window->cbDict, prefix);
        if (!schema.isEmpty())
            choose(window->cbSchema, schema);
        window->edFind->setText(text);
        if (!ks::test::findAndWait(window))
            qWarning("the search did not end");
        return window;
    }

    static QStringList items(const QComboBox *box)
    {
        QStringList result;
        for (int i = 0; i < box->count(); ++i)
            result << box->itemText(i);
        return result;
    }

    // Picks an entry as the user does, so the window's change handlers run.
    static void choose(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }

    static bool doubleClick(TfrmConnectionOracle *window, const QString &name, const QString &comment)
    {
        const ks::KsResultModel *model = window->resultModel();
        for (int i = 0; i < model->rowCount(); ++i) {
            if (model->row(i).name == name && model->row(i).comment == comment) {
                window->lvResult->selectionModel()->select(
                    model->index(i, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                window->lvResult->scrollTo(model->index(i, 0));
                const QRect rect = window->lvResult->visualRect(model->index(i, 0));
                // The view opens a row only for the second click of a pair on it.
                QTest::mouseClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::mouseDClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
                return true;
            }
        }
        return false;
    }

    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestOracleWindow)
#include "tst_oraclewindow.moc"
