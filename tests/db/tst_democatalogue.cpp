// The Oracle demo catalogue and the tools that make catalogue files: the demo
// looks like a small Oracle database through all three dictionary families,
// the program's statements run on it unchanged, make_catalogue splits scripts
// safely and gen_catalogue makes what it is asked for.

#include "db/KsFileDialect.h"
#include "db/KsSqlLike.h"
#include "db/KsUtf8.h"
#include "kinds/oracle/OracleFileDialect.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <algorithm>

namespace {

QString demoCataloguePath()
{
    const QString fromCtest = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
    return fromCtest.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../data/oracle-demo.qmcat")
                               : fromCtest;
}

// The build's tools; QUILLMERE_TOOLS_DIR names their directory when they are
// not next to the tests' one.
QString toolPath(const QString &name)
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLMERE_TOOLS_DIR");
    const QString directory = fromEnvironment.isEmpty()
        ? QCoreApplication::applicationDirPath() + QStringLiteral("/../tools")
        : fromEnvironment;
    return directory + u'/' + name;
}

struct ToolRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

ToolRun runTool(const QString &name, const QStringList &arguments)
{
    QProcess process;
    process.start(toolPath(name), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        run.errors = name + QStringLiteral(" did not run: ") + process.errorString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A read-only QSQLITE connection to a catalogue file, with the Oracle dialect
// the program registers, removed again at the end of the scope.
class Catalogue {
public:
    explicit Catalogue(const QString &path)
        : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            m_error = db.lastError().text();
            return;
        }
        try {
            ks::oracle::installFileDialect(ks::sqliteHandle(db));
        } catch (const std::exception &error) {
            m_error = QString::fromUtf8(error.what());
        }
    }
    ~Catalogue()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    // Empty when the file opened and the dialect is in place.
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_error;
};

struct Rows {
    bool ok = false;
    QString error;
    QList<QStringList> rows; // fields as text, NULL as the empty text
};

Rows select(const QSqlDatabase &db, const QString &sql)
{
    Rows result;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        result.error = query.lastError().text() + QStringLiteral(" in: ") + sql;
        return result;
    }
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.value(i).toString();
        result.rows << fields;
    }
    result.ok = true;
    return result;
}

// The first field of the first row, or the error text.
QString scalar(const QSqlDatabase &db, const QString &sql)
{
    const Rows result = select(db, sql);
    if (!result.ok)
        return result.error;
    return result.rows.isEmpty() ? QStringLiteral("(no row)") : result.rows.first().first();
}

QStringList firstColumn(const Rows &rows)
{
    QStringList values;
    for (const QStringList &row : rows.rows)
        values << row.first();
    return values;
}

// The eight search statements of the Oracle connection window, with the
// owner quoted as an SQL literal.
QStringList searchStatements(const QString &prefix, const QString &find, bool ignoreCase, const QString &schema)
{
    const QString q = QString(find).replace(u'\'', QStringLiteral("''"));
    QString uq = q;
    for (QChar &c : uq) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    const bool hasOwner = prefix != QStringLiteral("USER");
    const bool filter = hasOwner && !schema.isEmpty();
    const QString s = QString(schema).replace(u'\'', QStringLiteral("''"));
    const QString oc = hasOwner ? QStringLiteral(", OWNER ") : QStringLiteral(", '' ");
    const QString f
        = filter ? QStringLiteral("WHERE OWNER = '") + s + QStringLiteral("' ") : QStringLiteral("WHERE 1=1 ");
    const QString ownerOnly = filter ? QStringLiteral("WHERE OWNER = '") + s + QStringLiteral("' ") : QString();
    const auto test = [&](const QString &column) {
        return ignoreCase ? QStringLiteral("UPPER(%1) LIKE '%%2%' ").arg(column, uq)
                          : QStringLiteral("%1 LIKE '%%2%' ").arg(column, q);
    };
    return {
        QStringLiteral("SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) ") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_OBJECTS WHERE ") + test(QStringLiteral("OBJECT_NAME"))
            + (filter ? QStringLiteral("AND OWNER = '") + s + QStringLiteral("' ") : QString())
            + QStringLiteral("ORDER BY 1, 2"),
        QStringLiteral("SELECT VIEW_NAME, TEXT") + oc + QStringLiteral("FROM ") + prefix + QStringLiteral("_VIEWS ")
            + ownerOnly,
        QStringLiteral("SELECT TABLE_NAME || '.' || COLUMN_NAME") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_TAB_COLUMNS ") + f + QStringLiteral("AND ") + test(QStringLiteral("COLUMN_NAME"))
            + QStringLiteral("ORDER BY 1"),
        QStringLiteral("SELECT TABLE_NAME") + oc + QStringLiteral("FROM ") + prefix + QStringLiteral("_TAB_COMMENTS ")
            + f + QStringLiteral("AND ") + test(QStringLiteral("COMMENTS")) + QStringLiteral("ORDER BY 1"),
        QStringLiteral("SELECT TABLE_NAME || '.' || COLUMN_NAME") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_COL_COMMENTS ") + f + QStringLiteral("AND ") + test(QStringLiteral("COMMENTS"))
            + QStringLiteral("ORDER BY 1"),
        QStringLiteral("SELECT TABLE_NAME || '.' || TRIGGER_NAME") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_TRIGGERS ") + f + QStringLiteral("AND ") + test(QStringLiteral("DESCRIPTION"))
            + QStringLiteral("ORDER BY 1"),
        QStringLiteral("SELECT NAME, INITCAP(TYPE)") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_SOURCE ") + f + QStringLiteral("AND ") + test(QStringLiteral("TEXT"))
            + QStringLiteral("GROUP BY NAME, INITCAP(TYPE)") + oc + QStringLiteral("ORDER BY 1, 2"),
        QStringLiteral("SELECT TABLE_NAME || '.' || TRIGGER_NAME, TRIGGER_BODY") + oc + QStringLiteral("FROM ") + prefix
            + QStringLiteral("_TRIGGERS ") + ownerOnly,
    };
}

const QStringList kPrefixes {QStringLiteral("USER"), QStringLiteral("ALL"), QStringLiteral("DBA")};
const QStringList kDictionaryViews {QStringLiteral("USERS"), QStringLiteral("OBJECTS"), QStringLiteral("VIEWS"),
    QStringLiteral("TAB_COLUMNS"), QStringLiteral("TAB_COMMENTS"), QStringLiteral("COL_COMMENTS"),
    QStringLiteral("TRIGGERS"), QStringLiteral("SOURCE")};

// Queries that count what breaks the dictionary's own rules; each must give 0.
struct Rule {
    const char *what;
    const char *sql;
};

