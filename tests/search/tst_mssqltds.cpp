// The SQL Server path end to end through the real dialog and window: Qt's
// ODBC driver, unixODBC and FreeTDS against the TDS test server, which serves
// the demo catalogue (with a 100 KB and a 1 MB definition added). What the
// window lists and shows is compared with the same window on the catalogue
// file itself.

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "db/KsSnapshotInfo.h"
#include "kinds/KsKinds.h"
#include "kinds/mssql/DKsConnMsSql.h"
#include "kinds/mssql/FConnectMsSql.h"
#include "search/KsCatalogueKind.h"
#include "search/SearchWaiting.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/ResultListDriving.h"
#include "support/TdsTestServer.h"
#include "support/TestSeams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using ks::test::doubleClickRow;
using ks::test::listedRows;
using ks::test::memoText;
using ks::test::TdsTestServer;

namespace {

const QString kDatabase = QStringLiteral("shop");
const QString kUser = QStringLiteral("quill");
// Both a separator of the connection string and a brace FreeTDS must read literally.
const QString kPassword = QStringLiteral("pa;ss}word");
constexpr int kLongId = 990001;
constexpr int kMegabyteId = 990002;
constexpr qsizetype kRecordLength = 4000;

// A text of `length` UTF-16 units with CR LF line ends, apostrophes and
// letters outside ASCII and outside the BMP; it names `name` at its start.
QString definitionText(const QString &name, qsizetype length)
{
    QString text = QStringLiteral("CREATE PROCEDURE dbo.%1\r\nAS\r\n").arg(name);
    text.reserve(length + 80);
    for (int line = 0; text.size() < length; ++line)
        text += QStringLiteral("    -- line %1 of '%2': é ü ß 日本 \U0001F600 Umsätze\r\n").arg(line).arg(name);
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.back() = u'x';
    return text;
}

// Restores the server's knobs when a test ends, also after a failed check.
class KnobGuard {
public:
    explicit KnobGuard(TdsTestServer &server)
        : m_server(server)
    {
    }
    ~KnobGuard()
    {
        m_server.setRefuseLogin(false);
        m_server.clearStatementFailures();
        m_server.setDropAfterRows(-1);
        m_server.setStall(TdsTestServer::Stall::None);
    }
    KnobGuard(const KnobGuard &) = delete;
    KnobGuard &operator=(const KnobGuard &) = delete;

private:
    TdsTestServer &m_server;
};

struct Entries {
    QString server;
    QString user;
    QString password;
};

} // namespace

class TestMsSqlTds : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase() { m_server.reset(); }

    void loginWithUserNameAndPassword();
    void refusedLoginKeepsTheDialogOpen();
    void passwordFreeTdsCannotCarryIsNamed();
    void windowsLoginWithoutTicketSaysWhatIsMissing();
    void searchesListWhatTheFileLists_data();
    void searchesListWhatTheFileLists();
    void longDefinitionsArriveWhole_data();
    void longDefinitionsArriveWhole();
    void nonAsciiDefinitionArrivesIntact();
    void statementErrorEndsTheSearch();
    void droppedConnectionEndsTheSearchAndTheProgramGoesOn();
    void snapshotShowsTheServersDefinitions();
    void droppedCaptureLeavesTheOlderSnapshot();
    void silentServerFailsTheLoginInTime();

private:
    QString serverName() const { return QStringLiteral("127.0.0.1,%1").arg(m_server->port()); }
    TfrmConnectionMsSql *openOnServer()
    {
        return TfrmConnectionMsSql::open(
            m_main.get(), ks::BuildMsSqlConnectionString(serverName(), kDatabase, kUser, kPassword));
    }
    TfrmConnectionMsSql *openOnFile()
    {
        return TfrmConnectionMsSql::open(
            m_main.get(), ks::BuildMsSqlConnectionString(m_file, kDatabase, QString(), QString()));
    }
    static void search(TfrmConnectionMsSql *window, const QString &text, bool tsql = true, int mode = 0)
    {
        window->edFind->setText(text);
        window->cbMatchMode->setCurrentIndex(mode);
        window->cbIncTSql->setChecked(tsql);
        QVERIFY(ks::test::findAndWait(window));
    }
    // The viewer a double-click on the row opens, with its text.
    QString definitionShown(
        TfrmConnectionMsSql *window, const QString &name, const QString &comment, const QString &owner = QString());
    // Saves a snapshot of the server through its window's menu to `target`,
    // and returns the window's status text at the end.
    QString saveSnapshot(const QString &target);
    // A window on the snapshot of the server, taken once.
    TfrmConnectionMsSql *openOnSnapshot();
    // Runs the connect dialog from the menu with the entries and presses OK.
    // Returns whether the dialog was still open after OK; it is then cancelled.
    bool connectThroughDialog(const Entries &entries, QString *keptPassword = nullptr);

    QTemporaryDir m_dir;
    QString m_file;
    QString m_snapshot;
    QString m_long;
    QString m_megabyte;
    std::unique_ptr<TdsTestServer> m_server;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

