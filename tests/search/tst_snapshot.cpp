// Snapshots of catalogue files of every kind that has them: the snapshot
// searches as its source does, says what it is, and a stopped or failed
// capture leaves no file and an older one intact; a snapshot from a newer
// program is refused by name.

#include "base/KsStrings.h"
#include "db/KsConnection.h"
#include "db/KsSnapshotInfo.h"
#include "kinds/KsKinds.h"
#include "search/KsCatalogueKind.h"
#include "search/KsPreparedSearch.h"
#include "search/KsSearchRunner.h"
#include "search/KsSnapshot.h"
#include "search/TaskRun.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using Values = QHash<QString, QString>;

namespace {

QString demo(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../data/") + name;
}

using ks::test::runTask;

QStringList search(const ks::CatalogueKind &kind, const QString &connectionString, const ks::SearchSettings &settings)
{
    QStringList rows;
    for (const ks::ResultRow &row : runTask(connectionString, kind.prepareSearch(settings)->task()).rows)
        rows << QStringList {row.name, row.type, row.schema, row.comment}.join(u'|');
    rows.sort();
    return rows;
}

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void snapshotSearchesAsItsSource_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<Values>("options");
        QTest::newRow("oracle") << "oracle-demo.qmcat"
                                << "oracle" << QStringList {"emp", "order", "_"} << Values {{"dictionary", "dba"}};
        QTest::newRow("oracle exact case, one schema")
            << "oracle-demo.qmcat"
            << "oracle" << QStringList {"EMP", "sal"}
            << Values {{"dictionary", "all"}, {"schema", "SALES"}, {"ignore-case", "0"}};
        QTest::newRow("sql server") << "mssql-demo.qmcat"
                                    << "mssql" << QStringList {"Order", "umsatz", "zzz"} << Values();
        QTest::newRow("designer") << "designer-demo.qmcat"
                                  << "designer" << QStringList {"order", "a"}
                                  << Values {{"app-system", "ORDERS"}, {"owning-user", "1"}};
        QTest::newRow("designer, older repository")
            << "designer-old.qmcat"
            << "designer" << QStringList {"e", "INV", "MMUELLER"}
            << Values {{"app-system", "ORDERS.2"}, {"ignore-case", "0"}, {"user-defined-properties", "1"},
                   {"created-changed-by", "1"}};
    }

    void snapshotSearchesAsItsSource()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QStringList, texts);
        QFETCH(Values, options);
        const ks::CatalogueKind &catalogueKind = *ks::catalogueKind(kind);
        const QString source = catalogueKind.fileConnectionString(demo(file));
        const QString target = m_dir.filePath(kind + QStringLiteral(".qmcat"));
        const ks::test::TaskRun capture = runTask(source, ks::snapshotTask(catalogueKind, source, target));
        QCOMPARE(capture.error, QString());
        QVERIFY(capture.outcome == ks::SearchOutcome::Done);

        const QString snapshot = catalogueKind.fileConnectionString(target);
        for (const QString &text : std::as_const(texts)) {
            const ks::SearchSettings settings {text, options};
            const QStringList expected = search(catalogueKind, source, settings);
            QVERIFY2(!expected.isEmpty() || text == QStringLiteral("zzz"), qPrintable(text));
            QCOMPARE(search(catalogueKind, snapshot, settings), expected);
        }

        const std::optional<ks::SnapshotInfo> info = ks::readSnapshotInfo(target);
        QVERIFY(info);
        QCOMPARE(info->kind, kind);
        QCOMPARE(info->format, ks::kSnapshotFormat);
        QVERIFY(QDateTime::fromString(info->takenUtc, Qt::ISODate).secsTo(QDateTime::currentDateTimeUtc()) < 600);
        QVERIFY(!info->rowCounts.isEmpty());
        QVERIFY(info->description().startsWith(QStringLiteral("snapshot of ")));
        // Nothing is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral(".part")), QStringList());
    }

    // A capture that ends early leaves no file, and the older one as it was.
    void unfinishedCaptureLeavesTheOlderFile_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("stopped") << true;
        QTest::newRow("failed") << false;
    }

    void unfinishedCaptureLeavesTheOlderFile()
    {
        QFETCH(bool, stop);
        const ks::CatalogueKind &kind = *ks::catalogueKind(QStringLiteral("oracle"));
        const QString target = m_dir.filePath(QStringLiteral("kept.qmcat"));
        QFile::remove(target);
        QVERIFY(QFile::copy(demo(QStringLiteral("mssql-demo.qmcat")), target));
        const QByteArray before = fileBytes(target);
        // A file of another kind is refused.
        const QString source = kind.fileConnectionString(
            stop ? demo(QStringLiteral("oracle-demo.qmcat")) : demo(QStringLiteral("mssql-demo.qmcat")));
        const ks::test::TaskRun capture = runTask(source, ks::snapshotTask(kind, source, target), stop);
        QVERIFY(capture.outcome == (stop ? ks::SearchOutcome::Stopped : ks::SearchOutcome::Failed));
        QCOMPARE(fileBytes(target), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral(".part")), QStringList());
    }

    void snapshotOfANewerProgramIsRefusedByName()
    {
        const ks::CatalogueKind &kind = *ks::catalogueKind(QStringLiteral("mssql"));
        const QString source = kind.fileConnectionString(demo(QStringLiteral("mssql-demo.qmcat")));
        const QString target = m_dir.filePath(QStringLiteral("newer.qmcat"));
        QCOMPARE(runTask(source, ks::snapshotTask(kind, source, target)).error, QString());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(target);
            QVERIFY(db.open());
            QVERIFY(
                QSqlQuery(db).exec(QStringLiteral("UPDATE quillmere_snapshot SET value = '2' WHERE name = 'format'")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        QVERIFY_THROWS_EXCEPTION(ks::Error, ks::readSnapshotInfo(target));
        ks::Connection connection;
        try {
            connection.open(kind.fileConnectionString(target), {}, {});
            QFAIL("the snapshot was opened");
        } catch (const ks::Error &error) {
            QVERIFY2(error.message().startsWith(target) && error.message().contains(QStringLiteral("newer")),
                qPrintable(error.message()));
        }
    }

private:
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
