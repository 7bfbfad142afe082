// The SQL Server path end to end: the access layer through Qt's ODBC driver,
// unixODBC and FreeTDS to the TDS test server, which answers from a
// catalogue file. What arrives is compared with the same catalogue file
// opened directly.

#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TdsTestServer.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using ks::test::KnobGuard;
using ks::test::messageOf;
using ks::test::TdsTestServer;

namespace {

const QString kDatabase = QStringLiteral("shop");
const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("s3cret pass");
const QString kNonAscii = QStringLiteral("Café Ünïcödé 日本 \U0001F600");

// Ids of the long definitions in syscomments.
constexpr int kLongProcedureId = 900;
constexpr int kMegabyteId = 901;
constexpr qsizetype kRecordLength = 4000;

// A text of `length` UTF-16 units that does not repeat one character, with
// line ends, apostrophes, letters outside ASCII and outside the BMP.
QString longText(qsizetype length, QChar tag)
{
    const QString piece = QStringLiteral("-- line of '%1' é ü ß 日本 \U0001F600 0123456789\r\n").arg(tag);
    QString text;
    text.reserve(length + piece.size());
    for (int line = 0; text.size() < length; ++line)
        text += QString::number(line) + piece;
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.back() = u'x';
    return text;
}

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

using Rows = QList<QVariantList>;

// Every row of a record set, NULL kept apart from the empty text.
Rows readAll(ks::Recordset &rows)
{
    Rows all;
    for (; !rows.eof(); rows.moveNext()) {
        QVariantList row;
        for (int i = 0; i < rows.fieldCount(); ++i) {
            const QVariant value = rows.value(i);
            row << (value.isNull() ? QVariant() : QVariant(value.toString()));
        }
        all << row;
    }
    return all;
}

} // namespace

class TestTdsServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void loginWithUserNameAndPassword();
    void refusedLoginGivesServerMessage_data();
    void refusedLoginGivesServerMessage();
    void bracedValuesReachServerLiterally_data();
    void bracedValuesReachServerLiterally();
    void queryMatchesCatalogueFile_data();
    void queryMatchesCatalogueFile();
    void longDefinitionOverManyRecordsArrivesWhole();
    void megabyteValueArrivesWhole();
    void nonAsciiTextArrivesIntact();
    void statementErrorEndsWithServerMessage_data();
    void statementErrorEndsWithServerMessage();
    void droppedConnectionGivesErrorAndNextConnectionWorks();
    void delayedRowsArriveWhole();
    void closingResultEarlySendsAttentionAndConnectionGoesOn_data();
    void closingResultEarlySendsAttentionAndConnectionGoesOn();
    void silentServerFailsLoginWithinTimeout_data();
    void silentServerFailsLoginWithinTimeout();

private:
    ks::ConnectionTarget target(const QString &user, const QString &password, int loginTimeoutSeconds = 10) const
    {
        ks::ConnectionTarget target
            = ks::odbcTarget(ks::test::freeTdsConnectionString(m_server->port(), kDatabase, user, password));
        target.connectOptions
            = QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3;SQL_ATTR_LOGIN_TIMEOUT=%1").arg(loginTimeoutSeconds);
        return target;
    }
    ks::ConnectionPtr openServer() const
    {
        auto connection = ks::CreateConnection();
        connection->openTarget(target(kUser, kPassword));
        return connection;
    }
    ks::ConnectionPtr openFile() const
    {
        auto connection = ks::CreateConnection();
        connection->open(QStringLiteral("Provider=sqloledb;Data Source=%1;Initial Catalog=%2").arg(m_file, kDatabase),
            kUser, kPassword);
        return connection;
    }

    QTemporaryDir m_dir;
    QString m_file;
    QString m_longProcedure;
    QString m_megabyte;
    std::unique_ptr<TdsTestServer> m_server;
};

