#pragma once
// Reading and using a connection window as a user does: the entries of its
// lists and choosing one, the rows as listed, a double-click on the row of a
// given name and comment, and the text a viewer shows.

#include "search/FKsConnection.h"
#include "search/KsResultModel.h"
#include "text/FKsTextView.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QtTest>

namespace ks::test {

inline QStringList listItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Picks an entry as the user does, so the window's change handlers run.
inline void choose(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

// "Name|Type|Owner|Comment|RowKind" for every row, in list order.
inline QStringList listedRows(const TfrmConnectionBase *window)
{
    QStringList rows;
    const KsResultModel *model = window->resultModel();
    for (int i = 0; i < model->rowCount(); ++i) {
        const ResultRow &row = model->row(i);
        rows << QStringLiteral("%1|%2|%3|%4|%5").arg(row.name, row.type, row.schema, row.comment).arg(row.rowKind);
    }
    return rows;
}

// Double-clicks the first row with that Name and Comment (and Owner, when
// given); false when the list has no such row.
inline bool doubleClickRow(
    TfrmConnectionBase *window, const QString &name, const QString &comment, const QString &owner = QString())
{
    const KsResultModel *rows = window->resultModel();
    const QAbstractItemModel *shown = window->lvResult->model(); // the list as the view shows it
    for (int i = 0; i < rows->rowCount(); ++i) {
        const ResultRow &row = rows->row(i);
        if (row.name != name || row.comment != comment || (!owner.isEmpty() && row.schema != owner))
            continue;
        const QModelIndex index = shown->index(i, 0);
        window->lvResult->selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        window->lvResult->scrollTo(index);
        const QRect rect = window->lvResult->visualRect(index);
        // The view opens a row only for the second click of a pair on it.
        QTest::mouseClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        return true;
    }
    return false;
}

inline QString memoText(const TfrmKsTextViewer *viewer)
{
    return viewer->findChild<QPlainTextEdit *>(QStringLiteral("Memo"))->toPlainText();
}

inline QStringList memoLines(const TfrmKsTextViewer *viewer)
{
    const QString text = memoText(viewer);
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

} // namespace ks::test
