#pragma once
// Editable combo boxes that offer recent names but keep what the user typed.

class QComboBox;
class TRecentStrings;

namespace ks {

// Qt's completion ignores letter case by default, and when the box loses the
// focus it replaces a typed "srv1" by a listed "SRV1" - on a case-sensitive
// file system another file. This makes the completion case-sensitive and
// stops Enter from adding the text to the list (the recent list decides what
// is listed). Call it after the box has been made editable.
void keepTypedText(QComboBox *box);

// Appends the list's names to the drop-down, most recent first, and leaves
// the text of the box as it was.
void appendRecentNames(QComboBox *box, const TRecentStrings &list);

} // namespace ks
