#include "search/KsSearchMatcher.h"

#include "base/KsStrings.h"
#include "search/KsFindText.h"
#include "search/KsLikeMatch.h"

namespace ks {

namespace {

// Whether `ch` ends the run a quantifier applies to by taking it away:
// "?", "*" and "{" may repeat the character before them zero times.
bool dropsPrevious(QChar ch)
{
    return ch == u'?' || ch == u'*' || ch == u'{';
}

// The position after the group that opens at `open` ("("), or -1 when it
// is not closed.
qsizetype groupEnd(const QString &expression, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < expression.size(); ++i) {
        const QChar ch = expression.at(i);
        if (ch == u'\\') {
            ++i;
        } else if (ch == u'[') {
            // A class may hold parentheses; "]" right after "[" or "[^" is one of its members.
            i += expression.mid(i + 1, 1) == QStringLiteral("^") ? 2 : 1;
            if (i < expression.size() && expression.at(i) == u']')
                ++i;
            while (i < expression.size() && expression.at(i) != u']')
                i += expression.at(i) == u'\\' ? 2 : 1;
        } else if (ch == u'(') {
            ++depth;
        } else if (ch == u')' && --depth == 0) {
            return i + 1;
        }
    }
    return -1;
}

} // namespace

QString longestLiteralRun(const QString &expression)
{
    QString longest;
    QString run;
    const auto endRun = [&longest, &run] {
        if (run.size() > longest.size())
            longest = run;
        run.clear();
    };
    for (qsizetype i = 0; i < expression.size();) {
        const QChar ch = expression.at(i);
        if (ch == u'|')
            return {}; // either side may be the one that matches
        if (ch == u'(') {
            // Inline options ("(?i)", "(?x)") change how the rest reads.
            if (expression.mid(i + 1, 1) == QStringLiteral("?") && i + 2 < expression.size()
                && (expression.at(i + 2).isLetter() || expression.at(i + 2) == u'-' || expression.at(i + 2) == u'^'))
                return {};
            endRun();
            const qsizetype end = groupEnd(expression, i);
            if (end < 0)
                return {};
            i = end;
            continue;
        }
        if (ch == u'[' || ch == u'.' || ch == u'^' || ch == u'$' || ch == u')') {
            endRun();
            if (ch == u'[') {
                // Past the class; "]" right after "[" or "[^" is one of its members.
                qsizetype j = i + 1;
                if (j < expression.size() && expression.at(j) == u'^')
                    ++j;
                if (j < expression.size() && expression.at(j) == u']')
                    ++j;
                while (j < expression.size() && expression.at(j) != u']')
                    j += expression.at(j) == u'\\' ? 2 : 1;
                i = j + 1;
                continue;
            }
            ++i;
            continue;
        }
        if (dropsPrevious(ch) || ch == u'+') {
            // The character before may repeat: with "+" it is there at least
            // once, but what follows it is not next to it.
            if (dropsPrevious(ch))
                run.chop(1);
            endRun();
            if (ch == u'{') {
                const qsizetype close = expression.indexOf(u'}', i);
                i = close < 0 ? i + 1 : close + 1;
            } else {
                ++i;
            }
            continue;
        }
        if (ch == u'\\') {
            if (i + 1 >= expression.size())
                return {};
            const QChar next = expression.at(i + 1);
            if (next.isLetterOrNumber()) {
                // A class, an anchor, a back-reference or "\Q": no character of its own.
                if (next == u'Q')
                    return {};
                endRun();
            } else {
                run += next;
            }
            i += 2;
            continue;
        }
        run += ch;
        ++i;
    }
    endRun();
    return longest;
}

SearchMatcher::SearchMatcher(MatchMode mode, const QString &searchText, bool ignoreCase, MatchCase caseRule)
    : m_mode(mode)
    , m_text(trimControl(searchText))
    , m_caseRule(ignoreCase ? caseRule : MatchCase::Exact)
{
    switch (m_mode) {
    case MatchMode::Pattern:
        break;
    case MatchMode::Text: {
        // "\n" stands for a line break: a phrase over the lines of a source.
        QString phrase = m_text;
        m_spansLines = phrase.contains(QStringLiteral("\\n"));
        if (m_spansLines) {
            phrase.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            // The statements narrow by what one line holds: its longest piece.
            for (const QString &piece : phrase.split(u'\n')) {
                if (piece.size() > m_literal.size())
                    m_literal = piece;
            }
        } else {
            m_literal = phrase;
        }
        m_foldedText = foldCase(phrase, m_caseRule);
        break;
    }
    case MatchMode::Word:
    case MatchMode::RegularExpression: {
        m_literal = m_mode == MatchMode::Word ? m_text : longestLiteralRun(m_text);
        m_spansLines = m_mode == MatchMode::RegularExpression && m_text.contains(QStringLiteral("\\n"));
        m_expression = matchExpression(highlight({}));
        if (!m_expression.isValid())
            throw Error(QStringLiteral("The regular expression \"%1\" is not valid at character %2: %3.")
                            .arg(m_text)
                            .arg(m_expression.patternErrorOffset() + 1)
                            .arg(m_expression.errorString()));
        // Compiled now, not by the first row on the worker.
        m_expression.optimize();
        break;
    }
    }
}

QString SearchMatcher::likeText(LikeEngine engine) const
{
    if (m_mode == MatchMode::Pattern)
        return m_text;
    QString escaped;
    escaped.reserve(m_literal.size() + 8);
    const bool escaping = likeEscapes(engine);
    for (const QChar ch : m_literal) {
        if (engine == LikeEngine::MsSql) {
            if (ch == u'%' || ch == u'_' || ch == u'[')
                escaped += u'[' + QString(ch) + u']';
            else
                escaped += ch;
        } else if (escaping && (ch == u'%' || ch == u'_' || ch == u'\\')) {
            escaped += u'\\';
            escaped += ch;
        } else {
            escaped += ch;
        }
    }
    return escaped;
}

bool SearchMatcher::likeEscapes(LikeEngine engine) const
{
    // Only where a wildcard needs it, so that a text without one reads as
    // the same statement Pattern mode runs.
    return m_mode != MatchMode::Pattern && engine != LikeEngine::MsSql
        && (m_literal.contains(u'%') || m_literal.contains(u'_'));
}

bool SearchMatcher::matches(QStringView text) const
{
    switch (m_mode) {
    case MatchMode::Pattern: {
        const QString pattern = u'%' + quotedFind(m_text) + u'%';
        const QString whole = text.toString();
        return m_caseRule == MatchCase::Exact ? LikeMatch(whole, pattern) : LikeMatchIgnoreCase(whole, pattern);
    }
    case MatchMode::Text: {
        if (m_spansLines) {
            // A line break is one whether a text keeps it as LF or CR LF.
            QString lines = text.toString();
            lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            return foldCase(lines, m_caseRule).contains(m_foldedText);
        }
        if (m_caseRule == MatchCase::Exact)
            return text.contains(m_foldedText);
        return foldCase(text, m_caseRule).contains(m_foldedText);
    }
    case MatchMode::Word:
    case MatchMode::RegularExpression:
        return m_expression.match(text).hasMatch();
    }
    return false;
}

SearchHighlight SearchMatcher::highlight(SearchHighlight kindHighlight) const
{
    kindHighlight.text = m_text;
    kindHighlight.mode = m_mode;
    kindHighlight.caseRule = m_caseRule;
    return kindHighlight;
}

} // namespace ks
