// The chunked store behind the result list: items stay put while it grows,
// and letting go of the last items (rows of a batch that cannot be put in
// order) takes exactly those, across chunk boundaries.

#include "search/KsChunkedStore.h"

#include <QString>
#include <QTest>

class TestChunkedStore : public QObject {
    Q_OBJECT

private slots:
    void truncateTakesTheLastItemsAcrossChunks_data();
    void truncateTakesTheLastItemsAcrossChunks();
};

void TestChunkedStore::truncateTakesTheLastItemsAcrossChunks_data()
{
    QTest::addColumn<int>("filled");
    QTest::addColumn<int>("kept");
    QTest::newRow("nothing taken") << 9 << 9;
    QTest::newRow("inside the last chunk") << 10 << 9;
    QTest::newRow("the last chunk whole") << 12 << 8;
    QTest::newRow("across two chunks") << 11 << 6;
    QTest::newRow("everything") << 9 << 0;
}

void TestChunkedStore::truncateTakesTheLastItemsAcrossChunks()
{
    QFETCH(int, filled);
    QFETCH(int, kept);
    ks::ChunkedStore<QString, 4> store;
    const QString *first = nullptr;
    for (int i = 0; i < filled; ++i) {
        store.push_back(QString::number(i));
        first = first ? first : &store[0];
        // Growing moves nothing.
        QCOMPARE(&store[0], first);
    }
    store.truncate(std::size_t(kept));
    QCOMPARE(store.size(), std::size_t(kept));
    for (int i = 0; i < kept; ++i)
        QCOMPARE(store[std::size_t(i)], QString::number(i));
    // Adding goes on right after the kept items.
    for (int i = kept; i < filled + 3; ++i)
        store.push_back(QStringLiteral("new %1").arg(i));
    QCOMPARE(store.size(), std::size_t(filled + 3));
    QCOMPARE(store[std::size_t(kept)], QStringLiteral("new %1").arg(kept));
    QCOMPARE(store.back(), QStringLiteral("new %1").arg(filled + 2));
}

QTEST_GUILESS_MAIN(TestChunkedStore)
#include "tst_chunkedstore.moc"
