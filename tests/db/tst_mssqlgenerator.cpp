// The SQL Server side of the catalogue generator: it makes what it is asked
// for, in the server's shapes, the same file for the same seed, and the
// program's search runs on it.

#include "db/KsAdo.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "support/TestErrors.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The build's tools; QUILLMERE_TOOLS_DIR names their directory when they are
// not next to the tests' one.
QString toolPath(const QString &name)
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLMERE_TOOLS_DIR");
    const QString directory = fromEnvironment.isEmpty()
        ? QCoreApplication::applicationDirPath() + QStringLiteral("/../tools")
        : fromEnvironment;
    return directory + u'/' + name;
}

struct ToolRun {
    int exitCode = -1;
    QString errors;
};

ToolRun generate(const QStringList &arguments)
{
    QProcess process;
    process.start(toolPath(QStringLiteral("gen_catalogue")), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        run.errors = QStringLiteral("gen_catalogue did not run: ") + process.errorString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList sizeArguments(int columns, int views, int sources, int triggers, int indexes, int defaults)
{
    return {QStringLiteral("--dialect"), QStringLiteral("mssql"), QStringLiteral("--columns"), QString::number(columns),
        QStringLiteral("--views"), QString::number(views), QStringLiteral("--sources"), QString::number(sources),
        QStringLiteral("--triggers"), QString::number(triggers), QStringLiteral("--indexes"), QString::number(indexes),
        QStringLiteral("--defaults"), QString::number(defaults)};
}

ks::ConnectionPtr openCatalogue(const QString &file)
{
    return ks::OpenConnection(
        ks::BuildMsSqlConnectionString(file, QStringLiteral("Generated"), QString(), QString()), QString(), QString());
}

qint64 scalar(ks::Connection &connection, const QString &sql)
{
    return ks::ExecuteSql(connection, sql)->text(0).toLongLong();
}

// Every row of the catalogue tables, in key order.
QByteArray contentDigest(ks::Connection &connection)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char *table : {"sysusers", "sysobjects", "syscolumns", "syscomments", "sysindexes"}) {
        const auto rows = ks::ExecuteSql(connection, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(table));
        for (; !rows->eof(); rows->moveNext()) {
            for (int c = 0; c < rows->fieldCount(); ++c)
                hash.addData((rows->text(c) + u'|').toUtf8());
            hash.addData("\n");
        }
    }
    return hash.result();
}

} // namespace

class TestMsSqlGenerator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void makesTheRequestedCounts_data();
    void makesTheRequestedCounts();
    void sameSeedSameFile();
    void rejectsBadArguments_data();
    void rejectsBadArguments();

private:
    QTemporaryDir m_dir;
};

void TestMsSqlGenerator::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFile::exists(toolPath(QStringLiteral("gen_catalogue"))), "build gen_catalogue first");
}

void TestMsSqlGenerator::makesTheRequestedCounts_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("views");
    QTest::addColumn<int>("sources");
    QTest::addColumn<int>("triggers");
    QTest::addColumn<int>("indexes");
    QTest::addColumn<int>("defaults");
    QTest::newRow("everything") << 1500 << 40 << 60 << 20 << 200 << 90;
    QTest::newRow("tables only") << 30 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("more defaults than columns can take") << 10 << 0 << 0 << 0 << 0 << 100;
    QTest::newRow("nothing") << 0 << 0 << 0 << 0 << 0 << 0;
}

