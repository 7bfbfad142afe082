// The search of the find dialog without any window: positions, letter case,
// whole words, the skip table with characters beyond 255 (checked against a
// plain search on random texts), the word at the caret and the history rule.

#include "text/KsSearchText.h"

#include <QRandomGenerator>
#include <QtTest>

using ks::TFindOptions;

Q_DECLARE_METATYPE(ks::TFindOptions)

namespace {

QChar folded(QChar ch)
{
    return ch >= u'a' && ch <= u'z' ? QChar(ch.unicode() - 32) : ch;
}

// The first match at or after `start`, one position after another.
qsizetype plainSearch(const QString &text, const QString &pattern, qsizetype start, TFindOptions options)
{
    const ks::TWordChars &word = ks::defaultWordChars();
    const qsizetype m = pattern.size();
    if (m == 0 || text.isEmpty())
        return 0;
    const bool matchCase = options.testFlag(ks::frMatchCase);
    const bool wholeWord = options.testFlag(ks::frWholeWord);
    for (qsizetype p = std::max<qsizetype>(start, 1) - 1; p + m <= text.size(); ++p) {
        bool same = true;
        for (qsizetype k = 0; k < m && same; ++k)
            same = matchCase ? text.at(p + k) == pattern.at(k) : folded(text.at(p + k)) == folded(pattern.at(k));
        if (!same)
            continue;
        if (wholeWord
            && (!word.contains(pattern.front()) || !word.contains(pattern.back())
                || (p > 0 && word.contains(text.at(p - 1))) || (p + m < text.size() && word.contains(text.at(p + m)))))
            continue;
        return p + 1;
    }
    return 0;
}

} // namespace

