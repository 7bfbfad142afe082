#pragma once
// The knobs and counters of one test server, shared between the test's
// thread and the server's own: the server reads the knobs as a snapshot
// under a lock whenever a login or statement comes; counters are atomic.

#include "support/TdsTokens.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace ks::tds {

// Where the server stops answering, with the connection kept open.
enum class Stall {
    None,
    Prelogin, // accepts the connection and answers nothing
    Login, // answers the pre-login, never the login
};

// A statement the server fails on purpose.
struct StatementFailure {
    QString containing; // any batch whose text contains this, letter case ignored
    ServerMessage message;
    int afterRows = 0; // rows sent before the error; 0 fails the statement without running it
};

struct Settings {
    QString userName;
    QString password;
    bool refuseLogin = false;
    QList<StatementFailure> failures;
    int dropAfterRows = -1; // a result ends in a dropped connection after this many rows
    int stallAfterRows = -1; // ... or in silence
    int pauseAfterRows = -1; // ... or waits, still answering an attention
    Stall stall = Stall::None;
    int rowDelayMs = 0; // waited before each row
};

class ServerState {
public:
    Settings settings() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_settings;
    }
    void change(const std::function<void(Settings &)> &edit)
    {
        const QMutexLocker lock(&m_mutex);
        edit(m_settings);
    }
    // Keeps the texts of the latest batches, so that a server left running
    // does not grow without end.
    void recordBatch(const QString &text)
    {
        const QMutexLocker lock(&m_mutex);
        m_batchTexts << text;
        if (m_batchTexts.size() > kKeptBatches)
            m_batchTexts.removeFirst();
    }
    QStringList batchTexts() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_batchTexts;
    }

    std::atomic<int> connections {0};
    std::atomic<int> logins {0}; // LOGIN7 requests, accepted or not
    std::atomic<int> batches {0};
    std::atomic<int> rpcs {0};
    std::atomic<int> attentions {0};

private:
    static constexpr qsizetype kKeptBatches = 1000;

    mutable QMutex m_mutex;
    Settings m_settings;
    QStringList m_batchTexts;
};

} // namespace ks::tds
