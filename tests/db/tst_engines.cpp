// The engines behind the abstract connection, on real SQLite files: a failed
// open leaves no Qt SQL connection behind, and a catalogue statement can be
// stopped from another thread, as a search will be.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <latch>
#include <thread>

using ks::test::messageOf;

namespace {

// Counts far beyond what finishes while a test waits: only a cancel ends it.
const QString kEndless = QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                                        "WHERE x < 4000000000) SELECT count(*) FROM n");

ks::ConnectionTarget catalogueTarget(const QString &file)
{
    ks::ConnectionTarget target;
    target.kind = ks::ConnectionTarget::Kind::CatalogueFile;
    target.qtDriver = QStringLiteral("QSQLITE");
    target.databaseName = file;
    target.connectOptions = QStringLiteral("QSQLITE_OPEN_READONLY");
    target.dialect = QStringLiteral("sqloledb");
    return target;
}

// Runs `work` with a connection opened on a thread of its own (a Qt SQL
// connection belongs to the thread that made it) and, once the work calls
// arm(), cancels it from this thread until the work has ended. Returns the
// work's error text.
QString cancelledFromHere(
    const QString &file, const std::function<void(ks::Connection &, const std::function<void()> &arm)> &work)
{
    std::atomic<ks::Connection *> armed = nullptr;
    std::atomic<bool> done = false;
    std::latch stoppedCancelling(1);
    QString message;
    std::thread worker([&] {
        ks::Connection connection;
        connection.openTarget(catalogueTarget(file));
        message = messageOf([&] { work(connection, [&] { armed = &connection; }); });
        done = true;
        // The connection stays open until this thread no longer cancels.
        stoppedCancelling.wait();
        connection.close();
    });
    while (!done) {
        if (ks::Connection *connection = armed.load())
            connection->cancel();
        std::this_thread::yield();
    }
    stoppedCancelling.count_down();
    worker.join();
    return message;
}

} // namespace

class TestEngines : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void failedOpenLeavesNoConnection_data();
    void failedOpenLeavesNoConnection();
    void runningStatementIsCancelled();
    void readingRowsIsCancelled();
    void connectionServesAfterCancel();
    void cancelWithoutStatementChangesNothing();
    void closedConnectionCannotCancel();

private:
    QTemporaryDir m_dir;
    QString m_file;
};

