#include "shell/KsFileDialogs.h"

#include "base/KsSeams.h"
#include "shell/KsFileFilter.h"

#include <QWidget>

TKsSaveDialog::TKsSaveDialog(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

bool TKsSaveDialog::Execute()
{
    ks::SaveFileRequest request;
    request.fileName = m_fileName;
    request.filter = ks::qtFileFilter(m_filter);
    request.defaultSuffix = m_defaultExt;
    request.confirmOverwrite = true;
    const QString chosen = ks::fileDialogs().saveFileName(m_owner, request);
    if (chosen.isEmpty())
        return false;
    m_fileName = chosen;
    return true;
}

TKsOpenDialog::TKsOpenDialog(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

bool TKsOpenDialog::Execute()
{
    ks::OpenFilesRequest request;
    request.filter = ks::qtFileFilter(m_filter);
    request.defaultSuffix = m_defaultExt;
    request.multiple = true;
    const QStringList chosen = ks::fileDialogs().openFileNames(m_owner, request);
    if (chosen.isEmpty())
        return false;
    m_files = chosen;
    return true;
}
