#include "shell/FKsMdiMain.h"

#include "base/KsAppIcon.h"
#include "base/KsApplication.h"
#include "settings/Placemnt.h"
#include "shell/FKsDocument.h"
#include "shell/KsMdiChild.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

TfrmKsMdiMain *g_instance = nullptr;

int groupOf(const QMenu *menu)
{
    return KsMdiChild::groupIndex(menu);
}

// The chain of menus from a top-level menu down to the one holding `key`,
// and the item itself; searched depth-first in menu order, hidden items included.
bool findItem(QMenu *menu, const QKeySequence &key, QList<QMenu *> &chain, QAction *&item)
{
    chain.append(menu);
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->isSeparator())
            continue;
        if (!action->shortcut().isEmpty() && action->shortcut() == key) {
            item = action;
            return true;
        }
        if (QMenu *sub = action->menu(); sub && findItem(sub, key, chain, item))
            return true;
    }
    chain.removeLast();
    return false;
}

// Gathers the short-cuts of a menu tree. The items keep their short-cut for
// display in the menu, but react to it themselves only while their menu is
// open; everywhere else the main window dispatches it.
void collectShortcuts(const QMenu *menu, QList<QKeySequence> &keys)
{
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        action->setShortcutContext(Qt::WidgetShortcut);
        if (!action->shortcut().isEmpty() && !keys.contains(action->shortcut()))
            keys.append(action->shortcut());
        if (const QMenu *sub = action->menu())
            collectShortcuts(sub, keys);
    }
}

} // namespace

TfrmKsMdiMain::TfrmKsMdiMain(QWidget *parent)
    : QMainWindow(parent)
{
    g_instance = this;
    // The placement comes first: the recent-file list links to it.
    FormPlacement = new TFormPlacement(this);
    FormPlacement->setObjectName(QStringLiteral("FormPlacement"));
    setObjectName(QStringLiteral("frmKsMdiMain"));
    setWindowTitle(QStringLiteral("quillmere"));
    setWindowIcon(ks::applicationIcon());
    // Files dropped anywhere on the window are opened as documents.
    setAcceptDrops(true);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdiArea);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(true);
    setStatusBar(status);
    // A widget of its own rather than a message: hovering a menu item would
    // wipe a message.
    lbStatus = new QLabel(status);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setTextFormat(Qt::PlainText);
    status->addWidget(lbStatus, 1);
    menuBar()->setObjectName(QStringLiteral("MainMenu"));

    mnFile = addGroupMenu(QStringLiteral("mnFile"), QStringLiteral("&File"), 10);
    miNewMenu = new QMenu(QStringLiteral("&New"), mnFile);
    miNewMenu->setObjectName(QStringLiteral("miNewMenu"));
    miNew = miNewMenu->menuAction();
    miNew->setObjectName(QStringLiteral("miNew"));
    miNew->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    mnFile->addAction(miNew);
    miOpen
        = addItem(mnFile, QStringLiteral("miOpen"), QStringLiteral("&Open..."), QKeySequence(QStringLiteral("Ctrl+O")));
    miSave = addItem(mnFile, QStringLiteral("miSave"), QStringLiteral("&Save"), QKeySequence(QStringLiteral("Ctrl+S")));
    miSaveAs = addItem(mnFile, QStringLiteral("miSaveAs"), QStringLiteral("Save &As..."));
    miSave->setEnabled(false);
    miSaveAs->setEnabled(false);
    miN1 = mnFile->addSeparator();
    miN1->setObjectName(QStringLiteral("miN1"));
    miExit = addItem(mnFile, QStringLiteral("miExit"), QStringLiteral("E&xit"));

    mnWindows = addGroupMenu(QStringLiteral("mnWindows"), QStringLiteral("&Windows"), 80);
    miMinimizeAll = addItem(mnWindows, QStringLiteral("miMinimizeAll"), QStringLiteral("&Minimize All"));
    miCloseAll = addItem(mnWindows, QStringLiteral("miCloseAll"), QStringLiteral("&Close All"));

    mnDebug = addGroupMenu(QStringLiteral("mnDebug"), QStringLiteral("&Debug"), 80);
    miTraceWindow = addItem(mnDebug, QStringLiteral("miTraceWindow"), QStringLiteral("&Trace Window"));
    mnDebug->menuAction()->setVisible(false);

    mnHelp = addGroupMenu(QStringLiteral("mnHelp"), QStringLiteral("&Help"), 90);
    miOnlineHelp
        = addItem(mnHelp, QStringLiteral("miOnlineHelp"), QStringLiteral("&Online Help"), QKeySequence(Qt::Key_F1));
    miHomepage = addItem(mnHelp, QStringLiteral("miHomepage"), QStringLiteral("&Homepage"));
    miN4 = mnHelp->addSeparator();
    miN4->setObjectName(QStringLiteral("miN4"));
    miAbout = addItem(mnHelp, QStringLiteral("miAbout"), QStringLiteral("&About..."));

    connect(mnFile, &QMenu::aboutToShow, this, ks::guarded([this] { mnFileClick(); }));
    connect(mnWindows, &QMenu::aboutToShow, this, [this] { updateWindowList(); });
    connect(miOpen, &QAction::triggered, this, ks::guarded([this] { miOpenClick(); }));
    connect(miSave, &QAction::triggered, this, ks::guarded([this] { miSaveClick(); }));
    connect(miSaveAs, &QAction::triggered, this, ks::guarded([this] { miSaveAsClick(); }));
    connect(miExit, &QAction::triggered, this, ks::guarded([this] { miExitClick(); }));
    connect(miMinimizeAll, &QAction::triggered, this, ks::guarded([this] { miMinimizeAllClick(); }));
    connect(miCloseAll, &QAction::triggered, this, ks::guarded([this] { miCloseAllClick(); }));
    connect(miTraceWindow, &QAction::triggered, this, ks::guarded([this] { miTraceWindowClick(); }));
    connect(miOnlineHelp, &QAction::triggered, this, ks::guarded([this] { miOnlineHelpClick(); }));
    connect(miHomepage, &QAction::triggered, this, ks::guarded([this] { miHomepageClick(); }));
    connect(miAbout, &QAction::triggered, this, ks::guarded([this] { miAboutClick(); }));

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TfrmKsMdiMain::subWindowActivated);
    // Ctrl+F4 closes the active child on every desktop; Qt's own close key
    // for it is the desktop's (Ctrl+W alone on X11), see KsMdiChild.
    auto *closeChild = new QShortcut(kCloseChildKey, this);
    closeChild->setObjectName(QStringLiteral("scCloseChild"));
    connect(closeChild, &QShortcut::activated, m_mdiArea, &QMdiArea::closeActiveSubWindow);
    createFileComponents();
    rebuildMenuBar();
}

