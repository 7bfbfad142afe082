#include "app/FMain.h"

#include "base/KsApplication.h"
#include "search/FConnectDesigner.h"
#include "search/FConnectMsSql.h"
#include "search/FConnectOracle.h"
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

    miOracleDesigner = addItem(miNewMenu, QStringLiteral("miOracleDesigner"), QStringLiteral("Oracle &Designer..."),
        QKeySequence(QStringLiteral("Ctrl+D")));
    setItemShown(miOracleDesigner, false);

    miNewMSSQLServerConnection = new QAction(QStringLiteral("Connect to &MS SQL Server..."), this);
    miNewMSSQLServerConnection->setObjectName(QStringLiteral("miNewMSSQLServerConnection"));
    miNewMSSQLServerConnection->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    miNewOracleConnection = new QAction(QStringLiteral("Connect to &Oracle..."), this);
    miNewOracleConnection->setObjectName(QStringLiteral("miNewOracleConnection"));
    miNewOracleConnection->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    mnFile->insertAction(miOpen, miNewMSSQLServerConnection);
    mnFile->insertAction(miOpen, miNewOracleConnection);

    connect(miNewOracleConnection, &QAction::triggered, this, ks::guarded([this] { miNewOracleConnectionClick(); }));
    connect(miNewMSSQLServerConnection, &QAction::triggered, this,
        ks::guarded([this] { miNewMSSQLServerConnectionClick(); }));
    connect(miOracleDesigner, &QAction::triggered, this, ks::guarded([this] { miOracleDesignerClick(); }));

    refreshShortcuts();
}

void TfrmMain::miNewOracleConnectionClick()
{
    TfrmConnectionOracle::connectFromDialog(this);
}

void TfrmMain::miNewMSSQLServerConnectionClick()
{
    TfrmConnectionMsSql::connectFromDialog(this);
}

void TfrmMain::miOracleDesignerClick()
{
    TfrmConnectionDesigner::connectFromDialog(this);
}

void TfrmMain::miTraceWindowClick()
{
    ShowTraceWindow(this, !IsTraceWindowShown());
}
