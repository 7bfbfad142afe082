// The recent-list manager: menu captions and accelerators, separators,
// enabling, hints, clicks, and the stored list with its section.

#include "base/KsStrings.h"
#include "settings/KsIniFileStore.h"
#include "settings/MRUList.h"
#include "settings/Placemnt.h"
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

    void changeIsToldAfterEachChange_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("changes");
        QTest::newRow("add a new name") << "add d" << QStringList {"d", "a", "b", "c"} << 1;
        QTest::newRow("add a listed name") << "add B" << QStringList {"b", "a", "c"} << 1;
        QTest::newRow("remove a listed name") << "remove A" << QStringList {"b", "c"} << 1;
        QTest::newRow("remove an unlisted name") << "remove x" << QStringList {"a", "b", "c"} << 0;
        QTest::newRow("capacity trims two at once") << "capacity 1" << QStringList {"a"} << 1;
        QTest::newRow("capacity that trims nothing") << "capacity 5" << QStringList {"a", "b", "c"} << 0;
        QTest::newRow("load is one batch") << "load" << QStringList {"x", "y"} << 1;
        QTest::newRow("chosen and removed") << "choose" << QStringList {"a", "c"} << 1;
    }

    // OnChange comes once per change, after it: the handler sees the new list.
    void changeIsToldAfterEachChange()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, names);
        QFETCH(int, changes);
        ks::test::writeBytes(iniPath(), "[S]\nItem_0=x\nItem_1=y\n");
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setRecentMenu(&menu);
        fill(manager, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QList<QStringList> seen;
        manager.OnChange = [&](TMRUManager *sender) {
            QCOMPARE(sender, &manager);
            seen << manager.Strings().names();
        };
        const QString argument = operation.section(QLatin1Char(' '), 1);
        if (operation.startsWith(QLatin1String("add"))) {
            manager.Add(argument, 0);
        } else if (operation.startsWith(QLatin1String("remove"))) {
            manager.Remove(argument);
        } else if (operation.startsWith(QLatin1String("capacity"))) {
            manager.setCapacity(argument.toInt());
        } else if (operation == QLatin1String("load")) {
            ks::IniFileStore store(iniPath());
            manager.LoadList(store, QStringLiteral("S"));
        } else {
            manager.setRemoveOnSelect(true);
            menu.actions().at(1)->trigger();
        }
        QCOMPARE(manager.Strings().names(), names);
        QCOMPARE(seen.size(), changes);
        for (const QStringList &list : std::as_const(seen))
            QCOMPARE(list, names);
    }

    // Without AutoUpdate the list changes, OnChange is told, and the menu
    // keeps its items until it is rebuilt.
    void withoutAutoUpdateTheMenuWaitsForARebuild()
    {
        QMenu menu;
        TMRUManager manager(nullptr);
        manager.setRecentMenu(&menu);
        manager.Add(QStringLiteral("a"), 0);
        manager.setAutoUpdate(false);
        int changes = 0;
        manager.OnChange = [&changes](TMRUManager *) { ++changes; };
        manager.Add(QStringLiteral("b"), 0);
        manager.Add(QStringLiteral("c"), 0);
        QCOMPARE(changes, 2);
        QCOMPARE(manager.Strings().names(), (QStringList {"c", "b", "a"}));
        QCOMPARE(menuCaptions(menu.actions()), QStringList {"&1\ta"});
        manager.RebuildRecentItems();
        QCOMPARE(menuCaptions(menu.actions()), (QStringList {"&1\tc", "&2\tb", "&3\ta"}));

        // A change of the numbering rebuilds at once all the same.
        manager.Remove(QStringLiteral("c"));
        manager.setStartAccel(0);
        QCOMPARE(menuCaptions(menu.actions()), (QStringList {"&0\tb", "&1\ta"}));

        // Emptied, the menu keeps its items and stays enabled until rebuilt;
        // a stale item chosen meanwhile is ignored.
        QStringList clicks;
        manager.OnClick = [&clicks](TMRUManager *, const QString &name, const QString &, int) { clicks << name; };
        manager.Remove(QStringLiteral("b"));
        menu.actions().at(1)->trigger();
        QCOMPARE(clicks, QStringList());
        manager.Remove(QStringLiteral("a"));
        QCOMPARE(menu.actions().size(), 2);
        QVERIFY(menu.menuAction()->isEnabled());
        manager.RebuildRecentItems();
        QCOMPARE(menu.actions(), QList<QAction *>());
        QVERIFY(!menu.menuAction()->isEnabled());
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

    // OnWriteItem is handed each entry with the open store and the section,
    // and writes in place of Item_n and User_n; the section is erased first.
    void writeItemHandlerReplacesTheStandardWriting()
    {
        ks::test::writeBytes(iniPath(), "[S]\nItem_5=left over\nUser_5=9\n[Other]\nKeep=1\n");
        TMRUManager manager(nullptr);
        manager.Add(QStringLiteral("gamma"), 3);
        manager.Add(QStringLiteral("beta"), 0);
        manager.Add(QStringLiteral("alpha"), 1);
        ks::IniFileStore store(iniPath());
        QStringList calls;
        manager.OnWriteItem = [&](TMRUManager *sender, ks::SettingsStore &iniFile, const QString &section, int index,
                                  const QString &name, int userData) {
            QCOMPARE(sender, &manager);
            QCOMPARE(&iniFile, static_cast<ks::SettingsStore *>(&store));
            calls << QStringLiteral("%1|%2|%3|%4").arg(section).arg(index).arg(name).arg(userData);
            iniFile.writeString(section, QStringLiteral("File%1").arg(index),
                name.toUpper() + QLatin1Char(',') + QString::number(userData));
        };
        manager.SaveList(store, QStringLiteral("S"));
        store.flush();
        QCOMPARE(calls, (QStringList {"S|0|alpha|1", "S|1|beta|0", "S|2|gamma|3"}));
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("S")),
            (QMap<QString, QString> {{QStringLiteral("File0"), QStringLiteral("ALPHA,1")},
                {QStringLiteral("File1"), QStringLiteral("BETA,0")},
                {QStringLiteral("File2"), QStringLiteral("GAMMA,3")}}));
        QCOMPARE(ks::test::sectionValues(iniPath(), QStringLiteral("Other")).value(QStringLiteral("Keep")),
            QStringLiteral("1"));
    }

    // OnReadItem is asked for every index from the oldest down and gives the
    // name and user data in place of Item_n and User_n; empty names are skipped.
    void readItemHandlerReplacesTheStandardReading()
    {
        ks::test::writeBytes(iniPath(),
            "[S]\nItem_0=standard\nItem_3=standard too\nUser_0=5\n"
            "File0=ALPHA,1\nFile1=BETA,0\nFile2=GAMMA,3\nFile3=\n");
        TMRUManager manager(nullptr);
        manager.setCapacity(5);
        manager.Add(QStringLiteral("from before"), 0);
        ks::IniFileStore store(iniPath());
        QList<int> indexes;
        manager.OnReadItem = [&](TMRUManager *sender, ks::SettingsStore &iniFile, const QString &section, int index,
                                 QString &name, int &userData) {
            QCOMPARE(sender, &manager);
            QCOMPARE(&iniFile, static_cast<ks::SettingsStore *>(&store));
            QCOMPARE(section, QStringLiteral("S"));
            indexes << index;
            const QString text = iniFile.readString(section, QStringLiteral("File%1").arg(index), QString());
            name = text.section(QLatin1Char(','), 0, 0).toLower();
            userData = text.section(QLatin1Char(','), 1).toInt() + 100;
        };
        manager.LoadList(store, QStringLiteral("S"));
        QCOMPARE(indexes, (QList<int> {4, 3, 2, 1, 0}));
        QCOMPARE(manager.Strings().names(), (QStringList {"alpha", "beta", "gamma"}));
        QCOMPARE(manager.Strings().data(0), 101);
        QCOMPARE(manager.Strings().data(1), 100);
        QCOMPARE(manager.Strings().data(2), 103);
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
