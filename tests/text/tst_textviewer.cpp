// The text viewer window inside a real main window: its menu, the output
// adapter, Copy, Save To File, Print and Word Wrap, driven by component names.

#include "shell/FKsMdiMain.h"
#include "support/TestFonts.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

// Caps the size of any file this process writes, so that a save runs out of
// room half way, whoever runs the test (permissions do not stop root).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_active = false;
};

QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &fileName, const QByteArray &content)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestTextViewer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmKsMdiMain> m_main;

    TfrmKsTextViewer *openViewer(const QStringList &pieces, const QString &caption = QStringLiteral("Definition"))
    {
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), caption);
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        for (const QString &piece : pieces)
            output->WriteLn(piece);
        return viewer;
    }

    static QAction *item(TfrmKsTextViewer *viewer, const QString &name)
    {
        auto *action = viewer->findChild<QAction *>(name);
        if (!action)
            qWarning("no menu item %s", qPrintable(name));
        return action;
    }

    static QPlainTextEdit *memo(TfrmKsTextViewer *viewer)
    {
        return viewer->findChild<QPlainTextEdit *>(QStringLiteral("Memo"));
    }

    static TfrKsTextViewer *frame(TfrmKsTextViewer *viewer)
    {
        return viewer->findChild<TfrKsTextViewer *>(QStringLiteral("frKsTextViewer"));
    }

