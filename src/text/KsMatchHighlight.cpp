#include "text/KsMatchHighlight.h"

#include "base/KsStrings.h"

#include <QChar>

#include <algorithm>
#include <vector>

namespace ks {

namespace {

// How much of a long text is folded at a time while looking for the first
// occurrence.
constexpr qsizetype kFoldPiece = 1 << 16;

char32_t mapCharacter(char32_t code, MatchCase rule)
{
    return rule == MatchCase::UpperEach ? QChar::toUpper(code) : QChar::toCaseFolded(code);
}

// Whether `text` is exactly one character: one unit that is not half of a
// pair, or one whole surrogate pair.
bool isOneCharacter(QStringView text)
{
    if (text.size() == 1)
        return !text.front().isSurrogate();
    return text.size() == 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
}

// The literal runs of the highlight's text in their order; none when the
// pattern can match nothing (an unclosed set).
QStringList literalRuns(const SearchHighlight &highlight)
{
    const QString &pattern = highlight.text;
    if (highlight.mode == MatchMode::Text && pattern.contains(QStringLiteral("\\n")))
        return {QString(pattern).replace(QStringLiteral("\\n"), QStringLiteral("\n"))}; // "\n" is a line break
    if (highlight.mode != MatchMode::Pattern)
        return pattern.isEmpty() ? QStringList() : QStringList {pattern};
    QStringList runs;
    QString run;
    const auto endRun = [&runs, &run] {
        if (!run.isEmpty())
            runs << run;
        run.clear();
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar ch = pattern.at(i);
        if (highlight.wildcards && (ch == u'%' || ch == u'_')) {
            endRun();
            continue;
        }
        if (highlight.bracketSets && ch == u'[') {
            // Read as the server reads it: an optional "^", then everything
            // up to the first "]" after it.
            qsizetype first = i + 1;
            const bool negated = first < pattern.size() && pattern.at(first) == u'^';
            if (negated)
                ++first;
            const qsizetype close = pattern.indexOf(u']', first);
            if (close < 0)
                return {};
            const QStringView content = QStringView(pattern).sliced(first, close - first);
            if (!negated && isOneCharacter(content))
                run += content;
            else
                endRun();
            i = close;
            continue;
        }
        run += ch;
    }
    endRun();
    return runs;
}

// A zero-width match marks nothing; the search goes on after it.
QRegularExpressionMatch nextMatch(const QRegularExpression &expression, QStringView text, qsizetype from)
{
    for (; from <= text.size(); ++from) {
        QRegularExpressionMatch match = expression.match(text, from);
        if (!match.hasMatch())
            return match;
        if (match.capturedLength() > 0)
            return match;
        from = match.capturedStart();
    }
    return {};
}

} // namespace

bool isWordCharacter(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'_' || ch == u'$' || ch == u'#';
}

QRegularExpression matchExpression(const SearchHighlight &highlight)
{
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (highlight.caseRule != MatchCase::Exact)
        options |= QRegularExpression::CaseInsensitiveOption;
    if (highlight.mode == MatchMode::RegularExpression)
        return QRegularExpression(highlight.text, options);
    if (highlight.mode != MatchMode::Word || highlight.text.isEmpty())
        return QRegularExpression(QStringLiteral("(?!)"));
    // The class written out, so that it agrees with isWordCharacter.
    static const QString word = QStringLiteral("[\\p{L}\\p{N}_$#]");
    QString pattern = QRegularExpression::escape(highlight.text);
    if (isWordCharacter(highlight.text.front()))
        pattern.prepend(QStringLiteral("(?<!") + word + u')');
    if (isWordCharacter(highlight.text.back()))
        pattern.append(QStringLiteral("(?!") + word + u')');
    return QRegularExpression(pattern, options);
}

SearchHighlight SearchHighlight::oracleSearch(const QString &searchText, bool ignoreCase)
{
    SearchHighlight highlight;
    highlight.text = trimControl(searchText);
    highlight.caseRule = ignoreCase ? MatchCase::UpperEach : MatchCase::Exact;
    highlight.wildcards = true;
    return highlight;
}

SearchHighlight SearchHighlight::msSqlSearch(const QString &searchText)
{
    SearchHighlight highlight;
    highlight.text = trimControl(searchText);
    highlight.caseRule = MatchCase::CaseFolded;
    highlight.wildcards = true;
    highlight.bracketSets = true;
    return highlight;
}

QString foldCase(QStringView text, MatchCase rule)
{
    if (rule == MatchCase::Exact)
        return text.toString();
    const bool upper = rule == MatchCase::UpperEach;
    const qsizetype size = text.size();
    QString result(size, Qt::Uninitialized);
    const QChar *in = text.data();
    QChar *out = result.data();
    for (qsizetype i = 0; i < size;) {
        const char16_t unit = in[i].unicode();
        if (unit < 0x80) {
            // ASCII first and fast: case folding of ASCII is lower case.
            if (upper)
                out[i] = QChar(unit >= u'a' && unit <= u'z' ? char16_t(unit - (u'a' - u'A')) : unit);
            else
                out[i] = QChar(unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit);
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < size && in[i + 1].isLowSurrogate()) {
            const char32_t mapped = mapCharacter(QChar::surrogateToUcs4(in[i], in[i + 1]), rule);
            const bool keepsSize = QChar::requiresSurrogates(mapped);
            out[i] = keepsSize ? QChar(QChar::highSurrogate(mapped)) : in[i];
            out[i + 1] = keepsSize ? QChar(QChar::lowSurrogate(mapped)) : in[i + 1];
            i += 2;
            continue;
        }
        const char32_t mapped = mapCharacter(unit, rule);
        out[i] = QChar::requiresSurrogates(mapped) ? in[i] : QChar(char16_t(mapped));
        ++i;
    }
    return result;
}

MatchFinder::MatchFinder(const SearchHighlight &highlight)
    : m_case(highlight.caseRule)
    , m_spansLines((highlight.mode == MatchMode::Text || highlight.mode == MatchMode::RegularExpression)
          && highlight.text.contains(QStringLiteral("\\n")))
{
    if (highlight.mode == MatchMode::Word || highlight.mode == MatchMode::RegularExpression) {
        m_expression = matchExpression(highlight);
        m_byExpression = !highlight.text.isEmpty() && m_expression.isValid();
        if (m_byExpression)
            m_runs << highlight.text;
        return;
    }
    const QStringList runs = literalRuns(highlight);
    for (const QString &run : runs) {
        const QString folded = foldCase(run, m_case);
        if (m_folded.contains(folded))
            continue;
        m_runs << run;
        m_folded << folded;
    }
}

template <typename Found> void MatchFinder::scan(QStringView folded, qsizetype from, Found &&found) const
{
    // The next occurrence of each run at or after the end of the last one
    // taken; a run is searched again only when its occurrence was passed.
    std::vector<qsizetype> next(size_t(m_folded.size()));
    for (size_t r = 0; r < next.size(); ++r)
        next[r] = folded.indexOf(m_folded.at(qsizetype(r)), from);
    for (;;) {
        qsizetype best = -1;
        for (size_t r = 0; r < next.size(); ++r) {
            if (next[r] < 0)
                continue;
            if (best < 0 || next[r] < next[size_t(best)]
                || (next[r] == next[size_t(best)] && m_folded.at(qsizetype(r)).size() > m_folded.at(best).size()))
                best = qsizetype(r);
        }
        if (best < 0)
            return;
        const TextRange range {next[size_t(best)], m_folded.at(best).size()};
        if (!found(range))
            return;
        for (size_t r = 0; r < next.size(); ++r) {
            if (next[r] >= 0 && next[r] < range.end())
                next[r] = folded.indexOf(m_folded.at(qsizetype(r)), range.end());
        }
    }
}

QList<TextRange> MatchFinder::ranges(QStringView text) const
{
    QList<TextRange> result;
    if (isEmpty() || text.isEmpty())
        return result;
    if (m_byExpression) {
        for (qsizetype from = 0;;) {
            const QRegularExpressionMatch match = nextMatch(m_expression, text, from);
            if (!match.hasMatch())
                return result;
            result << TextRange {match.capturedStart(), match.capturedLength()};
            from = match.capturedEnd();
        }
    }
    const QString folded = m_case == MatchCase::Exact ? QString() : foldCase(text, m_case);
    scan(m_case == MatchCase::Exact ? text : QStringView(folded), 0, [&result](const TextRange &range) {
        result << range;
        return true;
    });
    return result;
}

std::optional<TextRange> MatchFinder::first(QStringView text, qsizetype from) const
{
    from = std::max<qsizetype>(from, 0);
    if (isEmpty() || from >= text.size())
        return std::nullopt;
    if (m_byExpression) {
        const QRegularExpressionMatch match = nextMatch(m_expression, text, from);
        if (!match.hasMatch())
            return std::nullopt;
        return TextRange {match.capturedStart(), match.capturedLength()};
    }
    std::optional<TextRange> result;
    const auto take = [&result](const TextRange &range) {
        result = range;
        return false;
    };
    if (m_case == MatchCase::Exact) {
        scan(text, from, take);
        return result;
    }
    // Folded piece by piece, so that an occurrence near the start of a long
    // text costs no more than the piece it is in. Each piece reaches as far
    // beyond its end as the longest run, so that an occurrence starting in it
    // is found whole; one that starts beyond its end is left to the next.
    qsizetype longest = 0;
    for (const QString &run : m_folded)
        longest = std::max(longest, run.size());
    for (qsizetype begin = from; begin < text.size();) {
        const qsizetype end = std::min(text.size(), begin + kFoldPiece);
        const qsizetype reach = std::min(text.size(), end + longest - 1);
        const QString folded = foldCase(text.sliced(begin, reach - begin), m_case);
        result.reset();
        scan(folded, 0, take);
        if (result && begin + result->start < end)
            return TextRange {begin + result->start, result->length};
        begin = end;
    }
    return std::nullopt;
}

QList<TextRange> highlightRanges(QStringView text, const SearchHighlight &highlight)
{
    return MatchFinder(highlight).ranges(text);
}

} // namespace ks