TfrmKsMdiMain::~TfrmKsMdiMain()
{
    // The workspace reports activation changes while its children are torn
    // down; nothing here may react to them any more.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    if (m_mergedChild)
        disconnect(m_mergedChild, nullptr, this, nullptr);
    if (g_instance == this)
        g_instance = nullptr;
}

TfrmKsMdiMain *TfrmKsMdiMain::instance()
{
    return g_instance;
}

QList<KsMdiChild *> TfrmKsMdiMain::childWindows() const
{
    QList<KsMdiChild *> children;
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows) {
        if (auto *child = qobject_cast<KsMdiChild *>(window->widget()))
            children << child;
    }
    return children;
}

KsMdiChild *TfrmKsMdiMain::activeChild() const
{
    QMdiSubWindow *window = m_mdiArea->currentSubWindow();
    return window ? qobject_cast<KsMdiChild *>(window->widget()) : nullptr;
}

TfrmKsDocument *TfrmKsMdiMain::CreateDocument(const QString &)
{
    return nullptr;
}

QString TfrmKsMdiMain::GetUsageText() const
{
    return {};
}

QMenu *TfrmKsMdiMain::addGroupMenu(const QString &objectName, const QString &caption, int groupIndex)
{
    auto *menu = new QMenu(caption, this);
    menu->setObjectName(objectName);
    menu->menuAction()->setObjectName(objectName + QStringLiteral("Action"));
    KsMdiChild::setGroupIndex(menu, groupIndex);
    m_ownMenus << menu;
    return menu;
}

