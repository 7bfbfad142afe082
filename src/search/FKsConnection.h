#pragma once
// The frame shared by the connection windows: a search bar across the top, the
// sorted result list below it, and the "&Connection" menu with Duplicate. Each
// window belongs to one connection string and opens a fresh connection for
// every operation. A search runs in the background (see KsSearchRunner.h):
// its rows appear as they arrive, Find reads Stop meanwhile, and the main
// window's status bar tells how far it has come and how it ended.

#include "search/KsSearchRunner.h"
#include "shell/KsMdiChild.h"
#include "text/KsMatchHighlight.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QShortcut;
class QTreeView;
class TfrmKsTextViewer;

namespace ks {
class KsResultModel;
class PreparedSearch;
struct ResultRow;
class CatalogueKind;
} // namespace ks

class TfrmConnectionBase : public KsMdiChild {
    Q_OBJECT
public:
    explicit TfrmConnectionBase(KsMdiHost *owner);
    ~TfrmConnectionBase() override;

    // Keeps the string, sets the caption and starts filling the option lists.
    virtual void InitConnection(const QString &connectionString) = 0;
    QString connectionString() const { return m_connectionString; }
    // Whether the window still reads what it offers (see readOptions).
    bool isConnecting() const;

    ks::KsResultModel *resultModel() const { return m_model; }

    // Starts a search with what the search bar holds, as a click on Find
    // does while no search runs; a search still running is stopped first.
    void btnFindClick();
    bool isSearching() const;
    // Tells the running search to stop, as Stop and Esc do; returns at once.
    void stopSearch();

    // Stops a running search first, as closing the window does.
    void miDuplicateClick();

    // The active search's progress, or how the last one ended.
    QString statusText() const override { return m_statusText; }

    // Components of the frame, by their names.
    QFrame *paTop = nullptr;
    QFrame *paTopRight = nullptr;
    QPushButton *btnFind = nullptr;
    QLineEdit *edFind = nullptr;
    // How the search text matches: Pattern, Text, Word or Regular Expression.
    QComboBox *cbMatchMode = nullptr;
    QTreeView *lvResult = nullptr;
    QMenu *mnConnection = nullptr;
    QAction *miDuplicate = nullptr;
    QAction *miSaveSnapshot = nullptr;

    // Asks for a file and writes a snapshot of what the connection sees to
    // it in the background, as a search runs: Stop and Esc stop it, the
    // status bar tells its progress, and the result list stays as it is.
    void miSaveSnapshotClick();
    // The match mode cbMatchMode shows.
    ks::MatchMode matchMode() const;
    // The kind of catalogue the window searches.
    virtual const ks::CatalogueKind &catalogueKind() const = 0;

protected:
    void setConnectionString(const QString &connectionString) { m_connectionString = connectionString; }
    // Where the connect commands keep their recent entries.
    static QString connectRegistryKey() { return QStringLiteral("Software\\Kestrin\\Quillmere"); }
    // Initialises a new window for the connection and shows it; a window whose
    // initialisation fails is closed and the error goes on to the caller.
    // What the window reads in the background tells its own errors.
    static void initAndShow(TfrmConnectionBase *window, const QString &connectionString);
    // A new window of that class on the connection, initialised and shown;
    // none for the empty string a cancelled connect dialog hands back.
    template <typename Window> static Window *openWindow(KsMdiHost *owner, const QString &connectionString)
    {
        if (connectionString.isEmpty())
            return nullptr;
        auto *window = new Window(owner);
        initAndShow(window, connectionString);
        return window;
    }
    // A new, empty window of the same kind for Duplicate.
    virtual TfrmConnectionBase *createSameKind() const = 0;
    // Whether the search may run with what the search bar holds now.
    virtual bool findAllowed() const = 0;
    // The search the bar asks for, as a task for the worker thread. The
    // window takes its search state from the bar here, on its own thread;
    // the task must not touch the window.
    virtual std::shared_ptr<const ks::PreparedSearch> prepareSearch() = 0;
    // Lines the search wrote (the Designer's log), as they arrive.
    virtual void searchLines(const QStringList &) { }
    // The search has ended, however it ended, or has been abandoned.
    virtual void searchEnded() { }
    // Reads what the window offers, such as its option lists, on a worker
    // with a connection of its own, so that the window is there at once and
    // answers while the database logs in: `read` runs on the worker and must
    // not touch the window; `show` runs on the window's thread once it has
    // ended, with what it raised, if anything (an error it raises in turn is
    // reported). Meanwhile the window says that it is connecting; closing
    // the window gives the reading up.
    void readOptions(ks::ConnectionWorker::Work read, std::function<void(const std::exception_ptr &)> show);
    // Runs a definition fetch in the background: the lines it writes are
    // appended to the viewer as they arrive, closing the viewer stops it,
    // and an error reaches the user as any other.
    void fetchInBackground(TfrmKsTextViewer *viewer, ks::SearchTask task);

