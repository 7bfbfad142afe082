// The program-side LIKE match against the recursive definition it must obey.

#include "search/KsLikeMatch.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The definition, step by step, recursion and all; only short inputs go
// through it. Positions are 0-based here where the definition counts from 1.
bool definedLike(QStringView text, QStringView pattern)
{
    // 1. An empty pattern matches.
    if (pattern.isEmpty())
        return true;
    const qsizetype firstWild = pattern.indexOf(u'%');
    // 2. No "%": the text must equal the pattern.
    if (firstWild < 0)
        return text == pattern;
    // 3. Characters before the first "%" must agree, then the rest decides.
    if (firstWild > 0) {
        if (text.size() < firstWild || text.first(firstWild) != pattern.first(firstWild))
            return false;
        return definedLike(text.sliced(firstWild), pattern.sliced(firstWild));
    }
    // 4. The pattern starts with "%".
    if (pattern == u"%")
        return true;
    const QStringView rest = pattern.sliced(1);
    const qsizetype restWild = rest.indexOf(u'%');
    if (restWild < 0)
        return text.endsWith(rest);
    const QStringView lead = rest.first(restWild);
    const qsizetype firstStart = text.indexOf(lead);
    if (firstStart < 0)
        return false;
    const qsizetype lastStart = text.size() - lead.size();
    for (qsizetype start = firstStart; start <= lastStart; ++start) {
        if (definedLike(text.sliced(start), rest))
            return true;
    }
    return false;
}

// Every character to its simple upper case on its own, as the database's
// UPPER writes it.
QString upperEveryLetter(const QString &text)
{
    QList<uint> characters = text.toUcs4();
    for (uint &c : characters)
        c = QChar::toUpper(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()), characters.size());
}

bool definedLikeIgnoreCase(const QString &text, const QString &pattern)
{
    return definedLike(upperEveryLetter(text), upperEveryLetter(pattern));
}

QString randomText(QRandomGenerator &random, QStringView alphabet, int maxLength)
{
    QString text;
    const int length = int(random.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        text += alphabet[qsizetype(random.bounded(int(alphabet.size())))];
    return text;
}

} // namespace

class TestLikeMatch : public QObject {
    Q_OBJECT

private slots:
    void matchesLikeTheDefinition_data();
    void matchesLikeTheDefinition();
    void agreesWithDefinitionOnRandomPairs();
    void manyWildcardsOnLongTextNeitherBacktracksNorRecurses_data();
    void manyWildcardsOnLongTextNeitherBacktracksNorRecurses();
};

void TestLikeMatch::matchesLikeTheDefinition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");
    QTest::addColumn<bool>("matchIgnoreCase");

    // Examples the matcher is known by.
    QTest::newRow("ab in %b%") << "ab"
                               << "%b%" << true << true;
    QTest::newRow("AB in %b% only ignoring case") << "AB"
                                                  << "%b%" << false << true;
    QTest::newRow("abc in %%c%") << "abc"
                                 << "%%c%" << true << true;
    QTest::newRow("empty text in %") << ""
                                     << "%" << true << true;
    QTest::newRow("abc in a%") << "abc"
                               << "a%" << true << true;
    QTest::newRow("abc not in %ab") << "abc"
                                    << "%ab" << false << false;
    QTest::newRow("abc in abc") << "abc"
                                << "abc" << true << true;
    QTest::newRow("abc not in ab") << "abc"
                                   << "ab" << false << false;

    // The empty pattern matches everything, unlike SQL's LIKE.
    QTest::newRow("empty pattern, some text") << "abc"
                                              << "" << true << true;
    QTest::newRow("empty pattern, empty text") << ""
                                               << "" << true << true;
    // A NULL field reads as a null text, which Qt's own string tests treat
    // apart from the empty one.
    QTest::newRow("null text in %") << QString() << "%" << true << true;
    QTest::newRow("null text in %%") << QString() << "%%" << true << true;
    QTest::newRow("null text, null pattern") << QString() << QString() << true << true;
    QTest::newRow("null text in %a") << QString() << "%a" << false << false;
    QTest::newRow("empty text, literal pattern") << ""
                                                 << "a" << false << false;
    QTest::newRow("empty text, %a%") << ""
                                     << "%a%" << false << false;

    // "_" is an ordinary character.
    QTest::newRow("underscore is no wildcard") << "abc"
                                               << "a_c" << false << false;
    QTest::newRow("underscore matches itself") << "a_c"
                                               << "%_%" << true << true;

    // Head and tail of the pattern may not share characters of the text.
    QTest::newRow("a%a needs two characters") << "a"
                                              << "a%a" << false << false;
    QTest::newRow("a%a on aa") << "aa"
                               << "a%a" << true << true;
    QTest::newRow("middle may not reach into tail") << "abc"
                                                    << "%b%bc" << false << false;
    QTest::newRow("segments in order") << "ba"
                                       << "%a%b%" << false << false;
    QTest::newRow("leftmost choice keeps later ones") << "abcabc"
                                                      << "%bc%ab%" << true << true;
    QTest::newRow("each segment its own characters") << "abcab"
                                                     << "%c%c%" << false << false;
    QTest::newRow("repeated segment") << "xaxax"
                                      << "%xax%xax%" << false << false;
    QTest::newRow("repeated segment found twice") << "xaxxax"
                                                  << "%xax%xax%" << true << true;

    // How searches use it: the quote-doubled search text between "%".
    QTest::newRow("doubled quote as written in SQL") << "where name = 'O''Brien'"
                                                     << "%O''Brien%" << true << true;
    QTest::newRow("single quote not found by doubled one") << "O'Brien"
                                                           << "%O''Brien%" << false << false;
    QTest::newRow("text ends with the search text") << "select * from emp"
                                                    << "%emp%" << true << true;
    QTest::newRow("text is the search text") << "emp"
                                             << "%emp%" << true << true;
    QTest::newRow("lines with LF") << "select 1\nfrom dual\n"
                                   << "%from dual%" << true << true;

    // Every letter changes case one for one, as the database's UPPER does.
    QTest::newRow("accented letter found in either case")
        << QString::fromUtf8("caf\u00e9") << QString::fromUtf8("%\u00c9%") << false << true;
    QTest::newRow("accented search text finds capitals")
        << QString::fromUtf8("CAF\u00c9 ROYAL") << QString::fromUtf8("%caf\u00e9%") << false << true;
    QTest::newRow("sharp s stays one letter")
        << QString::fromUtf8("Stra\u00dfe") << QString::fromUtf8("%STRASSE%") << false << false;
    QTest::newRow("sharp s found as itself")
        << QString::fromUtf8("Stra\u00dfe") << QString::fromUtf8("%STRA\u00dfE%") << false << true;
    QTest::newRow("final and medial sigma share a capital")
        << QString::fromUtf8("\u03bb\u03cc\u03b3\u03bf\u03c2") << QString::fromUtf8("%\u03bf\u03c3%") << false << true;
    QTest::newRow("long s upper-cases to S") << QString::fromUtf8("\u017f") << "%S%" << false << true;
    QTest::newRow("Kelvin sign is no k") << QString::fromUtf8("\u212a") << "%k%" << false << false;
    QTest::newRow("letters next to a-z stay") << "[`{@"
                                              << "%[`{@%" << true << true;
    QTest::newRow("mixed case") << "Select X From Dual"
                                << "%FROM d%" << false << true;

    // Characters outside the basic plane.
    QTest::newRow("surrogate pair found")
        << QString::fromUtf8("a\U0001F600b") << QString::fromUtf8("%\U0001F600%") << true << true;
    QTest::newRow("surrogate pair not found")
        << QString::fromUtf8("a\U0001F600b") << QString::fromUtf8("%\U0001F601%") << false << false;
    QTest::newRow("letter outside the basic plane in either case")
        << QString::fromUtf8("x\U00010428y") << QString::fromUtf8("%\U00010400%") << false << true;
}