class TestSearchText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("start");
        QTest::addColumn<TFindOptions>("options");
        QTest::addColumn<int>("found");

        const TFindOptions none;
        const TFindOptions matchCase = ks::frMatchCase;
        const TFindOptions wholeWord = ks::frWholeWord;
        QTest::newRow("empty pattern") << "abc"
                                       << "" << 1 << none << 0;
        QTest::newRow("empty text") << ""
                                    << "a" << 1 << none << 0;
        QTest::newRow("pattern longer than text") << "ab"
                                                  << "abc" << 1 << none << 0;
        QTest::newRow("any case finds upper") << "xxABCxx"
                                              << "abc" << 1 << none << 3;
        QTest::newRow("any case finds mixed") << "xxaBcxx"
                                              << "ABC" << 1 << none << 3;
        QTest::newRow("match case skips other forms") << "ABC aBc abc"
                                                      << "abc" << 1 << matchCase << 9;
        QTest::newRow("match case, no exact form") << "ABC aBc"
                                                   << "abc" << 1 << matchCase << 0;
        QTest::newRow("only ASCII letters fold") << "ÉTÉ"
                                                 << "été" << 1 << none << 0;
        QTest::newRow("match at the very end") << "xabc"
                                               << "abc" << 1 << none << 2;
        QTest::newRow("match at the start position") << "abcabc"
                                                     << "abc" << 4 << none << 4;
        QTest::newRow("start past the last match") << "abcabc"
                                                   << "abc" << 5 << none << 0;
        QTest::newRow("start past the end") << "abc"
                                            << "c" << 9 << none << 0;
        QTest::newRow("start 0 counts as 1") << "abc"
                                             << "a" << 0 << none << 1;
        QTest::newRow("negative start counts as 1") << "abc"
                                                    << "a" << -5 << none << 1;
        QTest::newRow("overlapping, from 1") << "aaaa"
                                             << "aa" << 1 << none << 1;
        QTest::newRow("overlapping, from 2") << "aaaa"
                                             << "aa" << 2 << none << 2;
        QTest::newRow("overlapping, from 3") << "aaaa"
                                             << "aa" << 3 << none << 3;
        QTest::newRow("overlapping, from 4") << "aaaa"
                                             << "aa" << 4 << none << 0;
        QTest::newRow("skip must not pass a match") << "ababcabcab"
                                                    << "abcab" << 1 << none << 3;
        QTest::newRow("repeated prefix") << "aaabaaab"
                                         << "aab" << 1 << none << 2;
        QTest::newRow("whole word in a phrase") << "the id is"
                                                << "id" << 1 << wholeWord << 5;
        QTest::newRow("whole word not inside a word") << "valid"
                                                      << "id" << 1 << wholeWord << 0;
        QTest::newRow("underscore is a word character") << "id_x"
                                                        << "id" << 1 << wholeWord << 0;
        QTest::newRow("digit is a word character") << "id2"
                                                   << "id" << 1 << wholeWord << 0;
        QTest::newRow("hyphen ends a word") << "x-id"
                                            << "id" << 1 << wholeWord << 3;
        QTest::newRow("full stop ends a word") << "id."
                                               << "id" << 1 << wholeWord << 1;
        QTest::newRow("accented letter ends a word") << "éid"
                                                     << "id" << 1 << wholeWord << 2;
        QTest::newRow("whole word after a rejected one") << "valid id"
                                                         << "id" << 1 << wholeWord << 7;
        QTest::newRow("whole word, any case") << "the ID is"
                                              << "id" << 1 << wholeWord << 5;
        QTest::newRow("whole word, pattern starts with a non-word character") << "a -id b"
                                                                              << "-id" << 1 << wholeWord << 0;
        QTest::newRow("whole word, pattern ends with a non-word character") << "a id- b"
                                                                            << "id-" << 1 << wholeWord << 0;
        QTest::newRow("whole word, start inside a word") << "idid id"
                                                         << "id" << 2 << wholeWord << 6;
        QTest::newRow("character beyond 255 sharing a byte with A") << "AxŁx"
                                                                    << "Łx" << 1 << none << 3;
        QTest::newRow("character beyond 255 in the text only") << "ŁbAb"
                                                               << "Ab" << 1 << matchCase << 3;
        QTest::newRow("surrogate pair") << "a😀b😀c"
                                        << "😀c" << 1 << none << 5;
    }

    void searchText()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, start);
        QFETCH(TFindOptions, options);
        QFETCH(int, found);
        QCOMPARE(ks::SearchText(text, pattern, start, ks::defaultWordChars(), options), qsizetype(found));
        // The plain search agrees, so the table above says what it means.
        QCOMPARE(plainSearch(text, pattern, start, options), qsizetype(found));
    }

    void wordCharactersAreDigitsLettersAndUnderscore()
    {
        const ks::TWordChars &word = ks::defaultWordChars();
        int count = 0;
        for (int code = 0; code < 0x3000; ++code)
            count += word.contains(QChar(char16_t(code))) ? 1 : 0;
        QCOMPARE(count, 10 + 26 + 26 + 1);
        QVERIFY(word.contains(u'_') && word.contains(u'0') && word.contains(u'z') && word.contains(u'Z'));
        QVERIFY(!word.contains(u'-') && !word.contains(u'é') && !word.contains(QChar(0x100 + '_')));
    }

    // Random texts over an alphabet whose characters beyond 255 share the
    // low byte of ASCII characters (š with a, Ł with A, ũ with i, 中 with -),
    // searched from random positions with every combination of options.
    void agreesWithPlainSearchOnRandomTexts()
    {
        const QString alphabet = QStringLiteral("aAbi_ -éšŁũ中");
        QRandomGenerator random(20240611);
        const auto randomText = [&](int length) {
            QString text;
            for (int i = 0; i < length; ++i)
                text += alphabet.at(random.bounded(int(alphabet.size())));
            return text;
        };
        const TFindOptions optionSets[] = {{}, ks::frMatchCase, ks::frWholeWord, ks::frWholeWord | ks::frMatchCase};
        int matches = 0;
        for (int round = 0; round < 20000; ++round) {
            const QString text = randomText(random.bounded(40));
            // Half of the patterns are taken from the text, so that they match.
            QString pattern;
            if (!text.isEmpty() && random.bounded(2) == 0) {
                const int at = random.bounded(int(text.size()));
                pattern = text.mid(at, 1 + random.bounded(5));
            } else {
                pattern = randomText(1 + random.bounded(4));
            }
            const qsizetype start = random.bounded(int(text.size()) + 3) - 1;
            for (const TFindOptions options : optionSets) {
                const qsizetype expected = plainSearch(text, pattern, start, options);
                const qsizetype actual = ks::SearchText(text, pattern, start, ks::defaultWordChars(), options);
                if (actual != expected)
                    QFAIL(qPrintable(QStringLiteral("\"%1\" in \"%2\" from %3, options %4: %5, expected %6")
                                         .arg(pattern, text)
                                         .arg(start)
                                         .arg(int(options))
                                         .arg(actual)
                                         .arg(expected)));
                matches += expected > 0 ? 1 : 0;
            }
        }
        // The comparison means something only when many searches do match.
        QVERIFY2(matches > 10000, qPrintable(QString::number(matches)));
    }

    // Searching on and on from the end of the last match, as Replace All
    // does, finds what a new search from each place finds.
    void searcherGoesOnFromLaterPlaces()
    {
        QRandomGenerator random(77);
        const QString alphabet = QStringLiteral("abAB _š");
        for (int round = 0; round < 2000; ++round) {
            QString text;
            for (int i = random.bounded(60); i > 0; --i)
                text += alphabet.at(random.bounded(int(alphabet.size())));
            const QString pattern = QStringLiteral("ab").left(1 + random.bounded(2));
            const TFindOptions options = random.bounded(2) ? TFindOptions(ks::frWholeWord) : TFindOptions();
            ks::TextSearcher searcher(text, pattern, ks::defaultWordChars(), options);
            qsizetype start = 1;
            for (;;) {
                const qsizetype expected = ks::SearchText(text, pattern, start, ks::defaultWordChars(), options);
                QCOMPARE(searcher.find(start), expected);
                if (expected == 0)
                    break;
                start = expected + pattern.size();
            }
        }
    }

    void charBeforeStandsForReplacedText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QChar>("before");
        QTest::addColumn<int>("found");
        // In "xa a", searching "a" as a whole word from position 2.
        QTest::newRow("the text's own x rejects") << int(ks::SearchCharBefore::FromText) << QChar() << 4;
        QTest::newRow("nothing before") << int(ks::SearchCharBefore::None) << QChar() << 2;
        QTest::newRow("a blank put there") << int(ks::SearchCharBefore::Given) << QChar(u' ') << 2;
        QTest::newRow("a letter put there") << int(ks::SearchCharBefore::Given) << QChar(u'y') << 4;
    }

    void charBeforeStandsForReplacedText()
    {
        QFETCH(int, kind);
        QFETCH(QChar, before);
        QFETCH(int, found);
        ks::TextSearcher searcher(QStringLiteral("xa a"), QStringLiteral("a"), ks::defaultWordChars(), ks::frWholeWord);
        QCOMPARE(searcher.find(2, {ks::SearchCharBefore::Kind(kind), before}), qsizetype(found));
    }

    void sameFindText_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("same");
        QTest::newRow("ASCII case ignored") << "aBc"
                                            << "AbC" << false << true;
        QTest::newRow("ASCII case counts") << "aBc"
                                           << "abc" << true << false;
        QTest::newRow("accented letters never fold") << "é"
                                                     << "É" << false << false;
        QTest::newRow("different length") << "ab"
                                          << "abc" << false << false;
        QTest::newRow("both empty") << ""
                                    << "" << true << true;
    }

    void sameFindText()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, same);
        QCOMPARE(ks::sameFindText(a, b, caseSensitive), same);
    }

    void wordAtCaret_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("word");
        QTest::newRow("caret after a word") << "hello world" << 5 << "hello";
        QTest::newRow("caret before a word") << "hello world" << 6 << "world";
        QTest::newRow("caret at the start") << "hello world" << 0 << "hello";
        QTest::newRow("caret at the end") << "hello world" << 11 << "world";
        QTest::newRow("caret inside a word") << "hello world" << 2 << "hello";
        QTest::newRow("caret between blanks") << "a  b" << 2 << "";
        QTest::newRow("empty text") << "" << 0 << "";
        QTest::newRow("underscores and digits") << "(id_x2+1)" << 3 << "id_x2";
        QTest::newRow("accented letters end words") << "été" << 1 << "t";
        QTest::newRow("caret beyond the end") << "abc" << 9 << "abc";
    }

    void wordAtCaret()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, word);
        QCOMPARE(ks::wordAtCaret(text, caret, ks::defaultWordChars()), word);
    }

    void addToHistory_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("allowEmpty");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("changed");
        const QStringList abc {QStringLiteral("abc"), QStringLiteral("x")};
        QTest::newRow("empty text not allowed") << abc << "" << false << false << 20 << abc << false;
        QTest::newRow("empty text allowed") << abc << "" << false << true << 20 << QStringList {"", "abc", "x"} << true;
        QTest::newRow("new text on top") << abc << "new" << false << false << 20 << QStringList {"new", "abc", "x"}
                                         << true;
        QTest::newRow("other case replaces the entry")
            << abc << "ABC" << false << false << 20 << QStringList {"ABC", "x"} << true;
        QTest::newRow("with match case both forms stay")
            << abc << "Abc" << true << false << 20 << QStringList {"Abc", "abc", "x"} << true;
        QTest::newRow("an entry further down moves up")
            << abc << "x" << false << false << 20 << QStringList {"x", "abc"} << true;
        QTest::newRow("accented letters are other texts")
            << QStringList {"é"} << "É" << false << false << 20 << QStringList {"É", "é"} << true;
        QTest::newRow("every equal entry goes")
            << QStringList {"a", "b", "A"} << "a" << false << false << 20 << QStringList {"a", "b"} << true;
        QTest::newRow("limit drops the oldest")
            << QStringList {"3", "2", "1"} << "4" << false << false << 3 << QStringList {"4", "3", "2"} << true;
        QTest::newRow("limit below 1 keeps the text") << abc << "y" << false << false << 0 << QStringList {"y"} << true;
    }

    void addToHistory()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, allowEmpty);
        QFETCH(int, limit);
        QFETCH(QStringList, after);
        QFETCH(bool, changed);
        QStringList history = before;
        QCOMPARE(ks::AddToHistory(history, text, caseSensitive, allowEmpty, limit), changed);
        QCOMPARE(history, after);
    }

    void twentyFirstSearchDropsTheOldest()
    {
        QStringList history;
        for (int i = 1; i <= 21; ++i)
            ks::AddToHistory(history, QStringLiteral("search %1").arg(i), false, false, 20);
        QCOMPARE(history.size(), 20);
        QCOMPARE(history.first(), QStringLiteral("search 21"));
        QCOMPARE(history.last(), QStringLiteral("search 2"));
    }
};

QTEST_APPLESS_MAIN(TestSearchText)
#include "tst_searchtext.moc"
