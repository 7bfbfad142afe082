#include "db/KsSqlLike.h"

#include "base/KsStrings.h"
#include "db/KsUtf8.h"

#include <QChar>

#include <algorithm>
#include <cstring>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ks {

namespace {

std::u32string codePoints(QStringView text)
{
    std::u32string result;
    result.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result.push_back(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            result.push_back(c.unicode());
        }
    }
    return result;
}

} // namespace

LikePattern::LikePattern(QStringView pattern, LikeFlavour flavour, char32_t escape)
    : m_flavour(flavour)
    , m_escape(escape)
{
    const std::u32string p = codePoints(pattern);
    m_segments.emplace_back();
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Atom atom;
        if (m_escape != 0 && c == m_escape) {
            const bool hasNext = i + 1 < p.size();
            if (m_flavour == LikeFlavour::Oracle) {
                // Oracle accepts an escape only before a wildcard or itself.
                if (!hasNext || (p[i + 1] != U'%' && p[i + 1] != U'_' && p[i + 1] != m_escape))
                    throw Error(QStringLiteral("missing or illegal character following the escape character"));
            } else if (!hasNext) {
                m_matchesNothing = true;
                return;
            }
            atom.ch = fold(p[++i]);
        } else if (c == U'%') {
            m_segments.emplace_back();
            continue;
        } else if (c == U'_') {
            atom.kind = Atom::Kind::Any;
        } else if (c == U'[' && m_flavour == LikeFlavour::MsSql) {
            size_t j = i + 1;
            atom.kind = Atom::Kind::Set;
            if (j < p.size() && p[j] == U'^') {
                atom.negated = true;
                ++j;
            }
            const size_t close = p.find(U']', j);
            if (close == std::u32string::npos) {
                // SQL Server finds nothing for a pattern with an unclosed set.
                m_matchesNothing = true;
                return;
            }
            for (size_t k = j; k < close; ++k) {
                // "a-z" is a range; a "-" first or last in the set stands for itself.
                if (k + 2 < close && p[k + 1] == U'-') {
                    atom.ranges.push_back({fold(p[k]), fold(p[k + 2])});
                    k += 2;
                } else {
                    atom.ranges.push_back({fold(p[k]), fold(p[k])});
                }
            }
            i = close;
        } else {
            atom.ch = fold(c);
        }
        m_segments.back().push_back(std::move(atom));
    }
    // A pattern of ASCII characters and "%" alone reads UTF-8 text byte by
    // byte: no byte of a longer character equals an ASCII one, so a match
    // never starts or ends inside one, and a byte counts for one character
    // wherever the pattern fixes lengths. "_" and sets would need characters.
    m_asciiLiterals = std::all_of(m_segments.cbegin(), m_segments.cend(), [](const Segment &segment) {
        return std::all_of(segment.cbegin(), segment.cend(),
            [](const Atom &atom) { return atom.kind == Atom::Kind::Literal && atom.ch < 0x80; });
    });
}

char32_t LikePattern::fold(char32_t c) const
{
    return m_flavour == LikeFlavour::MsSql ? QChar::toCaseFolded(c) : c;
}

bool LikePattern::atomMatches(const Atom &atom, char32_t c)
{
    switch (atom.kind) {
    case Atom::Kind::Any:
        return true;
    case Atom::Kind::Literal:
        return atom.ch == c;
    case Atom::Kind::Set:
        break;
    }
    bool inSet = false;
    for (const Range &range : atom.ranges) {
        if (c >= range.first && c <= range.last) {
            inSet = true;
            break;
        }
    }
    return inSet != atom.negated;
}

template <typename Text> bool LikePattern::matchFolded(const Text &text) const
{
    const size_t size = text.size();
    // Whether `segment` matches the text from `at` on; at <= size.
    const auto matchesAt = [&](const Segment &segment, size_t at) {
        if (segment.size() > size - at)
            return false;
        for (size_t k = 0; k < segment.size(); ++k) {
            if (!atomMatches(segment[k], text[at + k]))
                return false;
        }
        return true;
    };

    const Segment &first = m_segments.front();
    if (m_segments.size() == 1)
        return first.size() == size && matchesAt(first, 0);

    // The first run is anchored at the start, the last at the end; each run in
    // between takes the leftmost place after the one before it, which leaves
    // the most room for the rest because every run has a fixed length.
    if (!matchesAt(first, 0))
        return false;
    size_t pos = first.size();
    for (size_t s = 1; s + 1 < m_segments.size(); ++s) {
        const Segment &segment = m_segments[s];
        if (segment.empty())
            continue;
        if (segment.size() > size - pos)
            return false;
        const size_t end = size - segment.size() + 1; // past the last place the run fits
        const Atom &lead = segment.front();
        const bool literalLead = lead.kind == Atom::Kind::Literal;
        size_t at = pos;
        for (;; ++at) {
            // Most places fail on the first character: look for it first.
            at = literalLead ? text.find(lead.ch, at, end) : at;
            if (at >= end)
                return false;
            if (matchesAt(segment, at))
                break;
        }
        pos = at + segment.size();
    }
    const Segment &last = m_segments.back();
    if (size < last.size() || size - last.size() < pos)
        return false;
    return matchesAt(last, size - last.size());
}

