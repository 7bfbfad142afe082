// The recent-list manager: menu captions and accelerators, separators,
// enabling, hints, clicks, and the stored list with its section.

#include "settings/KsIniFileStore.h"
#include "settings/MRUList.h"
#include "settings/Placemnt.h"
#include "shell/KsStrings.h"
#include "support/TestSeams.h"

#include "SettingsTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {

QStringList menuCaptions(const QList<QAction *> &items)
{
    QStringList result;
    for (const QAction *item : items)
        result << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return result;
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("name%1").arg(i);
    return names;
}

// Fills a manager so that Strings() holds `names` in this order.
void fill(TMRUManager &manager, const QStringList &names)
{
    for (auto name = names.crbegin(); name != names.crend(); ++name)
        manager.Add(*name, 0);
}

} // namespace

class TfrmRecent : public QWidget {
    Q_OBJECT
public:
    TfrmRecent() { setObjectName(QStringLiteral("frmRecent")); }
    TFormPlacement *FormPlacement = new TFormPlacement(this);
    QMenu *mnFile = new QMenu(QStringLiteral("&File"), this);
    TMRUManager *MRUManager = new TMRUManager(this);
};

class TestMRUManager : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;

    QString iniPath() const { return m_home->file(QStringLiteral("recent.ini")); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
    }

    void cleanup()
    {
        m_seams.reset();
        m_home.reset();
    }

    void captions_data()
    {
        QTest::addColumn<int>("delimiter");
        QTest::addColumn<uint>("startAccel");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("prefixes");
        QTest::newRow("main window: space, from 0")
            << int(TMRUManager::adSpace) << 0u << 3 << QStringList {"&0 ", "&1 ", "&2 "};
        QTest::newRow("tab, from 1, past 9") << int(TMRUManager::adTab) << 1u << 12
                                             << QStringList {"&1\t", "&2\t", "&3\t", "&4\t", "&5\t", "&6\t", "&7\t",
                                                    "&8\t", "&9\t", "&A\t", "&B\t", "&C\t"};
        QTest::newRow("letters up to Z") << int(TMRUManager::adSpace) << 34u << 2
                                         << QStringList {
                                                "&Y ",
                                                "&Z ",
                                            };
        QTest::newRow("a blank above 100") << int(TMRUManager::adSpace) << 100u << 2
                                           << QStringList {QStringLiteral("&") + QChar(155) + QLatin1Char(' '), "  "};
    }

    void captions()
    {
        QFETCH(int, delimiter);
        QFETCH(uint, startAccel);
        QFETCH(int, count);
        QFETCH(QStringList, prefixes);
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setCapacity(count);
        manager.setAccelDelimiter(TMRUManager::TAccelDelimiter(delimiter));
        manager.setStartAccel(startAccel);
        manager.setRecentMenu(&menu);
        fill(manager, numberedNames(count));
        QStringList expected;
        for (int i = 0; i < count; ++i)
            expected << prefixes.at(i) + QStringLiteral("name%1").arg(i);
        QCOMPARE(menuCaptions(menu.actions()), expected);
        manager.setShowAccelChar(false);
        QCOMPARE(menuCaptions(menu.actions()), numberedNames(count));
    }

    void separators_data()
    {
        QTest::addColumn<bool>("ownItem");
        QTest::addColumn<int>("separateSize");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("menu");
        QTest::newRow("after the menu's own items") << true << 0 << 2 << QStringList {"E&xit", "-", "name0", "name1"};
        QTest::newRow("none in an empty menu") << false << 0 << 2 << QStringList {"name0", "name1"};
        QTest::newRow("empty list adds none") << true << 0 << 0 << QStringList {"E&xit"};
        QTest::newRow("every second item")
            << false << 2 << 5 << QStringList {"name0", "name1", "-", "name2", "name3", "-", "name4"};
    }

    void separators()
    {
        QFETCH(bool, ownItem);
        QFETCH(int, separateSize);
        QFETCH(int, count);
        QFETCH(QStringList, menu);
        QMenu host;
        if (ownItem)
            host.addAction(QStringLiteral("E&xit"));
        TMRUManager manager(nullptr);
        manager.setShowAccelChar(false);
        manager.setSeparateSize(quint16(separateSize));
        manager.setRecentMenu(&host);
        fill(manager, numberedNames(count));
        QCOMPARE(menuCaptions(host.actions()), menu);
        // Only its own items go when the list empties.
        while (manager.Strings().count() > 0)
            manager.Remove(manager.Strings().name(0));
        QCOMPARE(menuCaptions(host.actions()), ownItem ? QStringList {"E&xit"} : QStringList());
    }

    void autoEnable()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setRecentMenu(&menu);
        QVERIFY(!menu.menuAction()->isEnabled());
        manager.Add(QStringLiteral("a"), 0);
        QVERIFY(menu.menuAction()->isEnabled());
        manager.Remove(QStringLiteral("A"));
        QVERIFY(!menu.menuAction()->isEnabled());
        manager.setAutoEnable(false);
        manager.Add(QStringLiteral("a"), 0);
        manager.Remove(QStringLiteral("a"));
        menu.menuAction()->setEnabled(true);
        manager.RebuildRecentItems();
        QVERIFY(menu.menuAction()->isEnabled());
    }

    void captionAndHintSplitAtBar()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setRecentMenu(&menu);
        manager.Add(QStringLiteral("plain name"), 0);
        manager.Add(QStringLiteral("Orders|/data/orders.qmcat|more"), 0);
        QCOMPARE(menu.actions().at(0)->text(), QStringLiteral("&1\tOrders"));
        QCOMPARE(menu.actions().at(0)->statusTip(), QStringLiteral("/data/orders.qmcat|more"));
        QCOMPARE(menu.actions().at(1)->statusTip(), QStringLiteral("plain name"));
    }

    void hostAdjustsCaptionAndShortcut()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.OnGetItemData = [](TMRUManager *, QString &caption, QKeySequence &shortCut, int userData) {
            caption = caption.toUpper() + QStringLiteral("|hint %1").arg(userData);
            shortCut = QKeySequence(QStringLiteral("Ctrl+F%1").arg(userData));
        };
        manager.setRecentMenu(&menu);
        manager.Add(QStringLiteral("orders"), 4);
        QCOMPARE(menu.actions().at(0)->text(), QStringLiteral("&1\tORDERS"));
        QCOMPARE(menu.actions().at(0)->statusTip(), QStringLiteral("hint 4"));
        QCOMPARE(menu.actions().at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+F4")));
    }

    void choosingAnItem()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setAccelDelimiter(TMRUManager::adSpace);
        manager.setStartAccel(0);
        manager.setRecentMenu(&menu);
        manager.Add(QStringLiteral("first"), 11);
        manager.Add(QStringLiteral("second"), 22);
        QStringList clicks;
        manager.OnClick = [&](TMRUManager *sender, const QString &name, const QString &caption, int userData) {
            QCOMPARE(sender, &manager);
            clicks << QStringLiteral("%1|%2|%3").arg(name, caption).arg(userData);
        };
        menu.actions().at(1)->trigger();
        QCOMPARE(clicks, QStringList {QStringLiteral("first|&1 first|11")});
        QCOMPARE(manager.Strings().count(), 2);
        // An index past the list (it changed meanwhile) is ignored.
        manager.MenuItemClick(2, QStringLiteral("stale"));
        QCOMPARE(clicks.size(), 1);
    }

    void removeOnSelectAlsoWhenTheHandlerFails()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setRemoveOnSelect(true);
        manager.setRecentMenu(&menu);
        fill(manager, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        manager.OnClick = [](TMRUManager *, const QString &name, const QString &, int) {
            if (name == QLatin1String("b"))
                throw ks::Error(QStringLiteral("Cannot open b"));
        };
        menu.actions().at(0)->trigger();
        QCOMPARE(manager.Strings().names(), (QStringList {"b", "c"}));
        menu.actions().at(0)->trigger();
        QCOMPARE(manager.Strings().names(), QStringList {"c"});
        QCOMPARE(m_seams->messages.shown, QStringList {QStringLiteral("Cannot open b")});
        QCOMPARE(menuCaptions(menu.actions()), QStringList {"&1\tc"});
    }

    void savedListLoadsInOrder()
    {
        {
            TMRUManager manager(nullptr);
            fill(manager, {QStringLiteral("newest"), QStringLiteral("middle"), QStringLiteral("oldest")});
            manager.Add(QStringLiteral("Middle"), 7);
            manager.Add(QStringLiteral("newest"), 0);
            ks::IniFileStore store(iniPath());
            manager.SaveList(store, QStringLiteral("TfrmRecent.MRUManager"));
            store.flush();
        }
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("TfrmRecent.MRUManager")),
            (QMap<QString, QString> {{QStringLiteral("Item_0"), QStringLiteral("newest")},
                {QStringLiteral("Item_1"), QStringLiteral("middle")}, {QStringLiteral("User_1"), QStringLiteral("7")},
                {QStringLiteral("Item_2"), QStringLiteral("oldest")}}));
        TMRUManager manager(nullptr);
        manager.setMode(TRecentStrings::rmAppend);
        const ks::IniFileStore store(iniPath());
        manager.LoadList(const_cast<ks::IniFileStore &>(store), QStringLiteral("TfrmRecent.MRUManager"));
        QCOMPARE(manager.Strings().names(), (QStringList {"newest", "middle", "oldest"}));
        QCOMPARE(manager.Strings().data(1), 7);
        QCOMPARE(manager.Mode(), TRecentStrings::rmAppend);
    }

    void loadReadsNoMoreThanCapacity()
    {
        QByteArray text = "[S]\n";
        for (int i = 0; i < 14; ++i)
            text += "Item_" + QByteArray::number(i) + "=n" + QByteArray::number(i) + "\n";
        text += "Item_3=\n";
        ks::test::writeBytes(iniPath(), text.replace("Item_3=n3\n", ""));
        TMRUManager manager(nullptr);
        manager.setCapacity(5);
        ks::IniFileStore store(iniPath());
        manager.LoadList(store, QStringLiteral("S"));
        QCOMPARE(manager.Strings().names(), (QStringList {"n0", "n1", "n2", "n4"}));
    }

    void saveAfterShrinkingErasesOldItems()
    {
        TMRUManager manager(nullptr);
        fill(manager, numberedNames(5));
        manager.Add(QStringLiteral("name2"), 3);
        {
            ks::IniFileStore store(iniPath());
            manager.SaveList(store, QStringLiteral("S"));
            store.flush();
        }
        manager.setCapacity(2);
        manager.Add(QStringLiteral("name2"), 0);
        ks::IniFileStore store(iniPath());
        manager.SaveList(store, QStringLiteral("S"));
        store.flush();
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("S")),
            (QMap<QString, QString> {{QStringLiteral("Item_0"), QStringLiteral("name2")},
                {QStringLiteral("Item_1"), QStringLiteral("name0")}}));
    }

    void storedWithItsWindow_data()
    {
        QTest::addColumn<QString>("managerName");
        QTest::addColumn<QString>("rootSection");
        QTest::addColumn<QString>("section");
        QTest::newRow("main window") << "MRUManager"
                                     << ""
                                     << "TfrmRecent.MRUManager";
        QTest::newRow("below a section of the storage") << "MRUManager"
                                                        << "Recent"
                                                        << "Recent\\TfrmRecent.MRUManager";
        QTest::newRow("without a name") << ""
                                        << ""
                                        << "";
    }

    void storedWithItsWindow()
    {
        QFETCH(QString, managerName);
        QFETCH(QString, rootSection);
        QFETCH(QString, section);
        {
            TfrmRecent window;
            window.FormPlacement->setIniFileName(iniPath());
            window.FormPlacement->setIniSection(rootSection);
            window.MRUManager->setObjectName(managerName);
            window.MRUManager->setIniStorage(window.FormPlacement);
            window.MRUManager->setRecentMenu(window.mnFile);
            QCOMPARE(window.MRUManager->StorageSection(), section.isEmpty() ? QStringLiteral("TfrmRecent.") : section);
            window.show();
            window.MRUManager->Add(QStringLiteral("/data/a.qmcat"), 0);
            window.MRUManager->Add(QStringLiteral("/data/b.qmcat"), 0);
            QVERIFY(window.close());
        }
        const QMap<QString, QString> values = ks::test::sectionValues(iniPath(), section);
        QCOMPARE(
            values.value(QStringLiteral("Item_0")), section.isEmpty() ? QString() : QStringLiteral("/data/b.qmcat"));
        TfrmRecent window;
        window.FormPlacement->setIniFileName(iniPath());
        window.FormPlacement->setIniSection(rootSection);
        window.MRUManager->setObjectName(managerName);
        window.MRUManager->setIniStorage(window.FormPlacement);
        window.MRUManager->setRecentMenu(window.mnFile);
        window.show();
        QCOMPARE(window.MRUManager->Strings().count(), section.isEmpty() ? 0 : 2);
        QCOMPARE(window.mnFile->actions().size(), window.MRUManager->Strings().count());
    }

    void menuItemsFollowTheirMenuAndManager()
    {
        auto menu = std::make_unique<QMenu>();
        menu->addAction(QStringLiteral("E&xit"));
        auto manager = std::make_unique<TMRUManager>(nullptr);
        manager->setRecentMenu(menu.get());
        manager->Add(QStringLiteral("a"), 0);
        manager->Add(QStringLiteral("b"), 0);
        // An item the host took out of the menu is left to the host.
        QAction *taken = manager->recentItems().last();
        menu->removeAction(taken);
        manager->Add(QStringLiteral("c"), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!taken->isSeparator());
        QCOMPARE(taken->text(), QStringLiteral("&2\ta"));
        QCOMPARE(menuCaptions(menu->actions()), (QStringList {"E&xit", "-", "&1\tc", "&2\tb", "&3\ta"}));
        manager.reset();
        QCOMPARE(menuCaptions(menu->actions()), QStringList {"E&xit"});

        manager = std::make_unique<TMRUManager>(nullptr);
        manager->setRecentMenu(menu.get());
        manager->Add(QStringLiteral("a"), 0);
        menu.reset();
        QCOMPARE(manager->RecentMenu(), nullptr);
        manager->Add(QStringLiteral("b"), 0);
        QCOMPARE(manager->recentItems(), QList<QAction *>());
    }
};

QTEST_MAIN(TestMRUManager)
#include "tst_mrumanager.moc"