constexpr Rule kConsistencyRules[] = {
    {"view without its object",
        "SELECT count(*) FROM DBA_VIEWS V WHERE NOT EXISTS (SELECT 1 FROM DBA_OBJECTS O "
        "WHERE O.OWNER = V.OWNER AND O.OBJECT_NAME = V.VIEW_NAME AND O.OBJECT_TYPE = 'VIEW')"},
    {"view object without its text",
        "SELECT count(*) FROM DBA_OBJECTS O WHERE O.OBJECT_TYPE = 'VIEW' AND NOT EXISTS (SELECT 1 FROM DBA_VIEWS V "
        "WHERE V.OWNER = O.OWNER AND V.VIEW_NAME = O.OBJECT_NAME)"},
    {"source without its object",
        "SELECT count(*) FROM (SELECT DISTINCT OWNER, NAME, TYPE FROM DBA_SOURCE) S WHERE NOT EXISTS (SELECT 1 "
        "FROM DBA_OBJECTS O WHERE O.OWNER = S.OWNER AND O.OBJECT_NAME = S.NAME AND O.OBJECT_TYPE = S.TYPE)"},
    {"program unit without source",
        "SELECT count(*) FROM DBA_OBJECTS O WHERE O.OBJECT_TYPE IN ('PACKAGE', 'PACKAGE BODY', 'PROCEDURE', "
        "'FUNCTION', 'TRIGGER') AND NOT EXISTS (SELECT 1 FROM DBA_SOURCE S WHERE S.OWNER = O.OWNER "
        "AND S.NAME = O.OBJECT_NAME AND S.TYPE = O.OBJECT_TYPE)"},
    {"trigger without its object",
        "SELECT count(*) FROM DBA_TRIGGERS T WHERE NOT EXISTS (SELECT 1 FROM DBA_OBJECTS O WHERE O.OWNER = T.OWNER "
        "AND O.OBJECT_NAME = T.TRIGGER_NAME AND O.OBJECT_TYPE = 'TRIGGER')"},
    {"trigger object without its trigger",
        "SELECT count(*) FROM DBA_OBJECTS O WHERE O.OBJECT_TYPE = 'TRIGGER' AND NOT EXISTS (SELECT 1 "
        "FROM DBA_TRIGGERS T WHERE T.OWNER = O.OWNER AND T.TRIGGER_NAME = O.OBJECT_NAME)"},
    {"trigger on a missing table",
        "SELECT count(*) FROM DBA_TRIGGERS T WHERE NOT EXISTS (SELECT 1 FROM DBA_OBJECTS O WHERE "
        "O.OWNER = T.TABLE_OWNER AND O.OBJECT_NAME = T.TABLE_NAME AND O.OBJECT_TYPE = 'TABLE')"},
    {"trigger without description or body",
        "SELECT count(*) FROM DBA_TRIGGERS WHERE coalesce(DESCRIPTION, '') = '' OR coalesce(TRIGGER_BODY, '') = ''"},
    {"columns of a missing table or view",
        "SELECT count(*) FROM DBA_TAB_COLUMNS C WHERE NOT EXISTS (SELECT 1 FROM DBA_OBJECTS O WHERE "
        "O.OWNER = C.OWNER AND O.OBJECT_NAME = C.TABLE_NAME AND O.OBJECT_TYPE IN ('TABLE', 'VIEW'))"},
    {"table or view without columns",
        "SELECT count(*) FROM DBA_OBJECTS O WHERE O.OBJECT_TYPE IN ('TABLE', 'VIEW') AND NOT EXISTS (SELECT 1 "
        "FROM DBA_TAB_COLUMNS C WHERE C.OWNER = O.OWNER AND C.TABLE_NAME = O.OBJECT_NAME)"},
    {"table or view without its comment row",
        "SELECT count(*) FROM DBA_OBJECTS O WHERE O.OBJECT_TYPE IN ('TABLE', 'VIEW') AND NOT EXISTS (SELECT 1 "
        "FROM DBA_TAB_COMMENTS T WHERE T.OWNER = O.OWNER AND T.TABLE_NAME = O.OBJECT_NAME "
        "AND T.TABLE_TYPE = O.OBJECT_TYPE)"},
    {"comment row of a missing table or view",
        "SELECT count(*) FROM DBA_TAB_COMMENTS T WHERE NOT EXISTS (SELECT 1 FROM DBA_OBJECTS O WHERE "
        "O.OWNER = T.OWNER AND O.OBJECT_NAME = T.TABLE_NAME AND O.OBJECT_TYPE = T.TABLE_TYPE)"},
    {"column without its comment row",
        "SELECT count(*) FROM DBA_TAB_COLUMNS C WHERE NOT EXISTS (SELECT 1 FROM DBA_COL_COMMENTS K WHERE "
        "K.OWNER = C.OWNER AND K.TABLE_NAME = C.TABLE_NAME AND K.COLUMN_NAME = C.COLUMN_NAME)"},
    {"comment row of a missing column",
        "SELECT count(*) FROM DBA_COL_COMMENTS K WHERE NOT EXISTS (SELECT 1 FROM DBA_TAB_COLUMNS C WHERE "
        "C.OWNER = K.OWNER AND C.TABLE_NAME = K.TABLE_NAME AND C.COLUMN_NAME = K.COLUMN_NAME)"},
    {"column ids not numbered 1 to n",
        "SELECT count(*) FROM (SELECT min(COLUMN_ID) AS FIRST, max(COLUMN_ID) AS LAST, count(*) AS N "
        "FROM DBA_TAB_COLUMNS GROUP BY OWNER, TABLE_NAME) WHERE FIRST <> 1 OR LAST <> N"},
    {"source lines not numbered 1 to n",
        "SELECT count(*) FROM (SELECT min(LINE) AS FIRST, max(LINE) AS LAST, count(*) AS N "
        "FROM DBA_SOURCE GROUP BY OWNER, NAME, TYPE) WHERE FIRST <> 1 OR LAST <> N"},
    {"source line not ended by exactly one line feed, or the last line ended by one",
        "SELECT count(*) FROM DBA_SOURCE S JOIN (SELECT OWNER, NAME, TYPE, max(LINE) AS LAST FROM DBA_SOURCE "
        "GROUP BY 1, 2, 3) L ON L.OWNER = S.OWNER AND L.NAME = S.NAME AND L.TYPE = S.TYPE "
        "WHERE instr(substr(S.TEXT, 1, length(S.TEXT) - 1), char(10)) > 0 "
        "OR (S.LINE < L.LAST) <> (substr(S.TEXT, -1) = char(10))"},
    {"carriage return in source or trigger text",
        "SELECT (SELECT count(*) FROM DBA_SOURCE WHERE instr(TEXT, char(13)) > 0) + (SELECT count(*) "
        "FROM DBA_TRIGGERS WHERE instr(TRIGGER_BODY || DESCRIPTION, char(13)) > 0)"},
    {"view TEXT_LENGTH other than the bytes of its text",
        "SELECT count(*) FROM DBA_VIEWS WHERE TEXT_LENGTH IS NOT length(CAST(TEXT AS BLOB))"},
    {"owner that is no user",
        "SELECT count(*) FROM (SELECT OWNER FROM DBA_OBJECTS UNION SELECT OWNER FROM DBA_TAB_COLUMNS "
        "UNION SELECT OWNER FROM DBA_SOURCE UNION SELECT OWNER FROM DBA_TRIGGERS UNION SELECT TABLE_OWNER "
        "FROM DBA_TRIGGERS) X WHERE NOT EXISTS (SELECT 1 FROM DBA_USERS U WHERE U.USERNAME = X.OWNER)"},
    {"session user missing or not one user",
        "SELECT (SELECT count(*) FROM CATALOGUE_SESSION) <> 1 OR NOT EXISTS (SELECT 1 FROM DBA_USERS "
        "WHERE USERNAME = (SELECT USERNAME FROM CATALOGUE_SESSION))"},
};

