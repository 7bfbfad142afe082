#include "CatalogueGenerator.h"

#include "DictionaryWriter.h"
#include "SplitMix.h"
#include "SqlScript.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <array>
#include <vector>

namespace ks::tools {

namespace {

using Random = SplitMix;

constexpr auto kOwners = std::to_array<const char *>({"HR", "SALES", "FINANCE", "STOCK", "LOGISTICS"});

// The session user of the generated catalogue, so USER_ views show one owner's objects.
constexpr const char *kSessionUser = "HR";

constexpr auto kEntities = std::to_array<const char *>({
    "CUSTOMER",
    "ORDER",
    "INVOICE",
    "PAYMENT",
    "PRODUCT",
    "STOCK",
    "WAREHOUSE",
    "SHIPMENT",
    "SUPPLIER",
    "CONTRACT",
    "ACCOUNT",
    "LEDGER",
    "BUDGET",
    "EMPLOYEE",
    "DEPARTMENT",
    "SALARY",
    "ADDRESS",
    "CONTACT",
    "PRICE",
    "DISCOUNT",
    "TAX",
    "CURRENCY",
    "REGION",
    "COUNTRY",
    "ITEM",
    "BATCH",
    "ROUTE",
    "VEHICLE",
    "DRIVER",
    "ASSET",
    "PROJECT",
    "TASK",
    "TIMESHEET",
    "CLAIM",
    "POLICY",
    "TICKET",
    "CAMPAIGN",
    "LEAD",
    "QUOTE",
    "PARCEL",
    "CARRIER",
    "BRANCH",
    "JOURNAL",
    "VOUCHER",
    "PERIOD",
    "RATE",
    "GRADE",
    "COURSE",
});

constexpr auto kQualifiers = std::to_array<const char *>({
    "HEADER",
    "LINE",
    "HISTORY",
    "STATUS",
    "TYPE",
    "DETAIL",
    "LOG",
    "ARCHIVE",
    "AUDIT",
    "MAP",
    "SUMMARY",
    "PLAN",
    "RULE",
    "LIMIT",
    "NOTE",
    "LINK",
    "QUEUE",
    "STAGING",
    "SNAPSHOT",
    "GROUP",
});

constexpr auto kViewKinds = std::to_array<const char *>({
    "LIST",
    "OVERVIEW",
    "REPORT",
    "OPEN",
    "CURRENT",
    "TOTALS",
    "DETAILS",
    "EXPORT",
    "LOOKUP",
    "STATS",
});

constexpr auto kAttributes = std::to_array<const char *>({
    "FIRST",
    "LAST",
    "TOTAL",
    "NET",
    "GROSS",
    "UNIT",
    "BASE",
    "START",
    "END",
    "DUE",
    "PAID",
    "OPEN",
    "BOOKED",
    "PLANNED",
    "ACTUAL",
    "MIN",
    "MAX",
    "DEFAULT",
    "PARENT",
    "OWNER",
    "EXTERNAL",
    "INTERNAL",
    "PRIMARY",
    "BILLING",
    "DELIVERY",
    "CREATED",
    "CHANGED",
    "APPROVED",
    "REVIEWED",
});

// Words for comments and messages; a few carry accents, as real comments do.
constexpr auto kAreas = std::to_array<const char *>({
    "purchasing",
    "accounting",
    "payroll",
    "logistics",
    "stock keeping",
    "customer service",
    "controlling",
    "reporting",
    "quality control",
    "Qualitätsprüfung",
    "Rechnungswesen",
    "réception",
});

constexpr auto kPhrases = std::to_array<const char *>({
    "filled by the nightly import",
    "kept for the auditors for ten years",
    "read by the monthly reports",
    "changed only through the maintenance screens",
    "see the design notes of the data warehouse",
    "rows older than two years are archived",
    "amounts in € unless the currency says otherwise",
    "maintained by the Zürich office",
    "values ≤ 0 are rejected by the application",
    "the Größe is given in SI units",
});

struct ColumnKind {
    const char *suffix;
    ColumnType type;
};

constexpr auto kColumnKinds = std::to_array<ColumnKind>({
    {"_ID", {"NUMBER", 22, 10, 0, false}},
    {"_NO", {"NUMBER", 22, 6, 0, false}},
    {"_NAME", {"VARCHAR2", 80, -1, -1, true}},
    {"_CODE", {"VARCHAR2", 10, -1, -1, true}},
    {"_TEXT", {"VARCHAR2", 4000, -1, -1, true}},
    {"_NOTE", {"VARCHAR2", 400, -1, -1, true}},
    {"_DATE", {"DATE", 7, -1, -1, false}},
    {"_AT", {"TIMESTAMP(6)", 11, -1, 6, false}},
    {"_AMOUNT", {"NUMBER", 22, 12, 2, false}},
    {"_QTY", {"NUMBER", 22, 8, 0, false}},
    {"_PCT", {"NUMBER", 22, 5, 2, false}},
    {"_STATUS", {"VARCHAR2", 12, -1, -1, true}},
    {"_FLAG", {"CHAR", 1, -1, -1, true}},
});

// The one column of SYS.DUAL.
constexpr ColumnKind kDummyKind {"", {"VARCHAR2", 1, -1, -1, true}};

struct Column {
    QString name;
    const ColumnKind *kind = nullptr;
    bool nullable = true;
};

struct Table {
    int owner = 0;
    QString name;
    std::vector<Column> columns;
};

QString word(const char *text)
{
    return QString::fromLatin1(text);
}

QString lower(const QString &name)
{
    return name.toLower();
}

class Generator {
public:
    Generator(DictionaryWriter &writer, const CatalogueSizes &sizes)
        : m_writer(writer)
        , m_sizes(sizes)
        , m_random(sizes.seed)
        , m_names(kOwners.size())
        , m_triggerNames(kOwners.size())
        , m_tablesOf(kOwners.size())
    {
    }

