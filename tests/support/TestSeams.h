#pragma once
// Recording stand-ins for the desktop seams: tests queue the answers a user
// would give and read back what the program showed or asked.

#include "base/KsSeams.h"

#include <QList>
#include <QQueue>
#include <QUrl>

namespace ks::test {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    QStringList shown; // texts of every message and question, in order
    QQueue<QMessageBox::StandardButton> answers; // for ask(); Cancel when empty
    // The icon of each notify() in order; its text is in `shown` as well.
    QList<MessageIcon> icons;

    void inform(QWidget *parent, const QString &text) override;
    void notify(QWidget *parent, const QString &text, MessageIcon icon) override;
    QMessageBox::StandardButton ask(
        QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons) override;
};

class RecordingFileDialogs final : public FileDialogs {
public:
    QList<SaveFileRequest> saveRequests;
    QQueue<QString> saveAnswers; // empty text means Cancel
    QList<OpenFilesRequest> openRequests;
    QQueue<QStringList> openAnswers; // empty list means Cancel

    QString saveFileName(QWidget *parent, const SaveFileRequest &request) override;
    QStringList openFileNames(QWidget *parent, const OpenFilesRequest &request) override;
};

class MemoryClipboard final : public Clipboard {
public:
    QString content;
    int writes = 0;

    void setText(const QString &text) override;
    QString text() const override { return content; }
};

class RecordingPrinting final : public Printing {
public:
    bool confirm = true; // answer of the print dialog
    int dialogs = 0;
    int beeps = 0;
    // Called with the printer the dialog would configure, before the answer;
    // a test points it at a PDF file.
    std::function<void(QPrinter &)> preparePrinter;

    bool runPrintDialog(QPrinter &printer, QWidget *parent) override;
    void beep() override { ++beeps; }
};

// Keeps the addresses the program would open in the user's browser.
class RecordingUrlOpener final : public UrlOpener {
public:
    QList<QUrl> opened;
    bool succeed = true; // what the desktop answers

    bool openUrl(const QUrl &url) override;
    // The addresses as text, in order.
    QStringList addresses() const;
};

// All of them at once, in place for the lifetime of the object.
struct SeamsInPlace {
    RecordingMessageBoxes messages;
    RecordingFileDialogs files;
    MemoryClipboard clip;
    RecordingPrinting printer;
    RecordingUrlOpener browser;
    ScopedSeam<MessageBoxes> messagesGuard {messages};
    ScopedSeam<FileDialogs> filesGuard {files};
    ScopedSeam<Clipboard> clipGuard {clip};
    ScopedSeam<Printing> printerGuard {printer};
    ScopedSeam<UrlOpener> browserGuard {browser};
};

} // namespace ks::test