void TestEngines::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("engines.qmcat"));
    ks::test::makeCatalogue(m_file,
        {QStringLiteral("CREATE TABLE sysobjects (id INTEGER PRIMARY KEY, name TEXT)"),
            QStringLiteral("INSERT INTO sysobjects WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                           "WHERE x < 2000) SELECT x, 'object ' || x FROM n")});
}

void TestEngines::failedOpenLeavesNoConnection_data()
{
    QTest::addColumn<QString>("qtDriver");
    QTest::addColumn<QString>("databaseName");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("expected");
    QTest::newRow("driver missing") << "QNOSUCHDRIVER"
                                    << "engines.qmcat"
                                    << ""
                                    << "Qt's SQL driver QNOSUCHDRIVER cannot be loaded.";
    QTest::newRow("file missing, opened read-only") << "QSQLITE"
                                                    << "missing/none.qmcat"
                                                    << "QSQLITE_OPEN_READONLY"
                                                    << "unable to open database file";
    // Opens, but the dialect finds no SQLite handle: the engine must close again.
    QTest::newRow("dialect cannot be installed") << "QODBC"
                                                 << "Driver={SQLite3};Database=engines.qmcat"
                                                 << "SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3"
                                                 << "The catalogue connection is not an SQLite connection.";
}

void TestEngines::failedOpenLeavesNoConnection()
{
    QFETCH(QString, qtDriver);
    QFETCH(QString, databaseName);
    QFETCH(QString, options);
    QFETCH(QString, expected);
    if (qtDriver == QStringLiteral("QODBC")
        && (!QSqlDatabase::isDriverAvailable(qtDriver)
            || !ks::installedOdbcDrivers().contains(QStringLiteral("SQLite3"))))
        QSKIP("Qt's ODBC driver or the SQLite ODBC driver is not installed (libqt6sql6-odbc, libsqliteodbc)");
    if (qtDriver == QStringLiteral("QNOSUCHDRIVER")) {
        QTest::ignoreMessage(QtWarningMsg, "QSqlDatabase: QNOSUCHDRIVER driver not loaded");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QSqlDatabase: available drivers:.*")));
    }

    const QStringList before = QSqlDatabase::connectionNames();
    ks::ConnectionTarget target = catalogueTarget({});
    target.qtDriver = qtDriver;
    target.databaseName = databaseName.replace(QStringLiteral("engines.qmcat"), m_file)
                              .replace(QStringLiteral("missing/"), m_dir.filePath(QStringLiteral("missing/")));
    target.connectOptions = options;
    ks::Connection connection;
    const QString message = messageOf([&] { connection.openTarget(target); });
    QCOMPARE(message, expected);
    QCOMPARE(connection.state(), 0);
    QCOMPARE(QSqlDatabase::connectionNames(), before);
    QCOMPARE(messageOf([&] { connection.execute(QStringLiteral("SELECT 1")); }),
        QStringLiteral("The connection is not open. Opening it failed: ") + message);
}

void TestEngines::runningStatementIsCancelled()
{
    // A cancel that comes before the statement starts changes nothing, so the
    // cancels go on until one lands while it runs.
    const QString message = cancelledFromHere(m_file, [](ks::Connection &connection, const auto &arm) {
        arm();
        connection.execute(kEndless);
    });
    QCOMPARE(message, QStringLiteral("interrupted"));
}

void TestEngines::readingRowsIsCancelled()
{
    int rowsRead = 0;
    QString afterwards;
    const QString message = cancelledFromHere(m_file, [&](ks::Connection &connection, const auto &arm) {
        // Each row counts more than the one before: the first comes at once,
        // the walk takes far longer than the test waits.
        const auto rows = connection.execute(
            QStringLiteral("SELECT name, (SELECT count(*) FROM sysobjects a, sysobjects b WHERE a.id < o.id) "
                           "FROM sysobjects o"));
        QCOMPARE(rows->text(1), QStringLiteral("0"));
        arm();
        try {
            for (; !rows->eof(); rows->moveNext())
                ++rowsRead;
        } catch (const ks::Error &) {
            // The stopped walk is at its end: no row left to read or to move to.
            afterwards = QStringLiteral("eof %1, %2, %3")
                             .arg(rows->eof())
                             .arg(messageOf([&] { rows->text(0); }), messageOf([&] { rows->moveNext(); }));
            throw;
        }
    });
    QCOMPARE(message, QStringLiteral("interrupted"));
    QVERIFY2(rowsRead >= 1 && rowsRead < 2000, qPrintable(QString::number(rowsRead)));
    const QString noRow = QStringLiteral("There is no current row: the end of the record set has been reached.");
    QCOMPARE(afterwards, QStringLiteral("eof 1, ") + noRow + QStringLiteral(", ") + noRow);
}

void TestEngines::connectionServesAfterCancel()
{
    std::atomic<bool> stop = false;
    QString afterwards;
    std::thread worker([&] {
        ks::Connection connection;
        connection.openTarget(catalogueTarget(m_file));
        const QString first = messageOf([&] {
            while (!stop)
                connection.cancel(); // no statement runs yet: nothing to stop
        });
        afterwards
            = first + u'|' + ks::ExecuteSql(connection, QStringLiteral("SELECT count(*) FROM sysobjects"))->text(0);
        std::atomic<bool> done = false;
        std::thread canceller([&] {
            while (!done)
                connection.cancel();
        });
        afterwards += u'|' + messageOf([&] { connection.execute(kEndless); });
        done = true;
        canceller.join();
        afterwards += u'|' + ks::ExecuteSql(connection, QStringLiteral("SELECT max(id) FROM sysobjects"))->text(0);
        connection.close();
    });
    stop = true;
    worker.join();
    QCOMPARE(afterwards, QStringLiteral("<no error>|2000|interrupted|2000"));
}

void TestEngines::cancelWithoutStatementChangesNothing()
{
    const auto connection = ks::CreateConnection();
    connection->openTarget(catalogueTarget(m_file));
    QVERIFY(connection->cancel());
    const auto rows = connection->execute(QStringLiteral("SELECT count(*) FROM sysobjects"));
    QCOMPARE(rows->text(0), QStringLiteral("2000"));
}

void TestEngines::closedConnectionCannotCancel()
{
    const auto connection = ks::CreateConnection();
    QVERIFY(!connection->cancel());
    connection->openTarget(catalogueTarget(m_file));
    connection->close();
    QVERIFY(!connection->cancel());
}

QTEST_GUILESS_MAIN(TestEngines)
#include "tst_engines.moc"