QAction *TfrmKsMdiMain::addItem(
    QMenu *menu, const QString &objectName, const QString &caption, const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(objectName);
    action->setShortcut(shortcut);
    return action;
}

void TfrmKsMdiMain::setItemShown(QAction *item, bool shown)
{
    // Short-cuts are dispatched by the main window from the menu tree, so an
    // item that is not shown keeps its short-cut.
    item->setVisible(shown);
}

bool TfrmKsMdiMain::isItemEnabled(QAction *item)
{
    if (item->isVisible())
        return item->isEnabled();
    // Qt reports every hidden action as disabled; showing it for a moment
    // brings back the state the program gave it.
    const QSignalBlocker blocker(item);
    item->setVisible(true);
    const bool enabled = item->isEnabled();
    item->setVisible(false);
    return enabled;
}

void TfrmKsMdiMain::refreshShortcuts()
{
    QList<QMenu *> menus = m_ownMenus;
    if (m_mergedChild)
        menus << m_mergedChild->mergedMenus();
    QList<QKeySequence> keys;
    for (const QMenu *menu : std::as_const(menus))
        collectShortcuts(menu, keys);

    for (auto it = m_shortcuts.begin(); it != m_shortcuts.end();) {
        if (!keys.contains(it.key())) {
            delete it.value();
            it = m_shortcuts.erase(it);
        } else {
            ++it;
        }
    }
    for (const QKeySequence &key : std::as_const(keys)) {
        if (m_shortcuts.contains(key))
            continue;
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, key] { shortcutActivated(key); });
        m_shortcuts.insert(key, shortcut);
    }
}

void TfrmKsMdiMain::shortcutActivated(const QKeySequence &key)
{
    // The active child's menus come first, so its items win a short-cut that
    // the main window's menus also use.
    QList<QMenu *> menus;
    if (m_mergedChild)
        menus << m_mergedChild->mergedMenus();
    for (QMenu *menu : std::as_const(m_ownMenus)) {
        const bool replaced = m_mergedChild && std::any_of(menus.cbegin(), menus.cend(), [menu](const QMenu *own) {
            return groupOf(own) == groupOf(menu);
        });
        if (!replaced)
            menus << menu;
    }

    for (QMenu *menu : std::as_const(menus)) {
        QList<QMenu *> chain;
        QAction *item = nullptr;
        if (!findItem(menu, key, chain, item))
            continue;
        ks::runGuarded([&] {
            // The enclosing menus get their chance to update their items first,
            // as if the user had opened them.
            for (QMenu *enclosing : std::as_const(chain))
                Q_EMIT enclosing->aboutToShow();
            const bool chainEnabled = std::all_of(chain.cbegin(), chain.cend(),
                [](QMenu *m) { return m->isEnabled() && isItemEnabled(m->menuAction()); });
            if (chainEnabled && isItemEnabled(item))
                Q_EMIT item->triggered(item->isChecked());
        });
        return;
    }
}

void TfrmKsMdiMain::subWindowActivated(QMdiSubWindow *)
{
    // A dialog taking the focus deactivates the workspace without changing its
    // current child; the menus follow the current child, not the focus.
    KsMdiChild *child = activeChild();
    if (child == m_mergedChild)
        return;
    mergeMenus(child);
}

void TfrmKsMdiMain::mergeMenus(KsMdiChild *child)
{
    if (m_mergedChild)
        disconnect(m_mergedChild, &QObject::destroyed, this, nullptr);
    m_mergedChild = child;
    if (child) {
        connect(child, &QObject::destroyed, this, [this] {
            m_mergedChild = nullptr;
            mergeMenus(activeChild());
        });
    }
    rebuildMenuBar();
    showChildStatus();
}

void TfrmKsMdiMain::childStatusChanged(KsMdiChild *child)
{
    // A window in the background searches on unseen.
    if (child == m_mergedChild)
        showChildStatus();
}

void TfrmKsMdiMain::showChildStatus()
{
    lbStatus->setText(m_mergedChild ? m_mergedChild->statusText() : QString());
}

