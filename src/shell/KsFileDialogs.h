#pragma once
// The open-file and save-file dialogs as components of the window that owns
// them: they keep their settings and last answer between runs, and ask the
// user through the file-dialog seam. Filters are written "description|
// patterns|..." ("All files (*.*)|*.*").

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

class TKsSaveDialog : public QObject {
    Q_OBJECT
public:
    explicit TKsSaveDialog(QWidget *owner);

    // The file chosen last, or the one the dialog starts at.
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Added to a name typed without an extension.
    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString &extension) { m_defaultExt = extension; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }

    // Asks for a file name, starting at FileName, and asks before an
    // existing file is overwritten; true with FileName set when the user
    // confirms.
    bool Execute();

private:
    QWidget *m_owner;
    QString m_fileName;
    QString m_defaultExt;
    QString m_filter;
};

class TKsOpenDialog : public QObject {
    Q_OBJECT
public:
    explicit TKsOpenDialog(QWidget *owner);

    // The files chosen last, in the dialog's order; FileName is the first.
    QStringList Files() const { return m_files; }
    QString FileName() const { return m_files.value(0); }
    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString &extension) { m_defaultExt = extension; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }

    // Asks for one or more existing files; true with Files set when the
    // user confirms.
    bool Execute();

private:
    QWidget *m_owner;
    QStringList m_files;
    QString m_defaultExt;
    QString m_filter;
};
