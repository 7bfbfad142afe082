// The document machinery of the main-window base, driven with a document
// window of the tests' own: Open, Save, Save As, the close question, the
// File menu's enabling, the recent-file list, command-line and dropped files.

#include "base/KsStrings.h"
#include "settings/MRUList.h"
#include "settings/SettingsTestSupport.h"
#include "shell/FKsDocument.h"
#include "shell/FKsMdiMain.h"
#include "support/TestSeams.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

namespace {

// A document that writes what the machinery asks of it to a log.
class TestDocument : public TfrmKsDocument {
    Q_OBJECT
public:
    TestDocument(TfrmKsMdiMain *owner, QStringList &log)
        : TfrmKsDocument(owner)
        , m_log(log)
    {
    }
    bool postNotes = false; // each load posts a note that runs later
    QString GetDefaultExt() const override { return QStringLiteral("tdoc"); }
    QString GetFilter() const override { return QStringLiteral("Test documents (*.tdoc)|*.tdoc|All Files (*.*)|*.*"); }
    void SaveDocument() override
    {
        m_log << QStringLiteral("save ") + QFileInfo(FileName()).fileName();
        TfrmKsDocument::SaveDocument();
    }
    void LoadDocument(const QString &fileName) override
    {
        const QString name = QFileInfo(fileName).fileName();
        m_log << QStringLiteral("load ") + name;
        if (postNotes)
            QTimer::singleShot(
                0, owner()->hostWidget(), [&log = m_log, name] { log << QStringLiteral("events after ") + name; });
        TfrmKsDocument::LoadDocument(fileName);
    }

private:
    QStringList &m_log;
};

// A main window that opens every file in a TestDocument.
class TestMain : public TfrmKsMdiMain {
    Q_OBJECT
public:
    QStringList log;
    bool createNone = false;
    bool postNotes = false;
    TfrmKsDocument *CreateDocument(const QString &fileName) override
    {
        log << QStringLiteral("create ") + QFileInfo(fileName).fileName();
        if (createNone)
            return nullptr;
        auto *document = new TestDocument(this, log);
        document->postNotes = postNotes;
        return document;
    }
    TfrmKsDocument *active() const { return activeDocument(); }
};

// Drops `urls` on `target` as a file manager would; true when it was taken.
bool drop(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted())
        QApplication::sendEvent(target, &dropped);
    return enter.isAccepted() && dropped.isAccepted();
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TestMain> m_main;
    QTemporaryDir m_dir;

    QString file(const QString &name) const
    {
        ks::test::writeBytes(m_dir.filePath(name), "text\n");
        return m_dir.filePath(name);
    }
    QStringList recent() const { return m_main->MRUManager->Strings().names(); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TestMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
        m_home.reset();
    }

    void openingShowsLoadsAndPutsTheFileOnTop()
    {
        const QString first = file(QStringLiteral("first.fto"));
        const QString second = file(QStringLiteral("second.fto"));
        m_main->OpenDocumentFile(first);
        m_main->OpenDocumentFile(second);
        TfrmKsDocument *document = m_main->active();
        QVERIFY(document && document->isVisible());
        QCOMPARE(document->objectName(), QStringLiteral("frmKsDocument_1"));
        QCOMPARE(document->subWindow()->size(), QSize(542, 323));
        QCOMPARE(document->FileName(), second);
        QCOMPARE(document->caption(), QStringLiteral("second.fto"));
        QVERIFY(!document->Modified());
        QCOMPARE(
            m_main->log, (QStringList {"create first.fto", "load first.fto", "create second.fto", "load second.fto"}));
        QCOMPARE(recent(), (QStringList {second, first}));
        // At the end of the File menu, after Exit and a separator.
        const QList<QAction *> items = m_main->mnFile->actions();
        QCOMPARE(items.at(items.indexOf(m_main->miExit) + 2)->text(), "&0 " + second);
    }

    void filesThatCannotBeOpenedChangeNothing()
    {
        m_main->OpenDocumentFile(m_dir.filePath(QStringLiteral("gone.fto")));
        m_main->OpenDocumentFile(m_dir.path()); // a directory
        m_main->createNone = true;
        m_main->OpenDocumentFile(file(QStringLiteral("nobody.fto")));
        QVERIFY(m_main->childWindows().isEmpty());
        QCOMPARE(recent(), QStringList());
        QCOMPARE(m_main->log, QStringList {"create nobody.fto"});
    }

