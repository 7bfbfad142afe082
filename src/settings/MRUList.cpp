#include "settings/MRUList.h"

#include "base/KsApplication.h"
#include "settings/KsComponentSection.h"
#include "settings/KsSettingsStore.h"
#include "settings/Placemnt.h"

#include <QAction>
#include <QMenu>

namespace {

// "&0" to "&9", then "&A" and the characters after it up to number 100, and
// a blank above, where no key is left to offer.
QString accelerator(uint number)
{
    if (number <= 9)
        return QLatin1Char('&') + QString::number(number);
    if (number <= 100)
        return QLatin1Char('&') + QChar(char16_t(number + 55));
    return QStringLiteral(" ");
}

} // namespace

TMRUManager::TMRUManager(QObject *owner)
    : QObject(owner)
    , m_list(new TRecentStrings(this))
    , m_link(std::make_unique<TIniLink>())
{
    connect(m_list, &TRecentStrings::changed, this, &TMRUManager::listChanged);
    m_link->OnSave = [this] { linkSave(); };
    m_link->OnLoad = [this] { linkLoad(); };
}

TMRUManager::~TMRUManager()
{
    RemoveRecentItems();
    m_link->setStorage(nullptr);
}

void TMRUManager::setAccelDelimiter(TAccelDelimiter delimiter)
{
    if (m_accelDelimiter == delimiter)
        return;
    m_accelDelimiter = delimiter;
    if (m_showAccelChar)
        RebuildRecentItems();
}

void TMRUManager::setAutoEnable(bool enable)
{
    m_autoEnable = enable;
}

int TMRUManager::Capacity() const
{
    return m_list->capacity();
}

void TMRUManager::setCapacity(int capacity)
{
    m_list->setCapacity(capacity);
}

TRecentStrings::TRecentMode TMRUManager::Mode() const
{
    return m_list->mode();
}

void TMRUManager::setMode(TRecentStrings::TRecentMode mode)
{
    m_list->setMode(mode);
}

TFormPlacement *TMRUManager::IniStorage() const
{
    return m_link->Storage();
}

void TMRUManager::setIniStorage(TFormPlacement *storage)
{
    m_link->setStorage(storage);
}

void TMRUManager::setSeparateSize(quint16 size)
{
    if (m_separateSize == size)
        return;
    m_separateSize = size;
    RebuildRecentItems();
}

void TMRUManager::setRecentMenu(QMenu *menu)
{
    if (m_recentMenu == menu)
        return;
    RemoveRecentItems();
    if (m_recentMenu)
        disconnect(m_recentMenu, &QObject::destroyed, this, nullptr);
    m_recentMenu = menu;
    if (m_recentMenu)
        connect(m_recentMenu, &QObject::destroyed, this, &TMRUManager::menuDestroyed);
    RebuildRecentItems();
}

void TMRUManager::setShowAccelChar(bool show)
{
    if (m_showAccelChar == show)
        return;
    m_showAccelChar = show;
    RebuildRecentItems();
}

void TMRUManager::setStartAccel(uint start)
{
    if (m_startAccel == start)
        return;
    m_startAccel = start;
    RebuildRecentItems();
}

void TMRUManager::Add(const QString &recentName, int userData)
{
    m_list->add(recentName, userData);
}

void TMRUManager::Remove(const QString &recentName)
{
    m_list->remove(recentName);
}

QList<QAction *> TMRUManager::recentItems() const
{
    QList<QAction *> items;
    for (const QPointer<QAction> &item : m_items) {
        if (item)
            items << item;
    }
    return items;
}

void TMRUManager::RemoveRecentItems()
{
    while (!m_items.isEmpty()) {
        const QPointer<QAction> item = m_items.takeLast();
        // An item the host has taken out of the menu is only forgotten.
        if (!item || !m_recentMenu || !m_recentMenu->actions().contains(item))
            continue;
        m_recentMenu->removeAction(item);
        // Later, as the item may be the one whose click is being answered.
        item->deleteLater();
    }
    if (m_autoEnable && m_recentMenu)
        m_recentMenu->menuAction()->setEnabled(!m_recentMenu->actions().isEmpty());
}

