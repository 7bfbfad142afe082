// The SQL Server demo catalogue keeps what its script promises: the file
// follows the server's catalogue (padded type codes, definitions in records
// of 4,000 characters, equality ignoring trailing blanks in any SQLite tool),
// and a search through the program's SQL Server core finds, leaves out and
// shows what the script says.

#include "db/KsAdo.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "support/TestErrors.h"
#include "text/KsStringOutput.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>

using namespace ks::mssql;

namespace {

QString demoCataloguePath()
{
    const QString fromCtest = qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE");
    return fromCtest.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../data/mssql-demo.qmcat")
                               : fromCtest;
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

class TestMsSqlDemo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void catalogueFollowsTheServer_data();
    void catalogueFollowsTheServer();
    void anySqliteToolIgnoresTrailingBlanks();
    void searchLists_data();
    void searchLists();
    void searchLeavesOut_data();
    void searchLeavesOut();
    void longProcedureComesInPieces();
    void definitionsOfOneOwner_data();
    void definitionsOfOneOwner();
    void lineEndsOfDefinitions_data();
    void lineEndsOfDefinitions();
    void everyDefinitionRowShowsItsText();

private:
    QList<ks::ResultRow> search(const QString &text, bool tsql = true) const;
    QStringList rowsOf(const QString &text, bool tsql = true) const;
    // The definition of the row a search for `text` lists under that name,
    // comment and owner, one line per record.
    QStringList definitionOf(
        const QString &text, const QString &name, const QString &comment, const QString &owner) const;
    qint64 scalar(const QString &sql) const;

    QString m_file;
    QString m_connectionString;
};

void TestMsSqlDemo::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    m_file = demoCataloguePath();
    QVERIFY2(QFileInfo::exists(m_file), qPrintable(m_file + QStringLiteral(" is missing: build mssql_demo_catalogue")));
    // Any database name will do: the file is the server.
    m_connectionString = ks::BuildMsSqlConnectionString(m_file, QStringLiteral("Shop"), QString(), QString());
    QString error;
    const auto connection = ks::OpenConnectionReport(m_connectionString, QString(), QString(), error);
    QCOMPARE(error, QString());
    QCOMPARE(connection->state(), 1);
}

QList<ks::ResultRow> TestMsSqlDemo::search(const QString &text, bool tsql) const
{
    QList<ks::ResultRow> rows;
    const auto connection = ks::OpenConnection(m_connectionString, QString(), QString());
    runSearch(*connection, SearchRequest {text, tsql}, [&rows](ks::ResultRow row) { rows << std::move(row); });
    return rows;
}

QStringList TestMsSqlDemo::rowsOf(const QString &text, bool tsql) const
{
    QStringList rows;
    for (const ks::ResultRow &row : search(text, tsql))
        rows << describe(row);
    rows.sort();
    return rows;
}

QStringList TestMsSqlDemo::definitionOf(
    const QString &text, const QString &name, const QString &comment, const QString &owner) const
{
    QList<ks::ResultRow> rows = search(text);
    rows.removeIf(
        [&](const ks::ResultRow &row) { return row.name != name || row.comment != comment || row.schema != owner; });
    if (rows.size() != 1)
        return {QStringLiteral("<%1 rows>").arg(rows.size())};
    const std::optional<Definition> definition = definitionFor(rows.front(), QStringLiteral("Shop"));
    if (!definition)
        return {QStringLiteral("<no definition>")};
    LineCollector output;
    const auto connection = ks::OpenConnection(m_connectionString, QString(), QString());
    writeDefinition(*connection, *definition, output);
    return output.lines;
}

qint64 TestMsSqlDemo::scalar(const QString &sql) const
{
    const auto connection = ks::OpenConnection(m_connectionString, QString(), QString());
    return ks::ExecuteSql(*connection, sql)->text(0).toLongLong();
}

