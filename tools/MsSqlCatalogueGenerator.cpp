#include "MsSqlCatalogueGenerator.h"

#include "SplitMix.h"
#include "SqlScript.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace ks::tools {

namespace {

struct Owner {
    int uid;
    const char *name;
};

// dbo comes with every database; the others are made here.
constexpr auto kOwners
    = std::to_array<Owner>({{1, "dbo"}, {5, "sales"}, {6, "finance"}, {7, "stock"}, {8, "logistics"}});

constexpr auto kEntities = std::to_array<const char *>({"Customer", "Order", "Invoice", "Payment", "Product", "Stock",
    "Warehouse", "Shipment", "Supplier", "Contract", "Account", "Ledger", "Budget", "Employee", "Department", "Salary",
    "Address", "Contact", "Price", "Discount", "Tax", "Currency", "Region", "Country", "Item", "Batch", "Route",
    "Vehicle", "Driver", "Asset", "Project", "Task", "Timesheet", "Claim", "Policy", "Ticket", "Campaign", "Lead",
    "Quote", "Parcel", "Carrier", "Branch", "Journal", "Voucher", "Period", "Rate", "Grade", "Course"});

constexpr auto kQualifiers
    = std::to_array<const char *>({"Header", "Line", "History", "Status", "Type", "Detail", "Log", "Archive", "Audit",
        "Map", "Summary", "Plan", "Rule", "Limit", "Note", "Link", "Queue", "Staging", "Snapshot", "Group"});

constexpr auto kAttributes = std::to_array<const char *>({"First", "Last", "Total", "Net", "Gross", "Unit", "Base",
    "Start", "End", "Due", "Paid", "Open", "Booked", "Planned", "Actual", "Min", "Max", "Default", "Parent", "Owner",
    "External", "Internal", "Primary", "Billing", "Delivery", "Created", "Changed", "Approved", "Reviewed"});

constexpr auto kViewKinds = std::to_array<const char *>(
    {"List", "Overview", "Report", "Open", "Current", "Totals", "Details", "Export", "Lookup", "Stats"});

// Words for comments and messages; a few carry accents, as real comments do.
constexpr auto kPhrases
    = std::to_array<const char *>({"filled by the nightly import", "kept for the auditors for ten years",
        "read by the monthly reports", "changed only through the maintenance screens",
        "rows older than two years are archived", "amounts in € unless the currency says otherwise",
        "maintained by the Zürich office", "values ≤ 0 are rejected by the application",
        "die Größe wird in SI-Einheiten angegeben", "contrôlé par la réception"});

constexpr MsSqlType kInt {"int", 56, 56, 4, 10, 0};
constexpr MsSqlType kNote {"nvarchar", 231, 231, 800, 0, 0};

struct ColumnKind {
    const char *suffix;
    MsSqlType type;
    const char *defaultText; // a default constraint's definition for such a column
};

constexpr auto kColumnKinds = std::to_array<ColumnKind>({
    {"ID", kInt, "((1))"},
    {"No", {"smallint", 52, 52, 2, 5, 0}, "((0))"},
    {"Name", {"nvarchar", 231, 231, 160, 0, 0}, "(N'n/a')"},
    {"Code", {"nvarchar", 231, 231, 20, 0, 0}, "(N'')"},
    {"Text", {"nvarchar", 231, 231, -1, 0, 0}, "(N'')"},
    {"Note", kNote, "(N'n/a')"},
    {"Date", {"datetime", 61, 61, 8, 23, 3}, "(getdate())"},
    {"At", {"datetime2", 42, 42, 8, 27, 7}, "(sysdatetime())"},
    {"Amount", {"decimal", 106, 106, 9, 12, 2}, "((0))"},
    {"Qty", kInt, "((0))"},
    {"Pct", {"decimal", 106, 106, 5, 5, 2}, "((0.0))"},
    {"Status", {"nvarchar", 231, 231, 40, 0, 0}, "(N'new')"},
    {"Flag", {"bit", 104, 104, 1, 1, 0}, "((0))"},
});

struct Column {
    QString name;
    const ColumnKind *kind = nullptr;
    bool nullable = true;
    int cdefault = 0;
};

struct Table {
    int owner = 0;
    int id = 0;
    QString name;
    std::vector<Column> columns;
    int nextIndex = 2; // indid of the next index; 1 is the clustered one
};

QString word(const char *text)
{
    return QString::fromUtf8(text);
}

class Generator {
public:
    Generator(MsSqlCatalogueWriter &writer, const MsSqlSizes &sizes)
        : m_writer(writer)
        , m_sizes(sizes)
        , m_random(sizes.seed)
        , m_names(kOwners.size())
        , m_tablesOf(kOwners.size())
    {
    }

