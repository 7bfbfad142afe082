#pragma once
// The trace window: one separate top-level window (not a document window)
// that shows the trace lines producers hand over (see KsTrace.h), and lets
// the user search, copy, clear and save them and switch the producers'
// "Log to File" and "Offline". The main window's Debug command toggles it:
//     ShowTraceWindow(this, !IsTraceWindowShown());

#include <QMainWindow>
#include <QStringList>

class QAction;
class QMenu;
class QPlainTextEdit;
class TFormPlacement;
class TTolmFindReplace;

class TfrmRlTrace : public QMainWindow {
    Q_OBJECT
public:
    // A new, empty window owned by `owner`, not yet shown; it destroys
    // itself when closed.
    explicit TfrmRlTrace(QWidget *owner);
    ~TfrmRlTrace() override;

    // The text area keeps the lines of the last batch and the 1,000 before
    // it; it is cut back only when a batch of two or more lines arrives.
    static constexpr int kKeptLines = 1000;

    // Takes the pending lines over (what the pending-lines event runs): a
    // batch of two or more first cuts the text area back to kKeptLines and
    // goes in with painting suspended; the last line is added with painting
    // on, and the text area scrolls to it.
    void TakePendingLines();
    // The same for lines already taken out of the pending list.
    void showLines(const QStringList &lines);

    int lineCount() const;
    QStringList lines() const;
    // Writes every line followed by CR LF; raises ks::Error on failure.
    void saveToFile(const QString &fileName) const;

    void miSaveAsClick();
    void miExitClick();
    void miCopyClick();
    void miClearClick();
    void miFindClick();
    void miFindNextClick();
    void miLogInWindowClick();
    void miLogToFileClick();
    void miOfflineClick();

    QPlainTextEdit *memo;
    TTolmFindReplace *FindReplace;
    TFormPlacement *FormPlacement;
    QMenu *mnuFile;
    QAction *miSaveAs;
    QAction *N1;
    QAction *miExit;
    QMenu *mnuEdit;
    QAction *miCopy;
    QAction *miClear;
    QAction *N2;
    QAction *miFind;
    QAction *miFindNext;
    QMenu *mnOptions;
    QAction *miLogInWindow;
    QAction *miLogToFile;
    QAction *miOffline;

Q_SIGNALS:
    // Every batch of lines this window took over, as taken.
    void linesShown(const QStringList &lines);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend void ShowTraceWindow(QWidget *owner, bool show);

    void appendLines(const QStringList &lines, qsizetype count);
    // Stops taking lines over: the window is closing or going.
    void detach();

    bool m_attached = true;
};

// With `show` and no trace window open: creates one owned by `owner` and
// shows it. With `show` and one open: nothing. Without `show` and one open:
// destroys it.
void ShowTraceWindow(QWidget *owner, bool show);
// True while a trace window exists (and has not been closed).
bool IsTraceWindowShown();
// The open trace window, or null.
TfrmRlTrace *TraceWindow();
