// The QODBC path of the access layer through a real ODBC driver: the SQLite
// ODBC driver "SQLite3", connected DSN-less. Long values prove that the
// record set reads text itself, piece by piece, instead of through QODBC.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using ks::test::messageOf;

namespace {

// A text of `length` UTF-16 units that is not a repetition of one character,
// with letters outside ASCII and outside the BMP.
QString longText(qsizetype length)
{
    static const QString piece = QStringLiteral("Line of source text: é ü ß \U0001F600 0123456789\n");
    QString text;
    text.reserve(length + piece.size());
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.back() = u'x';
    return text;
}

} // namespace

class TestOdbcPath : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void readsRowsByPositionAndName();
    void longTextIsReadWhole_data();
    void longTextIsReadWhole();
    void nullAndEmptyAreTold();
    void numbersComeAsText();
    void executeErrorCarriesDriverText();
    void openErrorCarriesDriverText();
    void unknownFieldIsAnError();
    void recordSetOutlivingConnectionIsClosedSafely();
    void statementWithoutRowsIsAtEnd();

private:
    ks::ConnectionPtr openOdbc() const
    {
        auto connection = ks::CreateConnection();
        connection->openTarget(ks::odbcTarget(m_odbcString));
        return connection;
    }

    QTemporaryDir m_dir;
    QString m_file;
    QString m_odbcString;
    QHash<int, QString> m_long;
};

void TestOdbcPath::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt's ODBC driver is not installed (apt-get install libqt6sql6-odbc)");
    if (!ks::installedOdbcDrivers().contains(QStringLiteral("SQLite3")))
        QSKIP("the SQLite ODBC driver \"SQLite3\" is not registered (apt-get install libsqliteodbc)");
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("odbc.sqlite"));
    QStringList statements {
        QStringLiteral("CREATE TABLE syscomments (id INTEGER, colid INTEGER, text TEXT)"),
        QStringLiteral("CREATE TABLE sysobjects (id INTEGER, name TEXT, type TEXT, crdate TEXT, size REAL)"),
        QStringLiteral("INSERT INTO sysobjects VALUES (1, 'Customers', 'U ', '2024-03-05 14:07:09', 1.5)"),
        QStringLiteral("INSERT INTO sysobjects VALUES (2, 'vCustomerList', 'V ', NULL, NULL)"),
        QStringLiteral("INSERT INTO sysobjects VALUES (3, '', 'P ', NULL, 42)"),
    };
    // Lengths around the reader's piece size, and long ones.
    for (const int length : {8191, 8192, 8193, 16385, 100 * 1024 + 7, 1024 * 1024 + 3}) {
        m_long.insert(length, longText(length));
        statements
            << QStringLiteral("INSERT INTO syscomments VALUES (%1, 1, '%2')").arg(length).arg(m_long.value(length));
    }
    ks::test::makeCatalogue(m_file, statements);
    m_odbcString = QStringLiteral("Driver={SQLite3};Database=") + m_file;
}

void TestOdbcPath::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestOdbcPath::readsRowsByPositionAndName()
{
    const auto connection = openOdbc();
    QCOMPARE(connection->state(), 1);
    const auto rows
        = ks::ExecuteSql(*connection, QStringLiteral("SELECT name, type AS ObjType FROM sysobjects ORDER BY id"));
    QCOMPARE(rows->fieldCount(), 2);
    QStringList seen;
    for (; !rows->eof(); rows->moveNext())
        seen << rows->text(0) + u'|' + rows->text(QStringLiteral("OBJTYPE")) + u'|'
                + rows->text(QStringLiteral("NAME"));
    QCOMPARE(seen, (QStringList {"Customers|U |Customers", "vCustomerList|V |vCustomerList", "|P |"}));
    connection->close();
    QCOMPARE(connection->state(), 0);
}

void TestOdbcPath::longTextIsReadWhole_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("one below the piece") << 8191;
    QTest::newRow("exactly one piece") << 8192;
    QTest::newRow("one above the piece") << 8193;
    QTest::newRow("two pieces and one") << 16385;
    QTest::newRow("over 100 KB") << 100 * 1024 + 7;
    QTest::newRow("over 1 MB") << 1024 * 1024 + 3;
}

