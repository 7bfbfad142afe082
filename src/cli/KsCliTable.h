#pragma once
// The table quillmere-search writes on a terminal: aligned columns under a
// header, cut to the terminal's width.

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace ks::cli {

// A header line and one line a record, columns two blanks apart, each as
// wide as its widest value. When the lines would be wider than `width` (0:
// no limit) the widest columns are narrowed, down to 4 characters, and a
// value cut short ends in "…". Line breaks and tabs inside values show as
// blanks, so that a record stays on its line.
QByteArray formatTable(const QStringList &columns, const QList<QStringList> &records, int width);

// The width of the terminal on the standard output, else COLUMNS, else 0.
int terminalWidth();

} // namespace ks::cli
