// The match modes of every kind on catalogue files: a search text holding
// every character that some engine's LIKE reads specially, found as a
// pattern, as text, as a word and by regular expressions, in the texts the
// engine matches and in those the program matches (Oracle's LONG view
// texts, SQL Server definitions cut between syscomments pieces).

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "kinds/KsKinds.h"
#include "search/KsPreparedSearch.h"
#include "search/KsSearchMatcher.h"
#include "search/TaskRun.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ks::MatchMode)

namespace {

// Every character some engine's LIKE reads specially, and both quotes.
const QString kProbe = QStringLiteral("a%b_c[d]e\\f'g\"h");

// Each text under its name: the probe as a word, glued to other letters, and
// what only Oracle's and only SQL Server's pattern reading of it finds.
const QList<std::pair<QString, QString>> kTexts {
    {QStringLiteral("PROBE"), QStringLiteral("x ") + kProbe + QStringLiteral(" y")},
    {QStringLiteral("GLUED"), QStringLiteral("x") + kProbe + QStringLiteral("y")},
    {QStringLiteral("WILD"), QStringLiteral("aZZbQc[d]e\\f'g\"h")},
    {QStringLiteral("WILDMS"), QStringLiteral("aZZbQcde\\f'g\"h")},
};

QString literal(const QString &text)
{
    return ks::QuoteSqlText(text, QStringLiteral("'"), QStringLiteral("''"));
}

// Each text as a table comment and as a view text (matched in the program).
QStringList oracleCatalogue()
{
    QStringList sql = ks::test::oracleDictionaryDdl();
    for (const auto &[name, text] : kTexts)
        sql << QStringLiteral("INSERT INTO DBA_TAB_COMMENTS VALUES ('SCOTT', '%1', %2)").arg(name, literal(text))
            << QStringLiteral("INSERT INTO DBA_VIEWS VALUES ('SCOTT', '%1_V', %2)").arg(name, literal(text));
    // The probe cut by a line break, one line a row.
    sql << QStringLiteral("INSERT INTO DBA_SOURCE VALUES ('SCOTT', 'PKG', 'PACKAGE', 1, %1 || char(10)), "
                          "('SCOTT', 'PKG', 'PACKAGE', 2, %2 || char(10))")
               .arg(literal(kProbe.left(5)), literal(kProbe.mid(5)));
    return sql;
}

// Each text as a view's definition, and the probe once more across the cut
// between the two syscomments pieces of the view CUT.
QStringList msSqlCatalogue()
{
    QStringList sql {
        "CREATE TABLE sysusers (uid INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM)",
        "CREATE TABLE sysobjects (id INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM, uid INTEGER, "
        "type TEXT COLLATE RTRIM, status INTEGER, parent_obj INTEGER)",
        "CREATE TABLE syscolumns (id INTEGER, number INTEGER, colid INTEGER, name TEXT COLLATE RTRIM, "
        "xusertype INTEGER, cdefault INTEGER, PRIMARY KEY (id, number, colid)) WITHOUT ROWID",
        "CREATE TABLE systypes (xusertype INTEGER PRIMARY KEY, name TEXT COLLATE RTRIM)",
        "CREATE TABLE syscomments (id INTEGER, number INTEGER, colid INTEGER, text TEXT, "
        "PRIMARY KEY (id, number, colid)) WITHOUT ROWID",
        "CREATE TABLE sysindexes (id INTEGER, indid INTEGER, name TEXT COLLATE RTRIM, status INTEGER, "
        "PRIMARY KEY (id, indid)) WITHOUT ROWID",
        "INSERT INTO sysusers VALUES (1, 'dbo')",
    };
    int id = 0;
    const auto view = [&sql, &id](const QString &name, const QStringList &pieces) {
        sql << QStringLiteral("INSERT INTO sysobjects VALUES (%1, '%2', 1, 'V ', 0, 0)").arg(++id).arg(name);
        for (int colid = 1; colid <= pieces.size(); ++colid)
            sql << QStringLiteral("INSERT INTO syscomments VALUES (%1, 0, %2, %3)")
                       .arg(id)
                       .arg(colid)
                       .arg(literal(pieces.at(colid - 1)));
    };
    for (const auto &[name, text] : kTexts)
        view(name, {text});
    view(QStringLiteral("CUT"), {QStringLiteral("x ") + kProbe.left(8), kProbe.mid(8) + QStringLiteral(" y")});
    return sql;
}

// Each text as the remark of an entity of application system SHOP.
QStringList designerCatalogue()
{
    QStringList sql {
        "CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION TEXT, REPOSITORY_VERSION TEXT)",
        "CREATE TABLE USER_TAB_COLUMNS (TABLE_NAME TEXT, COLUMN_NAME TEXT, DATA_TYPE TEXT, DATA_LENGTH INTEGER)",
        "INSERT INTO USER_TAB_COLUMNS VALUES ('CI_ENTITIES', 'NAME', 'VARCHAR2', 40), "
        "('CI_ENTITIES', 'REMARK', 'VARCHAR2', 240)",
        "CREATE TABLE CI_APPLICATION_SYSTEMS (ID INTEGER, NAME TEXT, VERSION INTEGER)",
        "INSERT INTO CI_APPLICATION_SYSTEMS VALUES (11, 'SHOP', 1)",
        "CREATE TABLE CI_ENTITIES (ID INTEGER, NAME TEXT, APPLICATION_SYSTEM_OWNED_BY INTEGER, REMARK TEXT)",
    };
    for (const auto &[name, text] : kTexts)
        sql << QStringLiteral("INSERT INTO CI_ENTITIES VALUES (1, '%1', 11, %2)").arg(name, literal(text));
    return sql;
}

} // namespace

