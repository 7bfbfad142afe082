// The rows of a catalogue file as the catalogue engine reads them with
// SQLite's own calls: every value must read exactly as Qt's SQLite driver
// reads it (type, NULL against empty text, numbers as text, text that is not
// plain UTF-8), in databases of either text encoding; statements that hold
// none or more than one are refused; a walk that fails half-way ends with
// SQLite's message and leaves the connection serving.

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "support/TestCatalogue.h"
#include "support/TestErrors.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using ks::test::messageOf;

namespace {

// Values of every storage class and the texts where a reader could go wrong,
// each an SQL expression with a name.
const QList<std::pair<const char *, QString>> &values()
{
    static const QList<std::pair<const char *, QString>> list {
        {"integer", QStringLiteral("7")},
        {"negative integer", QStringLiteral("-5")},
        {"largest integer", QStringLiteral("9223372036854775807")},
        {"smallest integer", QStringLiteral("-9223372036854775807 - 1")},
        {"real", QStringLiteral("1.5")},
        {"real below one", QStringLiteral("0.1")},
        {"whole real", QStringLiteral("100.0")},
        {"large real", QStringLiteral("1e20")},
        {"small real", QStringLiteral("2.5e-7")},
        {"infinite real", QStringLiteral("1e300 * 1e10")},
        {"negative zero", QStringLiteral("-0.0")},
        {"text", QStringLiteral("'EMP'")},
        {"empty text", QStringLiteral("''")},
        {"text of digits", QStringLiteral("'12'")},
        {"text with letters after digits", QStringLiteral("'12a'")},
        {"null", QStringLiteral("NULL")},
        {"empty blob", QStringLiteral("x''")},
        {"blob", QStringLiteral("x'41ff00'")},
        {"non-ASCII text", QStringLiteral("'caf\u00e9 \u20ac \U0001F600'")},
        {"largest code point", QStringLiteral("char(1114111)")},
        {"replacement character", QStringLiteral("char(65533)")},
        {"text with NUL inside", QStringLiteral("CAST(x'4100420043' AS TEXT)")},
        {"stray continuation byte", QStringLiteral("CAST(x'418042' AS TEXT)")},
        {"sequence cut short", QStringLiteral("CAST(x'41c3' AS TEXT)")},
        {"letter followed by a stray byte", QStringLiteral("CAST(x'c3a98041' AS TEXT)")},
        {"overlong form", QStringLiteral("CAST(x'c0af' AS TEXT)")},
        {"surrogate in UTF-8", QStringLiteral("CAST(x'eda080' AS TEXT)")},
        {"U+FFFE", QStringLiteral("CAST(x'efbfbe' AS TEXT)")},
        {"U+FFFF", QStringLiteral("CAST(x'efbfbf' AS TEXT)")},
        {"beyond U+10FFFF", QStringLiteral("CAST(x'f4908080' AS TEXT)")},
        {"bytes no UTF-8 has", QStringLiteral("CAST(x'fe41ff' AS TEXT)")},
        {"long ASCII text", QStringLiteral("printf('%.*c', 1000000, 'x')")},
        {"long non-ASCII text", QStringLiteral("replace(hex(zeroblob(50000)), '00', 'caf\u00e9 \u20ac \U0001F600 ')")},
    };
    return list;
}

ks::ConnectionTarget catalogueTarget(const QString &file)
{
    ks::ConnectionTarget target;
    target.kind = ks::ConnectionTarget::Kind::CatalogueFile;
    target.qtDriver = QStringLiteral("QSQLITE");
    target.databaseName = file;
    target.connectOptions = QStringLiteral("QSQLITE_OPEN_READONLY");
    target.dialect = QStringLiteral("OraOLEDB.Oracle");
    return target;
}

// Qt's SQLite driver on the same file, opened read-only, as the yardstick.
class DriverConnection {
public:
    explicit DriverConnection(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~DriverConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    DriverConnection(const DriverConnection &) = delete;
    DriverConnection &operator=(const DriverConnection &) = delete;

    QSqlQuery query(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw ks::Error(query.lastError().text());
        return query;
    }

private:
    QString m_name = QStringLiteral("driver yardstick");
};

// One field as the program sees it: its QVariant's type, whether it is NULL,
// the QVariant itself, and the text of both conversions.
QString describeField(const QVariant &value, const QString &text, const QString &strict)
{
    return QStringLiteral("%1 null=%2 text-null=%3 text=[%4] strict=[%5]")
        .arg(QString::fromLatin1(value.metaType().name() ? value.metaType().name() : "invalid"))
        .arg(value.isNull())
        .arg(text.isNull())
        .arg(text, strict);
}

// The text `read` gives, or the message of its error.
QString textOrError(const std::function<QString()> &read)
{
    try {
        return read();
    } catch (const ks::Error &error) {
        return QStringLiteral("error: ") + error.message();
    }
}

} // namespace

class TestSqliteRecordset : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void valuesReadAsQtsDriverReadsThem_data();
    void valuesReadAsQtsDriverReadsThem();
    void fieldsAreNamedAsQtsDriverNamesThem();
    void statementsOneAtATime_data();
    void statementsOneAtATime();
    void corruptionHalfWayKeepsTheRowsRead();

private:
    QTemporaryDir m_dir;
    QString m_utf8File;
    QString m_utf16File;
};

