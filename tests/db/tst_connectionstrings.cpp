// Key lookup, quoting and the SQL Server string: the text helpers every
// connect dialog and search window relies on, and what the provider
// translation and a real catalogue connection make of quoted values.

#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TestCatalogue.h"

#include <QDir>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

namespace {

// FreeTDS as the only SQL Server driver, and one catalogue file at `catalogue`.
ks::DriverEnvironment freeTdsWith(const QString &catalogue)
{
    ks::DriverEnvironment environment;
    environment.qtDrivers = {QStringLiteral("QSQLITE"), QStringLiteral("QODBC")};
    environment.odbcDrivers = {QStringLiteral("FreeTDS")};
    environment.inspectFile = [catalogue](const QString &path) {
        ks::CatalogueFileCheck check;
        if (path == catalogue)
            check.kind = ks::CatalogueFileCheck::Kind::Catalogue;
        return check;
    };
    return environment;
}

} // namespace

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
    void quotedValues_data();
    void quotedValues();
    void valueQuoting_data();
    void valueQuoting();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void translationReadsQuotedValues_data();
    void translationReadsQuotedValues();
    void catalogueInFolderWithSeparatorsOpens();
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
    QTest::newRow("values without separators inserted unchanged")
        << "srv\\inst,1433"
        << "Sales 2024"
        << "DOMAIN\\ann"
        << "p@ss w{o}rd!"
        << "Provider=sqloledb;Data Source=srv\\inst,1433;Initial Catalog=Sales 2024;User Id=DOMAIN\\ann;"
           "Password=p@ss w{o}rd!";
    QTest::newRow("values with separators or outer blanks quoted")
        << "srv \\inst "
        << " d;b="
        << " u "
        << "p;w"
        << "Provider=sqloledb;Data Source=\"srv \\inst \";Initial Catalog=\" d;b=\";User Id=\" u \";"
           "Password=\"p;w\"";
    QTest::newRow("password with semicolon") << "srv"
                                             << "db"
                                             << "sa"
                                             << "pa;ss"
                                             << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=sa;"
                                                "Password=\"pa;ss\"";
    QTest::newRow("password with equals sign") << "srv"
                                               << "db"
                                               << "sa"
                                               << "a=b"
                                               << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=sa;"
                                                  "Password=\"a=b\"";
    QTest::newRow("password with double quotes doubled")
        << "srv"
        << "db"
        << "sa"
        << "\"x\""
        << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=sa;Password=\"\"\"x\"\"\"";
    QTest::newRow("password with apostrophe") << "srv"
                                              << "db"
                                              << "sa"
                                              << "it's"
                                              << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=sa;"
                                                 "Password=\"it's\"";
    QTest::newRow("leading and trailing blanks") << "srv"
                                                 << "db"
                                                 << "sa"
                                                 << " lead"
                                                 << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=sa;"
                                                    "Password=\" lead\"";
    QTest::newRow("user name that would set integrated security")
        << "srv"
        << "db"
        << "sa;Integrated Security=SSPI"
        << "pw"
        << "Provider=sqloledb;Data Source=srv;Initial Catalog=db;User Id=\"sa;Integrated Security=SSPI\";"
           "Password=pw";
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

void TestConnectionStrings::quotedValues_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("quoted value without its quotes") << "a=1;Password=\"pa;ss\";b=2"
                                                     << "password"
                                                     << "pa;ss";
    QTest::newRow("doubled quotes made single") << "Password=\"say \"\"hi\"\"\""
                                                << "password"
                                                << "say \"hi\"";
    QTest::newRow("quoted blanks kept") << "Data Source=\" srv \""
                                        << "data source"
                                        << " srv ";
    QTest::newRow("quoted empty value") << "User Id=\"\";x=1"
                                        << "user id"
                                        << "";
    QTest::newRow("key inside a quoted value is no key") << "Password=\"x;Integrated Security=SSPI\""
                                                         << "integrated security"
                                                         << "";
    QTest::newRow("key after a quoted value found") << "Password=\"x;User Id=evil\";User Id=ann"
                                                    << "user id"
                                                    << "ann";
    QTest::newRow("text after the closing quote ignored") << "Password=\"ab\"cd;x=1"
                                                          << "password"
                                                          << "ab";
    QTest::newRow("unclosed quote read as the plain value") << "Password=\"abc;x=1"
                                                            << "password"
                                                            << "\"abc";
    QTest::newRow("unclosed quote does not hide later keys") << "Password=\"abc;x=1"
                                                             << "x"
                                                             << "1";
    QTest::newRow("quote inside a plain value is plain") << "Password=ab\"c;x=\"1\""
                                                         << "password"
                                                         << "ab\"c";
    QTest::newRow("apostrophes are not quotes") << "Password='a;b'"
                                                << "password"
                                                << "'a";
}

void TestConnectionStrings::quotedValues()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ks::GetConnectionValue(connectionString, key), expected);
}