    void run()
    {
        makeUsers();
        makeTables();
        makeViews();
        makeSources();
        makeTriggers();
    }

private:
    static QString ownerName(int owner) { return word(kOwners[std::size_t(owner)]); }

    int randomOwner() { return m_random.below(int(kOwners.size())); }

    // A name not yet taken in the owner's namespace of tables, views and units.
    static QString unique(QSet<QString> &taken, const QString &base)
    {
        QString name = base;
        for (int suffix = 2; taken.contains(name); ++suffix)
            name = base + u'_' + QString::number(suffix);
        taken.insert(name);
        return name;
    }

    // A made-up name not yet taken; a few fresh tries before numbering.
    template <typename MakeName> static QString freshName(QSet<QString> &taken, MakeName makeName)
    {
        QString base;
        for (int attempt = 0; attempt < 4; ++attempt) {
            base = makeName();
            if (!taken.contains(base))
                break;
        }
        return unique(taken, base);
    }

    QString sentence()
    {
        const QString area = QString::fromUtf8(m_random.pick(kAreas));
        const QString phrase = QString::fromUtf8(m_random.pick(kPhrases));
        return QStringLiteral("Used by %1; %2.").arg(area, phrase);
    }

    void makeUsers()
    {
        m_writer.user(QStringLiteral("SYS"), 0, QStringLiteral("SYSTEM"), QStringLiteral("2019-11-04 07:30:12"), true);
        m_writer.user(
            QStringLiteral("SYSTEM"), 5, QStringLiteral("SYSTEM"), QStringLiteral("2019-11-04 07:30:13"), true);
        for (int owner = 0; owner < int(kOwners.size()); ++owner)
            m_writer.user(ownerName(owner), 103 + owner, QStringLiteral("USERS"),
                QStringLiteral("2019-12-02 10:%1:00").arg(owner * 7, 2, 10, QLatin1Char('0')), false);
        m_writer.sessionUser(word(kSessionUser));

        // Every Oracle database has SYS.DUAL; with no tables of their own the
        // made-up views, units and triggers use it.
        const QString sys = QStringLiteral("SYS");
        const Table &table = dual();
        m_writer.object(sys, table.name, QStringLiteral("TABLE"));
        m_writer.tableComment(sys, table.name, QStringLiteral("TABLE"), QVariant());
        m_writer.column(sys, table.name, table.columns.front().name, table.columns.front().kind->type, true, 1);
        m_writer.columnComment(sys, table.name, table.columns.front().name, QVariant());
    }