// Fails the running test for every rule the catalogue breaks.
void checkConsistency(const QSqlDatabase &db)
{
    for (const Rule &rule : kConsistencyRules) {
        const QString violations = scalar(db, QString::fromLatin1(rule.sql));
        QVERIFY2(violations == QStringLiteral("0"),
            qPrintable(QStringLiteral("%1: %2").arg(QString::fromLatin1(rule.what), violations)));
    }
}

// Every table and view of the file with its columns, for comparing dictionaries.
QStringList dictionaryShape(const QSqlDatabase &db)
{
    QStringList shape;
    const Rows names = select(db,
        QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                       "AND name NOT LIKE 'sqlite%' ORDER BY name"));
    for (const QString &name : firstColumn(names)) {
        const QSqlRecord record = db.record(name);
        QStringList fields;
        for (int i = 0; i < record.count(); ++i)
            fields << record.fieldName(i);
        shape << name + u'(' + fields.join(u',') + u')';
    }
    return shape;
}

// A digest of every row of the dictionary tables.
QByteArray contentDigest(const QSqlDatabase &db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &table :
        {QStringLiteral("DBA_USERS"), QStringLiteral("DBA_OBJECTS"), QStringLiteral("DBA_VIEWS"),
            QStringLiteral("DBA_TAB_COLUMNS"), QStringLiteral("DBA_TAB_COMMENTS"), QStringLiteral("DBA_COL_COMMENTS"),
            QStringLiteral("DBA_TRIGGERS"), QStringLiteral("DBA_SOURCE"), QStringLiteral("CATALOGUE_SESSION")}) {
        const Rows rows = select(db, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        hash.addData(table.toUtf8());
        for (const QStringList &row : rows.rows)
            hash.addData(row.join(QChar(0)).toUtf8() + '\x01');
    }
    return hash.result();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDemoCatalogue : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void everyFamilyAnswersTheUserProbe_data();
    void everyFamilyAnswersTheUserProbe();
    void schemaListHoldsEveryUser();
    void dictionaryViewsHaveOraclesColumns_data();
    void dictionaryViewsHaveOraclesColumns();
    void userFamilyShowsTheSessionUsersRowsOnly_data();
    void userFamilyShowsTheSessionUsersRowsOnly();
    void allFamilyLeavesOutOnlySysInternals_data();
    void allFamilyLeavesOutOnlySysInternals();
    void demoDictionaryIsConsistent();
    void everyKindOfObjectIsThere_data();
    void everyKindOfObjectIsThere();
    void searchStatementsRunOnEveryFamily_data();
    void searchStatementsRunOnEveryFamily();
    void userFamilyRowsHaveNoOwner();
    void objectFoundByNameAndByText();
    void viewEndsWithACommonWord();
    void apostropheInViewAndOwnerNames();
    void nonAsciiTextSurvives();
    void textsHaveLineFeedEnds();
    void tableInTwoSchemasHasTwoComments();
    void definitionStatementsReturnTheTexts_data();
    void definitionStatementsReturnTheTexts();
    void dialectAgreesWithTheTextFunctions_data();
    void dialectAgreesWithTheTextFunctions();

    void makeCatalogueSplitsOnlyAtStatementEnds_data();
    void makeCatalogueSplitsOnlyAtStatementEnds();
    void makeCatalogueFailureKeepsTheOldFile();
    void makeCatalogueReportsUnclosedLiteral();

    void generatorMakesTheRequestedCounts_data();
    void generatorMakesTheRequestedCounts();
    void generatorIsDeterministic();
    void generatorRejectsBadArguments();

private:
    std::unique_ptr<Catalogue> m_demo;
    QSqlDatabase db() const { return m_demo->db(); }
};

void TestDemoCatalogue::initTestCase()
{
    const QString path = demoCataloguePath();
    QVERIFY2(
        QFile::exists(path), qPrintable(path + QStringLiteral(" is missing; build the oracle_demo_catalogue target")));
    m_demo = std::make_unique<Catalogue>(path);
    QVERIFY2(m_demo->error().isEmpty(), qPrintable(m_demo->error()));
}

void TestDemoCatalogue::cleanupTestCase()
{
    m_demo.reset();
}

void TestDemoCatalogue::everyFamilyAnswersTheUserProbe_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("users");
    const QStringList everyone {QStringLiteral("DBSNMP"), QStringLiteral("HR"), QStringLiteral("O'NEIL"),
        QStringLiteral("OUTLN"), QStringLiteral("SALES"), QStringLiteral("SCOTT"), QStringLiteral("SYS"),
        QStringLiteral("SYSTEM")};
    QTest::newRow("USER") << QStringLiteral("USER") << QStringList {QStringLiteral("HR")};
    QTest::newRow("ALL") << QStringLiteral("ALL") << everyone;
    QTest::newRow("DBA") << QStringLiteral("DBA") << everyone;
}

void TestDemoCatalogue::everyFamilyAnswersTheUserProbe()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, users);
    const Rows rows
        = select(db(), QStringLiteral("select username from ") + prefix + QStringLiteral("_users order by username"));
    QVERIFY2(rows.ok, qPrintable(rows.error));
    QCOMPARE(firstColumn(rows), users);
}

void TestDemoCatalogue::schemaListHoldsEveryUser()
{
    const Rows dba = select(db(), QStringLiteral("select username from DBA_users"));
    const Rows all = select(db(), QStringLiteral("select username from ALL_users"));
    QVERIFY2(dba.ok && all.ok, qPrintable(dba.error + all.error));
    QStringList dbaNames = firstColumn(dba);
    QStringList allNames = firstColumn(all);
    dbaNames.sort();
    allNames.sort();
    QCOMPARE(allNames, dbaNames);
    QVERIFY(dbaNames.contains(QStringLiteral("SALES")));
}

