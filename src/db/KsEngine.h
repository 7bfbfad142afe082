#pragma once
// What one database engine offers the abstract connection: an open
// connection that runs SQL text and hands out its rows, closes when it goes,
// and can be asked to stop a running statement. Each engine (catalogue file,
// ODBC, Oracle OCI) is its own class, see KsEngines.h; the connection only
// sees this interface.

#include <QString>

#include <memory>

namespace ks {

class Recordset;
struct ConnectionTarget;

class Engine {
public:
    virtual ~Engine() = default;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // Runs SQL text and returns its rows positioned on the first one; raises
    // ks::Error with the client's message. The rows are closed at the latest
    // when the engine goes, so no result outlives its connection.
    virtual std::unique_ptr<Recordset> execute(const QString &sql) = 0;

    // Asks the statement that runs on this connection, or whose rows are being
    // read, to stop; it then fails with the engine's message. May be called
    // from any thread while the engine is open, but not while it is being
    // destroyed. False when this engine cannot stop a statement.
    virtual bool cancel() = 0;

protected:
    Engine() = default;
};

// Opens the engine that serves the target's kind; an engine object is an open
// connection, its destruction closes it. Raises ks::Error with the client's
// message when the connection cannot be opened.
std::unique_ptr<Engine> openEngine(const ConnectionTarget &target);

} // namespace ks
