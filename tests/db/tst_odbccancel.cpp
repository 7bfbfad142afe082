// Stopping an ODBC statement from another thread: the connection's cancel
// reaches FreeTDS's SQLCancel, which sends the TDS test server an attention,
// whether the statement still waits for its first row or its rows are being
// read; the statement fails with the driver's message, and the connection
// serves the next statement.

#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TdsTestServer.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <functional>
#include <thread>

using ks::test::KnobGuard;
using ks::test::messageOf;
using ks::test::TdsTestServer;

namespace {

const QString kDatabase = QStringLiteral("shop");
const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("secret");
const QString kAllNames = QStringLiteral("SELECT name FROM sysobjects ORDER BY id");

// Far beyond what a cancel takes, even under a sanitizer; a statement that
// is not stopped waits for ever.
constexpr int kTimeoutMs = 30000;

// What the worker of cancelledFromHere saw.
struct Run {
    QString message; // the error that ended the work, or "<no error>"
    QStringList rows;
    QString afterwards; // the first column of the next statement's first row
    qint64 cancelMs = -1; // from the first cancel to the end of the work
};

} // namespace

class TestOdbcCancel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }

    void statementWaitingForItsRowsIsStopped();
    void statementWaitingForItsFirstRowIsStopped();
    void nothingToStopWithoutRunningStatement();
    void cancelBetweenCallsStopsBeforeTheNext();
    void pausedServerStillAnswersTheNextConnection();

private:
    ks::ConnectionTarget target() const
    {
        ks::ConnectionTarget target
            = ks::odbcTarget(ks::test::freeTdsConnectionString(m_server->port(), kDatabase, kUser, kPassword));
        target.connectOptions = QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3;SQL_ATTR_LOGIN_TIMEOUT=10");
        return target;
    }

    // Opens a connection on a thread of its own (a Qt SQL connection belongs
    // to the thread that opened it), reads every row of `sql` there and, once
    // `armed` says the worker got so far, cancels from this thread until the
    // reading has ended; then the worker runs `next` on the same connection.
    Run cancelledFromHere(const QString &sql, const std::function<bool(int rowsRead)> &armed, const QString &next);

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<TdsTestServer> m_server;
};