void TfrmKsMdiMain::rebuildMenuBar()
{
    QList<QMenu *> menus = m_ownMenus;
    if (m_mergedChild) {
        // A child's menu replaces the main window's menus of its group and
        // otherwise takes its place among them by group.
        const QList<QMenu *> childMenus = m_mergedChild->mergedMenus();
        for (QMenu *childMenu : childMenus) {
            const int group = groupOf(childMenu);
            menus.erase(
                std::remove_if(menus.begin(), menus.end(), [group](const QMenu *own) { return groupOf(own) == group; }),
                menus.end());
        }
        menus << childMenus;
    }
    std::stable_sort(
        menus.begin(), menus.end(), [](const QMenu *a, const QMenu *b) { return groupOf(a) < groupOf(b); });

    QMenuBar *bar = menuBar();
    bar->clear();
    for (QMenu *menu : std::as_const(menus))
        bar->addAction(menu->menuAction());
    refreshShortcuts();
}

void TfrmKsMdiMain::updateWindowList()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<KsMdiChild *> children = childWindows();
    if (children.isEmpty())
        return;
    QAction *separator = mnWindows->addSeparator();
    m_windowListActions << separator;
    KsMdiChild *active = activeChild();
    int number = 1;
    for (KsMdiChild *child : children) {
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(child->caption())
                                         : QStringLiteral("%1 %2").arg(number).arg(child->caption());
        QAction *action = mnWindows->addAction(text);
        action->setCheckable(true);
        action->setChecked(child == active);
        QPointer<KsMdiChild> target(child);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target->subWindow());
        });
        m_windowListActions << action;
        ++number;
    }
}

void TfrmKsMdiMain::miMinimizeAllClick()
{
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        (*it)->showMinimized();
}

void TfrmKsMdiMain::miCloseAllClick()
{
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        (*it)->close();
}

void TfrmKsMdiMain::miExitClick()
{
    close();
}

void TfrmKsMdiMain::miTraceWindowClick()
{
}

QSize TfrmKsMdiMain::childMinimum(QMdiSubWindow *window)
{
    window->ensurePolished();
    return window->minimumSizeHint().expandedTo(window->minimumSize());
}

void TfrmKsMdiMain::placeNewChild(QMdiSubWindow *window)
{
    const QSize area = m_mdiArea->viewport()->size();
    const bool bounded = !area.isEmpty();
    QSize size = window->size();
    if (bounded)
        size = size.boundedTo(area);
    size = size.expandedTo(childMinimum(window));

    QPoint position = m_nextChildPosition;
    if (bounded && (position.x() + size.width() > area.width() || position.y() + size.height() > area.height()))
        position = QPoint(0, 0);
    window->setGeometry(QRect(position, size));

    // The caption height is the frame's top edge down to the window's content.
    int caption = window->contentsMargins().top();
    if (caption <= 0) {
        QStyleOptionTitleBar option;
        option.initFrom(window);
        caption = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, window);
    }
    m_nextChildPosition = position + QPoint(caption, caption);
}

void TfrmKsMdiMain::keepChildInside(QMdiSubWindow *window)
{
    const QSize area = m_mdiArea->viewport()->size();
    if (area.isEmpty())
        return;
    const QSize size = window->size().boundedTo(area).expandedTo(childMinimum(window));
    // One larger than the workspace (its minimum wins) keeps its top left
    // corner, and so its caption, in view.
    const QPoint position(std::clamp(window->x(), 0, std::max(0, area.width() - size.width())),
        std::clamp(window->y(), 0, std::max(0, area.height() - size.height())));
    const QRect inside(position, size);
    if (inside != window->geometry())
        window->setGeometry(inside);
}

void TfrmKsMdiMain::closeEvent(QCloseEvent *event)
{
    // Every child is asked once, front to back (the window on top first, as
    // the user sees them), before any of them closes. The first refusal stops
    // the asking and keeps the program and all its windows open.
    const QList<QMdiSubWindow *> stack = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    QList<QPointer<KsMdiChild>> children;
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        if (auto *child = qobject_cast<KsMdiChild *>((*it)->widget()))
            children << child;
    }
    for (const QPointer<KsMdiChild> &child : std::as_const(children)) {
        if (child && !child->askToClose()) {
            event->ignore();
            return;
        }
    }
    for (const QPointer<KsMdiChild> &child : std::as_const(children)) {
        if (child)
            child->closeWithoutAsking();
    }
    // Anything else in the workspace closes as usual.
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}
