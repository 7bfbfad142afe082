#pragma once
// The engines behind the abstract connection, all on Qt SQL: a catalogue file
// through QSQLITE with the catalogue dialect's functions, its rows read with
// SQLite's own calls, an ODBC connection through QODBC whose text the layer
// reads itself, Oracle through QOCI and PostgreSQL through QPSQL.

#include "db/KsEngine.h"
#include "db/KsOdbcRecordset.h"
#include "db/KsSqliteRecordset.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <atomic>
#include <memory>

struct sqlite3;
struct pg_cancel;

namespace ks {

// One named Qt SQL connection, opened by the constructor and removed by the
// destructor, with every record set it handed out closed first (Qt SQL wants
// its queries gone before their connection).
class QtSqlEngine : public Engine {
public:
    ~QtSqlEngine() override;
    std::unique_ptr<Recordset> execute(const QString &sql) final;

    // Record sets handed out and not yet destroyed; shared with them so that
    // either side may go first.
    struct Handouts;

protected:
    struct Login {
        QString userName;
        QString password;
    };
    // Opens the target's Qt SQL driver; raises ks::Error with the client's
    // message, leaving nothing behind.
    QtSqlEngine(const ConnectionTarget &target, const Login &login);

    // The open Qt SQL connection; a copy must not outlive the engine.
    QSqlDatabase database() const;
    // Runs the statement and returns its rows as this engine reads them;
    // raises ks::Error with the client's message.
    virtual std::unique_ptr<Recordset> run(const QString &sql) = 0;
    // The statement run through a forward-only Qt SQL query.
    QSqlQuery execQuery(const QString &sql) const;

private:
    QString m_name;
    std::shared_ptr<Handouts> m_handouts;
};

// A catalogue file: an SQLite database opened read-only, with the functions
// of the catalogue's SQL dialect registered on the connection. Statements run
// on the connection's SQLite handle directly (see KsSqliteRecordset.h).
class CatalogueEngine final : public QtSqlEngine {
public:
    explicit CatalogueEngine(const ConnectionTarget &target);
    // sqlite3_interrupt: the running statement fails with "interrupted".
    bool cancel() override;

protected:
    std::unique_ptr<Recordset> run(const QString &sql) override;

private:
    std::atomic<sqlite3 *> m_handle = nullptr;
    SqliteRecordset::Storage m_textStorage = SqliteRecordset::Storage::Other;
};

// An ODBC connection opened through QODBC. Its statements are run and read
// by the layer itself on the connection's handle (see KsOdbcRecordset.h):
// QODBC loses long strings of some drivers, and a statement handle of our
// own is one that SQLCancel can reach while it runs.
class OdbcEngine final : public QtSqlEngine {
public:
    explicit OdbcEngine(const ConnectionTarget &target);
    // SQLCancel on the running statement: FreeTDS sends the server an
    // attention, and the statement fails with the driver's message.
    bool cancel() override;

protected:
    std::unique_ptr<Recordset> run(const QString &sql) override;

private:
    void *m_connection = nullptr; // SQLHDBC, owned by QODBC
    std::shared_ptr<OdbcRunningStatement> m_running;
};

// An Oracle database through Qt's OCI driver, with the login of the target.
class OciEngine final : public QtSqlEngine {
public:
    explicit OciEngine(const ConnectionTarget &target);
    // Qt's OCI driver offers no way to break a running call.
    bool cancel() override { return false; }

protected:
    std::unique_ptr<Recordset> run(const QString &sql) override;
};

// A PostgreSQL server through Qt's PostgreSQL driver (QPSQL).
class PostgresEngine final : public QtSqlEngine {
public:
    explicit PostgresEngine(const ConnectionTarget &target);
    ~PostgresEngine() override;
    // Asks the server, on a connection of its own, to cancel the running
    // statement, which then fails with the server's message; safe from any
    // thread while the engine lives.
    bool cancel() override;

protected:
    std::unique_ptr<Recordset> run(const QString &sql) override;

private:
    pg_cancel *m_cancel = nullptr; // PQgetCancel's, freed by the destructor
};

} // namespace ks
