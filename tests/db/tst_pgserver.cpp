// The throwaway PostgreSQL server that the PostgreSQL tests stand on: logins
// through Qt's PostgreSQL driver, the demo database it is loaded with, the
// faults it can cause, and that it leaves nothing behind.

#include "PgTestServer.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using ks::test::PgTestServer;

namespace {

// A QPSQL connection to the server's database over TCP, removed with it.
class Connection {
public:
    Connection(const PgTestServer &server, const QString &password)
        : m_name(QStringLiteral("pg%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(server.host());
        db.setPort(server.port());
        db.setDatabaseName(server.database());
        db.setUserName(server.user());
        db.setPassword(password);
        db.open();
    }
    ~Connection() { QSqlDatabase::removeDatabase(m_name); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    static inline int s_count = 0;
    QString m_name;
};

} // namespace

class TestPgServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void logins_data();
    void logins();
    void demoDatabase_data();
    void demoDatabase();
    void terminatedSessionFailsItsNextStatement();
    void leavesNoFolderBehind();

private:
    std::unique_ptr<PgTestServer> m_server;
};

void TestPgServer::initTestCase()
{
    if (const auto reason = PgTestServer::unavailableReason())
        QSKIP(qPrintable(*reason));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        QSKIP("Qt's PostgreSQL driver is not installed (libqt6sql6-psql)");
    m_server = std::make_unique<PgTestServer>(QStringLiteral("quill"), QStringLiteral("it's \"secret\""));
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
    QVERIFY2(m_server->runSqlFile(qEnvironmentVariable("QUILLMERE_PG_DEMO")), qPrintable(m_server->errorString()));
}

void TestPgServer::logins_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("error");
    QTest::newRow("right password") << QStringLiteral("it's \"secret\"") << QString();
    QTest::newRow("wrong password") << QStringLiteral("it's secret")
                                    << QStringLiteral("password authentication failed for user \"quill\"");
}

void TestPgServer::logins()
{
    QFETCH(QString, password);
    QFETCH(QString, error);
    const Connection connection(*m_server, password);
    QCOMPARE(connection.db().isOpen(), error.isEmpty());
    if (!error.isEmpty())
        QVERIFY2(connection.db().lastError().text().contains(error), qPrintable(connection.db().lastError().text()));
}

void TestPgServer::demoDatabase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("schemas, one with a quote and an umlaut")
        << "SELECT count(*) FROM pg_namespace WHERE nspname IN ('sales', 'hr', 'Müller''s \"Lager\"')"
        << "3";
    QTest::newRow("long function's last word")
        << "SELECT right(prosrc, 10) FROM pg_proc WHERE proname = 'payroll_rules'"
        << "finisterre";
    QTest::newRow("long function's lines")
        << "SELECT array_length(string_to_array(prosrc, E'\\n'), 1) FROM pg_proc WHERE proname = 'payroll_rules'"
        << "3000";
    QTest::newRow("quoted column") << "SELECT DISTINCT attname FROM pg_attribute WHERE attname LIKE 'O''Brien%'"
                                   << "O'Brien's Straße";
    QTest::newRow("comment outside ASCII") << "SELECT description FROM pg_description WHERE description LIKE 'Offene%'"
                                           << "Offene Überweisungen mit \"Anführungszeichen\" und O'Briens Apostroph";
    // Sequence, composite type, foreign table, index, materialized view,
    // partitioned table, table and view.
    QTest::newRow("every kind of relation")
        << "SELECT string_agg(DISTINCT relkind::text, '' ORDER BY relkind::text) FROM pg_class "
           "WHERE relnamespace IN ('sales'::regnamespace, 'hr'::regnamespace)"
        << "Scfimprv";
    QTest::newRow("aggregate, function and procedure")
        << "SELECT string_agg(DISTINCT prokind::text, '' ORDER BY prokind::text) FROM pg_proc "
           "WHERE pronamespace IN ('sales'::regnamespace, 'hr'::regnamespace)"
        << "afp";
    QTest::newRow("trigger, rule and policy")
        << "SELECT (SELECT count(*) FROM pg_trigger WHERE NOT tgisinternal)::text "
           "|| (SELECT count(*) FROM pg_rules WHERE schemaname = 'hr') || (SELECT count(*) FROM pg_policies)"
        << "111";
}

// Read as the test user, through the driver: what the demo promises
// arrives intact, letters outside ASCII and quotes included.
void TestPgServer::demoDatabase()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    const Connection connection(*m_server, m_server->password());
    QSqlQuery query(connection.db());
    QVERIFY2(query.exec(sql) && query.next(), qPrintable(query.lastError().text()));
    QCOMPARE(query.value(0).toString(), expected);
}

void TestPgServer::terminatedSessionFailsItsNextStatement()
{
    const Connection connection(*m_server, m_server->password());
    QSqlQuery query(connection.db());
    QVERIFY2(query.exec(QStringLiteral("SELECT 1")), qPrintable(query.lastError().text()));
    QCOMPARE(m_server->terminateConnections(m_server->user()), 1);
    QVERIFY(!query.exec(QStringLiteral("SELECT 1")));
}

// A cluster left by a run that died is removed by the next start, and a
// server's own folder goes with it.
void TestPgServer::leavesNoFolderBehind()
{
    QProcess dead;
    dead.start(QStringLiteral("true"));
    QVERIFY(dead.waitForStarted());
    const qint64 deadPid = dead.processId();
    QVERIFY(dead.waitForFinished());
    const QString leftover = QDir::temp().filePath(QStringLiteral("qm-pg-leftover%1").arg(deadPid));
    QVERIFY(QDir().mkpath(leftover + QStringLiteral("/data")));
    QFile ownerPid(leftover + QStringLiteral("/owner.pid"));
    QVERIFY(ownerPid.open(QIODevice::WriteOnly) && ownerPid.write(QByteArray::number(deadPid)) > 0);
    ownerPid.close();

    QString folder;
    {
        PgTestServer server;
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        folder = server.directory();
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/data/postmaster.pid")));
        QVERIFY(!QFileInfo::exists(leftover));
    }
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_GUILESS_MAIN(TestPgServer)
#include "tst_pgserver.moc"
