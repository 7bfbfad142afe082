// The result list model: its order rules, its signals and its batches.

#include "base/KsStrings.h"
#include "search/KsResultModel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

Q_DECLARE_METATYPE(ks::ResultRow)

// The guard ends a batch while an exception may be unwinding the search.
static_assert(std::is_nothrow_destructible_v<ks::KsResultModel::Batch>);

using ks::KsResultModel;
using ks::ResultRow;

namespace {

ResultRow makeRow(
    const QString &name, const QString &type, const QString &schema, const QString &comment, int rowKind = 1)
{
    return ResultRow {name, type, schema, comment, 3, rowKind};
}

ResultRow noResultsRow()
{
    return ResultRow {QStringLiteral("no results found"), {}, {}, {}, 0, 0};
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// The order of UTF-8 bytes compared unsigned, straight from the encoding.
int utf8Sign(const QString &a, const QString &b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    const auto less = [](char p, char q) { return uchar(p) < uchar(q); };
    if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), less))
        return -1;
    if (std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), less))
        return 1;
    return 0;
}

// One line per row, to compare whole lists in one go with a readable failure.
QStringList describe(const std::vector<ResultRow> &rows)
{
    QStringList lines;
    for (const ResultRow &row : rows)
        lines.append(
            QStringLiteral("%1|%2|%3|%4|%5").arg(row.name, row.type, row.schema, row.comment).arg(row.rowKind));
    return lines;
}

QStringList describe(const KsResultModel &model)
{
    std::vector<ResultRow> rows;
    for (int i = 0; i < model.rowCount(); ++i)
        rows.push_back(model.row(i));
    return describe(rows);
}

// What the view shows, through the model interface rather than row().
QStringList shownNames(const KsResultModel &model)
{
    QStringList names;
    for (int i = 0; i < model.rowCount(); ++i)
        names.append(model.index(i, KsResultModel::NameColumn).data().toString());
    return names;
}

std::vector<ResultRow> stableSorted(std::vector<ResultRow> rows, int column)
{
    std::stable_sort(rows.begin(), rows.end(),
        [column](const ResultRow &a, const ResultRow &b) { return ks::compareRows(a, b, column) < 0; });
    return rows;
}

// Rows with many ties: a small alphabet for every field, the arrival number
// as kind so that equal rows can be told apart.
std::vector<ResultRow> randomRows(QRandomGenerator &random, int count)
{
    const QString alphabet = QString::fromUtf8("aBb_\u00e9\U0001F600");
    const auto text = [&](int maxLength) {
        QString result;
        const int length = int(random.bounded(maxLength + 1));
        for (int i = 0; i < length; ++i) {
            qsizetype at = qsizetype(random.bounded(int(alphabet.size())));
            if (alphabet[at].isLowSurrogate())
                --at;
            result += alphabet[at];
            if (alphabet[at].isHighSurrogate())
                result += alphabet[at + 1];
        }
        return result;
    };
    std::vector<ResultRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(makeRow(text(3), text(1), text(1), text(1), i));
    return rows;
}

// Rows as the search statements deliver them: `runs` runs, each sorted by its
// Name alone (ORDER BY 1), so rows of equal name come in any order of their
// other fields.
std::vector<ResultRow> rowsInNameRuns(QRandomGenerator &random, int count, int runs)
{
    std::vector<ResultRow> rows = randomRows(random, count);
    const std::size_t size = rows.size() / std::size_t(runs) + 1;
    for (std::size_t start = 0; start < rows.size(); start += size) {
        const auto end = rows.begin() + std::ptrdiff_t(std::min(rows.size(), start + size));
        std::stable_sort(rows.begin() + std::ptrdiff_t(start), end,
            [](const ResultRow &a, const ResultRow &b) { return ks::compareTexts(a.name, b.name) < 0; });
    }
    return rows;
}

} // namespace