private slots:
    void init()
    {
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmKsMdiMain>();
        m_main->resize(1000, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        // The viewers go first, as when the user closes them; the main
        // window's own tests cover closing it over open children.
        m_main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main.reset();
        m_seams.reset();
    }

    void newViewerLooksAsDeclared()
    {
        auto *viewer = new TfrmKsTextViewer(m_main.get());
        viewer->showChild();
        QCOMPARE(viewer->objectName(), QStringLiteral("frmKsTextViewer"));
        QCOMPARE(viewer->caption(), QStringLiteral("Text Viewer"));
        QCOMPARE(viewer->subWindow()->size(), QSize(583, 265));

        TfrKsTextViewer *component = frame(viewer);
        QVERIFY(component);
        QVERIFY(component->caption().isEmpty());
        QPlainTextEdit *edit = memo(viewer);
        QVERIFY(edit);
        QCOMPARE(edit->parentWidget(), component);
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit->font().pointSize(), 10);
        // Columns of a definition line up: every character is equally wide.
        const QString uneven = ks::test::unevenAdvances(edit->font());
        QVERIFY2(uneven.isEmpty(), qPrintable(uneven));
        QVERIFY(!edit->tabChangesFocus());
        const qreal space = QFontMetricsF(edit->font()).horizontalAdvance(QLatin1Char(' '));
        QCOMPARE(edit->tabStopDistance(), 8 * space);
        QCOMPARE(component->lineCount(), 0);
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checkable");

        QTest::newRow("copy") << "miCopy"
                              << "&Copy" << true << false;
        QTest::newRow("find") << "miFind"
                              << "&Find..." << true << false;
        QTest::newRow("find next") << "miFindNext"
                                   << "Find &Next" << true << false;
        QTest::newRow("save") << "miSaveToFile"
                              << "&Save To File..." << true << false;
        QTest::newRow("print") << "miPrint"
                               << "&Print..." << true << false;
        QTest::newRow("word wrap") << "miWordWrap"
                                   << "&Word Wrap" << true << true;
    }

    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        QFETCH(bool, checkable);

        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("text")});
        QAction *action = item(viewer, name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->isEnabled(), enabled);
        QCOMPARE(action->isCheckable(), checkable);
        QVERIFY(!action->isChecked());
    }

    void menuHoldsItemsInOrder()
    {
        TfrmKsTextViewer *viewer = openViewer({});
        auto *menu = viewer->findChild<QMenu *>(QStringLiteral("mnViewer"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("&Viewer"));
        QCOMPARE(KsMdiChild::groupIndex(menu), 20);
        QStringList names;
        const QList<QAction *> actions = menu->actions();
        for (const QAction *action : actions)
            names << action->objectName();
        QCOMPARE(
            names, (QStringList {"miCopy", "miFind", "miFindNext", "miSaveToFile", "miPrint", "miN1", "miWordWrap"}));
        QVERIFY(actions.at(5)->isSeparator());
        QCOMPARE(actions.at(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QCOMPARE(actions.at(2)->shortcut(), QKeySequence(Qt::Key_F3));
    }

    void viewerMenuStandsInMenuBarWhileActive()
    {
        const auto titles = [this] {
            QStringList result;
            const QList<QAction *> actions = m_main->menuBar()->actions();
            for (const QAction *action : actions) {
                if (action->isVisible())
                    result << action->text();
            }
            return result;
        };
        QVERIFY(!titles().contains(QStringLiteral("&Viewer")));

        QPointer<TfrmKsTextViewer> viewer = openViewer({QStringLiteral("text")});
        QCOMPARE(m_main->activeChild(), viewer.data());
        const QStringList shown = titles();
        QVERIFY(shown.indexOf(QStringLiteral("&File")) < shown.indexOf(QStringLiteral("&Viewer")));
        QVERIFY(shown.indexOf(QStringLiteral("&Viewer")) < shown.indexOf(QStringLiteral("&Windows")));

        viewer->subWindow()->close();
        QTRY_VERIFY(viewer.isNull());
        QVERIFY(!titles().contains(QStringLiteral("&Viewer")));
    }

    void createShowsCaptionedViewerInFront()
    {
        TfrmKsTextViewer *first = openViewer({QStringLiteral("one")}, QStringLiteral("First"));
        TfrmKsTextViewer *second = openViewer({QStringLiteral("two")}, QStringLiteral("View EMP_V in HR@ORCL"));
        QVERIFY(first->isVisible());
        QVERIFY(second->isVisible());
        QCOMPARE(second->caption(), QStringLiteral("View EMP_V in HR@ORCL"));
        QCOMPARE(m_main->activeChild(), second);
        QCOMPARE(m_main->childWindows().size(), 2);
    }

    void writtenPiecesBecomeLines_data()
    {
        QTest::addColumn<QStringList>("calls"); // "w:" for Write, "l:" for WriteLn
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("three CR LF separated lines in one piece")
            << QStringList {"l:select ename\r\nfrom emp\r\nwhere deptno = 10"}
            << QStringList {"select ename", "from emp", "where deptno = 10"};
        QTest::newRow("write then writeln, then another writeln")
            << QStringList {"w:ab", "l:cd", "l:ef"} << QStringList {"abcd", "ef"};
        QTest::newRow("pieces keep their order")
            << QStringList {"l:1", "l:2\r\n3", "l:4"} << QStringList {"1", "2", "3", "4"};
        QTest::newRow("a piece ending in CR LF adds an empty line")
            << QStringList {"l:a\r\n", "l:b"} << QStringList {"a", "", "b"};
        QTest::newRow("an empty first piece is a line") << QStringList {"l:", "l:x"} << QStringList {"", "x"};
        QTest::newRow("lone LF and lone CR also break") << QStringList {"l:a\nb\rc"} << QStringList {"a", "b", "c"};
        QTest::newRow("tabs and non-ASCII text stay")
            << QStringList {"l:\tGröße – 名前 – 😀"} << QStringList {"\tGröße – 名前 – 😀"};
    }

    void writtenPiecesBecomeLines()
    {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, lines);

        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("T"));
        {
            std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
            for (const QString &call : std::as_const(calls)) {
                if (call.startsWith(QLatin1String("w:")))
                    output->Write(call.mid(2));
                else
                    output->WriteLn(call.mid(2));
            }
        }
        // Once the adapter is gone the memo itself holds every line.
        QCOMPARE(memo(viewer)->document()->blockCount(), lines.size());
        QCOMPARE(memo(viewer)->toPlainText(), lines.join(QLatin1Char('\n')));
        QCOMPARE(frame(viewer)->lines(), lines);
    }

    void linesReachMemoWhileWriterIsStillOpen()
    {
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("T"));
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        output->WriteLn(QStringLiteral("first"));
        output->WriteLn(QStringLiteral("second"));
        QTRY_COMPARE(memo(viewer)->toPlainText(), QStringLiteral("first\nsecond"));
        output->WriteLn(QStringLiteral("third"));
        QCOMPARE(frame(viewer)->lineCount(), 3);
    }

    void writerOutlivingItsViewerWritesNowhere()
    {
        QPointer<TfrmKsTextViewer> viewer = openViewer({QStringLiteral("kept")});
        std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
        viewer->subWindow()->close();
        QTRY_VERIFY(viewer.isNull());
        output->WriteLn(QStringLiteral("lost"));
        output.reset();
        QVERIFY(m_main->childWindows().isEmpty());
    }

    void copyPutsWholeTextAndKeepsSelection()
    {
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("line one\r\nline two"), QStringLiteral("line three")});
        QPlainTextEdit *edit = memo(viewer);
        QTextCursor selection = edit->textCursor();
        selection.setPosition(5);
        selection.setPosition(12, QTextCursor::KeepAnchor);
        edit->setTextCursor(selection);

        item(viewer, QStringLiteral("miCopy"))->trigger();

        QCOMPARE(m_seams->clip.content, QStringLiteral("line one\nline two\nline three"));
        QCOMPARE(m_seams->clip.writes, 1);
        QCOMPARE(edit->textCursor().anchor(), 5);
        QCOMPARE(edit->textCursor().position(), 12);
        QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("one\u2029lin"));
    }

    void copyOfEmptyViewerLeavesClipboardAlone()
    {
        TfrmKsTextViewer *viewer = openViewer({});
        m_seams->clip.content = QStringLiteral("earlier");
        item(viewer, QStringLiteral("miCopy"))->trigger();
        QCOMPARE(m_seams->clip.content, QStringLiteral("earlier"));
        QCOMPARE(m_seams->clip.writes, 0);
    }

    void copyOfSingleEmptyLineIsNotEmptyViewer()
    {
        TfrmKsTextViewer *viewer = openViewer({QString()});
        m_seams->clip.content = QStringLiteral("earlier");
        item(viewer, QStringLiteral("miCopy"))->trigger();
        QCOMPARE(m_seams->clip.writes, 1);
        QCOMPARE(m_seams->clip.content, QString());
    }

    void saveWritesUtf8LinesEndedByCrLf()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fileName = dir.filePath(QStringLiteral("definition.txt"));
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("create view \"Größe\" as"),
            QStringLiteral("select '名前', '😀'\r\n\tfrom dual"), QString()});
        m_seams->files.saveAnswers << fileName;

        item(viewer, QStringLiteral("miSaveToFile"))->trigger();

        QVERIFY2(m_seams->messages.shown.isEmpty(), qPrintable(m_seams->messages.shown.join('\n')));
        QCOMPARE(readFile(fileName),
            QStringLiteral("create view \"Größe\" as\r\nselect '名前', '😀'\r\n\tfrom dual\r\n\r\n").toUtf8());
        QCOMPARE(m_seams->files.saveRequests.size(), 1);
        const ks::SaveFileRequest request = m_seams->files.saveRequests.first();
        QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
        QVERIFY(request.confirmOverwrite);
        QCOMPARE(request.filter, QStringLiteral("Text Files (*.txt);;All Files (*)"));
    }

    void saveReplacesExistingFile()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(writeFile(fileName, "a much longer earlier content\r\n"));
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("new")});
        m_seams->files.saveAnswers << fileName;
        item(viewer, QStringLiteral("miSaveToFile"))->trigger();
        QCOMPARE(readFile(fileName), QByteArray("new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("old.txt")});
    }

    void cancelledSaveWritesNothing()
    {
        QTemporaryDir dir;
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("text")});
        item(viewer, QStringLiteral("miSaveToFile"))->trigger(); // no answer queued: Cancel
        QCOMPARE(m_seams->files.saveRequests.size(), 1);
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void failedSaveKeepsExistingFileAndReports()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("keep.txt"));
        QVERIFY(writeFile(fileName, "old content\r\n"));
        QStringList lines;
        for (int i = 0; i < 2000; ++i)
            lines << QStringLiteral("line %1 of a text too long for the room left on the disk").arg(i);
        TfrmKsTextViewer *viewer = openViewer(lines);
        m_seams->files.saveAnswers << fileName;
        {
            FileSizeLimit limit(4096);
            if (!limit.active())
                QSKIP("the file size limit cannot be set here");
            item(viewer, QStringLiteral("miSaveToFile"))->trigger();
        }
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.first().contains(QDir::toNativeSeparators(fileName)),
            qPrintable(m_seams->messages.shown.first()));
        QCOMPARE(readFile(fileName), QByteArray("old content\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("keep.txt")});
        QCOMPARE(frame(viewer)->lineCount(), 2000);
    }

    void saveIntoMissingDirectoryReports()
    {
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("text")});
        m_seams->files.saveAnswers << QStringLiteral("/nonexistent-directory/out.txt");
        item(viewer, QStringLiteral("miSaveToFile"))->trigger();
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.first().contains(QStringLiteral("out.txt")));
    }

    void printOfEmptyViewerOnlyBeeps()
    {
        TfrmKsTextViewer *viewer = openViewer({});
        item(viewer, QStringLiteral("miPrint"))->trigger();
        QCOMPARE(m_seams->printer.beeps, 1);
        QCOMPARE(m_seams->printer.dialogs, 0);
    }

    void cancelledPrintPrintsNothing()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("out.pdf"));
        m_seams->printer.confirm = false;
        m_seams->printer.preparePrinter = [&fileName](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(fileName);
        };
        TfrmKsTextViewer *viewer = openViewer({QStringLiteral("text")});
        item(viewer, QStringLiteral("miPrint"))->trigger();
        QCOMPARE(m_seams->printer.dialogs, 1);
        QCOMPARE(m_seams->printer.beeps, 0);
        QVERIFY(!QFile::exists(fileName));
    }

    void printWritesEveryLineWithoutMargins()
    {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("out.pdf"));
        QMarginsF margins(-1, -1, -1, -1);
        m_seams->printer.preparePrinter = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(fileName);
            margins = printer.pageLayout().margins();
        };
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("%1\tselect * from dual").arg(i);
        TfrmKsTextViewer *viewer = openViewer(lines);
        item(viewer, QStringLiteral("miPrint"))->trigger();

        QVERIFY(m_seams->messages.shown.isEmpty());
        QCOMPARE(margins, QMarginsF(0, 0, 0, 0));
        const QByteArray pdf = readFile(fileName);
        QVERIFY(pdf.startsWith("%PDF"));
        // 301 lines of 10 pt text do not fit on one page, nor on three.
        const qsizetype pages
            = QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)")));
        QVERIFY2(pages >= 4 && pages <= 6, qPrintable(QString::number(pages)));
    }

    void wordWrapSwitchesScrollBars()
    {
        TfrmKsTextViewer *viewer = openViewer({QString(400, QLatin1Char('x')), QStringLiteral("short")});
        QPlainTextEdit *edit = memo(viewer);
        QAction *wrap = item(viewer, QStringLiteral("miWordWrap"));
        QVERIFY(edit->horizontalScrollBar()->isVisible());
        QVERIFY(edit->verticalScrollBar()->isVisible());

        wrap->trigger();
        QVERIFY(wrap->isChecked());
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QTRY_VERIFY(!edit->horizontalScrollBar()->isVisible());
        QVERIFY(edit->verticalScrollBar()->isVisible());
        // The long line now takes several rows of the memo.
        QVERIFY(edit->document()->firstBlock().layout()->lineCount() > 1);

        wrap->trigger();
        QVERIFY(!wrap->isChecked());
        QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
        QTRY_VERIFY(edit->horizontalScrollBar()->isVisible());
        QVERIFY(edit->verticalScrollBar()->isVisible());
    }

    void takesHundredThousandLines()
    {
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("Big"));
        {
            std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
            for (int i = 0; i < 100000; ++i)
                output->WriteLn(QStringLiteral("  %1: select column_name from all_tab_columns").arg(i));
        }
        QCoreApplication::processEvents();
        QPlainTextEdit *edit = memo(viewer);
        QCOMPARE(edit->document()->blockCount(), 100000);
        QCOMPARE(
            edit->document()->lastBlock().text(), QStringLiteral("  99999: select column_name from all_tab_columns"));
        // The top of the text is what the user sees first.
        QCOMPARE(edit->textCursor().position(), 0);
        QCOMPARE(edit->verticalScrollBar()->value(), 0);
        QVERIFY(edit->verticalScrollBar()->maximum() > 99000);
    }
};

QTEST_MAIN(TestTextViewer)
#include "tst_textviewer.moc"
