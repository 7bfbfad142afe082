#include "shell/KsMdiChild.h"

#include "base/KsApplication.h"
#include "shell/KsMdiHost.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {
const char *const kGroupIndexProperty = "ksGroupIndex";
}

KsMdiChild::KsMdiChild(KsMdiHost *owner)
    : QWidget(nullptr)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The workspace wraps the child in a frame of its own; that frame is
    // destroyed with the child, and closing either closes both.
    m_subWindow = owner->mdiArea()->addSubWindow(this);
    m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
    // The main window's Ctrl+F4 closes the active child; the frame's Close
    // keeps the desktop's other close keys, so that the two never compete.
    if (const QMenu *frameMenu = m_subWindow->systemMenu()) {
        for (QAction *item : frameMenu->actions()) {
            QList<QKeySequence> keys = item->shortcuts();
            if (keys.removeAll(kCloseChildKey) > 0)
                item->setShortcuts(keys);
        }
    }
    // The workspace places a child when it is added, before the child has
    // its size; the place is chosen again when it is first shown.
    m_subWindow->installEventFilter(this);
    connect(m_subWindow, &QMdiSubWindow::windowStateChanged, this,
        [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
            constexpr Qt::WindowStates kMinMax = Qt::WindowMinimized | Qt::WindowMaximized;
            if ((oldState & kMinMax) && !(newState & kMinMax))
                m_owner->keepChildInside(m_subWindow);
        });
    // Windows set their component name in their constructors; it is made
    // unique as it is set.
    connect(this, &QObject::objectNameChanged, this, [this] { takeUniqueName(); });
    connect(
        this, &KsMdiChild::statusTextChanged, owner->hostWidget(), [owner, this] { owner->childStatusChanged(this); });
}

KsMdiChild::~KsMdiChild() = default;

void KsMdiChild::showChild()
{
    m_subWindow->show();
    show();
    m_owner->mdiArea()->setActiveSubWindow(m_subWindow);
}

void KsMdiChild::addMergedMenu(QMenu *menu, int groupIndex)
{
    setGroupIndex(menu, groupIndex);
    m_menus << menu;
}

void KsMdiChild::setGroupIndex(QMenu *menu, int groupIndex)
{
    menu->setProperty(kGroupIndexProperty, groupIndex);
}

int KsMdiChild::groupIndex(const QMenu *menu)
{
    return menu->property(kGroupIndexProperty).toInt();
}

QString KsMdiChild::uniqueName(const KsMdiHost *owner, const QString &name, const KsMdiChild *except)
{
    QStringList taken;
    const QList<KsMdiChild *> children = owner->childWindows();
    for (const KsMdiChild *child : children) {
        if (child != except)
            taken << child->objectName();
    }
    if (name.isEmpty() || !taken.contains(name))
        return name;
    int number = 1;
    while (taken.contains(QStringLiteral("%1_%2").arg(name).arg(number)))
        ++number;
    return QStringLiteral("%1_%2").arg(name).arg(number);
}

void KsMdiChild::takeUniqueName()
{
    if (m_naming)
        return;
    const QString unique = uniqueName(m_owner, objectName(), this);
    if (unique == objectName())
        return;
    m_naming = true;
    setObjectName(unique);
    m_naming = false;
}

void KsMdiChild::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

QString KsMdiChild::caption() const
{
    return windowTitle();
}

bool KsMdiChild::askToClose()
{
    bool agreed = false;
    ks::runGuarded([this, &agreed] { agreed = CloseQuery(); });
    return agreed;
}

void KsMdiChild::closeWithoutAsking()
{
    m_closeAgreed = true;
    if (!m_subWindow->close())
        m_closeAgreed = false;
}

void KsMdiChild::closeEvent(QCloseEvent *event)
{
    if (m_closeAgreed || askToClose())
        event->accept();
    else
        event->ignore();
}

bool KsMdiChild::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_subWindow && event->type() == QEvent::Show && !m_placed) {
        m_placed = true;
        m_owner->placeNewChild(m_subWindow);
    }
    return QWidget::eventFilter(watched, event);
}
