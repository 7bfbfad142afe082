// What a viewer opened from a search marks, without any window: the three
// letter-case rules on ASCII and beyond (é, ß and ẞ, the Kelvin sign, final
// sigma, dotless i, characters beyond the BMP), wildcards and SQL Server's
// sets split into literal runs, overlapping candidates, empty and
// wildcard-only texts; checked against a plain search on random texts.

#include "text/KsMatchHighlight.h"

#include <QRandomGenerator>
#include <QtTest>

using ks::MatchCase;
using ks::SearchHighlight;
using ks::TextRange;

Q_DECLARE_METATYPE(ks::MatchCase)
Q_DECLARE_METATYPE(ks::SearchHighlight)
Q_DECLARE_METATYPE(ks::MatchMode)

namespace {

QString rangesText(const QList<TextRange> &ranges)
{
    QStringList parts;
    for (const TextRange &range : ranges)
        parts << QStringLiteral("%1:%2").arg(range.start).arg(range.length);
    return parts.join(QLatin1Char(' '));
}

SearchHighlight makeHighlight(const QString &pattern, MatchCase rule, bool wildcards, bool sets = false)
{
    SearchHighlight highlight;
    highlight.text = pattern;
    highlight.caseRule = rule;
    highlight.wildcards = wildcards;
    highlight.bracketSets = sets;
    return highlight;
}

// The leftmost occurrence of any run, the longest where several start at
// the same place, then on from its end: one position after another.
QList<TextRange> plainRanges(const QString &text, const QString &pattern, MatchCase rule)
{
    QStringList runs;
    for (const QString &run : pattern.split(QRegularExpression(QStringLiteral("[%_]")), Qt::SkipEmptyParts)) {
        const QString folded = ks::foldCase(run, rule);
        if (!runs.contains(folded))
            runs << folded;
    }
    const QString folded = ks::foldCase(text, rule);
    QList<TextRange> result;
    qsizetype position = 0;
    while (position < folded.size()) {
        TextRange found {-1, 0};
        for (qsizetype p = position; p < folded.size() && found.start < 0; ++p) {
            for (const QString &run : std::as_const(runs)) {
                if (QStringView(folded).sliced(p).startsWith(run) && run.size() > found.length)
                    found = {p, run.size()};
            }
        }
        if (found.start < 0)
            break;
        result << found;
        position = found.end();
    }
    return result;
}

QString randomText(QRandomGenerator &random, const QString &alphabet, int maxLength)
{
    QString text;
    const int length = int(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(alphabet.size()));
    return text;
}

} // namespace

