// quillmere-search run as a process against the demo catalogues, the TDS
// test server and the PostgreSQL test server, all at once: its rows, in
// every format, are the rows the windows list for the same search (their
// result model filled by the kind's search through the background runner);
// a connection that fails is named on one line while the others' rows are
// still written; Ctrl+C stops the engines' statements.

#include "CliParsers.h"
#include "PgTestServer.h"
#include "db/KsConnectionString.h"
#include "kinds/KsKinds.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultFormat.h"
#include "search/KsResultModel.h"
#include "search/TaskRun.h"
#include "support/TdsTestServer.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using ks::test::PgTestServer;
using ks::test::TdsTestServer;

namespace {

constexpr int kWaitMs = 60000;
const QString kPassword = QStringLiteral("secret");

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

// One connection of the runs, and how the test opens it itself.
struct Target {
    QString argument;
    QString kind;
    QString connectionString;
};

} // namespace

class TestCliSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rowsAreTheWindowsInEveryFormat_data();
    void rowsAreTheWindowsInEveryFormat();
    void failingConnectionIsNamedWhileOthersAreWritten_data();
    void failingConnectionIsNamedWhileOthersAreWritten();
    void countAndNothingFound();
    void snapshotIsSearchedAsItsSource();
    void definitionsAreWhatTheViewerShows();
    void interruptStopsTheStatementsAndExits130();

private:
    Run run(const QStringList &arguments, const QString &password = kPassword) const;
    // The program started with the password in QUILLMERE_PASSWORD.
    std::unique_ptr<QProcess> startProgram(const QStringList &arguments, const QString &password = kPassword) const;
    // What the window of the target's kind lists for the search, as records;
    // nothing when the search fails.
    std::optional<QList<QStringList>> windowRecords(
        const Target &target, const QString &text, const QStringList &values) const;
    QStringList arguments() const;

    QString m_program;
    QList<Target> m_targets; // the demo catalogues, then the servers that run here
    std::unique_ptr<TdsTestServer> m_tds;
    std::unique_ptr<PgTestServer> m_pg;
    Target m_tdsTarget;
};

void TestCliSearch::initTestCase()
{
    m_program = qEnvironmentVariable("QUILLMERE_SEARCH");
    QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
    for (const auto &[variable, kind] :
        {std::pair {"QUILLMERE_DEMO_CATALOGUE", "oracle"}, std::pair {"QUILLMERE_MSSQL_DEMO_CATALOGUE", "mssql"}}) {
        const QString file = qEnvironmentVariable(variable);
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        const QString id = QString::fromLatin1(kind);
        m_targets << Target {file, id, ks::catalogueKind(id)->fileConnectionString(file)};
    }
    if (const QString why = ks::test::freeTdsUnavailable(true); why.isEmpty()) {
        m_tds = std::make_unique<TdsTestServer>(qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE"));
        QVERIFY2(m_tds->start(), qPrintable(m_tds->errorString()));
        const QString server = QStringLiteral("127.0.0.1,%1").arg(m_tds->port());
        m_tdsTarget = {QStringLiteral("mssql://quill@127.0.0.1:%1/shop").arg(m_tds->port()), QStringLiteral("mssql"),
            ks::BuildMsSqlConnectionString(server, QStringLiteral("shop"), QStringLiteral("quill"), kPassword)};
        m_targets << m_tdsTarget;
    } else {
        qWarning("No SQL Server connection in the runs: %s", qPrintable(why));
    }
    if (const auto why = PgTestServer::unavailableReason(); !why) {
        m_pg = std::make_unique<PgTestServer>();
        QVERIFY2(m_pg->start(), qPrintable(m_pg->errorString()));
        QVERIFY2(m_pg->runSqlFile(qEnvironmentVariable("QUILLMERE_PG_DEMO")), qPrintable(m_pg->errorString()));
        const QString address
            = QStringLiteral("postgresql://quill@127.0.0.1:%1/%2").arg(m_pg->port()).arg(m_pg->database());
        m_targets << Target {address, QStringLiteral("postgresql"),
            QStringLiteral("Provider=PostgreSQL;Data Source=%1;Password=%2").arg(address, kPassword)};
    } else {
        qWarning("No PostgreSQL connection in the runs: %s", qPrintable(*why));
    }
}

QStringList TestCliSearch::arguments() const
{
    QStringList list;
    for (const Target &target : m_targets)
        list << target.argument;
    return list;
}

std::unique_ptr<QProcess> TestCliSearch::startProgram(const QStringList &arguments, const QString &password) const
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMERE_PASSWORD"), password);
    process->setProcessEnvironment(environment);
    process->start(m_program, arguments);
    return process;
}

