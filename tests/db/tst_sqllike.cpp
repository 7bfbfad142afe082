// The LIKE operators of the Oracle and SQL Server catalogue dialects.

#include "base/KsStrings.h"
#include "db/KsSqlLike.h"

#include <QTest>

#include <optional>
#include <string_view>

class TestSqlLike : public QObject {
    Q_OBJECT

private slots:
    void oracle_data();
    void oracle();
    void msSql_data();
    void msSql();
    void escape_data();
    void escape();
    void oracleRefusesBadEscape_data();
    void oracleRefusesBadEscape();
    void manyWildcardsOnLongTextFinishQuickly_data();
    void manyWildcardsOnLongTextFinishQuickly();
    void compiledPatternMatchesManyTexts();
    void utf8MatchRefusesInvalidText();
    void leadingLetterFoundAtEveryPlace_data();
    void leadingLetterFoundAtEveryPlace();
};

namespace {

// The UTF-8 match of `text` must agree with the match of the QString.
bool matchedAlike(const ks::LikePattern &pattern, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::optional<bool> bytes = pattern.matchesUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
    return bytes && *bytes == pattern.matches(text);
}

} // namespace

void TestSqlLike::oracle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("substring") << "EMPLOYEES"
                               << "%PLOY%" << true;
    QTest::newRow("case counts") << "Employees"
                                 << "%PLOY%" << false;
    QTest::newRow("case counts for non-ASCII") << "straße"
                                               << "%STRASSE%" << false;
    QTest::newRow("exact") << "EMP"
                           << "EMP" << true;
    QTest::newRow("exact, text longer") << "EMPX"
                                        << "EMP" << false;
    QTest::newRow("exact, text shorter") << "EM"
                                         << "EMP" << false;
    QTest::newRow("underscore is one character") << "EMP_NO"
                                                 << "EMP_NO" << true;
    QTest::newRow("underscore matches any one") << "EMPXNO"
                                                << "EMP_NO" << true;
    QTest::newRow("underscore needs a character") << "EMPNO"
                                                  << "EMP_NO" << false;
    QTest::newRow("percent matches empty run") << "ABC"
                                               << "%ABC%" << true;
    QTest::newRow("only percent on empty text") << ""
                                                << "%" << true;
    QTest::newRow("double percent") << "abc"
                                    << "%%c%" << true;
    QTest::newRow("prefix") << "abc"
                            << "a%" << true;
    QTest::newRow("suffix must end the text") << "abc"
                                              << "%ab" << false;
    QTest::newRow("suffix") << "abc"
                            << "%bc" << true;
    QTest::newRow("empty pattern on empty text") << ""
                                                 << "" << true;
    QTest::newRow("empty pattern on text") << "a"
                                           << "" << false;
    QTest::newRow("brackets are literal") << "a[b]c"
                                          << "%[b]%" << true;
    QTest::newRow("brackets are not a set") << "abc"
                                            << "a[b]c" << false;
    QTest::newRow("segments in order") << "xaybz"
                                       << "%a%b%" << true;
    QTest::newRow("segments out of order") << "xbyaz"
                                           << "%a%b%" << false;
    QTest::newRow("overlapping start and end") << "aba"
                                               << "ab%ba" << false;
    QTest::newRow("start and end share nothing") << "abba"
                                                 << "ab%ba" << true;
    QTest::newRow("middle run must not overlap end") << "abc"
                                                     << "%bc%c" << false;
    QTest::newRow("underscore at both ends") << "xay"
                                             << "_a_" << true;
    QTest::newRow("character outside the BMP is one") << QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                                           "b")
                                                      << "a_b" << true;
    QTest::newRow("quote doubled in the text") << "WHERE NAME = 'O''Brien'"
                                               << "%O''Brien%" << true;
}

void TestSqlLike::oracle()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(ks::oracleLike(text, pattern), expected);
    QVERIFY(matchedAlike(ks::LikePattern(pattern, ks::LikeFlavour::Oracle), text));
}