class TestResultModel : public QObject {
    Q_OBJECT

private slots:
    void showsFourColumnsReadOnly();
    void rowWithoutSubItemsShowsOnlyItsName();
    void rowsReadBackAsAddedWithEqualTextsShared();
    void comparesTextsAsUtf8Bytes_data();
    void comparesTextsAsUtf8Bytes();
    void comparesRandomTextsAsUtf8Bytes();
    void comparesRowsByColumnKeyOrder_data();
    void comparesRowsByColumnKeyOrder();
    void addedRowGoesToItsNamePlace();
    void insertSignalNamesTheRowsPlace();
    void sortingByTypeTwiceGivesTheSameOrder();
    void nextAddedRowBringsBackNameOrder();
    void sortKeepsPersistentIndexesOnTheirRows();
    void sortIgnoresDescendingAndNoColumn();
    void badColumnOrRowThrows();
    void batchTellsViewsOnceAtTheEnd();
    void nestedBatchesResetOnce();
    void batchEndedByErrorKeepsRows();
    void clearEmptiesAndRestoresNameOrder();
    void incrementalOrderEqualsStableSort_data();
    void incrementalOrderEqualsStableSort();
    void columnSortsBetweenAddsMatchStableSorts_data();
    void columnSortsBetweenAddsMatchStableSorts();
    void batchOrderEqualsRowByRowOrder_data();
    void batchOrderEqualsRowByRowOrder();
    void addedRowsInsertEachRunAtItsPlace();
    void addingNoRowsChangesNothing();
    void keptSortPlacesLaterRowsByItsColumn_data();
    void keptSortPlacesLaterRowsByItsColumn();
    void keptSortEndsWithTheSearch();
};

void TestResultModel::showsFourColumnsReadOnly()
{
    KsResultModel model;
    model.addRow(makeRow("EMP", "Table", "SCOTT", "Table Name", 7));

    QCOMPARE(model.columnCount(), 4);
    const QStringList captions {"Name", "Type", "Schema", "Comment"};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), captions[column]);

    const QStringList texts {"EMP", "Table", "SCOTT", "Table Name"};
    for (int column = 0; column < 4; ++column) {
        const QModelIndex index = model.index(0, column);
        QCOMPARE(index.data().toString(), texts[column]);
        QCOMPARE(index.data(KsResultModel::RowKindRole).toInt(), 7);
        QVERIFY(!(model.flags(index) & Qt::ItemIsEditable));
        QVERIFY(model.flags(index) & Qt::ItemIsSelectable);
        QVERIFY(!model.setData(index, "changed"));
    }
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("EMP"));
    QVERIFY(!model.index(1, 0).isValid());
    QVERIFY(!model.index(0, 4).isValid());
}

void TestResultModel::rowsReadBackAsAddedWithEqualTextsShared()
{
    KsResultModel model;
    ResultRow keyed = makeRow("Orders.Region", "Column", "dbo", "Column Name");
    keyed.key = std::make_shared<const ks::DefinitionKey>(
        ks::DefinitionKey {{"Orders", {}, "Region", {}, QStringLiteral("dbo")}});
    model.addRow(keyed);
    // Texts equal to those of the first row, each made apart from them.
    model.addRows({makeRow("Customers.Region", QStringLiteral("Col") + "umn", QString("dbo").toLower(), "Column Name"),
        noResultsRow()});
    QCOMPARE(describe(model),
        (QStringList {"Customers.Region|Column|dbo|Column Name|1", "Orders.Region|Column|dbo|Column Name|1",
            "no results found||||0"}));
    QCOMPARE(model.row(2).subItems, 0);

    const ResultRow first = model.row(0);
    const ResultRow second = model.row(1);
    QVERIFY(!first.key);
    QVERIFY(second.key);
    QCOMPARE(second.key->texts, keyed.key->texts);
    QCOMPARE(first.type.constData(), second.type.constData());
    QCOMPARE(first.schema.constData(), second.key->texts[4].constData());
}

void TestResultModel::rowWithoutSubItemsShowsOnlyItsName()
{
    KsResultModel model;
    ResultRow row = noResultsRow();
    row.type = QStringLiteral("ignored"); // not a sub-item of this row
    model.addRow(row);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("no results found"));
    QCOMPARE(model.index(0, 1).data().toString(), QString());
    QCOMPARE(model.index(0, 2).data().toString(), QString());
    QCOMPARE(model.index(0, 3).data().toString(), QString());
    QCOMPARE(model.index(0, 3).data(KsResultModel::RowKindRole).toInt(), 0);
}

