#include "kinds/postgresql/PostgresKind.h"

#include "kinds/postgresql/FConnectPostgres.h"
#include "search/KsKindWindows.h"

namespace ks::postgresql {

KindWindows kindWindows()
{
    KindWindows windows;
    windows.kind = &catalogueKind();
    windows.commandName = QStringLiteral("miNewPostgresConnection");
    windows.commandCaption = QStringLiteral("Connect to &PostgreSQL...");
    windows.shortcut = QKeySequence(QStringLiteral("Ctrl+P"));
    windows.inNewMenu = false;
    windows.connectFromDialog
        = [](KsMdiHost *owner) -> TfrmConnectionBase * { return TfrmConnectionPostgres::connectFromDialog(owner); };
    windows.open = [](KsMdiHost *owner, const QString &connectionString) -> TfrmConnectionBase * {
        return TfrmConnectionPostgres::open(owner, connectionString);
    };
    return windows;
}

} // namespace ks::postgresql
