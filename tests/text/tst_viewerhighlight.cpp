// A text viewer opened from a search, inside a real main window: the marks on
// the occurrences of the search text, the first one selected and scrolled
// into view (also when it arrives later, but not when the user has moved
// away meanwhile), Find and Find Next with the search text filled in, their
// short-cuts through the main window and not in other windows, and Copy and
// Save carrying no mark.

#include "settings/SettingsTestSupport.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsMdiChild.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"
#include "text/KsViewerHighlight.h"
#include "text/RlFTrace.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <memory>

using ks::SearchHighlight;

Q_DECLARE_METATYPE(ks::SearchHighlight)

namespace {

// Lines of which only `matches` (line number to text) hold anything worth finding.
QStringList plainLines(int count, const QMap<int, QString> &matches = {})
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << matches.value(i, QStringLiteral("  line %1 of the body").arg(i));
    return lines;
}

} // namespace

class TestViewerHighlight : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmKsMdiMain> m_main;

    TfrmKsTextViewer *openViewer(const QStringList &lines, const SearchHighlight &highlight)
    {
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("Source of PAY_PKG"));
        viewer->setSearchHighlight(highlight);
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        for (const QString &line : lines)
            output->WriteLn(line);
        return viewer;
    }

    static QPlainTextEdit *memo(TfrmKsTextViewer *viewer)
    {
        return viewer->findChild<QPlainTextEdit *>(QStringLiteral("Memo"));
    }

    static QAction *item(QObject *window, const char *name)
    {
        auto *action = window->findChild<QAction *>(QLatin1String(name));
        if (!action)
            qWarning("no menu item %s", name);
        return action;
    }

    static TTolmFindReplace *findDialog(TfrmKsTextViewer *viewer)
    {
        return viewer->findChild<TTolmFindReplace *>(QStringLiteral("FindDialog"));
    }

    // Each mark as "line:column:text".
    static QStringList marks(const QPlainTextEdit *edit)
    {
        QStringList result;
        const QList<QTextEdit::ExtraSelection> selections = edit->extraSelections();
        for (const QTextEdit::ExtraSelection &selection : selections) {
            const QTextBlock block = edit->document()->findBlock(selection.cursor.selectionStart());
            result << QStringLiteral("%1:%2:%3")
                          .arg(block.blockNumber())
                          .arg(selection.cursor.selectionStart() - block.position())
                          .arg(selection.cursor.selectedText());
        }
        return result;
    }

    // The selection as "line:column:text".
    static QString selection(const QPlainTextEdit *edit)
    {
        const QTextCursor cursor = edit->textCursor();
        const QTextBlock block = edit->document()->findBlock(cursor.selectionStart());
        return QStringLiteral("%1:%2:%3")
            .arg(block.blockNumber())
            .arg(cursor.selectionStart() - block.position())
            .arg(cursor.selectedText());
    }

    static bool selectionOnScreen(const QPlainTextEdit *edit)
    {
        return edit->viewport()->rect().contains(edit->cursorRect());
    }

    static int firstLineOnScreen(const QPlainTextEdit *edit)
    {
        return edit->cursorForPosition(QPoint(0, 0)).blockNumber();
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmKsMdiMain>();
        m_main->resize(1000, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    void cleanup()
    {
        ShowTraceWindow(m_main.get(), false);
        m_main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main.reset();
        m_seams.reset();
        m_home.reset();
    }

    void marksEveryOccurrenceOnScreen_data()
    {
        QTest::addColumn<SearchHighlight>("highlight");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("oracle, Ignore Case") << SearchHighlight::oracleSearch(QStringLiteral(" Emp "), true)
                                             << QStringList {"0:23:EMP", "1:9:emp", "2:5:emp", "3:14:EMP"};
        QTest::newRow("oracle, letter case counts")
            << SearchHighlight::oracleSearch(QStringLiteral("emp"), false) << QStringList {"1:9:emp", "2:5:emp"};
        QTest::newRow("oracle, wildcards split the text") << SearchHighlight::oracleSearch(
            QStringLiteral("emp%name"), false) << QStringList {"1:9:emp", "1:19:name", "2:5:emp"};
        QTest::newRow("sql server, letter case folded")
            << SearchHighlight::msSqlSearch(QStringLiteral("EmPnO")) << QStringList {"1:9:empno", "3:14:EMPNO"};
        QTest::newRow("sql server, set of one")
            << SearchHighlight::msSqlSearch(QStringLiteral("emp[_]v")) << QStringList {"0:23:EMP_V"};
        QTest::newRow("nothing to mark") << SearchHighlight::oracleSearch(QStringLiteral("%"), true) << QStringList {};
        SearchHighlight phrase = SearchHighlight::oracleSearch(QStringLiteral("ename\\nfrom"), true);
        phrase.mode = ks::MatchMode::Text;
        QTest::newRow("a phrase over two lines") << phrase << QStringList {"1:18:ename\u2029from"};
    }

    void marksEveryOccurrenceOnScreen()
    {
        QFETCH(SearchHighlight, highlight);
        QFETCH(QStringList, expected);

        TfrmKsTextViewer *viewer
            = openViewer({QStringLiteral("create or replace view EMP_V as"), QStringLiteral("select e.empno, e.ename"),
                             QStringLiteral("from emp e"), QStringLiteral("-- the key is EMPNO")},
                highlight);
        QPlainTextEdit *edit = memo(viewer);
        QTRY_COMPARE(marks(edit), expected);
        if (!expected.isEmpty()) {
            // The first occurrence is also the selection.
            QCOMPARE(selection(edit), expected.first());
        }
        QVERIFY(edit->isReadOnly());

        // A viewer without a search marks nothing.
        viewer->setSearchHighlight(SearchHighlight());
        QVERIFY(marks(edit).isEmpty());
        edit->viewport()->repaint();
        QVERIFY(marks(edit).isEmpty());
    }

    void firstOccurrenceIsSelectedAndScrolledIntoView()
    {
        TfrmKsTextViewer *viewer
            = openViewer(plainLines(3000, {{2000, QStringLiteral("  v_total := calc_PAYROLL(p_month);")}}),
                SearchHighlight::msSqlSearch(QStringLiteral("payroll")));
        QPlainTextEdit *edit = memo(viewer);
        QCOMPARE(selection(edit), QStringLiteral("2000:18:PAYROLL"));
        QTRY_VERIFY(selectionOnScreen(edit));
        // Not merely at the bottom edge: there is text to read below it.
        QVERIFY(firstLineOnScreen(edit) > 1900);
        QVERIFY(edit->cursorRect().top() > edit->fontMetrics().height() * 3);
        QVERIFY(edit->cursorRect().bottom() < edit->viewport()->height() - edit->fontMetrics().height() * 3);
        QTRY_COMPARE(marks(edit), QStringList {QStringLiteral("2000:18:PAYROLL")});
    }

    void occurrenceOnFirstPageDoesNotScroll()
    {
        TfrmKsTextViewer *viewer = openViewer(plainLines(500, {{4, QStringLiteral("select payroll from dual")}}),
            SearchHighlight::oracleSearch(QStringLiteral("PAYROLL"), true));
        QPlainTextEdit *edit = memo(viewer);
        QCOMPARE(selection(edit), QStringLiteral("4:7:payroll"));
        QTRY_VERIFY(selectionOnScreen(edit));
        QCOMPARE(edit->verticalScrollBar()->value(), 0);
    }

    void linesArrivingLaterAreMarkedAndTheFirstSelectedOnce()
    {
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("Definition"));
        viewer->setSearchHighlight(SearchHighlight::oracleSearch(QStringLiteral("target"), true));
        QPlainTextEdit *edit = memo(viewer);
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        for (const QString &line : plainLines(60))
            output->WriteLn(line);
        QTRY_COMPARE(edit->document()->blockCount(), 60);
        QVERIFY(!edit->textCursor().hasSelection());

        // The first occurrence arrives with a later batch.
        output->WriteLn(QStringLiteral("the TARGET is here"));
        output->WriteLn(QStringLiteral("and another Target"));
        QTRY_COMPARE(edit->document()->blockCount(), 62);
        QCOMPARE(selection(edit), QStringLiteral("60:4:TARGET"));
        QTRY_VERIFY(selectionOnScreen(edit));
        const int scrolled = edit->verticalScrollBar()->value();

        // More occurrences arrive: marked, but the selection stays.
        for (const QString &line : plainLines(100))
            output->WriteLn(line);
        output->WriteLn(QStringLiteral("a late target"));
        output.reset();
        QCOMPARE(edit->document()->blockCount(), 163);
        QCOMPARE(selection(edit), QStringLiteral("60:4:TARGET"));
        QCOMPARE(edit->verticalScrollBar()->value(), scrolled);
        QTRY_VERIFY(marks(edit).contains(QStringLiteral("61:12:Target")));
        QVERIFY(marks(edit).contains(QStringLiteral("60:4:TARGET")));

        // Scrolled to the end, the late one is marked too.
        edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        QTRY_VERIFY(marks(edit).contains(QStringLiteral("162:7:target")));
        QVERIFY(!marks(edit).contains(QStringLiteral("60:4:TARGET")));
    }

    void highlightSetAfterTheLinesSelectsTheFirst()
    {
        TfrmKsTextViewer *viewer = openViewer(
            plainLines(300, {{250, QStringLiteral("where x = 'O''Brien' or y = 'O'")}}), SearchHighlight());
        QPlainTextEdit *edit = memo(viewer);
        QTRY_COMPARE(edit->document()->blockCount(), 300);
        viewer->setSearchHighlight(SearchHighlight::oracleSearch(QStringLiteral("O''Brien"), false));
        QCOMPARE(selection(edit), QStringLiteral("250:11:O''Brien"));
        QTRY_VERIFY(selectionOnScreen(edit));
        QTRY_COMPARE(marks(edit), QStringList {QStringLiteral("250:11:O''Brien")});
    }

    void userWhoMovedIsNotPulledAway_data()
    {
        QTest::addColumn<QString>("move");
        QTest::newRow("scroll bar") << "scroll";
        QTest::newRow("click in the text") << "click";
        QTest::newRow("key") << "key";
    }

    void userWhoMovedIsNotPulledAway()
    {
        QFETCH(QString, move);

        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("Definition"));
        viewer->setSearchHighlight(SearchHighlight::oracleSearch(QStringLiteral("needle"), true));
        QPlainTextEdit *edit = memo(viewer);
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        for (const QString &line : plainLines(200))
            output->WriteLn(line);
        QTRY_COMPARE(edit->document()->blockCount(), 200);

        if (move == QLatin1String("scroll")) {
            edit->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        } else if (move == QLatin1String("click")) {
            QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, QPoint(30, edit->fontMetrics().height() * 2));
        } else {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Down);
        }
        const int scrolled = edit->verticalScrollBar()->value();
        const int caret = edit->textCursor().position();

        for (const QString &line : plainLines(300, {{250, QStringLiteral("a needle in the stack")}}))
            output->WriteLn(line);
        output.reset();
        QCOMPARE(edit->document()->blockCount(), 500);
        QVERIFY(!edit->textCursor().hasSelection());
        QCOMPARE(edit->textCursor().position(), caret);
        QCOMPARE(edit->verticalScrollBar()->value(), scrolled);

        // Find Next takes the user there.
        item(viewer, "miFindNext")->trigger();
        QCOMPARE(selection(edit), QStringLiteral("450:2:needle"));
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void findNextWalksTheOccurrences()
    {
        TfrmKsTextViewer *viewer = openViewer(
            plainLines(400,
                {{10, QStringLiteral("emp")}, {200, QStringLiteral("x EMP emp")}, {390, QStringLiteral("last Emp")}}),
            SearchHighlight::oracleSearch(QStringLiteral("emp"), true));
        QPlainTextEdit *edit = memo(viewer);
        QAction *findNext = item(viewer, "miFindNext");
        QVERIFY(findNext->isEnabled());
        QCOMPARE(findDialog(viewer)->FindText(), QStringLiteral("emp"));
        QCOMPARE(selection(edit), QStringLiteral("10:0:emp"));

        findNext->trigger();
        QCOMPARE(selection(edit), QStringLiteral("200:2:EMP"));
        QVERIFY(selectionOnScreen(edit));
        findNext->trigger();
        QCOMPARE(selection(edit), QStringLiteral("200:6:emp"));
        findNext->trigger();
        QCOMPARE(selection(edit), QStringLiteral("390:5:Emp"));
        QVERIFY(selectionOnScreen(edit));
        QVERIFY(m_seams->messages.shown.isEmpty());

        findNext->trigger();
        QCOMPARE(m_seams->messages.shown, QStringList {QStringLiteral("There are no (more) occurences of \"emp\"")});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Warning});
        QCOMPARE(selection(edit), QStringLiteral("390:5:Emp"));
    }

    void findNextFollowsTheSearchsLetterCase_data()
    {
        QTest::addColumn<SearchHighlight>("highlight");
        QTest::addColumn<QStringList>("found");

        // SQL Server folds ẞ to ß; Oracle's UPPER keeps them apart. Letters
        // beyond ASCII count, as in the search.
        QTest::newRow("sql server") << SearchHighlight::msSqlSearch(QStringLiteral("straße"))
                                    << QStringList {"0:0:STRAẞE", "1:3:Straße", "3:0:straße"};
        QTest::newRow("oracle, Ignore Case") << SearchHighlight::oracleSearch(QStringLiteral("straße"), true)
                                             << QStringList {"1:3:Straße", "3:0:straße"};
        QTest::newRow("oracle, letter case counts")
            << SearchHighlight::oracleSearch(QStringLiteral("straße"), false) << QStringList {"3:0:straße"};
        // Find Next takes the search's text in the search's match mode.
        SearchHighlight expression = SearchHighlight::oracleSearch(QStringLiteral("s\\w+e\\b"), true);
        expression.mode = ks::MatchMode::RegularExpression;
        QTest::newRow("regular expression") << expression << QStringList {"2:0:STRASSE"};
        SearchHighlight overLines = SearchHighlight::oracleSearch(QStringLiteral("\\d\\n\\w"), true);
        overLines.mode = ks::MatchMode::RegularExpression;
        QTest::newRow("over lines") << overLines << QStringList {"1:10:2\u2029S", "2:8:3\u2029s"};
    }

    void findNextFollowsTheSearchsLetterCase()
    {
        QFETCH(SearchHighlight, highlight);
        QFETCH(QStringList, found);

        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("STRAẞE 1"), QStringLiteral("-- Straße 2"),
                                                  QStringLiteral("STRASSE 3"), QStringLiteral("straße")},
            highlight);
        QPlainTextEdit *edit = memo(viewer);
        QStringList walked {selection(edit)};
        for (int i = 1; i < found.size(); ++i) {
            item(viewer, "miFindNext")->trigger();
            walked << selection(edit);
        }
        QCOMPARE(walked, found);
        QVERIFY(m_seams->messages.shown.isEmpty());
        item(viewer, "miFindNext")->trigger();
        QCOMPARE(m_seams->messages.shown.size(), 1);
    }

    void findOffersTheSearchText_data()
    {
        QTest::addColumn<SearchHighlight>("highlight");
        QTest::addColumn<QString>("findText");
        QTest::addColumn<bool>("matchCase");

        QTest::newRow("as typed, not as found")
            << SearchHighlight::oracleSearch(QStringLiteral("café"), true) << "café" << false;
        QTest::newRow("letter case counts")
            << SearchHighlight::oracleSearch(QStringLiteral("CAFÉ"), false) << "CAFÉ" << true;
        QTest::newRow("first literal run of a pattern")
            << SearchHighlight::oracleSearch(QStringLiteral("%caf%menu"), true) << "caf" << false;
        QTest::newRow("sql server set of one")
            << SearchHighlight::msSqlSearch(QStringLiteral("x[_]y")) << "x_y" << false;
        QTest::newRow("no occurrence: not the word at the caret")
            << SearchHighlight::oracleSearch(QStringLiteral("absent"), false) << "absent" << true;
    }

    void findOffersTheSearchText()
    {
        QFETCH(SearchHighlight, highlight);
        QFETCH(QString, findText);
        QFETCH(bool, matchCase);

        TfrmKsTextViewer *viewer
            = openViewer({QStringLiteral("select * from CAFÉ_MENU"), QStringLiteral("where x_y = 1")}, highlight);
        QAction *find = item(viewer, "miFind");
        QVERIFY(find->isEnabled());
        find->trigger();

        auto *dialog = viewer->findChild<TdlgFindReplace *>(QStringLiteral("dlgFindReplace"));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find"));
        QCOMPARE(dialog->cbFind->currentText(), findText);
        QCOMPARE(dialog->cbMatchCase->isChecked(), matchCase);
        // Find only, forward only.
        QVERIFY(!dialog->cbReplace->isVisible());
        QVERIFY(!dialog->btReplaceAll->isVisible());
        QVERIFY(!dialog->rgUpDown->isVisible());
        QVERIFY(dialog->btFind->isEnabled());
        dialog->close();
    }

    void viewerWithoutSearchHasFindWithEmptyText()
    {
        TfrmKsTextViewer *viewer
            = openViewer({QStringLiteral("connected to ORCL"), QStringLiteral("query took 3 s")}, SearchHighlight());
        QPlainTextEdit *edit = memo(viewer);
        TTolmFindReplace *find = findDialog(viewer);
        QVERIFY(find->FindText().isEmpty());
        QVERIFY(!find->Options().testFlag(ks::frMatchCase));

        // Find Next without a find text opens the dialog.
        item(viewer, "miFindNext")->trigger();
        TdlgFindReplace *dialog = find->dialog();
        QVERIFY(dialog->isVisible());
        dialog->cbFind->setEditText(QStringLiteral("QUERY"));
        QTest::mouseClick(dialog->btFind, Qt::LeftButton);
        QCOMPARE(selection(edit), QStringLiteral("1:0:query"));
        QVERIFY(marks(edit).isEmpty());
    }

    void shortcutsReachTheActiveViewerThroughTheMainWindow()
    {
        TfrmKsTextViewer *viewer
            = openViewer(plainLines(100, {{20, QStringLiteral("emp")}, {80, QStringLiteral("emp")}}),
                SearchHighlight::oracleSearch(QStringLiteral("emp"), false));
        QPlainTextEdit *edit = memo(viewer);
        QCOMPARE(m_main->activeChild(), viewer);
        edit->setFocus();
        QCOMPARE(selection(edit), QStringLiteral("20:0:emp"));

        QTest::keyClick(edit, Qt::Key_F3);
        QCOMPARE(selection(edit), QStringLiteral("80:0:emp"));

        QTest::keyClick(edit, Qt::Key_F, Qt::ControlModifier);
        TdlgFindReplace *dialog = findDialog(viewer)->dialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->cbFind->currentText(), QStringLiteral("emp"));
        dialog->close();
    }

    void shortcutsStayWithOtherWindows()
    {
        TfrmKsTextViewer *viewer = openViewer(plainLines(50, {{5, QStringLiteral("emp")}, {40, QStringLiteral("emp")}}),
            SearchHighlight::oracleSearch(QStringLiteral("emp"), false));
        QPlainTextEdit *edit = memo(viewer);
        TdlgFindReplace *viewerDialog = findDialog(viewer)->dialog();

        // The trace window has its own Find and Find Next, also while the
        // viewer is the main window's active child.
        QCOMPARE(m_main->activeChild(), viewer);
        ShowTraceWindow(m_main.get(), true);
        TfrmRlTrace *trace = TraceWindow();
        QVERIFY(trace);
        QVERIFY(QTest::qWaitForWindowExposed(trace));
        trace->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), trace);
        auto *traceMemo = trace->findChild<QPlainTextEdit *>(QStringLiteral("memo"));
        QTest::keyClick(traceMemo, Qt::Key_F, Qt::ControlModifier);
        auto *traceFind = trace->findChild<TTolmFindReplace *>(QStringLiteral("FindReplace"));
        QTRY_VERIFY(traceFind->dialog()->isVisible());
        QVERIFY(!viewerDialog->isVisible());
        traceFind->dialog()->close();
        QTest::keyClick(traceMemo, Qt::Key_F3);
        QTRY_VERIFY(traceFind->dialog()->isVisible()); // no find text yet: the dialog
        QCOMPARE(selection(edit), QStringLiteral("5:0:emp"));
        QVERIFY(!viewerDialog->isVisible());
        ShowTraceWindow(m_main.get(), false);
        m_main->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_main.get());

        // Another child without a Find command is active: the keys do nothing.
        auto *other = new KsMdiChild(m_main.get());
        other->showChild();
        QCOMPARE(m_main->activeChild(), other);
        QTest::keyClick(m_main.get(), Qt::Key_F3);
        QTest::keyClick(m_main.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(selection(edit), QStringLiteral("5:0:emp"));
        QVERIFY(!viewerDialog->isVisible());

        // Back in the viewer they work again.
        m_main->mdiArea()->setActiveSubWindow(viewer->subWindow());
        QCOMPARE(m_main->activeChild(), viewer);
        QTest::keyClick(m_main.get(), Qt::Key_F3);
        QCOMPARE(selection(edit), QStringLiteral("40:0:emp"));
    }

    void copyAndSaveCarryNoMark()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("source.txt"));
        TfrmKsTextViewer *viewer
            = openViewer({QStringLiteral("begin"), QStringLiteral("  raise_salary(EMP_ID);"), QStringLiteral("end;")},
                SearchHighlight::oracleSearch(QStringLiteral("emp"), true));
        QPlainTextEdit *edit = memo(viewer);
        QTRY_COMPARE(marks(edit), QStringList {QStringLiteral("1:15:EMP")});

        item(viewer, "miCopy")->trigger();
        QCOMPARE(m_seams->clip.content, QStringLiteral("begin\n  raise_salary(EMP_ID);\nend;"));
        m_seams->files.saveAnswers << fileName;
        item(viewer, "miSaveToFile")->trigger();
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("begin\r\n  raise_salary(EMP_ID);\r\nend;\r\n"));
        // The text itself has no format: printing, which reads the lines, and
        // anything else that reads the document find none.
        QTextCursor inside(edit->document());
        inside.setPosition(edit->document()->findBlockByNumber(1).position() + 16);
        QVERIFY(!inside.charFormat().hasProperty(QTextFormat::BackgroundBrush));
        QCOMPARE(selection(edit), QStringLiteral("1:15:EMP"));
    }

    void longTextMarksOnlyWhatIsOnScreen()
    {
        QStringList lines;
        for (int i = 0; i < 100000; ++i)
            lines << QStringLiteral("  %1: select column_name from all_tab_columns").arg(i, 6);
        TfrmKsTextViewer *viewer = openViewer(lines, SearchHighlight::msSqlSearch(QStringLiteral("COLUMN[_]NAME")));
        QPlainTextEdit *edit = memo(viewer);
        QCOMPARE(edit->document()->blockCount(), 100000);
        QCOMPARE(selection(edit), QStringLiteral("0:17:column_name"));

        const auto marksOnScreen = [edit] {
            const QStringList found = marks(edit);
            const int first = firstLineOnScreen(edit);
            const int last = edit->cursorForPosition(QPoint(0, edit->viewport()->height() - 1)).blockNumber();
            return !found.isEmpty() && found.size() == last - first + 1
                && found.first() == QStringLiteral("%1:17:column_name").arg(first);
        };
        QTRY_VERIFY(marksOnScreen());
        QVERIFY(marks(edit).size() < 200);

        edit->verticalScrollBar()->setValue(60000);
        QTRY_VERIFY(marksOnScreen());
        QVERIFY(firstLineOnScreen(edit) >= 60000);

        // Wrapped, the text is laid out anew; at its end the last line is marked.
        item(viewer, "miWordWrap")->trigger();
        const auto lastLineMarkedAtEnd = [edit] {
            edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
            return marks(edit).contains(QStringLiteral("99999:17:column_name"));
        };
        QTRY_VERIFY(lastLineMarkedAtEnd());
    }
};

QTEST_MAIN(TestViewerHighlight)
#include "tst_viewerhighlight.moc"
