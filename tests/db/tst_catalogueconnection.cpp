// Connections to catalogue files: opening from a connection string, walking
// rows, field access and conversions, error texts, read-only opening and the
// Oracle and SQL Server dialects, all through real SQLite files.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using ks::test::messageOf;

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The first field of the only row of `sql`, through the general conversion.
QString scalar(ks::Connection &connection, const QString &sql)
{
    const auto rows = ks::ExecuteSql(connection, sql);
    if (rows->eof())
        throw ks::Error(QStringLiteral("no row"));
    return rows->text(0);
}

// The first field of the only row of `sql`, or the error's text.
QString scalarOrError(ks::Connection &connection, const QString &sql)
{
    try {
        return scalar(connection, sql);
    } catch (const ks::Error &error) {
        return QStringLiteral("error: ") + error.message();
    }
}

} // namespace

class TestCatalogueConnection : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void opensAndWalksRowsInOrder();
    void fieldsByNameIgnoreLetterCase_data();
    void fieldsByNameIgnoreLetterCase();
    void valueConversions_data();
    void valueConversions();
    void strictConversionRefusesNull();
    void emptyResultIsAtEndAtOnce();
    void errorsCarryTheClientText_data();
    void errorsCarryTheClientText();
    void errorOnLaterRowRaisesOnMoveNext();
    void executeOnUnopenedConnectionSaysWhy();
    void executeOnNeverOpenedConnection();
    void openReportClearsAndFillsErrorText();
    void msSqlOpenShowsMessageOnFailure();
    void msSqlOpenOnCatalogueShowsNothing();
    void fileThatIsNoCatalogueIsNamedWithTheReason_data();
    void fileThatIsNoCatalogueIsNamedWithTheReason();
    void credentialsAreNotCheckedForCatalogue();
    void openTwiceIsRefused();
    void catalogueIsOpenedReadOnly_data();
    void catalogueIsOpenedReadOnly();
    void eachOpenHasItsOwnQtConnectionRemovedAtClose();
    void recordSetOutlivingItsConnectionIsClosedSafely();
    void closingRecordSetEndsIt();
    void dialectIsRegisteredAtEveryOpen();
    void dialectFunctions_data();
    void dialectFunctions();
    void dialectFunctionErrors_data();
    void dialectFunctionErrors();
    void oracleSearchStatementRunsUnchanged();
    void msSqlSearchStatementRunsUnchanged();
    void observerSeesEveryStatement();

private:
    QString oracleString() const { return ks::test::oracleConnectionString(m_oracleFile); }
    QString msSqlString() const
    {
        return ks::BuildMsSqlConnectionString(m_msSqlFile, QStringLiteral("Sales"), QString(), QString());
    }
    ks::ConnectionPtr openOracle() const
    {
        auto connection = ks::CreateConnection();
        connection->open(oracleString(), QString(), QString());
        return connection;
    }

    QTemporaryDir m_dir;
    QString m_oracleFile;
    QString m_msSqlFile;
};

void TestCatalogueConnection::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    m_oracleFile = m_dir.filePath(QStringLiteral("oracle.qmcat"));
    ks::test::makeCatalogue(m_oracleFile,
        {
            QStringLiteral(
                "CREATE TABLE ALL_OBJECTS (OWNER TEXT, OBJECT_NAME TEXT, OBJECT_TYPE TEXT, OBJECT_ID INTEGER, "
                "LAST_DDL_TIME TEXT, SIZE_MB REAL)"),
            QStringLiteral("INSERT INTO ALL_OBJECTS VALUES ('SCOTT', 'EMP', 'TABLE', 7, '2024-03-05 14:07:09', 1.5)"),
            QStringLiteral("INSERT INTO ALL_OBJECTS VALUES ('SCOTT', 'DEPT', 'TABLE', 8, NULL, NULL)"),
            QStringLiteral(
                "INSERT INTO ALL_OBJECTS VALUES ('SCOTT', 'EMP_HISTORY', 'PACKAGE BODY', 9, '2024-13-01', 0.25)"),
            QStringLiteral("INSERT INTO ALL_OBJECTS VALUES ('HR', 'EMPLOYEES', 'TABLE', 10, NULL, 2)"),
            QStringLiteral("INSERT INTO ALL_OBJECTS VALUES ('HR', 'Emp_Lower', 'VIEW', 11, NULL, NULL)"),
            QStringLiteral("CREATE TABLE USER_OBJECTS (OBJECT_NAME TEXT, OBJECT_TYPE TEXT)"),
        });
    m_msSqlFile = m_dir.filePath(QStringLiteral("mssql.qmcat"));
    ks::test::makeCatalogue(m_msSqlFile,
        {
            QStringLiteral("CREATE TABLE sysusers (uid INTEGER, name TEXT)"),
            QStringLiteral("CREATE TABLE sysobjects (id INTEGER, name TEXT, uid INTEGER, type TEXT, status INTEGER, "
                           "parent_obj INTEGER)"),
            QStringLiteral("INSERT INTO sysusers VALUES (1, 'dbo')"),
            QStringLiteral("INSERT INTO sysobjects VALUES (1, 'Customers', 1, 'U', 0, 0)"),
            QStringLiteral("INSERT INTO sysobjects VALUES (2, 'vCustomerList', 1, 'V', 0, 0)"),
            QStringLiteral("INSERT INTO sysobjects VALUES (3, 'CK_Customers_Age', 1, 'C', 0, 1)"),
            QStringLiteral("INSERT INTO sysobjects VALUES (4, 'Orders', 1, 'U', 0, 0)"),
        });
}

