#include "kinds/designer/DesignerKind.h"

#include "kinds/designer/FConnectDesigner.h"
#include "search/KsKindWindows.h"

namespace ks::designer {

KindWindows kindWindows()
{
    KindWindows windows;
    windows.kind = &catalogueKind();
    windows.commandName = QStringLiteral("miOracleDesigner");
    windows.commandCaption = QStringLiteral("Oracle &Designer...");
    windows.shortcut = QKeySequence(QStringLiteral("Ctrl+D"));
    windows.inNewMenu = true;
    windows.connectFromDialog
        = [](KsMdiHost *owner) -> TfrmConnectionBase * { return TfrmConnectionDesigner::connectFromDialog(owner); };
    windows.open = [](KsMdiHost *owner, const QString &connectionString) -> TfrmConnectionBase * {
        return TfrmConnectionDesigner::open(owner, connectionString);
    };
    return windows;
}

} // namespace ks::designer