    Column makeColumn(const QString &name, const ColumnKind &kind, bool nullable)
    {
        return Column {name, &kind, nullable};
    }

    void makeTables()
    {
        int remaining = m_sizes.columns;
        while (remaining > 0) {
            const int count = std::min(remaining, m_random.between(3, 24));
            Table table;
            table.owner = randomOwner();
            QString stem;
            table.name = freshName(m_names[std::size_t(table.owner)], [&] {
                stem = word(m_random.pick(kEntities));
                QString name = m_random.chance(30) ? word(m_random.pick(kAttributes)) + u'_' + stem : stem;
                return m_random.chance(60) ? name + u'_' + word(m_random.pick(kQualifiers)) : name;
            });

            QSet<QString> columnNames;
            table.columns.push_back(
                makeColumn(unique(columnNames, stem + QStringLiteral("_ID")), kColumnKinds[0], false));
            while (int(table.columns.size()) < count) {
                const ColumnKind &kind = m_random.pick(kColumnKinds);
                const QString front = word(m_random.chance(50) ? m_random.pick(kEntities) : m_random.pick(kAttributes));
                table.columns.push_back(makeColumn(
                    unique(columnNames, front + QString::fromLatin1(kind.suffix)), kind, m_random.chance(70)));
            }
            writeTable(table);
            remaining -= count;
            m_tablesOf[std::size_t(table.owner)].push_back(int(m_tables.size()));
            m_tables.push_back(std::move(table));
        }
    }

    void writeTable(const Table &table)
    {
        const QString owner = ownerName(table.owner);
        m_writer.object(owner, table.name, QStringLiteral("TABLE"));
        m_writer.object(owner, table.name + QStringLiteral("_PK"), QStringLiteral("INDEX"));
        m_writer.tableComment(owner, table.name, QStringLiteral("TABLE"),
            m_random.chance(70) ? QVariant(tableComment(table)) : QVariant());
        writeColumns(owner, table.name, table.columns);
        ++m_writer.counts().tables;
        m_writer.counts().tableColumns += int(table.columns.size());
    }

    void writeColumns(const QString &owner, const QString &table, const std::vector<Column> &columns)
    {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column &column = columns[i];
            m_writer.column(owner, table, column.name, column.kind->type, column.nullable, int(i + 1));
            QVariant comment;
            if (m_random.chance(25))
                comment
                    = QStringLiteral("%1 of the %2. %3")
                          .arg(lower(column.name).replace(u'_', u' '), lower(table).replace(u'_', u' '), sentence());
            m_writer.columnComment(owner, table, column.name, comment);
        }
    }

    QString tableComment(const Table &table)
    {
        // One draw per statement: the order in which arguments are evaluated is
        // up to the compiler, and the content must not be.
        const QString area = QString::fromUtf8(m_random.pick(kAreas));
        const QString more = sentence();
        return QStringLiteral("%1 of the %2 area, one row per %3. %4")
            .arg(lower(table.name).replace(u'_', u' '), area,
                lower(table.columns.front().name).chopped(3).replace(u'_', u' '), more);
    }

    // A table of the owner when there is one, else any table; DUAL when there are no tables.
    const Table &tableFor(int owner)
    {
        const std::vector<int> &own = m_tablesOf[std::size_t(owner)];
        if (!own.empty())
            return m_tables[std::size_t(m_random.pick(own))];
        if (!m_tables.empty())
            return m_tables[std::size_t(m_random.below(int(m_tables.size())))];
        return dual();
    }

    static const Table &dual()
    {
        static const Table table {-1, QStringLiteral("DUAL"), {Column {QStringLiteral("DUMMY"), &kDummyKind, true}}};
        return table;
    }