void TMRUManager::RebuildRecentItems()
{
    RemoveRecentItems();
    if (!m_recentMenu)
        return;
    QMenu *menu = m_recentMenu;
    const auto addSeparator = [this, menu] {
        auto *separator = new QAction(menu);
        separator->setSeparator(true);
        menu->addAction(separator);
        m_items << separator;
    };
    if (!m_list->isEmpty() && !menu->actions().isEmpty())
        addSeparator();
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_separateSize > 0 && i > 0 && i % m_separateSize == 0)
            addSeparator();
        QString text = m_list->name(i);
        QKeySequence shortCut;
        if (OnGetItemData)
            OnGetItemData(this, text, shortCut, m_list->data(i));
        const qsizetype bar = text.indexOf(QLatin1Char('|'));
        QString caption = bar < 0 ? text : text.left(bar);
        const QString hint = bar < 0 ? text : text.mid(bar + 1);
        if (m_showAccelChar) {
            const QChar delimiter = m_accelDelimiter == adTab ? QLatin1Char('\t') : QLatin1Char(' ');
            caption = accelerator(uint(i) + m_startAccel) + delimiter + caption;
        }
        auto *item = new QAction(caption, menu);
        item->setStatusTip(hint);
        item->setShortcut(shortCut);
        item->setData(i);
        connect(item, &QAction::triggered, this, ks::guarded([this, i, caption] { MenuItemClick(i, caption); }));
        menu->addAction(item);
        m_items << item;
    }
    if (m_autoEnable)
        menu->menuAction()->setEnabled(!menu->actions().isEmpty());
}

void TMRUManager::MenuItemClick(int index, const QString &caption)
{
    if (index < 0 || index >= m_list->count())
        return;
    const QString name = m_list->name(index);
    // The chosen entry goes also when the handler fails; it is looked up by
    // name, as the handler may have moved it.
    struct RemoveChosen {
        TMRUManager &manager;
        const QString &name;
        ~RemoveChosen()
        {
            if (manager.m_removeOnSelect)
                manager.m_list->remove(name);
        }
    } removeChosen {*this, name};
    if (OnClick)
        OnClick(this, name, caption, m_list->data(index));
}

void TMRUManager::LoadList(ks::SettingsStore &store, const QString &section)
{
    const TRecentStrings::Batch batch(*m_list);
    const TRecentStrings::TRecentMode mode = m_list->mode();
    struct RestoreMode {
        TRecentStrings &list;
        TRecentStrings::TRecentMode mode;
        ~RestoreMode() { list.setMode(mode); }
    } restoreMode {*m_list, mode};
    m_list->clear();
    m_list->setMode(TRecentStrings::rmInsert);
    // From the oldest down, so that Item_0 ends at the top.
    for (int i = m_list->capacity() - 1; i >= 0; --i) {
        QString name;
        int data = 0;
        if (OnReadItem) {
            OnReadItem(this, store, section, i, name, data);
        } else {
            name = store.readString(section, QStringLiteral("Item_%1").arg(i), QString());
            data = store.readInteger(section, QStringLiteral("User_%1").arg(i), 0);
        }
        if (!name.isEmpty())
            m_list->add(name, data);
    }
}

void TMRUManager::SaveList(ks::SettingsStore &store, const QString &section)
{
    // Erased first, so that no entry of a longer list stays behind.
    store.eraseSection(section);
    for (int i = 0; i < m_list->count(); ++i) {
        const QString name = m_list->name(i);
        const int data = m_list->data(i);
        if (OnWriteItem) {
            OnWriteItem(this, store, section, i, name, data);
            continue;
        }
        store.writeString(section, QStringLiteral("Item_%1").arg(i), name);
        if (data != 0)
            store.writeInteger(section, QStringLiteral("User_%1").arg(i), data);
        else
            store.deleteValue(section, QStringLiteral("User_%1").arg(i));
    }
}

QString TMRUManager::StorageSection() const
{
    return m_link->RootSection() + ks::ComponentSection(this);
}

void TMRUManager::listChanged()
{
    if (OnChange)
        OnChange(this);
    if (m_autoUpdate)
        RebuildRecentItems();
}

void TMRUManager::linkSave()
{
    ks::SettingsStore *store = m_link->IniObject();
    if (store && !objectName().isEmpty())
        SaveList(*store, StorageSection());
}

void TMRUManager::linkLoad()
{
    ks::SettingsStore *store = m_link->IniObject();
    if (store && !objectName().isEmpty())
        LoadList(*store, StorageSection());
}

void TMRUManager::menuDestroyed()
{
    m_recentMenu = nullptr;
    m_items.clear();
}