void TestResultModel::comparesTextsAsUtf8Bytes_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");

    QTest::newRow("equal") << "EMP"
                           << "EMP" << 0;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("empty first") << ""
                                 << "a" << -1;
    QTest::newRow("prefix first") << "EMP"
                                  << "EMP_V" << -1;
    QTest::newRow("upper before lower") << "Z"
                                        << "a" << -1;
    QTest::newRow("case decides") << "emp"
                                  << "EMP" << 1;
    QTest::newRow("no locale: underscore after capitals") << "A_B"
                                                          << "AB" << 1;
    QTest::newRow("Column Name before Table Comment") << "Column Name"
                                                      << "Table Comment" << -1;
    QTest::newRow("ASCII before accented") << "z" << QString::fromUtf8("\u00e9") << -1;
    QTest::newRow("accented by code point") << QString::fromUtf8("\u00e9") << QString::fromUtf8("\u00c9") << 1;
    QTest::newRow("private use before replacement char")
        << QString::fromUtf8("\ue000") << QString::fromUtf8("\ufffd") << -1;
    // In UTF-16 units a surrogate (0xD83D) is below U+FFFD; in code points
    // and in UTF-8 the emoji comes after it.
    QTest::newRow("basic plane before emoji") << QString::fromUtf8("\ufffd") << QString::fromUtf8("\U0001F600") << -1;
    QTest::newRow("U+E000 before U+10000") << QString::fromUtf8("\ue000") << QString::fromUtf8("\U00010000") << -1;
    QTest::newRow("U+D7FF before U+10000") << QString::fromUtf8("\ud7ff") << QString::fromUtf8("\U00010000") << -1;
    QTest::newRow("planes in order") << QString::fromUtf8("\U0001F600") << QString::fromUtf8("\U00020000") << -1;
    QTest::newRow("low surrogates in order")
        << QString::fromUtf8("\U0001F600") << QString::fromUtf8("\U0001F601") << -1;
    QTest::newRow("emoji then prefix") << QString::fromUtf8("\U0001F600") << QString::fromUtf8("\U0001F600a") << -1;
}

void TestResultModel::comparesTextsAsUtf8Bytes()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);

    QCOMPARE(utf8Sign(a, b), expected); // the table itself is right
    QCOMPARE(sign(ks::compareTexts(a, b)), expected);
    QCOMPARE(sign(ks::compareTexts(b, a)), -expected);
}

void TestResultModel::comparesRandomTextsAsUtf8Bytes()
{
    QRandomGenerator random(4711);
    // One character from each UTF-8 length and both sides of the surrogates.
    const QList<char32_t> points {U'a', U'Z', U'\u00e9', U'\u07ff', U'\u0800', U'\ud7ff', U'\ue000', U'\uffff',
        U'\U00010000', U'\U0001F600', U'\U0010FFFF'};
    const auto text = [&] {
        QString result;
        const int length = int(random.bounded(5));
        for (int i = 0; i < length; ++i) {
            const char32_t point = points[qsizetype(random.bounded(int(points.size())))];
            result += QString::fromUcs4(&point, 1);
        }
        return result;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString a = text();
        const QString b = text();
        if (sign(ks::compareTexts(a, b)) != utf8Sign(a, b))
            QFAIL(qPrintable(QStringLiteral("\"%1\" against \"%2\"").arg(a, b)));
    }
}

void TestResultModel::comparesRowsByColumnKeyOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<ResultRow>("a");
    QTest::addColumn<ResultRow>("b");
    QTest::addColumn<int>("expected");

    const ResultRow empTable = makeRow("EMP", "Table", "SCOTT", "Table Name");
    const ResultRow empColumn = makeRow("EMP", "Column", "SCOTT", "Column Name");
    QTest::newRow("Name: same name, Column before Table") << 0 << empColumn << empTable << -1;
    QTest::newRow("Name: name before type") << 0 << makeRow("A", "Z", "Z", "Z") << makeRow("B", "A", "A", "A") << -1;
    QTest::newRow("Name: schema after type") << 0 << makeRow("A", "T", "B", "A") << makeRow("A", "T", "A", "B") << 1;
    QTest::newRow("Name: comment last") << 0 << makeRow("A", "T", "S", "B") << makeRow("A", "T", "S", "A") << 1;
    QTest::newRow("Name: all equal") << 0 << empTable << empTable << 0;
    QTest::newRow("Type: type first") << 1 << makeRow("B", "A", "Z", "Z") << makeRow("A", "B", "A", "A") << -1;
    QTest::newRow("Type: then name") << 1 << makeRow("B", "T", "A", "A") << makeRow("A", "T", "Z", "Z") << 1;
    QTest::newRow("Schema: schema first") << 2 << makeRow("Z", "Z", "A", "Z") << makeRow("A", "A", "B", "A") << -1;
    QTest::newRow("Schema: then name, then type")
        << 2 << makeRow("A", "B", "S", "A") << makeRow("A", "A", "S", "Z") << 1;
    QTest::newRow("Comment: Column Name before Table Comment")
        << 3 << makeRow("Z", "Z", "Z", "Column Name") << makeRow("A", "A", "A", "Table Comment") << -1;
    QTest::newRow("Comment: Z before a") << 3 << makeRow("b", "", "", "Z") << makeRow("a", "", "", "a") << -1;
    QTest::newRow("Comment: then name, type, schema")
        << 3 << makeRow("A", "T", "B", "C") << makeRow("A", "T", "A", "C") << 1;

    // A missing sub-item is skipped as equal; only the Name is left.
    for (int column = 0; column < 4; ++column) {
        const QByteArray tag = "no results row, column " + QByteArray::number(column);
        QTest::newRow((tag + ", same name").constData())
            << column << noResultsRow() << makeRow("no results found", "A", "A", "A") << 0;
        QTest::newRow((tag + ", name decides").constData())
            << column << noResultsRow() << makeRow("a", "zzz", "zzz", "zzz") << 1;
    }
    ResultRow typeOnly = makeRow("A", "T", "Z", "Z");
    typeOnly.subItems = 1;
    QTest::newRow("one sub-item: type compared") << 0 << typeOnly << makeRow("A", "U", "A", "A") << -1;
    QTest::newRow("one sub-item: schema skipped") << 0 << typeOnly << makeRow("A", "T", "A", "A") << 0;
}

void TestResultModel::comparesRowsByColumnKeyOrder()
{
    QFETCH(int, column);
    QFETCH(ResultRow, a);
    QFETCH(ResultRow, b);
    QFETCH(int, expected);

    QCOMPARE(sign(ks::compareRows(a, b, column)), expected);
    QCOMPARE(sign(ks::compareRows(b, a, column)), -expected);
}

void TestResultModel::addedRowGoesToItsNamePlace()
{
    KsResultModel model;
    model.addRow(makeRow("EMP", "Table", "SCOTT", "Table Name"));
    model.addRow(makeRow("a", "Table", "SCOTT", "Table Name"));
    model.addRow(makeRow("DEPT", "View", "SCOTT", "View Name"));
    model.addRow(makeRow("EMP", "Column", "SCOTT", "Column Name"));
    model.addRow(makeRow("Z", "Table", "SCOTT", "Table Name"));
    model.addRow(makeRow(QString::fromUtf8("\U0001F600"), "Table", "X", "Table Name"));
    model.addRow(makeRow(QString::fromUtf8("\ufffd"), "Table", "X", "Table Name"));

    QCOMPARE(shownNames(model),
        (QStringList {"DEPT", "EMP", "EMP", "Z", "a", QString::fromUtf8("\ufffd"), QString::fromUtf8("\U0001F600")}));
    QCOMPARE(model.index(1, KsResultModel::TypeColumn).data().toString(), QStringLiteral("Column"));
    QCOMPARE(model.index(2, KsResultModel::TypeColumn).data().toString(), QStringLiteral("Table"));
}

void TestResultModel::insertSignalNamesTheRowsPlace()
{
    KsResultModel model;
    model.addRow(makeRow("B", "T", "S", "C"));
    model.addRow(makeRow("D", "T", "S", "C"));
    QSignalSpy aboutToInsert(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.addRow(makeRow("C", "T", "S", "C"));
    model.addRow(makeRow("A", "T", "S", "C"));
    model.addRow(makeRow("E", "T", "S", "C"));

    QCOMPARE(aboutToInsert.count(), 3);
    QCOMPARE(inserted.count(), 3);
    const QList<int> places {1, 0, 4};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(inserted[i][1].toInt(), places[i]);
        QCOMPARE(inserted[i][2].toInt(), places[i]);
    }
    QCOMPARE(reset.count(), 0);
}

