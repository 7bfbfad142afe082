// Key lookup, quoting and the SQL Server string: the pure text helpers every
// connect dialog and search window relies on.

#include "db/KsAdo.h"

#include <QTest>

class TestConnectionStrings : public QObject {
    Q_OBJECT

private slots:
    void valueOfKey_data();
    void valueOfKey();
    void quoting_data();
    void quoting();
    void msSqlString_data();
    void msSqlString();
    void msSqlStringReadsBackByKey();
};

void TestConnectionStrings::valueOfKey_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString msSql
        = QStringLiteral("Provider=sqloledb;Data Source=srv01;Initial Catalog=Sales;User Id=Ann;Password=p=w");
    QTest::newRow("key in other letter case") << msSql << "user id"
                                              << "Ann";
    QTest::newRow("data source finds the server") << msSql << "data source"
                                                  << "srv01";
    QTest::newRow("first key without leading semicolon") << msSql << "provider"
                                                         << "sqloledb";
    QTest::newRow("value at the end, no closing semicolon") << msSql << "password"
                                                            << "p=w";
    QTest::newRow("missing key") << msSql << "uid"
                                 << "";
    QTest::newRow("space before equals sign") << "provider=OraOLEDB.Oracle;user id =scott;password=tiger"
                                              << "user id"
                                              << "";
    QTest::newRow("key followed by equals and semicolon") << "a=1;user id=;b=2"
                                                          << "user id"
                                                          << "";
    QTest::newRow("value keeps its case and spaces") << "provider=OraOLEDB.Oracle;data source= My Db ;user id=x"
                                                     << "data source"
                                                     << " My Db ";
    QTest::newRow("first occurrence wins") << "user id=first;user id=second"
                                           << "User ID"
                                           << "first";
    QTest::newRow("key only after a semicolon, not inside a key") << "provider=x;myuser id=wrong;user id=right"
                                                                  << "user id"
                                                                  << "right";
    QTest::newRow("key only after a semicolon, not inside a value") << "a=user id=7;user id=8"
                                                                    << "user id"
                                                                    << "8";
    QTest::newRow("non-ASCII letters are not case-folded") << "GRÖßE=1;größe=2"
                                                           << "größe"
                                                           << "2";
    QTest::newRow("empty string") << ""
                                  << "provider"
                                  << "";
    QTest::newRow("key contains its own equals sign lookup") << "a=b=c"
                                                             << "a=b"
                                                             << "c";
}

void TestConnectionStrings::valueOfKey()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ks::GetConnectionValue(connectionString, key), expected);
}

void TestConnectionStrings::quoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoteChar");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apostrophe doubled") << "O'Brien"
                                        << "'"
                                        << "''"
                                        << "'O''Brien'";
    QTest::newRow("empty text") << ""
                                << "'"
                                << "''"
                                << "''";
    QTest::newRow("one apostrophe gives four") << "'"
                                               << "'"
                                               << "''"
                                               << "''''";
    QTest::newRow("no quote inside") << "SCOTT"
                                     << "'"
                                     << "''"
                                     << "'SCOTT'";
    QTest::newRow("adjacent quotes") << "a''b"
                                     << "'"
                                     << "''"
                                     << "'a''''b'";
    QTest::newRow("replacement not scanned again") << "x\"y"
                                                   << "\""
                                                   << "\"\"\""
                                                   << "\"x\"\"\"y\"";
    QTest::newRow("multi-character quote, no overlap") << "aaa"
                                                       << "aa"
                                                       << "b"
                                                       << "aabaaa";
}

void TestConnectionStrings::quoting()
{
    QFETCH(QString, text);
    QFETCH(QString, quoteChar);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(ks::QuoteSqlText(text, quoteChar, replacement), expected);
}

void TestConnectionStrings::msSqlString_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");

    QTest::newRow("windows authentication")
        << "srv"
        << "db"
        << ""
        << ""
        << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;Integrated Security=SSPI";
    QTest::newRow("sql login")
        << "srv,1433"
        << "Sales"
        << "sa"
        << "secret"
        << "Provider=sqloledb;Data Source=srv,1433;Initial Catalog=Sales;User Id=sa;Password=secret";
    QTest::newRow("password ignored without user")
        << "srv"
        << "db"
        << ""
        << "pw"
        << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;Integrated Security=SSPI";
    QTest::newRow("empty password with user")
        << "srv"
        << "db"
        << "u"
        << ""
        << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=u;Password=";
    QTest::newRow("values inserted unchanged")
        << "srv \\inst "
        << " d;b="
        << " u "
        << "p;w"
        << "Provider=sqloledb;Data Source=srv \\inst ;Initial Catalog= d;b=;User Id= u ;Password=p;w";
}

void TestConnectionStrings::msSqlString()
{
    QFETCH(QString, server);
    QFETCH(QString, database);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    QCOMPARE(ks::BuildMsSqlConnectionString(server, database, user, password), expected);
}

void TestConnectionStrings::msSqlStringReadsBackByKey()
{
    const QString text = ks::BuildMsSqlConnectionString(
        QStringLiteral("srv\\SQL2019"), QStringLiteral("Sales"), QStringLiteral("Ann"), QStringLiteral("pw"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("provider")), QStringLiteral("sqloledb"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("data source")), QStringLiteral("srv\\SQL2019"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("initial catalog")), QStringLiteral("Sales"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("user id")), QStringLiteral("Ann"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("integrated security")), QString());
}

QTEST_APPLESS_MAIN(TestConnectionStrings)
#include "tst_connectionstrings.moc"