void TestCatalogueConnection::init()
{
    // A query left behind a removed Qt connection shows up as a warning.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestCatalogueConnection::opensAndWalksRowsInOrder()
{
    const auto connection = ks::OpenConnection(oracleString(), QString(), QString());
    QCOMPARE(connection->state(), 1);
    QVERIFY(connection->isOpen());

    const auto rows = ks::ExecuteSql(*connection,
        QStringLiteral("SELECT OBJECT_NAME, OBJECT_TYPE FROM ALL_OBJECTS WHERE OWNER = 'SCOTT' ORDER BY 1"));
    QCOMPARE(rows->fieldCount(), 2);
    QStringList names;
    while (!rows->eof()) {
        names << rows->text(0) + u'/' + rows->text(QStringLiteral("OBJECT_TYPE"));
        rows->moveNext();
    }
    QCOMPARE(names, (QStringList {"DEPT/TABLE", "EMP/TABLE", "EMP_HISTORY/PACKAGE BODY"}));
    rows->close();
    connection->close();
    QCOMPARE(connection->state(), 0);
}

void TestCatalogueConnection::fieldsByNameIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("upper-case column, lower-case name") << "SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_ID = 7"
                                                        << "object_name"
                                                        << "EMP";
    QTest::newRow("alias in mixed case") << "SELECT OBJECT_TYPE AS TypeName FROM ALL_OBJECTS WHERE OBJECT_ID = 7"
                                         << "TYPENAME"
                                         << "TABLE";
    QTest::newRow("expression column by its text")
        << "SELECT OWNER || '.' || OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_ID = 8"
        << "owner || '.' || object_name"
        << "SCOTT.DEPT";
    QTest::newRow("first of two equal names")
        << "SELECT OWNER AS X, OBJECT_NAME AS x FROM ALL_OBJECTS WHERE OBJECT_ID = 10"
        << "X"
        << "HR";
}

void TestCatalogueConnection::fieldsByNameIgnoreLetterCase()
{
    QFETCH(QString, sql);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const auto connection = openOracle();
    const auto rows = connection->execute(sql);
    QVERIFY(!rows->eof());
    QCOMPARE(rows->text(name), expected);
}

void TestCatalogueConnection::valueConversions_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("objectId");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << "OBJECT_NAME" << 7 << "EMP";
    QTest::newRow("integer") << "OBJECT_ID" << 7 << "7";
    QTest::newRow("real") << "SIZE_MB" << 7 << "1.5";
    QTest::newRow("real below one") << "SIZE_MB" << 9 << "0.25";
    QTest::newRow("null gives empty text") << "SIZE_MB" << 8 << "";
    QTest::newRow("null text gives empty text") << "LAST_DDL_TIME" << 8 << "";
}

void TestCatalogueConnection::valueConversions()
{
    QFETCH(QString, column);
    QFETCH(int, objectId);
    QFETCH(QString, expected);
    const auto connection = openOracle();
    const auto rows = connection->execute(
        QStringLiteral("SELECT %1 FROM ALL_OBJECTS WHERE OBJECT_ID = %2").arg(column).arg(objectId));
    QCOMPARE(rows->text(0), expected);
    QCOMPARE(rows->text(column.toLower()), expected);
    QCOMPARE(rows->value(0).isNull(), expected.isEmpty());
}

void TestCatalogueConnection::strictConversionRefusesNull()
{
    const auto connection = openOracle();
    const auto rows
        = connection->execute(QStringLiteral("SELECT OBJECT_NAME, SIZE_MB FROM ALL_OBJECTS WHERE OBJECT_ID = 8"));
    QCOMPARE(rows->strictText(0), QStringLiteral("DEPT"));
    QCOMPARE(messageOf([&] { rows->strictText(1); }), QStringLiteral("Invalid variant type conversion"));
    QCOMPARE(messageOf([&] { rows->strictText(QStringLiteral("size_mb")); }),
        QStringLiteral("Invalid variant type conversion"));
    QCOMPARE(rows->text(1), QString());
}

void TestCatalogueConnection::emptyResultIsAtEndAtOnce()
{
    const auto connection = openOracle();
    const auto rows = connection->execute(QStringLiteral("SELECT OBJECT_NAME, OBJECT_TYPE FROM USER_OBJECTS"));
    QVERIFY(rows->eof());
    QCOMPARE(rows->fieldCount(), 2);
    QVERIFY(messageOf([&] { rows->value(0); }).contains(QStringLiteral("no current row")));
}