void TestTdsServer::initTestCase()
{
    if (const QString why = ks::test::freeTdsUnavailable(false); !why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("shop.qmcat"));
    m_longProcedure = longText(100 * 1024 + 17, u'p');
    m_megabyte = longText(1024 * 1024 + 3, u'm');

    QStringList statements {
        QStringLiteral("CREATE TABLE sysusers (uid INTEGER, name TEXT)"),
        QStringLiteral("CREATE TABLE sysobjects (name TEXT, id INTEGER, uid INTEGER, type TEXT COLLATE RTRIM, "
                       "parent_obj INTEGER, crdate TEXT, size REAL)"),
        QStringLiteral("CREATE TABLE syscomments (id INTEGER, colid INTEGER, text TEXT)"),
        QStringLiteral("INSERT INTO sysusers VALUES (1, 'dbo'), (5, 'sales'), (7, 'o''brien')"),
        QStringLiteral("INSERT INTO sysobjects VALUES ('Customers', 1, 1, 'U ', 0, '2024-03-05 14:07:09', 0.5), "
                       "('Orders', 2, 5, 'U ', 0, NULL, 2.25), ('PK_Orders', 3, 5, 'K ', 2, NULL, NULL), "
                       "('trOrders', 4, 5, 'TR', 2, '', NULL), ('pCustomerList', 5, 7, 'P ', 0, NULL, NULL), "
                       "('Stock', 3000000000, 1, 'V ', 0, NULL, -1.0)"),
        QStringLiteral("INSERT INTO sysobjects VALUES (%1, 6, 1, 'FN', 0, NULL, NULL)").arg(sqlText(kNonAscii)),
        QStringLiteral("INSERT INTO sysobjects VALUES ('pLong', %1, 1, 'P ', 0, NULL, NULL), "
                       "('pMegabyte', %2, 1, 'P ', 0, NULL, NULL)")
            .arg(kLongProcedureId)
            .arg(kMegabyteId),
        QStringLiteral("INSERT INTO syscomments VALUES (5, 1, 'CREATE PROCEDURE pCustomerList AS SELECT 1'), "
                       "(4, 1, 'CREATE TRIGGER trOrders ON Orders FOR INSERT AS RETURN')"),
        QStringLiteral("INSERT INTO syscomments VALUES (6, 1, %1)")
            .arg(sqlText(QStringLiteral("RETURN N'") + kNonAscii)),
        QStringLiteral("INSERT INTO syscomments VALUES (%1, 1, %2)").arg(kMegabyteId).arg(sqlText(m_megabyte)),
    };
    // The long procedure as the server stores it: records of at most 4,000
    // characters with increasing colid.
    for (qsizetype at = 0, colid = 1; at < m_longProcedure.size(); at += kRecordLength, ++colid)
        statements << QStringLiteral("INSERT INTO syscomments VALUES (%1, %2, %3)")
                          .arg(kLongProcedureId)
                          .arg(colid)
                          .arg(sqlText(m_longProcedure.mid(at, kRecordLength)));
    ks::test::makeCatalogue(m_file, statements);

    m_server = std::make_unique<TdsTestServer>(m_file, kUser, kPassword);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
    QVERIFY(m_server->port() != 0);
}

void TestTdsServer::init()
{
    // Neither Qt's drivers nor the server's thread may complain.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestTdsServer::cleanupTestCase()
{
    m_server.reset();
}

void TestTdsServer::loginWithUserNameAndPassword()
{
    const int logins = m_server->logins();
    const auto connection = openServer();
    QCOMPARE(connection->state(), 1);
    QCOMPARE(m_server->logins(), logins + 1);
    const auto rows = connection->execute(QStringLiteral("SELECT name FROM sysusers WHERE uid = 5"));
    QCOMPARE(readAll(*rows), (Rows {{QStringLiteral("sales")}}));
}

void TestTdsServer::refusedLoginGivesServerMessage_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refuseAll");
    QTest::newRow("wrong password") << kUser << QStringLiteral("guess") << false;
    QTest::newRow("unknown user") << QStringLiteral("mallory") << kPassword << false;
    QTest::newRow("password letter case") << kUser << kPassword.toUpper() << false;
    QTest::newRow("server refuses everyone") << kUser << kPassword << true;
}

