#pragma once
// The program's main window: the general MDI main window with the three
// connect commands, the document commands hidden and the caption "quillmere".

#include "shell/FKsMdiMain.h"

class TfrmMain : public TfrmKsMdiMain {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    QAction *miOracleDesigner = nullptr;
    QAction *miNewMSSQLServerConnection = nullptr;
    QAction *miNewOracleConnection = nullptr;

    // The connect commands; each opens a new, independent connection window.
    void miNewOracleConnectionClick();
    void miNewMSSQLServerConnectionClick();
    void miOracleDesignerClick();

protected:
    void miTraceWindowClick() override;
};