    void run()
    {
        for (const Owner &owner : kOwners) {
            if (owner.uid != 1)
                m_writer.user(owner.uid, word(owner.name));
        }
        makeTables();
        chooseDefaults();
        for (Table &table : m_tables)
            writeTable(table);
        makeIndexes();
        makeViews();
        makeSources();
        makeTriggers();
    }

private:
    static QString ownerName(int owner) { return word(kOwners[std::size_t(owner)].name); }
    int randomOwner() { return m_random.below(int(kOwners.size())); }

    // A name not yet taken in the owner's namespace of objects.
    QString unique(int owner, const QString &base)
    {
        QSet<QString> &taken = m_names[std::size_t(owner)];
        QString name = base;
        for (int suffix = 2; taken.contains(name); ++suffix)
            name = base + QString::number(suffix);
        taken.insert(name);
        return name;
    }

    QString sentence()
    {
        const QString phrase = word(m_random.pick(kPhrases));
        return QStringLiteral("Used by the %1 area; %2.").arg(word(m_random.pick(kEntities)).toLower(), phrase);
    }

    // Most definitions were saved from a Windows client.
    QString lineEnds(const QString &text)
    {
        return m_random.chance(85) ? QString(text).replace(u'\n', QStringLiteral("\r\n")) : text;
    }

    void makeTables()
    {
        int remaining = m_sizes.columns;
        while (remaining > 0) {
            Table table;
            table.owner = randomOwner();
            const QString entity = word(m_random.pick(kEntities));
            QString name = m_random.chance(30) ? word(m_random.pick(kAttributes)) + entity : entity;
            if (m_random.chance(60))
                name += word(m_random.pick(kQualifiers));
            table.name = unique(table.owner, name);
            const int count = std::min(remaining, m_random.between(3, 24));
            QSet<QString> taken;
            table.columns.push_back(Column {entity + QStringLiteral("ID"), &kColumnKinds[0], false});
            taken.insert(table.columns.front().name);
            while (int(table.columns.size()) < count) {
                const ColumnKind &kind = m_random.pick(kColumnKinds);
                const QString front = word(m_random.chance(50) ? m_random.pick(kEntities) : m_random.pick(kAttributes));
                QString columnName = front + word(kind.suffix);
                for (int suffix = 2; taken.contains(columnName); ++suffix)
                    columnName = front + word(kind.suffix) + QString::number(suffix);
                taken.insert(columnName);
                table.columns.push_back(Column {columnName, &kind, m_random.chance(70)});
            }
            remaining -= count;
            m_tablesOf[std::size_t(table.owner)].push_back(int(m_tables.size()));
            m_tables.push_back(std::move(table));
        }
    }

    // Marks the columns that get a default: -1 until the default exists.
    void chooseDefaults()
    {
        std::vector<std::pair<int, int>> candidates;
        for (int t = 0; t < int(m_tables.size()); ++t) {
            for (int c = 1; c < int(m_tables[std::size_t(t)].columns.size()); ++c)
                candidates.emplace_back(t, c);
        }
        const int wanted = std::min(m_sizes.defaults, int(candidates.size()));
        for (int i = 0; i < wanted; ++i) {
            std::swap(
                candidates[std::size_t(i)], candidates[std::size_t(i + m_random.below(int(candidates.size()) - i))]);
            const auto [t, c] = candidates[std::size_t(i)];
            m_tables[std::size_t(t)].columns[std::size_t(c)].cdefault = -1;
        }
    }

