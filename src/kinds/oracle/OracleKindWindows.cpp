#include "kinds/oracle/OracleKind.h"

#include "kinds/oracle/FConnectOracle.h"
#include "search/KsKindWindows.h"

namespace ks::oracle {

KindWindows kindWindows()
{
    KindWindows windows;
    windows.kind = &catalogueKind();
    windows.commandName = QStringLiteral("miNewOracleConnection");
    windows.commandCaption = QStringLiteral("Connect to &Oracle...");
    windows.shortcut = QKeySequence(QStringLiteral("Ctrl+O"));
    windows.inNewMenu = false;
    windows.connectFromDialog
        = [](KsMdiHost *owner) -> TfrmConnectionBase * { return TfrmConnectionOracle::connectFromDialog(owner); };
    windows.open = [](KsMdiHost *owner, const QString &connectionString) -> TfrmConnectionBase * {
        return TfrmConnectionOracle::open(owner, connectionString);
    };
    return windows;
}

} // namespace ks::oracle
