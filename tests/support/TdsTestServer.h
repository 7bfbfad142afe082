#pragma once
// A small TDS 7.4 server for the tests of the SQL Server path: it serves a
// catalogue file through the program's own SQL Server dialect to a real
// client (FreeTDS through unixODBC) and can be told to misbehave. It runs on
// its own thread, so a test may block in the client on the main thread, and
// listens on 127.0.0.1 on a free port.
//
//     TdsTestServer server(catalogueFile);          // user "quill", password "secret"
//     QVERIFY2(server.start(), qPrintable(server.errorString()));
//     const QString odbc = freeTdsConnectionString(server.port(), "shop", "quill", "secret");
//     server.failStatements("syscomments", "Invalid object name 'syscomments'.");

#include "support/TdsServerState.h"

#include <QString>
#include <QStringList>

#include <memory>

class QThread;

namespace ks::test {

class TdsTestServer {
public:
    using Stall = tds::Stall;

    explicit TdsTestServer(QString catalogueFile, const QString &userName = QStringLiteral("quill"),
        const QString &password = QStringLiteral("secret"));
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer &) = delete;
    TdsTestServer &operator=(const TdsTestServer &) = delete;

    // Opens the catalogue and listens on 127.0.0.1, on `port` or on a free
    // one when 0; false with errorString() when either fails.
    bool start(quint16 port = 0);
    // Closes every connection and the listener; start() may follow again.
    void stop();
    bool isRunning() const { return m_thread != nullptr; }
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // Knobs. Each may be set at any time, from the test's thread; a login
    // reads them when it comes, a statement when it starts.
    void setLogin(const QString &userName, const QString &password);
    // Every login is refused with 18456 "Login failed for user '<name>'.".
    void setRefuseLogin(bool refuse);
    // A batch whose text contains `containing` (letter case ignored) fails
    // with `message` (class 16, state 1), after `afterRows` rows of its
    // result or, with 0, without running.
    void failStatements(const QString &containing, const QString &message, int afterRows = 0, int number = 50000);
    void clearStatementFailures();
    // A result sends at most `rows` rows and then the connection is closed
    // (-1: never).
    void setDropAfterRows(int rows);
    // A result sends at most `rows` rows and then the server falls silent
    // for good, with the connection open (-1: never).
    void setStallAfterRows(int rows);
    // A result sends at most `rows` rows and then waits, the connection open
    // and the server alive: an attention still ends the result at once, and
    // the next statement is answered as usual (-1: never). A slow server, as
    // a statement that takes long to find its next row.
    void setPauseAfterRows(int rows);
    // Where a new connection stops being answered.
    void setStall(Stall stall);
    // Waited before each row of a result is sent; an attention still ends
    // the result at once.
    void setRowDelay(int milliseconds);
    // Every knob back as the server was made: its login, no failures, no
    // drop, stall, pause or delay.
    void resetKnobs();

    // What the server has been sent since it was made.
    int connections() const { return m_state->connections; }
    int logins() const { return m_state->logins; }
    int batches() const { return m_state->batches; }
    int rpcs() const { return m_state->rpcs; }
    int attentions() const { return m_state->attentions; }
    QStringList batchTexts() const { return m_state->batchTexts(); }

private:
    std::shared_ptr<tds::ServerState> m_state;
    QString m_catalogueFile;
    QString m_userName;
    QString m_password;
    std::unique_ptr<QThread> m_thread;
    quint16 m_port = 0;
    QString m_error;
};

// Why the tests that reach the server through FreeTDS cannot run here, or
// empty when they can: Qt's ODBC driver and FreeTDS's must be installed.
// With `asTheProgramConnects`, Microsoft's driver must not be registered
// either, since the program would take it, and this server does not serve it.
QString freeTdsUnavailable(bool asTheProgramConnects);

// Puts the server's knobs back when a test ends, also after a failed check.
class KnobGuard {
public:
    explicit KnobGuard(TdsTestServer &server)
        : m_server(server)
    {
    }
    ~KnobGuard() { m_server.resetKnobs(); }
    KnobGuard(const KnobGuard &) = delete;
    KnobGuard &operator=(const KnobGuard &) = delete;

private:
    TdsTestServer &m_server;
};

// The ODBC connection string that opens a database of the server through
// FreeTDS: TDS 7.4, UTF-8 on the client side, every value in braces as it
// stands. FreeTDS 1.3 ends a braced value at the first "}" followed by ";"
// and does not read "}}" as one "}", so a value must not contain "};".
QString freeTdsConnectionString(
    quint16 port, const QString &database, const QString &userName, const QString &password);

} // namespace ks::test
