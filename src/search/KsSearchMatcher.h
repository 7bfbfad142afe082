#pragma once
// How a search text matches, for every kind of catalogue: what the engine's
// LIKE narrows by, written with that engine's escapes, and what the program
// decides itself, on the texts the statements hand back (names, comments and
// definitions) and in the viewer's marks. No widgets here.

#include "text/KsMatchHighlight.h"

#include <QRegularExpression>
#include <QString>
#include <QStringView>

namespace ks {

// How an engine's LIKE writes "%", "_" and "[" for themselves.
enum class LikeEngine {
    Oracle, // "\%" under ESCAPE '\' (the Oracle dictionary, the Designer)
    MsSql, // "[%]", "[_]", "[[]"
    Postgres, // "\%" under ESCAPE E'\\'
};

class SearchMatcher {
public:
    // The search text is trimmed as the search boxes trim it. `caseRule` is
    // how the kind compares letters when it ignores their case; `ignoreCase`
    // false compares them exactly. Raises ks::Error for a regular expression
    // that does not compile, with the parser's position and reason.
    SearchMatcher(MatchMode mode, const QString &searchText, bool ignoreCase, MatchCase caseRule);

    MatchMode mode() const { return m_mode; }
    // The search text, trimmed.
    const QString &text() const { return m_text; }
    // Whether the engine's LIKE alone decides what is found (Pattern, and
    // Text on one line); otherwise it only narrows and matches() decides.
    bool serverDecides() const { return m_mode == MatchMode::Pattern || (m_mode == MatchMode::Text && !m_spansLines); }

    // What goes between "%" and "%" of the LIKE that finds or narrows: in
    // Pattern mode the text as typed, wildcards kept; otherwise the literal
    // text every match contains (the whole text; a regular expression's
    // longest literal run, or nothing), written for `engine` so that every
    // character stands for itself. Apostrophes are not doubled here.
    QString likeText(LikeEngine engine) const;
    // Whether likeText(engine) holds the engine's escape character, so that
    // the LIKE needs its ESCAPE clause (Oracle, PostgreSQL).
    bool likeEscapes(LikeEngine engine) const;

    // Whether a match may run across the lines of a text kept one line a
    // row: a text or a regular expression that names a line break ("\n",
    // which in Text mode stands for a line break, not for itself).
    bool spansLines() const { return m_spansLines; }

    // The text every match contains, as typed; empty in Pattern mode and
    // where a regular expression has no such run.
    const QString &literal() const { return m_literal; }

    // Whether `text` holds a match. In Pattern mode: the pattern with "%"
    // as a wildcard, as the Oracle dictionary's texts kept in LONG columns
    // are matched in the program.
    bool matches(QStringView text) const;

    // What a viewer opened from the search marks: `kindHighlight` (the
    // kind's Pattern-mode marks) in this mode.
    SearchHighlight highlight(SearchHighlight kindHighlight) const;

private:
    MatchMode m_mode;
    QString m_text;
    MatchCase m_caseRule; // Exact when letter case counts
    bool m_spansLines = false;
    QString m_literal; // the text every match contains, unescaped
    QString m_foldedText; // Text mode: m_text folded by m_caseRule
    QRegularExpression m_expression; // Word and Regular Expression modes
};

// The longest run of characters that every match of the Perl-compatible
// `expression` contains, read conservatively: empty where the expression
// has an alternation at its top level, inline options, or no literal
// character that is certain to match.
QString longestLiteralRun(const QString &expression);

} // namespace ks