void TestOdbcCancel::initTestCase()
{
    if (const QString why = ks::test::freeTdsUnavailable(false); !why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("shop.qmcat"));
    ks::test::makeCatalogue(m_file,
        {QStringLiteral("CREATE TABLE sysobjects (name TEXT, id INTEGER)"),
            QStringLiteral("INSERT INTO sysobjects WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                           "WHERE x < 500) SELECT 'object ' || x, x FROM n")});
    m_server = std::make_unique<TdsTestServer>(m_file, kUser, kPassword);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

Run TestOdbcCancel::cancelledFromHere(
    const QString &sql, const std::function<bool(int rowsRead)> &armed, const QString &next)
{
    Run run;
    std::atomic<ks::Connection *> open = nullptr;
    std::atomic<int> rowsRead = 0;
    std::atomic<bool> done = false;
    std::atomic<bool> stoppedCancelling = false;
    std::thread worker([&] {
        ks::Connection connection;
        connection.openTarget(target());
        open = &connection;
        run.message = messageOf([&] {
            const auto rows = connection.execute(sql);
            for (; !rows->eof(); rows->moveNext()) {
                run.rows << rows->text(0);
                ++rowsRead;
            }
        });
        done = true;
        // The connection stays open, and no other statement starts, until
        // this thread no longer cancels.
        while (!stoppedCancelling)
            std::this_thread::yield();
        open = nullptr;
        if (!next.isEmpty()) {
            QString value;
            const QString error = messageOf([&] { value = connection.execute(next)->text(0); });
            run.afterwards = error == QStringLiteral("<no error>") ? value : error;
        }
        connection.close();
    });
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer cancelling;
    while (!done && clock.elapsed() < kTimeoutMs) {
        ks::Connection *connection = open.load();
        if (connection && armed(rowsRead)) {
            if (!cancelling.isValid())
                cancelling.start();
            connection->cancel();
        }
        std::this_thread::yield();
    }
    if (cancelling.isValid())
        run.cancelMs = cancelling.elapsed();
    stoppedCancelling = true;
    worker.join();
    return run;
}

void TestOdbcCancel::statementWaitingForItsRowsIsStopped()
{
    const KnobGuard guard(*m_server);
    // Three rows, then a server that has nothing more to say for now.
    m_server->setPauseAfterRows(3);
    const int attentions = m_server->attentions();
    const Run run = cancelledFromHere(
        kAllNames, [](int rowsRead) { return rowsRead >= 3; }, QStringLiteral("SELECT COUNT(*) FROM sysobjects"));
    QVERIFY2(run.cancelMs >= 0 && run.cancelMs < kTimeoutMs, qPrintable(QString::number(run.cancelMs)));
    // The rows read before the stop, then the driver's message: not a
    // result that merely ends early.
    QCOMPARE(run.rows, (QStringList {"object 1", "object 2", "object 3"}));
    QVERIFY2(run.message != QStringLiteral("<no error>") && !run.message.isEmpty(), qPrintable(run.message));
    QVERIFY(m_server->attentions() > attentions);
    // The pause holds for every result: the next statement of one row is
    // answered whole, on the same connection.
    QCOMPARE(run.afterwards, QStringLiteral("500"));
}

void TestOdbcCancel::statementWaitingForItsFirstRowIsStopped()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(0);
    const int attentions = m_server->attentions();
    const int batches = m_server->batches();
    // Armed once the server has the statement: the client waits for its
    // first row.
    const Run run = cancelledFromHere(
        kAllNames, [this, batches](int) { return m_server->batches() > batches; }, QString());
    QVERIFY(run.cancelMs >= 0);
    QVERIFY(run.rows.isEmpty());
    QVERIFY2(run.message != QStringLiteral("<no error>") && !run.message.isEmpty(), qPrintable(run.message));
    QVERIFY(m_server->attentions() > attentions);
}

void TestOdbcCancel::nothingToStopWithoutRunningStatement()
{
    const auto connection = ks::CreateConnection();
    QVERIFY(!connection->cancel());
    connection->openTarget(target());
    QVERIFY(!connection->cancel());
    {
        const auto rows = connection->execute(QStringLiteral("SELECT COUNT(*) FROM sysobjects"));
        QCOMPARE(rows->text(0), QStringLiteral("500"));
    }
    // The statement's handle went with its rows.
    const int attentions = m_server->attentions();
    QVERIFY(!connection->cancel());
    QCOMPARE(m_server->attentions(), attentions);
    connection->close();
    QVERIFY(!connection->cancel());
}

void TestOdbcCancel::cancelBetweenCallsStopsBeforeTheNext()
{
    // The whole result is at the client; the cancel comes while no driver
    // call runs, and the next row read ends the statement instead of going
    // to the driver. The connection goes on.
    const auto connection = ks::CreateConnection();
    connection->openTarget(target());
    const auto rows = connection->execute(kAllNames);
    QCOMPARE(rows->text(0), QStringLiteral("object 1"));
    QVERIFY(connection->cancel());
    QCOMPARE(messageOf([&] { rows->moveNext(); }), QStringLiteral("Operation canceled"));
    QVERIFY(rows->eof());
    rows->close();
    QCOMPARE(connection->execute(QStringLiteral("SELECT COUNT(*) FROM sysobjects"))->text(0), QStringLiteral("500"));
}

void TestOdbcCancel::pausedServerStillAnswersTheNextConnection()
{
    const KnobGuard guard(*m_server);
    m_server->setPauseAfterRows(2);
    // A result that has fewer rows than the pause is answered whole.
    const auto connection = ks::CreateConnection();
    connection->openTarget(target());
    const auto rows = connection->execute(QStringLiteral("SELECT name FROM sysobjects WHERE id = 7"));
    QCOMPARE(rows->text(0), QStringLiteral("object 7"));
    rows->moveNext();
    QVERIFY(rows->eof());
}

QTEST_GUILESS_MAIN(TestOdbcCancel)
#include "tst_odbccancel.moc"
