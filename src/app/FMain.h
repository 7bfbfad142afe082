#pragma once
// The program's main window: the general MDI main window with a connect
// command for every catalogue kind, the document commands hidden and the
// caption "quillmere".

#include "shell/FKsMdiMain.h"

class TfrmMain : public TfrmKsMdiMain {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    // The connect command of a kind by its component name
    // ("miNewOracleConnection"), or null. Each opens a new, independent
    // connection window.
    QAction *connectCommand(const QString &name) const;

protected:
    void miTraceWindowClick() override;
};