void TestResultModel::sortingByTypeTwiceGivesTheSameOrder()
{
    KsResultModel model;
    model.addRow(makeRow("EMP", "Table", "SCOTT", "Table Name"));
    model.addRow(makeRow("EMP_V", "View", "SCOTT", "View Name"));
    model.addRow(makeRow("ENAME", "Column", "SCOTT", "Column Name"));
    model.addRow(makeRow("BONUS", "Table", "SCOTT", "Table Name"));

    model.sortByColumn(KsResultModel::TypeColumn);
    const QStringList once = describe(model);
    QCOMPARE(shownNames(model), (QStringList {"ENAME", "BONUS", "EMP", "EMP_V"}));
    QCOMPARE(model.sortColumn(), int(KsResultModel::TypeColumn));

    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    model.sortByColumn(KsResultModel::TypeColumn);
    QCOMPARE(describe(model), once);
    QCOMPARE(layout.count(), 0);
}

void TestResultModel::nextAddedRowBringsBackNameOrder()
{
    KsResultModel model;
    model.addRow(makeRow("EMP", "Table", "SCOTT", "Table Name"));
    model.addRow(makeRow("ENAME", "Column", "SCOTT", "Column Name"));
    model.addRow(makeRow("DEPT", "Table", "SCOTT", "Table Name"));
    model.sortByColumn(KsResultModel::CommentColumn);
    QCOMPARE(shownNames(model), (QStringList {"ENAME", "DEPT", "EMP"}));

    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addRow(makeRow("DNAME", "Column", "SCOTT", "Column Name"));
    QCOMPARE(shownNames(model), (QStringList {"DEPT", "DNAME", "EMP", "ENAME"}));
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
    QCOMPARE(layout.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 1);
}

void TestResultModel::sortKeepsPersistentIndexesOnTheirRows()
{
    KsResultModel model;
    model.addRow(makeRow("A", "View", "HR", "View Name", 1));
    model.addRow(makeRow("B", "Column", "HR", "Column Name", 2));
    model.addRow(makeRow("C", "Table", "HR", "Table Name", 3));
    const QPersistentModelIndex first(model.index(0, KsResultModel::SchemaColumn));
    const QPersistentModelIndex last(model.index(2, KsResultModel::CommentColumn));

    model.sortByColumn(KsResultModel::TypeColumn); // B, C, A
    QCOMPARE(first.row(), 2);
    QCOMPARE(first.column(), int(KsResultModel::SchemaColumn));
    QCOMPARE(first.data(KsResultModel::RowKindRole).toInt(), 1);
    QCOMPARE(last.row(), 1);
    QCOMPARE(last.data().toString(), QStringLiteral("Table Name"));
}

void TestResultModel::sortIgnoresDescendingAndNoColumn()
{
    KsResultModel model;
    model.addRow(makeRow("A", "B", "", ""));
    model.addRow(makeRow("B", "A", "", ""));
    model.sort(-1);
    QCOMPARE(shownNames(model), (QStringList {"A", "B"}));
    model.sort(KsResultModel::TypeColumn, Qt::DescendingOrder);
    QCOMPARE(shownNames(model), (QStringList {"B", "A"}));
    model.sort(KsResultModel::NameColumn, Qt::DescendingOrder);
    QCOMPARE(shownNames(model), (QStringList {"A", "B"}));
}

void TestResultModel::badColumnOrRowThrows()
{
    KsResultModel model;
    model.addRow(makeRow("A", "B", "", ""));
    QVERIFY_THROWS_EXCEPTION(ks::Error, model.sortByColumn(4));
    QVERIFY_THROWS_EXCEPTION(ks::Error, model.sortByColumn(-1));
    QVERIFY_THROWS_EXCEPTION(ks::Error, model.row(1));
    QVERIFY_THROWS_EXCEPTION(ks::Error, model.row(-1));
    QCOMPARE(model.row(0).name, QStringLiteral("A"));
}

