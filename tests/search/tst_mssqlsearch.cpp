// The SQL Server search without windows: type names, the caption, the eight
// statements, the rows their records become, and the definition behind a
// double-clicked row, run on catalogue files the test makes.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"
#include "text/KsStringOutput.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace ks::mssql;
using ks::test::messageOf;

namespace {

// The statements as a search sends them, "<X>" standing for the search text.
const QList<std::pair<Statement, QString>> kStatements = {
    {Statement::ObjectNames,
        QStringLiteral("SELECT sysobjects.name, sysusers.name as Owner, sysobjects.type  FROM sysobjects  INNER JOIN "
                       "sysusers ON sysobjects.uid = sysusers.uid LEFT OUTER JOIN sysobjects AS systables ON "
                       "sysobjects.parent_obj = systables.id WHERE  sysobjects.status >= 0  AND systables.id IS NULL  "
                       "AND sysobjects.name LIKE '%<X>%'  ORDER BY sysobjects.name ")},
    {Statement::TableObjectNames,
        QStringLiteral(
            "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS CheckName, sysobjects.type "
            " FROM sysobjects INNER JOIN sysobjects AS systables ON sysobjects.parent_obj = systables.id INNER JOIN "
            "sysusers ON sysusers.uid = systables.uid WHERE  sysobjects.name LIKE '%<X>%' ")},
    {Statement::ColumnNames,
        QStringLiteral("SELECT sysobjects.name AS TableName, sysusers.name AS Owner, syscolumns.name  FROM sysobjects "
                       "INNER JOIN sysusers ON sysobjects.uid = sysusers.uid INNER JOIN syscolumns ON "
                       "sysobjects.id=syscolumns.id INNER JOIN systypes ON syscolumns.xusertype=systypes.xusertype "
                       "WHERE (sysobjects.type = 'U' OR sysobjects.type = 'V') AND sysobjects.status>=0 AND "
                       "syscolumns.name LIKE '%<X>%'  ORDER BY sysusers.name, sysobjects.name, syscolumns.colid")},
    {Statement::DefaultNames,
        QStringLiteral(
            "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS DefaultName, "
            "syscolumns.name AS ColumnName FROM sysobjects INNER JOIN syscolumns ON sysobjects.id=syscolumns.cdefault "
            "AND syscolumns.id=sysobjects.parent_obj INNER JOIN sysobjects AS systables ON sysobjects.parent_obj = "
            "systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE sysobjects.type='D' AND "
            "systables.status>=0 AND sysobjects.name LIKE '%<X>%' ")},
    {Statement::DefaultTexts,
        QStringLiteral(
            "SELECT DISTINCT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS DefaultName, "
            "syscolumns.name AS ColumnName FROM sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id "
            "INNER JOIN syscolumns ON sysobjects.id=syscolumns.cdefault AND syscolumns.id=sysobjects.parent_obj INNER "
            "JOIN sysobjects AS systables ON sysobjects.parent_obj = systables.id INNER JOIN sysusers ON sysusers.uid "
            "= systables.uid WHERE sysobjects.type='D' AND systables.status>=0 AND syscomments.text LIKE '%<X>%' ")},
    {Statement::TableObjectTexts,
        QStringLiteral(
            "SELECT DISTINCT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS CheckName, "
            "sysobjects.type  FROM sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id INNER JOIN "
            "sysobjects AS systables ON sysobjects.parent_obj = systables.id INNER JOIN sysusers ON sysusers.uid = "
            "systables.uid WHERE  syscomments.text LIKE '%<X>%' ")},
    {Statement::IndexNames,
        QStringLiteral(
            "SELECT sysobjects.name AS TableName, sysusers.name AS Owner, sysindexes.name AS IndexName  FROM "
            "sysindexes INNER JOIN sysobjects ON sysobjects.id=sysindexes.id INNER JOIN sysusers ON "
            "sysusers.uid=sysobjects.uid WHERE sysobjects.type='U' AND sysobjects.status>=0 AND (sysindexes.status & "
            "8388608) = 0 and (sysindexes.status & 32) = 0  AND sysindexes.name LIKE '%<X>%' ")},
    {Statement::ObjectTexts,
        QStringLiteral(
            "SELECT DISTINCT sysobjects.name AS ViewName, sysusers.name AS Owner,  sysobjects.type  FROM sysobjects "
            "INNER JOIN sysusers ON sysobjects.uid = sysusers.uid LEFT OUTER JOIN sysobjects AS systables ON "
            "sysobjects.parent_obj = systables.id INNER JOIN syscomments ON sysobjects.id=syscomments.id WHERE "
            "systables.id IS NULL  AND sysobjects.status>=0 AND syscomments.text LIKE '%<X>%' ")},
};

class LineCollector : public ks::TKsStringOutput {
public:
    QStringList lines;
    void PutLine(const QString &line) override { lines << line; }
};

QString describe(const ks::ResultRow &row)
{
    return QStringLiteral("%1|%2|%3|%4|%5").arg(row.name, row.type, row.schema, row.comment).arg(row.rowKind);
}

QString namesOf(const ks::ResultRow &row)
{
    const auto names = ks::unpackKey<ks::mssql::CatalogueNames>(row.key);
    return QStringLiteral("table=%1 object=%2 column=%3 default=%4 owner=%5")
        .arg(names.table, names.object, names.column, names.defaultName, names.owner);
}

// The catalogue tables with the columns the statements read; text compared
// with "=" ignores trailing blanks, as on the server.
QStringList catalogueDdl()
{
    return {
        "CREATE TABLE sysusers (uid INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM)",
        "CREATE TABLE sysobjects (id INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM, uid INTEGER, "
        "type TEXT COLLATE RTRIM, status INTEGER, parent_obj INTEGER)",
        "CREATE TABLE systypes (xusertype INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM)",
        "CREATE TABLE syscolumns (id INTEGER, number INTEGER, colid INTEGER, name TEXT COLLATE RTRIM, "
        "xusertype INTEGER, cdefault INTEGER, PRIMARY KEY (id, number, colid)) WITHOUT ROWID",
        "CREATE TABLE syscomments (id INTEGER, number INTEGER, colid INTEGER, text TEXT, "
        "PRIMARY KEY (id, number, colid)) WITHOUT ROWID",
        "CREATE TABLE sysindexes (id INTEGER, indid INTEGER, name TEXT COLLATE RTRIM, status INTEGER, "
        "PRIMARY KEY (id, indid)) WITHOUT ROWID",
    };
}

QString literal(const QString &text)
{
    return ks::QuoteSqlText(text, QStringLiteral("'"), QStringLiteral("''"));
}

QString object(int id, const QString &name, int uid, const QString &type, int parent = 0, int status = 0)
{
    return QStringLiteral("INSERT INTO sysobjects VALUES (%1, %2, %3, '%4', %5, %6)")
        .arg(id)
        .arg(literal(name))
        .arg(uid)
        .arg(type)
        .arg(status)
        .arg(parent);
}

QString column(int id, int colid, const QString &name, int type, int cdefault = 0, int number = 0)
{
    return QStringLiteral("INSERT INTO syscolumns VALUES (%1, %2, %3, %4, %5, %6)")
        .arg(id)
        .arg(number)
        .arg(colid)
        .arg(literal(name))
        .arg(type)
        .arg(cdefault);
}

// CR and LF in `text` are stored as char(13) and char(10).
QString comment(int id, int colid, const QString &text, int number = 0)
{
    QString value = literal(text);
    value.replace(QStringLiteral("\r"), QStringLiteral("' || char(13) || '"));
    value.replace(QStringLiteral("\n"), QStringLiteral("' || char(10) || '"));
    return QStringLiteral("INSERT INTO syscomments VALUES (%1, %2, %3, %4)").arg(id).arg(number).arg(colid).arg(value);
}

QString index(int id, int indid, const QString &name, int status)
{
    return QStringLiteral("INSERT INTO sysindexes VALUES (%1, %2, %3, %4)")
        .arg(id)
        .arg(indid)
        .arg(literal(name))
        .arg(status);
}

// A shop with the same names under two owners, names with points and colons,
// a key constraint, statistics and hypothetical indexes, and a shipped table.
QStringList shopCatalogue()
{
    QStringList sql = catalogueDdl();
    sql << "INSERT INTO sysusers VALUES (1, 'dbo'), (5, 'sales'), (6, 'O''Neil')"
        << "INSERT INTO systypes VALUES (56, 'int'), (231, 'nvarchar'), (61, 'datetime')";
    sql << object(1, "Customers", 1, "U ") << object(2, "Orders", 1, "U ") << object(3, "vCustomerOrders", 1, "V ")
        << object(4, "usp_PlaceOrder", 1, "P ") << object(5, "PK_Orders", 1, "K ", 2)
        << object(6, "CK_Orders_Amount", 1, "C ", 2) << object(7, "DF_Orders_Status", 1, "D ", 2)
        << object(8, "trg_Orders_Audit", 1, "TR", 2) << object(9, "Sales.2024", 1, "U ")
        << object(10, "a: b", 1, "TR", 9) << object(11, "DF_Sales: Region", 1, "D ", 9)
        << object(12, "usp_PlaceOrder", 5, "P ") << object(13, "Customers", 5, "U ")
        << object(14, "trg_Customers_Audit", 5, "TR", 13) << object(15, "trg_Customers_Audit", 1, "TR", 1)
        << object(16, "DF_Customers_Country", 1, "D ", 1) << object(17, "DF_Customers_Country", 5, "D ", 13)
        << object(18, "sysdiagrams", 1, "U ", 0, -2147483646) << object(19, "O'Neil's notes", 6, "U ")
        << object(20, "kx_Orders", 1, "k ", 2) << object(21, "fn_Total", 1, "FN");
    sql << column(1, 1, "CustomerID", 56) << column(1, 2, "Country", 231, 16) << column(2, 1, "OrderID", 56)
        << column(2, 2, "Amount", 56) << column(2, 3, "Status", 231, 7) << column(3, 1, "CustomerID", 56)
        << column(3, 2, "OrderID", 56) << column(4, 1, "@OrderID", 56, 0, 1) << column(9, 1, "Re.gion", 231, 11)
        << column(13, 1, "Country", 231, 17) << column(18, 1, "OrderID", 56) << column(19, 1, "Note", 231)
        << column(21, 1, "@OrderID", 56, 0, 1);
    sql << comment(3, 1, "CREATE VIEW vCustomerOrders\r\nAS SELECT * FROM Customers JOIN Orders")
        << comment(4, 1, "A Orders 1\r\n", 1) << comment(4, 2, "B Orders 2\n", 1) << comment(4, 3, "C Orders 3", 1)
        << comment(6, 1, "([Amount]>=(0))") << comment(7, 1, "(N'new')")
        << comment(8, 1, "CREATE TRIGGER trg_Orders_Audit ON Orders\nFOR INSERT")
        << comment(10, 1, "trigger a: b\nbody") << comment(11, 1, "(N'Nord')") << comment(12, 1, "sales version", 1)
        << comment(14, 1, "sales audit") << comment(15, 1, "dbo audit") << comment(16, 1, "(N'DE')")
        << comment(17, 1, "(N'AT')") << comment(21, 1, "RETURN (SELECT SUM(Amount) FROM Orders)");
    sql << index(2, 1, "PK_Orders", 2066) << index(2, 2, "IX_Orders_Customer", 0)
        << index(2, 3, "_WA_Sys_Orders", 8388608) << index(2, 4, "_dta_Orders", 32)
        << index(2, 5, "_dta_stat_Orders", 8388640) << index(18, 1, "PK_sysdiagrams_Orders", 2066)
        << "INSERT INTO sysindexes VALUES (9, 0, NULL, 0)";
    return sql;
}

const QString kCutWord = QStringLiteral("Umsatzsteuer");

// For every place the word can be cut, a procedure, a check and a column
// default whose two syscomments pieces of about 4,000 characters cut it
// there; procedures with the word inside a piece, with the word in both
// ways, cut apart by other text, and split between two procedures of a group.
QStringList piecesCatalogue()
{
    QStringList sql = catalogueDdl();
    sql << "INSERT INTO sysusers VALUES (1, 'dbo')" << object(1, "Accounts", 1, "U ");
    const QString filler(3990, u'x');
    const auto cutAt = [&](int id, qsizetype at, const QString &tail) {
        sql << comment(id, 1, filler + kCutWord.left(at)) << comment(id, 2, kCutWord.mid(at) + tail);
    };
    for (int at = 1; at < kCutWord.size(); ++at) {
        sql << object(100 + at, QStringLiteral("p%1").arg(at), 1, "P ")
            << object(200 + at, QStringLiteral("ck%1").arg(at), 1, "C ", 1)
            << object(300 + at, QStringLiteral("df%1").arg(at), 1, "D ", 1)
            << column(1, at, QStringLiteral("c%1").arg(at), 56, 300 + at);
        cutAt(100 + at, at, QStringLiteral(" AS SELECT 1"));
        cutAt(200 + at, at, QStringLiteral(" > 0"));
        cutAt(300 + at, at, QString());
    }
    sql << object(400, "pInPiece", 1, "P ") << comment(400, 1, "CREATE PROCEDURE pInPiece AS")
        << comment(400, 2, "SELECT 'Umsatzsteuer'") << object(401, "pBoth", 1, "P ");
    cutAt(401, 4, QStringLiteral(" UmsatzSteuer"));
    sql << object(402, "pApart", 1, "P ") << comment(402, 1, filler + "Umsatz") << comment(402, 2, "\nsteuer")
        << object(403, "pGroup", 1, "P ") << comment(403, 1, filler + "Umsa", 1) << comment(403, 1, "-- ", 2)
        << comment(403, 2, "tzsteuer", 2);
    return sql;
}

bool tsqlOnly(Statement statement)
{
    return statement == Statement::DefaultTexts || statement == Statement::TableObjectTexts
        || statement == Statement::ObjectTexts;
}

} // namespace

class TestMsSqlSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void objectTypeNames_data();
    void objectTypeNames();
    void caption_data();
    void caption();
    void statementTexts_data();
    void statementTexts();
    void searchLists_data();
    void searchLists();
    void rowsKeepTheirNames_data();
    void rowsKeepTheirNames();
    void withoutTSqlFiveStatementsRun();
    void typeCodeNullEndsSearch();
    void errorEndsSearchKeepingRows();
    void noResultsRowHasNoSubItems();
    void definitionStatements_data();
    void definitionStatements();
    void rowsWithoutDefinition_data();
    void rowsWithoutDefinition();
    void definitionsWritten_data();
    void definitionsWritten();
    void definitionErrorKeepsWhatWasWritten();
    void definitionReadsTextByName();
    void wordCutBetweenPiecesFoundOnce_data();
    void wordCutBetweenPiecesFoundOnce();

private:
    QList<ks::ResultRow> search(const QString &text, bool tsql = true) const;
    ks::ResultRow foundRow(const QString &text, const QString &comment, const QString &owner) const;
    QString connectionString() const
    {
        return ks::BuildMsSqlConnectionString(m_catalogue, QStringLiteral("Shop"), QString(), QString());
    }

    QTemporaryDir m_dir;
    QString m_catalogue;
    QString m_pieces;
};