void TestCatalogueConnection::errorsCarryTheClientText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unknown table") << "SELECT * FROM DBA_USERS"
                                   << ""
                                   << "no such table: DBA_USERS";
    QTest::newRow("unknown column") << "SELECT NOPE FROM ALL_OBJECTS"
                                    << ""
                                    << "no such column: NOPE";
    QTest::newRow("syntax") << "SELEC 1"
                            << ""
                            << "near \"SELEC\": syntax error";
    QTest::newRow("unknown field name") << "SELECT OBJECT_NAME FROM ALL_OBJECTS"
                                        << "TEXT"
                                        << "Field \"TEXT\" does not exist in the record set.";
    QTest::newRow("position past the last field") << "SELECT OBJECT_NAME FROM ALL_OBJECTS"
                                                  << "#1"
                                                  << "Field 1 does not exist: the record set has 1 fields.";
    QTest::newRow("negative position") << "SELECT OBJECT_NAME FROM ALL_OBJECTS"
                                       << "#-1"
                                       << "Field -1 does not exist: the record set has 1 fields.";
}

void TestCatalogueConnection::errorsCarryTheClientText()
{
    QFETCH(QString, sql);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const auto connection = openOracle();
    const QString message = messageOf([&] {
        const auto rows = ks::ExecuteSql(*connection, sql);
        if (field.startsWith(u'#'))
            rows->value(field.mid(1).toInt());
        else
            rows->value(field);
    });
    QCOMPARE(message, expected);
    // The connection stays usable after an error.
    QCOMPARE(scalar(*connection, QStringLiteral("SELECT COUNT(*) FROM ALL_OBJECTS")), QStringLiteral("5"));
}

void TestCatalogueConnection::errorOnLaterRowRaisesOnMoveNext()
{
    const auto connection = openOracle();
    const auto rows = connection->execute(
        QStringLiteral("SELECT TO_CHAR(LAST_DDL_TIME, 'YYYY') FROM ALL_OBJECTS WHERE LAST_DDL_TIME IS NOT NULL"));
    QCOMPARE(rows->text(0), QStringLiteral("2024"));
    QCOMPARE(messageOf([&] { rows->moveNext(); }), QStringLiteral("not a valid date: 2024-13-01"));
}

void TestCatalogueConnection::executeOnUnopenedConnectionSaysWhy()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.qmcat"));
    const auto connection
        = ks::OpenConnection(QStringLiteral("provider=NoSuch.Provider;data source=") + missing, QString(), QString());
    QCOMPARE(connection->state(), 0);
    const QString message = messageOf([&] { ks::ExecuteSql(*connection, QStringLiteral("SELECT 1")); });
    QVERIFY2(
        message.startsWith(QStringLiteral("The connection is not open. Opening it failed: ")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("\"NoSuch.Provider\" is not known")), qPrintable(message));
}

void TestCatalogueConnection::executeOnNeverOpenedConnection()
{
    const auto connection = ks::CreateConnection();
    QCOMPARE(connection->state(), 0);
    QCOMPARE(messageOf([&] { connection->execute(QStringLiteral("SELECT 1")); }),
        QStringLiteral("The connection is not open."));
    // Closing a closed connection is harmless.
    connection->close();
    QCOMPARE(connection->state(), 0);
}

void TestCatalogueConnection::openReportClearsAndFillsErrorText()
{
    QString error = QStringLiteral("left over");
    auto connection = ks::OpenConnectionReport(oracleString(), QString(), QString(), error);
    QCOMPARE(error, QString());
    QCOMPARE(connection->state(), 1);

    connection = ks::OpenConnectionReport(QStringLiteral("user id=x;password=y"), QString(), QString(), error);
    QCOMPARE(connection->state(), 0);
    QVERIFY2(error.contains(QStringLiteral("names no provider")), qPrintable(error));
}

void TestCatalogueConnection::msSqlOpenShowsMessageOnFailure()
{
    // No catalogue of that name and, in this test, no driver that can reach
    // a server: the open fails whatever is installed.
    QStringList shown;
    const QString server = m_dir.filePath(QStringLiteral("no-such-server"));
    QString expectedText;
    ks::OpenConnectionReport(
        ks::BuildMsSqlConnectionString(server, QStringLiteral("db"), QStringLiteral("sa"), QStringLiteral("pw")),
        QStringLiteral("sa"), QStringLiteral("pw"), expectedText);
    if (expectedText.isEmpty())
        QSKIP("a server of that name answered");
    const auto connection = ks::OpenMsSqlConnection(server, QStringLiteral("db"), QStringLiteral("sa"),
        QStringLiteral("pw"), [&](const QString &m) { shown << m; });
    QCOMPARE(connection->state(), 0);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(
        shown.front().startsWith(QStringLiteral("Error connecting to database\r\n\r\n")), qPrintable(shown.front()));
    QVERIFY(shown.front().size() > QStringLiteral("Error connecting to database\r\n\r\n").size());
}

