// The Designer repository search without windows: the repository probes,
// the discovery of element tables, the statements, the Include filters,
// CapitalizeWords, and whole searches run on small repository files.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "kinds/designer/DesignerSearch.h"
#include "support/TestCatalogue.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace ks::designer;

namespace {

// A repository with two element tables, one "CI_" table without the columns
// a search needs, and the tables the discovery must pass over. The column
// catalogue is written out of order on purpose.
QStringList repositoryFixture(const QString &probeColumns)
{
    return {
        QStringLiteral("CREATE TABLE RM$REPOSITORIES (%1)").arg(probeColumns),
        QStringLiteral("CREATE TABLE USER_TAB_COLUMNS (TABLE_NAME TEXT, COLUMN_NAME TEXT, DATA_TYPE TEXT, "
                       "DATA_LENGTH INTEGER)"),
        QStringLiteral("INSERT INTO USER_TAB_COLUMNS VALUES "
                       "('CI_MODULES', 'PURPOSE', 'VARCHAR2', 240), ('CI_ENTITIES', 'REMARK', 'VARCHAR2', 240), "
                       "('CI_ENTITIES', 'NAME', 'VARCHAR2', 40), ('CI_ENTITIES', 'ID', 'NUMBER', 22), "
                       "('CI_ENTITIES', 'APPLICATION_SYSTEM_OWNED_BY', 'NUMBER', 22), "
                       "('CI_ENTITIES', 'USER_DEFINED_PROPERTY_1', 'VARCHAR2', 240), "
                       "('CI_ENTITIES', 'CREATED_BY', 'VARCHAR2', 30), ('CI_ENTITIES', 'KIND', 'VARCHAR2', 2), "
                       "('CI_MODULES', 'NAME', 'VARCHAR2', 40), ('CI_MODULES', 'OWNING_USER', 'VARCHAR2', 30), "
                       "('CI_BROKEN', 'NAME', 'VARCHAR2', 40), ('CI_BROKEN', 'REMARK', 'VARCHAR2', 240), "
                       "('CIXYZ', 'NAME', 'VARCHAR2', 40), ('CIXYZ', 'REMARK', 'VARCHAR2', 240), "
                       "('CI_APP_SYS_SHARES', 'NAME', 'VARCHAR2', 40), "
                       "('CI_TEXT_LINES', 'TXT_TEXT', 'VARCHAR2', 240), "
                       "('ci_lower', 'NAME', 'VARCHAR2', 40), ('XCI_OTHER', 'NAME', 'VARCHAR2', 40)"),
        QStringLiteral("CREATE TABLE CI_APPLICATION_SYSTEMS (ID INTEGER, NAME TEXT, VERSION INTEGER)"),
        QStringLiteral("INSERT INTO CI_APPLICATION_SYSTEMS VALUES (11, 'ORDERS', 1), (12, 'ORDERS', 2), "
                       "(13, 'ORDERS.EU', 3), (14, 'O''NEIL', 1)"),
        QStringLiteral("CREATE TABLE CI_ENTITIES (ID INTEGER, NAME TEXT, APPLICATION_SYSTEM_OWNED_BY INTEGER, "
                       "REMARK TEXT, USER_DEFINED_PROPERTY_1 TEXT, CREATED_BY TEXT, KIND TEXT)"),
        QStringLiteral("INSERT INTO CI_ENTITIES VALUES "
                       "(1, 'CUSTOMER', 11, 'Who orders.', 'legacy', 'JSMITH', 'CU'), "
                       "(2, 'CAFE', 13, 'CAFÉ AU LAIT', NULL, 'JSMITH', 'CA'), "
                       "(3, 'BAR', 13, 'Café corner', NULL, 'JSMITH', 'BA'), "
                       "(4, 'ORDER', 13, 'The customer''s order', 'legacy order', 'MMUELLER', 'OR'), "
                       "(5, 'READER', 14, 'O''Neil''s readers', NULL, 'JSMITH', 'RE')"),
        QStringLiteral("CREATE TABLE CI_BROKEN (NAME TEXT, REMARK TEXT)"),
        QStringLiteral("INSERT INTO CI_BROKEN VALUES ('ORDER', 'order')"),
        QStringLiteral("CREATE TABLE CI_MODULES (ID INTEGER, NAME TEXT, APPLICATION_SYSTEM_OWNED_BY INTEGER, "
                       "PURPOSE TEXT, OWNING_USER TEXT)"),
        QStringLiteral("INSERT INTO CI_MODULES VALUES (7, 'ORD0010', 13, 'Enter orders', 'SALES'), "
                       "(8, NULL, 13, 'Orders without a name', 'SALES')"),
        QStringLiteral("CREATE TABLE CIXYZ (NAME TEXT, APPLICATION_SYSTEM_OWNED_BY INTEGER, REMARK TEXT)"),
        QStringLiteral("INSERT INTO CIXYZ VALUES ('ORDER_COPY', 13, 'order')"),
    };
}

QString describe(const ks::ResultRow &row)
{
    return QStringLiteral("%1|%2|%3|%4").arg(row.name, row.type, row.schema, row.comment);
}

// Runs gen_repository from the build's tools (QUILLMERE_TOOLS_DIR) and
// returns its exit code; the tool's messages go to the test's output.
int generateRepository(const QStringList &arguments)
{
    const QString directory = qEnvironmentVariable("QUILLMERE_TOOLS_DIR");
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(directory + QStringLiteral("/gen_repository"), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

struct SearchRun {
    QStringList rows;
    QStringList log;
    int count = 0;
};

} // namespace

class TestDesignerSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Lower-casing follows the locale; the expectations are written for English.
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        m_current = m_dir.filePath(QStringLiteral("current.qmcat"));
        ks::test::makeCatalogue(m_current, repositoryFixture(QStringLiteral("SCHEMA_VERSION, REPOSITORY_VERSION")));
        m_older = m_dir.filePath(QStringLiteral("older.qmcat"));
        ks::test::makeCatalogue(m_older, repositoryFixture(QStringLiteral("SCHEMA_VERSION")));
    }