Run TestCliSearch::run(const QStringList &arguments, const QString &password) const
{
    const std::unique_ptr<QProcess> process = startProgram(arguments, password);
    Run result;
    if (!process->waitForFinished(kWaitMs) || process->exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process->exitCode();
    result.out = process->readAllStandardOutput();
    result.err = QString::fromUtf8(process->readAllStandardError());
    return result;
}

namespace {

// Runs a task as a window does, its rows into a result list (in the
// window's order) and its lines into `lines`; whether it ran to its end.
bool runAsTheWindow(const QString &connectionString, ks::SearchTask task, ks::KsResultModel *model, QStringList *lines)
{
    ks::test::TaskRun run = ks::test::runTask(connectionString, std::move(task));
    model->addRows(std::move(run.rows));
    *lines << run.lines;
    return run.outcome == ks::SearchOutcome::Done;
}

} // namespace

std::optional<QList<QStringList>> TestCliSearch::windowRecords(
    const Target &target, const QString &text, const QStringList &values) const
{
    const ks::CatalogueKind *kind = ks::catalogueKind(target.kind);
    ks::SearchSettings settings;
    settings.text = text;
    for (const QString &value : values) {
        const QString name = value.section(u'=', 0, 0);
        if (name == QLatin1String("mode"))
            settings.mode = ks::MatchMode(value.section(u'=', 1).toInt());
        else if (ks::findSearchOption(kind->searchOptions(), name))
            settings.values.insert(name, value.section(u'=', 1));
    }
    ks::KsResultModel model;
    QStringList lines;
    if (!runAsTheWindow(target.connectionString, kind->prepareSearch(settings)->task(), &model, &lines))
        return std::nullopt;
    QList<QStringList> records;
    for (int i = 0; i < model.rowCount(); ++i)
        records << ks::resultRecord(target.argument, model.row(i));
    return records;
}

void TestCliSearch::definitionsAreWhatTheViewerShows()
{
    // The catalogue file, and the same catalogue through the server where it runs.
    QList<Target> targets {m_targets.at(1)};
    if (m_tds)
        targets << m_tdsTarget;
    QList<QJsonValue> expected;
    QStringList arguments {
        QStringLiteral("--with-definition"), QStringLiteral("--format=json"), QStringLiteral("customer")};
    for (const Target &target : std::as_const(targets)) {
        const ks::CatalogueKind *kind = ks::catalogueKind(target.kind);
        const std::shared_ptr<const ks::PreparedSearch> search = kind->prepareSearch({QStringLiteral("customer"), {}});
        ks::KsResultModel model;
        QStringList none;
        QVERIFY(runAsTheWindow(target.connectionString, search->task(), &model, &none));
        for (int i = 0; i < model.rowCount(); ++i) {
            std::optional<ks::DefinitionFetch> fetch
                = search->definition(model.row(i), kind->caption(target.connectionString));
            QStringList lines;
            if (fetch)
                QVERIFY(runAsTheWindow(target.connectionString, std::move(fetch->task), &model, &lines));
            expected << (fetch ? QJsonValue(lines.join(u'\n')) : QJsonValue());
        }
        arguments << target.argument;
    }
    QVERIFY(std::count_if(expected.cbegin(), expected.cend(), [](const QJsonValue &v) { return v.isString(); }) > 1);
    const Run result = run(arguments);
    QVERIFY2(result.status == 0, qPrintable(QString::number(result.status) + u' ' + result.err));
    QList<QJsonValue> listed;
    for (const QJsonValue &row : QJsonDocument::fromJson(result.out).array())
        listed << row.toObject().value(QStringLiteral("definition"));
    QCOMPARE(listed, expected);
}

void TestCliSearch::rowsAreTheWindowsInEveryFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("values"); // what the windows' boxes are set to
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("ignored"); // the option the SQL Server connections are warned of
    QTest::newRow("tsv as the boxes start") << "tsv" << QStringList() << QStringList() << QStringList() << QString();
    QTest::newRow("csv names only") << "csv" << QStringList {QStringLiteral("--names-only")}
                                    << QStringList {QStringLiteral("code=0"), QStringLiteral("definitions=0"),
                                           QStringLiteral("comments=0"), QStringLiteral("triggers=0")}
                                    << QStringList() << QString();
    QTest::newRow("json exact case") << "json" << QStringList {QStringLiteral("--no-ignore-case")}
                                     << QStringList {QStringLiteral("ignore-case=0")} << QStringList()
                                     << QStringLiteral("--ignore-case");
    QTest::newRow("jsonl of two types") << "jsonl"
                                        << QStringList {QStringLiteral("--type=table"), QStringLiteral("--type"),
                                               QStringLiteral("COLUMN")}
                                        << QStringList()
                                        << QStringList {QStringLiteral("Table"), QStringLiteral("Column")} << QString();
    // The last match mode given counts.
    QTest::newRow("tsv of whole words") << "tsv" << QStringList {QStringLiteral("--regex"), QStringLiteral("--word")}
                                        << QStringList {QStringLiteral("mode=%1").arg(int(ks::MatchMode::Word))}
                                        << QStringList() << QString();
}

