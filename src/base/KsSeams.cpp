#include "base/KsSeams.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace ks {
namespace {

class QtMessageBoxes final : public MessageBoxes {
public:
    void inform(QWidget *parent, const QString &text) override
    {
        run(parent, QMessageBox::Information, text, QMessageBox::Ok);
    }

    void notify(QWidget *parent, const QString &text, MessageIcon icon) override
    {
        constexpr QMessageBox::Icon icons[] {QMessageBox::Information, QMessageBox::Warning, QMessageBox::Critical};
        run(parent, icons[int(icon)], text, QMessageBox::Ok);
    }

    QMessageBox::StandardButton ask(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons) override
    {
        // Closing the box without a choice is the Escape button's answer
        // (Cancel where there is one).
        return run(parent, QMessageBox::Question, text, buttons);
    }

private:
    static QMessageBox::StandardButton run(
        QWidget *parent, QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons)
    {
        // Messages are written with Windows line ends; the label wants plain ones.
        QMessageBox box(
            icon, kAppTitle, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), buttons, parent);
        box.setTextFormat(Qt::PlainText);
        // A name, an error or an address in a message can be selected and
        // copied; not every desktop copies a message box's text otherwise.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }
};

class QtFileDialogs final : public FileDialogs {
public:
    QString saveFileName(QWidget *parent, const SaveFileRequest &request) override
    {
        QFileDialog dialog(parent, request.caption, request.fileName, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    QStringList openFileNames(QWidget *parent, const OpenFilesRequest &request) override
    {
        QFileDialog dialog(parent, request.caption, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }
};

class QtClipboard final : public Clipboard {
public:
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString text() const override { return QGuiApplication::clipboard()->text(); }
};

class QtPrinting final : public Printing {
public:
    bool runPrintDialog(QPrinter &printer, QWidget *parent) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    void beep() override { QApplication::beep(); }
};

class DesktopUrlOpener final : public UrlOpener {
public:
    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

template <typename Seam> Seam *&current();

template <> MessageBoxes *&current<MessageBoxes>()
{
    static QtMessageBoxes standard;
    static MessageBoxes *seam = &standard;
    return seam;
}

template <> FileDialogs *&current<FileDialogs>()
{
    static QtFileDialogs standard;
    static FileDialogs *seam = &standard;
    return seam;
}

template <> Clipboard *&current<Clipboard>()
{
    static QtClipboard standard;
    static Clipboard *seam = &standard;
    return seam;
}

template <> Printing *&current<Printing>()
{
    static QtPrinting standard;
    static Printing *seam = &standard;
    return seam;
}

template <> UrlOpener *&current<UrlOpener>()
{
    static DesktopUrlOpener standard;
    static UrlOpener *seam = &standard;
    return seam;
}

} // namespace

void MessageBoxes::notify(QWidget *parent, const QString &text, MessageIcon)
{
    inform(parent, text);
}

MessageBoxes &messageBoxes()
{
    return *current<MessageBoxes>();
}
FileDialogs &fileDialogs()
{
    return *current<FileDialogs>();
}
Clipboard &clipboard()
{
    return *current<Clipboard>();
}
Printing &printing()
{
    return *current<Printing>();
}
UrlOpener &urlOpener()
{
    return *current<UrlOpener>();
}

template <typename Seam>
ScopedSeam<Seam>::ScopedSeam(Seam &replacement)
    : m_previous(current<Seam>())
{
    current<Seam>() = &replacement;
}

template <typename Seam> ScopedSeam<Seam>::~ScopedSeam()
{
    current<Seam>() = m_previous;
}

template class ScopedSeam<MessageBoxes>;
template class ScopedSeam<FileDialogs>;
template class ScopedSeam<Clipboard>;
template class ScopedSeam<Printing>;
template class ScopedSeam<UrlOpener>;

} // namespace ks
