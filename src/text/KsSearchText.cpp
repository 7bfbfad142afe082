#include "text/KsSearchText.h"

#include "base/KsStrings.h"

#include <algorithm>

namespace ks {

namespace {

QChar asciiUpperChar(QChar ch)
{
    const char16_t code = ch.unicode();
    return code >= u'a' && code <= u'z' ? QChar(char16_t(code - (u'a' - u'A'))) : ch;
}

// The skip-table entry of a character: its low byte, see TextSearcher.
int shiftIndex(QChar ch)
{
    return ch.unicode() & 0xFF;
}

} // namespace

TWordChars::TWordChars(QStringView chars)
{
    for (const QChar ch : chars)
        insert(ch);
}

void TWordChars::insert(QChar ch)
{
    if (ch.unicode() < 256)
        m_set.set(ch.unicode());
}

const TWordChars &defaultWordChars()
{
    static const TWordChars chars(u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_");
    return chars;
}

TextSearcher::TextSearcher(
    const QString &text, const QString &pattern, const TWordChars &wordChars, TFindOptions options)
    : m_text(text)
    , m_pattern(options.testFlag(frMatchCase) ? pattern : asciiUpper(pattern))
    , m_wordChars(wordChars)
    , m_options(options)
{
    const qsizetype m = m_pattern.size();
    if (m == 0 || m_text.isEmpty())
        return;
    if (m_options.testFlag(frWholeWord)
        && (!m_wordChars.contains(m_pattern.front()) || !m_wordChars.contains(m_pattern.back())))
        return;
    m_shift.fill(m);
    // The last occurrence of a character before the pattern's end wins: the
    // shortest safe skip for it.
    for (qsizetype j = 0; j + 1 < m; ++j)
        m_shift[shiftIndex(m_pattern.at(j))] = m - 1 - j;
    m_usable = true;
}

QChar TextSearcher::at(qsizetype index) const
{
    return m_text.at(index);
}

void TextSearcher::foldUpTo(qsizetype index)
{
    if (index < m_foldEnd)
        return;
    QChar *chars = m_text.data(); // the private copy is made at the first fold
    for (qsizetype i = m_foldEnd; i <= index; ++i)
        chars[i] = asciiUpperChar(chars[i]);
    m_foldEnd = index + 1;
}

bool TextSearcher::isWord(qsizetype index, qsizetype start, const CharBefore &before) const
{
    if (index < 0 || index >= m_text.size())
        return false;
    if (index == start - 1 && before.kind != CharBefore::FromText)
        return before.kind == CharBefore::Given && m_wordChars.contains(before.ch);
    return m_wordChars.contains(at(index));
}

void TextSearcher::nextCandidate(qsizetype &p, qsizetype start, const CharBefore &before)
{
    const qsizetype m = m_pattern.size();
    const bool fold = !m_options.testFlag(frMatchCase);
    while (p + m - 1 < m_text.size()) {
        if (fold)
            foldUpTo(p);
        const bool rejected = isWord(p - 1, start, before) || !isWord(p, start, before)
            || !isWord(p + m - 1, start, before) || isWord(p + m, start, before);
        if (!rejected)
            return;
        ++p;
    }
}

qsizetype TextSearcher::find(qsizetype start, CharBefore before)
{
    if (!m_usable)
        return 0;
    const qsizetype m = m_pattern.size();
    const qsizetype n = m_text.size();
    const bool fold = !m_options.testFlag(frMatchCase);
    const bool wholeWord = m_options.testFlag(frWholeWord);
    const qsizetype first = std::max<qsizetype>(start, 1) - 1; // 0-based
    qsizetype p = first;
    if (p + m > n)
        return 0;

    if (fold) {
        if (m_foldBegin < 0) {
            m_foldBegin = m_foldEnd = p;
        } else if (p < m_foldBegin) {
            // Searched again from further back: fold what lies between now.
            QChar *chars = m_text.data();
            for (qsizetype i = p; i < m_foldBegin; ++i)
                chars[i] = asciiUpperChar(chars[i]);
            m_foldBegin = p;
        }
    }

    if (wholeWord)
        nextCandidate(p, first, before);
    const QChar *pattern = m_pattern.constData();
    while (p + m <= n) {
        if (fold)
            foldUpTo(p + m - 1);
        qsizetype k = m - 1;
        while (k >= 0 && at(p + k) == pattern[k])
            --k;
        if (k < 0)
            return p + 1;
        p += m_shift[shiftIndex(at(p + m - 1))];
        if (wholeWord)
            nextCandidate(p, first, before);
    }
    return 0;
}

qsizetype SearchText(
    const QString &text, const QString &pattern, qsizetype start, const TWordChars &wordChars, TFindOptions options)
{
    return TextSearcher(text, pattern, wordChars, options).find(start);
}

bool sameFindText(const QString &a, const QString &b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiUpperChar(a.at(i)) != asciiUpperChar(b.at(i)))
            return false;
    }
    return true;
}

QString wordAtCaret(const QString &text, qsizetype caret, const TWordChars &wordChars)
{
    caret = std::clamp<qsizetype>(caret, 0, text.size());
    // The run may begin at the character after the caret, or end at the one before it.
    qsizetype begin = caret;
    if (caret < text.size() && wordChars.contains(text.at(caret)))
        begin = caret + 1;
    while (begin > 0 && wordChars.contains(text.at(begin - 1)))
        --begin;
    qsizetype end = caret;
    while (end < text.size() && wordChars.contains(text.at(end)))
        ++end;
    return begin < end ? text.mid(begin, end - begin) : QString();
}

bool AddToHistory(QStringList &history, const QString &text, bool caseSensitive, bool allowEmpty, int limit)
{
    if (text.isEmpty() && !allowEmpty)
        return false;
    history.removeIf([&](const QString &entry) { return sameFindText(entry, text, caseSensitive); });
    history.prepend(text);
    const qsizetype kept = std::max(limit, 1);
    if (history.size() > kept)
        history.erase(history.begin() + kept, history.end());
    return true;
}

} // namespace ks