void TestTdsServer::refusedLoginGivesServerMessage()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, refuseAll);
    const KnobGuard guard(*m_server);
    m_server->setRefuseLogin(refuseAll);
    auto connection = ks::CreateConnection();
    const QString message = messageOf([&] { connection->openTarget(target(user, password)); });
    QVERIFY2(message.contains(QStringLiteral("Login failed for user '%1'.").arg(user)), qPrintable(message));
    QCOMPARE(connection->state(), 0);
    // The failure is kept for the first statement to report.
    QVERIFY(
        messageOf([&] { connection->execute(QStringLiteral("SELECT 1")); }).contains(QStringLiteral("Login failed")));
}

void TestTdsServer::bracedValuesReachServerLiterally_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("separator and equals sign") << QStringLiteral("a;b=c");
    QTest::newRow("closing brace inside") << QStringLiteral("pa}ss");
    QTest::newRow("closing brace at the end") << QStringLiteral("pass}");
    QTest::newRow("both braces") << QStringLiteral("{x}");
    QTest::newRow("blanks around") << QStringLiteral("  pass  ");
    QTest::newRow("outside ASCII") << QStringLiteral("日本ü");
}

void TestTdsServer::bracedValuesReachServerLiterally()
{
    // FreeTDS takes a braced value as it stands, up to the first "}" that a
    // ";" or the end follows: "}" is not doubled for it.
    QFETCH(QString, password);
    const KnobGuard guard(*m_server);
    m_server->setLogin(kUser, password);
    auto connection = ks::CreateConnection();
    connection->openTarget(target(kUser, password));
    QCOMPARE(connection->state(), 1);
    if (password.contains(u'}')) {
        // Doubled as ODBC's rule would have it, the password is no longer the same.
        QString doubled = password;
        doubled.replace(u'}', QStringLiteral("}}"));
        auto refused = ks::CreateConnection();
        QVERIFY(
            messageOf([&] { refused->openTarget(target(kUser, doubled)); }).contains(QStringLiteral("Login failed")));
    }
}

void TestTdsServer::queryMatchesCatalogueFile_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("expectedRows");
    QTest::newRow("columns of every type, NULL and empty")
        << QStringLiteral("SELECT name, id, uid, type, parent_obj, crdate, size FROM sysobjects ORDER BY id") << 9;
    QTest::newRow("padded type code found by equality")
        << QStringLiteral("SELECT name, type FROM sysobjects WHERE type = 'U' ORDER BY name") << 2;
    QTest::newRow("LIKE with a set, letter case ignored")
        << QStringLiteral("SELECT name FROM sysobjects WHERE name LIKE '[CT]%' ORDER BY name") << 3;
    QTest::newRow("upper of non-ASCII names")
        << QStringLiteral("SELECT upper(name) AS N FROM sysobjects ORDER BY id") << 9;
    QTest::newRow("join with an apostrophe in a value") << QStringLiteral(
        "SELECT sysusers.name || '.' || sysobjects.name AS Name, sysobjects.type "
        "FROM sysobjects, sysusers WHERE sysusers.uid = sysobjects.uid AND sysusers.name = 'o''brien'")
                                                        << 1;
    QTest::newRow("definitions in record order")
        << QStringLiteral("SELECT c.id, c.colid, c.text FROM syscomments c WHERE c.id <> %1 ORDER BY c.id, c.colid")
               .arg(kMegabyteId)
        << 3 + 26;
    QTest::newRow("no rows") << QStringLiteral("SELECT name, id FROM sysobjects WHERE 1 = 0") << 0;
    QTest::newRow("computed values") << QStringLiteral(
        "SELECT COUNT(*) AS n, MAX(id) AS top, SUM(size) AS total, NULL AS unknown FROM sysobjects")
                                     << 1;
}

void TestTdsServer::queryMatchesCatalogueFile()
{
    QFETCH(QString, sql);
    QFETCH(int, expectedRows);
    const auto file = openFile();
    const auto server = openServer();
    const auto direct = file->execute(sql);
    const auto served = server->execute(sql);
    QCOMPARE(served->fieldCount(), direct->fieldCount());
    const Rows expected = readAll(*direct);
    QCOMPARE(expected.size(), expectedRows);
    QCOMPARE(readAll(*served), expected);
}

