#include "text/RlFTrace.h"

#include "base/KsApplication.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "db/KsTrace.h"
#include "settings/Placemnt.h"
#include "text/KsMemo.h"
#include "text/KsTextFile.h"
#include "text/TolmFndRepl.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr QPoint kDesignedPosition(204, 116);
constexpr QSize kDesignedSize(435, 300);

// The one open trace window; used on the user-interface thread only.
QPointer<TfrmRlTrace> &openWindow()
{
    static QPointer<TfrmRlTrace> window;
    return window;
}

QAction *addItem(QMenu *menu, const char *objectName, const QString &caption, const QKeySequence &shortcut = {})
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(objectName));
    item->setShortcut(shortcut);
    return item;
}

QAction *addSeparator(QMenu *menu, const char *objectName)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(objectName));
    return separator;
}

QAction *addCheckItem(QMenu *menu, const char *objectName, const QString &caption, bool checked)
{
    QAction *item = addItem(menu, objectName, caption);
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

} // namespace

TfrmRlTrace::TfrmRlTrace(QWidget *owner)
    : QMainWindow(owner, Qt::Window)
    , memo(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmRlTrace"));
    setWindowTitle(QStringLiteral("Trace"));
    setAttribute(Qt::WA_DeleteOnClose);
    move(kDesignedPosition);
    resize(kDesignedSize);

    memo->setObjectName(QStringLiteral("memo"));
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ks::keepSelectionVisible(memo);
    setCentralWidget(memo);

    FindReplace = new TTolmFindReplace(this);
    FindReplace->setObjectName(QStringLiteral("FindReplace"));
    FindReplace->setTarget(memo);
    FindReplace->setHelpContext(0);

    FormPlacement = new TFormPlacement(this);
    FormPlacement->setObjectName(QStringLiteral("FormPlacement"));

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    miSaveAs = addItem(mnuFile, "miSaveAs", QStringLiteral("Save &As..."));
    N1 = addSeparator(mnuFile, "N1");
    miExit = addItem(mnuFile, "miExit", QStringLiteral("E&xit"));

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    miCopy = addItem(mnuEdit, "miCopy", QStringLiteral("&Copy"));
    miClear = addItem(mnuEdit, "miClear", QStringLiteral("C&lear"));
    N2 = addSeparator(mnuEdit, "N2");
    miFind = addItem(mnuEdit, "miFind", QStringLiteral("&Find..."), QKeySequence(QStringLiteral("Ctrl+F")));
    miFindNext = addItem(mnuEdit, "miFindNext", QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3));

    // "Log in Window" starts checked in every new window; the two switches
    // outlive the window and show their state.
    mnOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnOptions->setObjectName(QStringLiteral("mnOptions"));
    miLogInWindow = addCheckItem(mnOptions, "miLogInWindow", QStringLiteral("Log in &Window"), true);
    miLogToFile = addCheckItem(mnOptions, "miLogToFile", QStringLiteral("Log to &File"), ks::trace::logToFile());
    miOffline = addCheckItem(mnOptions, "miOffline", QStringLiteral("&Offline"), ks::trace::offline());

    connect(miSaveAs, &QAction::triggered, this, ks::guarded([this] { miSaveAsClick(); }));
    connect(miExit, &QAction::triggered, this, ks::guarded([this] { miExitClick(); }));
    connect(miCopy, &QAction::triggered, this, ks::guarded([this] { miCopyClick(); }));
    connect(miClear, &QAction::triggered, this, ks::guarded([this] { miClearClick(); }));
    connect(miFind, &QAction::triggered, this, ks::guarded([this] { miFindClick(); }));
    connect(miFindNext, &QAction::triggered, this, ks::guarded([this] { miFindNextClick(); }));
    connect(miLogInWindow, &QAction::triggered, this, ks::guarded([this] { miLogInWindowClick(); }));
    connect(miLogToFile, &QAction::triggered, this, ks::guarded([this] { miLogToFileClick(); }));
    connect(miOffline, &QAction::triggered, this, ks::guarded([this] { miOfflineClick(); }));

    ks::trace::attachWindow(this, miLogInWindow->isChecked());
}

TfrmRlTrace::~TfrmRlTrace()
{
    // First of all: no producer may post to a window that is going away.
    detach();
}

