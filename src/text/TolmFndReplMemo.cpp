// The built-in search and replace of TTolmFindReplace on a memo target.
// Positions are 1-based in the memo's whole text, where a line break counts
// as one character, as the memo's own cursor counts it.

#include "base/KsSeams.h"
#include "text/KsMemo.h"
#include "text/TolmFndRepl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {

// How long Replace All works before it lets the user interface catch up.
constexpr qint64 kEventsIntervalMs = 50;

QString inQuotes(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void selectInMemo(QPlainTextEdit *memo, QTextCursor &cursor, qsizetype start, qsizetype length)
{
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

} // namespace

void TTolmFindReplace::findInMemo(QPlainTextEdit *target)
{
    QTextCursor cursor = target->textCursor();
    if (m_options.testFlag(ks::frReplace)
        && ks::sameFindText(ks::selectedMemoText(cursor), m_findText, m_options.testFlag(ks::frMatchCase))) {
        cursor.insertText(m_replaceText);
        target->setTextCursor(cursor);
    }
    // From the character after the start of the selection: the next match
    // may overlap the one selected now.
    const qsizetype start = cursor.selectionStart() + 1 + (cursor.hasSelection() ? 1 : 0);
    const qsizetype found = ks::SearchText(ks::memoText(target), m_findText, start, m_wordChars, m_options);
    if (found == 0) {
        ks::messageBoxes().notify(messageParent(),
            QStringLiteral("There are no (more) occurences of ") + inQuotes(m_findText), ks::MessageIcon::Warning);
        return;
    }
    selectInMemo(target, cursor, found - 1, m_findText.size());
    target->ensureCursorVisible();
}

void TTolmFindReplace::replaceAllInMemo(QPlainTextEdit *target)
{
    // The text is read once and searched on from where the last replacement
    // ended: what lies behind the caret is still the text as read, so no
    // replacement is ever searched and the memo is not read again for every
    // match. Only when something else changed the memo meanwhile (the user,
    // or lines added while the interface caught up) is it read again.
    const QPointer<TTolmFindReplace> self(this);
    const QPointer<QPlainTextEdit> memoAlive(target);
    m_busy = true;
    const auto notBusy = qScopeGuard([this, &self] {
        if (self)
            m_busy = false;
    });

    const QString findText = m_findText;
    const QString replaceText = m_replaceText;
    const ks::TFindOptions options = m_options | ks::frDown;
    QTextDocument *document = target->document();
    const int rememberedStart = target->textCursor().selectionStart();
    QTextCursor cursor(document);
    target->setTextCursor(cursor);

    using CharBefore = ks::TextSearcher::CharBefore;
    QString text = ks::memoText(target);
    auto searcher = std::make_unique<ks::TextSearcher>(text, findText, m_wordChars, options);
    qsizetype caret = 0; // where the search goes on, in the text as read
    qsizetype offset = 0; // what the replacements added to the memo's positions
    CharBefore before {CharBefore::None, {}};
    int count = 0;
    QElapsedTimer sinceEvents;
    sinceEvents.start();

    // The replacements between two catch-ups form one edit: the memo lays
    // out the changed lines once per edit instead of once per replacement,
    // and the whole Replace All is undone in one step.
    cursor.beginEditBlock();
    for (;;) {
        const qsizetype found = searcher->find(caret + 1, before);
        if (found == 0)
            break;
        const qsizetype matchStart = found - 1;
        // Selected and replaced at once: nothing is painted in between.
        cursor.setPosition(int(matchStart + offset));
        cursor.setPosition(int(matchStart + offset + findText.size()), QTextCursor::KeepAnchor);
        cursor.insertText(replaceText);
        ++count;

        // What now stands before the caret, for whole-word matching.
        if (!replaceText.isEmpty())
            before = {CharBefore::Given, replaceText.back()};
        else if (matchStart > caret)
            before = {CharBefore::Given, text.at(matchStart - 1)};
        else if (matchStart == 0)
            before = {CharBefore::None, {}};
        caret = matchStart + findText.size();
        offset += replaceText.size() - findText.size();

        // The interface catches up after the first replacement, so that it
        // shows at once, and then every few hundredths of a second.
        if (count == 1 || sinceEvents.elapsed() >= kEventsIntervalMs) {
            cursor.endEditBlock();
            target->setTextCursor(cursor); // the caret after the last replacement, in view
            const int revision = document->revision();
            QCoreApplication::processEvents();
            if (!self || !memoAlive)
                return; // the window went while the interface caught up
            sinceEvents.restart();
            if (document->revision() == revision) {
                cursor.joinPreviousEditBlock();
            } else {
                // Changed meanwhile: read again from the caret on.
                text = ks::memoText(target);
                searcher = std::make_unique<ks::TextSearcher>(text, findText, m_wordChars, options);
                caret = cursor.position();
                offset = 0;
                before = {};
                cursor.beginEditBlock();
            }
        }
    }
    cursor.endEditBlock();
    target->setTextCursor(cursor);

    if (count > 0) {
        target->ensureCursorVisible();
        ks::messageBoxes().notify(messageParent(),
            QStringLiteral("There were ") + QString::number(count) + QStringLiteral(" occurences of ")
                + inQuotes(findText) + QStringLiteral(" replaced with ") + inQuotes(replaceText),
            ks::MessageIcon::Information);
        return;
    }
    cursor.setPosition(std::min(rememberedStart, document->characterCount() - 1));
    target->setTextCursor(cursor);
    target->ensureCursorVisible();
    ks::messageBoxes().notify(messageParent(),
        QStringLiteral("There were no occurences found of ") + inQuotes(findText), ks::MessageIcon::Warning);
}