void TestMsSqlDemo::catalogueFollowsTheServer_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("type codes have two characters")
        << "SELECT count(*) FROM sysobjects WHERE length(type) <> 2 OR length(xtype) <> 2" << qint64(0);
    QTest::newRow("one-letter codes padded with a blank")
        << "SELECT count(*) FROM sysobjects WHERE substr(type, 2) = ' ' AND substr(type, 1, 1) <> ' '"
        << scalar(QStringLiteral("SELECT count(*) FROM sysobjects WHERE type IN ('U', 'V', 'P', 'C', 'D', 'F', 'K', "
                                 "'S')"));
    QTest::newRow("keys are K with their own xtype")
        << "SELECT count(*) FROM sysobjects WHERE type = 'K' AND xtype NOT IN ('PK', 'UQ')" << qint64(0);
    QTest::newRow("records of at most 4,000 characters") << "SELECT max(length(text)) FROM syscomments" << qint64(4000);
    QTest::newRow("only the last record of a definition is shorter")
        << "SELECT count(*) FROM syscomments c WHERE length(c.text) < 4000 AND c.colid < "
           "(SELECT max(colid) FROM syscomments m WHERE m.id = c.id AND m.number = c.number)"
        << qint64(0);
    QTest::newRow("colid counts from 1 without gaps")
        << "SELECT count(*) FROM (SELECT count(*) AS n, min(colid) AS lo, max(colid) AS hi FROM syscomments "
           "GROUP BY id, number) WHERE lo <> 1 OR hi <> n"
        << qint64(0);
    QTest::newRow("every owner is a user") << "SELECT count(*) FROM sysobjects o LEFT JOIN sysusers u ON u.uid = o.uid "
                                              "WHERE u.uid IS NULL"
                                           << qint64(0);
    QTest::newRow("every part belongs to a table or view")
        << "SELECT count(*) FROM sysobjects o LEFT JOIN sysobjects t ON t.id = o.parent_obj "
           "WHERE o.parent_obj <> 0 AND (t.id IS NULL OR t.type NOT IN ('U', 'V'))"
        << qint64(0);
    QTest::newRow("every column default is a default of the column's table")
        << "SELECT count(*) FROM syscolumns c LEFT JOIN sysobjects d ON d.id = c.cdefault "
           "WHERE c.cdefault <> 0 AND (d.id IS NULL OR d.type <> 'D' OR d.parent_obj <> c.id)"
        << qint64(0);
    QTest::newRow("every column has a type") << "SELECT count(*) FROM syscolumns c LEFT JOIN systypes t "
                                                "ON t.xusertype = c.xusertype WHERE t.xusertype IS NULL"
                                             << qint64(0);
    QTest::newRow("statistics made by the server")
        << "SELECT count(*) FROM sysindexes WHERE (status & 8388608) <> 0" << qint64(5);
    QTest::newRow("hypothetical indexes") << "SELECT count(*) FROM sysindexes WHERE (status & 32) <> 0" << qint64(2);
    QTest::newRow("shipped objects") << "SELECT count(*) FROM sysobjects WHERE status < 0" << qint64(7);
    QTest::newRow("definitions saved with bare LF")
        << "SELECT count(DISTINCT id) FROM syscomments WHERE instr(text, char(10)) > 0 AND instr(text, char(13)) = 0"
        << qint64(3);
}

void TestMsSqlDemo::catalogueFollowsTheServer()
{
    QFETCH(QString, sql);
    QFETCH(qint64, expected);
    QCOMPARE(scalar(sql), expected);
}

void TestMsSqlDemo::anySqliteToolIgnoresTrailingBlanks()
{
    // Plain QSQLITE, without the program's dialect: the collation is the file's own.
    const QString name = QStringLiteral("plain-sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
        const auto count = [&db](const QString &sql) {
            QSqlQuery query(sql, db);
            return query.next() ? query.value(0).toInt() : -1;
        };
        const int tables = count(QStringLiteral("SELECT count(*) FROM sysobjects WHERE type = 'U'"));
        QCOMPARE(tables, count(QStringLiteral("SELECT count(*) FROM sysobjects WHERE substr(type, 1, 1) = 'U'")));
        QCOMPARE(tables, 15);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM sysobjects WHERE type = 'TR  '")), 5);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM sysobjects WHERE name = 'Orders   '")), 1);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM sysusers WHERE name = 'O''Neil '")), 1);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM syscolumns WHERE name = 'Created at '")), 2);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TestMsSqlDemo::searchLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("keys are listed as indexes, not as objects of the table")
        << "PK_Orders" << QStringList {"Orders.PK_Orders|Index|dbo|Index Name|1"};
    QTest::newRow("unique constraint") << "UQ_Customers"
                                       << QStringList {"Customers.UQ_Customers_Email|Index|dbo|Index Name|1"};
    QTest::newRow("word only in the last record of the long procedure")
        << "Jahresabschluss" << QStringList {"usp_YearEndClosing|Procedure|dbo|Procedure Definition|2"};
    QTest::newRow("word in every record of the long procedure, one row")
        << "ClosingLog"
        << QStringList {"ClosingLog|Table|dbo|Table Name|1", "usp_YearEndClosing|Procedure|dbo|Procedure Definition|2"};
    QTest::newRow("non-ASCII name, letter case ignored")
        << "WÄHRUNG"
        << QStringList {"Währungen.PK_Währungen|Index|dbo|Index Name|1", "Währungen|Table|dbo|Table Name|1"};
    QTest::newRow("non-ASCII column names") << "Gültig" << QStringList {"Währungen.Gültig ab|Column|dbo|Column Name|1"};
    QTest::newRow("non-ASCII text")
        << "Österreich"
        << QStringList {"Customers.Country: DF_Customers_Country|Column Default|sales|Column Default Definition|4",
               "Customers.DF_Customers_Country|Default|sales|Default Definition|3"};
    QTest::newRow("found by name and by text")
        << "CustomerOrders"
        << QStringList {"fn_CustomerOrders|Function|dbo|Function Definition|2",
               "fn_CustomerOrders|Function|dbo|Function Name|1",
               "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Definition|3",
               "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1",
               "vCustomerOrders|View|dbo|View Definition|2", "vCustomerOrders|View|dbo|View Name|1"};
    QTest::newRow("owner with an apostrophe")
        << "MyNotes" << QStringList {"vMyNotes|View|O'Neil|View Definition|2", "vMyNotes|View|O'Neil|View Name|1"};
    QTest::newRow("apostrophe in the search text")
        << "O'Neil's notes" << QStringList {"vMyNotes|View|O'Neil|View Definition|2"};
    QTest::newRow("a point in the table name, a colon in the trigger's")
        << "archive old"
        << QStringList {"Sales.2024.trg: archive old sales|Trigger|dbo|Trigger Definition|3",
               "Sales.2024.trg: archive old sales|Trigger|dbo|Trigger Name|1"};
    QTest::newRow("a colon in the default's name")
        << "Notes: "
        << QStringList {"Notes.Created at: DF_Notes: Created|Column Default|O'Neil|Column Default Name|1",
               "Notes.DF_Notes: Created|Default|O'Neil|Default Name|1"};
}