void TestCatalogueConnection::msSqlOpenOnCatalogueShowsNothing()
{
    QStringList shown;
    const auto connection = ks::OpenMsSqlConnection(
        m_msSqlFile, QStringLiteral("Sales"), QString(), QString(), [&](const QString &m) { shown << m; });
    QCOMPARE(connection->state(), 1);
    QVERIFY(shown.isEmpty());
    QCOMPARE(scalar(*connection, QStringLiteral("SELECT name FROM sysobjects WHERE id = 4")), QStringLiteral("Orders"));
}

void TestCatalogueConnection::fileThatIsNoCatalogueIsNamedWithTheReason_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    QByteArray random(3 * 1024, '\0');
    quint32 state = 12345;
    for (char &byte : random) {
        state = state * 1103515245u + 12345u;
        byte = char(state >> 24);
    }
    QTest::newRow("random bytes") << random << "file is not a database";
    QTest::newRow("host name file") << QByteArray("workstation-7\n") << "file is not a database";
    QTest::newRow("text longer than a page") << QByteArray("line of text\n").repeated(1000) << "file is not a database";
    QTest::newRow("empty file") << QByteArray() << "the file is empty";
}

void TestCatalogueConnection::fileThatIsNoCatalogueIsNamedWithTheReason()
{
    // Not "No Oracle client is installed": the user named a file, so the
    // message says which and why it cannot be opened.
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(QStringLiteral("not-a-catalogue.qmcat"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    file.close();
    const QString expected = path + QStringLiteral(" is not a catalogue file: ") + reason;

    QString error;
    const auto oracle = ks::OpenConnectionReport(ks::test::oracleConnectionString(path), QString(), QString(), error);
    QCOMPARE(oracle->state(), 0);
    QCOMPARE(error, expected);
    // A search on the connection reports the same.
    QCOMPARE(messageOf([&] { ks::ExecuteSql(*oracle, QStringLiteral("SELECT 1")); }),
        QStringLiteral("The connection is not open. Opening it failed: ") + expected);

    // SQL Server's server naming the file.
    QStringList shown;
    const auto msSql = ks::OpenMsSqlConnection(path, QStringLiteral("Sales"), QStringLiteral("sa"),
        QStringLiteral("pw"), [&](const QString &m) { shown << m; });
    QCOMPARE(msSql->state(), 0);
    QCOMPARE(shown, QStringList {QStringLiteral("Error connecting to database\r\n\r\n") + expected});
    QVERIFY(QFile::remove(path));
}

void TestCatalogueConnection::credentialsAreNotCheckedForCatalogue()
{
    const auto connection = ks::OpenConnection(ks::test::oracleConnectionString(m_oracleFile, QStringLiteral("NOBODY")),
        QStringLiteral("other"), QStringLiteral("wrong"));
    QCOMPARE(connection->state(), 1);
}

void TestCatalogueConnection::openTwiceIsRefused()
{
    const auto connection = openOracle();
    QCOMPARE(messageOf([&] { connection->open(oracleString(), QString(), QString()); }),
        QStringLiteral("The connection is already open."));
    QCOMPARE(connection->state(), 1);
    QCOMPARE(scalar(*connection, QStringLiteral("SELECT COUNT(*) FROM ALL_OBJECTS")), QStringLiteral("5"));
}

void TestCatalogueConnection::catalogueIsOpenedReadOnly_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("insert") << "INSERT INTO ALL_OBJECTS (OWNER, OBJECT_NAME) VALUES ('X', 'Y')";
    QTest::newRow("update") << "UPDATE ALL_OBJECTS SET OWNER = 'X'";
    QTest::newRow("delete") << "DELETE FROM ALL_OBJECTS";
    QTest::newRow("create table") << "CREATE TABLE T (A TEXT)";
    QTest::newRow("drop table") << "DROP TABLE USER_OBJECTS";
}

void TestCatalogueConnection::catalogueIsOpenedReadOnly()
{
    QFETCH(QString, sql);
    const QByteArray before = fileHash(m_oracleFile);
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    {
        const auto connection = openOracle();
        const QString message = messageOf([&] { connection->execute(sql); });
        QVERIFY2(message.contains(QStringLiteral("readonly")), qPrintable(message));
        QCOMPARE(scalar(*connection, QStringLiteral("SELECT COUNT(*) FROM ALL_OBJECTS WHERE OWNER = 'SCOTT'")),
            QStringLiteral("3"));
    }
    QCOMPARE(fileHash(m_oracleFile), before);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), filesBefore);
}

void TestCatalogueConnection::eachOpenHasItsOwnQtConnectionRemovedAtClose()
{
    const QStringList before = QSqlDatabase::connectionNames();
    {
        const auto first = openOracle();
        const auto second = openOracle();
        const QStringList during = QSqlDatabase::connectionNames();
        QCOMPARE(during.size(), before.size() + 2);
        first->close();
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 1);
        QCOMPARE(scalar(*second, QStringLiteral("SELECT COUNT(*) FROM ALL_OBJECTS")), QStringLiteral("5"));
        first->open(oracleString(), QString(), QString());
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 2);
        // A reopened connection gets a name of its own, not the closed one's.
        const QStringList after = QSqlDatabase::connectionNames();
        const auto fresh
            = std::count_if(after.cbegin(), after.cend(), [&](const QString &name) { return !during.contains(name); });
        QCOMPARE(fresh, 1);
    }
    QCOMPARE(QSqlDatabase::connectionNames(), before);
}