void TestSqliteRecordset::initTestCase()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        QSKIP("Qt's SQLite driver is not installed (apt-get install libqt6sql6-sqlite)");
    QVERIFY(m_dir.isValid());
    // The same values in an untyped column and in columns whose affinity
    // turns some of them into another storage class.
    QStringList sql {QStringLiteral("CREATE TABLE v (id INTEGER PRIMARY KEY, x, i INTEGER, r REAL, s TEXT)")};
    for (qsizetype id = 0; id < values().size(); ++id) {
        const QString &expression = values().at(id).second;
        sql << QStringLiteral("INSERT INTO v VALUES (%1, %2, %2, %2, %2)").arg(id).arg(expression);
    }
    m_utf8File = m_dir.filePath(QStringLiteral("utf8.qmcat"));
    ks::test::makeCatalogue(m_utf8File, sql);
    m_utf16File = m_dir.filePath(QStringLiteral("utf16.qmcat"));
    ks::test::makeCatalogue(m_utf16File, QStringList {QStringLiteral("PRAGMA encoding = 'UTF-16le'")} + sql);
    DriverConnection driver(m_utf16File);
    QSqlQuery encoding = driver.query(QStringLiteral("PRAGMA encoding"));
    QVERIFY(encoding.next());
    QCOMPARE(encoding.value(0).toString(), QStringLiteral("UTF-16le"));
}

void TestSqliteRecordset::init()
{
    // A statement left behind a removed connection shows up as a warning.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestSqliteRecordset::valuesReadAsQtsDriverReadsThem_data()
{
    QTest::addColumn<bool>("utf16");
    QTest::addColumn<int>("id");
    for (const bool utf16 : {false, true}) {
        for (qsizetype id = 0; id < values().size(); ++id) {
            const QByteArray tag = QByteArray(values().at(id).first) + (utf16 ? ", UTF-16 file" : ", UTF-8 file");
            QTest::newRow(tag.constData()) << utf16 << int(id);
        }
    }
}

void TestSqliteRecordset::valuesReadAsQtsDriverReadsThem()
{
    QFETCH(bool, utf16);
    QFETCH(int, id);
    const QString file = utf16 ? m_utf16File : m_utf8File;
    const QString sql = QStringLiteral("SELECT x, i, r, s, x || '', substr(x, 2) FROM v WHERE id = %1").arg(id);

    DriverConnection driver(file);
    QSqlQuery expected = driver.query(sql);
    QVERIFY(expected.next());

    ks::Connection connection;
    connection.openTarget(catalogueTarget(file));
    const auto rows = connection.execute(sql);
    QCOMPARE(rows->fieldCount(), expected.record().count());
    for (int column = 0; column < rows->fieldCount(); ++column) {
        QVariant reference = expected.value(column);
        if (reference.isNull())
            reference = QVariant(); // NULL is a null QVariant of no type
        // Text first, as the searches read it, then the value: neither may
        // change what the other reads.
        const QString text = rows->text(column);
        const QString strict = textOrError([&] { return rows->strictText(column); });
        const QVariant value = rows->value(column);
        QCOMPARE(describeField(value, text, strict),
            describeField(
                reference, ks::fieldText(reference), textOrError([&] { return ks::fieldTextStrict(reference); })));
        QCOMPARE(value, reference);
    }
    QVERIFY(!expected.next());
    rows->moveNext();
    QVERIFY(rows->eof());
}

void TestSqliteRecordset::fieldsAreNamedAsQtsDriverNamesThem()
{
    const QString sql = QStringLiteral("SELECT x, x AS \"quoted \"\"name\"\"\", x AS [with blank], upper(s), "
                                       "s AS \"Gr\u00fc\u00dfe\", i AS X, id + 1 FROM v WHERE id = 0");
    DriverConnection driver(m_utf8File);
    const QSqlRecord record = driver.query(sql).record();

    ks::Connection connection;
    connection.openTarget(catalogueTarget(m_utf8File));
    const auto rows = connection.execute(sql);
    QCOMPARE(rows->fieldCount(), record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        int first = 0;
        while (record.fieldName(first).compare(name, Qt::CaseInsensitive) != 0)
            ++first;
        QCOMPARE(rows->fieldIndex(name), first);
        QCOMPARE(rows->fieldIndex(name.toLower()), first);
        QCOMPARE(rows->text(name), rows->text(first));
    }
    QCOMPARE(messageOf([&] { rows->fieldIndex(QStringLiteral("nowhere")); }),
        QStringLiteral("Field \"nowhere\" does not exist in the record set."));
}

void TestSqliteRecordset::statementsOneAtATime_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected"); // the rows' first fields, or the error

    const QString none = QStringLiteral("error: No query");
    const QString many = QStringLiteral("error: Unable to execute multiple statements at a time");
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blanks") << " \n\t " << none;
    QTest::newRow("comment only") << "-- nothing to run" << none;
    QTest::newRow("block comment and semicolon") << "/* nothing */ ;" << none;
    QTest::newRow("two statements") << "SELECT 1; SELECT 2" << many;
    QTest::newRow("statement and garbage") << "SELECT 1; no statement at all" << many;
    QTest::newRow("closing semicolon") << "SELECT 1;"
                                       << "1";
    QTest::newRow("comments around") << "-- first\nSELECT 1 /* inside */ ; -- after"
                                     << "1";
    QTest::newRow("empty statement first") << "; SELECT 2"
                                           << "2";
    QTest::newRow("no rows") << "SELECT 1 WHERE 0"
                             << "";
    QTest::newRow("pragma with a value") << "PRAGMA user_version"
                                         << "0";
    QTest::newRow("statement without columns") << "BEGIN"
                                               << "no fields";
    QTest::newRow("syntax error") << "SELEC 1"
                                  << "error: near \"SELEC\": syntax error";
    QTest::newRow("write refused") << "DELETE FROM v"
                                   << "error: attempt to write a readonly database";
}

