#pragma once
// Marks the occurrences of a search text in a viewer's memo and selects the
// first one as it arrives. Only the lines on screen are marked, each time
// the memo is about to paint a part of the text it has not marked yet, so
// opening, scrolling and growing a text of any length costs no more than
// its visible lines. The marks are extra selections of the memo: the text
// itself, and so what is copied, saved and printed, never carries them.

#include "text/KsMatchHighlight.h"
#include "text/KsSearchText.h"

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>

#include <optional>

class QPlainTextEdit;

class KsMatchHighlighter : public QObject {
    Q_OBJECT
public:
    // Marks in `memo`, whose child it becomes; finds nothing for an empty highlight.
    KsMatchHighlighter(QPlainTextEdit *memo, const ks::SearchHighlight &highlight);
    ~KsMatchHighlighter() override;

    const ks::SearchHighlight &highlight() const { return m_highlight; }
    const ks::MatchFinder &finder() const { return m_finder; }

    // `text` has just gone into the memo at document position `position`,
    // line breaks as paragraph separators. Until the first occurrence has
    // been found it is searched there; the first one found is selected and
    // scrolled into view, unless the user has moved through the text since
    // the viewer opened.
    void textInserted(QStringView text, int position);
    // The memo was emptied: the next text is searched again from its start.
    void restart();

    // The first occurrence found, in document positions.
    std::optional<ks::TextRange> firstOccurrence() const { return m_first; }
    // The user has clicked, pressed a key or scrolled in the memo.
    bool userHasMoved() const { return m_userMoved; }

    // Marks the lines on screen now, if they are not marked yet.
    void markVisibleLines();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectFirst();
    bool selectionInView() const;

    QPointer<QPlainTextEdit> m_memo;
    // The memo and its viewport as the event filter knows them.
    const QObject *m_memoObject;
    const QObject *m_viewportObject;
    ks::SearchHighlight m_highlight;
    ks::MatchFinder m_finder;
    QTextCharFormat m_format;
    std::optional<ks::TextRange> m_first;
    bool m_selected = false; // the first occurrence has been selected
    bool m_userMoved = false;
    // What is marked now: the lines on screen at one version of the text.
    struct Marked {
        int firstBlock = -1;
        int lastBlock = -1;
        quint64 version = 0;
        bool operator==(const Marked &) const = default;
    };
    Marked m_marked;
    quint64 m_version = 0; // counts the changes of the text
};

namespace ks {

// The first occurrence of `finder`'s runs in `memo` that starts at or after
// document position `from`, searched line by line (an occurrence never
// spans lines). With `wholeWord` the occurrence must begin and end with a
// word character and have none right before or after it.
std::optional<TextRange> findInMemoLines(
    const QPlainTextEdit *memo, const MatchFinder &finder, int from, const TWordChars *wholeWord = nullptr);

} // namespace ks