void TestCatalogueConnection::recordSetOutlivingItsConnectionIsClosedSafely()
{
    std::unique_ptr<ks::Recordset> rows;
    {
        auto connection = openOracle();
        rows = connection->execute(QStringLiteral("SELECT OBJECT_NAME FROM ALL_OBJECTS ORDER BY OBJECT_ID"));
        QCOMPARE(rows->text(0), QStringLiteral("EMP"));
    } // the last owner lets go of the connection here
    QVERIFY(rows->eof());
    QCOMPARE(
        messageOf([&] { rows->value(0); }), QStringLiteral("Operation is not allowed when the record set is closed."));
    QCOMPARE(messageOf([&] { rows->moveNext(); }),
        QStringLiteral("Operation is not allowed when the record set is closed."));
    rows->close();
    rows.reset();

    // The same when the connection is closed explicitly, then destroyed first.
    auto connection = openOracle();
    rows = connection->execute(QStringLiteral("SELECT OBJECT_NAME FROM ALL_OBJECTS"));
    connection->close();
    QVERIFY(rows->eof());
    connection.reset();
    rows.reset();
}

void TestCatalogueConnection::closingRecordSetEndsIt()
{
    const auto connection = openOracle();
    const auto rows = connection->execute(QStringLiteral("SELECT OBJECT_NAME FROM ALL_OBJECTS"));
    QVERIFY(!rows->eof());
    rows->close();
    QVERIFY(rows->eof());
    QCOMPARE(
        messageOf([&] { rows->text(0); }), QStringLiteral("Operation is not allowed when the record set is closed."));
    rows->close();
    QCOMPARE(connection->state(), 1);
}

void TestCatalogueConnection::dialectIsRegisteredAtEveryOpen()
{
    for (int round = 0; round < 3; ++round) {
        const auto connection = openOracle();
        QCOMPARE(
            scalar(*connection, QStringLiteral("SELECT INITCAP(OBJECT_TYPE) FROM ALL_OBJECTS WHERE OBJECT_ID = 9")),
            QStringLiteral("Package Body"));
        QCOMPARE(scalar(*connection, QStringLiteral("SELECT COUNT(*) FROM ALL_OBJECTS WHERE OBJECT_NAME LIKE '%Emp%'")),
            QStringLiteral("1"));
    }
}