void TestSqlLike::msSql_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("case ignored") << "Employees"
                                  << "%PLOY%" << true;
    QTest::newRow("case ignored for non-ASCII") << "ÉCOLE"
                                                << "%école%" << true;
    QTest::newRow("case ignored in sets") << "B"
                                          << "[a-c]" << true;
    QTest::newRow("set of letters") << "cat"
                                    << "[bc]at" << true;
    QTest::newRow("set does not match others") << "rat"
                                               << "[bc]at" << false;
    QTest::newRow("range") << "x7y"
                           << "x[0-9]y" << true;
    QTest::newRow("range excludes") << "xay"
                                    << "x[0-9]y" << false;
    QTest::newRow("negated set") << "rat"
                                 << "[^bc]at" << true;
    QTest::newRow("negated set refuses member") << "bat"
                                                << "[^bc]at" << false;
    QTest::newRow("negated range") << "x5"
                                   << "x[^a-z]" << true;
    QTest::newRow("set matches exactly one character") << "bcat"
                                                       << "[bc]at" << false;
    QTest::newRow("bracketed percent is literal") << "50%"
                                                  << "50[%]" << true;
    QTest::newRow("bracketed percent not a wildcard") << "500"
                                                      << "50[%]" << false;
    QTest::newRow("bracketed underscore is literal") << "a_b"
                                                     << "a[_]b" << true;
    QTest::newRow("bracketed underscore not a wildcard") << "axb"
                                                         << "a[_]b" << false;
    QTest::newRow("bracketed bracket opens literal") << "a[b"
                                                     << "a[[]b" << true;
    QTest::newRow("hyphen first is literal") << "-"
                                             << "[-a]" << true;
    QTest::newRow("hyphen last is literal") << "-"
                                            << "[a-]" << true;
    QTest::newRow("unclosed set finds nothing") << "a[b"
                                                << "%a[b%" << false;
    QTest::newRow("empty set finds nothing") << "a"
                                             << "[]" << false;
    QTest::newRow("underscore wildcard") << "sysobjects"
                                         << "sys_bjects" << true;
    QTest::newRow("percent wildcard") << "sp_helptext"
                                      << "%help%" << true;
    QTest::newRow("suffix must end the text") << "abc"
                                              << "%ab" << false;
    QTest::newRow("set in the middle of wildcards") << "xx_T3_yy"
                                                    << "%t[0-9]%" << true;
    QTest::newRow("empty pattern on empty text") << ""
                                                 << "" << true;
    QTest::newRow("empty pattern on text") << "a"
                                           << "" << false;
    QTest::newRow("non-ASCII text, ASCII pattern") << "Größe of the EMP table"
                                                   << "%emp%" << true;
    QTest::newRow("non-ASCII underscore is one character") << "Öl"
                                                           << "_L" << true;
    QTest::newRow("non-ASCII range folds") << "É"
                                           << "[à-ÿ]" << true;
    QTest::newRow("Kelvin sign folds to k") << "\u212Aelvin"
                                            << "kel%" << true;
    QTest::newRow("long s folds to s") << "Me\u017F\u017Fage"
                                       << "%message%" << true;
    QTest::newRow("non-ASCII text, anchored ASCII ends") << "Größe"
                                                         << "gr%e" << true;
    QTest::newRow("non-ASCII text cannot end an ASCII suffix") << "abö"
                                                               << "%b" << false;
    QTest::newRow("non-ASCII text never equals ASCII") << "Ö"
                                                       << "o" << false;
    QTest::newRow("ASCII run after non-ASCII characters") << "ÄÖÜ ordered"
                                                          << "%ORDER%" << true;
    QTest::newRow("sigma forms fold alike") << "ΛΌΓΟΣ"
                                            << "%λόγος%" << true;
    QTest::newRow("letter outside the basic plane folds") << "x\U00010400"
                                                          << "x\U00010428" << true;
    QTest::newRow("long ASCII text, letter late") << QString(40, u'x') + "ORDERS"
                                                  << "%order%" << true;
    QTest::newRow("long ASCII text, letter absent") << QString(40, u'x') + "ORDRES"
                                                    << "%order%" << false;
}

void TestSqlLike::msSql()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(ks::msSqlLike(text, pattern), expected);
    QVERIFY(matchedAlike(ks::LikePattern(pattern, ks::LikeFlavour::MsSql), text));
}

void TestSqlLike::escape_data()
{
    QTest::addColumn<bool>("oracle");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    QTest::newRow("oracle escaped underscore literal") << true << "A_B"
                                                       << "A\\_B" << true;
    QTest::newRow("oracle escaped underscore no wildcard") << true << "AXB"
                                                           << "A\\_B" << false;
    QTest::newRow("oracle escaped percent") << true << "50%"
                                            << "%\\%" << true;
    QTest::newRow("oracle escaped escape") << true << "a\\b"
                                           << "a\\\\b" << true;
    QTest::newRow("sql server escaped bracket") << false << "a[b"
                                                << "a\\[b" << true;
    QTest::newRow("sql server trailing escape finds nothing") << false << "a\\"
                                                              << "a\\" << false;
}

