#include "text/FKsTextView.h"

#include "base/KsApplication.h"
#include "text/FrKsTextView.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <exception>

namespace {

constexpr int kViewerMenuGroup = 20;
constexpr QSize kInitialSize(583, 265);

QAction *addItem(QMenu *menu, const char *objectName, const QString &caption, const QKeySequence &shortcut = {})
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(objectName));
    item->setShortcut(shortcut);
    return item;
}

} // namespace

TfrmKsTextViewer::TfrmKsTextViewer(KsMdiHost *owner)
    : KsMdiChild(owner)
    , m_frKsTextViewer(new TfrKsTextViewer(this))
{
    setObjectName(QStringLiteral("frmKsTextViewer"));
    setCaption(QStringLiteral("Text Viewer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_frKsTextViewer);

    mnViewer = new QMenu(QStringLiteral("&Viewer"), this);
    mnViewer->setObjectName(QStringLiteral("mnViewer"));
    miCopy = addItem(mnViewer, "miCopy", QStringLiteral("&Copy"));
    // The short-cuts reach the items through the main window, which looks in
    // the active child's menus first.
    miFind = addItem(mnViewer, "miFind", QStringLiteral("&Find..."), QKeySequence(QStringLiteral("Ctrl+F")));
    miFindNext = addItem(mnViewer, "miFindNext", QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3));
    miSaveToFile = addItem(mnViewer, "miSaveToFile", QStringLiteral("&Save To File..."));
    miPrint = addItem(mnViewer, "miPrint", QStringLiteral("&Print..."));
    miN1 = mnViewer->addSeparator();
    miN1->setObjectName(QStringLiteral("miN1"));
    miWordWrap = addItem(mnViewer, "miWordWrap", QStringLiteral("&Word Wrap"));
    miWordWrap->setCheckable(true);
    miWordWrap->setChecked(false);
    addMergedMenu(mnViewer, kViewerMenuGroup);

    connect(miCopy, &QAction::triggered, this, ks::guarded([this] { miCopyClick(); }));
    connect(miFind, &QAction::triggered, this, ks::guarded([this] { miFindClick(); }));
    connect(miFindNext, &QAction::triggered, this, ks::guarded([this] { miFindNextClick(); }));
    connect(miSaveToFile, &QAction::triggered, this, ks::guarded([this] { miSaveToFileClick(); }));
    connect(miPrint, &QAction::triggered, this, ks::guarded([this] { miPrintClick(); }));
    connect(miWordWrap, &QAction::triggered, this, ks::guarded([this] { miWordWrapClick(); }));

    // The size is that of the whole frame, title bar included.
    subWindow()->resize(kInitialSize);
}

TfrmKsTextViewer::~TfrmKsTextViewer() = default;

TfrmKsTextViewer *TfrmKsTextViewer::create(KsMdiHost *owner, const QString &caption)
{
    auto *viewer = new TfrmKsTextViewer(owner); // owned by the workspace, freed on close
    viewer->setCaption(caption);
    viewer->showChild();
    return viewer;
}

std::unique_ptr<TfrmKsTextViewerOutput> TfrmKsTextViewer::CreateOutput()
{
    return std::make_unique<TfrmKsTextViewerOutput>(this);
}

void TfrmKsTextViewer::miCopyClick()
{
    m_frKsTextViewer->Copy();
}

void TfrmKsTextViewer::setSearchHighlight(const ks::SearchHighlight &highlight)
{
    m_frKsTextViewer->setSearchHighlight(highlight);
}

void TfrmKsTextViewer::miFindClick()
{
    m_frKsTextViewer->Find();
}

void TfrmKsTextViewer::miFindNextClick()
{
    m_frKsTextViewer->FindNext();
}

void TfrmKsTextViewer::miSaveToFileClick()
{
    m_frKsTextViewer->Save();
}

void TfrmKsTextViewer::miPrintClick()
{
    m_frKsTextViewer->Print();
}

void TfrmKsTextViewer::miWordWrapClick()
{
    // The item's check mark has already flipped; the memo follows it.
    m_frKsTextViewer->setWordWrap(miWordWrap->isChecked());
}

TfrmKsTextViewerOutput::TfrmKsTextViewerOutput(TfrmKsTextViewer *viewer)
    : m_viewer(viewer)
    , m_uncaughtAtStart(std::uncaught_exceptions())
{
}

TfrmKsTextViewerOutput::~TfrmKsTextViewerOutput() noexcept
{
    // The writer is done: whatever it wrote belongs in the memo now, not at
    // the next turn of the event loop. Bringing it in allocates and can fail;
    // a destructor must not throw, least of all while the writer's own error
    // is on its way to the user. A failure of the flush alone is reported.
    try {
        if (m_viewer)
            m_viewer->frKsTextViewer()->flush();
    } catch (...) {
        if (std::uncaught_exceptions() > m_uncaughtAtStart)
            qWarning("The text viewer could not take the last lines written to it.");
        else
            ks::reportException(std::current_exception());
    }
}

void TfrmKsTextViewerOutput::PutLine(const QString &line)
{
    if (m_viewer)
        m_viewer->frKsTextViewer()->appendLines(line);
    TKsStringOutput::PutLine(line);
}