namespace {

constexpr char32_t foldAscii(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

// The first byte at or after `from` and before `end` that reads `lower`, a
// letter a to z, in either case; `end` when there is none.
size_t findEitherCase(std::string_view bytes, char lower, size_t from, size_t end)
{
    size_t i = from;
#ifdef __SSE2__
    // Sixteen bytes at a time: setting bit 5 makes A to Z read a to z and
    // turns no other byte into a letter.
    const __m128i wanted = _mm_set1_epi8(lower);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (; i + 16 <= end; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes.data() + i));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(block, caseBit), wanted));
        if (hits != 0)
            return i + size_t(__builtin_ctz(unsigned(hits)));
    }
#endif
    for (; i < end; ++i) {
        if ((bytes[i] | 0x20) == lower)
            return i;
    }
    return end;
}

// ASCII text read as the folded characters a pattern compares: a to z for A
// to Z when letter case is ignored (the case folding of ASCII), else as is.
template <bool IgnoreCase> struct AsciiText {
    std::string_view bytes;

    size_t size() const { return bytes.size(); }
    char32_t operator[](size_t i) const
    {
        const auto c = char32_t(static_cast<unsigned char>(bytes[i]));
        if constexpr (IgnoreCase)
            return foldAscii(c);
        return c;
    }
    // The first place in [from, end) that reads `c`, or `end`.
    size_t find(char32_t c, size_t from, size_t end) const
    {
        if (c >= 0x80)
            return end; // no ASCII byte reads as it
        if (IgnoreCase && c >= U'a' && c <= U'z')
            return findEitherCase(bytes, char(c), from, end);
        const void *found = std::memchr(bytes.data() + from, int(c), end - from);
        return found ? size_t(static_cast<const char *>(found) - bytes.data()) : end;
    }
};

// Whether UTF-8 text may be matched byte by byte against a pattern of ASCII
// characters and "%": it must be valid (none when it is not), and, when letter
// case is ignored, hold no character outside ASCII that folds to an ASCII
// letter. The long s (U+017F, to s) and the Kelvin sign (U+212A, to k) are the
// only ones.
std::optional<bool> bytewiseMatchable(std::string_view text, bool ignoreCase)
{
    bool matchable = true;
    for (size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        char32_t code = 0;
        if (!utf8::decode(text, at, code))
            return std::nullopt;
        if (ignoreCase && (code == 0x17F || code == 0x212A))
            matchable = false;
    }
    return matchable;
}

// Characters decoded and folded beforehand.
struct DecodedText {
    const std::u32string &characters;

    size_t size() const { return characters.size(); }
    char32_t operator[](size_t i) const { return characters[i]; }
    size_t find(char32_t c, size_t from, size_t end) const
    {
        for (size_t i = from; i < end; ++i) {
            if (characters[i] == c)
                return i;
        }
        return end;
    }
};

} // namespace

bool LikePattern::matches(QStringView text) const
{
    if (m_matchesNothing)
        return false;
    std::u32string t = codePoints(text);
    if (m_flavour == LikeFlavour::MsSql) {
        for (char32_t &c : t)
            c = c < 0x80 ? foldAscii(c) : QChar::toCaseFolded(c);
    }
    return matchFolded(DecodedText {t});
}

std::optional<bool> LikePattern::matchesUtf8(std::string_view text) const
{
    if (m_matchesNothing)
        return false;
    bool bytewise = utf8::isAscii(text);
    if (!bytewise && m_asciiLiterals) {
        const std::optional<bool> matchable = bytewiseMatchable(text, m_flavour == LikeFlavour::MsSql);
        if (!matchable)
            return std::nullopt;
        bytewise = *matchable;
    }
    if (bytewise) {
        if (m_flavour == LikeFlavour::MsSql)
            return matchFolded(AsciiText<true> {text});
        return matchFolded(AsciiText<false> {text});
    }
    // Kept between calls, so a search over many rows allocates it once.
    thread_local std::u32string decoded;
    decoded.resize(text.size()); // never more characters than bytes
    const bool ignoreCase = m_flavour == LikeFlavour::MsSql;
    size_t count = 0;
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            decoded[count++] = ignoreCase ? foldAscii(byte) : byte;
            ++at;
            continue;
        }
        char32_t code = 0;
        if (!utf8::decode(text, at, code))
            return std::nullopt;
        code = utf8::asSqliteConverts(code);
        decoded[count++] = ignoreCase ? QChar::toCaseFolded(code) : code;
    }
    decoded.resize(count);
    return matchFolded(DecodedText {decoded});
}

bool oracleLike(QStringView text, QStringView pattern)
{
    return LikePattern(pattern, LikeFlavour::Oracle).matches(text);
}

bool msSqlLike(QStringView text, QStringView pattern)
{
    return LikePattern(pattern, LikeFlavour::MsSql).matches(text);
}

} // namespace ks