void TestDemoCatalogue::dictionaryViewsHaveOraclesColumns_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<bool>("hasOwner");
    const QList<QPair<QString, QStringList>> views {
        {QStringLiteral("USERS"), {QStringLiteral("USERNAME"), QStringLiteral("USER_ID"), QStringLiteral("CREATED")}},
        {QStringLiteral("OBJECTS"),
            {QStringLiteral("OBJECT_NAME"), QStringLiteral("OBJECT_ID"), QStringLiteral("OBJECT_TYPE"),
                QStringLiteral("CREATED"), QStringLiteral("LAST_DDL_TIME"), QStringLiteral("STATUS")}},
        {QStringLiteral("VIEWS"), {QStringLiteral("VIEW_NAME"), QStringLiteral("TEXT_LENGTH"), QStringLiteral("TEXT")}},
        {QStringLiteral("TAB_COLUMNS"),
            {QStringLiteral("TABLE_NAME"), QStringLiteral("COLUMN_NAME"), QStringLiteral("DATA_TYPE"),
                QStringLiteral("DATA_LENGTH"), QStringLiteral("DATA_PRECISION"), QStringLiteral("DATA_SCALE"),
                QStringLiteral("NULLABLE"), QStringLiteral("COLUMN_ID")}},
        {QStringLiteral("TAB_COMMENTS"),
            {QStringLiteral("TABLE_NAME"), QStringLiteral("TABLE_TYPE"), QStringLiteral("COMMENTS")}},
        {QStringLiteral("COL_COMMENTS"),
            {QStringLiteral("TABLE_NAME"), QStringLiteral("COLUMN_NAME"), QStringLiteral("COMMENTS")}},
        {QStringLiteral("TRIGGERS"),
            {QStringLiteral("TRIGGER_NAME"), QStringLiteral("TRIGGER_TYPE"), QStringLiteral("TRIGGERING_EVENT"),
                QStringLiteral("TABLE_OWNER"), QStringLiteral("TABLE_NAME"), QStringLiteral("STATUS"),
                QStringLiteral("DESCRIPTION"), QStringLiteral("TRIGGER_BODY")}},
        {QStringLiteral("SOURCE"),
            {QStringLiteral("NAME"), QStringLiteral("TYPE"), QStringLiteral("LINE"), QStringLiteral("TEXT")}},
    };
    for (const QString &prefix : kPrefixes) {
        for (const auto &[view, columns] : views) {
            const QString name = prefix + u'_' + view;
            // Oracle's USER_ views have no OWNER column; the _USERS views have none at all.
            const bool hasOwner = prefix != QStringLiteral("USER") && view != QStringLiteral("USERS");
            QTest::newRow(qPrintable(name)) << name << columns << hasOwner;
        }
    }
}

void TestDemoCatalogue::dictionaryViewsHaveOraclesColumns()
{
    QFETCH(QString, view);
    QFETCH(QStringList, columns);
    QFETCH(bool, hasOwner);
    const QSqlRecord record = db().record(view);
    QVERIFY2(!record.isEmpty(), qPrintable(view + QStringLiteral(" is missing")));
    for (const QString &column : columns)
        QVERIFY2(record.contains(column), qPrintable(view + QStringLiteral(" has no ") + column));
    QCOMPARE(record.contains(QStringLiteral("OWNER")), hasOwner);
    // Every view answers a query, and none is empty.
    QCOMPARE_GT(scalar(db(), QStringLiteral("SELECT count(*) FROM ") + view).toInt(), 0);
}

void TestDemoCatalogue::userFamilyShowsTheSessionUsersRowsOnly_data()
{
    QTest::addColumn<QString>("view");
    for (const QString &view : kDictionaryViews.mid(1))
        QTest::newRow(qPrintable(view)) << view;
}

void TestDemoCatalogue::userFamilyShowsTheSessionUsersRowsOnly()
{
    QFETCH(QString, view);
    const QString users = scalar(db(), QStringLiteral("SELECT count(*) FROM USER_") + view);
    const QString hrs = scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_%1 WHERE OWNER = 'HR'").arg(view));
    QCOMPARE(users, hrs);
    QCOMPARE_GT(users.toInt(), 0);
    QCOMPARE_LT(users.toInt(), scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_") + view).toInt());
}

void TestDemoCatalogue::allFamilyLeavesOutOnlySysInternals_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("hidden"); // SYS rows the ALL_ family must not show
    QTest::newRow("OBJECTS") << QStringLiteral(
        "OBJECTS") << QStringLiteral("substr(OBJECT_NAME, -1) = '$' OR OBJECT_TYPE IN ('PACKAGE BODY', 'TRIGGER')");
    QTest::newRow("VIEWS") << QStringLiteral("VIEWS") << QStringLiteral("0");
    QTest::newRow("TAB_COLUMNS") << QStringLiteral("TAB_COLUMNS") << QStringLiteral("substr(TABLE_NAME, -1) = '$'");
    QTest::newRow("TAB_COMMENTS") << QStringLiteral("TAB_COMMENTS") << QStringLiteral("substr(TABLE_NAME, -1) = '$'");
    QTest::newRow("COL_COMMENTS") << QStringLiteral("COL_COMMENTS") << QStringLiteral("substr(TABLE_NAME, -1) = '$'");
    QTest::newRow("TRIGGERS") << QStringLiteral("TRIGGERS") << QStringLiteral("1");
    QTest::newRow("SOURCE") << QStringLiteral("SOURCE") << QStringLiteral("TYPE = 'PACKAGE BODY'");
}

void TestDemoCatalogue::allFamilyLeavesOutOnlySysInternals()
{
    QFETCH(QString, view);
    QFETCH(QString, hidden);
    const int all = scalar(db(), QStringLiteral("SELECT count(*) FROM ALL_") + view).toInt();
    const int dba = scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_") + view).toInt();
    const int hiddenRows
        = scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_%1 WHERE OWNER = 'SYS' AND (%2)").arg(view, hidden))
              .toInt();
    QCOMPARE(all, dba - hiddenRows);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT count(*) FROM ALL_%1 WHERE OWNER = 'SYS' AND (%2)").arg(view, hidden)),
        QStringLiteral("0"));
    // Every user's own rows are all there.
    QCOMPARE(scalar(db(), QStringLiteral("SELECT count(*) FROM ALL_%1 WHERE OWNER <> 'SYS'").arg(view)),
        scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_%1 WHERE OWNER <> 'SYS'").arg(view)));
}

void TestDemoCatalogue::demoDictionaryIsConsistent()
{
    checkConsistency(db());
}

void TestDemoCatalogue::everyKindOfObjectIsThere_data()
{
    QTest::addColumn<QString>("owner");
    QTest::newRow("HR") << QStringLiteral("HR");
    QTest::newRow("SALES") << QStringLiteral("SALES");
}

