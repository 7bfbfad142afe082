#pragma once
// The abstract database connection the program works with: opened from a
// connection string for one operation, running SQL text and handing out its
// rows, closed at the end (or when the last owner lets go of it). Which engine
// serves it is decided at open from the string (see KsConnectionTarget.h) and
// stays behind it (see KsEngine.h). While tracing is active (db/KsTrace.h)
// it traces its opening, its closing and every statement with its rows.

#include "db/KsRecordset.h"

#include <QString>

#include <functional>
#include <memory>

namespace ks {

class Engine;
struct ConnectionTarget;

class Connection {
public:
    Connection();
    // Closes the connection; never throws.
    ~Connection() noexcept;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the connection; raises ks::Error with the client's message text.
    // userId and password, when not empty, take the place of those in the string.
    void open(const QString &connectionString, const QString &userId, const QString &password);
    // Opens a target already translated (see KsConnectionTarget.h), for
    // example an ODBC connection string; raises ks::Error as open() does.
    void openTarget(const ConnectionTarget &target);
    bool isOpen() const { return m_engine != nullptr; }
    // Whether it is open on a catalogue file rather than a server, for a kind
    // whose files hold other tables than its servers.
    bool isCatalogueFile() const;
    // Why the last open failed; empty when it did not.
    QString openError() const { return m_openError; }
    // 1 while open, 0 otherwise.
    int state() const { return isOpen() ? 1 : 0; }
    // Runs SQL text and returns its rows positioned on the first one. Raises
    // ks::Error with the client's message; on a connection that did not open,
    // the message says so and why the open failed.
    std::unique_ptr<Recordset> execute(const QString &sql);
    // Asks the statement running on this connection to stop; it then fails
    // with the engine's message. May be called from another thread while the
    // connection is open; the connection must not be closed meanwhile. False
    // when the connection is closed or its engine cannot stop a statement.
    bool cancel();
    // Closes the connection and every record set it handed out.
    void close();

private:
    std::unique_ptr<Engine> m_engine;
    QString m_openError;
    // What is open, for the trace line of its closing.
    std::unique_ptr<ConnectionTarget> m_target;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// Every statement executed through the layer is first handed to the observer,
// if one is set, also when running it then fails (tests inspect the SQL text
// sent; diagnostics may log it).
using StatementObserver = std::function<void(const QString &sql)>;
class ScopedStatementObserver {
public:
    explicit ScopedStatementObserver(StatementObserver observer);
    ~ScopedStatementObserver();
    ScopedStatementObserver(const ScopedStatementObserver &) = delete;
    ScopedStatementObserver &operator=(const ScopedStatementObserver &) = delete;

private:
    StatementObserver m_previous;
};

} // namespace ks