void TestMsSqlGenerator::makesTheRequestedCounts()
{
    QFETCH(int, columns);
    QFETCH(int, views);
    QFETCH(int, sources);
    QFETCH(int, triggers);
    QFETCH(int, indexes);
    QFETCH(int, defaults);
    const QString file = m_dir.filePath(QStringLiteral("%1.qmcat").arg(QTest::currentDataTag()));
    const ToolRun run = generate(sizeArguments(columns, views, sources, triggers, indexes, defaults) << file);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const auto connection = openCatalogue(file);
    ks::Connection &db = *connection;
    QCOMPARE(
        scalar(db, "SELECT count(*) FROM syscolumns c JOIN sysobjects o ON o.id = c.id WHERE o.type = 'U'"), columns);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE type = 'V'"), views);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE type IN ('P', 'FN', 'IF', 'TF')"), sources);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE type = 'TR'"), triggers);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysindexes WHERE indid > 1"), indexes);
    // A table's first column is its key and gets no default.
    const qint64 free = scalar(db,
        "SELECT count(*) FROM syscolumns c JOIN sysobjects o ON o.id = c.id "
        "WHERE o.type = 'U' AND c.colid > 1");
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE type = 'D'"), std::min<qint64>(defaults, free));
    QCOMPARE(scalar(db, "SELECT count(*) FROM syscolumns WHERE cdefault <> 0"), std::min<qint64>(defaults, free));

    // The server's shapes.
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE length(type) <> 2 OR length(xtype) <> 2"), 0);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sysobjects WHERE type = 'K' AND xtype <> 'PK'"), 0);
    QCOMPARE(scalar(db, "SELECT count(*) FROM syscomments WHERE length(text) > 4000"), 0);
    QCOMPARE(scalar(db,
                 "SELECT count(*) FROM (SELECT count(*) AS n, max(colid) AS hi, min(colid) AS lo "
                 "FROM syscomments GROUP BY id, number) WHERE lo <> 1 OR hi <> n"),
        0);
    QCOMPARE(scalar(db,
                 "SELECT count(*) FROM syscomments c WHERE length(c.text) < 4000 AND c.colid < "
                 "(SELECT max(colid) FROM syscomments m WHERE m.id = c.id)"),
        0);
    QCOMPARE(scalar(db,
                 "SELECT count(*) FROM syscolumns c LEFT JOIN sysobjects d ON d.id = c.cdefault "
                 "WHERE c.cdefault <> 0 AND (d.type <> 'D' OR d.parent_obj <> c.id)"),
        0);
    QCOMPARE(scalar(db,
                 "SELECT count(*) FROM sysobjects o LEFT JOIN sysobjects t ON t.id = o.parent_obj "
                 "WHERE o.parent_obj <> 0 AND t.type NOT IN ('U', 'V')"),
        0);
    QCOMPARE(
        scalar(db, "SELECT count(*) FROM sysobjects o LEFT JOIN sysusers u ON u.uid = o.uid WHERE u.uid IS NULL"), 0);
    if (sources + views >= 100) {
        QVERIFY(scalar(db, "SELECT count(*) FROM syscomments WHERE colid > 2") > 0);
        QVERIFY(scalar(db, "SELECT count(*) FROM sysindexes WHERE (status & 8388608) <> 0") > 0);
        QVERIFY(scalar(db, "SELECT count(*) FROM sysindexes WHERE (status & 32) <> 0") > 0);
        QVERIFY(scalar(db, "SELECT count(DISTINCT uid) FROM sysobjects") >= 3);
    }

    // The search runs on it; statistics and hypothetical indexes stay out.
    QStringList indexRows;
    ks::mssql::runSearch(*connection, ks::mssql::SearchRequest {QStringLiteral("_"), true}, [&](ks::ResultRow row) {
        if (row.type == QStringLiteral("Index"))
            indexRows << ks::unpackKey<ks::mssql::CatalogueNames>(row.key).object;
    });
    QCOMPARE(indexRows.filter(QStringLiteral("_WA_Sys_")), QStringList());
    QCOMPARE(indexRows.filter(QStringLiteral("_dta_")), QStringList());
    QCOMPARE(indexRows.size(),
        scalar(db, "SELECT count(*) FROM sysindexes WHERE name IS NOT NULL AND (status & 8388640) = 0"));
}

void TestMsSqlGenerator::sameSeedSameFile()
{
    const auto digest = [&](const QString &name, const QString &seed) {
        const QString file = m_dir.filePath(name);
        const ToolRun run = generate(sizeArguments(400, 10, 12, 6, 30, 20) << QStringLiteral("--seed") << seed << file);
        if (run.exitCode != 0)
            return QByteArray(qPrintable(run.errors));
        const auto connection = openCatalogue(file);
        return contentDigest(*connection);
    };
    const QByteArray first = digest(QStringLiteral("a.qmcat"), QStringLiteral("7"));
    QCOMPARE(digest(QStringLiteral("b.qmcat"), QStringLiteral("7")), first);
    QVERIFY(digest(QStringLiteral("c.qmcat"), QStringLiteral("8")) != first);
}

void TestMsSqlGenerator::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown dialect") << QStringList {"--dialect", "db2", "--columns", "5", "--views", "1"} << 2 << "";
    QTest::newRow("indexes are SQL Server's")
        << QStringList {"--columns", "5", "--views", "1", "--indexes", "3"} << 2 << "";
    QTest::newRow("negative count") << QStringList {"--dialect", "mssql", "--columns", "5", "--views", "1",
        "--defaults", "-2"} << 1 << "--defaults";
    QTest::newRow("count that is no number") << QStringList {"--dialect", "mssql", "--columns", "5", "--views", "1",
        "--indexes", "many"} << 1 << "--indexes";
}

void TestMsSqlGenerator::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString file = m_dir.filePath(QStringLiteral("bad.qmcat"));
    const ToolRun run = generate(arguments << file);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
    QVERIFY(!QFile::exists(file));
    QVERIFY(!QFile::exists(file + QStringLiteral(".part")));
}

QTEST_GUILESS_MAIN(TestMsSqlGenerator)
#include "tst_mssqlgenerator.moc"
