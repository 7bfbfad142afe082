// The trace window on the screen: opening and closing it, its menus and
// check marks, Save As, Copy, Clear, Find, taking over batches of pending
// lines, and its placement in the program's ini file.

#include "db/KsTrace.h"
#include "settings/SettingsTestSupport.h"
#include "support/TestSeams.h"
#include "text/RlFTrace.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using ks::test::ConfigHome;

namespace {

QStringList numbered(const QString &prefix, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTraceWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<QWidget> m_owner;

    TfrmRlTrace *open()
    {
        ShowTraceWindow(m_owner.get(), true);
        TfrmRlTrace *window = TraceWindow();
        if (window && !QTest::qWaitForWindowExposed(window))
            qWarning("the trace window was not exposed");
        return window;
    }

    static QAction *item(TfrmRlTrace *window, const char *name)
    {
        auto *action = window->findChild<QAction *>(QLatin1String(name));
        if (!action)
            qWarning("no menu item %s", name);
        return action;
    }

    static QPlainTextEdit *memo(TfrmRlTrace *window)
    {
        return window->findChild<QPlainTextEdit *>(QStringLiteral("memo"));
    }

    // Destroys what was closed or dropped.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_owner = std::make_unique<QWidget>();
        m_owner->setObjectName(QStringLiteral("frmMain"));
        m_owner->resize(400, 300);
        m_owner->show();
    }

    void cleanup()
    {
        ShowTraceWindow(m_owner.get(), false);
        settle();
        m_owner.reset();
        ks::trace::setLogToFile(false);
        ks::trace::setOffline(false);
        ks::trace::takePending();
        m_seams.reset();
        m_home.reset();
    }

