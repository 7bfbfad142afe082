#pragma once
// Driving a modal dialog that the code under test runs with exec(): the
// steps run once the dialog is the active modal window.

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace ks::test {

// Runs `steps` against the modal dialog of type Dialog as soon as it is
// shown and active;
// a failed check inside the steps closes the dialog so the test can end.
template <typename Dialog> void whenDialogShows(QObject *context, std::function<void(Dialog *)> steps)
{
    QTimer::singleShot(0, context, [steps = std::move(steps)] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            QFAIL("the expected dialog is not the active modal window");
        }
        // Focus and key events reach the dialog once it is the active window.
        if (!QTest::qWaitForWindowActive(dialog))
            QWARN("the dialog did not become the active window");
        steps(dialog);
        if (QTest::currentTestFailed() && dialog->isVisible())
            dialog->reject();
    });
}

// Clicks a connect dialog's OK and waits, as its user does, until the
// connection test has answered; whether it did within the time.
template <typename Dialog> bool clickOkAndWait(Dialog *dialog, int timeoutMs = 60000)
{
    QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
    return QTest::qWaitFor([dialog] { return !dialog->isConnecting(); }, timeoutMs);
}

} // namespace ks::test
