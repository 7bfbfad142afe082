#include "search/KsResultModel.h"

#include "shell/KsStrings.h"

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
    Q_ASSERT(sortColumn >= 0 && sortColumn < KsResultModel::ColumnCount);
    if (sortColumn < 0 || sortColumn >= KsResultModel::ColumnCount)
        sortColumn = KsResultModel::NameColumn;
    for (const int key : KeyOrder[std::size_t(sortColumn)]) {
        if (key > 0 && (a.subItems < key || b.subItems < key))
            continue;
        if (const int result = compareTexts(field(a, key), field(b, key)); result != 0)
            return result;
    }
    return 0;
}

KsResultModel::Batch::Batch(KsResultModel &model)
    : m_model(model)
{
    ++m_model.m_batchDepth;
}

KsResultModel::Batch::~Batch()
{
    m_model.endBatch();
}

KsResultModel::KsResultModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

KsResultModel::~KsResultModel() = default;

void KsResultModel::addRow(ResultRow row)
{
    if (m_sortColumn != NameColumn)
        sortByColumn(NameColumn);

    m_rows.push_back(std::move(row));
    const ResultRow &added = m_rows.back();
    const int storage = int(m_rows.size() - 1);
    const auto comesAfter
        = [this, &added](int other) { return compareRows(added, m_rows[std::size_t(other)], NameColumn) < 0; };

    // Upper bound: the first block whose last row sorts after the new one,
    // then the first such row inside it; equal rows stay in front.
    std::size_t block = 0;
    std::size_t offset = 0;
    if (!m_blocks.empty()) {
        block = std::size_t(std::partition_point(m_blocks.begin(), m_blocks.end(), [&](const Block &b) {
            return !comesAfter(b.back());
        }) - m_blocks.begin());
        if (block == m_blocks.size()) {
            block = m_blocks.size() - 1;
            offset = m_blocks[block].size();
        } else {
            const Block &b = m_blocks[block];
            offset = std::size_t(
                std::partition_point(b.begin(), b.end(), [&](int other) { return !comesAfter(other); }) - b.begin());
        }
    }

    const auto insert = [&] {
        if (m_blocks.empty()) {
            m_blocks.emplace_back();
            m_blockStart.push_back(0);
        }
        Block &target = m_blocks[block];
        target.insert(target.begin() + std::ptrdiff_t(offset), storage);
        ++m_count;
        if (target.size() > SplitSize) {
            Block upper(target.begin() + std::ptrdiff_t(FillSize), target.end());
            target.resize(FillSize);
            m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(block) + 1, std::move(upper));
        }
        recountFrom(block);
    };

    if (changeQuietly()) {
        insert();
    } else {
        const int position = (m_blocks.empty() ? 0 : m_blockStart[block]) + int(offset);
        beginInsertRows(QModelIndex(), position, position);
        insert();
        endInsertRows();
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
    for (const Block &block : m_blocks) {
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
    m_blocks.clear();
    m_blockStart.clear();
    m_count = 0;
    // An empty list stands in every order; the next rows arrive in Name order.
    m_sortColumn = NameColumn;
    if (!quiet)
        endResetModel();
}

const ResultRow &KsResultModel::row(int position) const
{
    if (position < 0 || position >= m_count)
        throw Error(QStringLiteral("The result list has no row %1.").arg(position));
    return m_rows[std::size_t(storageAt(position))];
}

QModelIndex KsResultModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_count || column < 0 || column >= ColumnCount)
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex KsResultModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int KsResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int KsResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KsResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_count)
        return QVariant();
    const ResultRow &shown = m_rows[std::size_t(storageAt(index.row()))];
    switch (role) {
    case Qt::DisplayRole:
        // A row without a sub-item shows nothing in that column.
        if (index.column() > NameColumn && shown.subItems < index.column())
            return QString();
        return field(shown, index.column());
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

int KsResultModel::storageAt(int position) const
{
    const auto after = std::upper_bound(m_blockStart.begin(), m_blockStart.end(), position);
    const std::size_t block = std::size_t(after - m_blockStart.begin()) - 1;
    return m_blocks[block][std::size_t(position - m_blockStart[block])];
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

void KsResultModel::endBatch()
{
    if (--m_batchDepth == 0 && m_resetOpen) {
        m_resetOpen = false;
        endResetModel();
    }
}

std::vector<int> KsResultModel::flatOrder() const
{
    std::vector<int> order;
    order.reserve(std::size_t(m_count));
    for (const Block &block : m_blocks)
        order.insert(order.end(), block.begin(), block.end());
    return order;
}

void KsResultModel::setOrder(const std::vector<int> &order)
{
    m_blocks.clear();
    for (std::size_t start = 0; start < order.size(); start += FillSize) {
        const std::size_t end = std::min(order.size(), start + FillSize);
        m_blocks.emplace_back(order.begin() + std::ptrdiff_t(start), order.begin() + std::ptrdiff_t(end));
    }
    m_blockStart.clear();
    recountFrom(0);
}

void KsResultModel::sortOrder(int column)
{
    std::vector<int> order = flatOrder();
    std::stable_sort(order.begin(), order.end(), [this, column](int a, int b) {
        return compareRows(m_rows[std::size_t(a)], m_rows[std::size_t(b)], column) < 0;
    });
    setOrder(order);
    m_sortColumn = column;
}

void KsResultModel::recountFrom(std::size_t block)
{
    m_blockStart.resize(m_blocks.size());
    int start = block == 0 ? 0 : m_blockStart[block - 1] + int(m_blocks[block - 1].size());
    for (std::size_t i = block; i < m_blocks.size(); ++i) {
        m_blockStart[i] = start;
        start += int(m_blocks[i].size());
    }
}

} // namespace ks
