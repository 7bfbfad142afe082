#pragma once
// The rows of a statement on an ODBC connection, run and read by this class
// itself: it allocates its own statement handle on the connection, runs the
// text with SQLExecDirectW and reads every value with SQLFetch and SQLGetData
// as wide text in a loop until the driver has given all of it (Qt 6.4's QODBC
// hands back long strings as NULL or empty with some drivers, FreeTDS reports
// their length as unknown). Owning the handle is what lets another thread
// stop the statement with SQLCancel while it runs or its rows are read.

#include "db/KsRecordset.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace ks {

// The statement that runs on one ODBC connection, or whose rows are being
// read, for a cancel from another thread. SQLCancel is safe only while the
// statement's own thread is inside a driver call that holds the statement
// (FreeTDS, for one, closes the cursor under a thread that is between two
// calls and clears the diagnostics a driver manager is reading). So the
// record set runs the calls that wait for the server (SQLExecDirectW,
// SQLFetch) through beginCall()/endCall(), and cancel() sends SQLCancel
// once per statement, to a call that has been waiting for a moment; a
// cancel that comes between calls ends the statement before its next call.
// A statement handle is entered before it runs and taken out before it is
// freed, under the same lock, so SQLCancel never meets a freed handle.
class OdbcRunningStatement {
public:
    // Asks the statement entered now, if any, to stop: SQLCancel to the
    // driver call it waits in (FreeTDS then sends its server an attention),
    // or a stop before its next call. May wait a few milliseconds for a
    // call that has only just begun. False without a statement.
    bool cancel();

private:
    friend class OdbcRecordset;
    using Clock = std::chrono::steady_clock;
    // How long a call must have been running before SQLCancel may reach it:
    // by then it waits in the driver, not on its way in or out.
    static constexpr std::chrono::milliseconds kSettle {15};

    void enter(void *statement);
    void leave(void *statement);
    // Around a driver call that may wait for the server. beginCall() raises
    // the stop as an error when a cancel came since the last call; endCall()
    // says whether SQLCancel reached the call.
    void beginCall();
    bool endCall();

    std::mutex m_mutex;
    void *m_statement = nullptr; // SQLHSTMT
    quint64 m_serial = 0; // counts statements and calls, to tell them apart
    bool m_inCall = false;
    Clock::time_point m_callStart;
    bool m_cancelRequested = false;
    bool m_cancelSent = false;
};

class OdbcRecordset : public RowRecordset {
public:
    // Runs `sql` on the connection handle `connection` (an SQLHDBC) through a
    // statement handle of its own, entered in `running` while it lives, and
    // reads the first row. Raises ks::Error with the driver's message when
    // the statement cannot run or its first row cannot be read.
    OdbcRecordset(void *connection, const QString &sql, std::shared_ptr<OdbcRunningStatement> running);
    ~OdbcRecordset() override;
    OdbcRecordset(const OdbcRecordset &) = delete;
    OdbcRecordset &operator=(const OdbcRecordset &) = delete;

protected:
    bool fetchRow(QVariantList &row) override;
    void release() override;

private:
    QStringList columnNames() const;
    QVariant columnText(int column) const;
    // Runs a driver call that may wait for the server where a cancel can
    // reach it; a cancelled call raises the driver's message, or
    // "Operation canceled" when the call itself got through.
    template <typename Call> short waitingCall(Call call, const char *failure);
    // Takes the statement out of the running slot and frees it; never throws.
    void freeStatement() noexcept;

    void *m_statement = nullptr; // SQLHSTMT, owned
    std::shared_ptr<OdbcRunningStatement> m_running;
    int m_columns = 0;
};

// The driver's diagnostic messages for an ODBC handle, joined by line breaks.
QString odbcDiagnostics(short handleType, void *handle);

} // namespace ks