    // A window closing stops its search and waits for the worker.
    void closeEvent(QCloseEvent *event) override;

    // edFindChange and its siblings: enables Find by findAllowed().
    void updateFindEnabled();
    void lvResultDblClick();
    // Shows the definition behind a row of the last search, if it has one.
    void showDefinition(const ks::ResultRow &row);
    void lvResultColumnClick(int column);

    // The search bar is a grid: labels at the left, then a column of narrow
    // controls, then the wide controls, which take all the width there is and
    // end two pixels short of paTopRight (the Find button's panel). Columns
    // start at the design's 8, 80 and 168 and move right where a caption
    // needs more room; the window is never made smaller than the bar needs.
    // Give a control its design width with ks::setDesignMinimum (KsLayout.h),
    // not setMinimumWidth, which would let the layout squeeze its caption.
    enum BarColumn { LabelColumn = 0, NarrowColumn = 1, WideColumn = 3 };
    void addBarLabel(int row, const QString &objectName, const QString &caption, int columnSpan = 1);
    // An option box of the search bar, at least `designWidth` wide where the
    // design gives it one; placed by the caller.
    QCheckBox *makeBarCheckBox(const QString &objectName, const QString &caption, bool ticked, int designWidth = 0);
    void addBarControl(QWidget *control, int row, int column, int columnSpan = 1);
    // A row of option boxes, from the narrow column across the wide one.
    void addBarOptions(int row, const QList<QWidget *> &controls);
    // paTopRight, holding Find, stands at the end of this row.
    void placeFindButton(int row);
    // The row "Find": `narrow` (Ignore Case) in the narrow column, the
    // search text across the wide one with the match mode after it, and
    // Find at its end.
    void addFindRow(int row, QWidget *narrow);
    // The search text with the match mode after it, in that cell of the bar.
    void addFindText(int row, int column, int columnSpan = 1);
    // A list box of the bar named `objectName` that takes the width the bar
    // gives it: a long entry (a schema's name) does not widen the window.
    QComboBox *makeBarListBox(const QString &objectName);
    // Other captions for the result list's columns (Name, Type, Schema, Comment);
    // the columns take their default widths again.
    void setColumnCaptions(const QStringList &captions);

private:
    void applyMinimumWidths(int column, int oldSize, int newSize);
    void btnFindPressed();
    void setSearching(bool searching);
    void searchFinished(ks::SearchOutcome outcome, const ks::SearchProgress &progress, std::exception_ptr error);
    // A window on a snapshot says so in its caption and status bar; Save
    // Catalogue Snapshot is offered where the kind can take one.
    void describeSnapshot();
    void abandonSearch();
    void setStatusText(const QString &text);
    // Puts the header's sort arrow on the list's sort column.
    void showSortColumn();

    QString m_connectionString;
    std::shared_ptr<const ks::PreparedSearch> m_lastSearch; // what the rows listed were found by
    ks::KsResultModel *m_model = nullptr;
    QGridLayout *m_bar = nullptr;
    ks::SearchRunner *m_runner = nullptr;
    ks::ConnectionWorker *m_reader = nullptr; // for readOptions
    QShortcut *m_escape = nullptr;
    bool m_findAllowed = false; // Find's enabling as the bar last decided it
    QString m_statusText;
};