    void showTraceWindowOpensOneAndDestroysIt()
    {
        QVERIFY(!IsTraceWindowShown());
        QPointer<TfrmRlTrace> window = open();
        QVERIFY(window);
        QVERIFY(IsTraceWindowShown());
        QCOMPARE(window->objectName(), QStringLiteral("frmRlTrace"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Trace"));
        QVERIFY(window->isWindow());
        QCOMPARE(window->parent(), m_owner.get());
        QVERIFY(window->isVisible());

        ShowTraceWindow(m_owner.get(), true);
        QCOMPARE(TraceWindow(), window.data());
        QCOMPARE(m_owner->findChildren<TfrmRlTrace *>().size(), 1);

        ShowTraceWindow(m_owner.get(), false);
        QVERIFY(!IsTraceWindowShown());
        settle();
        QVERIFY(window.isNull());
        // The next command creates a new, empty window.
        QVERIFY(open());
        QCOMPARE(TraceWindow()->lineCount(), 0);
    }

    void exitClosesAndForgetsTheWindow()
    {
        QPointer<TfrmRlTrace> window = open();
        item(window, "miExit")->trigger();
        QVERIFY(!IsTraceWindowShown());
        QTRY_VERIFY(window.isNull());
    }

    void menusAsDesigned()
    {
        TfrmRlTrace *window = open();
        struct Item {
            const char *name;
            QString caption;
            QKeySequence shortcut;
        };
        const QList<std::pair<QString, QList<Item>>> menus {
            {QStringLiteral("&File"), {{"miSaveAs", "Save &As...", {}}, {"N1", "", {}}, {"miExit", "E&xit", {}}}},
            {QStringLiteral("&Edit"),
                {{"miCopy", "&Copy", {}}, {"miClear", "C&lear", {}}, {"N2", "", {}},
                    {"miFind", "&Find...", QKeySequence(QStringLiteral("Ctrl+F"))},
                    {"miFindNext", "Find &Next", QKeySequence(Qt::Key_F3)}}},
            {QStringLiteral("&Options"),
                {{"miLogInWindow", "Log in &Window", {}}, {"miLogToFile", "Log to &File", {}},
                    {"miOffline", "&Offline", {}}}},
        };
        const QList<QAction *> bar = window->menuBar()->actions();
        QCOMPARE(bar.size(), menus.size());
        for (int m = 0; m < menus.size(); ++m) {
            QCOMPARE(bar.at(m)->text(), menus.at(m).first);
            const QList<QAction *> actions = bar.at(m)->menu()->actions();
            QCOMPARE(actions.size(), menus.at(m).second.size());
            for (int i = 0; i < actions.size(); ++i) {
                const Item &expected = menus.at(m).second.at(i);
                QCOMPARE(actions.at(i)->objectName(), QLatin1String(expected.name));
                QCOMPARE(actions.at(i)->isSeparator(), expected.caption.isEmpty());
                if (!expected.caption.isEmpty())
                    QCOMPARE(actions.at(i)->text(), expected.caption);
                QCOMPARE(actions.at(i)->shortcut(), expected.shortcut);
            }
        }
        QCOMPARE(bar.at(0)->menu()->objectName(), QStringLiteral("mnuFile"));
        QCOMPARE(bar.at(1)->menu()->objectName(), QStringLiteral("mnuEdit"));
        QCOMPARE(bar.at(2)->menu()->objectName(), QStringLiteral("mnOptions"));
        QVERIFY(item(window, "miLogInWindow")->isChecked());
        QVERIFY(!item(window, "miLogToFile")->isChecked());
        QVERIFY(!item(window, "miOffline")->isChecked());
    }

    void memoWrapsAndKeepsItsSelectionVisible()
    {
        TfrmRlTrace *window = open();
        QPlainTextEdit *text = memo(window);
        QVERIFY(!text->isReadOnly());
        QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->palette().color(QPalette::Inactive, QPalette::Highlight),
            text->palette().color(QPalette::Active, QPalette::Highlight));
        auto *findReplace = window->findChild<TTolmFindReplace *>(QStringLiteral("FindReplace"));
        QVERIFY(findReplace);
        QCOMPARE(findReplace->Target(), text);
        QCOMPARE(findReplace->TolmIniFile(), nullptr);
    }

    void checkMarksOfTheSwitchesSurviveReopening()
    {
        TfrmRlTrace *window = open();
        item(window, "miOffline")->trigger();
        item(window, "miLogToFile")->trigger();
        item(window, "miLogInWindow")->trigger();
        QVERIFY(ks::trace::offline());
        QVERIFY(ks::trace::logToFile());
        QVERIFY(!item(window, "miLogInWindow")->isChecked());
        item(window, "miExit")->trigger();
        settle();
        QVERIFY(ks::trace::offline());

        window = open();
        QVERIFY(item(window, "miOffline")->isChecked());
        QVERIFY(item(window, "miLogToFile")->isChecked());
        QVERIFY(item(window, "miLogInWindow")->isChecked());
        item(window, "miOffline")->trigger();
        QVERIFY(!ks::trace::offline());
    }

    void logInWindowSteersWhatProducersWrite()
    {
        TfrmRlTrace *window = open();
        QVERIFY(ks::trace::active());
        ks::trace::write(QStringLiteral("shown"));
        QTRY_COMPARE(window->lines(), QStringList {"shown"});
        item(window, "miLogInWindow")->trigger();
        QVERIFY(!ks::trace::active());
        ks::trace::write(QStringLiteral("not shown"));
        item(window, "miLogInWindow")->trigger();
        ks::trace::write(QStringLiteral("shown again"));
        QTRY_COMPARE(window->lines(), (QStringList {"shown", "shown again"}));
        item(window, "miOffline")->trigger();
        QVERIFY(!ks::trace::active());
    }

    void batchOfFiveOnto1200LinesLeaves1005()
    {
        TfrmRlTrace *window = open();
        window->showLines(numbered(QStringLiteral("old "), 1200));
        QCOMPARE(window->lineCount(), 1200);
        ks::trace::addPending(numbered(QStringLiteral("new "), 5));
        QTRY_COMPARE(window->lineCount(), 1005);
        const QStringList lines = window->lines();
        QCOMPARE(lines.first(), QStringLiteral("old 200"));
        QCOMPARE(lines.at(999), QStringLiteral("old 1199"));
        QCOMPARE(lines.mid(1000), numbered(QStringLiteral("new "), 5));
        QCOMPARE(ks::trace::pendingCount(), 0);
        // The text area shows the last line.
        QScrollBar *bar = memo(window)->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
    }

    void singleLineIsAddedWithoutCutting()
    {
        TfrmRlTrace *window = open();
        window->showLines(numbered(QStringLiteral("old "), 1200));
        ks::trace::addPending(QStringLiteral("one more"));
        QTRY_COMPARE(window->lineCount(), 1201);
        QCOMPARE(window->lines().first(), QStringLiteral("old 0"));
        QCOMPARE(window->lines().last(), QStringLiteral("one more"));
    }

    void eventWithNothingPendingChangesNothing()
    {
        TfrmRlTrace *window = open();
        window->showLines({QStringLiteral("a"), QStringLiteral("b")});
        QCoreApplication::postEvent(window, new QEvent(ks::trace::pendingEventType()));
        QCoreApplication::processEvents();
        QCOMPARE(window->lines(), (QStringList {"a", "b"}));
    }

    void linesWithLineBreaksAndEmptyLines()
    {
        TfrmRlTrace *window = open();
        window->showLines({QStringLiteral("select *\r\nfrom dual"), QString(), QStringLiteral("x\ny")});
        QCOMPARE(window->lines(), (QStringList {"select *", "from dual", "", "x", "y"}));
    }

    void newWindowTakesWhatWasPending()
    {
        ks::trace::addPending(QStringLiteral("written while closed"));
        TfrmRlTrace *window = open();
        QTRY_COMPARE(window->lines(), QStringList {"written while closed"});
    }

    void saveAsWritesLinesWithCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        TfrmRlTrace *window = open();
        window->showLines({QStringLiteral("first"), QStringLiteral("Größe"), QString()});
        m_seams->files.saveAnswers.enqueue(QString());
        item(window, "miSaveAs")->trigger();
        QVERIFY(!QFile::exists(path));
        m_seams->files.saveAnswers.enqueue(path);
        item(window, "miSaveAs")->trigger();
        QCOMPARE(readFile(path),
            QByteArray("first\r\nGr\xc3\xb6\xc3\x9f"
                       "e\r\n\r\n"));
        QCOMPARE(m_seams->files.saveRequests.last().defaultSuffix, QStringLiteral("txt"));
        QVERIFY(m_seams->files.saveRequests.last().confirmOverwrite);
        QVERIFY(m_seams->files.saveRequests.last().filter.startsWith(QStringLiteral("Text Files (*.txt")));

        // A file that cannot be written is reported and nothing is lost.
        m_seams->files.saveAnswers.enqueue(dir.filePath(QStringLiteral("missing/trace.txt")));
        item(window, "miSaveAs")->trigger();
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.first().startsWith(QStringLiteral("The text could not be saved")));
        QCOMPARE(window->lineCount(), 3);
    }

    void copyTakesTheWholeTextAndKeepsTheSelection()
    {
        TfrmRlTrace *window = open();
        item(window, "miCopy")->trigger();
        QCOMPARE(m_seams->clip.writes, 0);
        window->showLines({QStringLiteral("alpha"), QStringLiteral("beta")});
        QTextCursor cursor = memo(window)->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        memo(window)->setTextCursor(cursor);
        item(window, "miCopy")->trigger();
        QCOMPARE(m_seams->clip.content, QStringLiteral("alpha\nbeta"));
        QCOMPARE(memo(window)->textCursor().selectionStart(), 1);
        QCOMPARE(memo(window)->textCursor().selectionEnd(), 3);
    }

    void clearEmptiesTheTextButNotThePendingLines()
    {
        TfrmRlTrace *window = open();
        window->showLines({QStringLiteral("a"), QStringLiteral("b")});
        ks::trace::addPending(QStringLiteral("pending"));
        item(window, "miClear")->trigger();
        QCOMPARE(window->lineCount(), 0);
        QTRY_COMPARE(window->lines(), QStringList {"pending"});
    }

    void findAndFindNextWorkOnTheMemo()
    {
        TfrmRlTrace *window = open();
        window->showLines({QStringLiteral("open connection"), QStringLiteral("close connection")});
        QTextCursor cursor = memo(window)->textCursor();
        cursor.setPosition(7);
        memo(window)->setTextCursor(cursor);
        // F3 in a fresh window opens the dialog with the word at the caret.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F3);
        auto *dialog = window->findChild<TdlgFindReplace *>(QStringLiteral("dlgFindReplace"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find"));
        QCOMPARE(dialog->cbFind->currentText(), QStringLiteral("connection"));
        dialog->hide();
        item(window, "miFindNext")->trigger();
        QCOMPARE(memo(window)->textCursor().selectionStart(), 22);
        item(window, "miFindNext")->trigger();
        QCOMPARE(m_seams->messages.shown, QStringList {"There are no (more) occurences of \"connection\""});
        item(window, "miFind")->trigger();
        QVERIFY(dialog->isVisible());
    }

    void placementIsKeptInTheIniFile()
    {
        TfrmRlTrace *window = open();
        window->move(150, 120);
        window->resize(500, 320);
        QCoreApplication::processEvents();
        const QRect before = window->geometry();
        item(window, "miExit")->trigger();
        settle();
        const QString ini = m_home->file(QCoreApplication::applicationName() + QStringLiteral(".ini"));
        const QMap<QString, QString> values = ks::test::sectionValues(ini, QStringLiteral("TfrmRlTrace"));
        QVERIFY2(values.contains(QStringLiteral("NormPos")), qPrintable(QString::fromUtf8(readFile(ini))));
        QCOMPARE(values.value(QStringLiteral("Visible")), QStringLiteral("0"));

        window = open();
        QTRY_COMPARE(window->geometry(), before);
    }
};

QTEST_MAIN(TestTraceWindow)
#include "tst_tracewindow.moc"