void TestTdsServer::longDefinitionOverManyRecordsArrivesWhole()
{
    const auto connection = openServer();
    const auto rows = connection->execute(
        QStringLiteral("SELECT colid, text FROM syscomments WHERE id = %1 ORDER BY colid").arg(kLongProcedureId));
    QString definition;
    int records = 0;
    for (; !rows->eof(); rows->moveNext()) {
        QCOMPARE(rows->text(QStringLiteral("colid")), QString::number(++records));
        const QString text = rows->text(QStringLiteral("TEXT"));
        QVERIFY(text.size() <= kRecordLength);
        definition += text;
    }
    QCOMPARE(records, 26);
    QCOMPARE(definition.size(), m_longProcedure.size());
    QVERIFY(definition == m_longProcedure);
}

void TestTdsServer::megabyteValueArrivesWhole()
{
    const auto connection = openServer();
    // The long value stands between two short ones: columns are read in order.
    const auto rows
        = connection->execute(QStringLiteral("SELECT colid, text, id FROM syscomments WHERE id = %1").arg(kMegabyteId));
    QVERIFY(!rows->eof());
    const QString text = rows->text(1);
    QCOMPARE(text.size(), m_megabyte.size());
    QVERIFY(text == m_megabyte);
    QCOMPARE(rows->text(0), QStringLiteral("1"));
    QCOMPARE(rows->text(2), QString::number(kMegabyteId));
    rows->moveNext();
    QVERIFY(rows->eof());
}

void TestTdsServer::nonAsciiTextArrivesIntact()
{
    const auto connection = openServer();
    // The text travels both ways: in the statement and in the rows.
    const QString sql
        = QStringLiteral("SELECT o.name, c.text FROM sysobjects o, syscomments c WHERE c.id = o.id AND o.name = %1")
              .arg(sqlText(kNonAscii));
    const auto rows = connection->execute(sql);
    QCOMPARE(readAll(*rows), (Rows {{kNonAscii, QStringLiteral("RETURN N'") + kNonAscii}}));
    QVERIFY(m_server->batchTexts().contains(sql));
}

void TestTdsServer::statementErrorEndsWithServerMessage_data()
{
    QTest::addColumn<QString>("failOn");
    QTest::addColumn<int>("failAfterRows");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rowsBefore");
    QTest::newRow("engine error") << QString() << 0 << QStringLiteral("SELECT name FROM sysobjectz")
                                  << QStringLiteral("no such table: sysobjectz") << 0;
    QTest::newRow("error from a function")
        << QString() << 0 << QStringLiteral("SELECT name FROM sysobjects WHERE name LIKE 'a' ESCAPE 'xy'")
        << QStringLiteral("ESCAPE expression must be a single character") << 0;
    QTest::newRow("statement failed before rows")
        << QStringLiteral("FROM syscomments") << 0 << QStringLiteral("SELECT text FROM syscomments ORDER BY id")
        << QStringLiteral("Invalid object name 'syscomments'.") << 0;
    QTest::newRow("statement failed after rows")
        << QStringLiteral("sysobjects") << 3 << QStringLiteral("SELECT name FROM sysobjects ORDER BY id")
        << QStringLiteral("Transaction (Process ID 51) was deadlocked on lock resources.") << 3;
}

