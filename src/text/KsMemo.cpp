#include "text/KsMemo.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace ks {

QString memoText(const QPlainTextEdit *memo)
{
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString selectedMemoText(const QTextCursor &cursor)
{
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

int memoLineCount(const QPlainTextEdit *memo)
{
    const QTextDocument *document = memo->document();
    return document->isEmpty() ? 0 : document->blockCount();
}

QStringList memoLines(const QPlainTextEdit *memo)
{
    QStringList lines;
    if (memoLineCount(memo) == 0)
        return lines;
    lines.reserve(memo->document()->blockCount());
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

bool hidesSelection(const QPlainTextEdit *memo)
{
    const QPalette &palette = memo->palette();
    return palette.color(QPalette::Inactive, QPalette::Highlight)
        != palette.color(QPalette::Active, QPalette::Highlight)
        || palette.color(QPalette::Inactive, QPalette::HighlightedText)
        != palette.color(QPalette::Active, QPalette::HighlightedText);
}

void keepSelectionVisible(QPlainTextEdit *memo)
{
    if (!hidesSelection(memo))
        return;
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(
        QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::HighlightedText));
    memo->setPalette(palette);
}

} // namespace ks
