#include "app/FMain.h"

#include "base/KsApplication.h"
#include "base/KsStrings.h"
#include "db/KsConnectionTarget.h"
#include "kinds/KsKinds.h"
#include "search/KsKindWindows.h"
#include "settings/Placemnt.h"
#include "shell/KsFileDialogs.h"
#include "text/RlFTrace.h"

#include <QMenu>

#include <algorithm>

TfrmMain::TfrmMain(QWidget *parent)
    : TfrmKsMdiMain(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("quillmere"));
    // Placement and recent files live in the user's part of the registry,
    // section "TfrmMain".
    FormPlacement->setUseRegistry(true);
    FormPlacement->setIniFileName(QStringLiteral("Software\\Kestrin\\quillmere"));

    // The document commands of the base stay in place but are not shown,
    // except Open for catalogue files; Ctrl+O belongs to the Oracle connect
    // command here.
    miNew->setText(QStringLiteral("&New Connection"));
    miNew->setShortcut(QKeySequence());
    miOpen->setShortcut(QKeySequence());
    OpenDialog->setDefaultExt(QStringLiteral("qmcat"));
    OpenDialog->setFilter(QStringLiteral("Catalogue files (*.qmcat)|*.qmcat|All files (*.*)|*.*"));
    setItemShown(miNew, false);
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

TfrmKsDocument *TfrmMain::CreateDocument(const QString &fileName)
{
    const ks::CatalogueFileCheck file = ks::inspectCatalogueFile(fileName);
    if (file.kind == ks::CatalogueFileCheck::Kind::NotCatalogue)
        throw ks::Error(QStringLiteral("%1 is not a catalogue file: %2").arg(fileName, file.reason));
    if (file.kind == ks::CatalogueFileCheck::Kind::Unreadable)
        throw ks::Error(QStringLiteral("%1 cannot be read: %2").arg(fileName, file.reason));
    const ks::CatalogueFileKind fileKind = ks::catalogueKindOf(fileName);
    const auto &kinds = ks::kindWindows();
    const auto kind = std::find_if(kinds.begin(), kinds.end(),
        [fileKind](const ks::KindWindows &candidate) { return candidate.kind->fileKind() == fileKind; });
    if (!fileKind.isKnown() || kind == kinds.end()) {
        QStringList known;
        for (const ks::KindWindows &candidate : kinds) {
            known << ks::catalogueKindName(candidate.kind->fileKind());
        }
        throw ks::Error(QStringLiteral("%1 holds no catalogue that quillmere searches (%2).")
                            .arg(fileName, known.join(QStringLiteral(", "))));
    }
    kind->open(this, kind->kind->fileConnectionString(fileName));
    moveToTopOfRecent(fileName);
    return nullptr;
}

void TfrmMain::miTraceWindowClick()
{
    ShowTraceWindow(this, !IsTraceWindowShown());
}
