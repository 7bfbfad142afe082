#pragma once
// Trace lines: the process-wide list of lines that producers on any thread
// hand to the trace window, its lock, the two switches that outlive the
// window ("Log to File" and "Offline"), and the log file. No widgets here;
// the window attaches itself as the receiver of the pending-lines event.
//
// A producer writes with ks::trace::write(line). Where building the line
// costs something, it asks ks::trace::active() first: one relaxed atomic
// load, false while no trace window listens and Log to File is off, or while
// Offline is set.

#include <QEvent>
#include <QString>
#include <QStringList>

#include <atomic>

class QObject;

namespace ks::trace {

namespace detail {
enum StateBit : unsigned {
    WindowListening = 1u << 0, // a trace window is open with "Log in Window" checked
    LogToFile = 1u << 1,
    Offline = 1u << 2,
};
inline std::atomic<unsigned> state {0};
} // namespace detail

// Whether a line written now would go anywhere.
inline bool active() noexcept
{
    const unsigned state = detail::state.load(std::memory_order_relaxed);
    return (state & detail::Offline) == 0 && (state & (detail::WindowListening | detail::LogToFile)) != 0;
}

// Writes one line where tracing goes at this moment: time-stamped to the log
// file with Log to File, into the pending list while a window listens;
// nowhere while Offline. Tracing never fails the work it watches: errors
// here are swallowed.
void write(const QString &line) noexcept;

// The producer contract: appends the lines to the pending list while holding
// the lock and posts one pending-lines event to the trace window, if one is
// attached and no event is on its way to it yet.
void addPending(const QStringList &lines);
void addPending(const QString &line);

// "Log to File": appends every traced line, time-stamped, to logFilePath().
bool logToFile();
void setLogToFile(bool on);
// "Offline": stops all tracing while set.
bool offline();
void setOffline(bool on);
// quillmere-trace.log in the user's cache directory.
QString logFilePath();

// The event type a trace window receives when lines are pending.
QEvent::Type pendingEventType();

// The window side. A window attaches itself when it is created and detaches
// in its destructor (before Qt tears the object down), so no event is ever
// posted to a window that is going away. Attaching posts the event at once
// when lines are already pending.
void attachWindow(QObject *window, bool listening);
void detachWindow(QObject *window);
// "Log in Window" of the attached window.
void setWindowListening(QObject *window, bool listening);
// Takes every pending line out of the list, under the lock; the next line
// added posts a new event.
QStringList takePending();
// Lines pending now (for diagnostics and tests).
qsizetype pendingCount();

} // namespace ks::trace