void TestMsSqlSearch::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    m_catalogue = m_dir.filePath(QStringLiteral("shop.qmcat"));
    ks::test::makeCatalogue(m_catalogue, shopCatalogue());
    m_pieces = m_dir.filePath(QStringLiteral("pieces.qmcat"));
    ks::test::makeCatalogue(m_pieces, piecesCatalogue());
}

QList<ks::ResultRow> TestMsSqlSearch::search(const QString &text, bool tsql) const
{
    QList<ks::ResultRow> rows;
    const ks::ConnectionPtr connection = ks::OpenConnection(connectionString(), QString(), QString());
    runSearch(*connection, SearchRequest {text, tsql}, [&rows](ks::ResultRow row) { rows << std::move(row); });
    connection->close();
    return rows;
}

// The one row a search for `text` lists with that comment and owner; an
// empty row when there is none or more than one.
ks::ResultRow TestMsSqlSearch::foundRow(const QString &text, const QString &comment, const QString &owner) const
{
    QList<ks::ResultRow> rows = search(text);
    rows.removeIf([&](const ks::ResultRow &row) { return row.comment != comment || row.schema != owner; });
    return rows.size() == 1 ? rows.front() : ks::ResultRow();
}

void TestMsSqlSearch::objectTypeNames_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<const char *, const char *>> table = {{"U", "Table"}, {"V", "View"}, {"P", "Procedure"},
        {"IF", "Function"}, {"TF", "Function"}, {"FN", "Function"}, {"AF", "CLR Function"}, {"FS", "CLR Function"},
        {"FT", "CLR Function"}, {"C", "Check Constraint"}, {"D", "Default"}, {"F", "Foreign Key"},
        {"IT", "Internal Table"}, {"PC", "CLR Procedure"}, {"PG", "Plan Guide"}, {"PK", "Primary Key"}, {"R", "Rule"},
        {"RF", "Repl Procedure"}, {"SN", "Synonym"}, {"SQ", "Service Queue"}, {"TA", "CLR Trigger"}, {"TR", "Trigger"},
        {"UQ", "Unique Constraint"}};
    for (const auto &[code, name] : table)
        QTest::newRow(code) << QString::fromLatin1(code) << QString::fromLatin1(name);
    QTest::newRow("padded with a blank") << "U "
                                         << "Table";
    QTest::newRow("blanks and controls around") << " \tV\r\n"
                                                << "View";
    QTest::newRow("letter case counts") << "u"
                                        << "Unknown u";
    QTest::newRow("lower-case two letters") << "tr"
                                            << "Unknown tr";
    QTest::newRow("unknown code") << "XX"
                                  << "Unknown XX";
    QTest::newRow("unknown code trimmed") << "S "
                                          << "Unknown S";
    QTest::newRow("key constraint of the old catalogue") << "K "
                                                         << "Unknown K";
    QTest::newRow("empty") << ""
                           << "Unknown ";
    QTest::newRow("inner blank kept") << "P K"
                                      << "Unknown P K";
    QTest::newRow("no-break space is not trimmed") << QStringLiteral("U\u00a0") << QStringLiteral("Unknown U\u00a0");
}