    void writeTable(Table &table)
    {
        const int uid = kOwners[std::size_t(table.owner)].uid;
        table.id = m_writer.object(table.name, QStringLiteral("U"), uid);
        const bool clustered = m_random.chance(90);
        if (clustered) {
            m_writer.object(
                unique(table.owner, QStringLiteral("PK_") + table.name), QStringLiteral("PK"), uid, table.id);
            m_writer.index(table.id, 1, QStringLiteral("PK_") + table.name, 2066, 1);
            ++m_writer.counts().keys;
        } else {
            m_writer.index(table.id, 0, QVariant(), 0, 0);
        }
        for (Column &column : table.columns) {
            if (column.cdefault == 0)
                continue;
            const QString name = unique(table.owner, QStringLiteral("DF_%1_%2").arg(table.name, column.name));
            column.cdefault = m_writer.object(name, QStringLiteral("D"), uid, table.id);
            m_writer.definition(column.cdefault, word(column.kind->defaultText), false);
            ++m_writer.counts().defaults;
        }
        for (int i = 0; i < int(table.columns.size()); ++i) {
            const Column &column = table.columns[std::size_t(i)];
            m_writer.column(table.id, i + 1, column.name, column.kind->type, column.nullable, column.cdefault);
        }
        if (m_random.chance(15)) {
            const Column &checked = m_random.pick(table.columns);
            const int id
                = m_writer.object(unique(table.owner, QStringLiteral("CK_%1_%2").arg(table.name, checked.name)),
                    QStringLiteral("C"), uid, table.id);
            m_writer.definition(id, QStringLiteral("([%1] IS NOT NULL)").arg(checked.name), false);
            ++m_writer.counts().checks;
        }
        const std::vector<int> &own = m_tablesOf[std::size_t(table.owner)];
        if (m_random.chance(30) && own.size() > 1) {
            const Table &other = m_tables[std::size_t(m_random.pick(own))];
            m_writer.object(unique(table.owner, QStringLiteral("FK_%1_%2").arg(table.name, other.name)),
                QStringLiteral("F"), uid, table.id);
        }
        ++m_writer.counts().tables;
        m_writer.counts().tableColumns += int(table.columns.size());
    }

    void makeIndexes()
    {
        if (m_tables.empty())
            return;
        for (int n = 0; n < m_sizes.indexes; ++n) {
            Table &table = m_tables[std::size_t(m_random.below(int(m_tables.size())))];
            const int indid = table.nextIndex++;
            const int column = m_random.below(int(table.columns.size()));
            const int kind = m_random.below(100);
            if (kind < 80) {
                const QString name
                    = QStringLiteral("IX_%1_%2").arg(table.name, table.columns[std::size_t(column)].name);
                m_writer.index(table.id, indid, indid > 2 ? name + QString::number(indid) : name,
                    m_random.chance(20) ? 2 : 0, m_random.between(1, 3));
            } else if (kind < 95) {
                // Statistics the server made for a column a query filtered on.
                m_writer.index(table.id, indid,
                    QStringLiteral("_WA_Sys_%1_%2")
                        .arg(QStringLiteral("%1").arg(column + 1, 8, 16, QLatin1Char('0')).toUpper(),
                            QStringLiteral("%1").arg(table.id, 8, 16, QLatin1Char('0')).toUpper()),
                    8388608, 1);
            } else {
                // Left behind by the tuning advisor.
                m_writer.index(table.id, indid,
                    QStringLiteral("_dta_index_%1_%2_K%3").arg(table.name).arg(table.id).arg(column + 1), 32, 1);
            }
        }
    }

    // A table of the owner when there is one, else any table.
    const Table *tableFor(int owner)
    {
        const std::vector<int> &own = m_tablesOf[std::size_t(owner)];
        if (!own.empty())
            return &m_tables[std::size_t(m_random.pick(own))];
        if (!m_tables.empty())
            return &m_tables[std::size_t(m_random.below(int(m_tables.size())))];
        return nullptr;
    }

    static QString reference(const Table &table)
    {
        return QStringLiteral("%1.[%2]").arg(ownerName(table.owner), table.name);
    }

