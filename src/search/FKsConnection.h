#pragma once
// The frame shared by the connection windows: a search bar across the top, the
// sorted result list below it, and the "&Connection" menu with Duplicate. Each
// window belongs to one connection string and opens a fresh connection for
// every operation.

#include "shell/KsMdiChild.h"

class QAction;
class QFrame;
class QGridLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;

namespace ks {
class KsResultModel;
struct ResultRow;
} // namespace ks

class TfrmConnectionBase : public KsMdiChild {
    Q_OBJECT
public:
    explicit TfrmConnectionBase(TfrmKsMdiMain *owner);
    ~TfrmConnectionBase() override;

    // Keeps the string, sets the caption and fills the option lists.
    virtual void InitConnection(const QString &connectionString) = 0;
    QString connectionString() const { return m_connectionString; }

    ks::KsResultModel *resultModel() const { return m_model; }

    // Runs the search exactly as a click on Find does.
    virtual void btnFindClick() = 0;

    void miDuplicateClick();

    // Components of the frame, by their names.
    QFrame *paTop = nullptr;
    QFrame *paTopRight = nullptr;
    QPushButton *btnFind = nullptr;
    QLineEdit *edFind = nullptr;
    QTreeView *lvResult = nullptr;
    QMenu *mnConnection = nullptr;
    QAction *miDuplicate = nullptr;

protected:
    void setConnectionString(const QString &connectionString) { m_connectionString = connectionString; }
    // Initialises a new window for the connection and shows it; a window whose
    // initialisation fails is closed and the error goes on to the caller.
    static void initAndShow(TfrmConnectionBase *window, const QString &connectionString);
    // A new, empty window of the same kind for Duplicate.
    virtual TfrmConnectionBase *createSameKind() const = 0;
    // Whether the search may run with what the search bar holds now.
    virtual bool findAllowed() const = 0;
    // Shows the definition behind the selected row, if it has one.
    virtual void showDefinition(const ks::ResultRow &row) = 0;

    // edFindChange and its siblings: enables Find by findAllowed().
    void updateFindEnabled();
    void lvResultDblClick();
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
    void addBarControl(QWidget *control, int row, int column, int columnSpan = 1);
    // A row of option boxes, from the narrow column across the wide one.
    void addBarOptions(int row, const QList<QWidget *> &controls);
    // paTopRight, holding Find, stands at the end of this row.
    void placeFindButton(int row);
    // Other captions for the result list's columns (Name, Type, Schema, Comment);
    // the columns take their default widths again.
    void setColumnCaptions(const QStringList &captions);

private:
    void applyMinimumWidths(int column, int oldSize, int newSize);

    QString m_connectionString;
    ks::KsResultModel *m_model = nullptr;
    QGridLayout *m_bar = nullptr;
};

namespace ks {
// Shows the wait cursor for its lifetime; the previous cursor comes back also
// when an error ends the work early.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
} // namespace ks