class TestMatchHighlight : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ranges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<MatchCase>("rule");
        QTest::addColumn<bool>("wildcards");
        QTest::addColumn<bool>("sets");
        QTest::addColumn<QString>("expected");

        const MatchCase exact = MatchCase::Exact;
        const MatchCase upper = MatchCase::UpperEach;
        const MatchCase folded = MatchCase::CaseFolded;

        // Letter case.
        QTest::newRow("exact finds only the typed case") << "EMP emp Emp emp_v"
                                                         << "emp" << exact << true << false << "4:3 12:3";
        QTest::newRow("upper-cased finds every case") << "EMP emp Emp emp_v"
                                                      << "emp" << upper << true << false << "0:3 4:3 8:3 12:3";
        QTest::newRow("upper-cased café meets CAFÉ, not cafe") << "Café CAFÉ café cafe"
                                                               << "café" << upper << true << false << "0:4 5:4 10:4";
        QTest::newRow("upper-cased ß stays ß") << "Straße STRASSE STRAẞE"
                                               << "straße" << upper << true << false << "0:6";
        QTest::newRow("upper-cased SS is not ß") << "Straße STRASSE STRAẞE"
                                                 << "strasse" << upper << true << false << "7:7";
        QTest::newRow("folded ß meets capital sharp s") << "Straße STRASSE STRAẞE"
                                                        << "straße" << folded << true << false << "0:6 15:6";
        QTest::newRow("folded k meets the Kelvin sign") << "\u212A k K"
                                                        << "k" << folded << true << false << "0:1 2:1 4:1";
        QTest::newRow("upper-cased k leaves the Kelvin sign") << "\u212A k K"
                                                              << "k" << upper << true << false << "2:1 4:1";
        QTest::newRow("folded final sigma meets sigma") << "ΣΟΦΟΣ σοφος σοφοσ"
                                                        << "σοφος" << folded << true << false << "0:5 6:5 12:5";
        QTest::newRow("upper-cased final sigma meets sigma") << "ΣΟΦΟΣ σοφος σοφοσ"
                                                             << "ΣΟΦΟΣ" << upper << true << false << "0:5 6:5 12:5";
        QTest::newRow("upper-cased dotless i is I") << "ıd ID id"
                                                    << "id" << upper << true << false << "0:2 3:2 6:2";
        QTest::newRow("folded dotless i stays apart") << "ıd ID id"
                                                      << "id" << folded << true << false << "3:2 6:2";
        QTest::newRow("folded beyond the BMP") << "𐐀x𐐨"
                                               << "𐐨" << folded << true << false << "0:2 3:2";
        QTest::newRow("exact beyond the BMP") << "𐐀x𐐨"
                                              << "𐐨" << exact << true << false << "3:2";
        QTest::newRow("non-ASCII before a match shifts nothing") << "Größe größe GRÖSSE"
                                                                 << "größe" << upper << true << false << "0:5 6:5";
        QTest::newRow("apostrophes as typed, not doubled") << "O''Brien O'Brien"
                                                           << "O'Brien" << exact << true << false << "9:7";

        // Wildcards.
        QTest::newRow("percent splits into runs") << "create view emp_v as select ename from emp"
                                                  << "%view%emp" << exact << true << false << "7:4 12:3 39:3";
        QTest::newRow("underscore splits into runs") << "abc axc ac"
                                                     << "a_c" << exact << true << false << "0:1 2:1 4:1 6:1 8:1 9:1";
        QTest::newRow("without wildcards percent is a character") << "a 50% b 50"
                                                                  << "50%" << exact << false << false << "2:3";
        QTest::newRow("runs at the start and the end of the text") << "empno of emp"
                                                                   << "%emp" << exact << true << false << "0:3 9:3";
        QTest::newRow("wildcards only mark nothing") << "a%b_c"
                                                     << "%_%" << exact << true << false << "";
        QTest::newRow("empty search text marks nothing") << "abc"
                                                         << "" << exact << true << false << "";
        QTest::newRow("empty text") << ""
                                    << "emp" << upper << true << false << "";

        // Overlapping candidates.
        QTest::newRow("a run does not overlap itself") << "aaaaa"
                                                       << "aa" << exact << true << false << "0:2 2:2";
        QTest::newRow("the leftmost of overlapping runs wins") << "abcbc"
                                                               << "ab%bc" << exact << true << false << "0:2 3:2";
        QTest::newRow("the longer run wins at the same start") << "empno emp"
                                                               << "emp%empno" << exact << true << false << "0:5 6:3";
        QTest::newRow("a run repeated in other case counts once") << "Emp"
                                                                  << "emp%EMP" << upper << true << false << "0:3";

        // SQL Server's sets.
        QTest::newRow("set of one character is that character") << "emp_id empxid"
                                                                << "emp[_]id" << folded << true << true << "0:6";
        QTest::newRow("set of one wildcard character is that character") << "100% 1000"
                                                                         << "100[%]" << folded << true << true << "0:4";
        QTest::newRow("wider set splits") << "emp_id empxid"
                                          << "emp[_x]id" << folded << true << true << "0:3 4:2 7:3 11:2";
        QTest::newRow("range splits") << "ace"
                                      << "a[b-d]e" << folded << true << true << "0:1 2:1";
        QTest::newRow("negated set splits") << "abc"
                                            << "a[^x]c" << folded << true << true << "0:1 2:1";
        QTest::newRow("unclosed set marks nothing") << "emp[id emp"
                                                    << "emp[id" << folded << true << true << "";
        QTest::newRow("brackets are characters without sets") << "a[b] ab"
                                                              << "a[b]" << exact << true << false << "0:4";
    }

    void ranges()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(MatchCase, rule);
        QFETCH(bool, wildcards);
        QFETCH(bool, sets);
        QFETCH(QString, expected);

        const SearchHighlight highlight = makeHighlight(pattern, rule, wildcards, sets);
        const QList<TextRange> found = ks::highlightRanges(text, highlight);
        QCOMPARE(rangesText(found), expected);
        // The first occurrence is the first of them.
        const std::optional<TextRange> first = ks::MatchFinder(highlight).first(text);
        QCOMPARE(first.has_value(), !found.isEmpty());
        if (first)
            QCOMPARE(*first, found.first());
    }

    // The other match modes: wildcards and sets are characters; a word
    // touches no letter, digit, "_", "$" or "#"; an expression marks its
    // matches.
    void modes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<ks::MatchMode>("mode");
        QTest::addColumn<MatchCase>("rule");
        QTest::addColumn<QString>("expected");
        using Mode = ks::MatchMode;
        QTest::newRow("text") << "a%b_c[d] a%b_c[d]"
                              << "%b_c[" << Mode::Text << MatchCase::Exact << "1:5 10:5";
        QTest::newRow("word") << "emp empno EMP x$emp emp#1 (emp)"
                              << "emp" << Mode::Word << MatchCase::UpperEach << "0:3 10:3 27:3";
        QTest::newRow("word ending in a non-word character") << "f(x) gf(y)"
                                                             << "f(" << Mode::Word << MatchCase::Exact << "0:2";
        QTest::newRow("expression") << "select empno, ename from emp"
                                    << "e\\w*o" << Mode::RegularExpression << MatchCase::Exact << "7:5";
    }

    void modes()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(ks::MatchMode, mode);
        QFETCH(MatchCase, rule);
        SearchHighlight highlight = makeHighlight(pattern, rule, true, true);
        highlight.mode = mode;
        const QList<TextRange> found = ks::highlightRanges(text, highlight);
        QTEST(rangesText(found), "expected");
    }

    void firstFrom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("expected");

        QTest::newRow("inside an occurrence finds the overlapping one") << "aaa"
                                                                        << "aa" << 1 << "1:2";
        QTest::newRow("after the first") << "emp x EMP"
                                         << "emp" << 1 << "6:3";
        QTest::newRow("at an occurrence") << "emp x EMP"
                                          << "emp" << 6 << "6:3";
        QTest::newRow("past the last") << "emp x EMP"
                                       << "emp" << 7 << "";
        QTest::newRow("beyond the end") << "emp"
                                        << "emp" << 10 << "";
        QTest::newRow("before the start counts as the start") << "emp"
                                                              << "emp" << -5 << "0:3";
        QTest::newRow("non-ASCII folded from the middle") << "ÉTÉ été"
                                                          << "été" << 2 << "4:3";
    }

    void firstFrom()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, from);
        QFETCH(QString, expected);

        const ks::MatchFinder finder(makeHighlight(pattern, MatchCase::UpperEach, true));
        const std::optional<TextRange> found = finder.first(text, from);
        QCOMPARE(found ? rangesText({*found}) : QString(), expected);
    }

    void firstInLongText_data()
    {
        QTest::addColumn<int>("position");
        // A long text is folded piece by piece: occurrences at, across and
        // after the borders of its pieces (every 65,536 characters).
        for (const int position : {0, 65530, 65531, 65535, 65536, 65537, 131070, 200000 - 6})
            QTest::newRow(qPrintable(QString::number(position))) << position;
    }

    void firstInLongText()
    {
        QFETCH(int, position);

        QString text(200000, QLatin1Char('x'));
        text.replace(position, 6, QStringLiteral("STRAẞE"));
        // The longer run must win although the shorter one starts there too.
        const ks::MatchFinder finder(makeHighlight(QStringLiteral("stra%straße"), MatchCase::CaseFolded, true));
        const TextRange expected {position, 6};
        QCOMPARE(finder.first(text), std::optional<TextRange>(expected));
        QCOMPARE(finder.first(text, std::max(position - 70000, 0)), std::optional<TextRange>(expected));
        QCOMPARE(finder.first(text, position), std::optional<TextRange>(expected));
        QCOMPARE(finder.first(text, position + 1), std::nullopt);
        QCOMPARE(finder.ranges(text), QList<TextRange> {expected});
    }

    void foldKeepsEveryIndex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<MatchCase>("rule");
        QTest::addColumn<QString>("expected");

        QTest::newRow("upper ASCII and é, ß stays") << "Straße café" << MatchCase::UpperEach << "STRAßE CAFÉ";
        QTest::newRow("fold capital sharp s") << "STRAẞE" << MatchCase::CaseFolded << "straße";
        QTest::newRow("fold Kelvin sign to k") << "\u212A" << MatchCase::CaseFolded << "k";
        QTest::newRow("upper dotless i to I") << "ı" << MatchCase::UpperEach << "I";
        QTest::newRow("fold beyond the BMP") << "𐐀" << MatchCase::CaseFolded << "𐐨";
        QTest::newRow("lone surrogates stay") << QString(QChar(0xD801)) + "A" + QChar(0xDC00) << MatchCase::CaseFolded
                                              << QString(QChar(0xD801)) + "a" + QChar(0xDC00);
        QTest::newRow("exact changes nothing") << "Straße" << MatchCase::Exact << "Straße";
    }

    void foldKeepsEveryIndex()
    {
        QFETCH(QString, text);
        QFETCH(MatchCase, rule);
        QFETCH(QString, expected);

        const QString folded = ks::foldCase(text, rule);
        QCOMPARE(folded, expected);
        QCOMPARE(folded.size(), text.size());
    }

    void runsAreTheLiteralPieces_data()
    {
        QTest::addColumn<SearchHighlight>("highlight");
        QTest::addColumn<QStringList>("runs");

        QTest::newRow("oracle, one run") << SearchHighlight::oracleSearch(QStringLiteral("emp"), true)
                                         << QStringList {"emp"};
        QTest::newRow("oracle, runs in order, repeats once")
            << SearchHighlight::oracleSearch(QStringLiteral("%emp_name%EMP%"), true) << QStringList {"emp", "name"};
        QTest::newRow("oracle exact keeps other case apart")
            << SearchHighlight::oracleSearch(QStringLiteral("emp%EMP"), false) << QStringList {"emp", "EMP"};
        QTest::newRow("sql server set of one")
            << SearchHighlight::msSqlSearch(QStringLiteral("emp[_]id%x")) << QStringList {"emp_id", "x"};
        QTest::newRow("wildcards only") << SearchHighlight::msSqlSearch(QStringLiteral("%_%")) << QStringList {};
    }

    void runsAreTheLiteralPieces()
    {
        QFETCH(SearchHighlight, highlight);
        QFETCH(QStringList, runs);

        const ks::MatchFinder finder(highlight);
        QCOMPARE(finder.runs(), runs);
        QCOMPARE(finder.isEmpty(), runs.isEmpty());
    }

    void searchesDescribeThemselves()
    {
        // Trimmed as the search box is, apostrophes as typed.
        const SearchHighlight oracle = SearchHighlight::oracleSearch(QStringLiteral(" \t O'Brien\r\n"), true);
        QCOMPARE(oracle.text, QStringLiteral("O'Brien"));
        QCOMPARE(oracle.caseRule, MatchCase::UpperEach);
        QVERIFY(oracle.wildcards);
        QVERIFY(!oracle.bracketSets);
        QCOMPARE(SearchHighlight::oracleSearch(QStringLiteral("x"), false).caseRule, MatchCase::Exact);

        const SearchHighlight msSql = SearchHighlight::msSqlSearch(QStringLiteral("  a[b] "));
        QCOMPARE(msSql.text, QStringLiteral("a[b]"));
        QCOMPARE(msSql.caseRule, MatchCase::CaseFolded);
        QVERIFY(msSql.wildcards);
        QVERIFY(msSql.bracketSets);

        QVERIFY(SearchHighlight::oracleSearch(QStringLiteral("   "), true).isEmpty());
    }

    void agreesWithPlainSearchOnRandomTexts()
    {
        // Letters that change under one rule and not the other, and wildcards.
        const QString textLetters = QStringLiteral("aAbBéÉßẞ\u212AkK ");
        const QString patternLetters = QStringLiteral("aAbBéÉßẞ\u212Ak%_");
        QRandomGenerator random(20240611);
        for (int i = 0; i < 3000; ++i) {
            const QString text = randomText(random, textLetters, 40);
            const QString pattern = randomText(random, patternLetters, 5);
            for (const MatchCase rule : {MatchCase::Exact, MatchCase::UpperEach, MatchCase::CaseFolded}) {
                const QList<TextRange> found = ks::highlightRanges(text, makeHighlight(pattern, rule, true));
                const QList<TextRange> expected = plainRanges(text, pattern, rule);
                if (found != expected) {
                    QFAIL(qPrintable(QStringLiteral("text \"%1\", pattern \"%2\", rule %3: %4 instead of %5")
                                         .arg(text, pattern)
                                         .arg(int(rule))
                                         .arg(rangesText(found), rangesText(expected))));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestMatchHighlight)
#include "tst_matchhighlight.moc"
