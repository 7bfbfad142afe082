#include "RepositoryGenerator.h"

#include "SplitMix.h"
#include "SqlScript.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

namespace ks::tools {

namespace {

// The shared generator, handing out the picked words as text.
class Random : public SplitMix {
public:
    using SplitMix::SplitMix;
    template <typename Items> QString pick(const Items &items) { return QString::fromUtf8(SplitMix::pick(items)); }
};

// Kinds of repository element, as table names spell them.
constexpr auto kElementKinds = std::to_array<const char *>({"BUSINESS_FUNCTIONS", "BUSINESS_UNITS", "DATAFLOWS",
    "DATASTORES", "EVENTS", "EXTERNALS", "RELATIONSHIPS", "SEQUENCES", "VIEW_DEFINITIONS", "SNAPSHOT_DEFINITIONS",
    "KEY_CONSTRAINTS", "CHECK_CONSTRAINTS", "INDEXES", "TRIGGERS", "PLSQL_MODULES", "PACKAGES", "PROCEDURES",
    "FUNCTIONS", "CLUSTERS", "DATABASES", "TABLESPACES", "STORAGE_DEFINITIONS", "USERS", "ROLES", "DIAGRAMS",
    "ITEM_GROUPS", "MODULE_COMPONENTS", "WINDOWS", "NAVIGATION_ACTIONS", "LIST_OF_VALUES", "MESSAGES", "PREFERENCES",
    "REPORTS", "CHARTS", "MENUS", "LIBRARIES", "OBJECT_TYPES", "COLLECTIONS", "JAVA_CLASSES", "WEB_COMPONENTS"});

constexpr auto kQualifiers = std::to_array<const char *>(
    {"", "USAGES", "LINKS", "MAPPINGS", "ENTRIES", "VERSIONS", "DETAILS", "RULES", "STEPS", "NOTES"});

constexpr auto kPropertyColumns = std::to_array<const char *>({"REMARK", "SHORT_NAME", "PLURAL", "ALIAS", "PURPOSE",
    "DISPLAY_TITLE", "HINT_TEXT", "PROMPT", "DEFAULT_VALUE", "FORMAT", "IMPLEMENTATION_NAME", "SUMMARY",
    "DESCRIPTION_TEXT", "NOTES", "LABEL", "TOP_TITLE", "SHORT_TITLE", "HELP_CONTEXT", "ORIGIN", "OBJECTIVE",
    "CONDITION_TEXT", "WHERE_CLAUSE", "ORDER_BY_CLAUSE", "AUTHOR", "LANGUAGE", "PHYSICAL_NAME", "COMMENT_TEXT"});

constexpr auto kUsers = std::to_array<const char *>(
    {"JSMITH", "MMUELLER", "AKOWALSKA", "PDUBOIS", "ROSSI_L", "DESIGNER_OWNER", "O'NEIL_K"});

constexpr auto kWords = std::to_array<const char *>({"customer", "order", "invoice", "payment", "product", "stock",
    "warehouse", "shipment", "supplier", "contract", "account", "ledger", "budget", "employee", "department", "salary",
    "address", "price", "discount", "currency", "region", "report", "screen", "batch", "archive", "audit", "status",
    "history", "Größe", "café", "Zürich", "réception"});

constexpr auto kPhrases = std::to_array<const char *>({"filled by the nightly import", "kept for the auditors",
    "read by the monthly reports", "changed only through the maintenance screens", "see the design notes",
    "archived after two years", "amounts in € unless stated otherwise", "maintained by the Zürich office",
    "values ≤ 0 are rejected", "the customer's own reference", "not used since release 2"});

constexpr auto kSystems = std::to_array<const char *>(
    {"HR", "ORDERS", "ORDERS.EU", "LIBRARY", "STOCK", "FINANCE", "LOGISTICS", "CRM", "PAYROLL", "PORTAL"});

void exec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        throw ScriptError((query.lastError().text() + QStringLiteral(" in: ") + sql).toStdString());
}

void execPrepared(QSqlQuery &query)
{
    if (!query.exec())
        throw ScriptError((query.lastError().text() + QStringLiteral(" in: ") + query.lastQuery()).toStdString());
}

// Element kinds first, then the kinds with a qualifier, then numbered rounds.
QString tableName(int index)
{
    const int kinds = int(kElementKinds.size());
    const int qualifiers = int(kQualifiers.size());
    const int round = index / kinds;
    QString name = QStringLiteral("CI_") + QString::fromUtf8(kElementKinds[std::size_t(index % kinds)]);
    if (round % qualifiers > 0)
        name += u'_' + QString::fromUtf8(kQualifiers[std::size_t(round % qualifiers)]);
    if (round / qualifiers > 0)
        name += u'_' + QString::number(round / qualifiers + 1);
    return name;
}

// NAME first, then creators and owner, user-defined properties, and plain
// properties for the rest; numbered once the property names run out.
QStringList textColumnsFor(int count)
{
    QStringList columns {QStringLiteral("NAME")};
    for (const char *who : {"CREATED_BY", "CHANGED_BY", "OWNING_USER"}) {
        if (columns.size() < count)
            columns << QString::fromUtf8(who);
    }
    for (int i = 0; i < 4 && columns.size() < count; ++i)
        columns << QStringLiteral("USER_DEFINED_PROPERTY_%1").arg(i);
    for (int i = 0; columns.size() < count; ++i) {
        const int words = int(kPropertyColumns.size());
        QString name = QString::fromUtf8(kPropertyColumns[std::size_t(i % words)]);
        if (i >= words)
            name += u'_' + QString::number(i / words + 1);
        columns << name;
    }
    return columns;
}

QString phrase(Random &random)
{
    QString text = random.pick(kWords) + u' ' + random.pick(kWords);
    if (random.chance(60))
        text += QStringLiteral(": ") + random.pick(kPhrases);
    text[0] = text.at(0).toUpper();
    return text + u'.';
}

QString valueFor(const QString &column, Random &random)
{
    if (column.startsWith(QStringLiteral("CREATED_BY")) || column.startsWith(QStringLiteral("OWNING_USER")))
        return random.pick(kUsers);
    if (column.startsWith(QStringLiteral("CHANGED_BY")))
        return random.chance(50) ? random.pick(kUsers) : QString();
    if (column.startsWith(QStringLiteral("USER_DEFINED_PROPERTY")))
        return random.chance(20) ? phrase(random) : QString();
    return random.chance(55) ? phrase(random) : QString();
}

} // namespace

