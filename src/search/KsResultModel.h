#pragma once
// The result list shared by the connection windows: a flat list of found
// objects that keeps itself in Name order as rows arrive, and that a click on
// a column header sorts once by that column. While a search is adding rows,
// a column sort chosen meanwhile is kept for the rows that follow.

#include "search/KsChunkedStore.h"
#include "search/KsTextPool.h"

#include <QAbstractItemModel>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <vector>

namespace ks {

// What a row keeps for the statement behind its double-click, so that the
// displayed Name is never taken apart again: up to five texts whose meaning
// the kind that made the row gives them. A kind reads and writes them through
// a key type of its own, an aggregate of five QStrings (see packKey and
// unpackKey), and the result list pools them as it pools every text.
struct DefinitionKey {
    std::array<QString, 5> texts;
};

// A kind's key as the row keeps it.
template <typename Key> std::shared_ptr<const DefinitionKey> packKey(const Key &key)
{
    const auto &[a, b, c, d, e] = key;
    return std::make_shared<const DefinitionKey>(DefinitionKey {{a, b, c, d, e}});
}

// A row's key as the kind that made it reads it; all empty for a row without one.
template <typename Key> Key unpackKey(const std::shared_ptr<const DefinitionKey> &key)
{
    if (!key)
        return Key {};
    const auto &[a, b, c, d, e] = key->texts;
    return Key {a, b, c, d, e};
}

// One found object. The "no results found" row has no sub-items at all.
struct ResultRow {
    QString name;
    QString type;
    QString schema;
    QString comment;
    int subItems = 3; // how many of Type, Schema and Comment the row has
    int rowKind = 0; // which statement made the row; 0 for "no results found"
    // Never changed once made, so copies of the row share it; null for rows
    // whose statement has no catalogue names to keep.
    std::shared_ptr<const DefinitionKey> key = {};
};

// Orders two texts as their UTF-8 bytes compared unsigned would: by code
// point, case-sensitive, no locale, a prefix before the longer text.
// Returns a negative number, zero or a positive number.
int compareTexts(QStringView a, QStringView b) noexcept;

// Compares two rows with the key order of a sort column (0 Name, 1 Type,
// 2 Schema, 3 Comment). A sub-item key k is skipped, as equal, unless both
// rows have at least k sub-items.
int compareRows(const ResultRow &a, const ResultRow &b, int sortColumn) noexcept;

class KsResultModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { NameColumn, TypeColumn, SchemaColumn, CommentColumn, ColumnCount };
    static constexpr int RowKindRole = Qt::UserRole;

    // Held while a search adds its rows: the views hear of all changes made
    // meanwhile once, as one reset when the outermost guard goes, also when
    // the search ends with an exception. Rows added meanwhile are put in
    // their places all at once, when the batch ends or the list is read.
    class Batch {
    public:
        explicit Batch(KsResultModel &model);
        ~Batch() noexcept;
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        KsResultModel &m_model;
    };

    explicit KsResultModel(QObject *parent = nullptr);
    ~KsResultModel() override;

    // Puts the row at its place in Name order, after rows that compare equal.
    // If a column sort is in force, the Name order comes back first, unless
    // the list keeps its sort (see setKeepSort); the row then goes to its
    // place in the order of the sort column.
    void addRow(const ResultRow &row);
    // Adds rows as addRow() would one after the other, with one insert
    // signal for each run of them that lands next to each other.
    void addRows(std::vector<ResultRow> rows);
    // Sorts ascending by the column's key order, keeping the current order
    // of rows that compare equal. Throws ks::Error for a column out of range.
    void sortByColumn(int column);
    // Clears the list, which starts in Name order again.
    void clear();
    // While set, rows added go to their place in the order of the sort
    // column in force (a search running while the user sorts by a column);
    // otherwise the next row brings back the Name order.
    void setKeepSort(bool keep) { m_keepSort = keep; }
    bool keepsSort() const { return m_keepSort; }

    // The row shown at a position; throws ks::Error when out of range.
    ResultRow row(int position) const;
    int sortColumn() const { return m_sortColumn; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The list only sorts ascending: the order argument is ignored, and a
    // column outside the list (a view's "no sort" of -1) changes nothing.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // A row as the list keeps it: its texts but the Name are numbers in the
    // list's pool of texts, as most of them repeat from row to row.
    struct StoredRow {
        QString name;
        std::array<TextPool::Id, 3> subItemTexts; // Type, Schema, Comment
        std::array<TextPool::Id, 5> keyTexts; // the DefinitionKey's texts, in its order
        int rowKind = 0;
        qint8 subItems = 0;
        bool hasKey = false;
    };

    // Positions in the list map to indices into m_rows through a list of
    // blocks, so an insert moves at most one block's worth of indices.
    using Block = std::vector<int>;
    struct Order {
        std::vector<Block> blocks;
        std::vector<int> blockStart; // position of each block's first row
        int count = 0;
    };

    // Puts the rows added in a batch into the order; the list reads the
    // same before and after, so reading functions may call it.
    void settle() const;
    // Lets go of rows added in a batch that could not be put in order.
    void dropPending() noexcept;
    int storageAt(int position) const;
    StoredRow store(const ResultRow &row);
    int compareStored(const StoredRow &a, const StoredRow &b, int sortColumn) const noexcept;
    // The position after the last row that sorts before or equal to `row`
    // in the order of the sort column.
    int upperBound(const StoredRow &row) const;
    // Inserts the stored rows `storage` (in order) at `position`.
    void insertAt(int position, const int *storage, std::size_t count);
    // Puts the stored rows from `firstNew` on into the list.
    void place(std::size_t firstNew);
    void insertNotified(std::size_t firstNew);
    bool changeQuietly();
    void endBatch() noexcept;
    std::vector<int> flatOrder() const;
    static Order makeOrder(const std::vector<int> &order);
    // Sorts stored rows stably by a column's key order, taking every run of
    // rows that already stand in order as it is.
    void sortStable(std::vector<int> &storage, int column) const;
    void sortOrder(int column);
    static void recountFrom(Order &order, std::size_t block);

    TextPool m_texts;
    ChunkedStore<StoredRow> m_rows; // in arrival order, never reordered
    mutable Order m_order;
    mutable std::vector<int> m_pending; // rows of a batch not yet in m_order
    int m_sortColumn = NameColumn;
    int m_batchDepth = 0;
    bool m_resetOpen = false;
    bool m_keepSort = false;
};

} // namespace ks
