#include "shell/KsMdiChild.h"

#include "shell/FKsMdiMain.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace {
const char *const kGroupIndexProperty = "ksGroupIndex";
}

KsMdiChild::KsMdiChild(TfrmKsMdiMain *owner)
    : QWidget(nullptr)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The workspace wraps the child in a frame of its own; that frame is
    // destroyed with the child, and closing either closes both.
    m_subWindow = owner->mdiArea()->addSubWindow(this);
    m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
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

void KsMdiChild::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

QString KsMdiChild::caption() const
{
    return windowTitle();
}

void KsMdiChild::closeEvent(QCloseEvent *event)
{
    if (CloseQuery())
        event->accept();
    else
        event->ignore();
}
