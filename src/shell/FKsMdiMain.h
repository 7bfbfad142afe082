#pragma once
// The general MDI main window: workspace, File / Windows / Debug / Help menus,
// merging of the active child's menus, and short-cuts that keep working for
// items that are hidden; its placement and recent-file list, kept with the
// window; and the document machinery: Open, Save, Save As, files named on
// the command line or dropped on the window. TfrmMain specialises it for
// this program.

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include "shell/KsMdiHost.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QShortcut;
class KsMdiChild;
class TFormPlacement;
class TKsOpenDialog;
class TMRUManager;
class TfrmKsDocument;

class TfrmKsMdiMain : public QMainWindow, public KsMdiHost {
    Q_OBJECT
public:
    explicit TfrmKsMdiMain(QWidget *parent = nullptr);
    ~TfrmKsMdiMain() override;

    // The one main window of the program (null before it exists).
    static TfrmKsMdiMain *instance();

    QWidget *hostWidget() override { return this; }
    QMdiArea *mdiArea() const override { return m_mdiArea; }
    // The MDI children in creation order.
    QList<KsMdiChild *> childWindows() const override;
    KsMdiChild *activeChild() const override;

    // A new document window for the file, or none; the base has none.
    virtual TfrmKsDocument *CreateDocument(const QString &fileName);
    // Text for the usage panel of the about box; the base has none.
    virtual QString GetUsageText() const;

    // Opens an existing file in a new document window and moves it to the
    // top of the recent-file list; a missing file, or a file CreateDocument
    // gives no window, changes nothing.
    void OpenDocumentFile(const QString &fileName);

    // Files to open when the window is first shown, in order; each is made
    // a full path then.
    void setCommandLineFiles(const QStringList &files) { m_commandLineFiles = files; }

    // The active child if it is a document window, else null.
    TfrmKsDocument *activeDocument() const;

    // The status bar's text: what the active child has to say (see
    // KsMdiChild::statusText); nothing when it has nothing to say (a text
    // viewer, a window that has not searched) or there is none.
    QLabel *lbStatus = nullptr;

    // Components, by their component names. The placement is created before
    // anything linked to it.
    TFormPlacement *FormPlacement = nullptr;
    TMRUManager *MRUManager = nullptr;
    TKsOpenDialog *OpenDialog = nullptr;

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
    void placeNewChild(QMdiSubWindow *window) override;
    // Moves and shrinks a child that comes back from maximized or minimized
    // into the workspace's visible area (never below its minimum size), so
    // that its caption and buttons can be reached; the workspace may have
    // shrunk, or the child been opened maximized, in the meantime.
    void keepChildInside(QMdiSubWindow *window) override;

    // Commands of the frame.
    void miMinimizeAllClick();
    void miCloseAllClick();
    void miExitClick();

    // Document commands.
    void miOpenClick();
    void miSaveClick();
    void miSaveAsClick();

    // Help commands: web help for the active child's component name (or
    // "main"), the maker's home page, and the about box.
    void miOnlineHelpClick();
    void miHomepageClick();
    void miAboutClick();

protected:
    // Runs when the File menu is opened, and before any File short-cut is tested.
    virtual void mnFileClick();
    // Shows or closes the trace window; the base has none.
    virtual void miTraceWindowClick();

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
    // The file moves to the top of the recent-file list.
    void moveToTopOfRecent(const QString &fileName);
    // Rebuilds the short-cut table after items or short-cuts changed.
    void refreshShortcuts();

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The size below which a child's captions and controls would not fit.
    static QSize childMinimum(QMdiSubWindow *window);
    void createFileComponents();
    // The first showing: the command line's files, or miNew's command.
    void FormShow();
    void openDroppedFiles(const QStringList &files);

    void subWindowActivated(QMdiSubWindow *window);
    void mergeMenus(KsMdiChild *child);
    void childStatusChanged(KsMdiChild *child) override;
    void showChildStatus();
    void rebuildMenuBar();
    void updateWindowList();
    void shortcutActivated(const QKeySequence &key);

    QMdiArea *m_mdiArea = nullptr;
    QList<QMenu *> m_ownMenus; // the main window's top-level menus
    QPointer<KsMdiChild> m_mergedChild; // the child whose menus are merged
    QList<QAction *> m_windowListActions; // the child list at the end of Windows
    QHash<QKeySequence, QShortcut *> m_shortcuts;
    QPoint m_nextChildPosition; // where the next new child goes
    QStringList m_commandLineFiles;
    bool m_shown = false;
};
