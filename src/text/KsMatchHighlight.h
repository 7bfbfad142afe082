#pragma once
// What a viewer opened from a search marks in its text: every occurrence of
// the search text, compared with the letter-case rule the search used. A
// search text with wildcards is marked run by run: each literal run between
// the wildcards is an occurrence of its own. No widgets here.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace ks {

// How letters compare.
enum class MatchCase {
    // Letter case counts.
    Exact,
    // Both sides upper-cased one character for one, as Oracle's UPPER does
    // for its Ignore Case search: "é" meets "É", "ß" stays "ß".
    UpperEach,
    // Both sides case-folded character by character, as SQL Server's
    // case-insensitive collations compare: the Kelvin sign meets "k", the
    // capital sharp s meets "ß", final sigma meets sigma.
    CaseFolded,
};

// How a search text matches.
enum class MatchMode {
    // A LIKE pattern: "%" and "_" are wildcards (and on SQL Server "[...]").
    Pattern,
    // The text as typed: every character stands for itself.
    Text,
    // The text as typed, as a whole word (see isWordCharacter).
    Word,
    // A Perl-compatible regular expression.
    RegularExpression,
};

// Letters, digits, "_", "$" and "#": what identifiers are made of, and so
// what a whole word in Word mode may not touch.
bool isWordCharacter(QChar ch);

// The description a search hands to the viewer it opens.
struct SearchHighlight {
    // The search text as the user typed it, trimmed as the search trims it,
    // apostrophes as typed (not doubled).
    QString text;
    MatchCase caseRule = MatchCase::Exact;
    // "%" and "_" are wildcards: the text is split at them and each literal
    // run is marked on its own. A text of wildcards only marks nothing.
    bool wildcards = false;
    // "[...]" is a set of characters (SQL Server): a set of exactly one
    // character ("[_]", "[%]", "[[]", the usual way to write a wildcard
    // character literally) stands for that character within its run; any
    // other set ("[a-c]", "[^x]", "[ab]") is a wildcard and splits the text.
    // An unclosed "[" makes a pattern that finds nothing, so nothing is marked.
    bool bracketSets = false;
    // Pattern honours the two flags above; the other modes ignore them.
    MatchMode mode = MatchMode::Pattern;

    // The Oracle search, with or without Ignore Case.
    static SearchHighlight oracleSearch(const QString &searchText, bool ignoreCase);
    // The SQL Server search: letter case ignored, "%", "_" and "[...]".
    static SearchHighlight msSqlSearch(const QString &searchText);

    bool isEmpty() const { return text.isEmpty(); }
    bool operator==(const SearchHighlight &) const = default;
};

// The expression that finds the highlight's text in Word and Regular
// Expression modes (invalid for the other modes): letter case ignored unless
// the rule is Exact. A word's end that is a word character may not touch
// another one.
QRegularExpression matchExpression(const SearchHighlight &highlight);

// A piece of a text: start and length in UTF-16 units (QString indices).
struct TextRange {
    qsizetype start = 0;
    qsizetype length = 0;

    qsizetype end() const { return start + length; }
    bool operator==(const TextRange &) const = default;
};

// `text` with every character mapped by the rule, one code point for one,
// so that every index of the result is the index of the same character in
// `text`. A character whose mapping would take another number of UTF-16
// units stays as it is.
QString foldCase(QStringView text, MatchCase rule);

// The literal runs of a search highlight compiled once, to be found in many
// texts (a viewer's lines).
class MatchFinder {
public:
    // Finds nothing.
    MatchFinder() = default;
    explicit MatchFinder(const SearchHighlight &highlight);

    // No run to find: a text of wildcards only, or an empty text.
    bool isEmpty() const { return m_folded.isEmpty() && !m_byExpression; }
    // The literal runs as typed, in their order, each once; in Word and
    // Regular Expression modes the text as typed.
    const QStringList &runs() const { return m_runs; }
    MatchCase caseRule() const { return m_case; }
    // Whether an occurrence may run over a line break ("\n" in Text and
    // Regular Expression modes): it is then found in lines joined by "\n".
    bool spansLines() const { return m_spansLines; }

    // Every occurrence of any run in `text`, in order and not overlapping:
    // the leftmost occurrence first (the longest run where several start
    // there), then the leftmost one after its end, and so on. Linear in the
    // length of the text for each run.
    QList<TextRange> ranges(QStringView text) const;
    // The first occurrence that starts at or after `from`, as ranges() would
    // find it when searching from there.
    std::optional<TextRange> first(QStringView text, qsizetype from = 0) const;

private:
    // Calls `found` for each occurrence from `from` on until it returns false.
    template <typename Found> void scan(QStringView folded, qsizetype from, Found &&found) const;

    MatchCase m_case = MatchCase::Exact;
    bool m_spansLines = false;
    // Words and regular expressions are found by this; the runs are unused.
    QRegularExpression m_expression;
    bool m_byExpression = false;
    QStringList m_runs;
    QStringList m_folded; // the runs folded by the rule, distinct
};

// The occurrences of `highlight` in `text`; see MatchFinder::ranges().
QList<TextRange> highlightRanges(QStringView text, const SearchHighlight &highlight);

} // namespace ks
