// Each catalogue kind asked without a window: the passwords its connections
// need, and the values its search options refuse.

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "kinds/KsKinds.h"
#include "search/KsCatalogueKind.h"

#include <QUrl>
#include <QtTest>

class TestKindSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A login that names a user on a server needs a password, which takes
    // the place of an empty one; a catalogue file, a Windows login and a
    // client that finds its own (PostgreSQL's) need none.
    void passwords_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("needsPassword");
        QTest::newRow("oracle") << "oracle://scott@orcl" << true;
        QTest::newRow("sql server login") << "mssql://sa@db:1433/Shop" << true;
        QTest::newRow("windows login") << "mssql://db/Shop" << false;
        QTest::newRow("postgresql") << "postgresql://ann@db:6000/shop" << false;
    }

    void passwords()
    {
        QFETCH(QString, address);
        QFETCH(bool, needsPassword);
        const QUrl url(address);
        const ks::CatalogueKind &kind = *ks::catalogueKind(url.scheme());
        const QString connectionString = kind.resolveAddress(url).connectionString;
        QCOMPARE(kind.needsPassword(connectionString), needsPassword);
        const QString withPassword = kind.withPassword(connectionString, QStringLiteral("p;w"));
        QCOMPARE(ks::GetConnectionValue(withPassword, QStringLiteral("password")), QStringLiteral("p;w"));
        QVERIFY(!kind.needsPassword(withPassword));
        const QString file = kind.fileConnectionString(QStringLiteral("/data/shop.qmcat"));
        QCOMPARE(ks::GetConnectionValue(file, QStringLiteral("data source")), QStringLiteral("/data/shop.qmcat"));
        QVERIFY(!kind.needsPassword(file + QStringLiteral(";User ID=scott")));
    }

    void refusedValues_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("value");
        QTest::newRow("dictionary") << "oracle"
                                    << "dictionary"
                                    << "dba_";
        QTest::newRow("switch") << "postgresql"
                                << "comments"
                                << "maybe";
        QTest::newRow("designer without application system") << "designer"
                                                             << "app-system"
                                                             << " ";
    }

    // Refused before anything runs, with the option named.
    void refusedValues()
    {
        QFETCH(QString, kind);
        QFETCH(QString, option);
        QFETCH(QString, value);
        ks::SearchSettings settings {QStringLiteral("x"), {{option, value}}};
        try {
            ks::catalogueKind(kind)->prepareSearch(settings);
            QFAIL("the value was taken");
        } catch (const ks::Error &error) {
            QVERIFY2(error.message().contains(option), qPrintable(error.message()));
        }
        // Its default is taken, except where there is none to take.
        settings.values.remove(option);
        if (option != QStringLiteral("app-system"))
            QVERIFY(ks::catalogueKind(kind)->prepareSearch(settings));
    }
};

QTEST_GUILESS_MAIN(TestKindSettings)
#include "tst_kindsettings.moc"
