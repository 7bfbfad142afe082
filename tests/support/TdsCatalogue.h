#pragma once
// The catalogue file the test server answers from: opened read-only through
// QSQLITE with the program's own SQL Server dialect, on the server's thread.

#include "support/TdsResult.h"
#include "support/TdsTokens.h"

#include <QString>

#include <optional>

namespace ks::tds {

// What running a statement gave: its rows, an error, or both (rows read
// before the engine failed come first).
struct Outcome {
    std::optional<ResultSet> result;
    std::optional<ServerMessage> error;
};

class Catalogue {
public:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    // Opens `file` read-only; false with `error` set when it is no catalogue.
    bool open(const QString &file, QString &error);
    void close();
    // Runs one statement and reads all of its rows.
    Outcome execute(const QString &sql) const;

private:
    QString m_connectionName;
};

// True for what a client sends to set up its session (SET, USE and the
// transaction statements), which the server acknowledges without running.
bool isSessionStatement(const QString &sql);

} // namespace ks::tds
