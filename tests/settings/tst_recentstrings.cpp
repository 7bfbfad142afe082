// The recent-list rules: capacity and trimming in both modes, names that
// ignore letter case, user data and one change notice per batch.

#include "settings/RecentStrings.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

TRecentStrings *filled(QObject *owner, int capacity, TRecentStrings::TRecentMode mode, const QStringList &names)
{
    auto *list = new TRecentStrings(owner);
    list->setCapacity(capacity);
    list->setMode(mode);
    for (const QString &name : names)
        list->add(name);
    return list;
}

} // namespace

class TestRecentStrings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void capacityTenKeepsTheTenNewest()
    {
        QStringList names;
        for (int i = 0; i < 11; ++i)
            names << QStringLiteral("file%1.txt").arg(i);
        QObject owner;
        const TRecentStrings *list = filled(&owner, 10, TRecentStrings::rmInsert, names);
        QStringList newestFirst = names.mid(1);
        std::reverse(newestFirst.begin(), newestFirst.end());
        QCOMPARE(list->names(), newestFirst);
    }

    void addRule_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("after");
        const QStringList abc {QStringLiteral("c:\\a.txt"), QStringLiteral("b"), QStringLiteral("c")};
        QTest::newRow("insert: listed name moves up with its case")
            << int(TRecentStrings::rmInsert) << QStringList {"b", "c:\\a.txt", "c"} << "C:\\A.TXT" << 0
            << QStringList {"c:\\a.txt", "b", "c"};
        QTest::newRow("insert: new name on top, oldest dropped")
            << int(TRecentStrings::rmInsert) << abc << "d" << 0 << QStringList {"d", "c:\\a.txt", "b"};
        QTest::newRow("append: listed name moves to the end")
            << int(TRecentStrings::rmAppend) << abc << "B" << 2 << QStringList {"c:\\a.txt", "c", "b"};
        QTest::newRow("append: new name at the end, first dropped")
            << int(TRecentStrings::rmAppend) << abc << "d" << 2 << QStringList {"b", "c", "d"};
        QTest::newRow("accented letters ignore case") << int(TRecentStrings::rmInsert) << QStringList {"Ärger", "x"}
                                                      << "äRGER" << 0 << QStringList {"Ärger", "x"};
    }

    void addRule()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(int, index);
        QFETCH(QStringList, after);
        QObject owner;
        // Built in append mode so that the list holds `before` in that order.
        TRecentStrings *list = filled(&owner, 3, TRecentStrings::rmAppend, before);
        QCOMPARE(list->names(), before);
        list->setMode(TRecentStrings::TRecentMode(mode));
        QCOMPARE(list->add(added), index);
        QCOMPARE(list->names(), after);
    }

    void capacityTrimsAtOnce()
    {
        QObject owner;
        TRecentStrings *insert = filled(&owner, 5, TRecentStrings::rmInsert, {"a", "b", "c", "d"});
        insert->setCapacity(2);
        QCOMPARE(insert->names(), (QStringList {"d", "c"}));
        insert->setCapacity(0);
        QCOMPARE(insert->capacity(), 1);
        QCOMPARE(insert->names(), QStringList {"d"});
        TRecentStrings *append = filled(&owner, 5, TRecentStrings::rmAppend, {"a", "b", "c", "d"});
        append->setCapacity(2);
        QCOMPARE(append->names(), (QStringList {"c", "d"}));
    }

    void userDataFollowsItsEntry()
    {
        QObject owner;
        TRecentStrings list(&owner);
        list.add(QStringLiteral("a"), 5);
        list.add(QStringLiteral("b"), 7);
        QCOMPARE(list.data(0), 7);
        QCOMPARE(list.data(1), 5);
        list.add(QStringLiteral("A"), 9);
        QCOMPARE(list.name(0), QStringLiteral("a"));
        QCOMPARE(list.data(0), 9);
        QCOMPARE(list.data(1), 7);
        QVERIFY(list.remove(QStringLiteral("B")));
        QVERIFY(!list.remove(QStringLiteral("b")));
        QCOMPARE(list.count(), 1);
    }

    void changesAreToldOncePerBatch()
    {
        TRecentStrings list;
        QSignalSpy changed(&list, &TRecentStrings::changed);
        list.add(QStringLiteral("a"));
        QCOMPARE(changed.count(), 1);
        {
            const TRecentStrings::Batch outer(list);
            list.add(QStringLiteral("b"));
            {
                const TRecentStrings::Batch inner(list);
                list.add(QStringLiteral("c"));
                list.remove(QStringLiteral("a"));
            }
            QCOMPARE(changed.count(), 1);
        }
        QCOMPARE(changed.count(), 2);
        // What changes nothing tells nothing.
        list.remove(QStringLiteral("missing"));
        list.setCapacity(20);
        list.clear();
        list.clear();
        QCOMPARE(changed.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestRecentStrings)
#include "tst_recentstrings.moc"