void TestMsSqlDemo::searchLists()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    expected.sort();
    QCOMPARE(rowsOf(text), expected);
}

void TestMsSqlDemo::searchLeavesOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tsql");
    QTest::newRow("statistics made by the server") << "_WA_Sys" << true;
    QTest::newRow("hypothetical indexes and statistics") << "_dta_" << true;
    QTest::newRow("shipped table, its keys, procedure and text") << "diagram" << true;
    QTest::newRow("shipped view and its text") << "BASE TABLE" << true;
    QTest::newRow("columns of the shipped view") << "TABLE_CATALOG" << true;
    QTest::newRow("shipped system tables") << "sysrowsets" << true;
    QTest::newRow("parameters are no columns") << "@Quantity" << false;
    QTest::newRow("nothing matches") << "no such thing anywhere" << true;
}

void TestMsSqlDemo::searchLeavesOut()
{
    QFETCH(QString, text);
    QFETCH(bool, tsql);
    QCOMPARE(rowsOf(text, tsql), QStringList());
}

void TestMsSqlDemo::longProcedureComesInPieces()
{
    const QStringList pieces = definitionOf(QStringLiteral("Jahresabschluss"), QStringLiteral("usp_YearEndClosing"),
        QStringLiteral("Procedure Definition"), QStringLiteral("dbo"));
    QCOMPARE(pieces.size(), 4);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(pieces.at(i).size(), 4000);
    const QString whole = pieces.join(QString());
    QVERIFY(whole.size() > 12000);
    QVERIFY(whole.startsWith(QStringLiteral("CREATE PROCEDURE dbo.usp_YearEndClosing\r\n    @Year smallint\r\n")));
    QVERIFY(whole.endsWith(QStringLiteral("    RETURN 1;\r\nEND\r\n")));
    QVERIFY(!whole.contains(QStringLiteral("\r\r")));
    QCOMPARE(whole.count(QStringLiteral("INSERT INTO dbo.ClosingLog")), 48);
    QVERIFY(pieces.back().contains(QStringLiteral("Jahresabschluss: the year is closed, Umsätze are final")));
}

void TestMsSqlDemo::definitionsOfOneOwner_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("mine");
    QTest::addColumn<QString>("other");
    QTest::newRow("procedure of dbo") << "usp_PlaceOrder"
                                      << "usp_PlaceOrder"
                                      << "Procedure Definition"
                                      << "dbo"
                                      << "-- dbo: an order of the web shop"
                                      << "-- sales:";
    QTest::newRow("procedure of sales") << "usp_PlaceOrder"
                                        << "usp_PlaceOrder"
                                        << "Procedure Definition"
                                        << "sales"
                                        << "-- sales: an order taken by phone"
                                        << "-- dbo:";
    QTest::newRow("trigger of dbo's table") << "AuditLog"
                                            << "Customers.trg_Customers_Audit"
                                            << "Trigger Definition"
                                            << "dbo"
                                            << "-- dbo: every change"
                                            << "-- sales:";
    QTest::newRow("trigger of sales' table") << "AuditLog"
                                             << "Customers.trg_Customers_Audit"
                                             << "Trigger Definition"
                                             << "sales"
                                             << "-- sales: only changes of the region"
                                             << "-- dbo:";
    QTest::newRow("default of dbo") << "(N'"
                                    << "Customers.Country: DF_Customers_Country"
                                    << "Column Default Definition"
                                    << "dbo"
                                    << "(N'Deutschland')"
                                    << "Österreich";
    QTest::newRow("default of sales") << "(N'"
                                      << "Customers.Country: DF_Customers_Country"
                                      << "Column Default Definition"
                                      << "sales"
                                      << "(N'Österreich')"
                                      << "Deutschland";
    QTest::newRow("owner with an apostrophe") << "usp_Cleanup"
                                              << "usp_CleanupNotes"
                                              << "Procedure Definition"
                                              << "O'Neil"
                                              << "DELETE FROM [O'Neil].Notes"
                                              << "dbo";
    QTest::newRow("default named with a colon") << "getdate"
                                                << "Notes.Created at: DF_Notes: Created"
                                                << "Column Default Definition"
                                                << "O'Neil"
                                                << "(getdate())"
                                                << "Orders";
}