void TestMsSqlTds::initTestCase()
{
    if (const QString why = ks::test::freeTdsUnavailable(true); !why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY(m_dir.isValid());
    const QString demo = qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE");
    QVERIFY2(QFileInfo::exists(demo), qPrintable(demo + QStringLiteral(" is missing: build mssql_demo_catalogue")));

    // The demo catalogue with two long procedures of dbo: one of 100 KB in
    // records of 4,000 characters, one of 1 MB in a single record (which the
    // file's own check of a record's length has to let pass).
    m_file = m_dir.filePath(QStringLiteral("shop.qmcat"));
    QVERIFY(QFile::copy(demo, m_file));
    QVERIFY(QFile::setPermissions(m_file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    m_long = definitionText(QStringLiteral("usp_Long100k"), 100 * 1024 + 17);
    m_megabyte = definitionText(QStringLiteral("usp_Megabyte"), 1024 * 1024 + 3);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("extend"));
        db.setDatabaseName(m_file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA ignore_check_constraints = ON")));
        for (auto [id, name] : {std::pair {kLongId, "usp_Long100k"}, std::pair {kMegabyteId, "usp_Megabyte"}}) {
            QVERIFY2(query.exec(QStringLiteral("INSERT INTO sysobjects (name, id, xtype, uid, status, parent_obj, "
                                               "crdate, type, refdate) SELECT '%1', %2, 'P ', uid, 0, 0, "
                                               "'2024-05-01 10:00:00', 'P ', '2024-05-01 10:00:00' "
                                               "FROM sysusers WHERE name = 'dbo'")
                                    .arg(QLatin1String(name))
                                    .arg(id)),
                qPrintable(query.lastError().text()));
        }
        const auto insertText = [&query](int id, int colid, const QString &text) {
            query.prepare(QStringLiteral("INSERT INTO syscomments (id, number, colid, text) VALUES (?, 0, ?, ?)"));
            query.addBindValue(id);
            query.addBindValue(colid);
            query.addBindValue(text);
            return query.exec();
        };
        for (qsizetype at = 0, colid = 1; at < m_long.size(); at += kRecordLength, ++colid)
            QVERIFY(insertText(kLongId, int(colid), m_long.mid(at, kRecordLength)));
        QVERIFY(insertText(kMegabyteId, 1, m_megabyte));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("extend"));

    m_server = std::make_unique<TdsTestServer>(m_file, kUser, kPassword);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestMsSqlTds::init()
{
    m_config = std::make_unique<ks::test::ConfigHome>();
    m_seams = std::make_unique<ks::test::SeamsInPlace>();
    m_main = std::make_unique<TfrmMain>();
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestMsSqlTds::cleanup()
{
    m_main.reset();
    m_seams.reset();
    m_config.reset();
}

QString TestMsSqlTds::definitionShown(
    TfrmConnectionMsSql *window, const QString &name, const QString &comment, const QString &owner)
{
    if (!doubleClickRow(window, name, comment, owner))
        return QStringLiteral("<no row %1 %2>").arg(name, comment);
    auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
    if (!viewer)
        return QStringLiteral("<no viewer>");
    if (!ks::test::fetchEnds(viewer))
        return QStringLiteral("<the fetch did not end>");
    const QString text = memoText(viewer);
    viewer->subWindow()->close();
    return text;
}

bool TestMsSqlTds::connectThroughDialog(const Entries &entries, QString *keptPassword)
{
    bool stillOpen = false;
    ks::test::whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
        dialog->cbServer->setEditText(entries.server);
        dialog->cbDatabase->setEditText(kDatabase);
        if (entries.user.isEmpty()) {
            dialog->rbWinAuth->setChecked(true);
        } else {
            dialog->rbUsername->setChecked(true);
            dialog->edUsername->setText(entries.user);
            dialog->edPassword->setText(entries.password);
        }
        QVERIFY(ks::test::clickOkAndWait(dialog));
        stillOpen = dialog->isVisible();
        if (keptPassword)
            *keptPassword = dialog->edPassword->text();
        if (stillOpen)
            dialog->reject();
    });
    QTest::keyClick(m_main.get(), Qt::Key_M, Qt::ControlModifier);
    return stillOpen;
}

void TestMsSqlTds::loginWithUserNameAndPassword()
{
    const int logins = m_server->logins();
    QVERIFY(!connectThroughDialog({serverName(), kUser, kPassword}));
    QCOMPARE(m_seams->messages.shown, QStringList());
    // One login for the dialog's test, none for opening the window.
    QCOMPARE(m_server->logins(), logins + 1);
    auto *window = qobject_cast<TfrmConnectionMsSql *>(m_main->activeChild());
    QVERIFY(window);
    QCOMPARE(window->caption(), kUser + QStringLiteral(" @ shop @ ") + serverName() + QStringLiteral(" (MsSql)"));
    QCOMPARE(ks::GetConnectionValue(window->connectionString(), QStringLiteral("password")), kPassword);
    search(window, QStringLiteral("MyNotes"));
    QCOMPARE(listedRows(window),
        (QStringList {"vMyNotes|View|O'Neil|View Definition|2", "vMyNotes|View|O'Neil|View Name|1"}));
}

void TestMsSqlTds::refusedLoginKeepsTheDialogOpen()
{
    const KnobGuard guard(*m_server);
    m_server->setRefuseLogin(true);
    QString keptPassword;
    QVERIFY(connectThroughDialog({serverName(), kUser, kPassword}, &keptPassword));
    QCOMPARE(keptPassword, kPassword);
    QCOMPARE(m_seams->messages.shown.size(), 1);
    const QString message = m_seams->messages.shown.constFirst();
    QVERIFY2(message.startsWith(QStringLiteral("Error connecting to database\r\n\r\n")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Login failed for user 'quill'.")), qPrintable(message));
    QVERIFY(m_main->childWindows().isEmpty());
}

void TestMsSqlTds::passwordFreeTdsCannotCarryIsNamed()
{
    const int connections = m_server->connections();
    QVERIFY(connectThroughDialog({serverName(), kUser, QStringLiteral("pa};ss")}));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY2(m_seams->messages.shown.constFirst().startsWith(
                 QStringLiteral("Error connecting to database\r\n\r\nThe password cannot be passed to FreeTDS")),
        qPrintable(m_seams->messages.shown.constFirst()));
    // Nothing was sent that could have been read as other keys.
    QCOMPARE(m_server->connections(), connections);
}

void TestMsSqlTds::windowsLoginWithoutTicketSaysWhatIsMissing()
{
    const QByteArray cache = qgetenv("KRB5CCNAME");
    const bool hadCache = qEnvironmentVariableIsSet("KRB5CCNAME");
    qputenv("KRB5CCNAME", QFile::encodeName(QStringLiteral("FILE:") + m_dir.filePath(QStringLiteral("no-ticket"))));
    const int connections = m_server->connections();
    const bool stillOpen = connectThroughDialog({serverName(), QString(), QString()});
    hadCache ? qputenv("KRB5CCNAME", cache) : qunsetenv("KRB5CCNAME");
    QVERIFY(stillOpen);
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY2(m_seams->messages.shown.constFirst().startsWith(
                 QStringLiteral("Error connecting to database\r\n\r\nWindows authentication through FreeTDS")),
        qPrintable(m_seams->messages.shown.constFirst()));
    QCOMPARE(m_server->connections(), connections);
}

void TestMsSqlTds::searchesListWhatTheFileLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tsql");
    QTest::addColumn<int>("mode"); // cbMatchMode's entry
    QTest::newRow("many rows") << "Order" << true << 0;
    QTest::newRow("names only") << "Order" << false << 0;
    QTest::newRow("every row") << "%" << true << 0;
    QTest::newRow("set of letters, case ignored") << "[VW]ÄHRUNG" << true << 0;
    QTest::newRow("apostrophe") << "O'Neil's notes" << true << 0;
    QTest::newRow("point and colon in names") << "archive old" << true << 0;
    QTest::newRow("statistics and hypothetical indexes left out") << "_dta_" << true << 0;
    QTest::newRow("no rows") << "no such thing anywhere" << true << 0;
    QTest::newRow("text with wildcards, a set and apostrophes") << "[Status]=N'c" << true << 1;
    QTest::newRow("text with a percent sign") << "LIKE N'%keep%'" << true << 1;
    QTest::newRow("whole words") << "Notes" << true << 2;
    QTest::newRow("regular expression") << "\\[Created at\\] [<>]=? DATEADD\\((day|year)" << true << 3;
}

void TestMsSqlTds::searchesListWhatTheFileLists()
{
    QFETCH(QString, text);
    QFETCH(bool, tsql);
    QFETCH(int, mode);
    TfrmConnectionMsSql *onFile = openOnFile();
    search(onFile, text, tsql, mode);
    TfrmConnectionMsSql *onServer = openOnServer();
    search(onServer, text, tsql, mode);
    QCOMPARE(m_seams->messages.shown, QStringList());
    QVERIFY(!listedRows(onFile).isEmpty());
    QCOMPARE(listedRows(onServer), listedRows(onFile));
    // A snapshot of the server lists the same.
    TfrmConnectionMsSql *onSnapshot = openOnSnapshot();
    search(onSnapshot, text, tsql, mode);
    QCOMPARE(listedRows(onSnapshot), listedRows(onServer));
}

QString TestMsSqlTds::saveSnapshot(const QString &target)
{
    TfrmConnectionMsSql *onServer = openOnServer();
    m_seams->files.saveAnswers.enqueue(target);
    onServer->miSaveSnapshot->trigger();
    if (!ks::test::searchEnds(onServer))
        return QStringLiteral("<the capture did not end>");
    return onServer->statusText();
}

TfrmConnectionMsSql *TestMsSqlTds::openOnSnapshot()
{
    if (m_snapshot.isEmpty()) {
        const QString target = m_dir.filePath(QStringLiteral("server.qmcat"));
        const QString status = saveSnapshot(target);
        if (!status.startsWith(QStringLiteral("Snapshot saved to ") + target))
            qWarning() << status << m_seams->messages.shown;
        m_snapshot = target;
    }
    return TfrmConnectionMsSql::open(
        m_main.get(), ks::catalogueKind(QStringLiteral("mssql"))->fileConnectionString(m_snapshot));
}

void TestMsSqlTds::longDefinitionsArriveWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("records");
    QTest::newRow("100 KB over many records") << "usp_Long100k" << 26;
    QTest::newRow("1 MB in one record") << "usp_Megabyte" << 1;
}

void TestMsSqlTds::longDefinitionsArriveWhole()
{
    QFETCH(QString, name);
    QFETCH(int, records);
    const QString &definition = name == QLatin1String("usp_Long100k") ? m_long : m_megabyte;
    const auto withoutLineEnds = [](QString text) {
        text.remove(u'\r');
        text.remove(u'\n');
        return text;
    };

    TfrmConnectionMsSql *onServer = openOnServer();
    search(onServer, name);
    const QString served = definitionShown(onServer, name, QStringLiteral("Procedure Definition"));
    QCOMPARE(m_seams->messages.shown, QStringList());
    // Every character arrives, in order: the records are one piece each, a
    // line break after every piece (one that ends inside a CR LF breaks it).
    QVERIFY2(withoutLineEnds(served) == withoutLineEnds(definition), qPrintable(served.left(200)));
    QVERIFY(served.count(u'\n') >= definition.count(QStringLiteral("\r\n")) + records - 1);
    QVERIFY(served.size() >= definition.size() - definition.count(QStringLiteral("\r\n")));
    // Exactly what the same window shows from the file.
    TfrmConnectionMsSql *onFile = openOnFile();
    search(onFile, name);
    QVERIFY(definitionShown(onFile, name, QStringLiteral("Procedure Definition")) == served);
}

void TestMsSqlTds::nonAsciiDefinitionArrivesIntact()
{
    TfrmConnectionMsSql *window = openOnServer();
    search(window, QStringLiteral("Österreich"));
    QCOMPARE(listedRows(window),
        (QStringList {"Customers.Country: DF_Customers_Country|Column Default|sales|Column Default Definition|4",
            "Customers.DF_Customers_Country|Default|sales|Default Definition|3"}));
    QCOMPARE(definitionShown(window, QStringLiteral("Customers.Country: DF_Customers_Country"),
                 QStringLiteral("Column Default Definition"), QStringLiteral("sales")),
        QStringLiteral("(N'Österreich')"));
    QVERIFY(std::any_of(m_server->batchTexts().cbegin(), m_server->batchTexts().cend(),
        [](const QString &sql) { return sql.contains(QStringLiteral("LIKE '%Österreich%'")); }));
}

void TestMsSqlTds::statementErrorEndsTheSearch()
{
    const KnobGuard guard(*m_server);
    TfrmConnectionMsSql *onFile = openOnFile();
    search(onFile, QStringLiteral("CustomerOrders"));
    const QStringList all = listedRows(onFile);

    // The index statement fails; what the six before it found stays listed.
    m_server->failStatements(QStringLiteral("FROM sysindexes"), QStringLiteral("Invalid object name 'sysindexes'."));
    TfrmConnectionMsSql *onServer = openOnServer();
    search(onServer, QStringLiteral("CustomerOrders"));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("Invalid object name 'sysindexes'.")),
        qPrintable(m_seams->messages.shown.constFirst()));
    QStringList kept = all;
    kept.removeIf([](const QString &row) { return row.endsWith(QStringLiteral("Definition|2")); });
    QCOMPARE(listedRows(onServer), kept);
    QCOMPARE(onServer->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
}

void TestMsSqlTds::droppedConnectionEndsTheSearchAndTheProgramGoesOn()
{
    const KnobGuard guard(*m_server);
    TfrmConnectionMsSql *onFile = openOnFile();
    search(onFile, QStringLiteral("Order"));
    const QStringList all = listedRows(onFile);

    m_server->setDropAfterRows(2);
    TfrmConnectionMsSql *onServer = openOnServer();
    search(onServer, QStringLiteral("Order"));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY(!m_seams->messages.shown.constFirst().isEmpty());
    const QStringList kept = listedRows(onServer);
    QVERIFY2(kept.size() <= 2, qPrintable(kept.join(u'\n')));
    for (const QString &row : kept)
        QVERIFY2(all.contains(row), qPrintable(row));
    QCOMPARE(onServer->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);

    // The next search opens a fresh connection and lists everything.
    m_server->setDropAfterRows(-1);
    search(onServer, QStringLiteral("Order"));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QCOMPARE(listedRows(onServer), all);
}

void TestMsSqlTds::snapshotShowsTheServersDefinitions()
{
    TfrmConnectionMsSql *onSnapshot = openOnSnapshot();
    QVERIFY2(onSnapshot->caption().contains(QStringLiteral(" - snapshot of ") + kUser + QStringLiteral(" @ shop @ ")),
        qPrintable(onSnapshot->caption()));
    QVERIFY(m_main->lbStatus->text().startsWith(QStringLiteral("Searching a snapshot of ")));
    TfrmConnectionMsSql *onServer = openOnServer();
    for (const QString &name : {QStringLiteral("usp_Long100k"), QStringLiteral("usp_Megabyte")}) {
        search(onServer, name);
        const QString fromServer = definitionShown(onServer, name, QStringLiteral("Procedure Definition"));
        QVERIFY2(fromServer.size() > 100000, qPrintable(fromServer.left(100)));
        search(onSnapshot, name);
        QVERIFY(definitionShown(onSnapshot, name, QStringLiteral("Procedure Definition")) == fromServer);
    }
    QCOMPARE(m_seams->messages.shown, QStringList());
}

void TestMsSqlTds::droppedCaptureLeavesTheOlderSnapshot()
{
    const KnobGuard guard(*m_server);
    const QString target = m_dir.filePath(QStringLiteral("older.qmcat"));
    QVERIFY(QFile::copy(m_file, target));
    m_server->setDropAfterRows(50);
    QVERIFY2(saveSnapshot(target).startsWith(QStringLiteral("Snapshot failed after ")), qPrintable(target));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY(!ks::readSnapshotInfo(target)); // still the file it was
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral(".part")), QStringList());
}

void TestMsSqlTds::silentServerFailsTheLoginInTime()
{
    const KnobGuard guard(*m_server);
    m_server->setStall(TdsTestServer::Stall::Login);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(connectThroughDialog({serverName(), kUser, kPassword}));
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_seams->messages.shown.size(), 1);
    QVERIFY(m_seams->messages.shown.constFirst().startsWith(QStringLiteral("Error connecting to database\r\n\r\n")));
    QVERIFY(m_main->childWindows().isEmpty());
}

QTEST_MAIN(TestMsSqlTds)
#include "tst_mssqltds.moc"