void TestDemoCatalogue::everyKindOfObjectIsThere()
{
    QFETCH(QString, owner);
    for (const QString &type : {QStringLiteral("TABLE"), QStringLiteral("VIEW"), QStringLiteral("PACKAGE"),
             QStringLiteral("PACKAGE BODY"), QStringLiteral("PROCEDURE"), QStringLiteral("FUNCTION"),
             QStringLiteral("TRIGGER"), QStringLiteral("INDEX"), QStringLiteral("SEQUENCE")}) {
        const int count = scalar(db(),
            QStringLiteral("SELECT count(*) FROM DBA_OBJECTS WHERE OWNER = '%1' AND OBJECT_TYPE = '%2'")
                .arg(owner, type))
                              .toInt();
        QVERIFY2(count > 0, qPrintable(owner + QStringLiteral(" has no ") + type));
    }
    const auto countOf = [&](const QString &sql) { return scalar(db(), sql.arg(owner)).toInt(); };
    QCOMPARE_GT(
        countOf(QStringLiteral("SELECT count(*) FROM DBA_TAB_COMMENTS WHERE OWNER = '%1' AND COMMENTS IS NOT NULL")),
        1);
    QCOMPARE_GT(
        countOf(QStringLiteral("SELECT count(*) FROM DBA_COL_COMMENTS WHERE OWNER = '%1' AND COMMENTS IS NOT NULL")),
        1);
    QCOMPARE_GT(
        countOf(QStringLiteral("SELECT count(*) FROM DBA_VIEWS WHERE OWNER = '%1' AND instr(TEXT, char(10)) > 0")), 1);
    QCOMPARE_GT(countOf(QStringLiteral("SELECT count(*) FROM DBA_TRIGGERS WHERE OWNER = '%1'")), 1);
    // Stored source of many lines: a package body of a hundred lines or more.
    QCOMPARE_GE(
        countOf(QStringLiteral("SELECT max(LINE) FROM DBA_SOURCE WHERE OWNER = '%1' AND TYPE = 'PACKAGE BODY'")), 100);
}

void TestDemoCatalogue::searchStatementsRunOnEveryFamily_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("schema");
    for (const QString &prefix : kPrefixes) {
        // The USER_ family has no owner to filter on.
        QStringList schemas {QString()};
        if (prefix != QStringLiteral("USER"))
            schemas << QStringLiteral("SALES");
        for (const bool ignoreCase : {false, true}) {
            for (const QString &schema : schemas) {
                const QString name
                    = QStringLiteral("%1 %2 %3")
                          .arg(prefix, ignoreCase ? QStringLiteral("ignore case") : QStringLiteral("exact case"),
                              schema.isEmpty() ? QStringLiteral("(all)") : schema);
                QTest::newRow(qPrintable(name)) << prefix << QStringLiteral("order") << ignoreCase << schema;
            }
        }
    }
}

void TestDemoCatalogue::searchStatementsRunOnEveryFamily()
{
    QFETCH(QString, prefix);
    QFETCH(QString, find);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, schema);
    int found = 0;
    for (const QString &sql : searchStatements(prefix, find, ignoreCase, schema)) {
        const Rows rows = select(db(), sql);
        QVERIFY2(rows.ok, qPrintable(rows.error));
        for (const QStringList &row : rows.rows) {
            const QString owner = row.last();
            if (!schema.isEmpty())
                QCOMPARE(owner, schema);
        }
        found += int(rows.rows.size());
    }
    QVERIFY2(found > 0, "the search finds nothing at all");
}

void TestDemoCatalogue::userFamilyRowsHaveNoOwner()
{
    const QStringList statements = searchStatements(QStringLiteral("USER"), QStringLiteral("pay"), true, QString());
    for (const QString &sql : statements) {
        const Rows rows = select(db(), sql);
        QVERIFY2(rows.ok, qPrintable(rows.error));
        for (const QStringList &row : rows.rows)
            QCOMPARE(row.last(), QString());
    }
    // PL/SQL source: one row per unit, the type as INITCAP writes it.
    const Rows units = select(db(), statements.at(6));
    QVERIFY(units.rows.contains(QStringList({QStringLiteral("HR_PAYROLL"), QStringLiteral("Package"), QString()})));
    QVERIFY(
        units.rows.contains(QStringList({QStringLiteral("HR_PAYROLL"), QStringLiteral("Package Body"), QString()})));
    QCOMPARE(
        units.rows.count(QStringList({QStringLiteral("HR_PAYROLL"), QStringLiteral("Package Body"), QString()})), 1);
}

void TestDemoCatalogue::objectFoundByNameAndByText()
{
    const QStringList statements
        = searchStatements(QStringLiteral("ALL"), QStringLiteral("emp_details"), true, QString());
    const Rows byName = select(db(), statements.at(0));
    QVERIFY2(byName.ok, qPrintable(byName.error));
    QVERIFY(byName.rows.contains(
        QStringList({QStringLiteral("EMP_DETAILS_VIEW"), QStringLiteral("View"), QStringLiteral("HR")})));

    const Rows views = select(db(), statements.at(1));
    QVERIFY2(views.ok, qPrintable(views.error));
    QStringList byText;
    for (const QStringList &row : views.rows) {
        if (row.at(1).contains(QStringLiteral("emp_details"), Qt::CaseInsensitive))
            byText << row.at(0);
    }
    QVERIFY(byText.contains(QStringLiteral("EMP_DETAILS_VIEW")));

    // Without Ignore Case the upper-case name is not found by the lower-case text.
    const Rows exact
        = select(db(), searchStatements(QStringLiteral("ALL"), QStringLiteral("emp_details"), false, QString()).at(0));
    QVERIFY2(exact.ok, qPrintable(exact.error));
    QVERIFY(exact.rows.isEmpty());
}

void TestDemoCatalogue::viewEndsWithACommonWord()
{
    const QString text = scalar(db(), QStringLiteral("SELECT TEXT FROM USER_VIEWS WHERE VIEW_NAME = 'EMP_NAMES_V'"));
    const QString word = QStringLiteral("employees");
    QVERIFY2(text.endsWith(QStringLiteral("FROM ") + word), qPrintable(text));
    // Only a match at the very end finds it.
    QCOMPARE(text.indexOf(word, 0, Qt::CaseInsensitive), text.size() - word.size());
    // Other views hold the word in the middle of their text as well.
    QCOMPARE_GT(scalar(db(),
                    QStringLiteral("SELECT count(*) FROM DBA_VIEWS WHERE VIEW_NAME <> 'EMP_NAMES_V' "
                                   "AND TEXT LIKE '%employees%'"))
                    .toInt(),
        0);
}

void TestDemoCatalogue::apostropheInViewAndOwnerNames()
{
    QCOMPARE(scalar(db(),
                 QStringLiteral(
                     "SELECT OBJECT_TYPE FROM ALL_OBJECTS WHERE OWNER = 'SALES' AND OBJECT_NAME = 'O''REILLY_V'")),
        QStringLiteral("VIEW"));
    const QString text = scalar(db(), QStringLiteral("SELECT TEXT FROM ALL_VIEWS WHERE VIEW_NAME = 'O''REILLY_V'"));
    // The view's own text holds the doubled form, as written inside an SQL literal.
    QVERIFY2(text.contains(QStringLiteral("'%O''Reilly%'")), qPrintable(text));

    // The user O'NEIL, found through a quoted schema filter.
    const QStringList statements
        = searchStatements(QStringLiteral("DBA"), QStringLiteral("note"), true, QStringLiteral("O'NEIL"));
    const Rows objects = select(db(), statements.at(0));
    QVERIFY2(objects.ok, qPrintable(objects.error));
    QVERIFY(objects.rows.contains(
        QStringList({QStringLiteral("NOTES"), QStringLiteral("Table"), QStringLiteral("O'NEIL")})));
    const Rows comments = select(db(), statements.at(3));
    QVERIFY2(comments.ok, qPrintable(comments.error));
    QCOMPARE(comments.rows, QList<QStringList>({{QStringLiteral("NOTES"), QStringLiteral("O'NEIL")}}));
}