void TestTdsServer::statementErrorEndsWithServerMessage()
{
    QFETCH(QString, failOn);
    QFETCH(int, failAfterRows);
    QFETCH(QString, sql);
    QFETCH(QString, message);
    QFETCH(int, rowsBefore);
    const KnobGuard guard(*m_server);
    if (!failOn.isEmpty())
        m_server->failStatements(failOn, message, failAfterRows);
    const auto connection = openServer();
    QStringList names;
    const QString error = messageOf([&] {
        for (const auto rows = connection->execute(sql); !rows->eof(); rows->moveNext())
            names << rows->text(0);
    });
    QVERIFY2(error.contains(message, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(names.size(), rowsBefore);
    // The connection is still good for the next statement.
    m_server->clearStatementFailures();
    QCOMPARE(readAll(*connection->execute(QStringLiteral("SELECT uid FROM sysusers WHERE name = 'dbo'"))),
        (Rows {{QStringLiteral("1")}}));
}

void TestTdsServer::droppedConnectionGivesErrorAndNextConnectionWorks()
{
    const KnobGuard guard(*m_server);
    const auto dropped = openServer();
    m_server->setDropAfterRows(2);
    QStringList names;
    const QString error = messageOf([&] {
        for (const auto rows = dropped->execute(QStringLiteral("SELECT name FROM sysobjects ORDER BY id"));
             !rows->eof(); rows->moveNext())
            names << rows->text(0);
    });
    QVERIFY2(error != QStringLiteral("<no error>") && !error.isEmpty(), qPrintable(error));
    // The rows sent before the drop were read.
    QCOMPARE(names, (QStringList {QStringLiteral("Customers"), QStringLiteral("Orders")}));
    // The dead connection reports an error again rather than hanging.
    QVERIFY(messageOf([&] { dropped->execute(QStringLiteral("SELECT 1")); }) != QStringLiteral("<no error>"));

    m_server->setDropAfterRows(-1);
    const auto fresh = openServer();
    QCOMPARE(readAll(*fresh->execute(QStringLiteral("SELECT name FROM sysobjects ORDER BY id"))).size(), 9);
}

void TestTdsServer::delayedRowsArriveWhole()
{
    const KnobGuard guard(*m_server);
    const QString sql = QStringLiteral("SELECT name, id, crdate FROM sysobjects ORDER BY id");
    const Rows expected = readAll(*openServer()->execute(sql));
    QCOMPARE(expected.size(), 9);
    m_server->setRowDelay(10);
    QCOMPARE(readAll(*openServer()->execute(sql)), expected);
}

void TestTdsServer::closingResultEarlySendsAttentionAndConnectionGoesOn_data()
{
    QTest::addColumn<int>("rowDelay");
    QTest::newRow("result already sent") << 0;
    QTest::newRow("rows still coming") << 50;
}

void TestTdsServer::closingResultEarlySendsAttentionAndConnectionGoesOn()
{
    QFETCH(int, rowDelay);
    const KnobGuard guard(*m_server);
    m_server->setRowDelay(rowDelay);
    const auto connection = openServer();
    const int attentions = m_server->attentions();
    {
        const auto rows = connection->execute(QStringLiteral("SELECT id, colid FROM syscomments ORDER BY id, colid"));
        QVERIFY(!rows->eof());
        rows->close();
    }
    QCOMPARE(m_server->attentions(), attentions + 1);
    m_server->setRowDelay(0);
    QCOMPARE(
        readAll(*connection->execute(QStringLiteral("SELECT COUNT(*) FROM sysusers"))), (Rows {{QStringLiteral("3")}}));
}

void TestTdsServer::silentServerFailsLoginWithinTimeout_data()
{
    QTest::addColumn<TdsTestServer::Stall>("stall");
    QTest::newRow("no pre-login answer") << TdsTestServer::Stall::Prelogin;
    QTest::newRow("no login answer") << TdsTestServer::Stall::Login;
}

void TestTdsServer::silentServerFailsLoginWithinTimeout()
{
    QFETCH(TdsTestServer::Stall, stall);
    const KnobGuard guard(*m_server);
    m_server->setStall(stall);
    const int connections = m_server->connections();
    auto connection = ks::CreateConnection();
    QElapsedTimer clock;
    clock.start();
    const QString message = messageOf([&] { connection->openTarget(target(kUser, kPassword, 2)); });
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(message != QStringLiteral("<no error>") && !message.isEmpty(), qPrintable(message));
    QCOMPARE(connection->state(), 0);
    QVERIFY(m_server->connections() > connections);
}

QTEST_GUILESS_MAIN(TestTdsServer)
#include "tst_tdsserver.moc"
