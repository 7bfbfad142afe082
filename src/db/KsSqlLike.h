#pragma once
// The LIKE operators of the two catalogue dialects, as pure functions: Oracle's
// (case-sensitive, "%" and "_") and SQL Server's (letter case ignored, "%",
// "_" and the sets "[abc]", "[a-z]", "[^...]").

#include <QString>
#include <QStringView>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

enum class LikeFlavour { Oracle, MsSql };

// A LIKE pattern compiled once and matched against many texts. Every element
// between two "%" stands for exactly one character, so a match takes each such
// run at its leftmost place: no backtracking, linear in text times pattern.
class LikePattern {
public:
    // `escape` (0 for none) makes the character after it stand for itself.
    // Raises ks::Error for an escape character that Oracle refuses (one not
    // followed by "%", "_" or itself).
    LikePattern(QStringView pattern, LikeFlavour flavour, char32_t escape = 0);

    bool matches(QStringView text) const;
    // The same match on UTF-8 text as SQLite stores it, without converting
    // it: ASCII text is compared byte by byte. None when `text` is not valid
    // UTF-8 (the caller then converts it as SQLite does and uses matches()).
    std::optional<bool> matchesUtf8(std::string_view text) const;

    LikeFlavour flavour() const { return m_flavour; }
    char32_t escape() const { return m_escape; }

private:
    struct Range {
        char32_t first;
        char32_t last;
    };
    // One character position of the pattern: a literal, "_", or a set.
    struct Atom {
        enum class Kind { Literal, Any, Set } kind = Kind::Literal;
        char32_t ch = 0;
        bool negated = false;
        std::vector<Range> ranges;
    };
    using Segment = std::vector<Atom>;

    static bool atomMatches(const Atom &atom, char32_t c);
    // Matches code points that are already folded (see fold()).
    template <typename Text> bool matchFolded(const Text &text) const;
    char32_t fold(char32_t c) const;

    LikeFlavour m_flavour;
    char32_t m_escape;
    // The pattern split at its "%"s; with none there is exactly one segment,
    // which must then cover the whole text.
    std::vector<Segment> m_segments;
    // An unclosed "[" in a SQL Server pattern: the pattern matches nothing.
    bool m_matchesNothing = false;
    // Only ASCII characters and "%": UTF-8 text can be matched byte by byte.
    bool m_asciiLiterals = false;
};

// Oracle's `text LIKE pattern`: letter case counts; "%" is any run of
// characters, "_" exactly one character.
bool oracleLike(QStringView text, QStringView pattern);

// SQL Server's `text LIKE pattern` under a case-insensitive collation: "%",
// "_", "[abc]", "[a-z]" and "[^...]"; letters compared by Unicode case folding.
bool msSqlLike(QStringView text, QStringView pattern);

} // namespace ks