    // How a statement of `owner` names `table`.
    static QString reference(int owner, const Table &table)
    {
        if (table.owner == owner)
            return lower(table.name);
        return (table.owner < 0 ? QStringLiteral("sys") : lower(ownerName(table.owner))) + u'.' + lower(table.name);
    }

    void makeViews()
    {
        for (int v = 0; v < m_sizes.views; ++v) {
            const int owner = randomOwner();
            std::vector<const Table *> from {&tableFor(owner)};
            const int joins = m_random.chance(50) ? m_random.between(1, 2) : 0;
            for (int j = 0; j < joins; ++j)
                from.push_back(&tableFor(owner));

            std::vector<Column> columns;
            QStringList selectList;
            QSet<QString> names;
            const int wanted = m_random.between(2, 8);
            for (int c = 0; c < wanted; ++c) {
                const int source = m_random.below(int(from.size()));
                const Column &column = m_random.pick(from[std::size_t(source)]->columns);
                QString item = QStringLiteral("t%1.%2").arg(source + 1).arg(lower(column.name));
                const QString name = unique(names, column.name);
                if (name != column.name)
                    item += QStringLiteral(" AS ") + lower(name);
                selectList << item;
                columns.push_back(Column {name, column.kind, column.nullable});
            }

            QString text = QStringLiteral("SELECT ") + selectList.join(QStringLiteral(",\n       "));
            text += QStringLiteral("\n  FROM ") + reference(owner, *from[0]) + QStringLiteral(" t1");
            for (std::size_t j = 1; j < from.size(); ++j) {
                text += QStringLiteral("\n  JOIN %1 t%2 ON t%2.%3 = t1.%4")
                            .arg(reference(owner, *from[j]))
                            .arg(j + 1)
                            .arg(lower(from[j]->columns.front().name), lower(from[0]->columns.front().name));
            }
            if (m_random.chance(60)) {
                const Column &filter = m_random.pick(from[0]->columns);
                text += QStringLiteral("\n WHERE t1.") + lower(filter.name)
                    + (filter.kind->type.isChar ? QStringLiteral(" <> 'CLOSED'") : QStringLiteral(" IS NOT NULL"));
            }
            if (m_random.chance(20))
                text += QStringLiteral("\n ORDER BY 1");

            const QString name = freshName(m_names[std::size_t(owner)], [&] {
                QString name = word(m_random.pick(kEntities)) + u'_';
                if (m_random.chance(50))
                    name += word(m_random.pick(kQualifiers)) + u'_';
                return name + word(m_random.pick(kViewKinds)) + QStringLiteral("_V");
            });
            const QString ownerText = ownerName(owner);
            m_writer.object(ownerText, name, QStringLiteral("VIEW"));
            m_writer.view(ownerText, name, text);
            m_writer.tableComment(
                ownerText, name, QStringLiteral("VIEW"), m_random.chance(30) ? QVariant(sentence()) : QVariant());
            writeColumns(ownerText, name, columns);
            ++m_writer.counts().views;
            m_writer.counts().viewColumns += int(columns.size());
        }
    }

    // One PL/SQL statement on `table`, as a few lines indented by `indent`.
    QStringList statement(const Table &table, const QString &indent)
    {
        const QString t = lower(table.name);
        const QString key = lower(table.columns.front().name);
        const QString c = lower(m_random.pick(table.columns).name);
        QStringList lines;
        switch (m_random.below(8)) {
        case 0:
            lines << QStringLiteral("-- ") + sentence();
            break;
        case 1:
            lines << QStringLiteral("select count(*)") << QStringLiteral("  into v_count")
                  << QStringLiteral("  from ") + t << QStringLiteral(" where %1 = p_key;").arg(key);
            break;
        case 2:
            lines << QStringLiteral("update ") + t << QStringLiteral("   set %1 = %1").arg(c)
                  << QStringLiteral(" where %1 = p_key;").arg(key);
            break;
        case 3:
            lines << QStringLiteral("if v_count = 0 then")
                  << QStringLiteral("  raise_application_error(-20%1, 'No %2 for ' || p_key);")
                         .arg(m_random.between(100, 999))
                         .arg(QString(t).replace(u'_', u' '))
                  << QStringLiteral("end if;");
            break;
        case 4:
            lines << QStringLiteral("for r in (select %1, %2 from %3 where %1 > p_key) loop").arg(key, c, t)
                  << QStringLiteral("  v_count := v_count + 1;") << QStringLiteral("end loop;");
            break;
        case 5:
            lines << QStringLiteral("dbms_output.put_line('%1');").arg(sentence());
            break;
        case 6:
            lines << QStringLiteral("v_text := substr(v_text || ' ' || p_key, 1, 400);");
            break;
        default:
            lines << QStringLiteral("delete from %1").arg(t) << QStringLiteral(" where %1 = p_key").arg(key)
                  << QStringLiteral("   and %1 is null;").arg(c);
            break;
        }
        for (QString &line : lines)
            line.prepend(indent);
        return lines;
    }