void TestMsSqlSearch::objectTypeNames()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(ObjectTypeName(code), expected);
}

void TestMsSqlSearch::caption_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sql login") << ks::BuildMsSqlConnectionString("SRV1", "pubs", "sa", "pw")
                               << "sa @ pubs @ SRV1 (MsSql)";
    QTest::newRow("windows authentication")
        << ks::BuildMsSqlConnectionString("SRV1", "pubs", "", "") << "pubs @ SRV1 (MsSql)";
    QTest::newRow("quoted values read back")
        << ks::BuildMsSqlConnectionString("a;b", " db ", "x=y", "p;w") << "x=y @  db  @ a;b (MsSql)";
    QTest::newRow("nothing given") << ""
                                   << " @  (MsSql)";
}

void TestMsSqlSearch::caption()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, expected);
    QCOMPARE(connectionCaption(connectionString), expected);
}

void TestMsSqlSearch::statementTexts_data()
{
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<bool>("tsql");
    QTest::addColumn<QString>("x");
    QTest::newRow("apostrophe doubled") << "O'Neil" << true << "O''Neil";
    QTest::newRow("blanks and controls trimmed") << " \t Orders\r\n " << true << "Orders";
    QTest::newRow("wildcards kept") << "50%_[a-c]" << true << "50%_[a-c]";
    QTest::newRow("inner blanks kept") << "Order Lines" << true << "Order Lines";
    QTest::newRow("without T-SQL") << "x''y" << false << "x''''y";
}