void TestLikeMatch::matchesLikeTheDefinition()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QFETCH(bool, matchIgnoreCase);

    // The table's expectations must hold for the definition as well.
    QCOMPARE(definedLike(text, pattern), match);
    QCOMPARE(definedLikeIgnoreCase(text, pattern), matchIgnoreCase);

    QCOMPARE(ks::LikeMatch(text, pattern), match);
    QCOMPARE(ks::LikeMatchIgnoreCase(text, pattern), matchIgnoreCase);
}

void TestLikeMatch::agreesWithDefinitionOnRandomPairs()
{
    // A fixed seed keeps a failure reproducible.
    QRandomGenerator random(20240611);
    const QString textAlphabet = QString::fromUtf8("aAbB_%\u00e9\u00c9\u00df\u017f");
    const QString patternAlphabet = QString::fromUtf8("aAbB_%%%\u00e9\u00c9\u00dfsS");
    int matches = 0;
    for (int i = 0; i < 100000; ++i) {
        const QString text = randomText(random, textAlphabet, 12);
        const QString pattern = randomText(random, patternAlphabet, 8);
        const bool expected = definedLike(text, pattern);
        const bool expectedIgnoringCase = definedLikeIgnoreCase(text, pattern);
        matches += expected ? 1 : 0;
        if (ks::LikeMatch(text, pattern) != expected
            || ks::LikeMatchIgnoreCase(text, pattern) != expectedIgnoringCase) {
            QFAIL(qPrintable(QStringLiteral("text \"%1\", pattern \"%2\"").arg(text, pattern)));
        }
    }
    // Both outcomes must be well represented, or the comparison proves little.
    QVERIFY(matches > 10000);
    QVERIFY(matches < 90000);
}

void TestLikeMatch::manyWildcardsOnLongTextNeitherBacktracksNorRecurses_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");

    // Backtracking over these takes longer than anyone waits, and recursing
    // once per "%" or per character overflows the stack.
    QTest::newRow("many a then b") << QString(QStringLiteral("%a")).repeated(5000) + "%b%" << false;
    QTest::newRow("many a then end") << QString(QStringLiteral("%a")).repeated(5000) + "%" << true;
    QTest::newRow("many %") << QString(20000, u'%') << true;
    QTest::newRow("too many a") << QString(QStringLiteral("%a")).repeated(200001) + "%" << false;
    QTest::newRow("tail b") << QString(QStringLiteral("%a")).repeated(100) + "b" << false;
}

void TestLikeMatch::manyWildcardsOnLongTextNeitherBacktracksNorRecurses()
{
    QFETCH(QString, pattern);
    QFETCH(bool, match);

    const QString text(200000, u'a');
    QCOMPARE(ks::LikeMatch(text, pattern), match);
    QCOMPARE(ks::LikeMatchIgnoreCase(text, pattern), match);
}

QTEST_GUILESS_MAIN(TestLikeMatch)
#include "tst_likematch.moc"