void TestResultModel::batchTellsViewsOnceAtTheEnd()
{
    KsResultModel model;
    model.addRow(makeRow("M", "T", "S", "C"));
    model.sortByColumn(KsResultModel::TypeColumn);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    {
        KsResultModel::Batch batch(model);
        for (int i = 2000; i > 0; --i)
            model.addRow(makeRow(QString::number(i), "T", "S", "C"));
        // The search itself may read the list while it fills it.
        QCOMPARE(model.rowCount(), 2001);
        QCOMPARE(model.row(0).name, QStringLiteral("1"));
        QCOMPARE(aboutToReset.count(), 1);
        QCOMPARE(reset.count(), 0);
    }
    QCOMPARE(reset.count(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(layout.count(), 0);
    QCOMPARE(model.rowCount(), 2001);
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
    QCOMPARE(model.index(2000, 0).data().toString(), QStringLiteral("M"));
}

void TestResultModel::nestedBatchesResetOnce()
{
    KsResultModel model;
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    {
        KsResultModel::Batch outer(model);
        model.clear();
        {
            KsResultModel::Batch inner(model);
            model.addRow(makeRow("A", "T", "S", "C"));
        }
        QCOMPARE(reset.count(), 0);
        model.addRow(makeRow("B", "T", "S", "C"));
    }
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 2);
}

void TestResultModel::batchEndedByErrorKeepsRows()
{
    KsResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    try {
        KsResultModel::Batch batch(model);
        model.addRow(makeRow("B", "T", "S", "C"));
        model.addRow(makeRow("A", "T", "S", "C"));
        throw ks::Error(QStringLiteral("ORA-00942: table or view does not exist"));
    } catch (const ks::Error &) {
    }
    QCOMPARE(reset.count(), 1);
    QCOMPARE(shownNames(model), (QStringList {"A", "B"}));
    model.addRow(makeRow("C", "T", "S", "C"));
    QCOMPARE(model.rowCount(), 3);
}

void TestResultModel::clearEmptiesAndRestoresNameOrder()
{
    KsResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addRow(makeRow("A", "T", "S", "C"));
    model.sortByColumn(KsResultModel::SchemaColumn);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
    QVERIFY(!model.index(0, 0).isValid());
    model.addRow(noResultsRow());
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.row(0).name, QStringLiteral("no results found"));
}

void TestResultModel::incrementalOrderEqualsStableSort_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("inBatch");
    QTest::addColumn<bool>("withTester");

    // Enough rows to split blocks many times over.
    QTest::newRow("batch") << 20000 << true << false;
    QTest::newRow("row by row") << 20000 << false << false;
    // The tester walks the whole model after every insert: fewer rows, but
    // still more than one block holds.
    QTest::newRow("row by row, model tester") << 1200 << false << true;
    QTest::newRow("batch, model tester") << 1200 << true << true;
}

void TestResultModel::incrementalOrderEqualsStableSort()
{
    QFETCH(int, count);
    QFETCH(bool, inBatch);
    QFETCH(bool, withTester);

    QRandomGenerator random(quint32(count) + (inBatch ? 1 : 0));
    const std::vector<ResultRow> rows = randomRows(random, count);
    KsResultModel model;
    std::optional<QAbstractItemModelTester> tester;
    if (withTester)
        tester.emplace(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    {
        std::optional<KsResultModel::Batch> batch;
        if (inBatch)
            batch.emplace(model);
        for (const ResultRow &row : rows)
            model.addRow(row);
    }
    QCOMPARE(describe(model), describe(stableSorted(rows, KsResultModel::NameColumn)));
}

void TestResultModel::columnSortsBetweenAddsMatchStableSorts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sortEvery");
    QTest::addColumn<bool>("withTester");

    QTest::newRow("many rows") << 6000 << 500 << false;
    QTest::newRow("model tester") << 600 << 50 << true;
}