void TestCatalogueConnection::dialectFunctions_data()
{
    QTest::addColumn<bool>("oracle");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");

    QTest::newRow("oracle like is case-sensitive") << true << "'Emp' LIKE '%EMP%'"
                                                   << "0";
    QTest::newRow("oracle like non-ASCII case-sensitive") << true << "'école' LIKE 'ÉCOLE'"
                                                          << "0";
    QTest::newRow("oracle underscore") << true << "'EMP' LIKE 'E_P'"
                                       << "1";
    QTest::newRow("oracle brackets are literal") << true << "'cat' LIKE '[bc]at'"
                                                 << "0";
    QTest::newRow("oracle not like") << true << "'EMP' NOT LIKE '%X%'"
                                     << "1";
    QTest::newRow("oracle like null") << true << "'EMP' LIKE NULL"
                                      << "";
    QTest::newRow("oracle like escape") << true << "'A_B' LIKE 'A\\_B' ESCAPE '\\'"
                                        << "1";
    QTest::newRow("oracle like escape refuses wildcard use") << true << "'AXB' LIKE 'A\\_B' ESCAPE '\\'"
                                                             << "0";
    QTest::newRow("mssql like of U+FFFF") << false << "'a' || char(65535) LIKE 'A' || char(65535)"
                                          << "1";
    QTest::newRow("mssql like escape U+FFFF") << false << "'%' LIKE char(65535) || '%' ESCAPE char(65535)"
                                              << "1";
    QTest::newRow("oracle upper folds non-ASCII") << true << "UPPER('école')"
                                                  << "ÉCOLE";
    QTest::newRow("oracle lower folds non-ASCII") << true << "LOWER('ÉCOLE Ü')"
                                                  << "école ü";
    QTest::newRow("upper maps one letter to one") << true << "UPPER('straße')"
                                                  << "STRAßE";
    QTest::newRow("upper of ignore-case search text matches")
        << true << "(SELECT COUNT(*) WHERE UPPER('Die Straße') LIKE '%STRAßE%')"
        << "1";
    QTest::newRow("oracle upper of null") << true << "UPPER(NULL) IS NULL"
                                          << "1";
    QTest::newRow("initcap words") << true << "INITCAP('PACKAGE BODY')"
                                   << "Package Body";
    QTest::newRow("initcap punctuation delimits") << true << "INITCAP('o''neil-SMITH')"
                                                  << "O'Neil-Smith";
    QTest::newRow("initcap underscore delimits") << true << "INITCAP('ci_app_sys')"
                                                 << "Ci_App_Sys";
    QTest::newRow("initcap digits belong to words") << true << "INITCAP('ab1cd 2xy')"
                                                    << "Ab1cd 2xy";
    QTest::newRow("initcap non-ASCII") << true << "INITCAP('élan ÖL')"
                                       << "Élan Öl";
    QTest::newRow("nvl null") << true << "NVL(NULL, 'x')"
                              << "x";
    QTest::newRow("nvl value") << true << "NVL('a', 'x')"
                               << "a";
    QTest::newRow("to_char integer") << true << "TO_CHAR(3)"
                                     << "3";
    QTest::newRow("to_char negative integer") << true << "TO_CHAR(-42)"
                                              << "-42";
    QTest::newRow("to_char fraction below one") << true << "TO_CHAR(0.5)"
                                                << ".5";
    QTest::newRow("to_char negative fraction") << true << "TO_CHAR(-0.25)"
                                               << "-.25";
    QTest::newRow("to_char real with integral value") << true << "TO_CHAR(2.0)"
                                                      << "2";
    QTest::newRow("to_char large") << true << "TO_CHAR(1e20)"
                                   << "100000000000000000000";
    QTest::newRow("to_char text unchanged") << true << "TO_CHAR('abc')"
                                            << "abc";
    QTest::newRow("to_char null") << true << "TO_CHAR(NULL) IS NULL"
                                  << "1";
    QTest::newRow("format with group and decimals") << true << "TO_CHAR(1234.5, '9,999.99')"
                                                    << " 1,234.50";
    QTest::newRow("format leading zeros") << true << "TO_CHAR(5, '000')"
                                          << " 005";
    QTest::newRow("format negative") << true << "TO_CHAR(-5, '999')"
                                     << "  -5";
    QTest::newRow("format overflow") << true << "TO_CHAR(1234, '99')"
                                     << "###";
    QTest::newRow("format fill mode drops blanks and zeros") << true << "TO_CHAR(1.5, 'FM999.99')"
                                                             << "1.5";
    QTest::newRow("format fill mode keeps forced zeros") << true << "TO_CHAR(1.5, 'FM999.00')"
                                                         << "1.50";
    QTest::newRow("format rounds half up in decimal") << true << "TO_CHAR(2.675, 'FM9.99')"
                                                      << "2.68";
    QTest::newRow("format zero") << true << "TO_CHAR(0, '999')"
                                 << "   0";
    QTest::newRow("format fraction without leading zero") << true << "TO_CHAR(0.5, '999.99')"
                                                          << "    .50";
    QTest::newRow("format fraction with leading zero") << true << "TO_CHAR(0.5, '990.99')"
                                                       << "   0.50";
    QTest::newRow("format small group number") << true << "TO_CHAR(12, '9,999')"
                                               << "    12";
    QTest::newRow("format trailing minus") << true << "TO_CHAR(-7, '99MI')"
                                           << " 7-";
    QTest::newRow("format leading sign") << true << "TO_CHAR(7, 'S99')"
                                         << " +7";
    QTest::newRow("format dollar") << true << "TO_CHAR(5, 'FM$999')"
                                   << "$5";
    QTest::newRow("format numeric text") << true << "TO_CHAR('12.5', 'FM99.00')"
                                         << "12.50";
    QTest::newRow("date iso") << true << "TO_CHAR('2024-03-05 14:07:09', 'YYYY-MM-DD HH24:MI:SS')"
                              << "2024-03-05 14:07:09";
    QTest::newRow("date with T") << true << "TO_CHAR('2024-03-05T14:07:09', 'DD.MM.YYYY HH24MI')"
                                 << "05.03.2024 1407";
    QTest::newRow("date only") << true << "TO_CHAR('2024-03-05', 'DD.MM.YY HH24:MI')"
                               << "05.03.24 00:00";
    QTest::newRow("date twelve-hour clock") << true << "TO_CHAR('2024-03-05 14:07:09', 'Mon DD, YYYY HH:MI AM')"
                                            << "Mar 05, 2024 02:07 PM";
    QTest::newRow("date midnight is twelve") << true << "TO_CHAR('2024-03-05 00:30', 'HH12:MI a.m.')"
                                             << "12:30 a.m.";
    QTest::newRow("date month padded") << true << "TO_CHAR('2024-03-05', 'Month|')"
                                       << "March    |";
    QTest::newRow("date month fill mode") << true << "TO_CHAR('2024-03-05', 'FMMonth DD|')"
                                          << "March 5|";
    QTest::newRow("date upper day name padded") << true << "TO_CHAR('2024-03-05', 'DAY|DY|Dy|D')"
                                                << "TUESDAY  |TUE|Tue|3";
    QTest::newRow("date day of year and quarter") << true << "TO_CHAR('2024-03-05', 'DDD Q')"
                                                  << "065 1";
    QTest::newRow("date julian day") << true << "TO_CHAR('1970-01-01', 'J')"
                                     << "2440588";
    QTest::newRow("date quoted text") << true << "TO_CHAR('2024-03-05', '\"Year \"YYYY')"
                                      << "Year 2024";
    QTest::newRow("date seconds of day") << true << "TO_CHAR('2024-03-05 01:00:01', 'SSSSS')"
                                         << "03601";
    QTest::newRow("date from a column")
        << true << "(SELECT TO_CHAR(LAST_DDL_TIME, 'DD-MON-YYYY') FROM ALL_OBJECTS WHERE OBJECT_ID = 7)"
        << "05-MAR-2024";

    // Where the engine's own LIKE and the UTF-8 functions take short ways,
    // the results stay those of the dialect.
    QTest::newRow("oracle like empty pattern on empty text") << true << "'' LIKE ''"
                                                             << "1";
    QTest::newRow("oracle like empty pattern on text") << true << "'a' LIKE ''"
                                                       << "0";
    QTest::newRow("oracle like null text") << true << "NULL LIKE '%'"
                                           << "";
    QTest::newRow("oracle like number as text") << true << "12 LIKE '1_'"
                                                << "1";
    QTest::newRow("oracle underscore is one character, not one byte") << true << "'Öl' LIKE '_l'"
                                                                      << "1";
    QTest::newRow("oracle like non-ASCII pattern") << true << "'Straße' LIKE '%aß%'"
                                                   << "1";
    QTest::newRow("oracle like non-ASCII pattern, other case") << true << "'STRASSE' LIKE '%aß%'"
                                                               << "0";
    QTest::newRow("oracle escaped percent") << true << "'50% off' LIKE '50\\% %' ESCAPE '\\'"
                                            << "1";
    QTest::newRow("oracle escaped percent refuses wildcard use") << true << "'500 off' LIKE '50\\%%' ESCAPE '\\'"
                                                                 << "0";
    QTest::newRow("oracle non-ASCII escape character") << true << "'a_b' LIKE 'aé_b' ESCAPE 'é'"
                                                       << "1";
    QTest::newRow("oracle like null escape") << true << "'a' LIKE 'a' ESCAPE NULL"
                                             << "";
    QTest::newRow("upper keeps an inner NUL") << true << "hex(UPPER('a' || char(0) || 'b'))"
                                              << "410042";
    QTest::newRow("upper of a number") << true << "UPPER(12)"
                                       << "12";
    QTest::newRow("upper grows a letter to three bytes") << true << "UPPER('\u0250x')"
                                                         << "\u2C6FX";
    QTest::newRow("lower shrinks a letter to one byte") << true << "LOWER('\u212A')"
                                                        << "k";
    QTest::newRow("upper of invalid UTF-8 as SQLite converts it") << true << "hex(UPPER(CAST(x'61ff62' AS TEXT)))"
                                                                  << "41EFBFBD42";
    QTest::newRow("initcap of null") << true << "INITCAP(NULL) IS NULL"
                                     << "1";
    QTest::newRow("upper then like finds non-ASCII in either case") << true << "UPPER('Café') LIKE '%CAFÉ%'"
                                                                    << "1";
    QTest::newRow("sql server like ignores case") << false << "'Emp' LIKE '%EMP%'"
                                                  << "1";
    QTest::newRow("sql server like empty pattern") << false << "'a' LIKE ''"
                                                   << "0";
    QTest::newRow("sql server like null") << false << "NULL LIKE '%'"
                                          << "";
    QTest::newRow("sql server like non-ASCII text, ASCII pattern") << false << "'Größe ORDERS' LIKE '%order%'"
                                                                   << "1";
    QTest::newRow("sql server like long text") << false << "'" + QString(40, u'x') + "Orders' LIKE '%ORDER%'"
                                               << "1";
    QTest::newRow("sql server like escape") << false << "'a[b' LIKE 'a\\[b' ESCAPE '\\'"
                                            << "1";
    QTest::newRow("sql server like invalid UTF-8 as SQLite converts it")
        << false << "CAST(x'41ff42' AS TEXT) LIKE 'a_b'"
        << "1";
    QTest::newRow("sql server like non-ASCII case") << false << "'école' LIKE 'ÉCOLE'"
                                                    << "1";
    QTest::newRow("sql server set") << false << "'cat' LIKE '[bc]at'"
                                    << "1";
    QTest::newRow("sql server negated set") << false << "'bat' LIKE '[^bc]at'"
                                            << "0";
    QTest::newRow("sql server upper folds non-ASCII") << false << "UPPER('école')"
                                                      << "ÉCOLE";
    QTest::newRow("sql server substring and datalength count UTF-16 units")
        << false
        << "SUBSTRING('a😀c', 1, 3) || '|' || SUBSTRING('abc', -1, 3) || '|' || SUBSTRING('abc', 2, 9) || '|' || "
           "DATALENGTH('a😀 abcdefghijklmnopqrsté😀')"
        << "a😀|a|bc|54";
    QTest::newRow("sql server stuff joins two texts")
        << false << "STUFF('cdef', 1, 0, 'ab') || STUFF('abc', 2, 9, NULL)"
        << "abcdefa";
    QTest::newRow("sql server stuff outside the text is null")
        << false << "COALESCE(STUFF('', 1, 0, 'x'), STUFF('ab', 3, 0, 'x'), STUFF('ab', 1, -1, 'x'), 'null')"
        << "null";
}