void TestCliSearch::rowsAreTheWindowsInEveryFormat()
{
    QFETCH(QString, format);
    QFETCH(QStringList, options);
    QFETCH(QStringList, values);
    QFETCH(QStringList, types);
    QFETCH(QString, ignored);
    const QString text = QStringLiteral(" Name ");
    QList<QStringList> expected;
    QStringList warned;
    for (const Target &target : std::as_const(m_targets)) {
        const std::optional<QList<QStringList>> records = windowRecords(target, text, values);
        QVERIFY2(records, qPrintable(target.argument));
        if (!ignored.isEmpty() && target.kind == QLatin1String("mssql"))
            warned << target.argument;
        for (const QStringList &record : *records) {
            if (types.isEmpty() || types.contains(record.at(2), Qt::CaseInsensitive))
                expected << record;
        }
    }
    QVERIFY(!expected.isEmpty());

    const Run result = run(QStringList {QStringLiteral("--format"), format} << options << text << arguments());
    QVERIFY2(result.status == 0, qPrintable(QString::number(result.status) + u' ' + result.err));
    // One warning names every connection whose kind lacks the option.
    const QStringList messages = result.err.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(messages.size(), warned.isEmpty() ? 0 : 1);
    for (const QString &argument : std::as_const(warned))
        QVERIFY2(messages.constFirst().contains(ignored) && messages.constFirst().contains(argument),
            qPrintable(result.err));
    QList<QStringList> listed = ks::test::readRecords(format, result.out, ks::resultColumns(false));
    QCOMPARE(listed.takeFirst(), ks::resultColumns(false));
    // JSON lines come as the rows arrive, from every connection at once.
    if (format == QLatin1String("jsonl")) {
        const auto byText
            = [](const QStringList &a, const QStringList &b) { return a.join(u'\x1f') < b.join(u'\x1f'); };
        std::stable_sort(listed.begin(), listed.end(), byText);
        std::stable_sort(expected.begin(), expected.end(), byText);
    }
    QCOMPARE(listed, expected);
}

void TestCliSearch::failingConnectionIsNamedWhileOthersAreWritten_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("no such file") << "file" << QStringList();
    QTest::newRow("wrong password") << "password" << QStringList();
    QTest::newRow("dropped connection") << "drop" << QStringList();
    QTest::newRow("stalled server") << "stall" << QStringList {QStringLiteral("--timeout"), QStringLiteral("2")};
}

void TestCliSearch::failingConnectionIsNamedWhileOthersAreWritten()
{
    QFETCH(QString, failure);
    QFETCH(QStringList, options);
    const Target &good = m_targets.constFirst();
    QString failing = QStringLiteral("no-such-catalogue.qmcat");
    QString password = kPassword;
    std::unique_ptr<ks::test::KnobGuard> knobs;
    if (failure != QLatin1String("file")) {
        if (!m_tds)
            QSKIP("The SQL Server test server cannot run here.");
        knobs = std::make_unique<ks::test::KnobGuard>(*m_tds);
        failing = m_tdsTarget.argument;
        if (failure == QLatin1String("password"))
            password = QStringLiteral("wrong");
        else if (failure == QLatin1String("drop"))
            m_tds->setDropAfterRows(1);
        else
            m_tds->setStallAfterRows(1);
    }
    const std::optional<QList<QStringList>> expected = windowRecords(good, QStringLiteral("name"), {});
    QVERIFY(expected && !expected->isEmpty());
    // Each connection searches with the password given; the catalogue file needs none.
    const Run result = run(
        QStringList {QStringLiteral("--format=csv")} << options << QStringLiteral("name") << good.argument << failing,
        password);
    QCOMPARE(result.status, 2);
    const QStringList messages = result.err.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.constFirst().startsWith(QStringLiteral("quillmere-search: ") + failing + QStringLiteral(": ")),
        qPrintable(result.err));
    QList<QStringList> listed = ks::test::readCsv(QString::fromUtf8(result.out));
    QCOMPARE(listed.takeFirst(), ks::resultColumns(false));
    // A dropped connection may have handed over a row before it went.
    listed.removeIf([&failing](const QStringList &record) { return record.constFirst() == failing; });
    QCOMPARE(listed, *expected);
}

