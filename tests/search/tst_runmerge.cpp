// The stable sort of the result list for rows that arrive mostly in order:
// whatever the runs, it must give exactly what std::stable_sort gives, equal
// items in their arrival order.

#include "search/KsRunMerge.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

// A key to sort by and the arrival number that tells equal keys apart.
struct Item {
    int key = 0;
    int arrival = 0;
    bool operator==(const Item &) const = default;
};

bool byKey(const Item &a, const Item &b)
{
    return a.key < b.key;
}

// `count` items with keys below `keys`, in runs of about `runLength` items
// that each stand in order (1: random order), or all descending.
std::vector<Item> makeItems(QRandomGenerator &random, int count, int keys, int runLength, bool descending)
{
    std::vector<Item> items;
    for (int i = 0; i < count; ++i)
        items.push_back({int(random.bounded(keys)), i});
    if (descending) {
        std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.key > b.key; });
    } else if (runLength > 1) {
        for (std::size_t start = 0; start < items.size(); start += std::size_t(runLength)) {
            const auto end = items.begin() + std::ptrdiff_t(std::min(items.size(), start + std::size_t(runLength)));
            std::stable_sort(items.begin() + std::ptrdiff_t(start), end, byKey);
        }
    }
    return items;
}

} // namespace

class TestRunMerge : public QObject {
    Q_OBJECT

private slots:
    void givesTheStableSort_data();
    void givesTheStableSort();
    void finerRunsGiveTheSame();
    void shortRangesSortStably();
};

void TestRunMerge::givesTheStableSort_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("runLength");
    QTest::addColumn<bool>("descending");

    QTest::newRow("nothing") << 0 << 10 << 1 << false;
    QTest::newRow("one item") << 1 << 10 << 1 << false;
    QTest::newRow("random, many ties") << 5000 << 7 << 1 << false;
    QTest::newRow("random, few ties") << 5000 << 1000000 << 1 << false;
    QTest::newRow("one run") << 5000 << 100 << 5000 << false;
    QTest::newRow("a few long runs") << 5000 << 300 << 1200 << false;
    QTest::newRow("long runs and a short one") << 5001 << 300 << 2500 << false;
    QTest::newRow("many short runs") << 5000 << 50 << 3 << false;
    QTest::newRow("all equal") << 3000 << 1 << 1 << false;
    QTest::newRow("descending") << 3000 << 40 << 1 << true;
}

void TestRunMerge::givesTheStableSort()
{
    QFETCH(int, count);
    QFETCH(int, keys);
    QFETCH(int, runLength);
    QFETCH(bool, descending);
    QRandomGenerator random(quint32(count * 31 + keys + runLength));
    std::vector<Item> items = makeItems(random, count, keys, runLength, descending);
    std::vector<Item> expected = items;
    std::stable_sort(expected.begin(), expected.end(), byKey);

    const std::vector<std::size_t> runs = ks::orderedRuns(items, byKey);
    QCOMPARE(runs.empty(), items.empty());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::size_t end = r + 1 < runs.size() ? runs[r + 1] : items.size();
        QVERIFY(std::is_sorted(items.begin() + std::ptrdiff_t(runs[r]), items.begin() + std::ptrdiff_t(end), byKey));
        // Runs are as long as they can be.
        if (end < items.size())
            QVERIFY(byKey(items[end], items[end - 1]));
    }
    ks::mergeRuns(items, runs, byKey);
    QVERIFY(items == expected);
}

void TestRunMerge::finerRunsGiveTheSame()
{
    // Runs cut anywhere inside ordered stretches are runs as well.
    QRandomGenerator random(7);
    std::vector<Item> items = makeItems(random, 4000, 60, 500, false);
    std::vector<Item> expected = items;
    std::stable_sort(expected.begin(), expected.end(), byKey);
    std::vector<std::size_t> runs = ks::orderedRuns(items, byKey);
    for (int i = 0; i < 300; ++i)
        runs.push_back(std::size_t(random.bounded(1, int(items.size()))));
    std::sort(runs.begin(), runs.end());
    runs.erase(std::unique(runs.begin(), runs.end()), runs.end());
    ks::mergeRuns(items, runs, byKey);
    QVERIFY(items == expected);
}

void TestRunMerge::shortRangesSortStably()
{
    QRandomGenerator random(11);
    for (const int length : {2, 5, 16, 17, 40}) {
        std::vector<Item> items = makeItems(random, 50, 4, 1, false);
        std::vector<Item> expected = items;
        std::stable_sort(expected.begin() + 3, expected.begin() + 3 + length, byKey);
        ks::sortRange(items, 3, std::size_t(3 + length), byKey);
        QVERIFY2(items == expected, qPrintable(QString::number(length)));
    }
}

QTEST_GUILESS_MAIN(TestRunMerge)
#include "tst_runmerge.moc"