void TestMsSqlSearch::statementTexts()
{
    QFETCH(QString, searchText);
    QFETCH(bool, tsql);
    QFETCH(QString, x);
    QList<std::pair<Statement, QString>> expected;
    for (const auto &[statement, text] : kStatements) {
        if (tsql || !tsqlOnly(statement))
            expected.append({statement, QString(text).replace(QStringLiteral("<X>"), x)});
    }
    QList<PlannedStatement> planned = searchStatements(SearchRequest {searchText, tsql});
    // The statements for text cut between pieces come on top; the wordCut test runs them.
    planned.removeIf([](const PlannedStatement &p) { return int(p.statement) > int(Statement::ObjectTexts); });
    QCOMPARE(planned.size(), expected.size());
    for (qsizetype i = 0; i < planned.size(); ++i) {
        QCOMPARE(int(planned.at(i).statement), int(expected.at(i).first));
        QCOMPARE(planned.at(i).sql, expected.at(i).second);
    }
}

void TestMsSqlSearch::searchLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tsql");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("every statement") << "Orders" << true
                                     << QStringList {
                                            "Orders|Table|dbo|Table Name|1",
                                            "vCustomerOrders|View|dbo|View Name|1",
                                            // the key constraint PK_Orders ("K ") is left out; "k " is no key
                                            "Orders.CK_Orders_Amount|Check Constraint|dbo|Check Constraint Name|1",
                                            "Orders.DF_Orders_Status|Default|dbo|Default Name|1",
                                            "Orders.trg_Orders_Audit|Trigger|dbo|Trigger Name|1",
                                            "Orders.kx_Orders|Unknown k|dbo|Unknown k Name|1",
                                            "Orders.Status: DF_Orders_Status|Column Default|dbo|Column Default Name|1",
                                            "Orders.trg_Orders_Audit|Trigger|dbo|Trigger Definition|3",
                                            // statistics, hypothetical indexes and the shipped table's key are not
                                            "Orders.PK_Orders|Index|dbo|Index Name|1",
                                            "Orders.IX_Orders_Customer|Index|dbo|Index Name|1",
                                            // three records of usp_PlaceOrder match: one row
                                            "vCustomerOrders|View|dbo|View Definition|2",
                                            "usp_PlaceOrder|Procedure|dbo|Procedure Definition|2",
                                            "fn_Total|Function|dbo|Function Definition|2",
                                        };
    QTest::newRow("name matches only without T-SQL")
        << "Orders" << false
        << QStringList {
               "Orders|Table|dbo|Table Name|1",
               "vCustomerOrders|View|dbo|View Name|1",
               "Orders.CK_Orders_Amount|Check Constraint|dbo|Check Constraint Name|1",
               "Orders.DF_Orders_Status|Default|dbo|Default Name|1",
               "Orders.trg_Orders_Audit|Trigger|dbo|Trigger Name|1",
               "Orders.kx_Orders|Unknown k|dbo|Unknown k Name|1",
               "Orders.Status: DF_Orders_Status|Column Default|dbo|Column Default Name|1",
               "Orders.PK_Orders|Index|dbo|Index Name|1",
               "Orders.IX_Orders_Customer|Index|dbo|Index Name|1",
           };
    QTest::newRow("same names under two owners")
        << "Customers_" << true
        << QStringList {
               "Customers.trg_Customers_Audit|Trigger|sales|Trigger Name|1",
               "Customers.trg_Customers_Audit|Trigger|dbo|Trigger Name|1",
               "Customers.DF_Customers_Country|Default|dbo|Default Name|1",
               "Customers.DF_Customers_Country|Default|sales|Default Name|1",
               "Customers.Country: DF_Customers_Country|Column Default|dbo|Column Default Name|1",
               "Customers.Country: DF_Customers_Country|Column Default|sales|Column Default Name|1",
               // "_" stands for any one character: "Customers JOIN" in the view's text
               "vCustomerOrders|View|dbo|View Definition|2",
           };
    QTest::newRow("columns of tables and views, not parameters or shipped tables")
        << "OrderID" << true
        << QStringList {"Orders.OrderID|Column|dbo|Column Name|1", "vCustomerOrders.OrderID|Column|dbo|Column Name|1"};
    QTest::newRow("default found by its text")
        << "Nord" << true
        << QStringList {"Sales.2024.Re.gion: DF_Sales: Region|Column Default|dbo|Column Default Definition|4",
               // a default belongs to its table, so it is listed among the table's objects too
               "Sales.2024.DF_Sales: Region|Default|dbo|Default Definition|3"};
    QTest::newRow("names with point and colon")
        << ": " << true
        << QStringList {
               "Sales.2024.a: b|Trigger|dbo|Trigger Name|1",
               "Sales.2024.DF_Sales: Region|Default|dbo|Default Name|1",
               "Sales.2024.Re.gion: DF_Sales: Region|Column Default|dbo|Column Default Name|1",
               "Sales.2024.a: b|Trigger|dbo|Trigger Definition|3",
           };
    QTest::newRow("letter case ignored, apostrophe in the text")
        << "o'neil" << true << QStringList {"O'Neil's notes|Table|O'Neil|Table Name|1"};
    QTest::newRow("sets of the server's LIKE")
        << "[v]Customer" << false << QStringList {"vCustomerOrders|View|dbo|View Name|1"};
    QTest::newRow("shipped objects and their indexes left out") << "diagram" << true << QStringList {};
    QTest::newRow("nothing found") << "no such thing" << true << QStringList {};
}

