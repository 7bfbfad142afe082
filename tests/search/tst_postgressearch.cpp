// The PostgreSQL catalogue search against a real server loaded with the demo
// database: what each kind of object is found as, the definitions behind
// rows, search texts that must reach the server as they are, connections
// that fail, a long search ended by Stop or by the server, and snapshots of
// the server that search as the server does.

#include "PgTestServer.h"
#include "app/FMain.h"
#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnection.h"
#include "db/KsConnectionTarget.h"
#include "kinds/postgresql/DKsConnPostgres.h"
#include "kinds/postgresql/FConnectPostgres.h"
#include "kinds/postgresql/PgSearch.h"
#include "kinds/postgresql/PostgresKind.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultModel.h"
#include "search/KsSnapshot.h"
#include "search/SearchWaiting.h"
#include "search/TaskRun.h"
#include "support/ResultListDriving.h"
#include "support/TestSeams.h"
#include "text/FrKsTextView.h"
#include "text/KsStringOutput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

using ks::postgresql::SearchRequest;
using ks::test::PgTestServer;
using ks::test::runTask;

namespace {

class LinesOutput : public ks::TKsStringOutput {
public:
    void PutLine(const QString &line) override { lines << line; }
    QStringList lines;
};

// A TCP port on 127.0.0.1, taken for as long as the object lives: bound
// only, it refuses every connection; listening, the system accepts them
// and nobody ever answers.
struct LocalPort {
    explicit LocalPort(bool listening)
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(socket, reinterpret_cast<sockaddr *>(&address), length) == 0
            && (!listening || ::listen(socket, 4) == 0)
            && ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ~LocalPort() { ::close(socket); }
    Q_DISABLE_COPY(LocalPort)

    int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    quint16 port = 0;
};

} // namespace

class TestPostgresSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const auto reason = PgTestServer::unavailableReason())
            QSKIP(qPrintable(*reason));
        m_server = std::make_unique<PgTestServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
        QVERIFY2(m_server->runSqlFile(qEnvironmentVariable("QUILLMERE_PG_DEMO")), qPrintable(m_server->errorString()));
        QVERIFY2(m_server->runSql(QStringLiteral("CREATE TABLE hr.\"it's a \\ 50%_off\" (id int)")),
            qPrintable(m_server->errorString()));
        // The definition of a view waits while its table is locked.
        QVERIFY2(m_server->runSql(QStringLiteral("CREATE SCHEMA waits; CREATE TABLE waits.locked (id int); "
                                                 "CREATE VIEW waits.locked_rows AS SELECT id FROM waits.locked")),
            qPrintable(m_server->errorString()));
        const ks::test::TaskRun capture = runTask(connectionString(m_server->password()),
            ks::snapshotTask(ks::postgresql::catalogueKind(), connectionString(m_server->password()), snapshot()));
        QVERIFY2(capture.outcome == ks::SearchOutcome::Done, qPrintable(capture.error));
    }

    // A snapshot finds what the server finds, in the same order, and shows
    // the same definition behind every row.
    void snapshotSearchesAsTheServer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options"); // as findsEachKind's
        QTest::newRow("names, definitions and comments") << "order"
                                                         << "dm";
        QTest::newRow("exact case") << "NEW"
                                    << "cdm";
        // The catalogue's columns are of collation "C": ILIKE finds ü in a
        // comment, but not the table Überweisungen.
        QTest::newRow("a non-ASCII letter") << "ü"
                                            << "m";
        QTest::newRow("one schema, every name") << "_"
                                                << "hdm";
        QTest::newRow("system schemas") << "pg_class"
                                        << "sdm";
        QTest::newRow("apostrophe, backslash, % and _") << "it's a \\ 50%_off"
                                                        << "c";
        // The modes: "t" the text as typed, "w" a whole word, "r" a regular expression.
        QTest::newRow("text: % and _ as themselves") << "50%_off"
                                                     << "tcm";
        QTest::newRow("text: a backslash") << "a \\ 5"
                                           << "tm";
        QTest::newRow("whole word") << "order"
                                    << "wdm";
        QTest::newRow("regular expression") << "ord[a-z]+s\\b"
                                            << "rdm";
    }

    void snapshotSearchesAsTheServer()
    {
        QFETCH(QString, text);
        QFETCH(QString, options);
        const auto on = [&options](char option) { return options.contains(QLatin1Char(option)) ? "1" : "0"; };
        const ks::SearchSettings settings {text,
            {{"schema", options.contains(u'h') ? "hr" : ""}, {"system-schemas", on('s')},
                {"ignore-case", options.contains(u'c') ? "0" : "1"}, {"definitions", on('d')}, {"comments", on('m')}},
            options.contains(u't')       ? ks::MatchMode::Text
                : options.contains(u'w') ? ks::MatchMode::Word
                : options.contains(u'r') ? ks::MatchMode::RegularExpression
                                         : ks::MatchMode::Pattern};
        const ks::CatalogueKind &kind = ks::postgresql::catalogueKind();
        const auto search = kind.prepareSearch(settings);
        const auto found = [&search](const QString &connectionString) {
            QStringList rows;
            for (const ks::ResultRow &row : runTask(connectionString, search->task()).rows) {
                QStringList definition;
                if (const auto fetch = search->definition(row, QString()))
                    definition = runTask(connectionString, fetch->task).lines;
                rows << QStringList {row.name, row.type, row.schema, row.comment, definition.join(u'\n')}.join(u'|');
            }
            return rows;
        };
        const QStringList expected = found(connectionString(m_server->password()));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(found(kind.fileConnectionString(snapshot())), expected);

        ks::Connection server;
        server.open(connectionString(m_server->password()), {}, {});
        ks::Connection file;
        file.open(kind.fileConnectionString(snapshot()), {}, {});
        QCOMPARE(ks::postgresql::listSchemas(file, options.contains(u's')),
            ks::postgresql::listSchemas(server, options.contains(u's')));
        QCOMPARE(ks::catalogueKindOf(snapshot()), kind.fileKind());
        QCOMPARE(kind.caption(kind.fileConnectionString(snapshot())), snapshot() + QStringLiteral(" (PostgreSQL)"));
    }

    // A capture whose session the server ends leaves no file, and the older
    // snapshot of the name as it was.
    void droppedCaptureLeavesTheOlderSnapshot()
    {
        const QString target = m_dir.filePath(QStringLiteral("kept.qmcat"));
        QVERIFY(QFile::copy(snapshot(), target));
        const QByteArray before = fileBytes(target);
        ks::Connection locker;
        locker.open(BuildPostgresConnectionString(m_server->socketDir(), QString::number(m_server->port()),
                        m_server->database(), m_server->superUser(), QString()),
            {}, {});
        ks::ExecuteSql(locker, QStringLiteral("BEGIN"));
        ks::ExecuteSql(locker, QStringLiteral("LOCK TABLE waits.locked"));
        // The capture waits for the locked view's definition until the server ends it.
        QTimer terminator;
        connect(&terminator, &QTimer::timeout, this, [this, &terminator] {
            const auto waiting = m_server->runSql(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE "
                                                                 "usename = 'quill' AND wait_event_type = 'Lock'"));
            if (waiting.value_or(QString()).trimmed() == QStringLiteral("1")) {
                terminator.stop();
                m_server->terminateConnections(m_server->user());
            }
        });
        terminator.start(50);
        const QString source = connectionString(m_server->password());
        const ks::test::TaskRun capture
            = runTask(source, ks::snapshotTask(ks::postgresql::catalogueKind(), source, target));
        QVERIFY(!terminator.isActive());
        QVERIFY2(capture.outcome == ks::SearchOutcome::Failed, qPrintable(capture.error));
        QVERIFY2(capture.error.contains(QStringLiteral("terminating connection")), qPrintable(capture.error));
        QCOMPARE(fileBytes(target), before);
        QCOMPARE(
            QDir(m_dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("kept.qmcat")} << "server.qmcat");
    }

    void findsEachKind_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options"); // s: system schemas, c: exact case, d/m: definitions/comments, h: schema
                                              // hr, t/w/r: as text, as a word, as a regular expression
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<bool>("found");
        const auto row = [](const char *tag, const char *text, const char *options, const QString &name,
                             const char *type, const QString &schema, bool found = true) {
            QTest::newRow(tag) << QString::fromUtf8(text) << options << name << type << schema << found;
        };
        row("table", "CUSTOMERS", "", "sales.customers", "Table", "sales");
        row("exact case", "CUSTOMERS", "c", "sales.customers", "Table", "sales", false);
        row("other schema", "customers", "h", "sales.customers", "Table", "sales", false);
        row("partitioned table", "order_events", "", "sales.order_events", "Partitioned Table", "sales");
        row("view", "order_totals", "", "sales.order_totals", "View", "sales");
        row("materialized view", "monthly_rev", "", "sales.monthly_revenue", "Materialized View", "sales");
        row("sequence", "invoice_num", "", "sales.invoice_number", "Sequence", "sales");
        row("foreign table", "public_holidays", "", "hr.public_holidays", "Foreign Table", "hr");
        row("index", "orders_customer", "", "sales.orders_customer_idx", "Index", "sales");
        row("function", "touch_order", "", "sales.touch_order()", "Function", "sales");
        row("procedure", "stale_orders", "", "sales.cancel_stale_orders(interval)", "Procedure", "sales");
        row("aggregate", "product", "", "sales.product(numeric)", "Aggregate", "sales");
        row("enum", "order_status", "", "sales.order_status", "Enum Type", "sales");
        row("domain", "email_addr", "", "sales.email_address", "Domain", "sales");
        row("composite", "postal_addr", "", "hr.postal_address", "Composite Type", "hr");
        row("range", "salary_band", "", "hr.salary_band", "Range Type", "hr");
        row("trigger", "orders_touch", "", "orders_touch on sales.orders", "Trigger", "sales");
        row("constraint", "changed_after", "", "orders_changed_after_ordered on sales.orders", "Check Constraint",
            "sales");
        row("rule", "is_kept", "", "salary_history_is_kept on hr.salary_history", "Rule", "hr");
        row("policy", "own_row", "", "own_row on hr.employees", "Policy", "hr");
        row("column", "unit_price", "", "sales.order_lines.unit_price", "Column", "sales");
        row("quoted names", "Überweisungen", "",
            QStringLiteral("\"Müller's \"\"Lager\"\"\".\"Überweisungen \"\"offen\"\"\""), "Table",
            QStringLiteral("Müller's \"Lager\""));
        row("apostrophe, backslash, % and _", "it's a \\ 50%_off", "c", QStringLiteral("hr.\"it's a \\ 50%_off\""),
            "Table", "hr");
        row("system schema", "pg_class", "s", "pg_catalog.pg_class", "Table", "pg_catalog");
        row("system schema not asked for", "pg_class", "", "pg_catalog.pg_class", "Table", "pg_catalog", false);
        row("view definition", "sum(", "d", "sales.order_totals", "View", "sales");
        row("function source", "NEW.changed_at", "d", "sales.touch_order()", "Function", "sales");
        row("check constraint", "changed_at >= ordered_at", "d", "orders_changed_after_ordered on sales.orders",
            "Check Constraint", "sales");
        row("column default", "invoice_number", "d", "sales.orders.invoice_no", "Column", "sales");
        row("index definition", "DESC", "d", "sales.orders_customer_idx", "Index", "sales");
        row("policy expression", "CURRENT_USER", "d", "own_row on hr.employees", "Policy", "hr");
        row("definitions not asked for", "NEW.changed_at", "", "sales.touch_order()", "Function", "sales", false);
        row("table comment", "who ever ordered", "m", "sales.customers", "Table", "sales");
        row("column comment", "where the invoices", "m", "sales.customers.email", "Column", "sales");
        row("trigger comment", "keeps changed_at", "m", "orders_touch on sales.orders", "Trigger", "sales");
        row("policy comment", "nobody else's", "m", "own_row on hr.employees", "Policy", "hr");
        const QString offTable = QStringLiteral("hr.\"it's a \\ 50%_off\"");
        row("text: apostrophe, backslash, % and _", "it's a \\ 50%_off", "ct", offTable, "Table", "hr");
        row("text takes wildcards as themselves", "a \\ 50_%", "t", offTable, "Table", "hr", false);
        row("whole word", "IT'S", "w", offTable, "Table", "hr");
        row("word inside a name", "off", "w", offTable, "Table", "hr", false);
        row("word in a comment", "ordered", "mw", "sales.customers", "Table", "sales");
        row("regular expression with escapes", "^it's a \\\\ \\d+%_o", "r", offTable, "Table", "hr");
        row("regular expression ignoring case", "^CUSTOMERS$", "r", "sales.customers", "Table", "sales");
        row("regular expression in exact case", "^CUSTOMERS$", "cr", "sales.customers", "Table", "sales", false);
        row("regular expression in definitions", "sum\\(", "dr", "sales.order_totals", "View", "sales");
    }

    void findsEachKind()
    {
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, schema);
        QFETCH(bool, found);
        SearchRequest request;
        request.searchText = text;
        request.systemSchemas = options.contains(u's');
        request.ignoreCase = !options.contains(u'c');
        request.definitions = options.contains(u'd');
        request.comments = options.contains(u'm');
        request.schema = options.contains(u'h') ? QStringLiteral("hr") : QString();
        if (options.contains(u't'))
            request.mode = ks::MatchMode::Text;
        else if (options.contains(u'w'))
            request.mode = ks::MatchMode::Word;
        else if (options.contains(u'r'))
            request.mode = ks::MatchMode::RegularExpression;
        ks::Connection connection;
        connection.open(connectionString(m_server->password()), {}, {});
        bool present = false;
        QStringList rows;
        ks::postgresql::runSearch(connection, request, [&](const ks::ResultRow &row) {
            present = present || (row.name == name && row.type == type && row.schema == schema);
            rows << row.name + u'|' + row.type + u'|' + row.schema;
        });
        QVERIFY2(present == found, qPrintable(rows.join(u'\n')));
    }

    void definitions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("shown");
        QTest::newRow("view") << "order_totals"
                              << "View"
                              << "sum(";
        QTest::newRow("function") << "touch_order"
                                  << "Function"
                                  << "CREATE OR REPLACE FUNCTION sales.touch_order()";
        QTest::newRow("aggregate") << "product"
                                   << "Aggregate"
                                   << "SFUNC = numeric_mul";
        QTest::newRow("trigger") << "orders_touch"
                                 << "Trigger"
                                 << "BEFORE UPDATE ON sales.orders";
        QTest::newRow("rule") << "is_kept"
                              << "Rule"
                              << "DO INSTEAD NOTHING";
        QTest::newRow("policy") << "own_row"
                                << "Policy"
                                << "USING ((login = CURRENT_USER))";
        QTest::newRow("comment") << "Where the invoices go"
                                 << "Column"
                                 << "Where the invoices go";
    }

    void definitions()
    {
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, shown);
        SearchRequest request;
        request.searchText = text;
        ks::Connection connection;
        connection.open(connectionString(m_server->password()), {}, {});
        std::optional<QString> sql;
        ks::postgresql::runSearch(connection, request, [&](const ks::ResultRow &row) {
            if (row.type == type && !sql)
                sql = ks::postgresql::definitionStatement(row);
        });
        QVERIFY(sql);
        LinesOutput output;
        ks::postgresql::writeDefinition(connection, *sql, output);
        QVERIFY2(output.lines.join(u'\n').contains(shown), qPrintable(output.lines.join(u'\n')));
    }

    void openFailsWithTheClientsMessage_data()
    {
        QTest::addColumn<int>("local"); // the server's port (-1), a port refusing (0) or never answering (1)
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << -1 << "wrong"
                                        << "password authentication failed for user \"quill\"";
        QTest::newRow("nothing listens") << 0 << "secret"
                                         << "Connection refused";
        QTest::newRow("never answers") << 1 << "secret"
                                       << "timeout expired";
    }

    void openFailsWithTheClientsMessage()
    {
        QFETCH(int, local);
        QFETCH(QString, password);
        QFETCH(QString, message);
        std::optional<LocalPort> port;
        if (local >= 0)
            port.emplace(local == 1);
        QVERIFY(!port || port->port != 0);
        // An address's own time-out, the shortest libpq takes, in place of the program's.
        const QString address = QStringLiteral("postgresql://127.0.0.1:%1/%2?connect_timeout=2")
                                    .arg(port ? port->port : m_server->port())
                                    .arg(m_server->database());
        QElapsedTimer clock;
        clock.start();
        ks::Connection connection;
        try {
            connection.open(
                BuildPostgresConnectionString(address, QString(), QString(), m_server->user(), password), {}, {});
            QFAIL("the connection opened");
        } catch (const ks::Error &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(message), error.what());
        }
        QVERIFY(clock.elapsed() < ks::kPostgresConnectTimeoutSeconds * 1000);
    }

    void windowSearchesAndShowsTheDefinition()
    {
        ks::test::SeamsInPlace seams;
        TfrmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *window = TfrmConnectionPostgres::open(&main, connectionString(m_server->password()));
        QVERIFY(ks::test::optionsRead(window));
        QVERIFY(window->cbSchema->findText(QStringLiteral("Müller's \"Lager\"")) > 0);
        QCOMPARE(window->cbSchema->findText(QStringLiteral("pg_catalog")), -1);
        window->cbSystemSchemas->click();
        QVERIFY(ks::test::optionsRead(window));
        QVERIFY(window->cbSchema->findText(QStringLiteral("pg_catalog")) > 0);

        window->cbSchema->setCurrentIndex(window->cbSchema->findText(QStringLiteral("sales")));
        QTest::keyClicks(window->edFind, QStringLiteral("Touch"));
        QVERIFY(ks::test::findAndWait(window));
        const ks::KsResultModel *model = window->resultModel();
        int found = -1;
        for (int i = 0; i < model->rowCount(); ++i) {
            if (model->row(i).name == QStringLiteral("sales.touch_order()"))
                found = i;
        }
        QVERIFY(found >= 0);
        const QRect rect = window->lvResult->visualRect(model->index(found, 0));
        // The view opens a row only for the second click of a pair on it.
        QTest::mouseClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(main.activeChild());
        QVERIFY(viewer);
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(viewer->caption(), QStringLiteral("Function sales.touch_order() in ") + window->caption());
        QVERIFY(viewer->frKsTextViewer()->memo()->toPlainText().contains(
            QStringLiteral("CREATE OR REPLACE FUNCTION sales.touch_order()")));
        // ILIKE matches letters of either case.
        QCOMPARE(viewer->frKsTextViewer()->searchHighlight().caseRule, ks::MatchCase::CaseFolded);
        QVERIFY(seams.messages.shown.isEmpty());
    }

    void longSearchEnds_data()
    {
        QTest::addColumn<bool>("terminate");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("Stop") << false << "Stopped after" << QString();
        QTest::newRow("server ends the session") << true << "Search failed after"
                                                 << "terminating connection due to administrator command";
    }

    // A search whose definitions wait for a lock another session holds runs
    // until Stop or the server ends it: its statement leaves the server, the
    // names listed before stay, and the window's next search runs.
    void longSearchEnds()
    {
        QFETCH(bool, terminate);
        QFETCH(QString, status);
        QFETCH(QString, message);
        ks::test::SeamsInPlace seams;
        TfrmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *window = TfrmConnectionPostgres::open(&main, connectionString(m_server->password()));
        QVERIFY(ks::test::optionsRead(window));
        ks::Connection locker;
        locker.open(BuildPostgresConnectionString(m_server->socketDir(), QString::number(m_server->port()),
                        m_server->database(), m_server->superUser(), QString()),
            {}, {});
        ks::ExecuteSql(locker, QStringLiteral("BEGIN"));
        ks::ExecuteSql(locker, QStringLiteral("LOCK TABLE waits.locked"));

        auto *edFind = window->findChild<QLineEdit *>(QStringLiteral("edFind"));
        auto *btnFind = window->findChild<QPushButton *>(QStringLiteral("btnFind"));
        QTest::keyClicks(edFind, QStringLiteral("orders"));
        QTest::mouseClick(btnFind, Qt::LeftButton);
        const QString active
            = QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE usename = 'quill' AND state = 'active'");
        const auto count = [this](const QString &sql) { return m_server->runSql(sql).value_or(QString()).trimmed(); };
        QTRY_COMPARE(count(active + QStringLiteral(" AND wait_event_type = 'Lock'")), QStringLiteral("1"));
        QCOMPARE(btnFind->text(), QStringLiteral("&Stop"));
        if (terminate)
            QCOMPARE(m_server->terminateConnections(m_server->user()), 1);
        else
            QTest::mouseClick(btnFind, Qt::LeftButton);
        QVERIFY(ks::test::searchEnds(window, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(count(active), QStringLiteral("0"), 5000);
        QVERIFY2(window->statusText().startsWith(status), qPrintable(window->statusText()));
        QVERIFY(!ks::test::listedRows(window).filter(QStringLiteral("sales.orders|Table|")).isEmpty());
        QCOMPARE(seams.messages.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(seams.messages.shown.constFirst().contains(message), qPrintable(seams.messages.shown.join(u'\n')));
        locker.close();

        QCOMPARE(btnFind->text(), QStringLiteral("&Find"));
        edFind->clear();
        QTest::keyClicks(edFind, QStringLiteral("locked_rows"));
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY2(window->statusText().startsWith(QStringLiteral("Search done")), qPrintable(window->statusText()));
        QVERIFY(!ks::test::listedRows(window).filter(QStringLiteral("waits.locked_rows|View|")).isEmpty());
    }

    void dialogTakesAnAddressWhole()
    {
        ks::test::SeamsInPlace seams;
        TdlgKsConnectPostgres dialog(nullptr);
        dialog.cbHost->setEditText(QStringLiteral("postgresql://ann:pw@db.example.com:6000/shop"));
        // The address names the database itself.
        QVERIFY(dialog.btnOk->isEnabled());
        const QString connectionString = dialog.connectionStringFromEntries();
        QCOMPARE(connectionString,
            QStringLiteral("Provider=PostgreSQL;Data Source=postgresql://ann:pw@db.example.com:6000/shop"));
        QCOMPARE(ks::postgresql::catalogueKind().caption(connectionString),
            QStringLiteral("ann @ db.example.com/shop (PostgreSQL)"));
    }

private:
    QString snapshot() const { return m_dir.filePath(QStringLiteral("server.qmcat")); }
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString connectionString(const QString &password) const
    {
        return BuildPostgresConnectionString(
            m_server->host(), QString::number(m_server->port()), m_server->database(), m_server->user(), password);
    }

    std::unique_ptr<PgTestServer> m_server;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPostgresSearch)
#include "tst_postgressearch.moc"
