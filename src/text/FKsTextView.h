#pragma once
// The text viewer: an MDI child that shows a fetched text read-only, with a
// "&Viewer" menu to copy, save, print and wrap it. Search windows fill it
// through the line output that CreateOutput returns.

#include "shell/KsMdiChild.h"
#include "text/KsMatchHighlight.h"
#include "text/KsStringOutput.h"

#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class TfrKsTextViewer;
class TfrmKsTextViewerOutput;

class TfrmKsTextViewer : public KsMdiChild {
    Q_OBJECT
public:
    // A hidden viewer in `owner`'s workspace; showChild() shows it.
    explicit TfrmKsTextViewer(KsMdiHost *owner);
    ~TfrmKsTextViewer() override;

    // A new viewer with `caption`, shown at once in front of the other children.
    static TfrmKsTextViewer *create(KsMdiHost *owner, const QString &caption);

    // A line output that appends to this viewer; the caller owns it. Once it
    // is destroyed every line written through it is in the memo.
    std::unique_ptr<TfrmKsTextViewerOutput> CreateOutput();

    // Opened from a search: marks every occurrence of the search text, in
    // the lines written so far and in those still to come, selects the first
    // occurrence and scrolls it into view as it arrives (unless the user has
    // moved through the text by then), and fills in Find with the search
    // text. Call it right after create(), before or after writing.
    //     viewer->setSearchHighlight(ks::SearchHighlight::oracleSearch(searchText, ignoreCase));
    //     viewer->setSearchHighlight(ks::SearchHighlight::msSqlSearch(searchText));
    void setSearchHighlight(const ks::SearchHighlight &highlight);

    TfrKsTextViewer *frKsTextViewer() const { return m_frKsTextViewer; }

    // Menu and items, by their component names.
    QMenu *mnViewer = nullptr;
    QAction *miCopy = nullptr;
    QAction *miFind = nullptr;
    QAction *miFindNext = nullptr;
    QAction *miSaveToFile = nullptr;
    QAction *miPrint = nullptr;
    QAction *miN1 = nullptr;
    QAction *miWordWrap = nullptr;

    void miCopyClick();
    void miFindClick();
    void miFindNextClick();
    void miSaveToFileClick();
    void miPrintClick();
    void miWordWrapClick();

private:
    TfrKsTextViewer *m_frKsTextViewer;
};

// Writes each line at the end of a viewer's memo. It does not own the viewer;
// lines written after the viewer was closed go nowhere.
class TfrmKsTextViewerOutput : public ks::TKsStringOutput {
public:
    explicit TfrmKsTextViewerOutput(TfrmKsTextViewer *viewer);
    // Brings every line written into the memo; never throws.
    ~TfrmKsTextViewerOutput() noexcept override;

    TfrmKsTextViewerOutput(const TfrmKsTextViewerOutput &) = delete;
    TfrmKsTextViewerOutput &operator=(const TfrmKsTextViewerOutput &) = delete;

    void PutLine(const QString &line) override;

private:
    QPointer<TfrmKsTextViewer> m_viewer;
    int m_uncaughtAtStart; // errors already unwinding when the writer began
};
