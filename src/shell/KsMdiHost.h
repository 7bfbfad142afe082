#pragma once
// What an MDI child needs of the main window that holds it: the workspace,
// the other children, a place when it is first shown, and an ear for what
// its status bar should say. The main window implements it; the children
// know nothing more of it.

#include <QKeySequence>
#include <QList>

class KsMdiChild;
class QMdiArea;
class QMdiSubWindow;
class QWidget;

// The key that closes the active child window.
inline const QKeySequence kCloseChildKey {Qt::CTRL | Qt::Key_F4};

class KsMdiHost {
public:
    // The main window as a widget: the parent of the dialogs a child opens.
    virtual QWidget *hostWidget() = 0;
    virtual QMdiArea *mdiArea() const = 0;
    // The MDI children in creation order.
    virtual QList<KsMdiChild *> childWindows() const = 0;
    virtual KsMdiChild *activeChild() const = 0;
    // Gives a new child its place when it is first shown.
    virtual void placeNewChild(QMdiSubWindow *window) = 0;
    // Moves and shrinks a child that comes back from maximized or minimized
    // into the workspace's visible area.
    virtual void keepChildInside(QMdiSubWindow *window) = 0;
    // A child's status text changed.
    virtual void childStatusChanged(KsMdiChild *child) = 0;

protected:
    KsMdiHost() = default;
    ~KsMdiHost() = default;
    KsMdiHost(const KsMdiHost &) = delete;
    KsMdiHost &operator=(const KsMdiHost &) = delete;
};