    void openTakesSeveralFilesAndBringsOpenOnesToTheFront()
    {
        const QString a = file(QStringLiteral("a.fto"));
        const QString b = file(QStringLiteral("b.fto"));
        m_seams->files.openAnswers << QStringList {a, b} << QStringList {file(QStringLiteral("c.fto")), a}
                                   << QStringList {file(QStringLiteral("A.FTO"))};
        m_main->miOpen->trigger();
        const ks::OpenFilesRequest request = m_seams->files.openRequests.value(0);
        QCOMPARE(request.filter, QStringLiteral("All files (*)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("fto"));
        QVERIFY(request.multiple);
        KsMdiChild *documentA = m_main->childWindows().value(0);
        QCOMPARE(m_main->active()->FileName(), b);

        // a is shown already and comes to the front after c is opened.
        m_main->log.clear();
        m_main->miOpen->trigger();
        QCOMPARE(m_main->log, (QStringList {"create c.fto", "load c.fto"}));
        QCOMPARE(m_main->activeChild(), documentA);
        // The same name in other letters is another file.
        m_main->miOpen->trigger();
        QCOMPARE(m_main->childWindows().size(), 4);
    }

    void saveAndSaveAs_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("named"); // the document has a file already
        QTest::addColumn<QString>("answer"); // of the save dialog: "-" when it must not run, "" Cancel
        QTest::newRow("Save, new document") << false << false << "new.tdoc";
        QTest::newRow("Save, new document, cancelled") << false << false << "";
        QTest::newRow("Save, named document") << false << true << "-";
        QTest::newRow("Save As, named document") << true << true << "new.tdoc";
        QTest::newRow("Save As, cancelled") << true << true << "";
    }

    void saveAndSaveAs()
    {
        QFETCH(bool, saveAs);
        QFETCH(bool, named);
        QFETCH(QString, answer);
        TfrmKsDocument *document = new TestDocument(m_main.get(), m_main->log);
        document->showChild();
        if (named)
            document->LoadDocument(file(QStringLiteral("old.tdoc")));
        const QString before = document->FileName();
        document->setModified(true);
        m_main->log.clear();
        if (answer != QLatin1String("-"))
            m_seams->files.saveAnswers.enqueue(answer.isEmpty() ? QString() : m_dir.filePath(answer));
        Q_EMIT m_main->mnFile->aboutToShow(); // the user opens the menu first
        (saveAs ? m_main->miSaveAs : m_main->miSave)->trigger();

        const ks::SaveFileRequest request = m_seams->files.saveRequests.value(0);
        QCOMPARE(m_seams->files.saveRequests.size(), answer == QLatin1String("-") ? 0 : 1);
        QCOMPARE(request.fileName, answer == QLatin1String("-") ? QString() : before);
        QCOMPARE(request.defaultSuffix, answer == QLatin1String("-") ? QString() : QStringLiteral("tdoc"));
        if (answer != QLatin1String("-"))
            QCOMPARE(request.filter, QStringLiteral("Test documents (*.tdoc);;All Files (*)"));
        const QString saved = answer == QLatin1String("-") ? QStringLiteral("old.tdoc") : answer;
        QCOMPARE(m_main->log, saved.isEmpty() ? QStringList() : QStringList {"save " + saved});
        QCOMPARE(document->Modified(), saved.isEmpty());
        QCOMPARE(recent().value(0), saved.isEmpty() ? QString() : m_dir.filePath(saved));
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
            (new KsMdiChild(m_main.get()))->showChild();
        } else if (active != QLatin1String("none")) {
            m_main->OpenDocumentFile(file(QStringLiteral("menu.txt")));
            m_main->active()->setModified(active == QLatin1String("modified"));
        }
        Q_EMIT m_main->mnFile->aboutToShow();
        QCOMPARE(TfrmKsMdiMain::isItemEnabled(m_main->miSave), save);
        QCOMPARE(TfrmKsMdiMain::isItemEnabled(m_main->miSaveAs), saveAs);
        // Ctrl+S opens the menu first, then saves only a changed document.
        QTest::keyClick(m_main.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_main->log.filter(QStringLiteral("save ")).size(), save ? 1 : 0);
    }