    void makeViews()
    {
        for (int v = 0; v < m_sizes.views; ++v) {
            const int owner = randomOwner();
            const Table *first = tableFor(owner);
            if (!first)
                return;
            std::vector<const Table *> from {first};
            for (int j = m_random.chance(50) ? m_random.between(1, 2) : 0; j > 0; --j)
                from.push_back(tableFor(owner));
            const QString name = unique(
                owner, QStringLiteral("v%1%2").arg(word(m_random.pick(kEntities)), word(m_random.pick(kViewKinds))));
            QStringList select;
            std::vector<std::pair<QString, const ColumnKind *>> columns;
            QSet<QString> taken;
            for (int c = m_random.between(2, 8); c > 0; --c) {
                const int source = m_random.below(int(from.size()));
                const Column &column = m_random.pick(from[std::size_t(source)]->columns);
                if (taken.contains(column.name))
                    continue;
                taken.insert(column.name);
                select << QStringLiteral("t%1.%2").arg(source + 1).arg(column.name);
                columns.emplace_back(column.name, column.kind);
            }
            QString text = QStringLiteral("CREATE VIEW %1.[%2]\nAS\n-- %3\nSELECT %4\n  FROM %5 t1")
                               .arg(ownerName(owner), name, sentence(), select.join(QStringLiteral(",\n       ")),
                                   reference(*from[0]));
            for (std::size_t j = 1; j < from.size(); ++j)
                text += QStringLiteral("\n  JOIN %1 t%2 ON t%2.%3 = t1.%4")
                            .arg(reference(*from[j]))
                            .arg(j + 1)
                            .arg(from[j]->columns.front().name, from[0]->columns.front().name);
            // Some views are long: a reporting view over many cases.
            if (m_random.chance(25)) {
                text += QStringLiteral("\n WHERE 1 = 1");
                for (int k = m_random.between(40, 160); k > 0; --k) {
                    const Column &column = m_random.pick(from[0]->columns);
                    text += QStringLiteral("\n   AND (t1.%1 IS NULL OR t1.%1 <> t1.%1) -- %2")
                                .arg(column.name, sentence());
                }
            }
            text += u'\n';
            const int uid = kOwners[std::size_t(owner)].uid;
            const int id = m_writer.object(name, QStringLiteral("V"), uid);
            m_writer.definition(id, lineEnds(text), false);
            for (int i = 0; i < int(columns.size()); ++i)
                m_writer.column(id, i + 1, columns[std::size_t(i)].first, columns[std::size_t(i)].second->type, true);
            ++m_writer.counts().views;
            m_writer.counts().viewColumns += int(columns.size());
        }
    }

    // One T-SQL statement on `table`, as a few lines.
    QString statement(const Table &table)
    {
        const QString t = reference(table);
        const QString key = table.columns.front().name;
        const QString c = m_random.pick(table.columns).name;
        switch (m_random.below(7)) {
        case 0:
            return QStringLiteral("    -- %1\n").arg(sentence());
        case 1:
            return QStringLiteral("    SELECT @Count = COUNT(*)\n      FROM %1\n     WHERE %2 = @Key;\n").arg(t, key);
        case 2:
            return QStringLiteral("    UPDATE %1\n       SET %2 = %2\n     WHERE %3 = @Key;\n").arg(t, c, key);
        case 3:
            return QStringLiteral("    IF @Count = 0\n        RAISERROR(N'No %1 for %d', 16, 1, @Key);\n")
                .arg(table.name);
        case 4:
            return QStringLiteral(
                "    INSERT INTO dbo.AuditTrail (TableName, KeyValue, Note)\n    VALUES (N'%1', @Key, @Note);\n")
                .arg(table.name);
        case 5:
            return QStringLiteral("    SET @Note = LEFT(COALESCE(@Note, N'') + N' %1', 400);\n").arg(c);
        default:
            return QStringLiteral("    DELETE FROM %1\n     WHERE %2 = @Key\n       AND %3 IS NULL;\n").arg(t, key, c);
        }
    }

    // The body of a unit: its own declarations, then the statements.
    QString body(const Table &table, int statements, const QString &declarations = QString())
    {
        QString text = QStringLiteral("BEGIN\n    SET NOCOUNT ON;\n    DECLARE @Count int = 0;\n") + declarations;
        for (int s = 0; s < statements; ++s)
            text += statement(table);
        return text;
    }

    // Most units are short; a good part spans several syscomments records.
    int statementCount() { return m_random.chance(50) ? m_random.between(3, 30) : m_random.between(40, 160); }

