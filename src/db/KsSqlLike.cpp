#include "db/KsSqlLike.h"

#include "shell/KsStrings.h"

#include <QChar>

#include <string>

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
}

char32_t LikePattern::fold(char32_t c) const
{
    return m_flavour == LikeFlavour::MsSql ? QChar::toCaseFolded(c) : c;
}

bool LikePattern::atomMatches(const Atom &atom, char32_t c) const
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

bool LikePattern::segmentMatchesAt(const Segment &segment, const std::u32string &text, size_t at) const
{
    if (at + segment.size() > text.size())
        return false;
    for (size_t k = 0; k < segment.size(); ++k) {
        if (!atomMatches(segment[k], text[at + k]))
            return false;
    }
    return true;
}

bool LikePattern::matches(QStringView text) const
{
    if (m_matchesNothing)
        return false;
    std::u32string t = codePoints(text);
    if (m_flavour == LikeFlavour::MsSql) {
        for (char32_t &c : t)
            c = QChar::toCaseFolded(c);
    }

    const Segment &first = m_segments.front();
    if (m_segments.size() == 1)
        return first.size() == t.size() && segmentMatchesAt(first, t, 0);

    // The first run is anchored at the start, the last at the end; each run in
    // between takes the leftmost place after the one before it, which leaves
    // the most room for the rest because every run has a fixed length.
    if (!segmentMatchesAt(first, t, 0))
        return false;
    size_t pos = first.size();
    for (size_t s = 1; s + 1 < m_segments.size(); ++s) {
        const Segment &segment = m_segments[s];
        bool found = false;
        for (size_t at = pos; at + segment.size() <= t.size(); ++at) {
            if (segmentMatchesAt(segment, t, at)) {
                pos = at + segment.size();
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    const Segment &last = m_segments.back();
    if (t.size() < last.size() || t.size() - last.size() < pos)
        return false;
    return segmentMatchesAt(last, t, t.size() - last.size());
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