    void closeQuestion_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("answer"); // Ok stands for an unchanged document: no question
        QTest::addColumn<QString>("saveAnswer"); // of the save dialog; "-" when it must not run
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("closes");
        QTest::newRow("unchanged") << true << int(QMessageBox::Ok) << "-" << QStringList() << true;
        QTest::newRow("Cancel") << true << int(QMessageBox::Cancel) << "-" << QStringList() << false;
        QTest::newRow("box closed") << true << int(QMessageBox::NoButton) << "-" << QStringList() << false;
        QTest::newRow("No") << true << int(QMessageBox::No) << "-" << QStringList() << true;
        QTest::newRow("Yes") << true << int(QMessageBox::Yes) << "-" << QStringList {"save close <b>me.txt"} << true;
        QTest::newRow("Yes, new, named then")
            << false << int(QMessageBox::Yes) << "c.tdoc" << QStringList {"save c.tdoc"} << true;
        QTest::newRow("Yes, new, dialog cancelled") << false << int(QMessageBox::Yes) << "" << QStringList() << false;
    }

    void closeQuestion()
    {
        QFETCH(bool, named);
        QFETCH(int, answer);
        QFETCH(QString, saveAnswer);
        QFETCH(QStringList, log);
        QFETCH(bool, closes);
        TfrmKsDocument *document = nullptr;
        if (named) {
            // A name that looks like markup is asked about as it is.
            m_main->OpenDocumentFile(file(QStringLiteral("close <b>me.txt")));
            document = m_main->active();
        } else {
            document = new TestDocument(m_main.get(), m_main->log);
            document->showChild();
        }
        const QStringList recentBefore = recent();
        document->setModified(answer != QMessageBox::Ok);
        m_main->log.clear();
        m_seams->messages.answers.enqueue(QMessageBox::StandardButton(answer));
        if (saveAnswer != QLatin1String("-"))
            m_seams->files.saveAnswers.enqueue(saveAnswer.isEmpty() ? QString() : m_dir.filePath(saveAnswer));
        const QPointer<TfrmKsDocument> guard(document);
        document->subWindow()->close();

        QCOMPARE(m_seams->messages.shown,
            answer == QMessageBox::Ok ? QStringList() : QStringList {"Save changes of " + document->caption() + " ?"});
        QCOMPARE(m_seams->files.saveRequests.size(), saveAnswer == QLatin1String("-") ? 0 : 1);
        QCOMPARE(m_main->log, log);
        if (closes)
            QTRY_VERIFY(guard.isNull());
        else
            QVERIFY(guard->subWindow()->isVisible());
        // Saving on close leaves the recent list as it was.
        QCOMPARE(recent(), recentBefore);
    }

    void recentEntryOpensItsFileAndAMissingOneStays()
    {
        const QString kept = file(QStringLiteral("kept.fto"));
        const QString gone = m_dir.filePath(QStringLiteral("gone.fto"));
        m_main->MRUManager->Add(kept, 0);
        m_main->MRUManager->Add(gone, 0);
        m_main->MRUManager->recentItems().value(1)->trigger(); // "&0 gone"
        QVERIFY(m_main->childWindows().isEmpty());
        m_main->MRUManager->recentItems().value(2)->trigger(); // "&1 kept"
        QCOMPARE(m_main->active()->FileName(), kept);
        QCOMPARE(recent(), (QStringList {kept, gone}));
    }

    void commandLineFilesOpenAtFirstShowOnly()
    {
        m_main = std::make_unique<TestMain>();
        const QString one = file(QStringLiteral("one.fto"));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        const QString two = file(QStringLiteral("sub/two.fto"));
        m_main->setCommandLineFiles({"two.fto", "../missing.fto", "../sub/../one.fto"});
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir.filePath(QStringLiteral("sub")));
        m_main->show(); // relative names are taken from the current directory
        QDir::setCurrent(previous);
        QCOMPARE(m_main->log, (QStringList {"create two.fto", "load two.fto", "create one.fto", "load one.fto"}));
        QCOMPARE(recent(), (QStringList {one, two}));
        m_main->hide();
        m_main->show();
        QCOMPARE(m_main->childWindows().size(), 2);
    }

    void droppedFilesOpenOneByOneWithEventsBetween()
    {
        const QString a = file(QStringLiteral("a.fto"));
        const QString b = file(QStringLiteral("b.fto"));
        m_main->postNotes = true;
        QVERIFY(!drop(m_main.get(), {QUrl(QStringLiteral("https://www.example.com/x.fto"))}));
        QVERIFY(drop(m_main->mdiArea()->viewport(),
            {QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://www.example.com/x.fto")), QUrl::fromLocalFile(b)}));
        QVERIFY(m_main->log.isEmpty()); // opened once the drop has ended
        QTRY_COMPARE(m_main->log,
            (QStringList {"create a.fto", "load a.fto", "events after a.fto", "create b.fto", "load b.fto",
                "events after b.fto"}));
        QCOMPARE(recent(), (QStringList {b, a}));
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
