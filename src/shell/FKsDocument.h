#pragma once
// Base of document windows: an MDI child that shows one file, knows whether
// it holds unsaved changes and asks before they are lost. A main window
// that derives from TfrmKsMdiMain opens files in its own kind of document
// window by overriding CreateDocument.

#include "shell/KsMdiChild.h"

class TKsSaveDialog;

class TfrmKsDocument : public KsMdiChild {
    Q_OBJECT
public:
    explicit TfrmKsDocument(KsMdiHost *owner);

    // Unsaved changes; false after creation, loading and saving. Changing
    // it runs ModifiedChanged.
    bool Modified() const { return m_modified; }
    void setModified(bool modified);

    virtual bool IsModified() const;
    // Extension and filter of the save dialog ("description|patterns").
    virtual QString GetDefaultExt() const;
    virtual QString GetFilter() const;
    // Saves to the save dialog's file name; the base only clears Modified.
    virtual void SaveDocument();
    // Takes `fileName` as the document's file and caption; the base reads
    // nothing.
    virtual void LoadDocument(const QString &fileName);
    // Runs after Modified was changed; the base does nothing.
    virtual void ModifiedChanged();

    // Modified becomes false; ModifiedChanged runs.
    void ClearModified();

    // The document's file name: empty until the document was loaded or saved.
    QString FileName() const;

    // Runs the save dialog with this document's extension and filter,
    // starting at its file name; true when the user chose a file.
    bool ExecuteSaveDialog();

    // Asks "Save changes of <caption> ?" while the document is modified:
    // Yes saves (asking for a file name when there is none yet), No
    // discards, Cancel keeps the window open.
    bool CloseQuery() override;

    TKsSaveDialog *SaveDialog = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_modified = false;
    bool m_shown = false;
};