void TestCatalogueConnection::dialectFunctions()
{
    QFETCH(bool, oracle);
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    const auto connection = ks::OpenConnection(oracle ? oracleString() : msSqlString(), QString(), QString());
    QCOMPARE(connection->state(), 1);
    QCOMPARE(scalarOrError(*connection, QStringLiteral("SELECT ") + expression), expected);
}

void TestCatalogueConnection::dialectFunctionErrors_data()
{
    QTest::addColumn<bool>("oracle");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bad number format") << true << "TO_CHAR(5, '9X9')"
                                       << "invalid number format model";
    QTest::newRow("bad date format") << true << "TO_CHAR('2024-03-05', 'YYYY-XX')"
                                     << "date format not recognized";
    QTest::newRow("not a date") << true << "TO_CHAR('tomorrow', 'YYYY')"
                                << "not a valid date: tomorrow";
    QTest::newRow("oracle bad escape") << true << "'a' LIKE 'a\\b' ESCAPE '\\'"
                                       << "missing or illegal character following the escape character";
    QTest::newRow("escape of two characters") << false << "'a' LIKE 'a' ESCAPE 'xy'"
                                              << "ESCAPE expression must be a single character";
    QTest::newRow("no oracle functions for sql server") << false << "INITCAP('x')"
                                                        << "no such function: INITCAP";
    QTest::newRow("sql server substring of a negative length")
        << false << "SUBSTRING('ab', 1, -1)"
        << "Invalid length parameter passed to the substring function.";
}

