#pragma once
// The section in which a component keeps its settings when it is given none.

#include <QString>

class QObject;

namespace ks {

// A window: its class name ("TfrmMain"). A control: its name right after
// the class name of its window ("TfrmMainedFind"). Any other component: the
// class name of the window it belongs to, ".", and its name
// ("TfrmMain.MRUManager"); just its name when it belongs to no window.
QString ComponentSection(const QObject *component);

} // namespace ks