class TestMatchModes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const auto &[kind, sql] : {std::pair {QStringLiteral("oracle"), oracleCatalogue()},
                 std::pair {QStringLiteral("mssql"), msSqlCatalogue()},
                 std::pair {QStringLiteral("designer"), designerCatalogue()}})
            ks::test::makeCatalogue(m_dir.filePath(kind + QStringLiteral(".qmcat")), sql);
    }

    void modesOnEveryKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<ks::MatchMode>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        using Mode = ks::MatchMode;
        const QString regex = QStringLiteral("b_c\\[d\\]e\\\\f'g\"h");
        // No literal run: every text is read and matched in the program.
        const QString unnarrowed = QStringLiteral("b_c\\[d\\]e|zzz");
        // Oracle's LIKE takes "[" as itself; the program matches view texts
        // as the statements write them, apostrophes doubled.
        QTest::newRow("oracle pattern") << "oracle" << Mode::Pattern << kProbe
                                        << QStringList {"GLUED", "PROBE", "WILD"};
        const QStringList oracleLiteral {"GLUED", "GLUED_V", "PROBE", "PROBE_V"};
        QTest::newRow("oracle text") << "oracle" << Mode::Text << kProbe << oracleLiteral;
        QTest::newRow("oracle word") << "oracle" << Mode::Word << kProbe.toUpper() << QStringList {"PROBE", "PROBE_V"};
        QTest::newRow("oracle regex") << "oracle" << Mode::RegularExpression << regex << oracleLiteral;
        QTest::newRow("oracle regex, no run") << "oracle" << Mode::RegularExpression << unnarrowed << oracleLiteral;
        QTest::newRow("oracle regex across lines")
            << "oracle" << Mode::RegularExpression << "B_C\\n\\[D\\]" << QStringList {"PKG"};
        QTest::newRow("oracle text across lines") << "oracle" << Mode::Text << "b_c\\n[d]" << QStringList {"PKG"};
        // SQL Server reads "[d]" as a set of one letter.
        QTest::newRow("mssql pattern") << "mssql" << Mode::Pattern << kProbe << QStringList {"WILDMS"};
        const QStringList msSqlLiteral {"CUT", "GLUED", "PROBE"};
        QTest::newRow("mssql text") << "mssql" << Mode::Text << kProbe << msSqlLiteral;
        QTest::newRow("mssql word") << "mssql" << Mode::Word << kProbe << QStringList {"CUT", "PROBE"};
        QTest::newRow("mssql regex") << "mssql" << Mode::RegularExpression << regex << msSqlLiteral;
        QTest::newRow("mssql regex, no run") << "mssql" << Mode::RegularExpression << unnarrowed << msSqlLiteral;
        QTest::newRow("designer pattern")
            << "designer" << Mode::Pattern << kProbe << QStringList {"GLUED", "PROBE", "WILD"};
        QTest::newRow("designer text") << "designer" << Mode::Text << kProbe << QStringList {"GLUED", "PROBE"};
        QTest::newRow("designer word") << "designer" << Mode::Word << kProbe << QStringList {"PROBE"};
        QTest::newRow("designer regex") << "designer" << Mode::RegularExpression << regex
                                        << QStringList {"GLUED", "PROBE"};
    }

    void modesOnEveryKind()
    {
        QFETCH(QString, kind);
        QFETCH(ks::MatchMode, mode);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        const ks::CatalogueKind &catalogueKind = *ks::catalogueKind(kind);
        ks::SearchSettings settings;
        settings.text = text;
        settings.mode = mode;
        settings.values.insert(QStringLiteral("dictionary"), QStringLiteral("all"));
        settings.values.insert(QStringLiteral("app-system"), QStringLiteral("SHOP"));
        const ks::test::TaskRun run
            = ks::test::runTask(catalogueKind.fileConnectionString(m_dir.filePath(kind + QStringLiteral(".qmcat"))),
                catalogueKind.prepareSearch(settings)->task());
        QVERIFY2(run.outcome == ks::SearchOutcome::Done, qPrintable(run.error));
        QStringList names;
        for (const ks::ResultRow &row : run.rows)
            names << row.name;
        names.sort();
        QCOMPARE(names, found);
    }

    // Refused before anything runs, where the parser stopped and why.
    void invalidExpressionIsRefused()
    {
        ks::SearchSettings settings {QStringLiteral("emp(no"), {{QStringLiteral("app-system"), QStringLiteral("SHOP")}},
            ks::MatchMode::RegularExpression};
        for (const char *kind : {"oracle", "mssql", "designer", "postgresql"})
            QVERIFY_THROWS_EXCEPTION(ks::Error, ks::catalogueKind(QString::fromLatin1(kind))->prepareSearch(settings));
        try {
            ks::catalogueKind(QStringLiteral("oracle"))->prepareSearch(settings);
        } catch (const ks::Error &error) {
            QCOMPARE(error.message(),
                QStringLiteral("The regular expression \"emp(no\" is not valid at character 7: missing closing "
                               "parenthesis."));
        }
    }

    // What the engines narrow by: conservative, never a run that a match may lack.
    void literalRuns_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("run");
        const auto row = [](const char *expression, const char *run) {
            QTest::newRow(expression) << QString::fromUtf8(expression) << QString::fromUtf8(run);
        };
        row("a\\.b\\[c\\\\d", "a.b[c\\d");
        row("colou?r_name", "r_name");
        row("abx+yz", "abx");
        row("[a-z]+(foo)?_total\\d", "_total");
        row("customer|client", "");
        row("(?i)customer", "");
    }

    void literalRuns()
    {
        QFETCH(QString, expression);
        QTEST(ks::longestLiteralRun(expression), "run");
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMatchModes)
#include "tst_matchmodes.moc"