void TestCatalogueConnection::dialectFunctionErrors()
{
    QFETCH(bool, oracle);
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    const auto connection = ks::OpenConnection(oracle ? oracleString() : msSqlString(), QString(), QString());
    QCOMPARE(scalarOrError(*connection, QStringLiteral("SELECT ") + expression), QStringLiteral("error: ") + expected);
}

void TestCatalogueConnection::oracleSearchStatementRunsUnchanged()
{
    const auto connection = openOracle();
    const auto rows = connection->execute(QStringLiteral(
        "SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , OWNER FROM ALL_OBJECTS WHERE UPPER(OBJECT_NAME) LIKE '%EMP%' "
        "AND OWNER = 'SCOTT' ORDER BY 1, 2"));
    QStringList found;
    for (; !rows->eof(); rows->moveNext())
        found << rows->text(0) + u'|' + rows->text(1) + u'|' + rows->text(QStringLiteral("owner"));
    QCOMPARE(found, (QStringList {"EMP|Table|SCOTT", "EMP_HISTORY|Package Body|SCOTT"}));

    // Without Ignore Case the match is case-sensitive, and "_" is a wildcard.
    const auto exact = connection->execute(
        QStringLiteral("SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_NAME LIKE '%Emp_%' ORDER BY 1"));
    QCOMPARE(exact->text(0), QStringLiteral("Emp_Lower"));
    exact->moveNext();
    QVERIFY(exact->eof());
}

void TestCatalogueConnection::msSqlSearchStatementRunsUnchanged()
{
    const auto connection = ks::OpenConnection(msSqlString(), QString(), QString());
    const auto rows = connection->execute(QStringLiteral(
        "SELECT sysobjects.name, sysusers.name as Owner, sysobjects.type  FROM sysobjects "
        " INNER JOIN sysusers ON sysobjects.uid = sysusers.uid"
        " LEFT OUTER JOIN sysobjects AS systables ON sysobjects.parent_obj = systables.id"
        " WHERE  sysobjects.status >= 0  AND systables.id IS NULL  AND sysobjects.name LIKE '%CUSTOMER%'  "
        "ORDER BY sysobjects.name "));
    QStringList found;
    for (; !rows->eof(); rows->moveNext())
        found << rows->text(0) + u'|' + rows->text(QStringLiteral("OWNER")) + u'|' + rows->text(2);
    QCOMPARE(found, (QStringList {"Customers|dbo|U", "vCustomerList|dbo|V"}));
}

void TestCatalogueConnection::observerSeesEveryStatement()
{
    QStringList outer;
    QStringList inner;
    const auto connection = openOracle();
    {
        const ks::ScopedStatementObserver watchOuter([&](const QString &sql) { outer << sql; });
        connection->execute(QStringLiteral("SELECT 1"));
        {
            const ks::ScopedStatementObserver watchInner([&](const QString &sql) { inner << sql; });
            messageOf([&] { connection->execute(QStringLiteral("SELECT * FROM NOWHERE")); });
        }
        ks::ExecuteSql(*connection, QStringLiteral("SELECT 3"));
    }
    connection->execute(QStringLiteral("SELECT 4"));
    QCOMPARE(outer, (QStringList {"SELECT 1", "SELECT 3"}));
    QCOMPARE(inner, QStringList {"SELECT * FROM NOWHERE"});
}

QTEST_GUILESS_MAIN(TestCatalogueConnection)
#include "tst_catalogueconnection.moc"
