#include "search/KsResultModel.h"

#include "base/KsStrings.h"
#include "search/KsRunMerge.h"

#include <algorithm>
#include <array>

namespace ks {

namespace {

// A block is split in two when it grows past this many rows; a sorted list is
// laid out in half-full blocks so that the next inserts have room.
constexpr std::size_t SplitSize = 1024;
constexpr std::size_t FillSize = SplitSize / 2;

// UTF-16 code units in code-point order: the surrogates, which stand for
// code points above U+FFFF, move after U+E000..U+FFFF. Comparing the ranks of
// the first differing units then orders as the UTF-8 bytes would.
constexpr char32_t codePointRank(char16_t unit) noexcept
{
    if (unit < 0xD800)
        return unit;
    return unit >= 0xE000 ? unit - 0x800 : unit + 0x2000;
}

// Keys compared for each sort column, in order; 0 is the Name, 1 to 3 are
// the sub-items Type, Schema and Comment.
constexpr std::array<std::array<int, 4>, KsResultModel::ColumnCount> KeyOrder {{
    {0, 1, 2, 3},
    {1, 0, 2, 3},
    {2, 0, 1, 3},
    {3, 0, 1, 2},
}};

const QString &field(const ResultRow &row, int key) noexcept
{
    switch (key) {
    case 1:
        return row.type;
    case 2:
        return row.schema;
    case 3:
        return row.comment;
    default:
        return row.name;
    }
}

// The key order of a sort column over any kind of row; `compareKey` compares
// two rows by one key. A sub-item key k is skipped, as equal, unless both
// rows have at least k sub-items.
template <typename Row, typename CompareKey>
int compareByColumn(const Row &a, const Row &b, int sortColumn, const CompareKey &compareKey) noexcept
{
    Q_ASSERT(sortColumn >= 0 && sortColumn < KsResultModel::ColumnCount);
    if (sortColumn < 0 || sortColumn >= KsResultModel::ColumnCount)
        sortColumn = KsResultModel::NameColumn;
    for (const int key : KeyOrder[std::size_t(sortColumn)]) {
        if (key > 0 && (a.subItems < key || b.subItems < key))
            continue;
        if (const int result = compareKey(key); result != 0)
            return result;
    }
    return 0;
}

QString columnCaption(int column)
{
    switch (column) {
    case KsResultModel::NameColumn:
        return QStringLiteral("Name");
    case KsResultModel::TypeColumn:
        return QStringLiteral("Type");
    case KsResultModel::SchemaColumn:
        return QStringLiteral("Schema");
    case KsResultModel::CommentColumn:
        return QStringLiteral("Comment");
    default:
        return QString();
    }
}

} // namespace

int compareTexts(QStringView a, QStringView b) noexcept
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t *const aBegin = a.utf16();
    const auto [aDiff, bDiff] = std::mismatch(aBegin, aBegin + common, b.utf16());
    if (aDiff == aBegin + common)
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    return codePointRank(*aDiff) < codePointRank(*bDiff) ? -1 : 1;
}

int compareRows(const ResultRow &a, const ResultRow &b, int sortColumn) noexcept
{
    return compareByColumn(a, b, sortColumn, [&](int key) { return compareTexts(field(a, key), field(b, key)); });
}

KsResultModel::Batch::Batch(KsResultModel &model)
    : m_model(model)
{
    ++m_model.m_batchDepth;
}

KsResultModel::Batch::~Batch() noexcept
{
    m_model.endBatch();
}

KsResultModel::KsResultModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

KsResultModel::~KsResultModel() = default;

void KsResultModel::addRow(const ResultRow &row)
{
    if (m_sortColumn != NameColumn && !m_keepSort)
        sortByColumn(NameColumn);
    m_rows.push_back(store(row));
    place(m_rows.size() - 1);
}

void KsResultModel::addRows(std::vector<ResultRow> rows)
{
    if (rows.empty())
        return;
    if (m_sortColumn != NameColumn && !m_keepSort)
        sortByColumn(NameColumn);
    const std::size_t firstNew = m_rows.size();
    try {
        for (const ResultRow &row : rows)
            m_rows.push_back(store(row));
    } catch (...) {
        m_rows.truncate(firstNew);
        throw;
    }
    place(firstNew);
}

