// What the Oracle connection window alone does, driven through its controls
// against catalogue files: its dictionary and schema lists, the statements
// its include boxes choose, the owner a definition is fetched from, Enter on
// a row, the status bar and the demo catalogue. What every connection window
// does is tested over all kinds in tst_kindwindows.cpp.

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "kinds/oracle/FConnectOracle.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "support/OracleFixture.h"
#include "support/ResultListDriving.h"
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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using ks::test::choose;
using ks::test::doubleClickRow;
using ks::test::listedRows;

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

    void initialisationFillsOptionLists()
    {
        TfrmConnectionOracle *window = open();
        QCOMPARE(ks::test::listItems(window->cbDict), (QStringList {"USER", "ALL", "DBA"}));
        QCOMPARE(window->cbDict->currentText(), QStringLiteral("USER"));
        QCOMPARE(ks::test::listItems(window->cbSchema), (QStringList {"(all)", "SYS", "SCOTT", "HR", "O'HARA"}));
        QCOMPARE(window->cbSchema->currentIndex(), 0);
        QVERIFY(!window->cbSchema->isEnabled());
    }

    void triggerBodyOwnerComesFromTheRow()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("HR"), QStringLiteral("emp"));
        choose(window->cbSchema, QStringLiteral("SCOTT"));
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
        QVERIFY(doubleClickRow(window, QStringLiteral("EMPLOYEES.EMP_TRG"), QStringLiteral("Trigger Definition")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(sent,
            QStringList {"SELECT TRIGGER_BODY FROM ALL_TRIGGERS WHERE OWNER = 'HR' AND TABLE_NAME || '.' || "
                         "TRIGGER_NAME = 'EMPLOYEES.EMP_TRG'"});
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

    void headerClickErrorIsReportedAndListStays()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        const QStringList before = listedRows(window);
        // A header without a column of its own, as a stray click could report.
        Q_EMIT window->lvResult->header()->sectionClicked(7);
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(QStringLiteral("7")));
        QCOMPARE(listedRows(window), before);
        QVERIFY(window->isVisible());
    }

    void enterOpensTheRowAsADoubleClickDoes()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        const int row = listedRows(window).indexOf(QStringLiteral("EMP_V|View|SCOTT|View Definition|2"));
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

    void definitionFollowsLastSearchNotControls()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("SCOTT"), QStringLiteral("emp"));
        choose(window->cbDict, QStringLiteral("DBA"));
        choose(window->cbSchema, QStringLiteral("HR"));
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
        QVERIFY(doubleClickRow(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        QVERIFY(ks::test::fetchEnds(qobject_cast<TfrmKsTextViewer *>(m_main->activeChild())));
        QCOMPARE(
            sent, QStringList {"SELECT VIEW_NAME, TEXT FROM ALL_VIEWS WHERE OWNER = 'SCOTT' AND VIEW_NAME = 'EMP_V'"});
    }

    void closingLeavesViewersOpen()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("ALL"), QStringLiteral("(all)"), QStringLiteral("emp"));
        QVERIFY(doubleClickRow(window, QStringLiteral("EMP_V"), QStringLiteral("View Definition")));
        QPointer<TfrmConnectionOracle> guard(window);
        window->subWindow()->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(m_main->childWindows().size(), 1);
        QVERIFY(qobject_cast<TfrmKsTextViewer *>(m_main->childWindows().constFirst()));
    }

    void demoCatalogueAnswersASearch()
    {
        const QString demo = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        if (demo.isEmpty() || !QFileInfo::exists(demo))
            QSKIP("the demo catalogue has not been built");
        TfrmConnectionOracle *window = open(demo);
        QCOMPARE(ks::test::listItems(window->cbDict), (QStringList {"USER", "ALL", "DBA"}));
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

    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestOracleWindow)
#include "tst_oraclewindow.moc"