void TestMsSqlSearch::searchLists()
{
    QFETCH(QString, text);
    QFETCH(bool, tsql);
    QFETCH(QStringList, expected);
    QStringList found;
    for (const ks::ResultRow &row : search(text, tsql))
        found << describe(row);
    // Statements without an order clause return their records in the
    // engine's order; the list sorts them itself.
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

void TestMsSqlSearch::rowsKeepTheirNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("names");
    QTest::newRow("object") << "vCustomer"
                            << "View Name"
                            << "dbo"
                            << "table= object=vCustomerOrders column= default= owner=dbo";
    QTest::newRow("object by text") << "SUM(Amount)"
                                    << "Function Definition"
                                    << "dbo"
                                    << "table= object=fn_Total column= default= owner=dbo";
    QTest::newRow("object of a table") << "a: b"
                                       << "Trigger Name"
                                       << "dbo"
                                       << "table=Sales.2024 object=a: b column= default= owner=dbo";
    QTest::newRow("object of a table by text") << "body"
                                               << "Trigger Definition"
                                               << "dbo"
                                               << "table=Sales.2024 object=a: b column= default= owner=dbo";
    QTest::newRow("column") << "Re.gion"
                            << "Column Name"
                            << "dbo"
                            << "table=Sales.2024 object= column=Re.gion default= owner=dbo";
    QTest::newRow("default") << "Sales: R"
                             << "Column Default Name"
                             << "dbo"
                             << "table=Sales.2024 object= column=Re.gion default=DF_Sales: Region owner=dbo";
    QTest::newRow("default by text") << "(N'AT')"
                                     << "Column Default Definition"
                                     << "sales"
                                     << "table=Customers object= column=Country default=DF_Customers_Country "
                                        "owner=sales";
    QTest::newRow("index") << "IX_"
                           << "Index Name"
                           << "dbo"
                           << "table=Orders object=IX_Orders_Customer column= default= owner=dbo";
    QTest::newRow("owner with apostrophe") << "notes"
                                           << "Table Name"
                                           << "O'Neil"
                                           << "table= object=O'Neil's notes column= default= owner=O'Neil";
}

void TestMsSqlSearch::rowsKeepTheirNames()
{
    QFETCH(QString, text);
    QFETCH(QString, comment);
    QFETCH(QString, owner);
    QFETCH(QString, names);
    QCOMPARE(namesOf(foundRow(text, comment, owner)), names);
}

void TestMsSqlSearch::withoutTSqlFiveStatementsRun()
{
    QStringList sent;
    {
        const ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql.left(60); });
        search(QStringLiteral("Orders"), false);
    }
    QStringList expected;
    for (const auto &[statement, text] : kStatements) {
        if (!tsqlOnly(statement))
            expected << text.left(60);
    }
    QCOMPARE(sent.size(), 5);
    QCOMPARE(sent, expected);
}

void TestMsSqlSearch::typeCodeNullEndsSearch()
{
    const QString file = m_dir.filePath(QStringLiteral("null-type.qmcat"));
    QStringList sql = catalogueDdl();
    sql << "INSERT INTO sysusers VALUES (1, 'dbo')" << object(1, "Alpha", 1, "U ") << object(2, "Beta", 1, "U ")
        << "UPDATE sysobjects SET type = NULL WHERE id = 2";
    ks::test::makeCatalogue(file, sql);
    QStringList rows;
    const auto connection
        = ks::OpenConnection(ks::BuildMsSqlConnectionString(file, "db", "", ""), QString(), QString());
    const QString message = messageOf([&] {
        runSearch(*connection, SearchRequest {QStringLiteral("a"), true},
            [&rows](ks::ResultRow row) { rows << describe(row); });
    });
    QCOMPARE(message, QStringLiteral("Invalid variant type conversion"));
    // The first statement is ordered by name: Alpha comes, then Beta's NULL ends the search.
    QCOMPARE(rows, QStringList {"Alpha|Table|dbo|Table Name|1"});
}

