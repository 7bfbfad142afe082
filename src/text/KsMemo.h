#pragma once
// Small services on a multi-line text control (a QPlainTextEdit, the
// "memo"): its text with positions as the control's cursor counts them,
// its lines, and a selection that stays visible when another window has
// the focus.

#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QTextCursor;

namespace ks {

// The whole text, one character per cursor position: a line break is one
// "\n", whatever the text holds otherwise stays as it is.
QString memoText(const QPlainTextEdit *memo);

// The selected text of `cursor`, line breaks as "\n".
QString selectedMemoText(const QTextCursor &cursor);

// The number of lines: 0 for an empty memo.
int memoLineCount(const QPlainTextEdit *memo);
QStringList memoLines(const QPlainTextEdit *memo);

// Whether the selection shows only while the memo's window is active.
bool hidesSelection(const QPlainTextEdit *memo);
// Paints the selection in an inactive window as in an active one, so that
// text found from a dialog stays visible while the dialog has the focus.
void keepSelectionVisible(QPlainTextEdit *memo);

} // namespace ks
