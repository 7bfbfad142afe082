// The document machinery of the main-window base, driven with a document
// window of the tests' own: Open, Save, Save As, the close question, the
// File menu's enabling, the recent-file list, files named on the command
// line and files dropped on the window.

#include "settings/MRUList.h"
#include "settings/SettingsTestSupport.h"
#include "shell/FKsDocument.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsFileDialogs.h"
#include "shell/KsStrings.h"
#include "support/TestSeams.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A document that records what the machinery asks of it in its main
// window's log.
class TestDocument : public TfrmKsDocument {
    Q_OBJECT
public:
    TestDocument(TfrmKsMdiMain *owner, QStringList *log)
        : TfrmKsDocument(owner)
        , m_log(log)
    {
    }

    QStringList saves; // the file name at each save
    int modifiedChanges = 0;
    bool failLoading = false;
    bool postNotes = false; // each load posts a note to the log

    QString GetDefaultExt() const override { return QStringLiteral("tdoc"); }
    QString GetFilter() const override { return QStringLiteral("Test documents (*.tdoc)|*.tdoc|All Files (*.*)|*.*"); }

    void SaveDocument() override
    {
        saves << FileName();
        note(QStringLiteral("save ") + QFileInfo(FileName()).fileName());
        TfrmKsDocument::SaveDocument();
    }

    void LoadDocument(const QString &fileName) override
    {
        const QString name = QFileInfo(fileName).fileName();
        note(QStringLiteral("load ") + name);
        if (postNotes) {
            QStringList *log = m_log;
            QTimer::singleShot(0, owner(), [log, name] { *log << QStringLiteral("events after ") + name; });
        }
        if (failLoading)
            throw ks::Error(QStringLiteral("cannot read ") + fileName);
        TfrmKsDocument::LoadDocument(fileName);
    }

    void ModifiedChanged() override { ++modifiedChanges; }

private:
    void note(const QString &text)
    {
        if (m_log)
            *m_log << text;
    }

    QStringList *m_log;
};

// A main window that opens every file in a TestDocument.
class TestMain : public TfrmKsMdiMain {
    Q_OBJECT
public:
    QStringList log;
    bool createNone = false;
    bool failLoading = false;
    bool postNotes = false;

    TfrmKsDocument *CreateDocument(const QString &fileName) override
    {
        log << QStringLiteral("create ") + QFileInfo(fileName).fileName();
        if (createNone)
            return nullptr;
        auto *document = new TestDocument(this, &log);
        document->failLoading = failLoading;
        document->postNotes = postNotes;
        return document;
    }

    QList<TestDocument *> documents() const
    {
        QList<TestDocument *> found;
        for (KsMdiChild *child : childWindows()) {
            if (auto *document = qobject_cast<TestDocument *>(child))
                found << document;
        }
        return found;
    }

    TestDocument *active() const { return qobject_cast<TestDocument *>(activeChild()); }
};

// The current directory changed for the lifetime of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString &path)
        : m_previous(QDir::currentPath())
    {
        QVERIFY(QDir::setCurrent(path));
    }
    ~CurrentDirectory() { QDir::setCurrent(m_previous); }
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;

private:
    QString m_previous;
};

// A plain child that is no document.
class PlainChild : public KsMdiChild {
public:
    explicit PlainChild(TfrmKsMdiMain *owner)
        : KsMdiChild(owner)
    {
    }
};

QStringList recentNames(const TfrmKsMdiMain &main)
{
    return main.MRUManager->Strings().names();
}

QStringList recentCaptions(const TfrmKsMdiMain &main)
{
    QStringList captions;
    for (const QAction *item : main.MRUManager->recentItems()) {
        if (!item->isSeparator())
            captions << item->text();
    }
    return captions;
}

