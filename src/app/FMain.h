#pragma once
// The program's main window: the general MDI main window with a connect
// command for every catalogue kind, Open for catalogue files, the other
// document commands hidden and the caption "quillmere".

#include "shell/FKsMdiMain.h"

class TfrmMain : public TfrmKsMdiMain {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    // The connect command of a kind by its component name
    // ("miNewOracleConnection"), or null. Each opens a new, independent
    // connection window.
    QAction *connectCommand(const QString &name) const;

    // A catalogue file opens in a connection window of its kind, ready to
    // search, and goes to the top of the recent-file list; there is no
    // document window. Raises ks::Error naming the file when it holds no
    // catalogue this program searches.
    TfrmKsDocument *CreateDocument(const QString &fileName) override;

protected:
    void miTraceWindowClick() override;
};
