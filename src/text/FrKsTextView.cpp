#include "text/FrKsTextView.h"

#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "text/KsFixedFont.h"
#include "text/KsTextFile.h"
#include "text/KsTextPrinter.h"
#include "text/KsViewerHighlight.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QFontMetricsF>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kTabStopChars = 8;

} // namespace

TfrKsTextViewer::TfrKsTextViewer(QWidget *parent)
    : QWidget(parent)
    , m_memo(new QPlainTextEdit(this))
    , m_flushTimer(new QTimer(this))
    , FindDialog(new TTolmFindReplace(this))
{
    setObjectName(QStringLiteral("frKsTextViewer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_memo);

    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->setReadOnly(true);
    // The caret still moves and selects with the keyboard, as in any read-only editor.
    m_memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A viewer's text is never edited, so there is nothing to undo; keeping
    // an undo history would only double the memory a long text takes.
    m_memo->setUndoRedoEnabled(false);
    m_memo->setFont(ks::courierNew10());
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Text, Qt::black);
    m_memo->setPalette(palette);
    m_memo->setTabChangesFocus(false);
    m_memo->setTabStopDistance(kTabStopChars * QFontMetricsF(m_memo->font()).horizontalAdvance(QLatin1Char(' ')));
    setWordWrap(false);

    FindDialog->setObjectName(QStringLiteral("FindDialog"));
    FindDialog->setTarget(m_memo);
    FindDialog->setStyle(ks::frFind);
    // Forward only: the direction choice is not shown.
    FindDialog->setOptions(ks::frDown | ks::frHideUpDown);
    FindDialog->OnFind = [this](QObject *) { findNextOccurrence(); };

    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);
    connect(m_flushTimer, &QTimer::timeout, this, [this] { flush(); });
}

TfrKsTextViewer::~TfrKsTextViewer() = default;

void TfrKsTextViewer::setCaption(const QString &caption)
{
    m_caption = caption;
}