void TestMsSqlDemo::definitionsOfOneOwner()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, comment);
    QFETCH(QString, owner);
    QFETCH(QString, mine);
    QFETCH(QString, other);
    const QStringList pieces = definitionOf(text, name, comment, owner);
    QCOMPARE(pieces.size(), 1);
    QVERIFY2(pieces.front().contains(mine), qPrintable(pieces.front()));
    QVERIFY2(!pieces.front().contains(other), qPrintable(pieces.front()));
}

void TestMsSqlDemo::lineEndsOfDefinitions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("firstLines");
    QTest::newRow("saved with CR LF") << "one row per order"
                                      << "vCustomerOrders"
                                      << "dbo"
                                      << "CREATE VIEW dbo.vCustomerOrders\r\nAS\r\n";
    QTest::newRow("saved with bare LF") << "legacy mail-order"
                                        << "usp_ImportLegacyOrders"
                                        << "dbo"
                                        << "CREATE PROCEDURE dbo.usp_ImportLegacyOrders\r\nAS\r\n";
    QTest::newRow("non-ASCII, bare LF") << "last 30 days"
                                        << "vMyNotes"
                                        << "O'Neil"
                                        << "CREATE VIEW [O'Neil].vMyNotes\r\nAS\r\n-- O'Neil's notes of the last 30 "
                                           "days\r\n";
    QTest::newRow("non-ASCII, CR LF") << "Geschäftsführung"
                                      << "vUmsatzÜbersicht"
                                      << "dbo"
                                      << "CREATE VIEW dbo.vUmsatzÜbersicht\r\nAS\r\n-- Umsätze je Kunde und Monat in "
                                         "€, für die Geschäftsführung\r\n";
}

void TestMsSqlDemo::lineEndsOfDefinitions()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, owner);
    QFETCH(QString, firstLines);
    const QStringList pieces = definitionOf(text, name, QStringLiteral("View Definition"), owner)
        + definitionOf(text, name, QStringLiteral("Procedure Definition"), owner);
    const QString whole = pieces.filter(QStringLiteral("CREATE ")).join(QString());
    QVERIFY2(whole.startsWith(firstLines), qPrintable(whole));
    QVERIFY(!whole.contains(QStringLiteral("\r\r")));
    QCOMPARE(whole.count(u'\n'), whole.count(QStringLiteral("\r\n")));
}

void TestMsSqlDemo::everyDefinitionRowShowsItsText()
{
    // "e" is in nearly every text: each definition row, whatever its names
    // and owner, shows a definition that holds it.
    const auto connection = ks::OpenConnection(m_connectionString, QString(), QString());
    int definitions = 0;
    for (const ks::ResultRow &row : search(QStringLiteral("e"))) {
        const std::optional<Definition> definition = definitionFor(row, QStringLiteral("Shop"));
        if (!definition)
            continue;
        ++definitions;
        LineCollector output;
        writeDefinition(*connection, *definition, output);
        const QString text = output.lines.join(QString());
        QVERIFY2(text.contains(u'e', Qt::CaseInsensitive), qPrintable(describe(row) + u'\n' + text));
    }
    QCOMPARE(definitions,
        int(scalar(QStringLiteral("SELECT count(DISTINCT c.id) FROM syscomments c JOIN sysobjects o "
                                  "ON o.id = c.id WHERE o.status >= 0 AND (c.text LIKE '%e%')")))
            + int(scalar(QStringLiteral("SELECT count(*) FROM syscolumns c JOIN sysobjects d ON d.id = c.cdefault "
                                        "JOIN syscomments t ON t.id = d.id WHERE t.text LIKE '%e%'"))));
}

QTEST_GUILESS_MAIN(TestMsSqlDemo)
#include "tst_mssqldemo.moc"
