#pragma once
// Stored values kept with a key string are scrambled so that they do not
// stand in the settings in plain text. This hides a value from a casual look
// at the file; it is not encryption and protects nothing from a reader who
// wants it.

#include <QString>

namespace ks {

// The text's UTF-8 bytes mixed with the key's, written as base 64.
QString scrambleText(const QString &text, const QString &key);
// The reverse; an empty text when `scrambled` is not such a text.
QString unscrambleText(const QString &scrambled, const QString &key);

} // namespace ks