namespace {

RepositoryCounts fillRepository(QSqlDatabase &db, const RepositorySizes &sizes)
{
    Random random(sizes.seed);
    RepositoryCounts counts;
    QSqlQuery query(db);

    if (sizes.olderKind) {
        exec(query,
            QStringLiteral("CREATE TABLE RM$REPOSITORIES (ID NUMBER(38) NOT NULL, SCHEMA_VERSION VARCHAR2(20))"));
        exec(query, QStringLiteral("INSERT INTO RM$REPOSITORIES VALUES (1, '5.0.22')"));
    } else {
        exec(query,
            QStringLiteral("CREATE TABLE RM$REPOSITORIES (ID NUMBER(38) NOT NULL, REPOSITORY_NAME VARCHAR2(30), "
                           "SCHEMA_VERSION VARCHAR2(20), REPOSITORY_VERSION VARCHAR2(20))"));
        exec(query, QStringLiteral("INSERT INTO RM$REPOSITORIES VALUES (1, 'LARGE_REPOS', '6.5.52.1.0', '6.5.52')"));
    }

    // Application systems: the names in turn, each new round a new version.
    std::vector<int> systemIds;
    QSqlQuery systems(db);
    systems.prepare(QStringLiteral("INSERT INTO CI_APPLICATION_SYSTEMS (ID, NAME, VERSION, TITLE, CREATED_BY) "
                                   "VALUES (?, ?, ?, ?, ?)"));
    for (int i = 0; i < sizes.applicationSystems; ++i) {
        const int id = 1001 + i;
        const QString name = QString::fromUtf8(kSystems[std::size_t(i) % kSystems.size()]);
        systems.bindValue(0, id);
        systems.bindValue(1, name);
        systems.bindValue(2, 1 + i / int(kSystems.size()));
        systems.bindValue(3, name + QStringLiteral(" application"));
        systems.bindValue(4, random.pick(kUsers));
        execPrepared(systems);
        systemIds.push_back(id);
    }
    counts.applicationSystems = sizes.applicationSystems;

    QSet<QString> existing;
    exec(query, QStringLiteral("SELECT upper(name) FROM sqlite_master WHERE type = 'table'"));
    while (query.next())
        existing.insert(query.value(0).toString());

    const QStringList textColumns = textColumnsFor(sizes.textColumns);
    qint64 nextId = 100000;
    int made = 0;
    for (int index = 0; made < sizes.tables; ++index) {
        const QString table = tableName(index);
        if (existing.contains(table))
            continue;
        existing.insert(table);
        QStringList definitions {QStringLiteral("ID NUMBER(38) NOT NULL"),
            QStringLiteral("APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL"),
            QStringLiteral("SEQUENCE_NUMBER NUMBER(10)"), QStringLiteral("COMPLETE_FLAG VARCHAR2(1)"),
            QStringLiteral("DATE_CREATED DATE")};
        for (const QString &column : textColumns)
            definitions << column
                    + (column == QStringLiteral("NAME") ? QStringLiteral(" VARCHAR2(60) NOT NULL")
                                                        : QStringLiteral(" VARCHAR2(240)"));
        exec(query, QStringLiteral("CREATE TABLE %1 (%2)").arg(table, definitions.join(QStringLiteral(", "))));

        QSqlQuery insert(db);
        QStringList marks;
        for (qsizetype i = 0; i < textColumns.size() + 4; ++i)
            marks << QStringLiteral("?");
        insert.prepare(QStringLiteral("INSERT INTO %1 (ID, APPLICATION_SYSTEM_OWNED_BY, SEQUENCE_NUMBER, "
                                      "COMPLETE_FLAG, %2) VALUES (%3)")
                           .arg(table, textColumns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        // Elements are spread evenly; the first tables take what is left over.
        const int rows = sizes.elements / sizes.tables + (made < sizes.elements % sizes.tables ? 1 : 0);
        const QString stem = table.mid(3);
        for (int row = 0; row < rows; ++row) {
            insert.bindValue(0, nextId++);
            insert.bindValue(1, systemIds.at(std::size_t(random.below(int(systemIds.size())))));
            insert.bindValue(2, row + 1);
            insert.bindValue(3, random.chance(80) ? QStringLiteral("Y") : QStringLiteral("N"));
            insert.bindValue(4, stem + u'_' + QString::number(row + 1));
            for (qsizetype c = 1; c < textColumns.size(); ++c) {
                const QString value = valueFor(textColumns.at(c), random);
                insert.bindValue(int(c) + 4, value.isEmpty() ? QVariant() : QVariant(value));
            }
            execPrepared(insert);
        }
        counts.elements += rows;
        counts.textColumns += int(textColumns.size());
        ++made;
    }
    counts.tables = made;

    return counts;
}

} // namespace

RepositoryCounts generateRepository(QSqlDatabase &db, const RepositorySizes &sizes)
{
    if (sizes.tables < 1 || sizes.textColumns < 1 || sizes.applicationSystems < 1 || sizes.elements < 0)
        throw ScriptError("a repository needs at least one table, one text column and one application system");
    return inTransaction(db, [&] { return fillRepository(db, sizes); });
}

} // namespace ks::tools