void TestSqlLike::escape()
{
    QFETCH(bool, oracle);
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    const ks::LikePattern compiled(pattern, oracle ? ks::LikeFlavour::Oracle : ks::LikeFlavour::MsSql, U'\\');
    QCOMPARE(compiled.matches(text), expected);
    QVERIFY(matchedAlike(compiled, text));
}

void TestSqlLike::oracleRefusesBadEscape_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("escape before a letter") << "a\\b";
    QTest::newRow("escape at the end") << "ab\\";
}

void TestSqlLike::oracleRefusesBadEscape()
{
    QFETCH(QString, pattern);
    QVERIFY_THROWS_EXCEPTION(ks::Error, ks::LikePattern(pattern, ks::LikeFlavour::Oracle, U'\\'));
}

void TestSqlLike::manyWildcardsOnLongTextFinishQuickly_data()
{
    QTest::addColumn<bool>("oracle");
    QTest::newRow("oracle") << true;
    QTest::newRow("sql server") << false;
}

void TestSqlLike::manyWildcardsOnLongTextFinishQuickly()
{
    // A backtracking matcher takes exponential time on this pair; each run of
    // the pattern has a fixed length, so the leftmost match of each is enough.
    QFETCH(bool, oracle);
    const auto flavour = oracle ? ks::LikeFlavour::Oracle : ks::LikeFlavour::MsSql;
    const QString text = QString(20000, u'a');
    const QString pattern = QStringLiteral("%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%b");
    QVERIFY(!ks::LikePattern(pattern, flavour).matches(text));
    QVERIFY(ks::LikePattern(pattern, flavour).matches(text + u'b'));
    QVERIFY(ks::LikePattern(QStringLiteral("%_a_%_a%a_"), flavour).matches(text));
}

void TestSqlLike::compiledPatternMatchesManyTexts()
{
    const ks::LikePattern pattern(QStringLiteral("%emp%"), ks::LikeFlavour::MsSql);
    QVERIFY(pattern.matches(QStringLiteral("EMP")));
    QVERIFY(!pattern.matches(QStringLiteral("DEPT")));
    QVERIFY(pattern.matches(QStringLiteral("tblEmployee")));
    QVERIFY(!pattern.matches(QString()));
}

void TestSqlLike::utf8MatchRefusesInvalidText()
{
    // SQLite converts such bytes its own way; the caller takes that way.
    const ks::LikePattern pattern(QStringLiteral("%a%"), ks::LikeFlavour::MsSql);
    QVERIFY(!pattern.matchesUtf8("a\xFF"));
    QVERIFY(!pattern.matchesUtf8("\xC0\xAF a"));
    QCOMPARE(pattern.matchesUtf8("\xC3\xA9 A"), std::optional<bool>(true));
    // A pattern that matches nothing needs no look at the text.
    QCOMPARE(
        ks::LikePattern(QStringLiteral("[a"), ks::LikeFlavour::MsSql).matchesUtf8("\xFF"), std::optional<bool>(false));
}

void TestSqlLike::leadingLetterFoundAtEveryPlace_data()
{
    QTest::addColumn<bool>("oracle");
    QTest::addColumn<QString>("segment");
    QTest::newRow("sql server letter") << false << "oR";
    QTest::newRow("sql server digit") << false << "0x";
    QTest::newRow("sql server non-ASCII") << false << "éx";
    QTest::newRow("oracle letter") << true << "oR";
    QTest::newRow("oracle punctuation") << true << "_.";
}

void TestSqlLike::leadingLetterFoundAtEveryPlace()
{
    // The first character of a run is looked for sixteen bytes at a time;
    // every place in texts of many lengths, either letter case, must be found.
    QFETCH(bool, oracle);
    QFETCH(QString, segment);
    const auto flavour = oracle ? ks::LikeFlavour::Oracle : ks::LikeFlavour::MsSql;
    const ks::LikePattern pattern(u'%' + segment + u'%', flavour);
    for (int length = 2; length < 48; ++length) {
        for (int at = 0; at + 2 <= length; ++at) {
            for (const QString &written : {segment, segment.toUpper()}) {
                QString text(length, u'-');
                text.replace(at, 2, written);
                const bool expected = written == segment || !oracle;
                QVERIFY2(pattern.matches(text) == expected && matchedAlike(pattern, text),
                    qPrintable(QStringLiteral("%1 in %2").arg(segment, text)));
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestSqlLike)
#include "tst_sqllike.moc"