    void makeSources()
    {
        for (int n = 0; n < m_sizes.sources; ++n) {
            const int owner = randomOwner();
            const Table *table = tableFor(owner);
            if (!table)
                return;
            const int uid = kOwners[std::size_t(owner)].uid;
            const QString stem = word(m_random.pick(kEntities)) + word(m_random.pick(kQualifiers));
            const int kind = m_random.below(100);
            if (kind < 70) {
                const QString name = unique(owner, QStringLiteral("usp_") + stem);
                const QString text = QStringLiteral("CREATE PROCEDURE %1.[%2]\n    @Key int,\n    @Note nvarchar(400) "
                                                    "= NULL\nAS\n%3    RETURN 0;\nEND\n")
                                         .arg(ownerName(owner), name, body(*table, statementCount()));
                const int id = m_writer.object(name, QStringLiteral("P"), uid);
                m_writer.definition(id, lineEnds(text), true);
                m_writer.column(id, 1, QStringLiteral("@Key"), kInt, true, 0, true);
                m_writer.column(id, 2, QStringLiteral("@Note"), kNote, true, 0, true);
                ++m_writer.counts().procedures;
                continue;
            }
            const QString name = unique(owner, QStringLiteral("fn_") + stem);
            QString xtype;
            QString text;
            if (kind < 85) {
                xtype = QStringLiteral("FN");
                text
                    = QStringLiteral("CREATE FUNCTION %1.[%2] (@Key int)\nRETURNS int\nAS\n%3    RETURN @Count;\nEND\n")
                          .arg(ownerName(owner), name,
                              body(*table, statementCount(), QStringLiteral("    DECLARE @Note nvarchar(400);\n")));
            } else {
                xtype = kind < 93 ? QStringLiteral("IF") : QStringLiteral("TF");
                text = QStringLiteral("CREATE FUNCTION %1.[%2] (@Key int)\nRETURNS TABLE\nAS\n-- %3\nRETURN\n    "
                                      "SELECT *\n      FROM %4\n     WHERE %5 = @Key\n")
                           .arg(ownerName(owner), name, sentence(), reference(*table), table->columns.front().name);
            }
            const int id = m_writer.object(name, xtype, uid);
            m_writer.definition(id, lineEnds(text), false);
            m_writer.column(id, 1, QStringLiteral("@Key"), kInt, true, 0, true);
            ++m_writer.counts().functions;
        }
    }

    void makeTriggers()
    {
        static const auto events
            = std::to_array<const char *>({"INSERT", "UPDATE", "DELETE", "INSERT, UPDATE", "INSERT, UPDATE, DELETE"});
        for (int n = 0; n < m_sizes.triggers; ++n) {
            const Table *table = tableFor(randomOwner());
            if (!table)
                return;
            const QString event = word(m_random.pick(events));
            const QString name = unique(table->owner,
                QStringLiteral("trg_%1_%2").arg(table->name, QString(event).remove(QStringLiteral(", "))));
            const QString key = QStringLiteral("    DECLARE @Key int = (SELECT TOP 1 %1 FROM inserted);\n"
                                               "    DECLARE @Note nvarchar(400) = N'%2';\n")
                                    .arg(table->columns.front().name, name);
            const QString text = QStringLiteral("CREATE TRIGGER %1.[%2] ON %3\nAFTER %4\nAS\n%5END\n")
                                     .arg(ownerName(table->owner), name, reference(*table), event,
                                         body(*table, m_random.between(2, 40), key));
            const int id
                = m_writer.object(name, QStringLiteral("TR"), kOwners[std::size_t(table->owner)].uid, table->id);
            m_writer.definition(id, lineEnds(text), false);
            ++m_writer.counts().triggers;
        }
    }

    MsSqlCatalogueWriter &m_writer;
    const MsSqlSizes m_sizes;
    SplitMix m_random;
    std::vector<QSet<QString>> m_names; // object names, per owner
    std::vector<Table> m_tables;
    std::vector<std::vector<int>> m_tablesOf; // indexes into m_tables, per owner
};

} // namespace

MsSqlCounts generateMsSqlCatalogue(QSqlDatabase &db, const MsSqlSizes &sizes)
{
    return inTransaction(db, [&] {
        MsSqlCounts counts;
        {
            MsSqlCatalogueWriter writer(db);
            Generator(writer, sizes).run();
            counts = writer.counts();
        }
        // What SQLite's planner should know of the tables' sizes.
        if (QSqlQuery query(db); !query.exec(QStringLiteral("ANALYZE")))
            throw ScriptError(QStringLiteral("ANALYZE: %1").arg(query.lastError().text()).toStdString());
        return counts;
    });
}

} // namespace ks::tools
