#pragma once
// Base of every MDI child window (connection windows, text viewers): it puts
// itself into the main window's workspace when created, takes the workspace's
// next cascade place when first shown, is destroyed when closed, and declares
// the menus that are merged into the main menu bar while it is the active child.
//
// A child's component name (its objectName, and its web help context) is
// unique among the workspace's children: a name that another child already
// has becomes the first free "<name>_<n>" from 1 upwards
// ("frmConnectionOracle_1").

#include <QList>
#include <QWidget>

class QMenu;
class QMdiSubWindow;
class KsMdiHost;

class KsMdiChild : public QWidget {
    Q_OBJECT
public:
    // Creates the child inside `owner`'s workspace; it is shown (and becomes the
    // active child) with showChild(). The window deletes itself when closed.
    explicit KsMdiChild(KsMdiHost *owner);
    ~KsMdiChild() override;

    KsMdiHost *owner() const { return m_owner; }
    QMdiSubWindow *subWindow() const { return m_subWindow; }

    // Shows the window in the workspace and makes it the active child.
    void showChild();

    // A top-level menu of this window, merged by `groupIndex`: it replaces a
    // main-window menu of the same group and otherwise stands among them in
    // group order (File is 10, Windows 80, Help 90).
    void addMergedMenu(QMenu *menu, int groupIndex);
    QList<QMenu *> mergedMenus() const { return m_menus; }
    static int groupIndex(const QMenu *menu);
    static void setGroupIndex(QMenu *menu, int groupIndex);

    // Whether the window may close now; a window with unsaved work may ask the
    // user. Closing the window, or the program, asks this first, once.
    virtual bool CloseQuery() { return true; }

    // Asks CloseQuery; an error raised while asking is reported and counts
    // as a refusal.
    bool askToClose();
    // Closes the window without asking again: its CloseQuery has already
    // agreed (the main window asks every child before the program closes).
    void closeWithoutAsking();

    // The first free name made of `name`, "_" and a number from 1 upwards,
    // or `name` itself when no other child of `owner` has it.
    static QString uniqueName(const KsMdiHost *owner, const QString &name, const KsMdiChild *except = nullptr);

    // The caption shown in the window's title bar and the Windows list.
    void setCaption(const QString &caption);
    QString caption() const;

    // What the main window's status bar shows while this is the active
    // child (a search's progress and how it ended); empty for nothing.
    virtual QString statusText() const { return QString(); }

Q_SIGNALS:
    // statusText() has changed.
    void statusTextChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeUniqueName();

    KsMdiHost *m_owner;
    QMdiSubWindow *m_subWindow;
    QList<QMenu *> m_menus;
    bool m_placed = false; // the workspace has given the window its place
    bool m_closeAgreed = false; // CloseQuery agreed; closing asks no more
    bool m_naming = false; // the window is taking its unique name
};
