#pragma once
// The frame shared by the connection windows: a search bar across the top, the
// sorted result list below it, and the "&Connection" menu with Duplicate. Each
// window belongs to one connection string and opens a fresh connection for
// every operation.

#include "shell/KsMdiChild.h"

class QAction;
class QFrame;
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
    // A new, empty window of the same kind for Duplicate.
    virtual TfrmConnectionBase *createSameKind() const = 0;
    // Whether the search may run with what the search bar holds now.
    virtual bool findAllowed() const = 0;
    // The control whose left edge the stretched controls are measured from,
    // and the controls that take the computed width.
    virtual QWidget *widthAnchor() const = 0;
    virtual QList<QWidget *> stretchedControls() const = 0;
    // Shows the definition behind the selected row, if it has one.
    virtual void showDefinition(const ks::ResultRow &row) = 0;

    // edFindChange and its siblings: enables Find by findAllowed().
    void updateFindEnabled();
    // paTopResize: the stretched controls end two pixels short of paTopRight.
    void paTopResize();
    void lvResultDblClick();
    void lvResultColumnClick(int column);

    // Places a control of the search bar at its design position.
    void place(QWidget *control, int left, int top, int width, int height = 21);
    QWidget *addLabel(const QString &objectName, const QString &caption, int left, int top);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void applyMinimumWidths(int column, int oldSize, int newSize);

    QString m_connectionString;
    ks::KsResultModel *m_model = nullptr;
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
