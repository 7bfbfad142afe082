#pragma once
// The general MDI main window: workspace, File / Windows / Debug / Help menus,
// merging of the active child's menus, and short-cuts that keep working for
// items that are hidden. TfrmMain specialises it for this program.

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QShortcut;
class KsMdiChild;

class TfrmKsMdiMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmKsMdiMain(QWidget *parent = nullptr);
    ~TfrmKsMdiMain() override;

    // The one main window of the program (null before it exists).
    static TfrmKsMdiMain *instance();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The MDI children in creation order.
    QList<KsMdiChild *> childWindows() const;
    KsMdiChild *activeChild() const;

    // A new document window for the file, or none; the base has none.
    virtual KsMdiChild *CreateDocument(const QString &fileName);
    // Text for the usage panel of the about box; the base has none.
    virtual QString GetUsageText() const;

    // Menus and items, by their component names.
    QMenu *mnFile = nullptr;
    QAction *miNew = nullptr;
    QMenu *miNewMenu = nullptr; // the sub-menu behind miNew
    QAction *miOpen = nullptr;
    QAction *miSave = nullptr;
    QAction *miSaveAs = nullptr;
    QAction *miN1 = nullptr;
    QAction *miExit = nullptr;
    QMenu *mnWindows = nullptr;
    QAction *miMinimizeAll = nullptr;
    QAction *miCloseAll = nullptr;
    QMenu *mnDebug = nullptr;
    QAction *miTraceWindow = nullptr;
    QMenu *mnHelp = nullptr;
    QAction *miOnlineHelp = nullptr;
    QAction *miHomepage = nullptr;
    QAction *miN4 = nullptr;
    QAction *miAbout = nullptr;

    // Gives a new child its place when it is first shown: a caption height
    // down and to the right of the previous child, back at the top left
    // corner when it would leave the workspace's visible area, and no larger
    // than that area (but never below the child's minimum size, which keeps
    // its captions whole).
    void placeNewChild(QMdiSubWindow *window);

    // Commands of the frame.
    void miMinimizeAllClick();
    void miCloseAllClick();
    void miExitClick();

protected:
    // Runs when the File menu is opened, and before any File short-cut is tested.
    virtual void mnFileClick();
    void miOpenClick();
    void miSaveClick();
    void miSaveAsClick();
    void miOnlineHelpClick();
    void miHomepageClick();
    void miAboutClick();
    void miTraceWindowClick();

    // Adds a top-level menu with its merge group index, in group order.
    QMenu *addGroupMenu(const QString &objectName, const QString &caption, int groupIndex);
    // Creates a menu item with its component name inside `menu`.
    QAction *addItem(QMenu *menu, const QString &objectName, const QString &caption, const QKeySequence &shortcut = {});
    // Shows or hides an item without losing its short-cut.
    static void setItemShown(QAction *item, bool shown);

public:
    // Whether an item is enabled, also while it is hidden (Qt reports hidden
    // actions as disabled).
    static bool isItemEnabled(QAction *item);

protected:
    // Rebuilds the short-cut table after items or short-cuts changed.
    void refreshShortcuts();

    void closeEvent(QCloseEvent *event) override;

private:
    void subWindowActivated(QMdiSubWindow *window);
    void mergeMenus(KsMdiChild *child);
    void rebuildMenuBar();
    void updateWindowList();
    void shortcutActivated(const QKeySequence &key);

    QMdiArea *m_mdiArea = nullptr;
    QList<QMenu *> m_ownMenus; // the main window's top-level menus
    QPointer<KsMdiChild> m_mergedChild; // the child whose menus are merged
    QList<QAction *> m_windowListActions; // the child list at the end of Windows
    QHash<QKeySequence, QShortcut *> m_shortcuts;
    QPoint m_nextChildPosition; // where the next new child goes
};
