#include "app/FMain.h"

#include "base/KsApplication.h"
#include "kinds/KsKinds.h"
#include "search/KsKindWindows.h"
#include "settings/Placemnt.h"
#include "text/RlFTrace.h"

#include <QMenu>

TfrmMain::TfrmMain(QWidget *parent)
    : TfrmKsMdiMain(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("quillmere"));
    // Placement and recent files live in the user's part of the registry,
    // section "TfrmMain".
    FormPlacement->setUseRegistry(true);
    FormPlacement->setIniFileName(QStringLiteral("Software\\Kestrin\\quillmere"));

    // The document commands of the base stay in place but are not shown;
    // Ctrl+O belongs to the Oracle connect command here.
    miNew->setText(QStringLiteral("&New Connection"));
    miNew->setShortcut(QKeySequence());
    miOpen->setShortcut(QKeySequence());
    setItemShown(miNew, false);
    setItemShown(miOpen, false);
    setItemShown(miSave, false);
    setItemShown(miSaveAs, false);
    setItemShown(miOnlineHelp, false);

    // The connect commands, in the order of the kinds: before Open in the
    // File menu, or kept hidden in File > New where a kind asks for that.
    for (const ks::KindWindows &kind : ks::kindWindows()) {
        QAction *command = nullptr;
        if (kind.inNewMenu) {
            command = addItem(miNewMenu, kind.commandName, kind.commandCaption, kind.shortcut);
            setItemShown(command, false);
        } else {
            command = new QAction(kind.commandCaption, this);
            command->setObjectName(kind.commandName);
            command->setShortcut(kind.shortcut);
            mnFile->insertAction(miOpen, command);
        }
        connect(command, &QAction::triggered, this,
            ks::guarded([this, connectFromDialog = kind.connectFromDialog] { connectFromDialog(this); }));
    }

    refreshShortcuts();
}

QAction *TfrmMain::connectCommand(const QString &name) const
{
    return findChild<QAction *>(name);
}

void TfrmMain::miTraceWindowClick()
{
    ShowTraceWindow(this, !IsTraceWindowShown());
}
