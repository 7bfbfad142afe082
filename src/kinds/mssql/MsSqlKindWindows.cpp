#include "kinds/mssql/MsSqlKind.h"

#include "kinds/mssql/FConnectMsSql.h"
#include "search/KsKindWindows.h"

namespace ks::mssql {

KindWindows kindWindows()
{
    KindWindows windows;
    windows.kind = &catalogueKind();
    windows.commandName = QStringLiteral("miNewMSSQLServerConnection");
    windows.commandCaption = QStringLiteral("Connect to &MS SQL Server...");
    windows.shortcut = QKeySequence(QStringLiteral("Ctrl+M"));
    windows.inNewMenu = false;
    windows.connectFromDialog
        = [](KsMdiHost *owner) -> TfrmConnectionBase * { return TfrmConnectionMsSql::connectFromDialog(owner); };
    windows.open = [](KsMdiHost *owner, const QString &connectionString) -> TfrmConnectionBase * {
        return TfrmConnectionMsSql::open(owner, connectionString);
    };
    return windows;
}

} // namespace ks::mssql
