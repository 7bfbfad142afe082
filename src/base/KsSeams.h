#pragma once
// The program's doors to the desktop: message boxes, file dialogs, the
// clipboard, the printer and the user's browser. Windows call them through these small interfaces
// so that tests can answer and inspect them; the defaults use Qt's own dialogs.

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QPrinter;
class QUrl;
class QWidget;

namespace ks {

inline const QString kAppTitle = QStringLiteral("quillmere");

// The icon of a message with a single OK button.
enum class MessageIcon { Information, Warning, Error };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain message with an OK button, captioned with the application title.
    // Texts are shown as they are: a "<" in a file name or an error is no markup.
    virtual void inform(QWidget *parent, const QString &text) = 0;
    // A message with `icon` (information, exclamation or stop sign) and a
    // single OK button, captioned with the application title. Stand-ins
    // that do not tell icons apart get it through inform().
    virtual void notify(QWidget *parent, const QString &text, MessageIcon icon);
    // A question captioned with the application title; returns the button chosen.
    virtual QMessageBox::StandardButton ask(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons)
        = 0;
};

struct SaveFileRequest {
    QString caption;
    QString fileName; // proposed name, may be empty
    QString filter; // Qt filter text, e.g. "Text Files (*.txt);;All Files (*)"
    QString defaultSuffix; // added when the user types a name without extension
    bool confirmOverwrite = true;
};

struct OpenFilesRequest {
    QString caption;
    QString filter;
    QString defaultSuffix;
    bool multiple = true;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file, or the empty text when the user cancels.
    virtual QString saveFileName(QWidget *parent, const SaveFileRequest &request) = 0;
    // The chosen files, empty when the user cancels.
    virtual QStringList openFileNames(QWidget *parent, const OpenFilesRequest &request) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
};

class Printing {
public:
    virtual ~Printing() = default;
    // Shows the print dialog for `printer`; true when the user confirms.
    virtual bool runPrintDialog(QPrinter &printer, QWidget *parent) = 0;
    // The system's default beep.
    virtual void beep() = 0;
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Hands an address to the desktop, which opens it in the user's browser;
    // false when nothing took it.
    virtual bool openUrl(const QUrl &url) = 0;
};

MessageBoxes &messageBoxes();
FileDialogs &fileDialogs();
Clipboard &clipboard();
Printing &printing();
UrlOpener &urlOpener();

// Puts a replacement in place for its lifetime and restores the previous one.
template <typename Seam> class ScopedSeam {
public:
    explicit ScopedSeam(Seam &replacement);
    ~ScopedSeam();
    ScopedSeam(const ScopedSeam &) = delete;
    ScopedSeam &operator=(const ScopedSeam &) = delete;

private:
    Seam *m_previous;
};

extern template class ScopedSeam<MessageBoxes>;
extern template class ScopedSeam<FileDialogs>;
extern template class ScopedSeam<Clipboard>;
extern template class ScopedSeam<Printing>;
extern template class ScopedSeam<UrlOpener>;

} // namespace ks