void TestDemoCatalogue::nonAsciiTextSurvives()
{
    QCOMPARE(scalar(db(),
                 QStringLiteral("SELECT COMMENTS FROM DBA_COL_COMMENTS WHERE OWNER = 'SALES' "
                                "AND TABLE_NAME || '.' || COLUMN_NAME = 'PRODUCTS.GRÖSSE'")),
        QStringLiteral("Packungsgröße, e.g. 500 g, 1 l or 10 Ω for the resistor kits."));
    const QString customers = scalar(db(),
        QStringLiteral("SELECT COMMENTS FROM ALL_TAB_COMMENTS WHERE OWNER = 'SALES' "
                       "AND TABLE_NAME = 'CUSTOMERS'"));
    QVERIFY2(customers.contains(QStringLiteral("Müller & Söhne, Café Noël, Straße, Ångström")), qPrintable(customers));
    // The dialect folds the accented letters, so an upper-case search finds them.
    const Rows found
        = select(db(), searchStatements(QStringLiteral("ALL"), QStringLiteral("CAFÉ NOËL"), true, QString()).at(3));
    QVERIFY2(found.ok, qPrintable(found.error));
    QCOMPARE(found.rows, QList<QStringList>({{QStringLiteral("CUSTOMERS"), QStringLiteral("SALES")}}));
    // Views and stored source carry non-ASCII text too.
    QCOMPARE_GT(scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_VIEWS WHERE TEXT LIKE '%Zürich%'")).toInt(), 0);
    QCOMPARE_GT(
        scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_SOURCE WHERE TEXT LIKE '%Geschäftsführung%'")).toInt(),
        0);
}

void TestDemoCatalogue::textsHaveLineFeedEnds()
{
    // One view was created from a Windows client and keeps CR LF; every other text has LF alone.
    const Rows crlf = select(
        db(), QStringLiteral("SELECT OWNER || '.' || VIEW_NAME FROM DBA_VIEWS WHERE instr(TEXT, char(13)) > 0"));
    QVERIFY2(crlf.ok, qPrintable(crlf.error));
    QCOMPARE(firstColumn(crlf), QStringList {QStringLiteral("SALES.IMPORT_ERRORS_V")});
    const QString windowsText
        = scalar(db(), QStringLiteral("SELECT TEXT FROM DBA_VIEWS WHERE VIEW_NAME = 'IMPORT_ERRORS_V'"));
    QCOMPARE(windowsText.count(QStringLiteral("\r\n")), 2);
    QCOMPARE(windowsText.count(u'\n'), 2);

    const QString pay = scalar(db(), QStringLiteral("SELECT TEXT FROM DBA_VIEWS WHERE VIEW_NAME = 'EMP_DETAILS_VIEW'"));
    QCOMPARE(pay.count(u'\n'), 29);
    QVERIFY(!pay.endsWith(u'\n'));

    const QString body
        = scalar(db(), QStringLiteral("SELECT TRIGGER_BODY FROM DBA_TRIGGERS WHERE TRIGGER_NAME = 'SECURE_EMPLOYEES'"));
    QCOMPARE(body, QStringLiteral("BEGIN\n  secure_dml;\nEND secure_employees;"));

    // Tabs survive as written by the script's "\t" marks.
    QCOMPARE_GT(scalar(db(),
                    QStringLiteral("SELECT count(*) FROM DBA_SOURCE WHERE NAME = 'IMPORT_ORDERS' "
                                   "AND substr(TEXT, 1, 1) = char(9)"))
                    .toInt(),
        10);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT count(*) FROM DBA_SOURCE WHERE instr(TEXT, '\\t') > 0")),
        QStringLiteral("0"));
}

void TestDemoCatalogue::tableInTwoSchemasHasTwoComments()
{
    const Rows rows = select(
        db(), QStringLiteral("SELECT COMMENTS FROM ALL_TAB_COMMENTS WHERE TABLE_NAME='REGIONS' ORDER BY OWNER"));
    QVERIFY2(rows.ok, qPrintable(rows.error));
    QCOMPARE(rows.rows.size(), 2);
    QVERIFY(!rows.rows.at(0).first().isEmpty());
    QVERIFY(!rows.rows.at(1).first().isEmpty());
    QVERIFY(rows.rows.at(0).first() != rows.rows.at(1).first());
}

void TestDemoCatalogue::definitionStatementsReturnTheTexts_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("start"); // of the texts of all rows, joined
    QTest::addColumn<QString>("end");

    QTest::newRow("view") << QStringLiteral(
        "SELECT VIEW_NAME, TEXT FROM ALL_VIEWS WHERE OWNER = 'SCOTT' AND VIEW_NAME = 'EMP_V'")
                          << 1 << QStringLiteral("select e.empno") << QStringLiteral("where e.deptno = d.deptno");
    QTest::newRow("view with apostrophe")
        << QStringLiteral("SELECT VIEW_NAME, TEXT FROM DBA_VIEWS WHERE VIEW_NAME = 'O''REILLY_V'") << 1
        << QStringLiteral("SELECT p.product_id") << QStringLiteral("LIKE '%O''Reilly%'");
    QTest::newRow("package body") << QStringLiteral(
        "SELECT TEXT FROM ALL_SOURCE WHERE OWNER = 'SCOTT' AND TYPE='PACKAGE BODY' "
        "AND NAME='PAY_PKG' ORDER BY LINE")
                                  << 13 << QStringLiteral("package body pay_pkg is\n  function total_pay")
                                  << QStringLiteral("  end raise_salary;\nend pay_pkg;");
    QTest::newRow("user source") << QStringLiteral(
        "SELECT TEXT FROM USER_SOURCE WHERE TYPE='FUNCTION' AND NAME='GET_ANNUAL_SALARY' ORDER BY LINE")
                                 << 16 << QStringLiteral("function get_annual_salary")
                                 << QStringLiteral("end get_annual_salary;");
    QTest::newRow("trigger source") << QStringLiteral(
        "SELECT TEXT FROM DBA_SOURCE WHERE OWNER = 'HR' AND TYPE='TRIGGER' "
        "AND NAME='SECURE_EMPLOYEES' ORDER BY LINE")
                                    << 5 << QStringLiteral("trigger secure_employees\n  BEFORE INSERT")
                                    << QStringLiteral("END secure_employees;");
    QTest::newRow("table comment") << QStringLiteral("SELECT COMMENTS FROM USER_TAB_COMMENTS WHERE TABLE_NAME='JOBS'")
                                   << 1 << QStringLiteral("Jobs table") << QStringLiteral("€ per month.");
    QTest::newRow("column comment") << QStringLiteral("SELECT COMMENTS FROM DBA_COL_COMMENTS WHERE OWNER = 'HR' AND "
                                                      "TABLE_NAME || '.' || COLUMN_NAME = 'EMPLOYEES.SALARY'")
                                    << 1 << QStringLiteral("Monthly salary") << QStringLiteral("Geschäftsführung.");
    QTest::newRow("trigger description") << QStringLiteral("SELECT DESCRIPTION FROM USER_TRIGGERS WHERE TABLE_NAME || "
                                                           "'.' || TRIGGER_NAME = 'EMPLOYEES.UPDATE_JOB_HISTORY'")
                                         << 1 << QStringLiteral("update_job_history\n  AFTER UPDATE OF job_id")
                                         << QStringLiteral("FOR EACH ROW\n");
    QTest::newRow("trigger body") << QStringLiteral("SELECT TRIGGER_BODY FROM ALL_TRIGGERS WHERE OWNER = 'SALES' AND "
                                                    "TABLE_NAME || '.' || TRIGGER_NAME = 'ORDERS.ORDERS_BIU'")
                                  << 1 << QStringLiteral("BEGIN\n  IF inserting THEN") << QStringLiteral("END;");
    QTest::newRow("comments of a table in two schemas")
        << QStringLiteral("SELECT COMMENTS FROM DBA_TAB_COMMENTS WHERE TABLE_NAME='REGIONS'") << 2 << QString()
        << QString();
    QTest::newRow("uncommented table") << QStringLiteral(
        "SELECT COMMENTS FROM USER_TAB_COMMENTS WHERE TABLE_NAME='PAYSLIPS'")
                                       << 1 << QString() << QString();
}

