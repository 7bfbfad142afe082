#pragma once
// The window side of a catalogue kind: the connect command of the main
// window's File menu, and how its connection windows are opened, from the
// connect dialog or from a connection string.

#include <QKeySequence>
#include <QString>

#include <functional>

class KsMdiHost;
class TfrmConnectionBase;

namespace ks {

class CatalogueKind;

struct KindWindows {
    const CatalogueKind *kind = nullptr;
    // The connect command: its component name, caption and short-cut.
    QString commandName;
    QString commandCaption;
    QKeySequence shortcut;
    // Kept in File > New, hidden, instead of in the File menu itself (the
    // short-cut still works).
    bool inNewMenu = false;
    // Runs the connect dialog and opens a window for the connection it
    // returns; null when the dialog is cancelled.
    std::function<TfrmConnectionBase *(KsMdiHost *owner)> connectFromDialog;
    // Creates, initialises and shows a window for a connection string.
    std::function<TfrmConnectionBase *(KsMdiHost *owner, const QString &connectionString)> open;
};

} // namespace ks