void TestOdbcPath::longTextIsReadWhole()
{
    QFETCH(int, length);
    const auto connection = openOdbc();
    // The long value stands between two short ones: columns are read in order.
    const auto rows
        = connection->execute(QStringLiteral("SELECT colid, text, id FROM syscomments WHERE id = %1").arg(length));
    QVERIFY(!rows->eof());
    const QString text = rows->text(QStringLiteral("TEXT"));
    QCOMPARE(text.size(), qsizetype(length));
    QVERIFY(text == m_long.value(length));
    QCOMPARE(rows->text(0), QStringLiteral("1"));
    QCOMPARE(rows->text(2), QString::number(length));
    rows->moveNext();
    QVERIFY(rows->eof());
}

void TestOdbcPath::nullAndEmptyAreTold()
{
    const auto connection = openOdbc();
    const auto rows = connection->execute(QStringLiteral("SELECT name, crdate FROM sysobjects WHERE id = 3"));
    QVERIFY(!rows->value(0).isNull());
    QCOMPARE(rows->strictText(0), QString());
    QVERIFY(rows->value(1).isNull());
    QCOMPARE(rows->text(QStringLiteral("crdate")), QString());
    QCOMPARE(messageOf([&] { rows->strictText(1); }), QStringLiteral("Invalid variant type conversion"));
}

void TestOdbcPath::numbersComeAsText()
{
    const auto connection = openOdbc();
    const auto rows = connection->execute(QStringLiteral("SELECT id, size, crdate FROM sysobjects WHERE id = 1"));
    QCOMPARE(rows->text(0), QStringLiteral("1"));
    QCOMPARE(rows->text(1).toDouble(), 1.5);
    QCOMPARE(rows->text(2), QStringLiteral("2024-03-05 14:07:09"));
}

void TestOdbcPath::executeErrorCarriesDriverText()
{
    const auto connection = openOdbc();
    const QString message = messageOf([&] { connection->execute(QStringLiteral("SELECT * FROM nowhere")); });
    QVERIFY2(message.contains(QStringLiteral("no such table: nowhere")), qPrintable(message));
    // Still usable afterwards.
    QCOMPARE(connection->execute(QStringLiteral("SELECT COUNT(*) FROM sysobjects"))->text(0), QStringLiteral("3"));
}

void TestOdbcPath::openErrorCarriesDriverText()
{
    const auto connection = ks::CreateConnection();
    const QString message = messageOf(
        [&] { connection->openTarget(ks::odbcTarget(QStringLiteral("Driver={No Such Driver 99};Database=x"))); });
    QVERIFY2(message.contains(QStringLiteral("No Such Driver 99")) || message.contains(QStringLiteral("not found")),
        qPrintable(message));
    QCOMPARE(connection->state(), 0);
    const QString executeMessage = messageOf([&] { connection->execute(QStringLiteral("SELECT 1")); });
    QCOMPARE(executeMessage, QStringLiteral("The connection is not open. Opening it failed: ") + message);
}

void TestOdbcPath::unknownFieldIsAnError()
{
    const auto connection = openOdbc();
    const auto rows = connection->execute(QStringLiteral("SELECT name FROM sysobjects"));
    QCOMPARE(messageOf([&] { rows->value(QStringLiteral("TEXT")); }),
        QStringLiteral("Field \"TEXT\" does not exist in the record set."));
    QCOMPARE(
        messageOf([&] { rows->value(3); }), QStringLiteral("Field 3 does not exist: the record set has 1 fields."));
}

void TestOdbcPath::recordSetOutlivingConnectionIsClosedSafely()
{
    std::unique_ptr<ks::Recordset> rows;
    {
        const auto connection = openOdbc();
        rows = connection->execute(QStringLiteral("SELECT name FROM sysobjects ORDER BY id"));
        QCOMPARE(rows->text(0), QStringLiteral("Customers"));
    }
    QVERIFY(rows->eof());
    QCOMPARE(messageOf([&] { rows->moveNext(); }),
        QStringLiteral("Operation is not allowed when the record set is closed."));
}

void TestOdbcPath::statementWithoutRowsIsAtEnd()
{
    const auto connection = openOdbc();
    const auto rows = connection->execute(QStringLiteral("SELECT name FROM sysobjects WHERE id < 0"));
    QVERIFY(rows->eof());
    QCOMPARE(rows->fieldCount(), 1);
}

QTEST_GUILESS_MAIN(TestOdbcPath)
#include "tst_odbcpath.moc"