KsResultModel::StoredRow KsResultModel::store(const ResultRow &row)
{
    StoredRow stored;
    stored.name = row.name;
    stored.subItemTexts = {m_texts.add(row.type), m_texts.add(row.schema), m_texts.add(row.comment)};
    if (row.key) {
        for (std::size_t i = 0; i < stored.keyTexts.size(); ++i)
            stored.keyTexts[i] = m_texts.add(row.key->texts[i]);
        stored.hasKey = true;
    }
    stored.rowKind = row.rowKind;
    // A row has none to all three of the sub-items; a count beyond them
    // sorts and shows the same.
    stored.subItems = qint8(std::clamp(row.subItems, 0, 3));
    return stored;
}

int KsResultModel::compareStored(const StoredRow &a, const StoredRow &b, int sortColumn) const noexcept
{
    return compareByColumn(a, b, sortColumn, [&](int key) {
        if (key == NameColumn)
            return compareTexts(a.name, b.name);
        const TextPool::Id x = a.subItemTexts[std::size_t(key - 1)];
        const TextPool::Id y = b.subItemTexts[std::size_t(key - 1)];
        return x == y ? 0 : compareTexts(m_texts.text(x), m_texts.text(y));
    });
}

void KsResultModel::place(std::size_t firstNew)
{
    if (!changeQuietly()) {
        insertNotified(firstNew);
        return;
    }
    // In a batch the new rows wait to be put in order all at once.
    const std::size_t needed = m_pending.size() + (m_rows.size() - firstNew);
    if (needed > m_pending.capacity()) {
        try {
            m_pending.reserve(std::max(needed, 2 * m_pending.capacity()));
        } catch (...) {
            m_rows.truncate(firstNew);
            throw;
        }
    }
    for (std::size_t storage = firstNew; storage < m_rows.size(); ++storage)
        m_pending.push_back(int(storage));
}

// Outside a batch the views see every run of new rows inserted at its place
// in the order of the sort column (the Name unless the list keeps a sort).
// A new row goes after every row in the list that compares equal to it, and
// after the new rows before it that do, so each run lands at the place its
// first row finds among the old rows, moved on by the new rows before it.
void KsResultModel::insertNotified(std::size_t firstNew)
{
    if (firstNew + 1 == m_rows.size()) {
        const int storage = int(firstNew);
        const int position = upperBound(m_rows.back());
        beginInsertRows(QModelIndex(), position, position);
        insertAt(position, &storage, 1);
        endInsertRows();
        return;
    }
    std::vector<int> added;
    added.reserve(m_rows.size() - firstNew);
    for (std::size_t storage = firstNew; storage < m_rows.size(); ++storage)
        added.push_back(int(storage));
    sortStable(added, m_sortColumn);

    std::vector<int> places;
    places.reserve(added.size());
    for (const int storage : added)
        places.push_back(upperBound(m_rows[std::size_t(storage)]));

    for (std::size_t first = 0; first < added.size();) {
        std::size_t end = first + 1;
        while (end < added.size() && places[end] == places[first])
            ++end;
        const int position = places[first] + int(first);
        beginInsertRows(QModelIndex(), position, position + int(end - first) - 1);
        insertAt(position, added.data() + first, end - first);
        endInsertRows();
        first = end;
    }
}