void TestResultModel::columnSortsBetweenAddsMatchStableSorts()
{
    QFETCH(int, count);
    QFETCH(int, sortEvery);
    QFETCH(bool, withTester);

    QRandomGenerator random(99);
    KsResultModel model;
    std::optional<QAbstractItemModelTester> tester;
    if (withTester)
        tester.emplace(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<ResultRow> expected;
    const std::vector<ResultRow> rows = randomRows(random, count);
    int column = KsResultModel::NameColumn;
    for (const ResultRow &row : rows) {
        if (random.bounded(sortEvery) == 0) {
            column = int(random.bounded(int(KsResultModel::ColumnCount)));
            model.sortByColumn(column);
            expected = stableSorted(expected, column);
            QCOMPARE(describe(model), describe(expected));
        }
        model.addRow(row);
        // The list regains Name order first, then the row goes after its equals.
        if (column != KsResultModel::NameColumn) {
            expected = stableSorted(expected, KsResultModel::NameColumn);
            column = KsResultModel::NameColumn;
        }
        expected.insert(std::upper_bound(expected.begin(), expected.end(), row,
                            [](const ResultRow &a, const ResultRow &b) {
                                return ks::compareRows(a, b, KsResultModel::NameColumn) < 0;
                            }),
            row);
    }
    QCOMPARE(describe(model), describe(expected));
}

void TestResultModel::batchOrderEqualsRowByRowOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("runs");
    QTest::addColumn<bool>("inBatch");
    QTest::addColumn<int>("chunk"); // rows per addRows() call, 1 for addRow()
    QTest::addColumn<int>("sortColumn"); // column sort in force before the rows come
    QTest::addColumn<bool>("readMidway");

    QTest::newRow("batch, random rows") << 20000 << 20000 << true << 1 << 0 << false;
    QTest::newRow("batch, runs in name order") << 20000 << 7 << true << 1 << 0 << false;
    QTest::newRow("batch, one run") << 5000 << 1 << true << 1 << 0 << false;
    QTest::newRow("batch after a type sort") << 20000 << 7 << true << 1 << 1 << false;
    QTest::newRow("batch read while it fills") << 20000 << 7 << true << 1 << 0 << true;
    QTest::newRow("batch of row vectors") << 20000 << 7 << true << 333 << 3 << true;
    QTest::newRow("row vectors shown as they come") << 800 << 7 << false << 97 << 0 << false;
    QTest::newRow("row vectors after a comment sort") << 800 << 800 << false << 250 << 3 << false;
}

void TestResultModel::batchOrderEqualsRowByRowOrder()
{
    QFETCH(int, count);
    QFETCH(int, runs);
    QFETCH(bool, inBatch);
    QFETCH(int, chunk);
    QFETCH(int, sortColumn);
    QFETCH(bool, readMidway);

    QRandomGenerator random(quint32(count + runs + chunk));
    const std::vector<ResultRow> before = randomRows(random, 300);
    const std::vector<ResultRow> rows = rowsInNameRuns(random, count, runs);

    // The yardstick: every row inserted on its own while the list is shown.
    KsResultModel oneByOne;
    for (const ResultRow &row : before)
        oneByOne.addRow(row);
    oneByOne.sortByColumn(sortColumn);
    for (const ResultRow &row : rows)
        oneByOne.addRow(row);

    KsResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addRows(before);
    model.sortByColumn(sortColumn);
    {
        std::optional<KsResultModel::Batch> batch;
        if (inBatch)
            batch.emplace(model);
        for (std::size_t start = 0; start < rows.size(); start += std::size_t(chunk)) {
            const auto end = rows.begin() + std::ptrdiff_t(std::min(rows.size(), start + std::size_t(chunk)));
            if (chunk == 1)
                model.addRow(rows[start]);
            else
                model.addRows(std::vector<ResultRow>(rows.begin() + std::ptrdiff_t(start), end));
            if (readMidway && start / std::size_t(chunk) == rows.size() / std::size_t(chunk) / 2) {
                QCOMPARE(model.rowCount(), int(before.size()) + int(end - rows.begin()));
                QCOMPARE(model.row(0).name, model.index(0, 0).data().toString());
            }
        }
    }
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
    QCOMPARE(describe(model), describe(oneByOne));
}

void TestResultModel::addedRowsInsertEachRunAtItsPlace()
{
    KsResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addRows({makeRow("B", "T", "S", "C", 1), makeRow("D", "T", "S", "C", 2)});
    const QPersistentModelIndex d(model.index(1, KsResultModel::TypeColumn));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.addRows({makeRow("C", "T", "S", "C", 3), makeRow("A", "T", "S", "C", 4), makeRow("E", "T", "S", "C", 5),
        makeRow("A", "T", "S", "C", 6), makeRow("C", "T", "S", "C", 7), makeRow("D", "T", "S", "C", 8)});

    QCOMPARE(describe(model),
        (QStringList {
            "A|T|S|C|4", "A|T|S|C|6", "B|T|S|C|1", "C|T|S|C|3", "C|T|S|C|7", "D|T|S|C|2", "D|T|S|C|8", "E|T|S|C|5"}));
    // New rows that land next to each other come in one signal, in list order.
    QList<std::pair<int, int>> runs;
    for (const QList<QVariant> &signal : std::as_const(inserted))
        runs.append({signal[1].toInt(), signal[2].toInt()});
    QCOMPARE(runs, (QList<std::pair<int, int>> {{0, 1}, {3, 4}, {6, 7}}));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(d.row(), 5);
    QCOMPARE(d.data(KsResultModel::RowKindRole).toInt(), 2);
}