void TestConnectionStrings::valueQuoting_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "sa"
                           << "sa";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("inner blank") << "my server"
                                 << "my server";
    QTest::newRow("braces and backslash") << "a{b}\\c"
                                          << "a{b}\\c";
    QTest::newRow("non-ASCII") << "Größe€"
                               << "Größe€";
    QTest::newRow("semicolon") << "pa;ss"
                               << "\"pa;ss\"";
    QTest::newRow("equals sign") << "a=b"
                                 << "\"a=b\"";
    QTest::newRow("double quotes") << "\"x\""
                                   << "\"\"\"x\"\"\"";
    QTest::newRow("apostrophe") << "O'Neil"
                                << "\"O'Neil\"";
    QTest::newRow("leading blank") << " lead"
                                   << "\" lead\"";
    QTest::newRow("trailing blank") << "trail "
                                    << "\"trail \"";
    QTest::newRow("trailing tab") << "tab\t"
                                  << "\"tab\t\"";
    QTest::newRow("only a blank") << " "
                                  << "\" \"";
}

void TestConnectionStrings::valueQuoting()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(ks::connectionStringValue(value), expected);
}

void TestConnectionStrings::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    for (const char *value : {"pa;ss", "a=b", "\"x\"", " lead", "trail ", "\"", "\"\"", ";", "=", "'", "a;user id=x",
             "x;Integrated Security=SSPI", "\";Password=evil;x=\"", "plain", "Größe; €", " ", "a\"b;c\"d"})
        QTest::newRow(value) << QString::fromUtf8(value);
}

void TestConnectionStrings::valuesRoundTrip()
{
    QFETCH(QString, value);
    const QString text = ks::BuildMsSqlConnectionString(value, value + u'1', value + u'2', value + u'3');
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("data source")), value);
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("initial catalog")), value + u'1');
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("user id")), value + u'2');
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("password")), value + u'3');
    // Whatever the values hold, they set no other key.
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("provider")), QStringLiteral("sqloledb"));
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("integrated security")), QString());
    QCOMPARE(ks::GetConnectionValue(text, QStringLiteral("x")), QString());
    // Setting one key again changes that key only; the old pair is gone, or
    // it would be read first.
    const QString changed = ks::withConnectionValue(text, QStringLiteral("PASSWORD"), value + u'9');
    QCOMPARE(ks::GetConnectionValue(changed, QStringLiteral("password")), value + u'9');
    QCOMPARE(ks::GetConnectionValue(changed, QStringLiteral("user id")), value + u'2');
    QCOMPARE(ks::GetConnectionValue(changed, QStringLiteral("data source")), value);
}

void TestConnectionStrings::translationReadsQuotedValues_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    const QString tail = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    QTest::newRow("password with semicolon")
        << "srv"
        << "Sales"
        << "sa"
        << "pa;ss"
        << "Driver={FreeTDS};Server={srv};Database={Sales};UID={sa};PWD={pa;ss}" + tail;
    QTest::newRow("password with quote and equals sign")
        << "srv"
        << "Sales"
        << "sa"
        << "\"a=b\""
        << "Driver={FreeTDS};Server={srv};Database={Sales};UID={sa};PWD={\"a=b\"}" + tail;
    QTest::newRow("database with blanks around")
        << "srv"
        << " Sales "
        << "sa"
        << "pw"
        << "Driver={FreeTDS};Server={srv};Database={ Sales };UID={sa};PWD={pw}" + tail;
    QTest::newRow("user name cannot switch to integrated login")
        << "srv"
        << "Sales"
        << "sa;Integrated Security=SSPI"
        << "pw"
        << "Driver={FreeTDS};Server={srv};Database={Sales};UID={sa;Integrated Security=SSPI};PWD={pw}" + tail;
    QTest::newRow("server with a port and a semicolon")
        << "a;b,1433"
        << "Sales"
        << "sa"
        << "pw"
        << "Driver={FreeTDS};Server={a;b};Port={1433};Database={Sales};UID={sa};PWD={pw}" + tail;
}

void TestConnectionStrings::translationReadsQuotedValues()
{
    QFETCH(QString, server);
    QFETCH(QString, database);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    // Read from the string alone, as a search window opens it.
    const ks::ConnectionTarget target = ks::translateConnectionString(
        ks::BuildMsSqlConnectionString(server, database, user, password), QString(), QString(), freeTdsWith({}));
    QCOMPARE(target.kind, ks::ConnectionTarget::Kind::Odbc);
    QCOMPARE(target.databaseName, expected);
}

void TestConnectionStrings::catalogueInFolderWithSeparatorsOpens()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral(" a;b=c \"d\" "));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/shop.qmcat ");
    ks::test::makeCatalogue(file,
        {QStringLiteral("CREATE TABLE sysobjects (id INTEGER, name TEXT)"),
            QStringLiteral("INSERT INTO sysobjects VALUES (1, 'Customers')")});

    const ks::ConnectionTarget target = ks::translateConnectionString(
        ks::BuildMsSqlConnectionString(file, QStringLiteral("db"), QString(), QString()), QString(), QString(),
        freeTdsWith(file));
    QCOMPARE(target.kind, ks::ConnectionTarget::Kind::CatalogueFile);
    QCOMPARE(target.databaseName, file);

    QStringList shown;
    const auto connection = ks::OpenMsSqlConnection(
        file, QStringLiteral("db"), QString(), QString(), [&](const QString &message) { shown << message; });
    QCOMPARE(shown, QStringList());
    QCOMPARE(connection->state(), 1);
    QCOMPARE(ks::ExecuteSql(*connection, QStringLiteral("SELECT name FROM sysobjects"))->text(0),
        QStringLiteral("Customers"));
}

QTEST_GUILESS_MAIN(TestConnectionStrings)
#include "tst_connectionstrings.moc"
