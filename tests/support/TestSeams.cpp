#include "support/TestSeams.h"

#include <QPrinter>

namespace ks::test {

void RecordingMessageBoxes::inform(QWidget *, const QString &text)
{
    shown << text;
}

void RecordingMessageBoxes::notify(QWidget *, const QString &text, MessageIcon icon)
{
    shown << text;
    icons << icon;
}

QMessageBox::StandardButton RecordingMessageBoxes::ask(QWidget *, const QString &text, QMessageBox::StandardButtons)
{
    shown << text;
    return answers.isEmpty() ? QMessageBox::Cancel : answers.dequeue();
}

QString RecordingFileDialogs::saveFileName(QWidget *, const SaveFileRequest &request)
{
    saveRequests << request;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

QStringList RecordingFileDialogs::openFileNames(QWidget *, const OpenFilesRequest &request)
{
    openRequests << request;
    return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
}

void MemoryClipboard::setText(const QString &text)
{
    content = text;
    ++writes;
}

bool RecordingPrinting::runPrintDialog(QPrinter &printer, QWidget *)
{
    ++dialogs;
    if (preparePrinter)
        preparePrinter(printer);
    return confirm;
}

bool RecordingUrlOpener::openUrl(const QUrl &url)
{
    opened << url;
    return succeed;
}

QStringList RecordingUrlOpener::addresses() const
{
    QStringList texts;
    for (const QUrl &url : opened)
        texts << url.toString();
    return texts;
}

} // namespace ks::test
