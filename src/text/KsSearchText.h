#pragma once
// Searching a text for a pattern as the find-and-replace dialog does: forward
// only, with or without letter case (ASCII letters only), optionally for whole
// words, and the history rule of its drop-down lists. No widgets here.

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <bitset>

namespace ks {
Q_NAMESPACE

// The find-option flags, in their traditional order. frFindNext, frReplace
// and frReplaceAll are set only while one button's action runs.
enum TFindOption : unsigned {
    frDown = 1u << 0,
    frFindNext = 1u << 1,
    frHideMatchCase = 1u << 2,
    frHideWholeWord = 1u << 3,
    frHideUpDown = 1u << 4,
    frMatchCase = 1u << 5,
    frDisableMatchCase = 1u << 6,
    frDisableUpDown = 1u << 7,
    frDisableWholeWord = 1u << 8,
    frReplace = 1u << 9,
    frReplaceAll = 1u << 10,
    frWholeWord = 1u << 11,
    frShowHelp = 1u << 12,
};
Q_DECLARE_FLAGS(TFindOptions, TFindOption)
Q_FLAG_NS(TFindOptions)

// The two layouts of the find dialog: find only, or find and replace.
enum TFindReplaceStyle { frFind, frFindReplace };
Q_ENUM_NS(TFindReplaceStyle)

// A set of characters 0 to 255; a character beyond 255 is never in it.
class TWordChars {
public:
    TWordChars() = default;
    // Every character of `chars` below 256.
    explicit TWordChars(QStringView chars);

    bool contains(QChar ch) const { return ch.unicode() < 256 && m_set.test(ch.unicode()); }
    void insert(QChar ch);
    bool operator==(const TWordChars &) const = default;

private:
    std::bitset<256> m_set;
};

// "0" to "9", "A" to "Z", "a" to "z" and "_": nothing else, no accented
// letters, no punctuation.
const TWordChars &defaultWordChars();

// What stands before the start of a search: the text's own character, or,
// where the text there is no longer the one searched (a replacement took
// its place), the given character or none.
struct SearchCharBefore {
    enum Kind { FromText, None, Given };
    Kind kind = FromText;
    QChar ch;
};

// Searches one text for one pattern, from positions that never go back,
// folding each character of the text to upper case at most once however
// often it is searched. Positions are 1-based, 0 means no match.
//
// The skip table has 256 entries; a character beyond 255 uses the entry of
// its low byte. An entry is only ever the distance to the nearest pattern
// character that shares it, never more than the distance to the character
// itself, so sharing makes some skips shorter but never skips a match.
class TextSearcher {
public:
    TextSearcher(const QString &text, const QString &pattern, const TWordChars &wordChars, TFindOptions options);

    using CharBefore = SearchCharBefore;

    // The first match at or after `start` (below 1 counts as 1), or 0.
    qsizetype find(qsizetype start, CharBefore before = CharBefore());

    qsizetype patternLength() const { return m_pattern.size(); }

private:
    // The character at 0-based `index`, folded to upper case when it lies in
    // the part already folded.
    QChar at(qsizetype index) const;
    bool isWord(qsizetype index, qsizetype start, const CharBefore &before) const;
    void foldUpTo(qsizetype index);
    // Moves 0-based `p` on to the next whole-word candidate.
    void nextCandidate(qsizetype &p, qsizetype start, const CharBefore &before);

    QString m_text; // folded in place from m_foldBegin to m_foldEnd
    QString m_pattern;
    TWordChars m_wordChars;
    TFindOptions m_options;
    std::array<qsizetype, 256> m_shift {};
    bool m_usable = false;
    qsizetype m_foldBegin = -1;
    qsizetype m_foldEnd = 0;
};

// The 1-based position of the first match of `pattern` in `text` at or after
// `start`, or 0. Options that count: frMatchCase and frWholeWord.
qsizetype SearchText(
    const QString &text, const QString &pattern, qsizetype start, const TWordChars &wordChars, TFindOptions options);

// Whether two texts are equal, exactly or ignoring the case of ASCII letters.
bool sameFindText(const QString &a, const QString &b, bool caseSensitive);

// The word around a caret at 0-based `caret`: the run of word characters that
// holds the character after the caret, or the one before it when the caret
// is at the end or the character after it is not a word character. Empty
// when there is none.
QString wordAtCaret(const QString &text, qsizetype caret, const TWordChars &wordChars);

// The history rule of the find and replace lists: an empty text is ignored
// unless allowed; otherwise every entry equal to it (exactly, or ignoring
// ASCII case) goes, the text goes to the top, and entries from index `limit`
// on are dropped (a limit below 1 counts as 1). True when the list changed
// or the text went to the top.
bool AddToHistory(QStringList &history, const QString &text, bool caseSensitive, bool allowEmpty, int limit);

} // namespace ks

Q_DECLARE_OPERATORS_FOR_FLAGS(ks::TFindOptions)