void TestDemoCatalogue::definitionStatementsReturnTheTexts()
{
    QFETCH(QString, sql);
    QFETCH(int, rows);
    QFETCH(QString, start);
    QFETCH(QString, end);
    const Rows result = select(db(), sql);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.rows.size(), rows);
    QString joined;
    for (const QStringList &row : result.rows)
        joined += row.last();
    QVERIFY2(joined.startsWith(start), qPrintable(joined));
    QVERIFY2(joined.endsWith(end), qPrintable(joined));
}

void TestDemoCatalogue::dialectAgreesWithTheTextFunctions_data()
{
    QTest::addColumn<QString>("column"); // table.column of the DBA_ family
    QTest::addColumn<QString>("find"); // as LIKE sees it, between "%"
    const QStringList columns {QStringLiteral("DBA_OBJECTS.OBJECT_NAME"), QStringLiteral("DBA_TAB_COMMENTS.COMMENTS"),
        QStringLiteral("DBA_COL_COMMENTS.COMMENTS"), QStringLiteral("DBA_SOURCE.TEXT"),
        QStringLiteral("DBA_VIEWS.TEXT"), QStringLiteral("DBA_TRIGGERS.DESCRIPTION")};
    const QStringList finds {QStringLiteral("order"), QStringLiteral("ORDER"), QStringLiteral("_0"),
        QStringLiteral("café"), QStringLiteral("CAFÉ"), QStringLiteral("größe"), QStringLiteral("ß"),
        QStringLiteral("zürich"), QStringLiteral("€"), QStringLiteral("o'reilly"), QString()};
    for (const QString &column : columns) {
        for (const QString &find : finds)
            QTest::newRow(qPrintable(column + u' ' + find)) << column << find;
    }
}

void TestDemoCatalogue::dialectAgreesWithTheTextFunctions()
{
    // The dialect runs LIKE in the engine and UPPER and INITCAP on UTF-8
    // with short ways for ASCII; the rows they pick must be those the text
    // functions on QString pick, row by row.
    QFETCH(QString, column);
    QFETCH(QString, find);
    const QString table = column.section(u'.', 0, 0);
    const QString field = column.section(u'.', 1, 1);
    const QString pattern = u'%' + find + u'%';
    const QString upperPattern = ks::changeCase(pattern, true);
    const auto literal
        = [](const QString &text) { return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\''; };
    const Rows rows = select(db(),
        QStringLiteral("SELECT rowid, %1, %1 LIKE %2, UPPER(%1) LIKE %3, UPPER(%1), INITCAP(%1) FROM %4")
            .arg(field, literal(pattern), literal(upperPattern), table));
    QVERIFY2(rows.ok, qPrintable(rows.error));
    QVERIFY(!rows.rows.isEmpty());
    int found = 0;
    for (const QStringList &row : rows.rows) {
        const QString &text = row.at(1);
        const QString where = table + QStringLiteral(" rowid ") + row.at(0);
        if (row.at(2).isEmpty()) { // NULL text: no match either way
            QCOMPARE(row.at(3), QString());
            continue;
        }
        const bool like = ks::oracleLike(text, pattern);
        const bool likeUpper = ks::oracleLike(ks::changeCase(text, true), upperPattern);
        QVERIFY2((row.at(2) == QStringLiteral("1")) == like, qPrintable(where));
        QVERIFY2((row.at(3) == QStringLiteral("1")) == likeUpper, qPrintable(where));
        QVERIFY2(row.at(4) == ks::changeCase(text, true), qPrintable(where));
        QVERIFY2(row.at(5) == ks::initCap(text), qPrintable(where));
        found += likeUpper ? 1 : 0;
    }
    // The empty search text finds every row that has a text.
    if (find.isEmpty())
        QCOMPARE(found,
            rows.rows.size() - int(std::count_if(rows.rows.cbegin(), rows.rows.cend(), [](const QStringList &row) {
                return row.at(2).isEmpty();
            })));
}

void TestDemoCatalogue::makeCatalogueSplitsOnlyAtStatementEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
}

void TestDemoCatalogue::makeCatalogueSplitsOnlyAtStatementEnds()
{
    QFETCH(QByteArray, lineEnd);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArrayList script {
        "-- Don't let this comment's apostrophe open a literal;",
        "CREATE TABLE T (ID INTEGER, TEXT TEXT, \"odd;",
        "name\" TEXT);",
        "/* a block comment;",
        "   over two lines; */",
        "INSERT INTO T (ID, TEXT) VALUES (1, 'first line;",
        "second line; with ''quotes'';",
        "-- no comment here;",
        "third');",
        "  .read \"more.sql\"",
        "INSERT INTO T (ID, TEXT, \"odd;\nname\") VALUES (3, 'x', 'y;'); -- trailing comment; here",
        "INSERT INTO T (ID, TEXT) VALUES (4, 'no semicolon at the end') ",
    };
    QVERIFY(writeFile(dir.filePath(QStringLiteral("main.sql")), script.join(lineEnd) + lineEnd));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("more.sql")),
        "INSERT INTO T (ID, TEXT) VALUES (2, 'from the included script;" + lineEnd + "');" + lineEnd));

    const QString out = dir.filePath(QStringLiteral("out.qmcat"));
    const ToolRun run = runTool(QStringLiteral("make_catalogue"), {dir.filePath(QStringLiteral("main.sql")), out});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY(!QFile::exists(out + QStringLiteral(".part")));

    const Catalogue catalogue(out);
    QVERIFY2(catalogue.error().isEmpty(), qPrintable(catalogue.error()));
    const Rows rows = select(catalogue.db(), QStringLiteral("SELECT ID, TEXT, \"odd;\nname\" FROM T ORDER BY ID"));
    QVERIFY2(rows.ok, qPrintable(rows.error));
    const QList<QStringList> expected {
        {QStringLiteral("1"), QStringLiteral("first line;\nsecond line; with 'quotes';\n-- no comment here;\nthird"),
            QString()},
        {QStringLiteral("2"), QStringLiteral("from the included script;\n"), QString()},
        {QStringLiteral("3"), QStringLiteral("x"), QStringLiteral("y;")},
        {QStringLiteral("4"), QStringLiteral("no semicolon at the end"), QString()},
    };
    QCOMPARE(rows.rows, expected);
}

