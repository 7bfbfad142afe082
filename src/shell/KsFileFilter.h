#pragma once
// File dialog filters are written as the pairs "description|patterns|..."
// ("All files (*.*)|*.*"); Qt's dialogs want "description (patterns);;...".

#include <QString>

namespace ks {

// The Qt form of `filter`: one entry per description and pattern list, the
// patterns (separated by ";") given in the parentheses Qt reads them from,
// and "*.*" written "*" so that it also matches names without an extension.
// A description without its patterns is dropped.
QString qtFileFilter(const QString &filter);

} // namespace ks