void TestMsSqlSearch::errorEndsSearchKeepingRows()
{
    // A catalogue without sysindexes: the index statement, the ninth (after
    // two for text cut between pieces), fails.
    const QString file = m_dir.filePath(QStringLiteral("no-indexes.qmcat"));
    QStringList sql = shopCatalogue();
    sql << "DROP TABLE sysindexes";
    ks::test::makeCatalogue(file, sql);
    QStringList rows;
    QStringList sent;
    const auto connection
        = ks::OpenConnection(ks::BuildMsSqlConnectionString(file, "db", "", ""), QString(), QString());
    const ks::ScopedStatementObserver observer([&sent](const QString &statement) { sent << statement; });
    const QString message = messageOf([&] {
        runSearch(*connection, SearchRequest {QStringLiteral("Orders"), true},
            [&rows](ks::ResultRow row) { rows << describe(row); });
    });
    QCOMPARE(message, QStringLiteral("no such table: sysindexes"));
    QCOMPARE(sent.size(), 9);
    QCOMPARE(rows.size(), 8);
    QVERIFY(rows.contains("Orders.trg_Orders_Audit|Trigger|dbo|Trigger Definition|3"));
    QVERIFY(!rows.contains("usp_PlaceOrder|Procedure|dbo|Procedure Definition|2"));
}

void TestMsSqlSearch::noResultsRowHasNoSubItems()
{
    const ks::ResultRow row = noResultsRow();
    QCOMPARE(describe(row), QStringLiteral("no results found||||0"));
    QCOMPARE(row.subItems, 0);
    QVERIFY(!definitionFor(row, QStringLiteral("W")).has_value());
}

void TestMsSqlSearch::definitionStatements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("sql");

    QTest::newRow("object") << "SUM(Amount)"
                            << "Function Definition"
                            << "dbo"
                            << "Definition of fn_Total in W"
                            << "SELECT sysobjects.name AS TriggerName, sysusers.name AS TableOwner, syscomments.text  "
                               "FROM sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id INNER JOIN "
                               "sysusers ON sysobjects.uid=sysusers.uid WHERE  sysobjects.name='fn_Total' AND "
                               "sysusers.name='dbo'";
    QTest::newRow("object of a table, point and colon in the names")
        << "body"
        << "Trigger Definition"
        << "dbo"
        << "Definition of Sales.2024.a: b in W"
        << "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS CheckName, syscomments.text "
           " "
           "FROM sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id INNER JOIN sysobjects AS systables "
           "ON sysobjects.parent_obj = systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE  "
           "systables.name='Sales.2024' AND sysobjects.name='a: b' AND sysusers.name='dbo'";
    QTest::newRow("column default")
        << "(N'AT')"
        << "Column Default Definition"
        << "sales"
        << "Column Default of Customers.Country: DF_Customers_Country in W"
        << "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS DefaultName, "
           "syscolumns.name AS ColumnName, syscomments.text  FROM sysobjects INNER JOIN syscomments ON "
           "sysobjects.id=syscomments.id INNER JOIN syscolumns ON sysobjects.id=syscolumns.cdefault AND "
           "syscolumns.id=sysobjects.parent_obj INNER JOIN sysobjects AS systables ON sysobjects.parent_obj = "
           "systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE sysobjects.type='D' AND "
           "systables.status>=0 AND systables.name='Customers' AND syscolumns.name='Country' AND "
           "sysobjects.name='DF_Customers_Country' AND sysusers.name='sales'";
}

void TestMsSqlSearch::definitionStatements()
{
    QFETCH(QString, text);
    QFETCH(QString, comment);
    QFETCH(QString, owner);
    QFETCH(QString, caption);
    QFETCH(QString, sql);
    const std::optional<Definition> definition = definitionFor(foundRow(text, comment, owner), QStringLiteral("W"));
    QVERIFY(definition.has_value());
    QCOMPARE(definition->caption, caption);
    QCOMPARE(definition->sql, sql);
}

void TestMsSqlSearch::rowsWithoutDefinition_data()
{
    QTest::addColumn<int>("rowKind");
    QTest::newRow("no results") << int(NoResults);
    QTest::newRow("name match") << int(NameMatch);
    QTest::newRow("unknown kind") << 5;
    QTest::newRow("negative kind") << -1;
}

void TestMsSqlSearch::rowsWithoutDefinition()
{
    QFETCH(int, rowKind);
    ks::ResultRow row;
    row.name = QStringLiteral("Orders");
    row.key = ks::packKey(ks::mssql::CatalogueNames {{}, QStringLiteral("Orders"), {}, {}, QStringLiteral("dbo")});
    row.rowKind = rowKind;
    QVERIFY(!definitionFor(row, QStringLiteral("W")).has_value());
}

void TestMsSqlSearch::definitionsWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("pieces in order, only bare LF turned into CR LF")
        << "C Orders"
        << "Procedure Definition"
        << "dbo" << QStringList {"A Orders 1\r\n", "B Orders 2\r\n", "C Orders 3"};
    QTest::newRow("same name under another owner") << "sales version"
                                                   << "Procedure Definition"
                                                   << "sales" << QStringList {"sales version"};
    QTest::newRow("trigger of one owner's table") << "dbo audit"
                                                  << "Trigger Definition"
                                                  << "dbo" << QStringList {"dbo audit"};
    QTest::newRow("trigger of the other owner's table") << "sales audit"
                                                        << "Trigger Definition"
                                                        << "sales" << QStringList {"sales audit"};
    QTest::newRow("default of one owner") << "(N'DE')"
                                          << "Column Default Definition"
                                          << "dbo" << QStringList {"(N'DE')"};
    QTest::newRow("names with point and colon") << "body"
                                                << "Trigger Definition"
                                                << "dbo" << QStringList {"trigger a: b\r\nbody"};
    QTest::newRow("default of a column with a point") << "Nord"
                                                      << "Column Default Definition"
                                                      << "dbo" << QStringList {"(N'Nord')"};
    QTest::newRow("stored CR LF stays") << "vCustomerOrders"
                                        << "View Definition"
                                        << "dbo"
                                        << QStringList {
                                               "CREATE VIEW vCustomerOrders\r\nAS SELECT * FROM Customers JOIN Orders"};
}

