#include "search/KsLikeMatch.h"

#include "db/KsUtf8.h"

#include <QStringView>

namespace ks {

namespace {

constexpr char16_t Wildcard = u'%';

// The pattern is literal segments joined by "%". The first segment must start
// the text and the last must end it; the segments between may stand anywhere
// in what is left, in their order. Taking each one at its leftmost occurrence
// never loses a match, because "%" can absorb whatever an earlier choice
// would have left over; so one left-to-right pass decides, with no
// backtracking and no recursion.
bool matchView(QStringView text, QStringView pattern)
{
    if (pattern.isEmpty())
        return true;
    const qsizetype firstWild = pattern.indexOf(QChar(Wildcard));
    if (firstWild < 0)
        return text == pattern;

    const qsizetype lastWild = pattern.lastIndexOf(QChar(Wildcard));
    const QStringView head = pattern.first(firstWild);
    const QStringView tail = pattern.sliced(lastWild + 1);
    // Head and tail may not share characters of the text.
    if (text.size() < head.size() + tail.size())
        return false;
    // Compared as slices: Qt holds that a null text does not start with "".
    if (text.first(head.size()) != head || text.last(tail.size()) != tail)
        return false;

    const QStringView middle = text.sliced(head.size(), text.size() - head.size() - tail.size());
    qsizetype from = 0;
    qsizetype segmentStart = firstWild + 1;
    while (segmentStart < lastWild) {
        const qsizetype segmentEnd = pattern.indexOf(QChar(Wildcard), segmentStart);
        const QStringView segment = pattern.sliced(segmentStart, segmentEnd - segmentStart);
        if (!segment.isEmpty()) {
            const qsizetype found = middle.indexOf(segment, from);
            if (found < 0)
                return false;
            from = found + segment.size();
        }
        segmentStart = segmentEnd + 1;
    }
    return true;
}

} // namespace

bool LikeMatch(const QString &text, const QString &pattern)
{
    return matchView(text, pattern);
}

bool LikeMatchIgnoreCase(const QString &text, const QString &pattern)
{
    // Both sides as the dialect's UPPER writes them, so the match in the
    // program agrees with UPPER(column) LIKE in the database.
    return matchView(changeCase(text, true), changeCase(pattern, true));
}

} // namespace ks