void KsResultModel::sortByColumn(int column)
{
    if (column < 0 || column >= ColumnCount)
        throw Error(QStringLiteral("The result list has no column %1.").arg(column));
    // The list already stands in this column's order: a stable sort would
    // leave it as it is, so clicking the same header again changes nothing.
    if (column == m_sortColumn)
        return;
    settle();
    if (changeQuietly()) {
        sortOrder(column);
        return;
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> storageOf;
    storageOf.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        storageOf.push_back(storageAt(index.row()));

    sortOrder(column);

    std::vector<int> positionOf(m_rows.size(), -1);
    int position = 0;
    for (const Block &block : m_order.blocks) {
        for (const int storage : block)
            positionOf[std::size_t(storage)] = position++;
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(positionOf[std::size_t(storageOf[std::size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void KsResultModel::clear()
{
    const bool quiet = changeQuietly();
    if (!quiet)
        beginResetModel();
    m_rows.clear();
    m_texts.clear();
    m_pending.clear();
    m_order = Order();
    // An empty list stands in every order; the next rows arrive in Name order.
    m_sortColumn = NameColumn;
    if (!quiet)
        endResetModel();
}

ResultRow KsResultModel::row(int position) const
{
    settle();
    if (position < 0 || position >= m_order.count)
        throw Error(QStringLiteral("The result list has no row %1.").arg(position));
    const StoredRow &stored = m_rows[std::size_t(storageAt(position))];
    ResultRow row {stored.name, m_texts.text(stored.subItemTexts[0]), m_texts.text(stored.subItemTexts[1]),
        m_texts.text(stored.subItemTexts[2]), stored.subItems, stored.rowKind};
    if (stored.hasKey) {
        DefinitionKey key;
        for (std::size_t i = 0; i < key.texts.size(); ++i)
            key.texts[i] = m_texts.text(stored.keyTexts[i]);
        row.key = std::make_shared<const DefinitionKey>(std::move(key));
    }
    return row;
}

QModelIndex KsResultModel::index(int row, int column, const QModelIndex &parent) const
{
    settle();
    if (parent.isValid() || row < 0 || row >= m_order.count || column < 0 || column >= ColumnCount)
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex KsResultModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int KsResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_order.count + int(m_pending.size());
}

int KsResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KsResultModel::data(const QModelIndex &index, int role) const
{
    settle();
    if (!index.isValid() || index.model() != this || index.row() >= m_order.count)
        return QVariant();
    const StoredRow &shown = m_rows[std::size_t(storageAt(index.row()))];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return shown.name;
        // A row without a sub-item shows nothing in that column.
        if (shown.subItems < index.column())
            return QString();
        return m_texts.text(shown.subItemTexts[std::size_t(index.column() - 1)]);
    case RowKindRole:
        return shown.rowKind;
    default:
        return QVariant();
    }
}

QVariant KsResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return columnCaption(section);
    return QAbstractItemModel::headerData(section, orientation, role);
}

Qt::ItemFlags KsResultModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void KsResultModel::sort(int column, Qt::SortOrder)
{
    if (column >= 0 && column < ColumnCount)
        sortByColumn(column);
}

void KsResultModel::settle() const
{
    if (m_pending.empty())
        return;
    // The rows in the list stand in the sort column's order and came first:
    // a stable sort of them followed by the new ones puts every new row
    // after its equals, in arrival order, as adding them one by one would.
    std::vector<int> order = flatOrder();
    order.insert(order.end(), m_pending.begin(), m_pending.end());
    sortStable(order, m_sortColumn);
    m_order = makeOrder(order);
    m_pending.clear();
}

void KsResultModel::dropPending() noexcept
{
    m_rows.truncate(m_rows.size() - m_pending.size());
    m_pending.clear();
}

int KsResultModel::storageAt(int position) const
{
    const auto after = std::upper_bound(m_order.blockStart.begin(), m_order.blockStart.end(), position);
    const std::size_t block = std::size_t(after - m_order.blockStart.begin()) - 1;
    return m_order.blocks[block][std::size_t(position - m_order.blockStart[block])];
}

int KsResultModel::upperBound(const StoredRow &row) const
{
    const auto comesAfter
        = [this, &row](int other) { return compareStored(row, m_rows[std::size_t(other)], m_sortColumn) < 0; };
    const std::vector<Block> &blocks = m_order.blocks;
    // The first block whose last row sorts after the row, then the first such
    // row inside it; equal rows stay in front.
    const auto block
        = std::partition_point(blocks.begin(), blocks.end(), [&](const Block &b) { return !comesAfter(b.back()); });
    if (block == blocks.end())
        return m_order.count;
    const auto offset = std::partition_point(block->begin(), block->end(), [&](int other) {
        return !comesAfter(other);
    }) - block->begin();
    return m_order.blockStart[std::size_t(block - blocks.begin())] + int(offset);
}

void KsResultModel::insertAt(int position, const int *storage, std::size_t count)
{
    // Each step leaves the order whole should the next one run out of memory.
    Order &order = m_order;
    if (order.blocks.empty()) {
        order.blockStart.reserve(1);
        order.blocks.emplace_back();
        order.blockStart.push_back(0);
    }
    // The block holding the position, or the last one for a place at the end.
    const auto after = std::upper_bound(order.blockStart.begin(), order.blockStart.end(), position);
    const std::size_t block = std::size_t(after - order.blockStart.begin()) - 1;
    Block &target = order.blocks[block];
    target.insert(target.begin() + (position - order.blockStart[block]), storage, storage + count);
    order.count += int(count);
    recountFrom(order, block);
    if (target.size() <= SplitSize)
        return;
    // Split into half-full blocks, leaving room for the next inserts.
    std::vector<Block> parts;
    for (std::size_t start = FillSize; start < target.size(); start += FillSize)
        parts.emplace_back(target.begin() + std::ptrdiff_t(start),
            target.begin() + std::ptrdiff_t(std::min(target.size(), start + FillSize)));
    order.blockStart.reserve(order.blocks.size() + parts.size());
    order.blocks.insert(order.blocks.begin() + std::ptrdiff_t(block) + 1, std::make_move_iterator(parts.begin()),
        std::make_move_iterator(parts.end()));
    order.blocks[block].resize(FillSize);
    recountFrom(order, block);
}

// Inside a batch the views are told nothing until the batch ends; the reset
// that tells them opens before the first change.
bool KsResultModel::changeQuietly()
{
    if (m_batchDepth == 0)
        return false;
    if (!m_resetOpen) {
        beginResetModel();
        m_resetOpen = true;
    }
    return true;
}

void KsResultModel::endBatch() noexcept
{
    if (--m_batchDepth > 0)
        return;
    try {
        settle();
    } catch (...) {
        // Out of memory for the sort: the list keeps the rows it had, and the
        // views still get their reset.
        dropPending();
    }
    if (m_resetOpen) {
        m_resetOpen = false;
        endResetModel();
    }
}

std::vector<int> KsResultModel::flatOrder() const
{
    std::vector<int> order;
    order.reserve(std::size_t(m_order.count) + m_pending.size());
    for (const Block &block : m_order.blocks)
        order.insert(order.end(), block.begin(), block.end());
    return order;
}

KsResultModel::Order KsResultModel::makeOrder(const std::vector<int> &flat)
{
    Order order;
    order.blocks.reserve((flat.size() + FillSize - 1) / FillSize);
    for (std::size_t start = 0; start < flat.size(); start += FillSize) {
        const std::size_t end = std::min(flat.size(), start + FillSize);
        order.blocks.emplace_back(flat.begin() + std::ptrdiff_t(start), flat.begin() + std::ptrdiff_t(end));
    }
    order.count = int(flat.size());
    recountFrom(order, 0);
    return order;
}

void KsResultModel::sortStable(std::vector<int> &storage, int column) const
{
    const auto less = [this, column](int a, int b) {
        return compareStored(m_rows[std::size_t(a)], m_rows[std::size_t(b)], column) < 0;
    };
    if (column != NameColumn) {
        mergeRuns(storage, orderedRuns(storage, less), less);
        return;
    }
    // Statements deliver their rows ordered by name alone: a run goes on
    // while the names do not go down, and rows of one name are put in order
    // among themselves first, as the stable sort places them.
    std::vector<std::size_t> runs;
    if (!storage.empty())
        runs.push_back(0);
    std::size_t group = 0;
    for (std::size_t i = 1; i <= storage.size(); ++i) {
        const int order = i == storage.size()
            ? 1
            : compareTexts(m_rows[std::size_t(storage[i])].name, m_rows[std::size_t(storage[i - 1])].name);
        if (order == 0)
            continue;
        sortRange(storage, group, i, less);
        group = i;
        if (order < 0)
            runs.push_back(i);
    }
    mergeRuns(storage, runs, less);
}

void KsResultModel::sortOrder(int column)
{
    std::vector<int> order = flatOrder();
    sortStable(order, column);
    m_order = makeOrder(order);
    m_sortColumn = column;
}

void KsResultModel::recountFrom(Order &order, std::size_t block)
{
    order.blockStart.resize(order.blocks.size());
    int start = block == 0 ? 0 : order.blockStart[block - 1] + int(order.blocks[block - 1].size());
    for (std::size_t i = block; i < order.blocks.size(); ++i) {
        order.blockStart[i] = start;
        start += int(order.blocks[i].size());
    }
}

} // namespace ks
