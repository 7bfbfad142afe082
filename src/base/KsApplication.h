#pragma once
// The application object and the one place where escaped errors are shown:
// a message box captioned with the application title, after which the
// program goes on with whatever the failed command had already done.

#include <QApplication>

#include <exception>
#include <functional>
#include <utility>

namespace ks {

// Shows the error held by `error` in a message box captioned "quillmere".
void reportException(std::exception_ptr error) noexcept;

// Runs a command; an exception that escapes it is reported and swallowed.
void runGuarded(const std::function<void()> &command) noexcept;

// Wraps a command for a signal connection so that its errors are reported.
template <typename Command> auto guarded(Command command)
{
    return [command = std::move(command)]() mutable { runGuarded(command); };
}

class KsApplication : public QApplication {
    Q_OBJECT
public:
    KsApplication(int &argc, char **argv);

    // Last line of defence: an exception that escapes an event handler is
    // reported instead of ending the program.
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace ks