// A snapshot taken from the command line lists what its source lists; one
// that cannot be taken says why, naming the connection, and leaves no file.
void TestCliSearch::snapshotIsSearchedAsItsSource()
{
    const Target &source = m_tds ? m_tdsTarget : m_targets.at(1);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shop.qmcat"));
    const Run taken = run({QStringLiteral("--snapshot"), file, source.argument});
    QVERIFY2(taken.status == 0, qPrintable(taken.err));
    QCOMPARE(taken.out, QByteArray());
    const auto rows = [this](const QString &connection) {
        const Run found = run({QStringLiteral("Order"), connection});
        QList<QByteArray> lines = found.out.split('\n');
        for (QByteArray &line : lines)
            line = line.mid(line.indexOf('\t')); // without the connection
        return lines;
    };
    const QList<QByteArray> fromSource = rows(source.argument);
    QVERIFY(fromSource.size() > 10);
    QCOMPARE(rows(file), fromSource);

    const QString missing = dir.filePath(QStringLiteral("missing.qmcat"));
    const Run failed = run({QStringLiteral("--snapshot"), dir.filePath(QStringLiteral("no.qmcat")), missing});
    QCOMPARE(failed.status, 2);
    QVERIFY2(failed.err.contains(missing + u':'), qPrintable(failed.err));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no.qmcat"))));
}

void TestCliSearch::countAndNothingFound()
{
    qsizetype total = 0;
    for (const Target &target : std::as_const(m_targets)) {
        const std::optional<QList<QStringList>> records = windowRecords(target, QStringLiteral("name"), {});
        QVERIFY(records);
        total += records->size();
    }
    const Run counted = run(QStringList {QStringLiteral("--count"), QStringLiteral("name")} << arguments());
    QCOMPARE(counted.status, 0);
    QCOMPARE(counted.out, QByteArray::number(total) + '\n');

    const Run none = run(QStringList {QStringLiteral("zz_nowhere_zz")} << arguments());
    QVERIFY2(none.err.isEmpty(), qPrintable(none.err));
    QCOMPARE(none.status, 1);
    // The header alone: the window's "no results found" line is no row.
    QCOMPARE(none.out, QByteArray("connection\tname\ttype\towner\tmatched\n"));
    const Run noneCounted
        = run(QStringList {QStringLiteral("--count"), QStringLiteral("zz_nowhere_zz")} << arguments());
    QCOMPARE(noneCounted.status, 1);
    QCOMPARE(noneCounted.out, QByteArray("0\n"));
}

void TestCliSearch::interruptStopsTheStatementsAndExits130()
{
    if (!m_tds)
        QSKIP("The SQL Server test server cannot run here.");
    const ks::test::KnobGuard knobs(*m_tds);
    m_tds->setPauseAfterRows(0);
    const int attentions = m_tds->attentions();
    const int batches = m_tds->batches();
    const std::unique_ptr<QProcess> process
        = startProgram({QStringLiteral("name"), m_targets.constFirst().argument, m_tdsTarget.argument});
    QTRY_VERIFY_WITH_TIMEOUT(m_tds->batches() > batches, kWaitMs);
    ::kill(pid_t(process->processId()), SIGINT);
    QVERIFY(process->waitForFinished(kWaitMs));
    QCOMPARE(process->exitCode(), 130);
    // The stop reached the server, as Stop does in the window.
    QTRY_VERIFY(m_tds->attentions() > attentions);
}

QTEST_GUILESS_MAIN(TestCliSearch)
#include "tst_clisearch.moc"
