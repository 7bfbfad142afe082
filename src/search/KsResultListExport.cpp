#include "search/KsResultListExport.h"

#include "base/KsApplication.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QSaveFile>

#include <algorithm>

namespace ks {

QByteArray formatResultRows(
    const KsResultModel &model, const QList<int> &positions, const QString &connection, RecordFormat format)
{
    const std::unique_ptr<RecordWriter> writer = makeRecordWriter(format, resultColumns(false));
    QByteArray bytes = writer->begin();
    const auto writeRow = [&](int position) {
        const ResultRow row = model.row(position);
        if (row.rowKind != 0)
            writer->writeRow(connection, row, bytes);
    };
    if (positions.isEmpty()) {
        for (int position = 0; position < model.rowCount(); ++position)
            writeRow(position);
    } else {
        for (const int position : positions)
            writeRow(position);
    }
    bytes += writer->end();
    return bytes;
}

void exportResultRows(const KsResultModel &model, const QString &connection, const QString &fileName)
{
    QSaveFile file(fileName);
    const QByteArray bytes = formatResultRows(model, {}, connection, recordFormatForFile(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("Could not write %1: %2").arg(fileName, file.errorString()));
}

void addResultListExport(QAbstractItemView *list, const KsResultModel *model, std::function<QString()> connection)
{
    auto *copy = new QAction(QStringLiteral("&Copy"), list);
    copy->setObjectName(QStringLiteral("miCopyResults"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    auto *exportAction = new QAction(QStringLiteral("Export Results..."), list);
    exportAction->setObjectName(QStringLiteral("miExportResults"));
    list->addAction(copy);
    list->addAction(exportAction);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);

    QObject::connect(copy, &QAction::triggered, list, guarded([list, model, connection] {
        QList<int> positions;
        for (const QModelIndex &index : list->selectionModel()->selectedRows())
            positions << index.row();
        if (positions.isEmpty())
            return;
        // In the list's order, whatever order they were selected in.
        std::sort(positions.begin(), positions.end());
        clipboard().setText(QString::fromUtf8(formatResultRows(*model, positions, connection(), RecordFormat::Tsv)));
    }));
    QObject::connect(exportAction, &QAction::triggered, list, guarded([list, model, connection] {
        SaveFileRequest request;
        request.caption = QStringLiteral("Export Results");
        request.filter = QStringLiteral("CSV Files (*.csv);;JSON Files (*.json);;All Files (*)");
        request.defaultSuffix = QStringLiteral("csv");
        const QString fileName = fileDialogs().saveFileName(list, request);
        if (!fileName.isEmpty())
            exportResultRows(*model, connection(), fileName);
    }));
}

} // namespace ks
