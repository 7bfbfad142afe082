// The Oracle search without windows: statement texts, the rows records become,
// and the statement behind a double-clicked row, run on a real catalogue file.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "kinds/oracle/OracleSearch.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "text/KsStringOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace ks::oracle;

Q_DECLARE_METATYPE(ks::oracle::SearchRequest)

namespace {

SearchRequest request(
    const QString &prefix, const QString &text, const QString &schema = QStringLiteral("(all)"), bool ignoreCase = true)
{
    SearchRequest r;
    r.prefix = prefix;
    r.searchText = text;
    r.schema = schema;
    r.schemaIndex = schema == QStringLiteral("(all)") ? 0 : 1;
    r.ignoreCase = ignoreCase;
    return r;
}

QString sqlOf(const QList<PlannedStatement> &statements, Statement which)
{
    for (const PlannedStatement &planned : statements) {
        if (planned.statement == which)
            return planned.sql;
    }
    return QStringLiteral("<not run>");
}

class LineCollector : public ks::TKsStringOutput {
public:
    QStringList lines;
    void PutLine(const QString &line) override { lines << line; }
};

QString describe(const ks::ResultRow &row)
{
    return QStringLiteral("%1|%2|%3|%4|%5").arg(row.name, row.type, row.schema, row.comment).arg(row.rowKind);
}

} // namespace

class TestOracleSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_catalogue = m_dir.filePath(QStringLiteral("fixture.qmcat"));
        ks::test::makeCatalogue(m_catalogue, ks::test::oracleFixture());
    }

    void searchState_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("schemaIndex");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<bool>("hasOwner");
        QTest::addColumn<bool>("schemaFilter");
        QTest::newRow("blanks and controls trimmed") << "ALL"
                                                     << "  emp\t " << 0 << "emp" << true << false;
        QTest::newRow("apostrophe doubled") << "ALL"
                                            << "O'Brien" << 2 << "O''Brien" << true << true;
        QTest::newRow("user prefix ignores schema") << "USER"
                                                    << "x" << 3 << "x" << false << false;
        QTest::newRow("prefix compared exactly") << "user"
                                                 << "x" << 1 << "x" << true << true;
        QTest::newRow("empty prefix") << ""
                                      << "x" << 0 << "x" << true << false;
    }

    void searchState()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, text);
        QFETCH(int, schemaIndex);
        SearchRequest r = request(prefix, text);
        r.schemaIndex = schemaIndex;
        const SearchState state = makeSearchState(r);
        QTEST(state.quotedFind, "quoted");
        QTEST(state.hasOwner, "hasOwner");
        QTEST(state.schemaFilter, "schemaFilter");
    }

    void statementTexts_data()
    {
        QTest::addColumn<SearchRequest>("req");
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("sql");
        const SearchRequest allScott = request(QStringLiteral("ALL"), QStringLiteral("abc"), QStringLiteral("SCOTT"));
        QTest::newRow("objects, all, schema, ignore case")
            << allScott << int(Statement::ObjectNames)
            << "SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , OWNER FROM ALL_OBJECTS WHERE UPPER(OBJECT_NAME) LIKE "
               "'%ABC%' AND OWNER = 'SCOTT' ORDER BY 1, 2";
        QTest::newRow("columns, all, schema, ignore case")
            << allScott << int(Statement::ColumnNames)
            << "SELECT TABLE_NAME || '.' || COLUMN_NAME, OWNER FROM ALL_TAB_COLUMNS WHERE OWNER = 'SCOTT' AND "
               "UPPER(COLUMN_NAME) LIKE '%ABC%' ORDER BY 1";
        QTest::newRow("source, user, case-sensitive")
            << request(QStringLiteral("USER"), QStringLiteral("abc"), QStringLiteral("(all)"), false)
            << int(Statement::SourceText)
            << "SELECT NAME, INITCAP(TYPE), '' FROM USER_SOURCE WHERE 1=1 AND TEXT LIKE '%abc%' GROUP BY NAME, "
               "INITCAP(TYPE), '' ORDER BY 1, 2";
        QTest::newRow("views, all schemas")
            << request(QStringLiteral("ALL"), QStringLiteral("abc")) << int(Statement::ViewTexts)
            << "SELECT VIEW_NAME, TEXT, OWNER FROM ALL_VIEWS ";
        QTest::newRow("table comments, dba, no filter")
            << request(QStringLiteral("DBA"), QStringLiteral("abc"), QStringLiteral("(all)"), false)
            << int(Statement::TableComments)
            << "SELECT TABLE_NAME, OWNER FROM DBA_TAB_COMMENTS WHERE 1=1 AND COMMENTS LIKE '%abc%' ORDER BY 1";
        QTest::newRow("column comments")
            << allScott << int(Statement::ColumnComments)
            << "SELECT TABLE_NAME || '.' || COLUMN_NAME, OWNER FROM ALL_COL_COMMENTS WHERE OWNER = 'SCOTT' AND "
               "UPPER(COMMENTS) LIKE '%ABC%' ORDER BY 1";
        QTest::newRow("trigger descriptions")
            << allScott << int(Statement::TriggerDescriptions)
            << "SELECT TABLE_NAME || '.' || TRIGGER_NAME, OWNER FROM ALL_TRIGGERS WHERE OWNER = 'SCOTT' AND "
               "UPPER(DESCRIPTION) LIKE '%ABC%' ORDER BY 1";
        QTest::newRow("trigger bodies, user")
            << request(QStringLiteral("USER"), QStringLiteral("abc")) << int(Statement::TriggerBodies)
            << "SELECT TABLE_NAME || '.' || TRIGGER_NAME, TRIGGER_BODY, '' FROM USER_TRIGGERS ";
        QTest::newRow("quoted search text, ignore case")
            << request(QStringLiteral("ALL"), QStringLiteral("O'Brien")) << int(Statement::ObjectNames)
            << "SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , OWNER FROM ALL_OBJECTS WHERE UPPER(OBJECT_NAME) LIKE "
               "'%O''BRIEN%' ORDER BY 1, 2";
        QTest::newRow("every letter upper-cased one for one, as UPPER does")
            << request(QStringLiteral("USER"), QStringLiteral("größe")) << int(Statement::ObjectNames)
            << "SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , '' FROM USER_OBJECTS WHERE UPPER(OBJECT_NAME) LIKE "
               "'%GRÖßE%' ORDER BY 1, 2";
        QTest::newRow("non-ASCII search text kept as typed without Ignore Case")
            << request(QStringLiteral("USER"), QStringLiteral("größe"), QStringLiteral("(all)"), false)
            << int(Statement::TableComments)
            << "SELECT TABLE_NAME, '' FROM USER_TAB_COMMENTS WHERE 1=1 AND COMMENTS LIKE '%größe%' ORDER BY 1";
        QTest::newRow("schema with apostrophe stays one literal")
            << request(QStringLiteral("ALL"), QStringLiteral("x"), QStringLiteral("O'HARA"))
            << int(Statement::ViewTexts) << "SELECT VIEW_NAME, TEXT, OWNER FROM ALL_VIEWS WHERE OWNER = 'O''HARA' ";
    }

    void statementTexts()
    {
        QFETCH(SearchRequest, req);
        QFETCH(int, which);
        QTEST(sqlOf(searchStatements(makeSearchState(req), req), Statement(which)), "sql");
    }

    void statementsFollowIncludeOptions()
    {
        SearchRequest r = request(QStringLiteral("USER"), QStringLiteral("x"));
        auto kinds = [](const SearchRequest &req) {
            QList<Statement> result;
            for (const PlannedStatement &p : searchStatements(makeSearchState(req), req))
                result << p.statement;
            return result;
        };
        QCOMPARE(kinds(r),
            (QList<Statement> {Statement::ObjectNames, Statement::ViewTexts, Statement::ColumnNames,
                Statement::TableComments, Statement::ColumnComments, Statement::TriggerDescriptions,
                Statement::SourceText, Statement::TriggerBodies}));
        r.viewDefinitions = r.plSqlCode = r.comments = r.triggerCode = false;
        QCOMPARE(kinds(r), (QList<Statement> {Statement::ObjectNames, Statement::ColumnNames}));
        r.triggerCode = true;
        QCOMPARE(
            kinds(r), (QList<Statement> {Statement::ObjectNames, Statement::ColumnNames, Statement::TriggerBodies}));
    }

    void searchRowsFromCatalogue_data()
    {
        QTest::addColumn<SearchRequest>("req");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("all schemas, emp") << request(QStringLiteral("ALL"), QStringLiteral("emp"))
                                          << QStringList {
                                                 "EMP|Table|O'HARA|Table Name|1",
                                                 "EMP|Table|SCOTT|Table Name|1",
                                                 "EMPLOYEES|Table|HR|Table Name|1",
                                                 "EMP_TRG|Trigger|HR|Trigger Name|1",
                                                 "EMP_V|View|SCOTT|View Name|1",
                                                 "EMP_V|View|SCOTT|View Definition|2",
                                                 "STAFF_V|View|HR|View Definition|2",
                                                 "EMP.EMPNO|Column|O'HARA|Column Name|4",
                                                 "EMP.EMPNO|Column|SCOTT|Column Name|4",
                                                 "EMPLOYEES.EMPLOYEE_ID|Column|HR|Column Name|4",
                                                 "EMP|Table|O'HARA|Table Comment|5",
                                                 "EMP|Table|SCOTT|Table Comment|5",
                                                 "EMP.ENAME|Column|SCOTT|Column Comment|5",
                                                 "EMPLOYEES.EMP_TRG|Trigger|HR|Trigger Description|5",
                                                 "PAY_PKG|Package|SCOTT|Package Source|3",
                                                 "PAY_PKG|Package Body|SCOTT|Package Body Source|3",
                                                 "EMPLOYEES.EMP_TRG|Trigger|HR|Trigger Definition|6",
                                             };
        QTest::newRow("user prefix has no owner")
            << request(QStringLiteral("USER"), QStringLiteral("pay"))
            << QStringList {"PAY_PKG|Package||Package Name|1", "PAY_PKG|Package Body||Package Body Name|1",
                   "PAY_PKG|Package||Package Source|3", "PAY_PKG|Package Body||Package Body Source|3"};
        QTest::newRow("schema filter") << request(
            QStringLiteral("DBA"), QStringLiteral("EMPNO"), QStringLiteral("O'HARA"), false)
                                       << QStringList {"EMP.EMPNO|Column|O'HARA|Column Name|4"};
        QTest::newRow("case-sensitive misses lower case")
            << request(QStringLiteral("ALL"), QStringLiteral("empno"), QStringLiteral("(all)"), false)
            << QStringList {"EMP_V|View|SCOTT|View Definition|2", "PAY_PKG|Package|SCOTT|Package Source|3",
                   "PAY_PKG|Package Body|SCOTT|Package Body Source|3"};
        QTest::newRow("quoted text found only as written in a literal")
            << request(QStringLiteral("USER"), QStringLiteral("O'Brien"), QStringLiteral("(all)"), false)
            << QStringList {"O'REILLY_V|View||View Definition|2"};
        QTest::newRow("view text ending with the search text")
            << request(QStringLiteral("ALL"), QStringLiteral("employees"), QStringLiteral("(all)"), false)
            << QStringList {"STAFF_V|View|HR|View Definition|2", "EMPLOYEES.EMP_TRG|Trigger|HR|Trigger Description|5"};
        QTest::newRow("non-ASCII comment, upper-cased in the database") << request(
            QStringLiteral("ALL"), QStringLiteral("straße")) << QStringList {"EMPLOYEES|Table|HR|Table Comment|5"};
        QTest::newRow("non-ASCII search text found in capitals with Ignore Case") << request(
            QStringLiteral("ALL"), QStringLiteral("größe")) << QStringList {"EMPLOYEES|Table|HR|Table Comment|5"};
        QTest::newRow("non-ASCII search text in its own case only without Ignore Case")
            << request(QStringLiteral("ALL"), QStringLiteral("größe"), QStringLiteral("(all)"), false)
            << QStringList {};
    }

    void searchRowsFromCatalogue()
    {
        QFETCH(SearchRequest, req);
        QFETCH(QStringList, rows);
        const SearchState state = makeSearchState(req);
        ks::ConnectionPtr connection
            = ks::OpenConnection(ks::test::oracleConnectionString(m_catalogue), QString(), QString());
        QStringList actual;
        runSearch(*connection, state, req, [&actual](const ks::ResultRow &row) { actual << describe(row); });
        // Rows that tie on the sort columns come in the database's order.
        actual.sort();
        rows.sort();
        QCOMPARE(actual, rows);
    }

    void errorEndsSearchKeepingEarlierRows()
    {
        const QString broken = m_dir.filePath(QStringLiteral("broken.qmcat"));
        QStringList ddl = ks::test::oracleFixture();
        ddl << QStringLiteral("DROP VIEW ALL_TAB_COLUMNS");
        ks::test::makeCatalogue(broken, ddl);
        const SearchRequest req = request(QStringLiteral("ALL"), QStringLiteral("emp_v"));
        ks::ConnectionPtr connection
            = ks::OpenConnection(ks::test::oracleConnectionString(broken), QString(), QString());
        QStringList actual;
        const auto collect = [&actual](const ks::ResultRow &row) { actual << describe(row); };
        bool failed = false;
        try {
            runSearch(*connection, makeSearchState(req), req, collect);
        } catch (const std::exception &) {
            failed = true;
        }
        QVERIFY(failed);
        QCOMPARE(actual, QStringList {"EMP_V|View|SCOTT|View Name|1"});
    }

    void probeAndSchemas()
    {
        ks::ConnectionPtr connection
            = ks::OpenConnection(ks::test::oracleConnectionString(m_catalogue), QString(), QString());
        const std::array<bool, 3> available = probeDictionaries(*connection);
        QCOMPARE(available, (std::array<bool, 3> {true, true, true}));
        QCOMPARE(listSchemas(*connection, available).size(), 4);
        QCOMPARE(listSchemas(*connection, {true, false, false}), QStringList());

        const QString userOnly = m_dir.filePath(QStringLiteral("useronly.qmcat"));
        QStringList ddl = ks::test::oracleDictionaryDdl();
        ddl << QStringLiteral("DROP VIEW ALL_USERS") << QStringLiteral("ALTER TABLE DBA_USERS RENAME TO X_USERS");
        ks::test::makeCatalogue(userOnly, ddl);
        ks::ConnectionPtr limited
            = ks::OpenConnection(ks::test::oracleConnectionString(userOnly), QString(), QString());
        QCOMPARE(probeDictionaries(*limited), (std::array<bool, 3> {true, false, false}));
    }

    void probeOnUnopenedConnectionFindsNothing()
    {
        ks::ConnectionPtr connection = ks::OpenConnection(
            QStringLiteral("provider=OraOLEDB.Oracle;user id=a;password=b;data source=/nonexistent/x.qmcat"), QString(),
            QString());
        QCOMPARE(probeDictionaries(*connection), (std::array<bool, 3> {false, false, false}));
    }

    void definitions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("view with filter")
            << 2 << "View"
            << "EMP_V"
            << "SCOTT" << true << "View EMP_V in W"
            << "SELECT VIEW_NAME, TEXT FROM ALL_VIEWS WHERE OWNER = 'SCOTT' AND VIEW_NAME = 'EMP_V'"
            << QStringList {"select empno, ename\r\nfrom emp\r\nwhere deptno = 10"};
        QTest::newRow("view name with apostrophe")
            << 2 << "View"
            << "O'REILLY_V"
            << "SCOTT" << false << "View O'REILLY_V in W"
            << "SELECT VIEW_NAME, TEXT FROM ALL_VIEWS WHERE VIEW_NAME = 'O''REILLY_V'"
            << QStringList {"select * from dept where dname = 'O''Brien'"};
        QTest::newRow("package body source in line order")
            << 3 << "Package Body"
            << "PAY_PKG"
            << "SCOTT" << true << "Source of Package Body PAY_PKG in W"
            << "SELECT TEXT FROM ALL_SOURCE WHERE OWNER = 'SCOTT' AND TYPE='PACKAGE BODY' AND NAME='PAY_PKG' ORDER BY "
               "LINE"
            << QStringList {
                   "package body pay_pkg is", "  procedure raise_emp(p_empno number) is begin null; end;", "end;"};
        QTest::newRow("source stored with CR LF line ends")
            << 3 << "Procedure"
            << "WIN_PROC"
            << "SCOTT" << true << "Source of Procedure WIN_PROC in W"
            << "SELECT TEXT FROM ALL_SOURCE WHERE OWNER = 'SCOTT' AND TYPE='PROCEDURE' AND NAME='WIN_PROC' ORDER BY "
               "LINE"
            << QStringList {"procedure win_proc is", "begin null; end;"};
        QTest::newRow("table comment of two schemas")
            << 5 << "Table"
            << "EMP"
            << "SCOTT" << false << "Comment on Table EMP in W"
            << "SELECT COMMENTS FROM ALL_TAB_COMMENTS WHERE TABLE_NAME='EMP'"
            << QStringList {"Employees of the company", "Employees, old copy"};
        QTest::newRow("column comment NULL is an empty line")
            << 5 << "Column"
            << "DEPT.DEPTNO"
            << "SCOTT" << true << "Comment on Column DEPT.DEPTNO in W"
            << "SELECT COMMENTS FROM ALL_COL_COMMENTS WHERE OWNER = 'SCOTT' AND TABLE_NAME || '.' || COLUMN_NAME = "
               "'DEPT.DEPTNO'"
            << QStringList {""};
        QTest::newRow("trigger description") << 5 << "Trigger"
                                             << "EMPLOYEES.EMP_TRG"
                                             << "HR" << true << "Comment on Trigger EMPLOYEES.EMP_TRG in W"
                                             << "SELECT DESCRIPTION FROM ALL_TRIGGERS WHERE OWNER = 'HR' AND "
                                                "TABLE_NAME || '.' || TRIGGER_NAME = 'EMPLOYEES.EMP_TRG'"
                                             << QStringList {"emp_trg before insert on employees"};
        QTest::newRow("trigger body takes the owner from the row")
            << 6 << "Trigger"
            << "EMPLOYEES.EMP_TRG"
            << "HR" << true << "Source of Trigger EMPLOYEES.EMP_TRG in W"
            << "SELECT TRIGGER_BODY FROM ALL_TRIGGERS WHERE OWNER = 'HR' AND TABLE_NAME || '.' || TRIGGER_NAME = "
               "'EMPLOYEES.EMP_TRG'"
            << QStringList {"begin\r\n  :new.employee_id := emp_seq.nextval;\r\nend;"};
        QTest::newRow("owner with apostrophe stays one literal")
            << 5 << "Table"
            << "EMP"
            << "O'HARA" << true << "Comment on Table EMP in W"
            << "SELECT COMMENTS FROM ALL_TAB_COMMENTS WHERE OWNER = 'O''HARA' AND TABLE_NAME='EMP'"
            << QStringList {"Employees, old copy"};
    }

    void definitions()
    {
        QFETCH(int, kind);
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(QString, schema);
        QFETCH(bool, filter);
        ks::ResultRow row;
        row.rowKind = kind;
        row.type = type;
        row.name = name;
        row.schema = schema;
        SearchState state;
        state.searchPrefix = QStringLiteral("ALL");
        state.hasOwner = true;
        state.schemaFilter = filter;
        const std::optional<Definition> definition = definitionFor(row, state, QStringLiteral("W"));
        QVERIFY(definition);
        QTEST(definition->caption, "caption");
        QTEST(definition->sql, "sql");
        ks::ConnectionPtr connection
            = ks::OpenConnection(ks::test::oracleConnectionString(m_catalogue), QString(), QString());
        LineCollector output;
        writeDefinition(*connection, *definition, output);
        QTEST(output.lines, "lines");
    }

    void rowsWithoutDefinition()
    {
        SearchState state;
        state.searchPrefix = QStringLiteral("USER");
        for (int kind : {0, 1, 4}) {
            ks::ResultRow row;
            row.rowKind = kind;
            row.type = QStringLiteral("Table");
            QVERIFY(!definitionFor(row, state, QStringLiteral("W")));
        }
        ks::ResultRow odd;
        odd.rowKind = CommentText;
        odd.type = QStringLiteral("table");
        QVERIFY(!definitionFor(odd, state, QStringLiteral("W")));
    }

    void nonAsciiLettersMatchInEitherCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QStringList>("rows");
        // Database side (comments, names) and program side (view texts,
        // trigger bodies) agree on what a letter's capital is.
        // The names CAFE_V and CAFE_TRG hold an E, not an É.
        const QStringList everything {"CAFE_V|View|SCOTT|View Definition|2",
            "EMP.CAFE_TRG|Trigger|SCOTT|Trigger Definition|6", "CAFE_V|Table|SCOTT|Table Comment|5"};
        QTest::newRow("lower-case search text, ignore case") << "café" << true << everything;
        QTest::newRow("capital search text, ignore case") << "CAFÉ" << true << everything;
        QTest::newRow("exact case finds only what is written so")
            << "café" << false << QStringList {"CAFE_V|View|SCOTT|View Definition|2"};
        QTest::newRow("sharp s has no two-letter capital") << "strasse" << true << QStringList {};
        QTest::newRow("sharp s found as itself")
            << "straße" << true << QStringList {"CAFE_V|View|SCOTT|View Definition|2"};
    }

    void nonAsciiLettersMatchInEitherCase()
    {
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(QStringList, rows);
        const QString file = m_dir.filePath(QStringLiteral("cafe.qmcat"));
        if (!QFile::exists(file)) {
            QStringList sql = ks::test::oracleDictionaryDdl();
            sql << QStringLiteral("INSERT INTO DBA_OBJECTS VALUES ('SCOTT', 'CAFE_V', 'VIEW'), "
                                  "('SCOTT', 'CAFE_TRG', 'TRIGGER')")
                << QStringLiteral("INSERT INTO DBA_VIEWS VALUES ('SCOTT', 'CAFE_V', "
                                  "'select * from orders where shop = ''café'' and street = ''Hauptstraße''')")
                << QStringLiteral("INSERT INTO DBA_TAB_COMMENTS VALUES ('SCOTT', 'CAFE_V', 'Orders of the Café')")
                << QStringLiteral("INSERT INTO DBA_TRIGGERS VALUES ('SCOTT', 'CAFE_TRG', 'EMP', 'cafe_trg', "
                                  "'begin' || char(10) || '  log(''CAFÉ'');' || char(10) || 'end;')");
            ks::test::makeCatalogue(file, sql);
        }
        const SearchRequest req = request(QStringLiteral("ALL"), text, QStringLiteral("(all)"), ignoreCase);
        ks::ConnectionPtr connection = ks::OpenConnection(ks::test::oracleConnectionString(file), QString(), QString());
        QStringList actual;
        runSearch(
            *connection, makeSearchState(req), req, [&actual](const ks::ResultRow &row) { actual << describe(row); });
        actual.sort();
        rows.sort();
        QCOMPARE(actual, rows);
    }

    void bareLineFeedsBecomeCrLf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("LF line ends") << "a\nb\nc"
                                      << "a\r\nb\r\nc";
        QTest::newRow("CR LF line ends stay") << "a\r\nb\r\nc"
                                              << "a\r\nb\r\nc";
        QTest::newRow("mixed") << "a\r\nb\nc\r\n"
                               << "a\r\nb\r\nc\r\n";
        QTest::newRow("LF first") << "\na"
                                  << "\r\na";
        QTest::newRow("empty lines") << "\n\n"
                                     << "\r\n\r\n";
        QTest::newRow("CR alone stays") << "a\rb"
                                        << "a\rb";
        QTest::newRow("CR CR LF keeps both CRs") << "a\r\r\nb"
                                                 << "a\r\r\nb";
        QTest::newRow("no line end") << "select 1"
                                     << "select 1";
        QTest::newRow("empty") << ""
                               << "";
    }

    void bareLineFeedsBecomeCrLf()
    {
        QFETCH(QString, text);
        QTEST(ks::bareLfToCrLf(text), "shown");
    }

    void definitionsStoredWithCrLfShowEachLineOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("view with CR LF") << int(ViewText) << "WIN_V"
                                         << "View" << QStringList {"select empno\r\n  from emp\r\n where 1 = 1"};
        QTest::newRow("view with mixed line ends")
            << int(ViewText) << "MIXED_V"
            << "View" << QStringList {"select empno\r\n  from emp\r\n where 1 = 1\r\n"};
        QTest::newRow("trigger body with mixed line ends") << int(TriggerBody) << "EMP.MIXED_TRG"
                                                           << "Trigger" << QStringList {"begin\r\n  null;\r\nend;"};
        QTest::newRow("comment with CR LF") << int(CommentText) << "EMP"
                                            << "Table" << QStringList {"first line\r\nsecond line"};
    }

    void definitionsStoredWithCrLfShowEachLineOnce()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QStringList, lines);
        const QString file = m_dir.filePath(QStringLiteral("crlf.qmcat"));
        if (!QFile::exists(file)) {
            QStringList sql = ks::test::oracleDictionaryDdl();
            sql << QStringLiteral("INSERT INTO DBA_VIEWS VALUES ('SCOTT', 'WIN_V', 'select empno' || char(13, 10) "
                                  "|| '  from emp' || char(13, 10) || ' where 1 = 1')")
                << QStringLiteral("INSERT INTO DBA_VIEWS VALUES ('SCOTT', 'MIXED_V', 'select empno' || char(13, 10) "
                                  "|| '  from emp' || char(10) || ' where 1 = 1' || char(13, 10))")
                << QStringLiteral("INSERT INTO DBA_TRIGGERS VALUES ('SCOTT', 'MIXED_TRG', 'EMP', 'mixed_trg', "
                                  "'begin' || char(10) || '  null;' || char(13, 10) || 'end;')")
                << QStringLiteral("INSERT INTO DBA_TAB_COMMENTS VALUES ('SCOTT', 'EMP', 'first line' || char(13, 10) "
                                  "|| 'second line')");
            ks::test::makeCatalogue(file, sql);
        }
        ks::ResultRow row;
        row.rowKind = kind;
        row.name = name;
        row.type = type;
        row.schema = QStringLiteral("SCOTT");
        SearchState state;
        state.searchPrefix = QStringLiteral("ALL");
        state.hasOwner = true;
        const std::optional<Definition> definition = definitionFor(row, state, QStringLiteral("W"));
        QVERIFY(definition);
        ks::ConnectionPtr connection = ks::OpenConnection(ks::test::oracleConnectionString(file), QString(), QString());
        LineCollector output;
        writeDefinition(*connection, *definition, output);
        QCOMPARE(output.lines, lines);
    }

    void demoCatalogue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QStringList>("mustList");
        QTest::addColumn<QStringList>("mustNotList");
        const QString customers = QStringLiteral("CUSTOMERS|Table|SALES|Table Comment|5");
        const QString currency = QStringLiteral("ORDERS.CURRENCY_CODE|Column|SALES|Column Comment|5");
        const QString ordersView = QStringLiteral("CUSTOMER_ORDERS_V|View|SALES|View Definition|2");
        QTest::newRow("café ignoring case finds Café and CAFÉ")
            << "café" << true << QStringList {customers, currency} << QStringList {};
        QTest::newRow("CAFÉ ignoring case finds both as well")
            << "CAFÉ" << true << QStringList {customers, currency} << QStringList {};
        QTest::newRow("Café in its own case finds only that one")
            << "Café" << false << QStringList {customers} << QStringList {currency};
        QTest::newRow("view text found ignoring case")
            << "zürich" << true << QStringList {ordersView} << QStringList {};
        QTest::newRow("view text in its own case") << "zürich" << false << QStringList {} << QStringList {ordersView};
    }

    void demoCatalogue()
    {
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(QStringList, mustList);
        QFETCH(QStringList, mustNotList);
        const QString demo = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        if (demo.isEmpty() || !QFileInfo::exists(demo))
            QSKIP("the demo catalogue has not been built");
        const SearchRequest req = request(QStringLiteral("DBA"), text, QStringLiteral("(all)"), ignoreCase);
        ks::ConnectionPtr connection = ks::OpenConnection(ks::test::oracleConnectionString(demo), QString(), QString());
        QStringList actual;
        runSearch(
            *connection, makeSearchState(req), req, [&actual](const ks::ResultRow &row) { actual << describe(row); });
        for (const QString &row : mustList)
            QVERIFY2(actual.contains(row), qPrintable(row + QStringLiteral(" missing from: ") + actual.join(u'\n')));
        for (const QString &row : mustNotList)
            QVERIFY2(!actual.contains(row), qPrintable(row));
    }

    void demoViewWithCrLfShowsEachLineOnce()
    {
        const QString demo = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        if (demo.isEmpty() || !QFileInfo::exists(demo))
            QSKIP("the demo catalogue has not been built");
        ks::ResultRow row;
        row.rowKind = ViewText;
        row.name = QStringLiteral("IMPORT_ERRORS_V");
        row.type = QStringLiteral("View");
        row.schema = QStringLiteral("SALES");
        SearchState state;
        state.searchPrefix = QStringLiteral("ALL");
        state.hasOwner = true;
        state.schemaFilter = true;
        const std::optional<Definition> windows = definitionFor(row, state, QStringLiteral("W"));
        QVERIFY(windows);
        ks::ConnectionPtr connection = ks::OpenConnection(ks::test::oracleConnectionString(demo), QString(), QString());
        LineCollector output;
        writeDefinition(*connection, *windows, output);
        QCOMPARE(output.lines.size(), 1);
        // Three lines in the viewer, no empty one after each.
        QCOMPARE(output.lines.front().split(QStringLiteral("\r\n")),
            (QStringList {
                "SELECT file_name, line_no, error_text", "  FROM order_import", " WHERE error_text IS NOT NULL"}));
        QVERIFY(!output.lines.front().contains(QStringLiteral("\r\r")));

        // A view stored with LF shows as before: each LF a CR LF.
        row.name = QStringLiteral("EMP_DETAILS_VIEW");
        row.schema = QStringLiteral("HR");
        const std::optional<Definition> unix = definitionFor(row, state, QStringLiteral("W"));
        QVERIFY(unix);
        LineCollector lfOutput;
        writeDefinition(*connection, *unix, lfOutput);
        QCOMPARE(lfOutput.lines.size(), 1);
        QCOMPARE(lfOutput.lines.front().count(QStringLiteral("\r\n")), 29);
        QCOMPARE(lfOutput.lines.front().count(u'\n'), 29);
        QVERIFY(!lfOutput.lines.front().contains(QStringLiteral("\r\r")));
    }

    void catalogueWithoutDictionaryFailsWithEngineMessage()
    {
        const QString empty = m_dir.filePath(QStringLiteral("nodictionary.qmcat"));
        ks::test::makeCatalogue(empty, {QStringLiteral("CREATE TABLE NOTES (TEXT TEXT)")});
        ks::ConnectionPtr connection
            = ks::OpenConnection(ks::test::oracleConnectionString(empty), QString(), QString());
        QCOMPARE(connection->state(), 1);
        QCOMPARE(probeDictionaries(*connection), (std::array<bool, 3> {false, false, false}));
        const SearchRequest req = request(QStringLiteral("ALL"), QStringLiteral("emp"));
        QStringList actual;
        QString message;
        try {
            runSearch(*connection, makeSearchState(req), req,
                [&actual](const ks::ResultRow &row) { actual << describe(row); });
        } catch (const ks::Error &error) {
            message = error.message();
        }
        QCOMPARE(message, QStringLiteral("no such table: ALL_OBJECTS"));
        QVERIFY(actual.isEmpty());
    }

    void corruptCatalogueEndsSearchKeepingRows_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::addColumn<bool>("midSearch");
        // Pages overwritten near the end of the file: the views read from
        // there fail after the names and the first views are listed.
        QTest::newRow("pages overwritten") << false << true;
        // A file shorter than its header says.
        QTest::newRow("file cut short") << true << false;
    }

    void corruptCatalogueEndsSearchKeepingRows()
    {
        QFETCH(bool, truncate);
        QFETCH(bool, midSearch);
        const QString intact = m_dir.filePath(QStringLiteral("intact.qmcat"));
        QStringList sql = ks::test::oracleFixture();
        // Many views of a kilobyte each, all of them found: the last pages of
        // the file hold them.
        sql << QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                              "INSERT INTO DBA_VIEWS SELECT 'SCOTT', printf('BULK_%03d_V', i), "
                              "'select empno from emp where ' || replace(hex(zeroblob(500)), '00', 'x ') FROM n");
        ks::test::makeCatalogue(intact, sql);
        const SearchRequest req = request(QStringLiteral("ALL"), QStringLiteral("emp"));
        const auto search = [&req](const QString &file, QStringList &rows) {
            ks::ConnectionPtr connection
                = ks::OpenConnection(ks::test::oracleConnectionString(file), QString(), QString());
            try {
                runSearch(*connection, makeSearchState(req), req,
                    [&rows](const ks::ResultRow &row) { rows << describe(row); });
            } catch (const ks::Error &error) {
                return error.message();
            }
            return QString();
        };
        QStringList complete;
        QCOMPARE(search(intact, complete), QString());
        QCOMPARE_GT(complete.size(), 400);

        const QString broken = m_dir.filePath(QStringLiteral("corrupt.qmcat"));
        QFile::remove(broken);
        QVERIFY(QFile::copy(intact, broken));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 pageSize = 4096;
        const qint64 cut = file.size() * 3 / 5 / pageSize * pageSize;
        QVERIFY(cut > pageSize);
        if (truncate) {
            QVERIFY(file.resize(cut));
        } else {
            QVERIFY(file.seek(cut));
            const QByteArray garbage(file.size() - cut, '\xA5');
            QCOMPARE(file.write(garbage), garbage.size());
        }
        file.close();

        QStringList listed;
        const QString message = search(broken, listed);
        QVERIFY2(message.contains(QStringLiteral("malformed")), qPrintable(message));
        // What was listed before the engine gave up is what an intact file lists first.
        QCOMPARE(listed, complete.mid(0, listed.size()));
        if (midSearch) {
            QVERIFY(listed.contains(QStringLiteral("EMP_V|View|SCOTT|View Name|1")));
            QVERIFY(listed.contains(QStringLiteral("BULK_001_V|View|SCOTT|View Definition|2")));
            QCOMPARE_LT(listed.size(), complete.size());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
};

QTEST_GUILESS_MAIN(TestOracleSearch)
#include "tst_oraclesearch.moc"
