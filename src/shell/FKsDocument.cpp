#include "shell/FKsDocument.h"

#include "base/KsSeams.h"
#include "shell/KsFileDialogs.h"

#include <QFileInfo>
#include <QMdiSubWindow>

TfrmKsDocument::TfrmKsDocument(KsMdiHost *owner)
    : KsMdiChild(owner)
{
    setObjectName(QStringLiteral("frmKsDocument"));
    setCaption(QStringLiteral("frmKsDocument"));
    subWindow()->resize(542, 323);
    SaveDialog = new TKsSaveDialog(this);
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
}

void TfrmKsDocument::showEvent(QShowEvent *event)
{
    // A derived window hears of its first state once it is whole, which in
    // C++ is after its constructor, not inside the base's.
    if (!m_shown) {
        m_shown = true;
        ModifiedChanged();
    }
    KsMdiChild::showEvent(event);
}

void TfrmKsDocument::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    ModifiedChanged();
}

bool TfrmKsDocument::IsModified() const
{
    return m_modified;
}

QString TfrmKsDocument::GetDefaultExt() const
{
    return QStringLiteral("txt");
}

QString TfrmKsDocument::GetFilter() const
{
    return QStringLiteral("All Files (*.*)|*.*");
}

void TfrmKsDocument::SaveDocument()
{
    ClearModified();
}

void TfrmKsDocument::LoadDocument(const QString &fileName)
{
    SaveDialog->setFileName(fileName);
    setCaption(QFileInfo(fileName).fileName());
    ClearModified();
}

void TfrmKsDocument::ModifiedChanged()
{
}

void TfrmKsDocument::ClearModified()
{
    m_modified = false;
    ModifiedChanged();
}

QString TfrmKsDocument::FileName() const
{
    return SaveDialog->FileName();
}

bool TfrmKsDocument::ExecuteSaveDialog()
{
    SaveDialog->setDefaultExt(GetDefaultExt());
    SaveDialog->setFilter(GetFilter());
    return SaveDialog->Execute();
}

bool TfrmKsDocument::CloseQuery()
{
    if (!IsModified())
        return true;
    const QMessageBox::StandardButton answer
        = ks::messageBoxes().ask(this, QStringLiteral("Save changes of ") + caption() + QStringLiteral(" ?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (answer) {
    case QMessageBox::Yes:
        // Saving on close leaves the recent-file list as it is.
        if (FileName().isEmpty() && !ExecuteSaveDialog())
            return false;
        SaveDocument();
        return true;
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}