void TfrmRlTrace::detach()
{
    m_attached = false;
    ks::trace::detachWindow(this);
    if (openWindow() == this)
        openWindow() = nullptr;
}

bool TfrmRlTrace::event(QEvent *event)
{
    if (event->type() == ks::trace::pendingEventType()) {
        // An event that was on its way when the window closed leaves the
        // lines to the next window.
        if (m_attached)
            TakePendingLines();
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmRlTrace::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    // Closed is gone: the next command opens a new, empty window at once.
    detach();
}

void TfrmRlTrace::TakePendingLines()
{
    // The lines are taken out under the lock and shown after it is released,
    // so producers never wait for the text area.
    showLines(ks::trace::takePending());
}

void TfrmRlTrace::showLines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    if (lines.size() > 1) {
        memo->setUpdatesEnabled(false);
        const int count = lineCount();
        if (count > kKeptLines) {
            QTextCursor cut(memo->document());
            const QTextBlock firstKept = memo->document()->findBlockByNumber(count - kKeptLines);
            cut.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
            cut.removeSelectedText();
        }
        appendLines(lines, lines.size() - 1);
        memo->setUpdatesEnabled(true);
    }
    appendLines(QStringList {lines.constLast()}, 1);
    QScrollBar *bar = memo->verticalScrollBar();
    bar->setValue(bar->maximum());
    Q_EMIT linesShown(lines);
}

void TfrmRlTrace::appendLines(const QStringList &lines, qsizetype count)
{
    if (count <= 0)
        return;
    // One insertion for the whole batch; the user's selection stays.
    QString text;
    bool first = lineCount() == 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (!first)
            text += QChar::ParagraphSeparator;
        first = false;
        ks::appendAsParagraphs(text, lines.at(i));
    }
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

int TfrmRlTrace::lineCount() const
{
    return ks::memoLineCount(memo);
}

QStringList TfrmRlTrace::lines() const
{
    return ks::memoLines(memo);
}

void TfrmRlTrace::saveToFile(const QString &fileName) const
{
    ks::writeLinesCrLf(fileName, lines());
}

void TfrmRlTrace::miSaveAsClick()
{
    ks::SaveFileRequest request;
    request.filter = QStringLiteral("Text Files (*.txt *.TXT);;All Files (*)");
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    const QString fileName = ks::fileDialogs().saveFileName(this, request);
    if (!fileName.isEmpty())
        saveToFile(fileName);
}

void TfrmRlTrace::miExitClick()
{
    close();
}

void TfrmRlTrace::miCopyClick()
{
    // The text comes from the document, so the selection is never touched;
    // an empty text leaves the clipboard as it is.
    if (memo->document()->isEmpty())
        return;
    ks::clipboard().setText(memo->toPlainText());
}

void TfrmRlTrace::miClearClick()
{
    memo->clear();
}

void TfrmRlTrace::miFindClick()
{
    FindReplace->setStyle(ks::frFind);
    FindReplace->Execute();
}

void TfrmRlTrace::miFindNextClick()
{
    FindReplace->FindNext();
}

void TfrmRlTrace::miLogInWindowClick()
{
    // Unchecked, producers stop handing lines to this window.
    ks::trace::setWindowListening(this, miLogInWindow->isChecked());
}

void TfrmRlTrace::miLogToFileClick()
{
    ks::trace::setLogToFile(miLogToFile->isChecked());
}

void TfrmRlTrace::miOfflineClick()
{
    ks::trace::setOffline(miOffline->isChecked());
}

void ShowTraceWindow(QWidget *owner, bool show)
{
    QPointer<TfrmRlTrace> &window = openWindow();
    if (show) {
        if (window)
            return;
        window = new TfrmRlTrace(owner); // owned by `owner`, freed when closed
        window->show();
        return;
    }
    if (!window)
        return;
    // Gone at once for the producers and for the next command; the object
    // itself goes when control is back in the event loop, which is safe even
    // while one of its own commands is still running.
    TfrmRlTrace *closing = window;
    closing->detach();
    closing->hide();
    closing->deleteLater();
}

bool IsTraceWindowShown()
{
    return !openWindow().isNull();
}

TfrmRlTrace *TraceWindow()
{
    return openWindow();
}
