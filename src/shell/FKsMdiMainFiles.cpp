// The main window's document machinery: Open, Save and Save As, the
// recent-file list, and files named on the command line or dropped on the
// window.

#include "shell/FKsMdiMain.h"

#include "base/KsApplication.h"
#include "settings/MRUList.h"
#include "settings/Placemnt.h"
#include "shell/FKsDocument.h"
#include "shell/KsFileDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QShowEvent>
#include <QUrl>

#include <utility>

namespace {

QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data)
        return files;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

void TfrmKsMdiMain::createFileComponents()
{
    OpenDialog = new TKsOpenDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setDefaultExt(QStringLiteral("fto"));
    OpenDialog->setFilter(QStringLiteral("All files (*.*)|*.*"));

    MRUManager = new TMRUManager(this);
    MRUManager->setObjectName(QStringLiteral("MRUManager"));
    MRUManager->setAccelDelimiter(TMRUManager::adSpace);
    MRUManager->setStartAccel(0);
    MRUManager->setRecentMenu(mnFile);
    MRUManager->setIniStorage(FormPlacement);
    MRUManager->OnClick
        = [this](TMRUManager *, const QString &recentName, const QString &, int) { OpenDocumentFile(recentName); };
}

TfrmKsDocument *TfrmKsMdiMain::activeDocument() const
{
    return qobject_cast<TfrmKsDocument *>(activeChild());
}

void TfrmKsMdiMain::OpenDocumentFile(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.exists() || file.isDir())
        return;
    TfrmKsDocument *document = CreateDocument(fileName);
    if (!document)
        return;
    document->showChild();
    document->LoadDocument(fileName);
    moveToTopOfRecent(fileName);
}

void TfrmKsMdiMain::moveToTopOfRecent(const QString &fileName)
{
    MRUManager->Remove(fileName);
    MRUManager->Add(fileName, 0);
}

void TfrmKsMdiMain::miOpenClick()
{
    if (!OpenDialog->Execute())
        return;
    const QStringList files = OpenDialog->Files();
    for (const QString &name : files) {
        // A file already shown is brought to the front; names are compared
        // exactly, so the same name in other letters opens a second window.
        TfrmKsDocument *showing = nullptr;
        const QList<QMdiSubWindow *> stack = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
        for (auto it = stack.crbegin(); it != stack.crend() && !showing; ++it) {
            auto *document = qobject_cast<TfrmKsDocument *>((*it)->widget());
            if (document && document->FileName() == name)
                showing = document;
        }
        if (showing)
            m_mdiArea->setActiveSubWindow(showing->subWindow());
        else
            OpenDocumentFile(name);
    }
}

void TfrmKsMdiMain::miSaveClick()
{
    TfrmKsDocument *document = activeDocument();
    if (!document)
        return;
    if (document->FileName().isEmpty() && !document->ExecuteSaveDialog())
        return;
    document->SaveDocument();
    moveToTopOfRecent(document->FileName());
}

void TfrmKsMdiMain::miSaveAsClick()
{
    TfrmKsDocument *document = activeDocument();
    if (!document || !document->ExecuteSaveDialog())
        return;
    document->SaveDocument();
    moveToTopOfRecent(document->FileName());
}

void TfrmKsMdiMain::mnFileClick()
{
    TfrmKsDocument *document = activeDocument();
    miSaveAs->setEnabled(document != nullptr);
    miSave->setEnabled(document && document->IsModified());
}

void TfrmKsMdiMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The placement has restored the window by now; the window's own
    // first-show work follows.
    if (event->spontaneous() || m_shown)
        return;
    m_shown = true;
    ks::runGuarded([this] { FormShow(); });
}

void TfrmKsMdiMain::FormShow()
{
    if (m_commandLineFiles.isEmpty()) {
        // A main window that wants a new document at start connects miNew.
        Q_EMIT miNew->triggered(false);
        return;
    }
    const QStringList files = std::exchange(m_commandLineFiles, {});
    for (const QString &file : files) {
        if (!file.isEmpty())
            OpenDocumentFile(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    }
}

void TfrmKsMdiMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TfrmKsMdiMain::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The files are opened once the drop has ended, so the program they
    // came from is not kept waiting.
    QMetaObject::invokeMethod(
        this, [this, files] { ks::runGuarded([this, &files] { openDroppedFiles(files); }); }, Qt::QueuedConnection);
}

void TfrmKsMdiMain::openDroppedFiles(const QStringList &files)
{
    const QPointer<TfrmKsMdiMain> self(this);
    for (const QString &file : files) {
        OpenDocumentFile(file);
        // Other commands may run between two files.
        QCoreApplication::processEvents();
        if (!self)
            return;
    }
}
