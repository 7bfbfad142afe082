#include "text/KsViewerHighlight.h"

#include <QAbstractSlider>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// The marks stand out from the text and from the selection, which is the
// first occurrence when the viewer opens.
const QColor kMarkBackground(255, 226, 122);
// How many lines above the view a phrase over lines is looked for from.
constexpr int kLinesAbove = 50;

bool isWholeWord(QStringView text, const ks::TextRange &range, const ks::TWordChars &wordChars)
{
    if (range.length <= 0 || !wordChars.contains(text.at(range.start)) || !wordChars.contains(text.at(range.end() - 1)))
        return false;
    if (range.start > 0 && wordChars.contains(text.at(range.start - 1)))
        return false;
    return range.end() >= text.size() || !wordChars.contains(text.at(range.end()));
}

} // namespace

KsMatchHighlighter::KsMatchHighlighter(QPlainTextEdit *memo, const ks::SearchHighlight &highlight)
    : QObject(memo)
    , m_memo(memo)
    , m_memoObject(memo)
    , m_viewportObject(memo->viewport())
    , m_highlight(highlight)
    , m_finder(highlight)
{
    m_format.setBackground(kMarkBackground);
    m_format.setForeground(Qt::black);
    memo->installEventFilter(this);
    memo->viewport()->installEventFilter(this);
    connect(memo->document(), &QTextDocument::contentsChange, this, [this] { ++m_version; });
    // Actions are what the user does to a scroll bar (arrows, page, drag,
    // wheel); the program's own scrolling sets values without them.
    for (QAbstractSlider *bar : {static_cast<QAbstractSlider *>(memo->verticalScrollBar()),
             static_cast<QAbstractSlider *>(memo->horizontalScrollBar())})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_userMoved = true; });
    memo->viewport()->update();
}

KsMatchHighlighter::~KsMatchHighlighter() = default;

void KsMatchHighlighter::textInserted(QStringView text, int position)
{
    if (m_first || m_finder.isEmpty() || !m_memo)
        return;
    // The document keeps a line break as one paragraph separator, which a
    // phrase over lines names as "\n", one character for one.
    const std::optional<ks::TextRange> found = m_finder.spansLines()
        ? m_finder.first(text.toString().replace(QChar::ParagraphSeparator, u'\n'))
        : m_finder.first(text);
    if (!found)
        return;
    m_first = ks::TextRange {found->start + position, found->length};
    // Someone who is already reading elsewhere is not pulled away.
    if (!m_userMoved)
        selectFirst();
}

void KsMatchHighlighter::restart()
{
    m_first.reset();
    m_selected = false;
    m_userMoved = false;
}

void KsMatchHighlighter::selectFirst()
{
    QTextCursor cursor(m_memo->document());
    cursor.setPosition(int(m_first->start));
    cursor.setPosition(int(m_first->end()), QTextCursor::KeepAnchor);
    // Centred when it lies outside the page shown; a match already on
    // screen is selected where it stands.
    const bool onScreen = m_memo->viewport()->rect().contains(m_memo->cursorRect(cursor));
    m_memo->setTextCursor(cursor);
    if (!onScreen)
        m_memo->centerCursor();
    m_memo->ensureCursorVisible();
    m_selected = true;
}

bool KsMatchHighlighter::selectionInView() const
{
    return m_memo->viewport()->rect().contains(m_memo->cursorRect());
}

void KsMatchHighlighter::markVisibleLines()
{
    if (!m_memo || m_finder.isEmpty())
        return;
    const QTextBlock first = m_memo->cursorForPosition(QPoint(0, 0)).block();
    const QTextBlock last = m_memo->cursorForPosition(QPoint(0, std::max(m_memo->viewport()->height() - 1, 0))).block();
    const Marked now {first.blockNumber(), last.blockNumber(), m_version};
    if (now == m_marked)
        return;
    m_marked = now;

    QList<QTextEdit::ExtraSelection> selections;
    const auto select = [&selections, this](int from, int to) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_memo->document());
        selection.cursor.setPosition(from);
        selection.cursor.setPosition(to, QTextCursor::KeepAnchor);
        selection.format = m_format;
        selections << selection;
    };
    if (m_finder.spansLines()) {
        // A phrase over lines may begin above the view: the lines from a
        // few above it on, joined as the document counts its positions
        // (one for each line break), are searched as one text.
        QTextBlock start = first;
        for (int i = 0; i < kLinesAbove && start.previous().isValid(); ++i)
            start = start.previous();
        QString lines;
        for (QTextBlock block = start; block.isValid(); block = block.next()) {
            lines += block.text();
            if (block == last)
                break;
            lines += u'\n';
        }
        for (const ks::TextRange &range : m_finder.ranges(lines)) {
            if (start.position() + range.end() >= first.position())
                select(start.position() + int(range.start), start.position() + int(range.end()));
        }
        m_memo->setExtraSelections(selections);
        return;
    }
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        const QList<ks::TextRange> ranges = m_finder.ranges(block.text());
        for (const ks::TextRange &range : ranges) {
            select(block.position() + int(range.start), block.position() + int(range.end()));
        }
        if (block == last)
            break;
    }
    m_memo->setExtraSelections(selections);
}

bool KsMatchHighlighter::eventFilter(QObject *watched, QEvent *event)
{
    // Told apart by identity alone: the memo and its viewport still send
    // events while they are being destroyed, when they are no longer what
    // they were made as.
    if (watched == m_viewportObject) {
        switch (event->type()) {
        case QEvent::Paint:
            // The marks must be in place before this paint draws the lines.
            markVisibleLines();
            break;
        case QEvent::Resize:
            // The window got its size after the first occurrence was
            // selected: keep it on screen while the user has not moved.
            if (m_selected && !m_userMoved) {
                QTimer::singleShot(0, this, [this] {
                    if (m_memo && !m_userMoved && !selectionInView())
                        m_memo->centerCursor();
                });
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            m_userMoved = true;
            break;
        default:
            break;
        }
    } else if (watched == m_memoObject && event->type() == QEvent::KeyPress) {
        m_userMoved = true;
    }
    return false;
}

namespace ks {

std::optional<TextRange> findInMemoLines(
    const QPlainTextEdit *memo, const MatchFinder &finder, int from, const TWordChars *wholeWord)
{
    if (finder.isEmpty())
        return std::nullopt;
    const QTextDocument *document = memo->document();
    if (finder.spansLines()) {
        // A phrase over lines is looked for in the whole text, its line
        // breaks one "\n" each, as the document counts its positions.
        const QString text = document->toRawText().replace(QChar::ParagraphSeparator, u'\n');
        qsizetype at = std::max(from, 0);
        while (const std::optional<TextRange> found = finder.first(text, at)) {
            if (!wholeWord || isWholeWord(text, *found, *wholeWord))
                return found;
            at = found->start + 1;
        }
        return std::nullopt;
    }
    for (QTextBlock block = document->findBlock(std::max(from, 0)); block.isValid(); block = block.next()) {
        const QString text = block.text();
        qsizetype local = std::max(from - block.position(), 0);
        while (const std::optional<TextRange> found = finder.first(text, local)) {
            if (!wholeWord || isWholeWord(text, *found, *wholeWord))
                return TextRange {block.position() + found->start, found->length};
            local = found->start + 1;
        }
    }
    return std::nullopt;
}

} // namespace ks