    void cleanupTestCase() { QLocale::setDefault(m_locale); }

    void probes_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<int>("kind");
        QTest::newRow("no repository table") << QStringList {"CREATE TABLE OTHER (X)"} << int(NoRepository);
        QTest::newRow("schema version only")
            << QStringList {"CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION)"} << int(SchemaVersionOnly);
        QTest::newRow("both versions")
            << QStringList {"CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION, REPOSITORY_VERSION)"}
            << int(WithRepositoryVersion);
        // The second probe is not tried once the first has failed.
        QTest::newRow("repository version only")
            << QStringList {"CREATE TABLE RM$REPOSITORIES (REPOSITORY_VERSION)"} << int(NoRepository);
        QTest::newRow("empty table still answers")
            << QStringList {"CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION, REPOSITORY_VERSION, ID)"}
            << int(WithRepositoryVersion);
    }

    void probes()
    {
        QFETCH(QStringList, sql);
        const QString file = m_dir.filePath(QStringLiteral("probe.qmcat"));
        ks::test::makeCatalogue(file, sql);
        ks::ConnectionPtr connection = open(file);
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &statement) { sent << statement; });
        QTEST(int(probeRepository(*connection)), "kind");
        QVERIFY(sent.size() >= 1);
        QCOMPARE(sent.constFirst(), QStringLiteral("select schema_version from rm$repositories"));
        if (sent.size() == 2)
            QCOMPARE(sent.at(1), QStringLiteral("select repository_version from rm$repositories"));
    }

    void probeOfAConnectionThatDidNotOpenFindsNothing()
    {
        ks::ConnectionPtr connection = ks::OpenConnection(
            ks::test::oracleConnectionString(m_dir.filePath(QStringLiteral("missing/none.qmcat"))), {}, {});
        QVERIFY(!connection->isOpen());
        QCOMPARE(probeRepository(*connection), NoRepository);
    }

    void discoveryKeepsElementTablesInOrder()
    {
        ks::ConnectionPtr connection = open(m_current);
        RepositoryTables tables;
        discoverTables(*connection, tables);
        QCOMPARE(tables.tableNames, (QStringList {"CI_BROKEN", "CI_ENTITIES", "CI_MODULES"}));
        QCOMPARE(tables.columnNames,
            (QList<QStringList> {{"NAME", "REMARK"}, {"CREATED_BY", "NAME", "REMARK", "USER_DEFINED_PROPERTY_1"},
                {"NAME", "OWNING_USER", "PURPOSE"}}));
        QCOMPARE(describeTables(tables),
            (QStringList {"CI_BROKEN: NAME, REMARK", "CI_ENTITIES: CREATED_BY, NAME, REMARK, USER_DEFINED_PROPERTY_1",
                "CI_MODULES: NAME, OWNING_USER, PURPOSE"}));
    }

    void discoveryErrorPropagatesAndKeepsWhatWasRead()
    {
        const QString file = m_dir.filePath(QStringLiteral("nocatalogue.qmcat"));
        ks::test::makeCatalogue(file, {QStringLiteral("CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION)")});
        ks::ConnectionPtr connection = open(file);
        RepositoryTables tables;
        tables.addRecord(QStringLiteral("CI_EARLIER"), QStringLiteral("NAME"));
        try {
            discoverTables(*connection, tables);
            QFAIL("discovery without a column catalogue succeeded");
        } catch (const ks::Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("user_tab_columns")), qPrintable(error.message()));
        }
        QCOMPARE(tables.tableNames, QStringList {"CI_EARLIER"});
    }

    void groupingOfRecords_data()
    {
        QTest::addColumn<QStringList>("records"); // "TABLE.COLUMN"
        QTest::addColumn<QStringList>("tables");
        QTest::addColumn<QStringList>("columns"); // joined per table
        QTest::newRow("wildcard matches are no element tables") << QStringList {"CIXYZ.NAME", "CI_A.NAME", "CI.NAME",
            "ci_b.NAME", "CI_A.REMARK"} << QStringList {"CI_A"} << QStringList {"NAME REMARK"};
        QTest::newRow("each new name opens an entry")
            << QStringList {"CI_A.NAME", "CI_B.NAME", "CI_B.TEXT", "CI_C.NAME"} << QStringList {"CI_A", "CI_B", "CI_C"}
            << QStringList {"NAME", "NAME TEXT", "NAME"};
        // Only the last name counts, as with the catalogue's ordered records.
        QTest::newRow("a name met again opens another entry")
            << QStringList {"CI_A.NAME", "CI_B.NAME", "CI_A.TEXT"} << QStringList {"CI_A", "CI_B", "CI_A"}
            << QStringList {"NAME", "NAME", "TEXT"};
        QTest::newRow("names compared exactly")
            << QStringList {"CI_A.NAME", "CI_a.NAME"} << QStringList {"CI_A", "CI_a"} << QStringList {"NAME", "NAME"};
        QTest::newRow("nothing") << QStringList {} << QStringList {} << QStringList {};
    }

    void groupingOfRecords()
    {
        QFETCH(QStringList, records);
        QFETCH(QStringList, columns);
        RepositoryTables tables;
        for (const QString &record : records)
            tables.addRecord(record.section(u'.', 0, 0), record.section(u'.', 1));
        QTEST(tables.tableNames, "tables");
        QStringList joined;
        for (const QStringList &list : tables.columnNames)
            joined << list.join(u' ');
        QCOMPARE(joined, columns);
    }

    void applicationSystemLists()
    {
        // Only a name that several entries share shows their versions.
        const auto captions = [this](const QString &file, RepositoryKind kind) {
            QStringList shown;
            for (const ApplicationSystem &system : listApplicationSystems(*open(file), kind))
                shown << system.caption();
            return shown;
        };
        QCOMPARE(captions(m_current, WithRepositoryVersion),
            (QStringList {"O'NEIL", "ORDERS (1)", "ORDERS (2)", "ORDERS.EU"}));
        QCOMPARE(
            captions(m_older, SchemaVersionOnly), (QStringList {"O'NEIL.1", "ORDERS.1", "ORDERS.2", "ORDERS.EU.3"}));
    }

    void applicationSystemWithoutNameIsAnError()
    {
        const QString file = m_dir.filePath(QStringLiteral("nullname.qmcat"));
        ks::test::makeCatalogue(file,
            {QStringLiteral("CREATE TABLE CI_APPLICATION_SYSTEMS (ID, NAME, VERSION)"),
                QStringLiteral("INSERT INTO CI_APPLICATION_SYSTEMS VALUES (1, NULL, 1)")});
        ks::ConnectionPtr connection = open(file);
        try {
            listApplicationSystems(*connection, WithRepositoryVersion);
            QFAIL("a NULL name was listed");
        } catch (const ks::Error &error) {
            QCOMPARE(error.message(), QStringLiteral("Invalid variant type conversion"));
        }
    }

    void idStatements_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("sql");
        const QString start = QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE ");
        QTest::newRow("name.version") << int(SchemaVersionOnly) << "ORDERS.3"
                                      << start + "NAME = 'ORDERS' AND VERSION = 3";
        QTest::newRow("name with a point split at the last one")
            << int(SchemaVersionOnly) << "ORDERS.EU.3" << start + "NAME = 'ORDERS.EU' AND VERSION = 3";
        QTest::newRow("several points") << int(SchemaVersionOnly) << "A.B.C.12"
                                        << start + "NAME = 'A.B.C' AND VERSION = 12";
        QTest::newRow("apostrophe in name.version")
            << int(SchemaVersionOnly) << "O'NEIL.1" << start + "NAME = 'O''NEIL' AND VERSION = 1";
        QTest::newRow("plain name") << int(WithRepositoryVersion) << "ORDERS" << start + "NAME = 'ORDERS'";
        QTest::newRow("plain name keeps its points")
            << int(WithRepositoryVersion) << "ORDERS.EU" << start + "NAME = 'ORDERS.EU'";
        QTest::newRow("plain name with apostrophe")
            << int(WithRepositoryVersion) << "O'NEIL" << start + "NAME = 'O''NEIL'";
    }

    void idStatements()
    {
        QFETCH(int, kind);
        QFETCH(QString, entry);
        QTEST(idStatement(RepositoryKind(kind), entry), "sql");
    }

    void includeFilters_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("none");
        QTest::addColumn<bool>("userDefs");
        QTest::addColumn<bool>("createChanges");
        QTest::addColumn<bool>("owningUser");
        QTest::newRow("plain property") << "REMARK" << true << true << true << true;
        QTest::newRow("user-defined 3") << "USER_DEFINED_PROPERTY_3" << false << true << false << false;
        QTest::newRow("user-defined 0") << "USER_DEFINED_PROPERTY_0" << false << true << false << false;
        QTest::newRow("user-defined, bare prefix") << "USER_DEFINED_PROPERTY" << false << true << false << false;
        QTest::newRow("created by") << "CREATED_BY" << false << false << true << false;
        QTest::newRow("changed by, longer") << "CHANGED_BY_USER" << false << false << true << false;
        QTest::newRow("owning user") << "OWNING_USER" << false << false << false << true;
        QTest::newRow("prefix tests are case-sensitive") << "created_by" << true << true << true << true;
        QTest::newRow("prefix only at the start") << "X_OWNING_USER" << true << true << true << true;
        QTest::newRow("shorter than a prefix") << "OWNING_USE" << true << true << true << true;
        QTest::newRow("date created is no creator") << "DATE_CREATED" << true << true << true << true;
    }

    void includeFilters()
    {
        QFETCH(QString, column);
        QTEST(columnIncluded(column, IncludeOptions {}), "none");
        QTEST(columnIncluded(column, IncludeOptions {true, false, false}), "userDefs");
        QTEST(columnIncluded(column, IncludeOptions {false, true, false}), "createChanges");
        QTEST(columnIncluded(column, IncludeOptions {false, false, true}), "owningUser");
        QVERIFY(columnIncluded(column, IncludeOptions {true, true, true}));
    }

    void columnStatements_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QString>("sql");
        const QString start
            = QStringLiteral("SELECT NAME, REMARK FROM CI_ENTITIES WHERE APPLICATION_SYSTEM_OWNED_BY = 1001 AND ");
        QTest::newRow("ignore case") << "abc" << true << start + "UPPER(REMARK) LIKE '%ABC%'";
        QTest::newRow("case-sensitive") << "abc" << false << start + "REMARK LIKE '%abc%'";
        QTest::newRow("doubled apostrophes, ignore case")
            << "O''Neil" << true << start + "UPPER(REMARK) LIKE '%O''NEIL%'";
        QTest::newRow("doubled apostrophes") << "O''Neil" << false << start + "REMARK LIKE '%O''Neil%'";
        QTest::newRow("non-ASCII letters upper-cased") << "café" << true << start + "UPPER(REMARK) LIKE '%CAFÉ%'";
        QTest::newRow("one letter for one") << "straße" << true << start + "UPPER(REMARK) LIKE '%STRAßE%'";
        QTest::newRow("wildcards stay") << "a%b_c" << true << start + "UPPER(REMARK) LIKE '%A%B_C%'";
    }

    void columnStatements()
    {
        QFETCH(QString, find);
        QFETCH(bool, ignoreCase);
        QTEST(columnStatement(
                  QStringLiteral("CI_ENTITIES"), QStringLiteral("REMARK"), QStringLiteral("1001"), find, ignoreCase),
            "sql");
    }

    void capitalizeWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("blanks") << "APPLICATION SYSTEMS"
                                << "Application Systems";
        QTest::newRow("digits are word characters") << "REMARK TEXT 2"
                                                    << "Remark Text 2";
        QTest::newRow("digit starts a word") << "2ND PLACE"
                                             << "2nd Place";
        QTest::newRow("underscore is no delimiter") << "REMARK_TEXT"
                                                    << "Remark_text";
        QTest::newRow("hyphen is no delimiter") << "SELF-SERVICE"
                                                << "Self-service";
        QTest::newRow("apostrophe") << "O'NEIL"
                                    << "O'Neil";
        QTest::newRow("quotation mark") << "A\"B"
                                        << "A\"B";
        QTest::newRow("brackets and braces") << "x(y)z[a]b{c}d"
                                             << "X(Y)Z[A]B{C}D";
        QTest::newRow("punctuation") << "a,b.c/d:e;f\\g`h"
                                     << "A,B.C/D:E;F\\G`H";
        QTest::newRow("other signs are no delimiters") << "a!b?c-d+e@f<g"
                                                       << "A!b?c-d+e@f<g";
        QTest::newRow("controls") << "one\ttwo\nthree"
                                  << "One\tTwo\nThree";
        QTest::newRow("leading and doubled blanks") << "  lead  on"
                                                    << "  Lead  On";
        QTest::newRow("mixed case") << "mIXED cASE"
                                    << "Mixed Case";
        QTest::newRow("non-ASCII letters") << "ÄRGER ÜBER ÉTÉ"
                                           << "Ärger Über Été";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("delimiters only") << " ., "
                                         << " ., ";
    }

    void capitalizeWords()
    {
        QFETCH(QString, text);
        QTEST(CapitalizeWords(text), "result");
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("property");
        QTest::newRow("application systems") << "CI_APPLICATION_SYSTEMS"
                                             << "Application Systems"
                                             << "Ci Application Systems";
        QTest::newRow("numbered column") << "REMARK_TEXT_2"
                                         << "Ark Text 2"
                                         << "Remark Text 2";
        QTest::newRow("user-defined property") << "USER_DEFINED_PROPERTY_3"
                                               << "R Defined Property 3"
                                               << "User Defined Property 3";
        QTest::newRow("only the prefix") << "CI_"
                                         << ""
                                         << "Ci ";
        QTest::newRow("short") << "CI"
                               << ""
                               << "Ci";
    }

    void captions()
    {
        QFETCH(QString, name);
        QTEST(typeCaption(name), "type");
        QTEST(propertyCaption(name), "property");
    }

    void typeCaptionTakesAtMost255Characters()
    {
        const QString table = QStringLiteral("CI_") + QString(300, u'X');
        const QString type = typeCaption(table);
        QCOMPARE(type.size(), 255);
        QCOMPARE(type, u'X' + QString(254, u'x'));
    }

    void searchOfPlainNames()
    {
        SearchRequest request;
        request.applicationSystem = QStringLiteral("ORDERS.EU");
        request.searchText = QStringLiteral("  order\t");
        const SearchRun run = search(m_current, WithRepositoryVersion, request);
        const QString where = QStringLiteral(" WHERE APPLICATION_SYSTEM_OWNED_BY = 13 AND ");
        QCOMPARE(run.log,
            (QStringList {
                "SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS.EU'",
                "SELECT NAME, NAME FROM CI_BROKEN" + where + "UPPER(NAME) LIKE '%ORDER%'",
                "SELECT NAME, REMARK FROM CI_BROKEN" + where + "UPPER(REMARK) LIKE '%ORDER%'",
                "SELECT NAME, NAME FROM CI_ENTITIES" + where + "UPPER(NAME) LIKE '%ORDER%'",
                "SELECT NAME, REMARK FROM CI_ENTITIES" + where + "UPPER(REMARK) LIKE '%ORDER%'",
                "SELECT NAME, NAME FROM CI_MODULES" + where + "UPPER(NAME) LIKE '%ORDER%'",
                "SELECT NAME, PURPOSE FROM CI_MODULES" + where + "UPPER(PURPOSE) LIKE '%ORDER%'",
            }));
        // The failing statements on CI_BROKEN cost nothing but their own rows.
        QCOMPARE(run.rows,
            (QStringList {
                "ORDER|Entities|Name|ORDER",
                "ORDER|Entities|Remark|The customer's order",
                "ORD0010|Modules|Purpose|Enter orders",
                "|Modules|Purpose|Orders without a name",
            }));
        QCOMPARE(run.count, 4);
    }

    void searchOfNameVersionEntries()
    {
        SearchRequest request;
        request.applicationSystem = QStringLiteral("ORDERS.EU.3");
        request.searchText = QStringLiteral("legacy");
        request.include.userDefinedProperties = true;
        request.include.createdChangedBy = true;
        const SearchRun run = search(m_older, SchemaVersionOnly, request);
        QCOMPARE(run.log.constFirst(),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS.EU' AND VERSION = 3"));
        QCOMPARE(run.log.size(), 1 + 2 + 4 + 2);
        QVERIFY(run.log.contains(QStringLiteral("SELECT NAME, USER_DEFINED_PROPERTY_1 FROM CI_ENTITIES WHERE "
                                                "APPLICATION_SYSTEM_OWNED_BY = 13 AND "
                                                "UPPER(USER_DEFINED_PROPERTY_1) LIKE '%LEGACY%'")));
        QCOMPARE(run.rows, QStringList {"ORDER|Entities|User Defined Property 1|legacy order"});
    }

    void choosingApplicationSystemByName_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("entry"); // empty: refused
        QTest::addColumn<QString>("version");
        QTest::newRow("plain name") << "HR"
                                    << "HR"
                                    << "";
        QTest::newRow("entry with its version") << "ORDERS.EU.3"
                                                << "ORDERS.EU.3"
                                                << "";
        QTest::newRow("shared name and version") << "SALES.2"
                                                 << "SALES"
                                                 << "2";
        QTest::newRow("shared name alone") << "SALES"
                                           << ""
                                           << "";
        QTest::newRow("unknown") << "PAY"
                                 << ""
                                 << "";
    }

    void choosingApplicationSystemByName()
    {
        QFETCH(QString, wanted);
        QFETCH(QString, entry);
        QFETCH(QString, version);
        const QList<ApplicationSystem> systems {{QStringLiteral("HR"), {}}, {QStringLiteral("ORDERS.EU.3"), {}},
            {QStringLiteral("SALES"), QStringLiteral("1")}, {QStringLiteral("SALES"), QStringLiteral("2")}};
        if (entry.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(ks::Error, chooseApplicationSystem(systems, wanted));
            return;
        }
        const ApplicationSystem chosen = chooseApplicationSystem(systems, wanted);
        QCOMPARE(chosen.entry, entry);
        QCOMPARE(chosen.version, version);
    }

    void ignoreCaseFindsNonAsciiLetters_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("ignore case") << "café" << true
                                     << QStringList {
                                            "BAR|Entities|Remark|Café corner", "CAFE|Entities|Remark|CAFÉ AU LAIT"};
        QTest::newRow("exact case") << "Café" << false << QStringList {"BAR|Entities|Remark|Café corner"};
        QTest::newRow("upper case") << "CAFÉ" << false << QStringList {"CAFE|Entities|Remark|CAFÉ AU LAIT"};
    }

    void ignoreCaseFindsNonAsciiLetters()
    {
        QFETCH(QString, find);
        QFETCH(bool, ignoreCase);
        QFETCH(QStringList, rows);
        SearchRequest request;
        request.applicationSystem = QStringLiteral("ORDERS.EU");
        request.searchText = find;
        request.ignoreCase = ignoreCase;
        QStringList found = search(m_current, WithRepositoryVersion, request).rows;
        found.sort();
        QCOMPARE(found, rows);
    }

    void apostropheInSearchText()
    {
        SearchRequest request;
        request.applicationSystem = QStringLiteral("O'NEIL");
        request.searchText = QStringLiteral("o'neil's");
        const SearchRun run = search(m_current, WithRepositoryVersion, request);
        QCOMPARE(run.log.constFirst(),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'O''NEIL'"));
        QVERIFY(run.log.at(1).endsWith(QStringLiteral("LIKE '%O''NEIL''S%'")));
        QCOMPARE(run.rows, QStringList {"READER|Entities|Remark|O'Neil's readers"});
    }

    void unknownApplicationSystemEndsTheSearch_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("entry");
        QTest::newRow("no such name") << int(WithRepositoryVersion) << "GONE";
        QTest::newRow("no such version") << int(SchemaVersionOnly) << "ORDERS.9";
        QTest::newRow("version is not a number") << int(SchemaVersionOnly) << "ORDERS.EU";
    }

    void unknownApplicationSystemEndsTheSearch()
    {
        QFETCH(int, kind);
        QFETCH(QString, entry);
        SearchRequest request;
        request.applicationSystem = entry;
        request.searchText = QStringLiteral("order");
        ks::ConnectionPtr connection = open(m_current);
        RepositoryTables tables;
        discoverTables(*connection, tables);
        QStringList log;
        int rows = 0;
        QVERIFY_THROWS_EXCEPTION(ks::Error,
            runSearch(
                *connection, RepositoryKind(kind), tables, request, [&](ks::ResultRow) { ++rows; },
                [&](const QString &line) { log << line; }));
        QCOMPARE(log, QStringList {idStatement(RepositoryKind(kind), entry)});
        QCOMPARE(rows, 0);
    }

    void failingRowHandlerCostsOnlyItsStatement()
    {
        SearchRequest request;
        request.applicationSystem = QStringLiteral("ORDERS.EU");
        request.searchText = QStringLiteral("order");
        ks::ConnectionPtr connection = open(m_current);
        RepositoryTables tables;
        discoverTables(*connection, tables);
        QStringList rows;
        int log = 0;
        runSearch(
            *connection, WithRepositoryVersion, tables, request,
            [&](ks::ResultRow row) {
                if (row.schema == QStringLiteral("Name"))
                    throw ks::Error(QStringLiteral("refused"));
                rows << describe(row);
            },
            [&](const QString &) { ++log; });
        QCOMPARE(log, 7);
        QCOMPARE(rows,
            (QStringList {"ORDER|Entities|Remark|The customer's order", "ORD0010|Modules|Purpose|Enter orders",
                "|Modules|Purpose|Orders without a name"}));
    }

    void generatedRepositoriesAreSearchable_data()
    {
        QTest::addColumn<bool>("older");
        QTest::newRow("current kind") << false;
        QTest::newRow("older kind") << true;
    }

    void generatedRepositoriesAreSearchable()
    {
        QFETCH(bool, older);
        const QString file = m_dir.filePath(QStringLiteral("generated.qmcat"));
        QStringList arguments {"--tables", "3", "--columns", "9", "--elements", "100", "--systems", "10"};
        if (older)
            arguments << QStringLiteral("--older");
        QCOMPARE(generateRepository(arguments << file), 0);

        ks::ConnectionPtr connection = open(file);
        const RepositoryKind kind = probeRepository(*connection);
        QCOMPARE(kind, older ? SchemaVersionOnly : WithRepositoryVersion);
        RepositoryTables tables;
        discoverTables(*connection, tables);
        QStringList systems;
        for (const ApplicationSystem &system : listApplicationSystems(*connection, kind))
            systems << system.entry;
        QCOMPARE(systems.size(), 10);
        QCOMPARE(QSet<QString>(systems.cbegin(), systems.cend()).size(), 10);
        QVERIFY(systems.contains(older ? QStringLiteral("ORDERS.EU.1") : QStringLiteral("ORDERS.EU")));

        // The demo schema's tables stay empty; three generated ones come on top,
        // each with its nine text columns.
        QStringList generated;
        for (qsizetype t = 0; t < tables.tableNames.size(); ++t) {
            auto records
                = ks::ExecuteSql(*connection, QStringLiteral("select count(*) from ") + tables.tableNames.at(t));
            if (tables.tableNames.at(t) == QStringLiteral("CI_APPLICATION_SYSTEMS"))
                continue;
            if (records->value(0).toInt() == 0)
                continue;
            generated << tables.tableNames.at(t);
            QCOMPARE(tables.columnNames.at(t).size(), 9);
            QVERIFY(tables.columnNames.at(t).contains(QStringLiteral("USER_DEFINED_PROPERTY_0")));
        }
        QCOMPARE(generated.size(), 3);
        int elements = 0;
        for (const QString &table : generated) {
            auto records = ks::ExecuteSql(*connection, QStringLiteral("select count(*) from ") + table);
            elements += records->value(0).toInt();
        }
        QCOMPARE(elements, 100);

        // Every element belongs to one of the systems, so searching each of them
        // for a letter every name has finds every element by its name.
        int named = 0;
        for (const QString &system : std::as_const(systems)) {
            SearchRequest request;
            request.applicationSystem = system;
            request.searchText = QStringLiteral("_");
            runSearch(
                *connection, kind, tables, request,
                [&named](ks::ResultRow row) { named += row.schema == QStringLiteral("Name") ? 1 : 0; },
                [](const QString &) {});
        }
        QCOMPARE(named, 100);
    }

    void generatorRefusesImpossibleSizes()
    {
        const QString file = m_dir.filePath(QStringLiteral("refused.qmcat"));
        QVERIFY(generateRepository({"--tables", "0", "--elements", "10", file}) != 0);
        QVERIFY(generateRepository({"--tables", "2", "--elements", "-1", file}) != 0);
        QVERIFY(generateRepository({"--tables", "2", "--elements", "10", "--columns", "0", file}) != 0);
        QVERIFY(!QFileInfo::exists(file));
    }

private:
    static ks::ConnectionPtr open(const QString &file)
    {
        ks::ConnectionPtr connection = ks::OpenConnection(ks::test::oracleConnectionString(file), {}, {});
        if (!connection->isOpen())
            qFatal("cannot open %s", qPrintable(file));
        return connection;
    }

    static SearchRun search(const QString &file, RepositoryKind kind, const SearchRequest &request)
    {
        ks::ConnectionPtr connection = open(file);
        RepositoryTables tables;
        discoverTables(*connection, tables);
        SearchRun run;
        run.count = runSearch(
            *connection, kind, tables, request, [&run](ks::ResultRow row) { run.rows << describe(row); },
            [&run](const QString &line) { run.log << line; });
        return run;
    }

    QTemporaryDir m_dir;
    QString m_current;
    QString m_older;
    QLocale m_locale;
};

QTEST_MAIN(TestDesignerSearch)
#include "tst_designersearch.moc"
