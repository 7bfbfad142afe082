#pragma once
// Taking a connection window's results out: Copy (Ctrl+C) puts the selected
// rows on the clipboard as tab-separated text with a header line, and
// "Export Results..." writes every row shown, in its order, to a CSV or JSON
// file, the format chosen by the file's type. Both write the columns and
// text of quillmere-search (see KsResultFormat.h).

#include "search/KsResultFormat.h"

#include <QString>

#include <functional>

class QAbstractItemView;

namespace ks {

// The rows at `positions` of the list (all rows when empty) in `format`,
// with `connection` in each; the "no results found" line is no row.
QByteArray formatResultRows(
    const KsResultModel &model, const QList<int> &positions, const QString &connection, RecordFormat format);

// Writes every row shown to `fileName` at once (QSaveFile), in the format its
// type asks for; raises ks::Error saying why it could not.
void exportResultRows(const KsResultModel &model, const QString &connection, const QString &fileName);

// Gives the list of `model` the actions Copy (Ctrl+C, objectName
// miCopyResults) and "Export Results..." (miExportResults), in its context
// menu too. `connection` names the rows' connection as they are written.
void addResultListExport(QAbstractItemView *list, const KsResultModel *model, std::function<QString()> connection);

} // namespace ks