void TestMsSqlSearch::definitionsWritten()
{
    QFETCH(QString, text);
    QFETCH(QString, comment);
    QFETCH(QString, owner);
    QFETCH(QStringList, lines);
    const std::optional<Definition> definition = definitionFor(foundRow(text, comment, owner), QStringLiteral("W"));
    QVERIFY(definition.has_value());
    LineCollector output;
    const auto connection = ks::OpenConnection(connectionString(), QString(), QString());
    writeDefinition(*connection, *definition, output);
    QCOMPARE(output.lines, lines);
}

void TestMsSqlSearch::definitionErrorKeepsWhatWasWritten()
{
    // The third record fails to compute (integer overflow): two are written.
    const Definition definition {QStringLiteral("Definition of usp_PlaceOrder in W"),
        QStringLiteral("SELECT CASE WHEN colid < 3 THEN text ELSE abs(-9223372036854775807 - 1) END AS TEXT "
                       "FROM syscomments WHERE id = 4")};
    LineCollector output;
    const auto connection = ks::OpenConnection(connectionString(), QString(), QString());
    QCOMPARE(messageOf([&] { writeDefinition(*connection, definition, output); }), QStringLiteral("integer overflow"));
    QCOMPARE(output.lines, (QStringList {"A Orders 1\r\n", "B Orders 2\r\n"}));

    // A statement that fails at once writes nothing.
    LineCollector none;
    const auto closed = ks::CreateConnection();
    QVERIFY(messageOf([&] { writeDefinition(*closed, definition, none); }).startsWith("The connection is not open"));
    QCOMPARE(none.lines, QStringList());
}

void TestMsSqlSearch::definitionReadsTextByName()
{
    const auto connection = ks::OpenConnection(connectionString(), QString(), QString());
    LineCollector output;
    // "TEXT" is found in any letter case and at any position...
    writeDefinition(*connection,
        Definition {QString(), QStringLiteral("SELECT id, colid, text FROM syscomments WHERE id = 7")}, output);
    QCOMPARE(output.lines, QStringList {"(N'new')"});
    // ... and a statement without it is an error, not the first field.
    QCOMPARE(messageOf([&] {
        writeDefinition(
            *connection, Definition {QString(), QStringLiteral("SELECT id FROM syscomments WHERE id = 7")}, output);
    }),
        QStringLiteral("Field \"TEXT\" does not exist in the record set."));
    QCOMPARE(output.lines.size(), 1);
}

QTEST_GUILESS_MAIN(TestMsSqlSearch)
void TestMsSqlSearch::wordCutBetweenPiecesFoundOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("alsoFound");
    QTest::newRow("word") << kCutWord << QStringList();
    QTest::newRow("letter case and one wildcard character") << "umsatz_teuer" << QStringList();
    QTest::newRow("set") << "[T-V]msatzsteuer" << QStringList();
    // a "%" stretches over the text between the pieces' ends
    QTest::newRow("any run") << "Ums%uer" << QStringList {"pApart|Procedure|dbo|Procedure Definition|2"};
}

void TestMsSqlSearch::wordCutBetweenPiecesFoundOnce()
{
    QFETCH(QString, text);
    QFETCH(QStringList, alsoFound);
    QStringList expected = alsoFound;
    expected << "pInPiece|Procedure|dbo|Procedure Definition|2"
             << "pBoth|Procedure|dbo|Procedure Definition|2";
    for (int at = 1; at < kCutWord.size(); ++at) {
        expected << QStringLiteral("p%1|Procedure|dbo|Procedure Definition|2").arg(at)
                 << QStringLiteral("Accounts.ck%1|Check Constraint|dbo|Check Constraint Definition|3").arg(at)
                 << QStringLiteral("Accounts.df%1|Default|dbo|Default Definition|3").arg(at)
                 << QStringLiteral("Accounts.c%1: df%1|Column Default|dbo|Column Default Definition|4").arg(at);
    }
    const ks::ConnectionPtr connection = ks::OpenConnection(
        ks::BuildMsSqlConnectionString(m_pieces, QStringLiteral("Pieces"), QString(), QString()), QString(), QString());
    QStringList found;
    runSearch(*connection, SearchRequest {text, true}, [&found](const ks::ResultRow &row) { found << describe(row); });
    connection->close();
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

#include "tst_mssqlsearch.moc"
