// The main window: its menu tree, short-cuts of hidden items, merging of the
// active child's menus, the Windows commands, Ctrl+F4 and the error handler.

#include "app/FMain.h"
#include "base/KsApplication.h"
#include "base/KsStrings.h"
#include "kinds/KsKinds.h"
#include "search/FKsConnection.h"
#include "search/KsKindWindows.h"
#include "search/KsResultModel.h"
#include "settings/MRUList.h"
#include "shell/KsMdiChild.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/RlFTrace.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// A child window with one menu of its own, which may refuse to close.
class TestChild : public KsMdiChild {
public:
    TestChild(TfrmKsMdiMain *owner, int group, const QString &shortcut = {})
        : KsMdiChild(owner)
    {
        menu = new QMenu(QStringLiteral("&Child"), this);
        menu->setObjectName(QStringLiteral("mnChild"));
        item = menu->addAction(QStringLiteral("&Act"));
        item->setObjectName(QStringLiteral("miAct"));
        item->setShortcut(QKeySequence(shortcut));
        addMergedMenu(menu, group);
        setCaption(QStringLiteral("child"));
    }

    bool refuseClose = false;
    bool failClose = false; // CloseQuery raises an error
    int closeQueries = 0;
    QStringList *askLog = nullptr; // captions of the children asked, in order
    QMenu *menu;
    QAction *item;

    bool CloseQuery() override
    {
        ++closeQueries;
        if (askLog)
            *askLog << caption();
        if (failClose)
            throw ks::Error(QStringLiteral("cannot tell"));
        return !refuseClose;
    }
};

QStringList barCaptions(QMainWindow &window)
{
    QStringList captions;
    const QList<QAction *> actions = window.menuBar()->actions();
    for (const QAction *action : actions) {
        if (action->isVisible())
            captions << action->text();
    }
    return captions;
}