// Drops `urls` on `target` as a file manager would.
bool drop(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TestMain> m_main;
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &content = "text\n") const
    {
        const QString path = m_dir.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    TestDocument *openOne(const QString &name)
    {
        m_main->OpenDocumentFile(file(name));
        return m_main->active();
    }

    // Chooses a File command as the user does: the menu is opened first.
    void choose(QAction *command)
    {
        Q_EMIT m_main->mnFile->aboutToShow();
        command->trigger();
    }

    // What the File menu offers after it was opened.
    std::pair<bool, bool> saveItemsEnabled()
    {
        Q_EMIT m_main->mnFile->aboutToShow();
        return {TfrmKsMdiMain::isItemEnabled(m_main->miSave), TfrmKsMdiMain::isItemEnabled(m_main->miSaveAs)};
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TestMain>();
        m_main->resize(700, 500);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
        m_home.reset();
    }

    void newDocumentAsDesigned()
    {
        auto *document = new TestDocument(m_main.get(), nullptr);
        QCOMPARE(document->modifiedChanges, 0);
        document->showChild();
        // Told of its first state once it is whole.
        QCOMPARE(document->modifiedChanges, 1);
        QCOMPARE(document->objectName(), QStringLiteral("frmKsDocument"));
        QCOMPARE(document->caption(), QStringLiteral("frmKsDocument"));
        QCOMPARE(document->subWindow()->size(), QSize(542, 323));
        QVERIFY(!document->Modified());
        QCOMPARE(document->FileName(), QString());
        QVERIFY(document->findChild<TKsSaveDialog *>(QStringLiteral("SaveDialog")));

        TfrmKsDocument base(m_main.get());
        QCOMPARE(base.GetDefaultExt(), QStringLiteral("txt"));
        QCOMPARE(base.GetFilter(), QStringLiteral("All Files (*.*)|*.*"));
        base.setModified(true);
        QVERIFY(base.IsModified());
        base.SaveDocument();
        QVERIFY(!base.IsModified());
    }

    void modifiedChangesAreAnnounced()
    {
        TestDocument *document = openOne(QStringLiteral("m.txt"));
        const int before = document->modifiedChanges;
        document->setModified(true);
        document->setModified(true); // no change, no notice
        QCOMPARE(document->modifiedChanges, before + 1);
        document->ClearModified();
        QVERIFY(!document->Modified());
        QCOMPARE(document->modifiedChanges, before + 2);
    }

    void openingAFileShowsLoadsAndMovesItToTheTop()
    {
        const QString first = file(QStringLiteral("first.fto"));
        const QString second = file(QStringLiteral("second.fto"));
        m_main->OpenDocumentFile(first);
        m_main->OpenDocumentFile(second);
        TestDocument *document = m_main->active();
        QVERIFY(document);
        QVERIFY(document->isVisible());
        QCOMPARE(document->FileName(), second);
        QCOMPARE(document->caption(), QStringLiteral("second.fto"));
        QVERIFY(!document->Modified());
        QCOMPARE(
            m_main->log, (QStringList {"create first.fto", "load first.fto", "create second.fto", "load second.fto"}));
        QCOMPARE(recentNames(*m_main), (QStringList {second, first}));
        QCOMPARE(recentCaptions(*m_main), (QStringList {"&0 " + second, "&1 " + first}));
        // The recent files follow Exit at the end of the File menu.
        const QList<QAction *> items = m_main->mnFile->actions();
        const qsizetype exit = items.indexOf(m_main->miExit);
        QVERIFY(items.at(exit + 1)->isSeparator());
        QCOMPARE(items.at(exit + 2)->text(), "&0 " + second);
    }

    void filesThatCannotBeOpenedChangeNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("empty name") << "empty";
        QTest::newRow("no document for it") << "none";
    }

    void filesThatCannotBeOpenedChangeNothing()
    {
        QFETCH(QString, kind);
        QString name = m_dir.filePath(QStringLiteral("absent.fto"));
        if (kind == QLatin1String("directory"))
            name = m_dir.path();
        else if (kind == QLatin1String("empty"))
            name.clear();
        else if (kind == QLatin1String("none")) {
            name = file(QStringLiteral("nobody.fto"));
            m_main->createNone = true;
        }
        m_main->OpenDocumentFile(name);
        QVERIFY(m_main->childWindows().isEmpty());
        QCOMPARE(recentNames(*m_main), QStringList());
        QCOMPARE(m_main->log, kind == QLatin1String("none") ? QStringList {"create nobody.fto"} : QStringList());
    }

    void loadErrorIsReportedAndLeavesTheListAlone()
    {
        m_main->failLoading = true;
        const QString name = file(QStringLiteral("broken.fto"));
        m_main->MRUManager->Add(name, 0);
        m_main->MRUManager->Add(QStringLiteral("/elsewhere/newer.fto"), 0);
        // Chosen from the recent list, as a user would.
        m_main->MRUManager->recentItems().constLast()->trigger();
        QCOMPARE(m_seams->messages.shown, QStringList {"cannot read " + name});
        QCOMPARE(recentNames(*m_main), (QStringList {"/elsewhere/newer.fto", name}));
        // The window stays, as the program keeps what it had done.
        QCOMPARE(m_main->documents().size(), 1);
    }

    void openDialogAsDesigned()
    {
        m_seams->files.openAnswers.enqueue({});
        m_main->miOpen->trigger();
        QCOMPARE(m_seams->files.openRequests.size(), 1);
        const ks::OpenFilesRequest request = m_seams->files.openRequests.constFirst();
        QCOMPARE(request.filter, QStringLiteral("All files (*)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("fto"));
        QVERIFY(request.multiple);
        QVERIFY(m_main->childWindows().isEmpty());
    }

    void openTakesSeveralFilesAndBringsOpenOnesToTheFront()
    {
        const QString a = file(QStringLiteral("a.fto"));
        const QString b = file(QStringLiteral("b.fto"));
        const QString c = file(QStringLiteral("c.fto"));
        const QString upper = file(QStringLiteral("A.FTO"));
        m_seams->files.openAnswers.enqueue({a, b});
        m_main->miOpen->trigger();
        QCOMPARE(m_main->documents().size(), 2);
        TestDocument *documentA = m_main->documents().at(0);
        QCOMPARE(m_main->active()->FileName(), b);

        // a is shown already: it comes to the front; c is opened after it.
        m_main->log.clear();
        m_seams->files.openAnswers.enqueue({c, a});
        m_main->miOpen->trigger();
        QCOMPARE(m_main->log, (QStringList {"create c.fto", "load c.fto"}));
        QCOMPARE(m_main->active(), documentA);
        QCOMPARE(m_main->documents().size(), 3);

        // The same name in other letters is another file here.
        m_seams->files.openAnswers.enqueue({upper});
        m_main->miOpen->trigger();
        QCOMPARE(m_main->documents().size(), 4);
        QCOMPARE(m_main->active()->FileName(), upper);
        // A name that is gone by now opens nothing.
        m_seams->files.openAnswers.enqueue({m_dir.filePath(QStringLiteral("gone.fto"))});
        m_main->miOpen->trigger();
        QCOMPARE(m_main->documents().size(), 4);
    }

    void saveWithAFileNameAsksNothing()
    {
        TestDocument *document = openOne(QStringLiteral("keep.txt"));
        const QString other = file(QStringLiteral("other.txt"));
        m_main->OpenDocumentFile(other);
        m_main->mdiArea()->setActiveSubWindow(document->subWindow());
        document->setModified(true);
        choose(m_main->miSave);
        QCOMPARE(document->saves, QStringList {m_dir.filePath(QStringLiteral("keep.txt"))});
        QVERIFY(m_seams->files.saveRequests.isEmpty());
        QVERIFY(!document->Modified());
        QCOMPARE(recentNames(*m_main).constFirst(), document->FileName());
    }

    void saveOfANewDocumentAsksForAName_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("Save") << false;
        QTest::newRow("Save As") << true;
    }

    void saveOfANewDocumentAsksForAName()
    {
        QFETCH(bool, saveAs);
        auto *document = new TestDocument(m_main.get(), nullptr);
        document->showChild();
        document->setModified(true);
        QAction *command = saveAs ? m_main->miSaveAs : m_main->miSave;

        m_seams->files.saveAnswers.enqueue(QString()); // Cancel
        choose(command);
        QCOMPARE(document->saves, QStringList());
        QVERIFY(document->Modified());
        QCOMPARE(m_seams->files.saveRequests.size(), 1);
        const ks::SaveFileRequest request = m_seams->files.saveRequests.constFirst();
        QCOMPARE(request.defaultSuffix, QStringLiteral("tdoc"));
        QCOMPARE(request.filter, QStringLiteral("Test documents (*.tdoc);;All Files (*)"));
        QCOMPARE(request.fileName, QString());
        QVERIFY(request.confirmOverwrite);

        const QString target = m_dir.filePath(QStringLiteral("new.tdoc"));
        m_seams->files.saveAnswers.enqueue(target);
        choose(command);
        QCOMPARE(document->saves, QStringList {target});
        QCOMPARE(document->FileName(), target);
        QVERIFY(!document->Modified());
        QCOMPARE(recentNames(*m_main), QStringList {target});
    }

    void saveAsStartsAtTheCurrentName()
    {
        TestDocument *document = openOne(QStringLiteral("current.txt"));
        const QString current = document->FileName();
        m_seams->files.saveAnswers.enqueue(QString());
        choose(m_main->miSaveAs);
        QCOMPARE(m_seams->files.saveRequests.size(), 1);
        QCOMPARE(m_seams->files.saveRequests.constFirst().fileName, current);
        QCOMPARE(document->saves, QStringList());

        const QString renamed = m_dir.filePath(QStringLiteral("renamed.txt"));
        m_seams->files.saveAnswers.enqueue(renamed);
        choose(m_main->miSaveAs);
        QCOMPARE(document->saves, QStringList {renamed});
        QCOMPARE(recentNames(*m_main), (QStringList {renamed, current}));
    }

    void saveCommandsNeedADocument()
    {
        auto *plain = new PlainChild(m_main.get());
        plain->showChild();
        // Also when the commands are run while their items are off.
        m_main->miSaveClick();
        m_main->miSaveAsClick();
        QVERIFY(m_seams->files.saveRequests.isEmpty());
        QCOMPARE(recentNames(*m_main), QStringList());
    }

    void fileMenuEnablesSaveItems_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("no child") << "none" << false << false;
        QTest::newRow("a child that is no document") << "plain" << false << false;
        QTest::newRow("unchanged document") << "document" << false << true;
        QTest::newRow("changed document") << "modified" << true << true;
    }

    void fileMenuEnablesSaveItems()
    {
        QFETCH(QString, active);
        QFETCH(bool, save);
        QFETCH(bool, saveAs);
        if (active == QLatin1String("plain")) {
            (new PlainChild(m_main.get()))->showChild();
        } else if (active != QLatin1String("none")) {
            TestDocument *document = openOne(QStringLiteral("menu.txt"));
            document->setModified(active == QLatin1String("modified"));
        }
        QCOMPARE(saveItemsEnabled(), std::make_pair(save, saveAs));
    }

    void ctrlSSavesOnlyAChangedDocument()
    {
        TestDocument *document = openOne(QStringLiteral("keys.txt"));
        QTest::keyClick(m_main.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(document->saves, QStringList());
        document->setModified(true);
        QTest::keyClick(m_main.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(document->saves, QStringList {document->FileName()});
    }

    void closeQuestion_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAnswer"); // of the save dialog; "-" when it must not run
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("unchanged: no question") << false << true << int(QMessageBox::NoButton) << "-" << true << false;
        QTest::newRow("Cancel keeps it open") << true << true << int(QMessageBox::Cancel) << "-" << false << false;
        QTest::newRow("No closes unsaved") << true << true << int(QMessageBox::No) << "-" << true << false;
        QTest::newRow("Yes saves to its file") << true << true << int(QMessageBox::Yes) << "-" << true << true;
        QTest::newRow("Yes, new document, name chosen")
            << true << false << int(QMessageBox::Yes) << "chosen.txt" << true << true;
        QTest::newRow("Yes, new document, dialog cancelled")
            << true << false << int(QMessageBox::Yes) << "" << false << false;
        QTest::newRow("box closed without a choice")
            << true << true << int(QMessageBox::NoButton) << "-" << false << false;
    }

    void closeQuestion()
    {
        QFETCH(bool, modified);
        QFETCH(bool, named);
        QFETCH(int, answer);
        QFETCH(QString, saveAnswer);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        TestDocument *document = nullptr;
        if (named) {
            // A name that looks like markup is shown as it is.
            document = openOne(QStringLiteral("close <b>me.txt"));
        } else {
            document = new TestDocument(m_main.get(), &m_main->log);
            document->showChild();
        }
        const QString caption = document->caption();
        const QStringList recentBefore = recentNames(*m_main);
        document->setModified(modified);
        m_main->log.clear();
        m_seams->messages.answers.enqueue(QMessageBox::StandardButton(answer));
        const bool dialogRuns = saveAnswer != QLatin1String("-");
        if (dialogRuns)
            m_seams->files.saveAnswers.enqueue(saveAnswer.isEmpty() ? QString() : m_dir.filePath(saveAnswer));
        const QPointer<TestDocument> guard(document);
        document->subWindow()->close();

        QCOMPARE(m_seams->messages.shown,
            modified ? QStringList {QStringLiteral("Save changes of ") + caption + QStringLiteral(" ?")}
                     : QStringList());
        QCOMPARE(m_seams->files.saveRequests.size(), dialogRuns ? 1 : 0);
        if (dialogRuns)
            QCOMPARE(m_seams->files.saveRequests.constFirst().defaultSuffix, QStringLiteral("tdoc"));
        const QString savedAs = named ? QFileInfo(caption).fileName() : saveAnswer;
        QCOMPARE(m_main->log, saved ? QStringList {QStringLiteral("save ") + savedAs} : QStringList());
        if (closes)
            QTRY_VERIFY(guard.isNull());
        else
            QVERIFY(guard && guard->subWindow()->isVisible());
        // Saving on close leaves the recent list as it was.
        QCOMPARE(recentNames(*m_main), recentBefore);
    }

    void closingTheProgramAsksEachChangedDocumentOnce()
    {
        TestDocument *changed = openOne(QStringLiteral("changed.txt"));
        openOne(QStringLiteral("unchanged.txt"));
        changed->setModified(true);
        m_seams->messages.answers.enqueue(QMessageBox::Cancel);
        m_main->miExit->trigger();
        QVERIFY(m_main->isVisible());
        QCOMPARE(m_seams->messages.shown, QStringList {"Save changes of changed.txt ?"});
        m_seams->messages.answers.enqueue(QMessageBox::Yes);
        m_main->miExit->trigger();
        QVERIFY(!m_main->isVisible());
        QCOMPARE(m_seams->messages.shown.size(), 2);
    }

    void recentEntryOpensItsFile()
    {
        const QString kept = file(QStringLiteral("kept.fto"));
        const QString gone = m_dir.filePath(QStringLiteral("gone.fto"));
        m_main->MRUManager->Add(gone, 0);
        m_main->MRUManager->Add(kept, 0);
        QCOMPARE(recentCaptions(*m_main), (QStringList {"&0 " + kept, "&1 " + gone}));

        m_main->MRUManager->recentItems().constLast()->trigger(); // gone
        QVERIFY(m_main->childWindows().isEmpty());
        QCOMPARE(recentNames(*m_main), (QStringList {kept, gone}));

        m_main->MRUManager->Add(gone, 0); // gone on top, kept second
        const QList<QAction *> items = m_main->MRUManager->recentItems();
        items.constLast()->trigger();
        QTRY_COMPARE(m_main->documents().size(), 1);
        QCOMPARE(m_main->active()->FileName(), kept);
        QCOMPARE(recentNames(*m_main), (QStringList {kept, gone}));
    }

    void commandLineFilesOpenAtFirstShow()
    {
        m_main.reset();
        const QString one = file(QStringLiteral("one.fto"));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        const QString two = file(QStringLiteral("sub/two.fto"));
        m_main = std::make_unique<TestMain>();
        m_main->setCommandLineFiles({QStringLiteral("two.fto"), QStringLiteral("../missing.fto"),
            QStringLiteral("../sub/../one.fto"), QString()});
        QVERIFY(m_main->childWindows().isEmpty());
        {
            // Relative names are taken from the program's current directory.
            const CurrentDirectory sub(m_dir.filePath(QStringLiteral("sub")));
            m_main->show();
        }
        QCOMPARE(m_main->log, (QStringList {"create two.fto", "load two.fto", "create one.fto", "load one.fto"}));
        QCOMPARE(m_main->documents().at(0)->FileName(), two);
        QCOMPARE(m_main->documents().at(1)->FileName(), one);
        QCOMPARE(recentNames(*m_main), (QStringList {one, two}));

        // Shown again, nothing is opened twice.
        m_main->hide();
        m_main->show();
        QCOMPARE(m_main->documents().size(), 2);
    }

    void droppedFilesOpenOneByOneWithEventsBetween()
    {
        const QString a = file(QStringLiteral("drop a.fto"));
        const QString b = file(QStringLiteral("drop b.fto"));
        m_main->postNotes = true;
        QVERIFY(drop(m_main->mdiArea()->viewport(),
            {QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://www.example.com/x.fto")), QUrl::fromLocalFile(b)}));
        // Opened once the drop has ended.
        QVERIFY(m_main->log.isEmpty());
        QTRY_COMPARE(m_main->documents().size(), 2);
        QTRY_COMPARE(m_main->log,
            (QStringList {"create drop a.fto", "load drop a.fto", "events after drop a.fto", "create drop b.fto",
                "load drop b.fto", "events after drop b.fto"}));
        QCOMPARE(recentNames(*m_main), (QStringList {b, a}));
    }

    void dropWithoutLocalFilesIsRefused()
    {
        QVERIFY(!drop(m_main.get(), {QUrl(QStringLiteral("https://www.example.com/x.fto"))}));
        QVERIFY(!drop(m_main.get(), {}));
        QCoreApplication::processEvents();
        QVERIFY(m_main->childWindows().isEmpty());
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