void TestResultModel::addingNoRowsChangesNothing()
{
    KsResultModel model;
    model.addRows({makeRow("B", "A", "S", "C"), makeRow("A", "B", "S", "C")});
    model.sortByColumn(KsResultModel::TypeColumn);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addRows({});
    QCOMPARE(layout.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.sortColumn(), int(KsResultModel::TypeColumn));
    QCOMPARE(shownNames(model), (QStringList {"B", "A"}));
}

void TestResultModel::keptSortPlacesLaterRowsByItsColumn_data()
{
    QTest::addColumn<int>("chunk"); // rows per addRows() call, 1 for addRow()
    QTest::addColumn<bool>("inBatch");
    QTest::newRow("batches as a search delivers them") << 97 << false;
    QTest::newRow("row by row") << 1 << false;
    QTest::newRow("inside a batch") << 250 << true;
}

void TestResultModel::keptSortPlacesLaterRowsByItsColumn()
{
    QFETCH(int, chunk);
    QFETCH(bool, inBatch);
    // A search delivers rows in batches; the user sorts by another column
    // now and then; every row after a sort goes to its place in that
    // column's order, after the rows it equals, as if inserted one by one.
    QRandomGenerator random(quint32(chunk) + 17);
    const std::vector<ResultRow> rows = rowsInNameRuns(random, 3000, 5);
    KsResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setKeepSort(true);
    std::optional<KsResultModel::Batch> batch;
    if (inBatch)
        batch.emplace(model);
    std::vector<ResultRow> expected;
    int column = KsResultModel::NameColumn;
    for (std::size_t start = 0; start < rows.size(); start += std::size_t(chunk)) {
        if (start > 0 && random.bounded(4) == 0) {
            column = int(random.bounded(int(KsResultModel::ColumnCount)));
            model.sortByColumn(column);
            expected = stableSorted(expected, column);
        }
        const std::size_t end = std::min(rows.size(), start + std::size_t(chunk));
        if (chunk == 1)
            model.addRow(rows[start]);
        else
            model.addRows(
                std::vector<ResultRow>(rows.begin() + std::ptrdiff_t(start), rows.begin() + std::ptrdiff_t(end)));
        for (std::size_t i = start; i < end; ++i)
            expected.insert(
                std::upper_bound(expected.begin(), expected.end(), rows[i],
                    [column](const ResultRow &a, const ResultRow &b) { return ks::compareRows(a, b, column) < 0; }),
                rows[i]);
        QCOMPARE(model.sortColumn(), column);
    }
    batch.reset();
    QCOMPARE(model.rowCount(), int(rows.size()));
    QCOMPARE(describe(model), describe(expected));
}

void TestResultModel::keptSortEndsWithTheSearch()
{
    KsResultModel model;
    model.setKeepSort(true);
    model.addRows({makeRow("B", "Table", "S", "C"), makeRow("A", "View", "S", "C")});
    model.sortByColumn(KsResultModel::TypeColumn);
    model.addRow(makeRow("C", "Column", "S", "C"));
    QCOMPARE(shownNames(model), (QStringList {"C", "B", "A"}));
    // The search is over: the order stays until the next row comes, which
    // brings back the Name order.
    model.setKeepSort(false);
    QCOMPARE(shownNames(model), (QStringList {"C", "B", "A"}));
    model.addRow(makeRow("D", "Index", "S", "C"));
    QCOMPARE(shownNames(model), (QStringList {"A", "B", "C", "D"}));
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
    // A new search starts in Name order, whatever was kept before.
    model.setKeepSort(true);
    model.sortByColumn(KsResultModel::TypeColumn);
    model.clear();
    QCOMPARE(model.sortColumn(), int(KsResultModel::NameColumn));
}

QTEST_GUILESS_MAIN(TestResultModel)
#include "tst_resultmodel.moc"
