#include "db/KsTrace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QStandardPaths>

#include <memory>
#include <mutex>
#include <utility>

namespace ks::trace {

namespace {

// The pending lines and who receives them; everything here is guarded by `lock`.
struct Pending {
    std::mutex lock;
    QStringList lines;
    QObject *window = nullptr;
    bool eventPosted = false;
};

Pending &pending()
{
    // Never destroyed: a producer thread still running while the program
    // ends must not find the lock gone.
    static Pending *instance = new Pending;
    return *instance;
}

// The log file, opened at the first line after Log to File was switched on.
struct LogFile {
    std::mutex lock;
    std::unique_ptr<QFile> file;
    bool failed = false; // reported once per switching on
};

LogFile &logFile()
{
    static LogFile *instance = new LogFile;
    return *instance;
}

void setBit(detail::StateBit bit, bool on)
{
    if (on)
        detail::state.fetch_or(bit, std::memory_order_relaxed);
    else
        detail::state.fetch_and(~unsigned(bit), std::memory_order_relaxed);
}

bool hasBit(detail::StateBit bit)
{
    return (detail::state.load(std::memory_order_relaxed) & bit) != 0;
}

// Posts the event to the attached window unless one is on its way; the
// caller holds the lock.
void postLocked(Pending &list)
{
    if (!list.window || list.eventPosted || list.lines.isEmpty())
        return;
    list.eventPosted = true;
    QCoreApplication::postEvent(list.window, new QEvent(pendingEventType()));
}

void appendToLogFile(const QString &line)
{
    LogFile &log = logFile();
    const std::lock_guard guard(log.lock);
    if (!log.file) {
        const QString path = logFilePath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            if (!log.failed)
                qWarning("The trace log %s cannot be written: %s", qPrintable(path), qPrintable(file->errorString()));
            log.failed = true;
            return;
        }
        log.file = std::move(file);
    }
    const QString stamped
        = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + line + QLatin1Char('\n');
    log.file->write(stamped.toUtf8());
    // Flushed line by line, so that the trace is complete up to a crash.
    log.file->flush();
}

} // namespace

void write(const QString &line) noexcept
{
    const unsigned state = detail::state.load(std::memory_order_relaxed);
    if ((state & detail::Offline) != 0)
        return;
    try {
        if ((state & detail::LogToFile) != 0)
            appendToLogFile(line);
        if ((state & detail::WindowListening) != 0)
            addPending(line);
    } catch (...) {
        // Tracing must not break what it watches.
    }
}

void addPending(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    list.lines += lines;
    postLocked(list);
}

void addPending(const QString &line)
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    list.lines += line;
    postLocked(list);
}

bool logToFile()
{
    return hasBit(detail::LogToFile);
}

void setLogToFile(bool on)
{
    setBit(detail::LogToFile, on);
    if (!on) {
        // The next switching on opens the file again, wherever it is then.
        LogFile &log = logFile();
        const std::lock_guard guard(log.lock);
        log.file.reset();
        log.failed = false;
    }
}

bool offline()
{
    return hasBit(detail::Offline);
}

void setOffline(bool on)
{
    setBit(detail::Offline, on);
}

QString logFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("quillmere-trace.log"));
}

QEvent::Type pendingEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void attachWindow(QObject *window, bool listening)
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    list.window = window;
    list.eventPosted = false;
    setBit(detail::WindowListening, window && listening);
    postLocked(list);
}

void detachWindow(QObject *window)
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    if (list.window != window)
        return;
    list.window = nullptr;
    list.eventPosted = false;
    setBit(detail::WindowListening, false);
}

void setWindowListening(QObject *window, bool listening)
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    if (list.window == window)
        setBit(detail::WindowListening, listening);
}

QStringList takePending()
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    list.eventPosted = false;
    return std::exchange(list.lines, QStringList());
}

qsizetype pendingCount()
{
    Pending &list = pending();
    const std::lock_guard guard(list.lock);
    return list.lines.size();
}

} // namespace ks::trace
