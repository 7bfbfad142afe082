#include "base/KsApplication.h"

#include "base/KsAppIcon.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "base/KsVersionInfo.h"

namespace ks {

void reportException(std::exception_ptr error) noexcept
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        text = e.message();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("An unknown error occurred.");
    }
    try {
        messageBoxes().inform(QApplication::activeWindow(), text);
    } catch (...) {
        // Nothing sensible is left to do when even the message box fails.
    }
}

void runGuarded(const std::function<void()> &command) noexcept
{
    try {
        command();
    } catch (...) {
        reportException(std::current_exception());
    }
}

KsApplication::KsApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(kAppTitle);
    setApplicationVersion(programVersion());
    setOrganizationName(QStringLiteral("Kestrin"));
    setWindowIcon(applicationIcon());
}

bool KsApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportException(std::current_exception());
        return true;
    }
}

} // namespace ks