    QString signature(const Table &table, const QString &name, bool isFunction)
    {
        const QString parameter
            = QStringLiteral("(p_key in %1.%2%type)").arg(lower(table.name), lower(table.columns.front().name));
        return (isFunction ? QStringLiteral("function ") : QStringLiteral("procedure ")) + name + u' ' + parameter
            + (isFunction ? QStringLiteral(" return number") : QString());
    }

    QStringList routine(const Table &table, const QString &name, bool isFunction, const QString &indent)
    {
        QStringList lines;
        lines << indent + signature(table, name, isFunction) << indent + QStringLiteral("is")
              << indent + QStringLiteral("  v_count pls_integer := 0;")
              << indent + QStringLiteral("  v_text  varchar2(400);") << indent + QStringLiteral("begin");
        const int statements = m_random.between(1, 12);
        for (int s = 0; s < statements; ++s)
            lines << statement(table, indent + QStringLiteral("  "));
        if (isFunction)
            lines << indent + QStringLiteral("  return v_count;");
        lines << indent + QStringLiteral("end ") + name + u';';
        return lines;
    }

    void writeUnit(int owner, const QString &name, const QString &type, const QStringList &lines)
    {
        const QString ownerText = ownerName(owner);
        m_writer.object(ownerText, name, type);
        m_writer.source(ownerText, name, type, lines);
        ++m_writer.counts().sourceUnits;
    }

    void makeSources()
    {
        int remaining = m_sizes.sources;
        while (remaining > 0) {
            const int owner = randomOwner();
            const Table &table = tableFor(owner);
            const auto stem = [&] {
                const QString entity = word(m_random.pick(kEntities));
                return entity + u'_' + word(m_random.pick(kQualifiers));
            };
            if (remaining >= 2 && m_random.chance(35)) {
                const QString name
                    = freshName(m_names[std::size_t(owner)], [&] { return stem() + QStringLiteral("_PKG"); });
                const QString lowerName = lower(name);
                QStringList spec {QStringLiteral("package ") + lowerName, QStringLiteral("as"),
                    QStringLiteral("  -- ") + sentence(),
                    QStringLiteral("  c_version constant varchar2(10) := '1.%1';").arg(m_random.between(0, 40))};
                QStringList body {QStringLiteral("package body ") + lowerName, QStringLiteral("as")};
                const int routines = m_random.between(2, 8);
                for (int r = 0; r < routines; ++r) {
                    const bool isFunction = m_random.chance(40);
                    const QString attribute = lower(word(m_random.pick(kAttributes)));
                    const QString routineName
                        = attribute + u'_' + lower(word(m_random.pick(kEntities))) + u'_' + QString::number(r + 1);
                    spec << QStringLiteral("  ") + signature(table, routineName, isFunction) + u';';
                    if (r > 0)
                        body << QString();
                    body << routine(table, routineName, isFunction, QStringLiteral("  "));
                }
                spec << QStringLiteral("end ") + lowerName + u';';
                body << QStringLiteral("end ") + lowerName + u';';
                writeUnit(owner, name, QStringLiteral("PACKAGE"), spec);
                writeUnit(owner, name, QStringLiteral("PACKAGE BODY"), body);
                remaining -= 2;
            } else {
                const bool isFunction = m_random.chance(50);
                const QString name = freshName(m_names[std::size_t(owner)], stem);
                writeUnit(owner, name, isFunction ? QStringLiteral("FUNCTION") : QStringLiteral("PROCEDURE"),
                    routine(table, lower(name), isFunction, QString()));
                remaining -= 1;
            }
        }
    }

