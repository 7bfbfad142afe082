#pragma once
// Waiting for a connection window's background work as a user would: for its
// option lists, for a search to end, and for a definition fetch to have
// filled its viewer.

#include "search/FKsConnection.h"
#include "search/KsSearchRunner.h"
#include "search/TaskRun.h"
#include "text/FKsTextView.h"

#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace ks::test {

// Whether the window's search has ended (or none runs) within the time.
inline bool searchEnds(const TfrmConnectionBase *window, int timeoutMs = kBackgroundTimeoutMs)
{
    const QPointer<const TfrmConnectionBase> guard(window);
    return QTest::qWaitFor([&guard] { return !guard || !guard->isSearching(); }, timeoutMs);
}

// Whether the window has read what it offers (its option lists) within the time.
inline bool optionsRead(const TfrmConnectionBase *window, int timeoutMs = kBackgroundTimeoutMs)
{
    const QPointer<const TfrmConnectionBase> guard(window);
    return QTest::qWaitFor([&guard] { return !guard || !guard->isConnecting(); }, timeoutMs);
}

// Clicks Find and waits for the search to end.
inline bool findAndWait(TfrmConnectionBase *window)
{
    QTest::mouseClick(window->btnFind, Qt::LeftButton);
    return searchEnds(window);
}

// Whether the viewer's background fetch has ended within the time: its
// runner goes once it has handed over the last line.
inline bool fetchEnds(const TfrmKsTextViewer *viewer, int timeoutMs = kBackgroundTimeoutMs)
{
    const QPointer<const TfrmKsTextViewer> guard(viewer);
    return QTest::qWaitFor([&guard] { return !guard || !guard->findChild<ks::SearchRunner *>(); }, timeoutMs);
}

} // namespace ks::test