void TfrKsTextViewer::appendLines(const QString &text)
{
    // Every insertion into the document costs tens of microseconds of layout
    // bookkeeping; a definition of 100,000 lines written one line at a time
    // would freeze the window for seconds. So lines are collected and go into
    // the document in one insertion.
    if (m_hasLines || m_hasPending)
        m_pending += QChar::ParagraphSeparator;
    ks::appendAsParagraphs(m_pending, text);
    m_hasPending = true;
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TfrKsTextViewer::flush() const
{
    if (!m_hasPending)
        return;
    m_flushTimer->stop();
    QTextCursor cursor(m_memo->document());
    cursor.movePosition(QTextCursor::End);
    const int position = cursor.position();
    cursor.insertText(m_pending);
    if (!m_hasLines) {
        // The caret sat at the end of the empty memo and moved along with the
        // text; a definition is read from its top.
        m_memo->moveCursor(QTextCursor::Start);
        m_hasLines = true;
    }
    if (m_highlighter)
        m_highlighter->textInserted(m_pending, position);
    m_pending.clear();
    m_pending.squeeze();
    m_hasPending = false;
}

int TfrKsTextViewer::lineCount() const
{
    flush();
    return m_hasLines ? m_memo->document()->blockCount() : 0;
}

QStringList TfrKsTextViewer::lines() const
{
    QStringList result;
    const int count = lineCount();
    if (count == 0)
        return result;
    result.reserve(count);
    for (QTextBlock block = m_memo->document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

QString TfrKsTextViewer::text() const
{
    return lines().join(QLatin1Char('\n'));
}

void TfrKsTextViewer::clear()
{
    m_flushTimer->stop();
    m_pending.clear();
    m_hasPending = false;
    m_memo->clear();
    m_hasLines = false;
    if (m_highlighter)
        m_highlighter->restart();
}

bool TfrKsTextViewer::wordWrap() const
{
    return m_memo->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TfrKsTextViewer::setWordWrap(bool on)
{
    m_memo->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    // Wrapped text never needs the horizontal bar; otherwise both bars stay
    // in place so that the window does not change shape as the text grows.
    m_memo->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TfrKsTextViewer::Copy()
{
    if (lineCount() == 0)
        return;
    // The text comes from the document rather than through a select-all, so
    // the user's selection is never disturbed.
    ks::clipboard().setText(text());
}

void TfrKsTextViewer::Save()
{
    ks::SaveFileRequest request;
    request.filter = QStringLiteral("Text Files (*.txt);;All Files (*)");
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    const QString fileName = ks::fileDialogs().saveFileName(this, request);
    if (fileName.isEmpty())
        return;
    saveToFile(fileName);
}

void TfrKsTextViewer::saveToFile(const QString &fileName) const
{
    ks::writeLinesCrLf(fileName, lines());
}

void TfrKsTextViewer::Print()
{
    if (lineCount() == 0) {
        ks::printing().beep();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    // Margins of zero are raised to what the printer cannot reach, so the
    // text starts at the corner of the printable area.
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (!ks::printing().runPrintDialog(printer, this))
        return;
    ks::printTextLines(printer, m_caption, lines());
}

void TfrKsTextViewer::setSearchHighlight(const ks::SearchHighlight &highlight)
{
    flush();
    if (m_highlighter) {
        // A highlight that is replaced or dropped takes its marks along.
        m_memo->setExtraSelections({});
        delete m_highlighter.data();
    }
    m_searchFindText.clear();
    m_searchMode = highlight.mode;
    m_findOffered = false;
    if (highlight.isEmpty())
        return;
    m_highlighter = new KsMatchHighlighter(m_memo, highlight); // a child of the memo
    if (m_hasLines)
        m_highlighter->textInserted(m_memo->document()->toRawText(), 0);

    const QStringList runs = m_highlighter->finder().runs();
    m_searchFindText = runs.isEmpty() ? QString() : runs.first();
    FindDialog->setFindText(m_searchFindText);
    const bool exact = highlight.caseRule == ks::MatchCase::Exact;
    ks::TFindOptions options = FindDialog->Options();
    options.setFlag(ks::frMatchCase, exact);
    FindDialog->setOptions(options);
    m_ignoreCaseRule = exact ? ks::MatchCase::CaseFolded : highlight.caseRule;
}

ks::SearchHighlight TfrKsTextViewer::searchHighlight() const
{
    return m_highlighter ? m_highlighter->highlight() : ks::SearchHighlight();
}

KsMatchHighlighter *TfrKsTextViewer::matchHighlighter() const
{
    return m_highlighter;
}

void TfrKsTextViewer::Find()
{
    flush();
    FindDialog->setStyle(ks::frFind);
    FindDialog->Execute();
    // The dialog took the selection or the word at the caret; where both
    // are still what the viewer put there, the search text is the better
    // offer, as typed.
    if (!m_findOffered) {
        m_findOffered = true;
        if (!m_searchFindText.isEmpty() && m_highlighter && !m_highlighter->userHasMoved())
            FindDialog->setFindText(m_searchFindText);
    }
}

void TfrKsTextViewer::FindNext()
{
    flush();
    FindDialog->FindNext();
}

void TfrKsTextViewer::findNextOccurrence()
{
    const QString findText = FindDialog->FindText();
    const ks::TFindOptions options = FindDialog->Options();
    ks::SearchHighlight what;
    what.text = findText;
    what.caseRule = options.testFlag(ks::frMatchCase) ? ks::MatchCase::Exact : m_ignoreCaseRule;
    if (!findText.isEmpty() && findText == m_searchFindText)
        what.mode = m_searchMode;
    const ks::MatchFinder finder(what);
    const ks::TWordChars &wordChars = FindDialog->WordChars();
    const bool wholeWord = options.testFlag(ks::frWholeWord);

    // From the character after the start of the selection: the next match
    // may overlap the one selected now.
    QTextCursor cursor = m_memo->textCursor();
    // An expression goes on after the end: from within its match it would
    // find the rest of that match again.
    const int from = what.mode == ks::MatchMode::RegularExpression
        ? cursor.selectionEnd()
        : cursor.selectionStart() + (cursor.hasSelection() ? 1 : 0);
    std::optional<ks::TextRange> found;
    if (!findText.isEmpty()
        && (!wholeWord || (wordChars.contains(findText.front()) && wordChars.contains(findText.back()))))
        found = ks::findInMemoLines(m_memo, finder, from, wholeWord ? &wordChars : nullptr);
    if (!found) {
        QWidget *dialog = FindDialog->dialog();
        ks::messageBoxes().notify(dialog && dialog->isVisible() ? dialog : window(),
            QStringLiteral("There are no (more) occurences of \"") + findText + QLatin1Char('"'),
            ks::MessageIcon::Warning);
        return;
    }
    cursor.setPosition(int(found->start));
    cursor.setPosition(int(found->end()), QTextCursor::KeepAnchor);
    m_memo->setTextCursor(cursor);
    m_memo->ensureCursorVisible();
}