void TestSqliteRecordset::statementsOneAtATime()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    ks::Connection connection;
    connection.openTarget(catalogueTarget(m_utf8File));
    QString actual;
    try {
        const auto rows = connection.execute(sql);
        if (rows->fieldCount() == 0) {
            QVERIFY(rows->eof());
            actual = QStringLiteral("no fields");
        }
        QStringList first;
        for (; !rows->eof(); rows->moveNext())
            first << rows->text(0);
        actual += first.join(u',');
    } catch (const ks::Error &error) {
        actual = QStringLiteral("error: ") + error.message();
    }
    QCOMPARE(actual, expected);
    // Whatever happened, the connection runs the next statement.
    QCOMPARE(connection.execute(QStringLiteral("SELECT count(*) FROM v"))->text(0), QString::number(values().size()));
}

void TestSqliteRecordset::corruptionHalfWayKeepsTheRowsRead()
{
    // Rows of a kilobyte each fill page after page in the order of their ids.
    const QString intact = m_dir.filePath(QStringLiteral("intact.qmcat"));
    ks::test::makeCatalogue(intact,
        {QStringLiteral("CREATE TABLE big (id INTEGER PRIMARY KEY, body TEXT)"),
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO big SELECT i, printf('%05d ', i) || hex(randomblob(500)) FROM n")});
    const QString broken = m_dir.filePath(QStringLiteral("broken.qmcat"));
    QVERIFY(QFile::copy(intact, broken));
    {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 cut = file.size() / 2 / 4096 * 4096;
        QVERIFY(file.seek(cut));
        const QByteArray garbage(file.size() - cut, '\xA5');
        QCOMPARE(file.write(garbage), garbage.size());
    }

    const auto walk = [](const QString &file, QStringList &bodies) {
        ks::Connection connection;
        connection.openTarget(catalogueTarget(file));
        const auto rows = connection.execute(QStringLiteral("SELECT body FROM big ORDER BY id"));
        const QString message = messageOf([&] {
            for (; !rows->eof(); rows->moveNext())
                bodies << rows->text(QStringLiteral("BODY"));
        });
        if (message != QStringLiteral("<no error>")) {
            // No row is current after the failure, and the walk cannot go on.
            if (!rows->eof() || !messageOf([&] { rows->text(0); }).contains(QStringLiteral("no current row"))
                || !messageOf([&] { rows->moveNext(); }).contains(QStringLiteral("no current row")))
                return QStringLiteral("not at the end after: ") + message;
            // The connection itself still serves.
            return message + u'|' + connection.execute(QStringLiteral("SELECT 40 + 2"))->text(0);
        }
        return message;
    };
    QStringList complete;
    QCOMPARE(walk(intact, complete), QStringLiteral("<no error>"));
    QCOMPARE(complete.size(), 2000);
    QStringList partial;
    const QString message = walk(broken, partial);
    QVERIFY2(message.contains(QStringLiteral("malformed")), qPrintable(message));
    QVERIFY2(message.endsWith(QStringLiteral("|42")), qPrintable(message));
    QCOMPARE_GT(partial.size(), 100);
    QCOMPARE_LT(partial.size(), 2000);
    QCOMPARE(partial, complete.mid(0, partial.size()));
}

QTEST_GUILESS_MAIN(TestSqliteRecordset)
#include "tst_sqliterecordset.moc"