// A demo catalogue that the build made, by its file name.
QString demoCatalogue(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../data/") + name;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_window = std::make_unique<TfrmMain>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_seams.reset();
    }

    void captionAndComponentNames()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("quillmere"));
        QCOMPARE(m_window->objectName(), QStringLiteral("frmMain"));
        for (const char *name : {"mnFile", "mnWindows", "mnDebug", "mnHelp"})
            QVERIFY2(m_window->findChild<QMenu *>(QLatin1String(name)), name);
        for (const char *name : {"miNew", "miOracleDesigner", "miNewMSSQLServerConnection", "miNewOracleConnection",
                 "miOpen", "miSave", "miSaveAs", "miN1", "miExit", "miMinimizeAll", "miCloseAll", "miTraceWindow",
                 "miOnlineHelp", "miHomepage", "miN4", "miAbout"})
            QVERIFY2(m_window->findChild<QAction *>(QLatin1String(name)), name);
        QVERIFY(m_window->findChild<QWidget *>(QStringLiteral("StatusBar")));
    }

    void everyKindHasItsConnectCommand()
    {
        const std::vector<const ks::CatalogueKind *> &kinds = ks::catalogueKinds();
        QCOMPARE(ks::kindWindows().size(), kinds.size());
        QSet<QString> ids;
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const ks::KindWindows &windows = ks::kindWindows().at(i);
            QCOMPARE(windows.kind, kinds.at(i));
            QCOMPARE(ks::catalogueKind(kinds.at(i)->id()), kinds.at(i));
            QVERIFY2(!ids.contains(kinds.at(i)->id()), qPrintable(kinds.at(i)->id()));
            ids << kinds.at(i)->id();
            QAction *command = m_window->connectCommand(windows.commandName);
            QVERIFY2(command, qPrintable(windows.commandName));
            QCOMPARE(command->text(), windows.commandCaption);
            QCOMPARE(command->shortcut(), windows.shortcut);
        }
        QCOMPARE(ks::catalogueKind(QStringLiteral("no such kind")), nullptr);
    }

    void menuTreeAsShown_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items"); // caption|shortcut|shown|enabled
        QTest::newRow("file") << "mnFile"
                              << QStringList {"&New Connection||0|1", "Connect to &MS SQL Server...|Ctrl+M|1|1",
                                     "Connect to &Oracle...|Ctrl+O|1|1", "Connect to &PostgreSQL...|Ctrl+P|1|1",
                                     "&Open...||1|1", "&Save|Ctrl+S|0|0", "Save &As...||0|0", "|-|1|1", "E&xit||1|1"};
        QTest::newRow("new") << "miNewMenu" << QStringList {"Oracle &Designer...|Ctrl+D|0|1"};
        QTest::newRow("windows") << "mnWindows" << QStringList {"&Minimize All||1|1", "&Close All||1|1"};
        QTest::newRow("debug") << "mnDebug" << QStringList {"&Trace Window||1|1"};
        QTest::newRow("help") << "mnHelp"
                              << QStringList {"&Online Help|F1|0|1", "&Homepage||1|1", "|-|1|1", "&About...||1|1"};
    }

    void menuTreeAsShown()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        auto *m = m_window->findChild<QMenu *>(menu);
        QVERIFY(m);
        QStringList actual;
        const QList<QAction *> actions = m->actions();
        for (QAction *a : actions) {
            if (a->objectName().startsWith(QStringLiteral("mi")) || a->isSeparator())
                actual << QStringLiteral("%1|%2|%3|%4")
                              .arg(a->text(), a->isSeparator() ? QStringLiteral("-") : a->shortcut().toString())
                              .arg(int(a->isVisible()))
                              .arg(int(TfrmKsMdiMain::isItemEnabled(a)));
        }
        QCOMPARE(actual, items);
    }

    void menuBarOrderAndGroups()
    {
        QCOMPARE(barCaptions(*m_window), (QStringList {"&File", "&Windows", "&Help"}));
        QVERIFY(!m_window->mnDebug->menuAction()->isVisible());
    }

    void traceCommandOpensAndClosesTheTraceWindow()
    {
        QVERIFY(!IsTraceWindowShown());
        m_window->miTraceWindow->trigger();
        QVERIFY(IsTraceWindowShown());
        QVERIFY(TraceWindow()->isVisible());
        QVERIFY(!m_window->mdiArea()->subWindowList().contains(TraceWindow()->parentWidget()));
        m_window->miTraceWindow->trigger();
        QVERIFY(!IsTraceWindowShown());
    }

    void hiddenItemShortcutsStayInForce()
    {
        QSignalSpy designer(m_window->connectCommand(QStringLiteral("miOracleDesigner")), &QAction::triggered);
        QSignalSpy help(m_window->miOnlineHelp, &QAction::triggered);
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        // The Designer command runs the connect dialog; cancel it as a user would.
        QTimer::singleShot(0, this, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(designer.count(), 1);
        QCOMPARE(help.count(), 1);
    }

    void disabledItemShortcutDoesNothingButMenuRefreshes()
    {
        QSignalSpy fileOpened(m_window->mnFile, &QMenu::aboutToShow);
        QSignalSpy save(m_window->miSave, &QAction::triggered);
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fileOpened.count(), 1);
        QCOMPARE(save.count(), 0);
    }

    void disabledEnclosingMenuBlocksShortcut()
    {
        QSignalSpy designer(m_window->connectCommand(QStringLiteral("miOracleDesigner")), &QAction::triggered);
        m_window->miNew->setEnabled(false);
        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(designer.count(), 0);
    }

    void ctrlOIsTheOracleConnectCommand()
    {
        QSignalSpy oracle(m_window->connectCommand(QStringLiteral("miNewOracleConnection")), &QAction::triggered);
        QSignalSpy open(m_window->miOpen, &QAction::triggered);
        // The command runs the connect dialog; cancel it as a user would.
        QTimer::singleShot(0, this, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(oracle.count(), 1);
        QCOMPARE(open.count(), 0);
        QVERIFY(m_window->childWindows().isEmpty());
    }

    void childMenuMergesWhileActive()
    {
        auto *child = new TestChild(m_window.get(), 20);
        child->showChild();
        QTRY_COMPARE(barCaptions(*m_window), (QStringList {"&File", "&Child", "&Windows", "&Help"}));
        child->subWindow()->close();
        QTRY_COMPARE(barCaptions(*m_window), (QStringList {"&File", "&Windows", "&Help"}));
    }

    void childMenuReplacesItsGroup()
    {
        auto *child = new TestChild(m_window.get(), 80);
        child->showChild();
        QTRY_COMPARE(barCaptions(*m_window), (QStringList {"&File", "&Child", "&Help"}));
    }

    void activeChildWinsSharedShortcut()
    {
        auto *child = new TestChild(m_window.get(), 20, QStringLiteral("Ctrl+D"));
        child->showChild();
        QTRY_VERIFY(m_window->activeChild() == child);
        QSignalSpy duplicate(child->item, &QAction::triggered);
        QSignalSpy designer(m_window->connectCommand(QStringLiteral("miOracleDesigner")), &QAction::triggered);
        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(duplicate.count(), 1);
        QCOMPARE(designer.count(), 0);
    }

    void switchingChildrenSwitchesMenus()
    {
        auto *first = new TestChild(m_window.get(), 20, QStringLiteral("Ctrl+D"));
        first->menu->setTitle(QStringLiteral("&First"));
        first->showChild();
        auto *second = new TestChild(m_window.get(), 20, QStringLiteral("Ctrl+D"));
        second->menu->setTitle(QStringLiteral("&Second"));
        second->showChild();
        QTRY_COMPARE(barCaptions(*m_window), (QStringList {"&File", "&Second", "&Windows", "&Help"}));
        m_window->mdiArea()->setActiveSubWindow(first->subWindow());
        QTRY_COMPARE(barCaptions(*m_window), (QStringList {"&File", "&First", "&Windows", "&Help"}));
        QSignalSpy firstSpy(first->item, &QAction::triggered);
        QSignalSpy secondSpy(second->item, &QAction::triggered);
        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(firstSpy.count(), 1);
        QCOMPARE(secondSpy.count(), 0);
    }

    void minimizeAllMinimizesEveryChild()
    {
        auto *a = new TestChild(m_window.get(), 20);
        a->showChild();
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_window.get(), QStringLiteral("text"));
        m_window->miMinimizeAll->trigger();
        QVERIFY(a->subWindow()->isMinimized());
        QVERIFY(viewer->subWindow()->isMinimized());
    }

    void closeAllKeepsChildThatRefuses()
    {
        m_window->miCloseAll->trigger(); // on an empty frame: nothing happens
        auto *stubborn = new TestChild(m_window.get(), 20);
        stubborn->refuseClose = true;
        auto *willing = new TestChild(m_window.get(), 20);
        stubborn->showChild();
        willing->showChild();
        QPointer<TestChild> willingGuard(willing);
        m_window->miCloseAll->trigger();
        QTRY_VERIFY(willingGuard.isNull());
        QCOMPARE(m_window->childWindows(), (QList<KsMdiChild *> {stubborn}));
    }

    void ctrlF4ClosesTheActiveChild()
    {
        auto *child = new TestChild(m_window.get(), 20);
        child->showChild();
        // As on X11, whose close key is Ctrl+W alone: the frame's own Close does not answer Ctrl+F4.
        for (QAction *item : child->subWindow()->systemMenu()->actions())
            item->setShortcuts({});
        const QPointer<TestChild> guard(child);
        QTest::keyClick(m_window.get(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(guard.isNull());
    }

    void exitIsRefusedWhileAChildRefuses()
    {
        auto *willing = new TestChild(m_window.get(), 20);
        willing->showChild();
        auto *stubborn = new TestChild(m_window.get(), 20);
        stubborn->refuseClose = true;
        stubborn->showChild();
        m_window->miExit->trigger();
        QVERIFY(m_window->isVisible());
        // Every child is asked before any closes, so none went.
        QCOMPARE(m_window->childWindows(), (QList<KsMdiChild *> {willing, stubborn}));
        stubborn->refuseClose = false;
        m_window->miExit->trigger();
        QVERIFY(!m_window->isVisible());
    }

    // Three children a, b, c opened in this order; b is then brought to the
    // front, so front to back they stand b, c, a.
    QList<QPointer<TestChild>> threeChildren(QStringList &log)
    {
        QList<QPointer<TestChild>> children;
        for (const char *name : {"a", "b", "c"}) {
            auto *child = new TestChild(m_window.get(), 20);
            child->setCaption(QLatin1String(name));
            child->askLog = &log;
            child->showChild();
            children << child;
        }
        m_window->mdiArea()->setActiveSubWindow(children.at(1)->subWindow());
        return children;
    }

    static QList<int> queries(const QList<QPointer<TestChild>> &children)
    {
        QList<int> counts;
        for (const QPointer<TestChild> &child : children)
            counts << (child ? child->closeQueries : -1);
        return counts;
    }

    void closingProgramAsksEachChildOnceFrontToBack_data()
    {
        QTest::addColumn<bool>("byExit");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }

    void closingProgramAsksEachChildOnceFrontToBack()
    {
        QFETCH(bool, byExit);
        QStringList log;
        QList<QPointer<TestChild>> children = threeChildren(log);
        if (byExit)
            m_window->miExit->trigger();
        else
            m_window->close();
        QCOMPARE(log, (QStringList {"b", "c", "a"}));
        QCOMPARE(queries(children), (QList<int> {1, 1, 1}));
        QVERIFY(!m_window->isVisible());
        QTRY_VERIFY(std::all_of(children.cbegin(), children.cend(), [](const auto &child) { return child.isNull(); }));
        // Closed without a second question: every question is in the log.
        QCOMPARE(log, (QStringList {"b", "c", "a"}));
    }

    void refusalKeepsEveryWindowOpenAndStopsAsking()
    {
        QStringList log;
        QList<QPointer<TestChild>> children = threeChildren(log);
        children.at(2)->refuseClose = true; // c, second from the front
        m_window->miExit->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(log, (QStringList {"b", "c"}));
        QCOMPARE(queries(children), (QList<int> {0, 1, 1}));
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->childWindows().size(), 3);
        for (const QPointer<TestChild> &child : children)
            QVERIFY(child->subWindow()->isVisible());

        // Once c agrees, a further Exit asks each once more and ends.
        children.at(2)->refuseClose = false;
        log.clear();
        m_window->miExit->trigger();
        QCOMPARE(log, (QStringList {"b", "c", "a"}));
        QVERIFY(!m_window->isVisible());
    }

    void errorWhileAskingCountsAsRefusal()
    {
        QStringList log;
        QList<QPointer<TestChild>> children = threeChildren(log);
        children.at(1)->failClose = true; // b, at the front
        m_window->miExit->trigger();
        QCOMPARE(log, QStringList {"b"});
        QCOMPARE(m_seams->messages.shown, QStringList {"cannot tell"});
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->childWindows().size(), 3);
    }

    void closingProgramWithOpenChildren()
    {
        auto *a = new TestChild(m_window.get(), 20);
        auto *b = new TestChild(m_window.get(), 20);
        a->showChild();
        b->showChild();
        QPointer<TestChild> guard(a);
        m_window.reset();
        QVERIFY(guard.isNull());
    }

    void baseWindowShowsDocumentCommands()
    {
        TfrmKsMdiMain base;
        QCOMPARE(base.miNew->text(), QStringLiteral("&New"));
        QCOMPARE(base.miNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(base.miOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        for (QAction *item : {base.miNew, base.miOpen, base.miSave, base.miSaveAs, base.miOnlineHelp})
            QVERIFY(item->isVisible());
        QVERIFY(!TfrmKsMdiMain::isItemEnabled(base.miSave));
        QCOMPARE(base.CreateDocument(QStringLiteral("x.txt")), nullptr);
        QCOMPARE(base.GetUsageText(), QString());
    }

    void windowsMenuListsChildren()
    {
        auto *a = new TestChild(m_window.get(), 20);
        a->setCaption(QStringLiteral("alpha"));
        a->showChild();
        Q_EMIT m_window->mnWindows->aboutToShow();
        const QList<QAction *> actions = m_window->mnWindows->actions();
        QVERIFY(std::any_of(actions.cbegin(), actions.cend(), [](const QAction *action) {
            return action->text().endsWith(QStringLiteral("alpha")) && action->isChecked();
        }));
    }

    void catalogueFilesOpenInTheWindowOfTheirKind_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("window");
        QTest::newRow("oracle from the command line") << "oracle-demo.qmcat"
                                                      << "command line"
                                                      << "frmConnectionOracle";
        QTest::newRow("sql server by open") << "mssql-demo.qmcat"
                                            << "open"
                                            << "frmConnectionMsSql";
        QTest::newRow("designer dropped") << "designer-demo.qmcat"
                                          << "drop"
                                          << "frmConnectionDesigner";
        QTest::newRow("oracle from the recent list") << "oracle-demo.qmcat"
                                                     << "recent"
                                                     << "frmConnectionOracle";
    }

    // Each way in opens the file, ready to search, and puts it on top of the
    // recent-file list.
    void catalogueFilesOpenInTheWindowOfTheirKind()
    {
        QFETCH(QString, file);
        QFETCH(QString, how);
        QFETCH(QString, window);
        const QString path = QFileInfo(demoCatalogue(file)).canonicalFilePath();
        QVERIFY2(!path.isEmpty(), qPrintable(demoCatalogue(file) + " is missing"));
        if (how == QStringLiteral("command line")) {
            m_window = std::make_unique<TfrmMain>();
            m_window->setCommandLineFiles({path});
            m_window->show();
        } else if (how == QStringLiteral("open")) {
            QVERIFY(m_window->miOpen->isVisible());
            m_seams->files.openAnswers.enqueue({path});
            m_window->miOpen->trigger();
        } else if (how == QStringLiteral("drop")) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &enter);
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &dropped);
        } else {
            m_window->MRUManager->Add(path, 0);
            m_window->MRUManager->recentItems().value(1)->trigger();
        }
        QTRY_VERIFY(m_window->activeChild());
        auto *child = qobject_cast<TfrmConnectionBase *>(m_window->activeChild());
        QVERIFY(child);
        QCOMPARE(child->objectName(), window);
        QVERIFY2(child->caption().contains(path), qPrintable(child->caption()));
        QCOMPARE(m_window->MRUManager->Strings().name(0), path);
        QCOMPARE(m_seams->messages.shown, QStringList());

        // A repository is searched in the application system the user picks.
        if (auto *systems = child->findChild<QComboBox *>(QStringLiteral("cbAppSys"))) {
            QTRY_VERIFY(systems->count() > 0);
            systems->setCurrentIndex(0);
        }
        child->findChild<QLineEdit *>(QStringLiteral("edFind"))->setText(QStringLiteral("e"));
        auto *find = child->findChild<QPushButton *>(QStringLiteral("btnFind"));
        QTRY_VERIFY(find->isEnabled());
        find->click();
        QTRY_VERIFY(!child->isSearching());
        QVERIFY(child->resultModel()->rowCount() > 1);
    }

    void filesThatHoldNoCatalogueAreRefusedByName_data()
    {
        QTest::addColumn<QString>("content"); // SQL for an SQLite file, or text
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << "just text"
                              << "is not a catalogue file";
        QTest::newRow("other database") << "CREATE TABLE orders (id INTEGER)"
                                        << "holds no catalogue";
        QTest::newRow("snapshot of a newer program") << "CREATE TABLE quillmere_snapshot (name TEXT, value TEXT); "
                                                        "INSERT INTO quillmere_snapshot VALUES ('format', '99')"
                                                     << "Open it with a newer quillmere";
    }

    void filesThatHoldNoCatalogueAreRefusedByName()
    {
        QFETCH(QString, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odd.qmcat"));
        if (content.startsWith(QStringLiteral("CREATE"))) {
            // A snapshot is the Oracle demo catalogue with the table that says so.
            if (content.contains(QStringLiteral("snapshot")))
                QVERIFY(QFile::copy(demoCatalogue(QStringLiteral("oracle-demo.qmcat")), path));
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("odd"));
                db.setDatabaseName(path);
                QVERIFY(db.open());
                for (const QString &statement : content.split(QStringLiteral("; ")))
                    QVERIFY(QSqlQuery(db).exec(statement));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("odd"));
        } else {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(content.toUtf8());
        }
        m_seams->files.openAnswers.enqueue({path});
        m_window->miOpen->trigger();
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().startsWith(path + u' ')
                && m_seams->messages.shown.constFirst().contains(message),
            qPrintable(m_seams->messages.shown.constFirst()));
        QVERIFY(m_window->childWindows().isEmpty());
        QVERIFY(m_window->MRUManager->Strings().indexOf(path) < 0);
    }

    void errorsOfCommandsAreShownAndProgramGoesOn()
    {
        auto *child = new TestChild(m_window.get(), 20, QStringLiteral("Ctrl+T"));
        child->showChild();
        QTRY_VERIFY(m_window->activeChild() == child);
        int runs = 0;
        connect(child->item, &QAction::triggered, child, ks::guarded([&runs] {
            ++runs;
            throw ks::Error(QStringLiteral("table or view does not exist"));
        }));
        QTest::keyClick(m_window.get(), Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(m_window.get(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(runs, 2);
        QCOMPARE(
            m_seams->messages.shown, (QStringList {"table or view does not exist", "table or view does not exist"}));
        QVERIFY(m_window->isVisible());
    }

private:
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_window;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
