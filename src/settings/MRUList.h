#pragma once
// TMRUManager keeps a list of recently used names (files, data sources,
// servers, databases), shows it as numbered items at the end of a menu,
// answers their clicks, and loads and saves the list with a placement.
//
// A window links one to its placement and names it, as the name is part of
// the section ("TfrmMain.MRUManager"); a manager without a name is neither
// loaded nor saved:
//     MRUManager = new TMRUManager(this);
//     MRUManager->setObjectName(QStringLiteral("MRUManager"));
//     MRUManager->setIniStorage(FormPlacement);
//     MRUManager->setRecentMenu(mnFile);

#include "settings/RecentStrings.h"

#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class TFormPlacement;
class TIniLink;

namespace ks {
class SettingsStore;
}

class TMRUManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(TAccelDelimiter AccelDelimiter READ AccelDelimiter WRITE setAccelDelimiter)
    Q_PROPERTY(bool AutoEnable READ AutoEnable WRITE setAutoEnable)
    Q_PROPERTY(bool AutoUpdate READ AutoUpdate WRITE setAutoUpdate)
    Q_PROPERTY(int Capacity READ Capacity WRITE setCapacity)
    Q_PROPERTY(TRecentStrings::TRecentMode Mode READ Mode WRITE setMode)
    Q_PROPERTY(bool RemoveOnSelect READ RemoveOnSelect WRITE setRemoveOnSelect)
    Q_PROPERTY(TFormPlacement *IniStorage READ IniStorage WRITE setIniStorage)
    Q_PROPERTY(quint16 SeparateSize READ SeparateSize WRITE setSeparateSize)
    Q_PROPERTY(QMenu *RecentMenu READ RecentMenu WRITE setRecentMenu)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(uint StartAccel READ StartAccel WRITE setStartAccel)
public:
    enum TAccelDelimiter { adTab, adSpace };
    Q_ENUM(TAccelDelimiter)

    // A manager owned by `owner`, normally the window it sits on.
    explicit TMRUManager(QObject *owner);
    ~TMRUManager() override;

    TAccelDelimiter AccelDelimiter() const { return m_accelDelimiter; }
    void setAccelDelimiter(TAccelDelimiter delimiter);
    // Keeps RecentMenu enabled exactly when it has items.
    bool AutoEnable() const { return m_autoEnable; }
    void setAutoEnable(bool enable);
    // Rebuilds the menu items after every change of the list.
    bool AutoUpdate() const { return m_autoUpdate; }
    void setAutoUpdate(bool update) { m_autoUpdate = update; }
    int Capacity() const;
    void setCapacity(int capacity);
    TRecentStrings::TRecentMode Mode() const;
    void setMode(TRecentStrings::TRecentMode mode);
    bool RemoveOnSelect() const { return m_removeOnSelect; }
    void setRemoveOnSelect(bool remove) { m_removeOnSelect = remove; }
    TFormPlacement *IniStorage() const;
    void setIniStorage(TFormPlacement *storage);
    // A separator before every SeparateSize-th item; 0 for none.
    quint16 SeparateSize() const { return m_separateSize; }
    void setSeparateSize(quint16 size);
    // The menu the items are appended to; forgotten when it is destroyed.
    QMenu *RecentMenu() const { return m_recentMenu; }
    void setRecentMenu(QMenu *menu);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool show);
    uint StartAccel() const { return m_startAccel; }
    void setStartAccel(uint start);

    std::function<void(TMRUManager *sender)> OnChange;
    std::function<void(TMRUManager *sender, const QString &recentName, const QString &caption, int userData)> OnClick;
    std::function<void(TMRUManager *sender, QString &caption, QKeySequence &shortCut, int userData)> OnGetItemData;
    std::function<void(TMRUManager *sender, ks::SettingsStore &iniFile, const QString &section, int index,
        QString &recentName, int &userData)>
        OnReadItem;
    std::function<void(TMRUManager *sender, ks::SettingsStore &iniFile, const QString &section, int index,
        const QString &recentName, int userData)>
        OnWriteItem;

    // Adds by the list's rule with `userData`.
    void Add(const QString &recentName, int userData);
    // Deletes the entry equal to `recentName`, letter case ignored.
    void Remove(const QString &recentName);
    // The names in display order with their user data.
    const TRecentStrings &Strings() const { return *m_list; }

    void RebuildRecentItems();
    void RemoveRecentItems();
    // The menu items this manager added (separators included), in menu order.
    QList<QAction *> recentItems() const;

    // Item_0.. and User_0.. in `section`; SaveList erases the section first.
    void LoadList(ks::SettingsStore &store, const QString &section);
    void SaveList(ks::SettingsStore &store, const QString &section);
    // The section the list is kept in: the storage's root section followed
    // by this manager's ComponentSection.
    QString StorageSection() const;

    // What chooses an item: OnClick for the entry at `index`, and with
    // RemoveOnSelect the entry goes, also when OnClick fails.
    void MenuItemClick(int index, const QString &caption);

private:
    void listChanged();
    void linkSave();
    void linkLoad();
    void menuDestroyed();

    TRecentStrings *m_list;
    std::unique_ptr<TIniLink> m_link;
    QPointer<QMenu> m_recentMenu;
    QList<QPointer<QAction>> m_items;
    TAccelDelimiter m_accelDelimiter = adTab;
    bool m_autoEnable = true;
    bool m_autoUpdate = true;
    bool m_removeOnSelect = false;
    quint16 m_separateSize = 0;
    bool m_showAccelChar = true;
    uint m_startAccel = 1;
};