    void makeTriggers()
    {
        static const auto events = std::to_array<const char *>(
            {"INSERT", "UPDATE", "DELETE", "INSERT OR UPDATE", "INSERT OR UPDATE OR DELETE", "UPDATE OR DELETE"});
        for (int n = 0; n < m_sizes.triggers; ++n) {
            const int anyOwner = randomOwner();
            const Table &table = tableFor(anyOwner);
            const int owner = table.owner < 0 ? anyOwner : table.owner;
            const bool before = m_random.chance(50);
            const bool eachRow = m_random.chance(70);
            const QString event = word(m_random.pick(events));

            QString code = before ? QStringLiteral("B") : QStringLiteral("A");
            for (const QString &part : event.split(QStringLiteral(" OR ")))
                code += part.front();
            const QString name = unique(m_triggerNames[std::size_t(owner)], table.name + u'_' + code);
            const QString timing = before ? QStringLiteral("BEFORE") : QStringLiteral("AFTER");
            QString description = lower(name) + QStringLiteral("\n  ") + timing + u' ' + event + QStringLiteral(" ON ")
                + reference(owner, table) + u'\n';
            if (eachRow)
                description += QStringLiteral("  FOR EACH ROW\n");

            QStringList body {QStringLiteral("DECLARE"), QStringLiteral("  v_count pls_integer := 0;"),
                QStringLiteral("  v_text  varchar2(400);"),
                QStringLiteral("  p_key   number := %1;").arg(m_random.between(1, 9999)), QStringLiteral("BEGIN")};
            const int statements = m_random.between(1, 6);
            for (int s = 0; s < statements; ++s) {
                if (eachRow && !event.startsWith(QStringLiteral("DELETE")) && m_random.chance(40)) {
                    const QString c = lower(m_random.pick(table.columns).name);
                    body << QStringLiteral("  :new.%1 := NVL(:new.%1, :old.%1);").arg(c);
                } else {
                    body << statement(table, QStringLiteral("  "));
                }
            }
            body << QStringLiteral("END;");
            const QString bodyText = body.join(u'\n');

            const QString ownerText = ownerName(owner);
            const QString tableOwner = table.owner < 0 ? QStringLiteral("SYS") : ownerName(table.owner);
            m_writer.object(ownerText, name, QStringLiteral("TRIGGER"));
            m_writer.trigger(ownerText, name,
                timing + (eachRow ? QStringLiteral(" EACH ROW") : QStringLiteral(" STATEMENT")), event, tableOwner,
                table.name, m_random.chance(95), description, bodyText);
            // Oracle keeps a trigger's source as well: "trigger", the description, the body.
            m_writer.source(ownerText, name, QStringLiteral("TRIGGER"),
                (QStringLiteral("trigger ") + description + bodyText).split(u'\n'));
            ++m_writer.counts().triggers;
        }
    }

    DictionaryWriter &m_writer;
    const CatalogueSizes m_sizes;
    Random m_random;
    std::vector<QSet<QString>> m_names; // tables, views and units, per owner
    std::vector<QSet<QString>> m_triggerNames; // triggers have a namespace of their own
    std::vector<Table> m_tables;
    std::vector<std::vector<int>> m_tablesOf; // indexes into m_tables, per owner
};

} // namespace

CatalogueCounts generateCatalogue(QSqlDatabase &db, const CatalogueSizes &sizes)
{
    return inTransaction(db, [&] {
        DictionaryWriter writer(db);
        Generator(writer, sizes).run();
        return writer.counts();
    });
}

} // namespace ks::tools