void TestDemoCatalogue::makeCatalogueFailureKeepsTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("broken.sql"));
    QVERIFY(writeFile(script, "CREATE TABLE T (ID INTEGER);\n\nINSERT INTO MISSING VALUES (1);\n"));
    const QString out = dir.filePath(QStringLiteral("out.qmcat"));
    QVERIFY(writeFile(out, "the previous catalogue"));

    const ToolRun run = runTool(QStringLiteral("make_catalogue"), {script, out});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QStringLiteral("broken.sql:3:")), qPrintable(run.errors));
    QVERIFY2(run.errors.contains(QStringLiteral("MISSING")), qPrintable(run.errors));
    QCOMPARE(readFile(out), QByteArray("the previous catalogue"));
    QVERIFY(!QFile::exists(out + QStringLiteral(".part")));
}

void TestDemoCatalogue::makeCatalogueReportsUnclosedLiteral()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("open.sql"));
    QVERIFY(writeFile(script, "CREATE TABLE T (TEXT TEXT);\nINSERT INTO T VALUES ('never closed;\n);\n"));
    const QString out = dir.filePath(QStringLiteral("out.qmcat"));
    const ToolRun run = runTool(QStringLiteral("make_catalogue"), {script, out});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(QStringLiteral("open.sql:2:")), qPrintable(run.errors));
    QVERIFY(!QFile::exists(out));
}

void TestDemoCatalogue::generatorMakesTheRequestedCounts_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("views");
    QTest::addColumn<int>("sources");
    QTest::addColumn<int>("triggers");
    QTest::newRow("mixed") << 500 << 40 << 7 << 5;
    QTest::newRow("one of each") << 1 << 1 << 1 << 1;
    QTest::newRow("no tables") << 0 << 3 << 2 << 2;
    QTest::newRow("tables only") << 37 << 0 << 0 << 0;
    QTest::newRow("larger") << 20000 << 2000 << 300 << 100;
}

void TestDemoCatalogue::generatorMakesTheRequestedCounts()
{
    QFETCH(int, columns);
    QFETCH(int, views);
    QFETCH(int, sources);
    QFETCH(int, triggers);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("generated.qmcat"));
    const ToolRun run = runTool(QStringLiteral("gen_catalogue"),
        {QStringLiteral("--columns"), QString::number(columns), QStringLiteral("--views"), QString::number(views),
            QStringLiteral("--sources"), QString::number(sources), QStringLiteral("--triggers"),
            QString::number(triggers), out});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const Catalogue generated(out);
    QVERIFY2(generated.error().isEmpty(), qPrintable(generated.error()));
    const QSqlDatabase gdb = generated.db();
    QCOMPARE(scalar(gdb,
                 QStringLiteral("SELECT count(*) FROM DBA_TAB_COLUMNS C JOIN DBA_OBJECTS O ON O.OWNER = C.OWNER "
                                "AND O.OBJECT_NAME = C.TABLE_NAME AND O.OBJECT_TYPE = 'TABLE' WHERE C.OWNER <> 'SYS'")),
        QString::number(columns));
    QCOMPARE(scalar(gdb, QStringLiteral("SELECT count(*) FROM DBA_VIEWS")), QString::number(views));
    QCOMPARE(scalar(gdb,
                 QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT OWNER, NAME, TYPE FROM DBA_SOURCE "
                                "WHERE TYPE <> 'TRIGGER')")),
        QString::number(sources));
    QCOMPARE(scalar(gdb, QStringLiteral("SELECT count(*) FROM DBA_TRIGGERS")), QString::number(triggers));
    QCOMPARE(scalar(gdb, QStringLiteral("SELECT count(DISTINCT NAME) FROM DBA_SOURCE WHERE TYPE = 'TRIGGER'")),
        QString::number(triggers));
    if (columns + views + sources + triggers > 100) {
        // Spread over several owners, and the session user has a share.
        QCOMPARE_GE(
            scalar(gdb, QStringLiteral("SELECT count(DISTINCT OWNER) FROM DBA_OBJECTS WHERE OWNER <> 'SYS'")).toInt(),
            3);
        QCOMPARE_GT(scalar(gdb, QStringLiteral("SELECT count(*) FROM USER_OBJECTS")).toInt(), 0);
    }
    checkConsistency(gdb);
    if (QTest::currentTestFailed())
        return;
    // The same dictionary as the demo catalogue, view for view and column for column.
    QCOMPARE(dictionaryShape(gdb), dictionaryShape(db()));
    // And the program's statements run on it.
    for (const QString &sql : searchStatements(QStringLiteral("ALL"), QStringLiteral("id"), true, QString())) {
        const Rows rows = select(gdb, sql);
        QVERIFY2(rows.ok, qPrintable(rows.error));
    }
}

void TestDemoCatalogue::generatorIsDeterministic()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto generate = [&](const QString &name, const QString &seed) {
        const QString out = dir.filePath(name);
        const ToolRun run = runTool(QStringLiteral("gen_catalogue"),
            {QStringLiteral("--columns"), QStringLiteral("800"), QStringLiteral("--views"), QStringLiteral("60"),
                QStringLiteral("--sources"), QStringLiteral("12"), QStringLiteral("--triggers"), QStringLiteral("6"),
                QStringLiteral("--seed"), seed, out});
        return run.exitCode == 0 ? contentDigest(Catalogue(out).db()) : QByteArray(qPrintable(run.errors));
    };
    const QByteArray first = generate(QStringLiteral("a.qmcat"), QStringLiteral("7"));
    const QByteArray again = generate(QStringLiteral("b.qmcat"), QStringLiteral("7"));
    const QByteArray other = generate(QStringLiteral("c.qmcat"), QStringLiteral("8"));
    QCOMPARE(again, first);
    QVERIFY(other != first);
}

void TestDemoCatalogue::generatorRejectsBadArguments()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("bad.qmcat"));
    const ToolRun negative = runTool(QStringLiteral("gen_catalogue"),
        {QStringLiteral("--columns"), QStringLiteral("-1"), QStringLiteral("--views"), QStringLiteral("1"), out});
    QCOMPARE(negative.exitCode, 1);
    QVERIFY2(negative.errors.contains(QStringLiteral("--columns")), qPrintable(negative.errors));
    const ToolRun missing
        = runTool(QStringLiteral("gen_catalogue"), {QStringLiteral("--columns"), QStringLiteral("5"), out});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestDemoCatalogue)
#include "tst_democatalogue.moc"
